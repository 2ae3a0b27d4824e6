#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

enum FileAttribute : std::uint32_t {
    AttributeReadOnly = 0x01,
    AttributeHidden = 0x02,
    AttributeDirectory = 0x10,
};

// What a search finds out beyond name, directory and hidden. The read-only attribute costs
// one access check per matching entry, which large scans that never look at it skip.
enum class FindDetail { Basic, ReadOnly };

struct FindData {
    std::string name; // long name, no directory part
    std::uint32_t attributes = 0;
};

// Enumerates the entries of one directory that match the last component of a drive-path
// pattern ("C:\PICS\*.JPG"): '*' and '?', case ignored, "*.*" matches every name. "." and
// ".." are reported in non-root directories.
class FileSearch {
public:
    // AttributeReadOnly is reported only with FindDetail::ReadOnly.
    explicit FileSearch(std::string_view pattern);
    FileSearch(std::string_view pattern, FindDetail detail);
    ~FileSearch();
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    // 0 while the directory could be opened; otherwise the error code of the first look-up.
    // Finding no match at all is not an error here: next() then returns false at once.
    int error() const noexcept;

    // The next matching entry; false when there is none left.
    bool next(FindData& entry);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace platform
