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
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t BufferSize = 64 * 1024;
constexpr int MaxLinkHops = 40;

std::atomic<bool> s_unnamedAllowed{true};

std::string baseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// ".index.html.Xy3kQ9": hidden, beside the target, and within the 255-byte name limit.
std::string temporarySibling(const std::string& directory, const std::string& target) {
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name = directory == "/" ? "/." : directory + "/.";
    const std::string base = baseName(target);
    name.append(base, 0, std::min<std::size_t>(base.size(), 247));
    name += '.';
    for (int i = 0; i < 6; ++i)
        name += Letters[random() % (sizeof(Letters) - 1)];
    return name;
}

// The file a path finally names: the target of a symbolic link (also of a dangling one,
// which writing then creates), the path itself otherwise.
int finalTarget(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT || errno == ENOTDIR) {
                target = current;
                return NoError;
            }
            return errorFromErrno(errno);
        }
        if (!S_ISLNK(info.st_mode)) {
            target = current;
            return NoError;
        }
        if (char* resolved = realpath(current.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
            return NoError;
        }
        const std::string link = host::readLink(current);
        if (link.empty())
            return errorFromErrno(errno);
        current = host::normalize(link, host::parentOf(current));
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

} // namespace

struct OutputFile::State {
    int fd = -1;
    int error = NoError; // the first failure; everything after it reports it again
    std::string target;
    std::string directory;
    std::string temporary; // empty while the data lives in an unnamed file
    // No temporary file could be made beside the target (a folder the user may not write
    // to), but the target itself may be written: it is rewritten in place, as editors do,
    // and emptied only when the first bytes reach it.
    bool inPlace = false;
    bool emptied = false;
    std::unique_ptr<char[]> buffer;
    std::size_t used = 0;

    void release() noexcept {
        if (fd >= 0)
            close(fd);
        fd = -1;
        if (!temporary.empty())
            unlink(temporary.c_str());
        temporary.clear();
        buffer.reset();
        used = 0;
        inPlace = emptied = false;
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
        fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return errorFromErrno(errno);
        inPlace = true;
        return NoError;
    }

    int emptyTarget() {
        if (!inPlace || emptied)
            return NoError;
        if (ftruncate(fd, 0) != 0)
            return fail(errorFromErrno(errno));
        emptied = true;
        return NoError;
    }

    int flush() {
        if (used == 0)
            return NoError;
        if (const int fault = injectedFault(Operation::WriteFile))
            return fail(fault);
        if (const int error = emptyTarget())
            return error;
        std::size_t done = 0;
        while (done < used) {
            const ssize_t written = ::write(fd, buffer.get() + done, used - done);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errorFromErrno(errno));
            }
            if (written == 0)
                return fail(ErrorDiskFull);
            done += static_cast<std::size_t>(written);
        }
        used = 0;
        return NoError;
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
    if (const int fault = injectedFault(Operation::CreateFile))
        return s.error = fault;

    std::string hostPath;
    if (const int error = toHostPath(drivePath, hostPath))
        return s.error = error;
    if (const int error = finalTarget(hostPath, s.target))
        return s.error = error;

    struct stat info {};
    bool existed = false;
    if (stat(s.target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return s.error = ErrorAccessDenied;
        if (host::isReadOnly(AT_FDCWD, s.target.c_str()))
            return s.error = ErrorAccessDenied;
        existed = true;
    } else if (errno != ENOENT) {
        return s.error = creationError(errno);
    }

    s.directory = host::parentOf(s.target);
    if (!s.openUnnamed()) {
        // Only a folder that refuses us falls back: on a full disk, emptying the target
        // first would lose the old page as well.
        if (const int error = s.openNamed()) {
            if (!existed || error != ErrorAccessDenied || s.openInPlace() != NoError)
                return s.fail(error);
        }
    }
    if (existed && !s.inPlace)
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
    if (const int error = s.emptyTarget())
        return error;
    if (const int fault = injectedFault(Operation::CloseFile))
        return s.fail(fault);
    if (!s.inPlace && s.temporary.empty()) {
        if (const int error = s.nameUnnamed())
            return error;
    }
    const int closed = close(s.fd);
    s.fd = -1;
    if (closed != 0 && errno != EINTR)
        return s.fail(errorFromErrno(errno));
    if (!s.inPlace && rename(s.temporary.c_str(), s.target.c_str()) != 0)
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
