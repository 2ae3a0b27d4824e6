#include "platform/files/FileSearch.h"

#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/errors/Faults.h"
#include "platform/files/NamePattern.h"
#include "platform/files/SearchCache.h"

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
    std::shared_ptr<const SearchCache::Listing> replay; // entries from an earlier read
    std::shared_ptr<SearchCache::Listing> recording;    // entries of this read, for later ones

    // The next entry as the kernel lists it, "." and ".." left out; false at the end.
    bool nextEntry(const char*& name, std::size_t& length, unsigned char& type);
    void finish();

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
    if (SearchCache* cache = SearchCache::active()) {
        s.replay = cache->find(s.fd);
        if (!s.replay) {
            auto listing = std::make_shared<SearchCache::Listing>();
            struct stat info {};
            if (listing->describe(s.fd) && fstat(s.fd, &info) == 0) {
                // A directory's size is close to what its names take; untouched pages of an
                // over-estimate cost no memory.
                listing->entries.reserve(static_cast<std::size_t>(info.st_size));
                s.recording = std::move(listing);
            }
        }
    }
    if (!s.replay)
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

    const char* name = nullptr;
    std::size_t length = 0;
    unsigned char type = DT_UNKNOWN;
    while (s.nextEntry(name, length, type)) {
        const std::string_view view(name, length);
        if (!s.pattern.matches(view) || view.find('\\') != std::string_view::npos)
            continue;

        std::uint32_t attributes = 0;
        bool directory = type == DT_DIR;
        if (type == DT_LNK || type == DT_UNKNOWN) {
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
    return false;
}

bool FileSearch::State::nextEntry(const char*& name, std::size_t& length, unsigned char& type) {
    if (replay) {
        const std::string& entries = replay->entries;
        if (position >= entries.size()) {
            finish();
            return false;
        }
        type = static_cast<unsigned char>(entries[position]);
        name = entries.data() + position + 1;
        length = std::strlen(name);
        position += length + 2;
        return true;
    }
    for (;;) {
        if (position >= filled) {
            const ssize_t read = getdents64(fd, buffer.get(), BufferSize);
            if (read <= 0) {
                // The end, or a directory that failed part-way: what was found stands, but
                // only a complete listing may stand in for a later read.
                if (read == 0 && recording) {
                    if (SearchCache* cache = SearchCache::active())
                        cache->store(std::move(recording));
                }
                recording.reset();
                finish();
                return false;
            }
            filled = static_cast<std::size_t>(read);
            position = 0;
        }
        const auto* record = reinterpret_cast<const dirent64*>(buffer.get() + position);
        position += record->d_reclen;
        name = record->d_name;
        length = std::strlen(name);
        if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.')))
            continue;
        type = record->d_type;
        if (recording) {
            std::string& entries = recording->entries;
            entries.push_back(static_cast<char>(type));
            entries.append(name, length + 1);
        }
        return true;
    }
}

void FileSearch::State::finish() {
    close(fd);
    fd = -1;
    replay.reset();
}

} // namespace platform
