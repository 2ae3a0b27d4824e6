#include "platform/files/OutputFile.h"

#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/errors/Faults.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t BufferSize = 64 * 1024;
constexpr int MaxLinkHops = 40;
constexpr std::size_t TemporaryStemLimit = 247;
constexpr int TemporarySuffixLength = 6;
constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::atomic<bool> s_unnamedAllowed{true};

std::string baseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string joined(const std::string& directory, const std::string& name) {
    return directory == "/" ? "/" + name : directory + "/" + name;
}

// ".index.html.Xy3kQ9": hidden, beside the target, and within the 255-byte name limit.
std::string temporaryStem(const std::string& target) {
    const std::string base = baseName(target);
    return "." + base.substr(0, std::min(base.size(), TemporaryStemLimit)) + ".";
}

std::string temporarySibling(const std::string& directory, const std::string& target) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name = temporaryStem(target);
    for (int i = 0; i < TemporarySuffixLength; ++i)
        name += Letters[random() % (sizeof(Letters) - 1)];
    return joined(directory, name);
}

bool isTemporaryOf(const char* name, const std::string& stem) {
    const std::size_t length = std::strlen(name);
    if (length != stem.size() + TemporarySuffixLength ||
        std::strncmp(name, stem.data(), stem.size()))
        return false;
    return std::all_of(name + stem.size(), name + length,
                       [](char c) { return c != '\0' && std::strchr(Letters, c) != nullptr; });
}

bool olderThan(const struct stat& info, const timespec& moment) {
    return info.st_mtim.tv_sec < moment.tv_sec ||
           (info.st_mtim.tv_sec == moment.tv_sec && info.st_mtim.tv_nsec < moment.tv_nsec);
}

// The folder as the kernel found it when it was opened, links and ".." resolved; the given
// path when /proc cannot tell.
std::string openedFolder(int folderFd, const std::string& given) {
    const std::string resolved = host::readLink("/proc/self/fd/" + std::to_string(folderFd));
    return !resolved.empty() && resolved.front() == '/' ? resolved : host::normalize(given);
}

// Anybody may add names to a sticky folder that everybody may write to (/tmp), but only
// the entry's owner may remove them: a link there may have been planted by anyone.
bool isSharedStickyFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
}

// The file a path finally names: the target of a symbolic link (also of a dangling one,
// which writing then creates), the path itself otherwise. The links are followed here and
// the result is a path without them, so the kernel, which then never sees them, cannot
// apply its protected_symlinks rule: it is applied here instead. In a shared sticky folder
// a link is followed only when we or the folder's owner own it, and none of them may lead
// to a file that does not exist yet; otherwise another user's link would make us write
// wherever it points (their ~/.bashrc, for one). Folders on the way are opened by the
// kernel, which applies the rule to their links itself.
int finalTarget(const std::string& path, std::string& target) {
    std::string current = path;
    bool shared = false; // a link was followed in a shared sticky folder
    const auto unfollowed = [&](std::string result) {
        if (shared)
            return static_cast<int>(ErrorAccessDenied);
        target = std::move(result);
        return static_cast<int>(NoError);
    };
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        const std::size_t slash = current.rfind('/');
        const std::string folder = slash == 0 ? "/" : current.substr(0, slash);
        const std::string name = current.substr(slash + 1);
        if (name.empty() || name == "." || name == "..") {
            target = host::normalize(current);
            return NoError; // a folder, which creating the file refuses
        }
        const int folderFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return unfollowed(current);
            return errorFromErrno(errno);
        }
        struct stat folderInfo {};
        struct stat info {};
        const bool folderKnown = fstat(folderFd, &folderInfo) == 0;
        const int found = fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW);
        const int err = errno;
        const std::string resolvedFolder = openedFolder(folderFd, folder);
        std::string link;
        if (found == 0 && S_ISLNK(info.st_mode)) {
            link.resize(info.st_size > 0 ? std::size_t(info.st_size) + 1 : 256);
            ssize_t length = 0;
            while ((length = readlinkat(folderFd, name.c_str(), link.data(), link.size())) >= 0 &&
                   std::size_t(length) == link.size())
                link.resize(link.size() * 2);
            link.resize(length > 0 ? std::size_t(length) : 0);
        }
        close(folderFd);
        if (found != 0) {
            if (err == ENOENT || err == ENOTDIR)
                return unfollowed(joined(resolvedFolder, name));
            return errorFromErrno(err);
        }
        if (!S_ISLNK(info.st_mode)) {
            target = joined(resolvedFolder, name);
            return NoError;
        }
        if (!folderKnown)
            return ErrorAccessDenied;
        if (isSharedStickyFolder(folderInfo)) {
            if (info.st_uid != geteuid() && info.st_uid != folderInfo.st_uid)
                return ErrorAccessDenied;
            shared = true;
        }
        if (link.empty())
            return ErrorPathNotFound;
        current = link.front() == '/' ? link : joined(resolvedFolder, link);
    }
    return ErrorPathNotFound;
}

