#include "platform/FileSearch.h"

#include "platform/ErrorCodes.h"
#include "platform/Faults.h"
#include "platform/HostPaths.h"
#include "platform/NamePattern.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Large enough that a million-entry directory takes a few hundred system calls.
constexpr std::size_t BufferSize = 256 * 1024;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

int openError(int err) {
    switch (err) {
    case ENOENT:
        return ErrorPathNotFound;
    case ENOTDIR:
        return ErrorDirectory;
    default:
        return errorFromErrno(err);
    }
}

} // namespace

struct FileSearch::State {
    explicit State(std::string_view mask)
        : pattern(mask) {}
    ~State() {
        if (fd >= 0)
            close(fd);
    }

    int error = NoError;
    int fd = -1;
    bool reportReadOnly = false;
    int dotsLeft = 0; // "." and ".." still to report, synthesized so that every file system
                      // reports them first
    NamePattern pattern;
    std::unique_ptr<char[]> buffer;
    std::size_t position = 0;
    std::size_t filled = 0;

    bool readOnly(const char* name) const { return host::isReadOnly(fd, name); }
};

FileSearch::FileSearch(std::string_view pattern)
    : FileSearch(pattern, FindDetail::Basic) {}

FileSearch::FileSearch(std::string_view pattern, FindDetail detail) {
    std::size_t split = std::string_view::npos;
    for (std::size_t i = pattern.size(); i-- > 0;) {
        if (isSeparator(pattern[i])) {
            split = i;
            break;
        }
    }
    std::string_view directory, mask;
    if (split != std::string_view::npos) {
        directory = pattern.substr(0, split + 1);
        mask = pattern.substr(split + 1);
    } else if (pattern.size() >= 2 && pattern[1] == ':') {
        directory = pattern.substr(0, 2);
        mask = pattern.substr(2);
    } else {
        directory = ".";
        mask = pattern;
    }

    m_state = std::make_unique<State>(mask);
    State& s = *m_state;
    s.reportReadOnly = detail == FindDetail::ReadOnly;
    if (const int fault = injectedFault(Operation::FindFirst)) {
        s.error = fault;
        return;
    }
    if (mask.empty() || mask.find('\0') != std::string_view::npos) {
        s.error = mask.empty() ? ErrorFileNotFound : ErrorInvalidName;
        return;
    }

    std::string absolute, hostPath;
    if (const int error = resolveDrivePath(directory, absolute)) {
        s.error = error;
        return;
    }
    if (const int error = toHostPath(absolute, hostPath)) {
        s.error = error;
        return;
    }
    s.fd = open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (s.fd < 0) {
        s.error = openError(errno);
        return;
    }
    s.buffer = std::make_unique<char[]>(BufferSize);
    s.dotsLeft = absolute.size() > 3 ? 2 : 0;
}

FileSearch::~FileSearch() = default;

int FileSearch::error() const noexcept {
    return m_state->error;
}

bool FileSearch::next(FindData& entry) {
    State& s = *m_state;
    if (s.fd < 0)
        return false;

    while (s.dotsLeft > 0) {
        const char* name = s.dotsLeft == 2 ? "." : "..";
        --s.dotsLeft;
        if (s.pattern.matches(name)) {
            entry.name.assign(name);
            entry.attributes = AttributeDirectory;
            if (s.reportReadOnly && s.readOnly(name))
                entry.attributes |= AttributeReadOnly;
            return true;
        }
    }

    for (;;) {
        if (s.position >= s.filled) {
            const ssize_t read = getdents64(s.fd, s.buffer.get(), BufferSize);
            if (read <= 0) {
                // The end, or a directory that failed part-way: what was found stands.
                close(s.fd);
                s.fd = -1;
                return false;
            }
            s.filled = static_cast<std::size_t>(read);
            s.position = 0;
        }
        const auto* record = reinterpret_cast<const dirent64*>(s.buffer.get() + s.position);
        s.position += record->d_reclen;

        const char* name = record->d_name;
        const std::size_t length = std::strlen(name);
        if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.')))
            continue;
        const std::string_view view(name, length);
        if (!s.pattern.matches(view) || view.find('\\') != std::string_view::npos)
            continue;

        std::uint32_t attributes = 0;
        bool directory = record->d_type == DT_DIR;
        if (record->d_type == DT_LNK || record->d_type == DT_UNKNOWN) {
            struct stat info {};
            directory = fstatat(s.fd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (directory)
            attributes |= AttributeDirectory;
        if (name[0] == '.')
            attributes |= AttributeHidden;
        if (s.reportReadOnly && s.readOnly(name))
            attributes |= AttributeReadOnly;
        entry.name.assign(view);
        entry.attributes = attributes;
        return true;
    }
}

} // namespace platform
