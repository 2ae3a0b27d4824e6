#pragma once

#include <memory>
#include <string>

namespace platform {

// While one lives, a file search in a directory that has not changed since a search of this
// cache read it takes the entries from memory instead of the kernel: a run of several
// searches reads a million-entry directory once. A directory that changed in between (its
// modification or change time moved) is read anew. One at a time; not thread-safe.
class SearchCache {
public:
    SearchCache();
    ~SearchCache();
    SearchCache(const SearchCache&) = delete;
    SearchCache& operator=(const SearchCache&) = delete;

    struct Listing;
    // The cache in force, or nullptr.
    static SearchCache* active();

    std::shared_ptr<const Listing> find(int directoryFd) const;
    void store(std::shared_ptr<const Listing> listing);

private:
    std::shared_ptr<const Listing> m_listing;
    SearchCache* m_previous;
};

// Every entry of one directory as the kernel listed it: per entry its type byte, its name and
// a terminating zero.
struct SearchCache::Listing {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long modifiedSeconds = 0;
    long long modifiedNanoseconds = 0;
    long long changedSeconds = 0;
    long long changedNanoseconds = 0;
    std::string entries;

    // Identity and times of an open directory; false when they cannot be read.
    bool describe(int directoryFd);
    bool sameAs(const Listing& other) const;
};

} // namespace platform