int creationError(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return ErrorPathNotFound;
    default:
        return errorFromErrno(err);
    }
}

// Hidden siblings that a killed run left behind where no unnamed file could be made: our
// own, of our name pattern, last written before this run began and held by no live writer
// (each writer keeps its file locked while it writes).
void removeLeftovers(const std::string& directory, const std::string& target,
                     const std::string& ours, const timespec& runStart) {
    DIR* folder = opendir(directory.c_str());
    if (!folder)
        return;
    const int folderFd = dirfd(folder);
    const std::string stem = temporaryStem(target);
    const std::string own = baseName(ours);
    while (const dirent* entry = readdir(folder)) {
        if (!isTemporaryOf(entry->d_name, stem) || own == entry->d_name)
            continue;
        const int fd =
            openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        struct stat named {};
        const bool stale = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                           info.st_uid == geteuid() && olderThan(info, runStart) &&
                           (flock(fd, LOCK_SH | LOCK_NB) == 0 || errno != EWOULDBLOCK);
        if (stale && fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == info.st_dev && named.st_ino == info.st_ino)
            unlinkat(folderFd, entry->d_name, 0);
        close(fd);
    }
    closedir(folder);
}

// Where the page is rewritten in place, the new page is first made whole outside its
// folder: an unnamed file in the temporary folder, or in memory when there is none.
int openSpool() {
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable && *variable == '/' ? variable : "/tmp";
    const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    return fd >= 0 ? fd : memfd_create("pictavo-page", MFD_CLOEXEC);
}

int writeAll(int fd, const char* bytes, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = pwrite(fd, bytes + done, size - done, offset + off_t(done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        if (written == 0)
            return ErrorDiskFull;
        done += static_cast<std::size_t>(written);
    }
    return NoError;
}

// Claims the blocks for size bytes of the page without changing a byte of it, so that a
// full disk shows before the first old byte is overwritten. Where the file system cannot
// reserve blocks beyond the end, the page grows to its new size (zeros after the old bytes)
// and shrinks back when that fails; where it cannot reserve at all, nothing is promised.
int reserve(int fd, off_t size, off_t oldSize) {
    if (size == 0)
        return NoError;
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0)
        return NoError;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errorFromErrno(errno);
    if (size <= oldSize)
        return NoError;
    const int err = posix_fallocate(fd, 0, size);
    if (err == 0 || err == EOPNOTSUPP || err == EINVAL)
        return NoError;
    static_cast<void>(ftruncate(fd, oldSize));
    return errorFromErrno(err);
}

} // namespace

struct OutputFile::State {
    int fd = -1;         // where the data goes: the temporary file, or the spool when in place
    int pageFd = -1;     // in place: the page itself
    int error = NoError; // the first failure; everything after it reports it again
    std::string target;
    std::string directory;
    std::string temporary; // empty while the data lives in an unnamed file
    bool existed = false;
    // No temporary file could be made beside the target (a folder the user may not write
    // to), but the target itself may be written: the whole page is made in a spool first
    // and copied over the old one only at the commit.
    bool inPlace = false;
    std::unique_ptr<char[]> buffer;
    std::size_t used = 0;
    off_t size = 0; // bytes handed to fd

    void release() noexcept {
        if (fd >= 0)
            close(fd);
        if (pageFd >= 0)
            close(pageFd);
        fd = pageFd = -1;
        if (!temporary.empty())
            unlink(temporary.c_str());
        temporary.clear();
        buffer.reset();
        used = 0;
        size = 0;
        inPlace = existed = false;
    }

    int fail(int code) noexcept {
        release();
        error = code;
        return code;
    }

    int openNamed() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = temporarySibling(directory, target);
            fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                temporary = std::move(name);
                return NoError;
            }
            if (errno != EEXIST)
                return creationError(errno);
        }
        return ErrorFileExists;
    }

    // An unnamed file in the target's directory vanishes by itself when the process dies
    // before the commit, so a crash leaves nothing behind. Not every file system has them.
    bool openUnnamed() {
        if (!s_unnamedAllowed || access("/proc/self/fd", X_OK) != 0)
            return false;
        fd = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        return fd >= 0;
    }

    int openInPlace() {
        // The target is no link (finalTarget): one put there since is not followed.
        pageFd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (pageFd < 0)
            return errorFromErrno(errno);
        fd = openSpool();
        if (fd < 0) {
            const int error = errorFromErrno(errno);
            close(pageFd);
            pageFd = -1;
            return error;
        }
        inPlace = true;
        return NoError;
    }

    int flush() {
        if (used == 0)
            return NoError;
        if (const int fault = injectedFault(Operation::WriteFile))
            return fail(fault);
        if (const int error = writeAll(fd, buffer.get(), used, size))
            return fail(error);
        size += off_t(used);
        used = 0;
        return NoError;
    }

    int sync(int file) {
        if (const int fault = injectedFault(Operation::SyncFile))
            return fail(fault);
        if (fsync(file) != 0 && errno != EINVAL && errno != EROFS)
            return fail(errorFromErrno(errno));
        return NoError;
    }

    // Reserves room, copies the spool over the old bytes, cuts the page to size and syncs
    // it. Only a kill during the copy itself can leave a mix of the two pages.
    int copyOverPage() {
        struct stat info {};
        if (fstat(pageFd, &info) != 0)
            return fail(errorFromErrno(errno));
        if (const int error = reserve(pageFd, size, info.st_size))
            return fail(error);
        for (off_t at = 0; at < size;) {
            const ssize_t got = pread(fd, buffer.get(), BufferSize, at);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return fail(got < 0 ? errorFromErrno(errno) : ErrorGenFailure);
            if (const int error = writeAll(pageFd, buffer.get(), std::size_t(got), at))
                return fail(error);
            at += got;
        }
        if (ftruncate(pageFd, size) != 0)
            return fail(errorFromErrno(errno));
        return sync(pageFd);
    }

    // Gives the unnamed file a name beside the target so that rename can put it in place.
    int nameUnnamed() {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = temporarySibling(directory, target);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary = std::move(name);
                return NoError;
            }
            if (errno != EEXIST)
                return fail(errorFromErrno(errno));
        }
        return fail(ErrorFileExists);
    }
};

