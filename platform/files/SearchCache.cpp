#include "platform/files/SearchCache.h"

#include <sys/stat.h>

namespace platform {

namespace {
SearchCache* s_active = nullptr;
}

SearchCache::SearchCache()
    : m_previous(s_active) {
    s_active = this;
}

SearchCache::~SearchCache() {
    s_active = m_previous;
}

SearchCache* SearchCache::active() {
    return s_active;
}

std::shared_ptr<const SearchCache::Listing> SearchCache::find(int directoryFd) const {
    if (!m_listing)
        return nullptr;
    Listing current;
    if (!current.describe(directoryFd) || !current.sameAs(*m_listing))
        return nullptr;
    return m_listing;
}

void SearchCache::store(std::shared_ptr<const Listing> listing) {
    m_listing = std::move(listing);
}

bool SearchCache::Listing::describe(int directoryFd) {
    struct stat info {};
    if (fstat(directoryFd, &info) != 0)
        return false;
    device = info.st_dev;
    inode = info.st_ino;
    modifiedSeconds = info.st_mtim.tv_sec;
    modifiedNanoseconds = info.st_mtim.tv_nsec;
    changedSeconds = info.st_ctim.tv_sec;
    changedNanoseconds = info.st_ctim.tv_nsec;
    return true;
}

bool SearchCache::Listing::sameAs(const Listing& other) const {
    return device == other.device && inode == other.inode &&
           modifiedSeconds == other.modifiedSeconds &&
           modifiedNanoseconds == other.modifiedNanoseconds &&
           changedSeconds == other.changedSeconds && changedNanoseconds == other.changedNanoseconds;
}

} // namespace platform
