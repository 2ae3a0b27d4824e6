#include "platform/registry/RegistryFiles.h"

#include "platform/errors/ErrorCodes.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Every SQLite connection to the database holds a read lock on this byte of the -shm.
bool inUse(const std::string& shm) {
    const int fd = ::open(shm.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 128;
    lock.l_len = 1;
    const bool used = ::fcntl(fd, F_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
    ::close(fd);
    return used;
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

std::string registryfiles::folderOf(const std::string& file) {
    return file.substr(0, file.rfind('/'));
}

bool registryfiles::exists(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

bool registryfiles::mayWrite(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

std::int64_t registryfiles::fileSize(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? status.st_size : 0;
}

bool registryfiles::changeMark(const std::string& path, std::int64_t& mark) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return false;
    mark = status.st_size ^ (std::int64_t(status.st_mtim.tv_sec) << 32) ^ status.st_mtim.tv_nsec;
    return true;
}

int registryfiles::makeFolder(const std::string& folder) {
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string level = folder.substr(0, end);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
            return errorFromErrno(errno);
        if (end == std::string::npos)
            break;
    }
    struct stat status;
    if (::stat(folder.c_str(), &status) != 0)
        return errorFromErrno(errno);
    return S_ISDIR(status.st_mode) ? NoError : ErrorDirectory;
}

int registryfiles::openFolder(const std::string& folder) {
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void registryfiles::closeFolder(int folderFd) {
    if (folderFd >= 0)
        ::close(folderFd);
}

registryfiles::FolderLock registryfiles::tryLockFolder(int folderFd) {
    if (folderFd < 0)
        return FolderLock::Failed;
    while (::flock(folderFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno == EWOULDBLOCK ? FolderLock::Busy : FolderLock::Failed;
    }
    return FolderLock::Locked;
}

// SQLite would make a new database readable by everyone; its side files take the permissions
// of the database.
void registryfiles::createPrivateFile(const std::string& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

// SQLite gives the side files it creates the database's mode, so a run against a read-only
// database leaves read-only ones, on which every later write fails. Ours get the database's
// mode back; another user's unused -shm is only an index that SQLite rebuilds.
void registryfiles::repairSideFiles(const std::string& file) {
    struct stat database;
    if (::stat(file.c_str(), &database) != 0)
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string side = file + suffix;
        struct stat status;
        if (::lstat(side.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            ::access(side.c_str(), R_OK | W_OK) == 0)
            continue;
        if (status.st_uid == ::geteuid())
            ::chmod(side.c_str(), database.st_mode & 0777);
        else if (std::strcmp(suffix, "-shm") == 0 && !inUse(side))
            ::unlink(side.c_str());
    }
}

// SQLite is not given a file that cannot be a database: it would delete a side file of it,
// or roll a stray journal into it, on the way to finding out.
bool registryfiles::mayBeDatabase(const std::string& file) {
    struct stat status;
    if (::stat(file.c_str(), &status) != 0)
        return true; // a new database
    if (!S_ISREG(status.st_mode))
        return false;
    if (status.st_size == 0) // only a stray side file can hold anything here
        return !exists(file + "-wal") && !exists(file + "-journal");
    static constexpr char Magic[] = "SQLite format 3";
    char header[sizeof Magic] = {};
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true; // let SQLite report why it cannot be opened
    const ssize_t read = ::read(fd, header, sizeof header);
    ::close(fd);
    return read == static_cast<ssize_t>(sizeof header) &&
           std::memcmp(header, Magic, sizeof Magic) == 0;
}

// Renames the file to <file>.corrupt-<time> (never deleting anything) together with its side
// files. The side files go first: a stale WAL left beside a fresh database would be replayed
// into it.
int registryfiles::moveAside(const std::string& file) {
    const std::string base = file + ".corrupt-" + timeStamp();
    std::string target = base;
    for (int n = 2; exists(target) || exists(target + "-wal") || exists(target + "-shm") ||
                    exists(target + "-journal");
         ++n)
        target = base + "-" + std::to_string(n);

    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (exists(file + suffix) && ::rename((file + suffix).c_str(), (target + suffix).c_str()))
            return errorFromErrno(errno);
    }
    if (::rename(file.c_str(), target.c_str()) != 0)
        return errorFromErrno(errno);
    return NoError;
}

} // namespace platform