OutputFile::OutputFile()
    : m_state(std::make_unique<State>()) {}

OutputFile::~OutputFile() {
    discard();
}

void OutputFile::allowUnnamedTemporaryFiles(bool allow) {
    s_unnamedAllowed = allow;
}

int OutputFile::create(std::string_view drivePath) {
    discard();
    State& s = *m_state;
    s.error = NoError;
    timespec runStart{};
    clock_gettime(CLOCK_REALTIME, &runStart);
    if (const int fault = injectedFault(Operation::CreateFile))
        return s.error = fault;

    std::string hostPath;
    if (const int error = toHostPath(drivePath, hostPath))
        return s.error = error;
    if (const int error = finalTarget(hostPath, s.target))
        return s.error = error;

    struct stat info {};
    if (stat(s.target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return s.error = ErrorAccessDenied;
        if (host::isReadOnly(AT_FDCWD, s.target.c_str()))
            return s.error = ErrorAccessDenied;
        s.existed = true;
    } else if (errno != ENOENT) {
        return s.error = creationError(errno);
    }

    s.directory = host::parentOf(s.target);
    if (!s.openUnnamed()) {
        // Only a folder that refuses us falls back to the page itself.
        if (const int error = s.openNamed()) {
            if (!s.existed || error != ErrorAccessDenied || s.openInPlace() != NoError)
                return s.fail(error);
        } else {
            removeLeftovers(s.directory, s.target, s.temporary, runStart);
        }
    }
    // Held while the file is written, so that another run sees that it is no leftover.
    flock(s.fd, LOCK_EX | LOCK_NB);
    if (s.existed && !s.inPlace)
        fchmod(s.fd, info.st_mode & 07777); // a file system without modes keeps its own
    s.buffer = std::make_unique<char[]>(BufferSize);
    return NoError;
}

int OutputFile::write(std::string_view bytes) {
    State& s = *m_state;
    if (s.error)
        return s.error;
    if (s.fd < 0)
        return ErrorInvalidParameter;
    while (!bytes.empty()) {
        const std::size_t room = BufferSize - s.used;
        const std::size_t chunk = std::min(room, bytes.size());
        std::memcpy(s.buffer.get() + s.used, bytes.data(), chunk);
        s.used += chunk;
        bytes.remove_prefix(chunk);
        if (s.used == BufferSize) {
            if (const int error = s.flush())
                return error;
        }
    }
    return NoError;
}

int OutputFile::commit() {
    State& s = *m_state;
    if (s.error)
        return s.error;
    if (s.fd < 0)
        return ErrorInvalidParameter;
    if (const int error = s.flush())
        return error;
    if (const int fault = injectedFault(Operation::CloseFile))
        return s.fail(fault);
    if (s.inPlace) {
        if (const int error = s.copyOverPage())
            return error;
        const int closed = close(s.pageFd);
        s.pageFd = -1;
        if (closed != 0 && errno != EINTR)
            return s.fail(errorFromErrno(errno));
        s.release();
        return NoError;
    }
    // Without this, a power loss after the rename can leave an empty page where the old one
    // was on file systems that do not order data before the rename (ext4 does by default).
    if (s.existed) {
        if (const int error = s.sync(s.fd))
            return error;
    }
    if (s.temporary.empty()) {
        if (const int error = s.nameUnnamed())
            return error;
    }
    const int closed = close(s.fd);
    s.fd = -1;
    if (closed != 0 && errno != EINTR)
        return s.fail(errorFromErrno(errno));
    if (rename(s.temporary.c_str(), s.target.c_str()) != 0)
        return s.fail(errorFromErrno(errno));
    s.temporary.clear();
    s.release();
    return NoError;
}

void OutputFile::discard() noexcept {
    m_state->release();
    m_state->error = NoError;
}

} // namespace platform
