#include "platform/drives/Paths.h"

#include "platform/drives/DriveLetter.h"
#include "platform/drives/DriveReading.h"
#include "platform/drives/HostPaths.h"
#include "platform/drives/PathParts.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/errors/Faults.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string rootOf(char letter) {
    return std::string{letter, ':', '\\'};
}

std::optional<Drive> findDrive(const std::vector<Drive>& drives, char letter) {
    for (const Drive& drive : drives) {
        if (drive.letter == letter)
            return drive;
    }
    return std::nullopt;
}

// The current directory and each drive's last one; the process has one of these.
struct DirectoryState {
    std::mutex mutex;
    bool initialized = false;
    std::string current;
    std::array<std::string, 26> remembered;

    std::string& rememberedFor(char letter) {
        return remembered[static_cast<std::size_t>(letter - 'A')];
    }
};

DirectoryState& state() {
    static DirectoryState instance;
    return instance;
}

std::string drivePathFor(const std::vector<Drive>& drives, std::string_view hostPath,
                         char preferred) {
    std::optional<Drive> best;
    for (const Drive& drive : drives) {
        if (!drive.ready || drive.hostRoot.empty() || !host::isWithin(hostPath, drive.hostRoot))
            continue;
        if (drive.letter == preferred) {
            best = drive;
            break;
        }
        if (!best || drive.hostRoot.size() > best->hostRoot.size())
            best = drive;
    }
    if (!best)
        return {};

    std::string rest(hostPath.substr(best->hostRoot == "/" ? 1 : best->hostRoot.size()));
    if (!rest.empty() && rest.front() == '/')
        rest.erase(0, 1);
    if (rest.find('\\') != std::string::npos)
        return {}; // a host name holding '\' has no drive path
    for (char& c : rest) {
        if (c == '/')
            c = '\\';
    }
    return rootOf(best->letter) + rest;
}

// Called with the state locked.
void ensureInitialized(DirectoryState& s, const std::vector<Drive>& drives) {
    if (s.initialized)
        return;
    const std::string working = host::workingDirectory();
    std::string current = working.empty() ? std::string() : drivePathFor(drives, working, '\0');
    if (current.empty()) {
        // The host's directory lies on no drive: start at the root of the first drive that
        // can be entered.
        current = rootOf('C');
        for (const Drive& drive : drives) {
            if (drive.ready) {
                current = rootOf(drive.letter);
                break;
            }
        }
    }
    s.current = current;
    s.rememberedFor(current[0]) = current;
    s.initialized = true;
}

std::string hostPathOf(const Drive& drive, std::string_view absolute) {
    std::string result = drive.hostRoot;
    std::string_view rest = absolute.substr(3);
    if (rest.empty())
        return result;
    if (result != "/")
        result += '/';
    for (const char c : rest)
        result += c == '\\' ? '/' : c;
    return result;
}

// A drive's remembered directory that has gone since gives way to the drive's root, as for a
// drive that remembers none; else the drive could not be entered again until restart.
std::string rememberedOrRoot(DirectoryState& s, const Drive& drive) {
    const std::string& remembered = s.rememberedFor(drive.letter);
    if (remembered.empty() || !drive.ready)
        return rootOf(drive.letter);
    struct stat info {};
    const std::string hostPath = hostPathOf(drive, remembered);
    if (stat(hostPath.c_str(), &info) == 0 ? !S_ISDIR(info.st_mode)
                                           : errno == ENOENT || errno == ENOTDIR)
        return rootOf(drive.letter);
    return remembered;
}

// Resolves against the state (locked by the caller).
int resolveLocked(DirectoryState& s, const std::vector<Drive>& drives, std::string_view path,
                  std::string& absolute) {
    if (path.empty())
        return ErrorPathNotFound;
    if (path.find('\0') != std::string_view::npos)
        return ErrorInvalidName;

    char letter = s.current[0];
    std::string_view rest = path;
    std::string base;
    if (path.size() >= 2 && path[1] == ':') {
        if (!isDriveLetter(path[0]))
            return ErrorInvalidDrive;
        letter = upperDriveLetter(path[0]);
        if (!findDrive(drives, letter))
            return ErrorInvalidDrive;
        rest = path.substr(2);
        if (rest.empty() || !isSeparator(rest.front()))
            base = rememberedOrRoot(s, *findDrive(drives, letter));
    } else if (isSeparator(path.front())) {
        if (path.size() >= 2 && isSeparator(path[1]))
            return ErrorPathNotFound; // network paths (\\server\share) have no drive
    } else {
        base = s.current;
    }
    if (!findDrive(drives, letter))
        return ErrorInvalidDrive;

    std::vector<std::string_view> parts;
    const auto add = [&parts](std::string_view text) { addPathParts(parts, text, isSeparator); };
    if (!base.empty())
        add(std::string_view(base).substr(3));
    add(rest);

    absolute = rootOf(letter);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            absolute += '\\';
        absolute += parts[i];
    }
    return NoError;
}

int hostPathLocked(DirectoryState& s, const std::vector<Drive>& drives, std::string_view path,
                   std::string& absolute, std::string& hostPath) {
    if (const int error = resolveLocked(s, drives, path, absolute))
        return error;
    const std::optional<Drive> drive = findDrive(drives, absolute[0]);
    if (!drive)
        return ErrorInvalidDrive;
    if (!drive->ready)
        return ErrorNotReady;
    hostPath = hostPathOf(*drive, absolute);
    return NoError;
}

bool isDirectory(const std::string& hostPath) {
    struct stat info {};
    return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The target tells a missing last component (2) from a missing directory on the way (3),
// and a file where a directory was asked for (267) from a file on the way (3).
int enterError(int err, const std::string& hostPath) {
    switch (err) {
    case ENOENT:
        return isDirectory(host::parentOf(hostPath)) ? ErrorFileNotFound : ErrorPathNotFound;
    case ENOTDIR: {
        struct stat info {};
        const bool exists = stat(hostPath.c_str(), &info) == 0;
        return exists && isDirectory(host::parentOf(hostPath)) ? ErrorDirectory : ErrorPathNotFound;
    }
    default:
        return errorFromErrno(err);
    }
}

// The directory state, locked and ready, beside the drive table it is read against.
struct LockedState {
    const std::vector<Drive> drives = DriveReading::drives();
    DirectoryState& s = state();
    std::lock_guard<std::mutex> lock{s.mutex};

    LockedState() { ensureInitialized(s, drives); }

    int resolve(std::string_view path, std::string& absolute) {
        return resolveLocked(s, drives, path, absolute);
    }
    int hostPath(std::string_view path, std::string& absolute, std::string& hostPath) {
        return hostPathLocked(s, drives, path, absolute, hostPath);
    }
};

} // namespace

int resolveDrivePath(std::string_view path, std::string& absolute) {
    std::string result;
    if (const int error = LockedState().resolve(path, result))
        return error;
    absolute = std::move(result);
    return NoError;
}

int toHostPath(std::string_view drivePath, std::string& hostPath) {
    std::string absolute, result;
    if (const int error = LockedState().hostPath(drivePath, absolute, result))
        return error;
    hostPath = std::move(result);
    return NoError;
}

int toDrivePath(std::string_view hostPath, std::string& drivePath) {
    if (hostPath.empty())
        return ErrorPathNotFound;
    if (hostPath.find('\0') != std::string_view::npos)
        return ErrorInvalidName;
    const std::string given(hostPath);
    std::string resolved;
    if (const int error = host::realPath(given, resolved))
        return error;

    LockedState locked;
    DirectoryState& s = locked.s;
    const std::vector<Drive>& drives = locked.drives;
    std::string result;
    if (!host::hasParentStep(hostPath)) {
        const std::string base = given.front() == '/' ? "/" : host::workingDirectory();
        if (!base.empty())
            result = drivePathFor(drives, host::normalize(given, base), s.current[0]);
    }
    if (result.empty())
        result = drivePathFor(drives, resolved, s.current[0]);
    if (result.empty())
        return resolved.find('\\') != std::string::npos ? ErrorInvalidName : ErrorInvalidDrive;
    drivePath = std::move(result);
    return NoError;
}

std::string getCurrentDirectory() {
    return LockedState().s.current;
}

int setCurrentDirectory(std::string_view path) {
    if (const int fault = injectedFault(Operation::SetCurrentDirectory))
        return fault;
    LockedState locked;
    DirectoryState& s = locked.s;
    std::string absolute, hostPath;
    if (const int error = locked.hostPath(path, absolute, hostPath))
        return error;
    if (chdir(hostPath.c_str()) != 0)
        return enterError(errno, hostPath);
    s.current = absolute;
    s.rememberedFor(absolute[0]) = absolute;
    return NoError;
}

int findDirectory(std::string_view path, std::string& absolute) {
    LockedState locked;
    std::string resolved, hostPath;
    if (const int error = locked.hostPath(path, resolved, hostPath))
        return error;
    struct stat info {};
    if (stat(hostPath.c_str(), &info) != 0)
        return enterError(errno, hostPath);
    if (!S_ISDIR(info.st_mode))
        return enterError(ENOTDIR, hostPath);
    if (faccessat(AT_FDCWD, hostPath.c_str(), X_OK, AT_EACCESS) != 0)
        return errorFromErrno(errno);
    absolute = std::move(resolved);
    return NoError;
}

bool sameDirectory(std::string_view a, std::string_view b, bool caseSensitive) {
    if (caseSensitive || a.size() != b.size())
        return a == b;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperDriveLetter(a[i]) != upperDriveLetter(b[i]))
            return false;
    }
    return true;
}

void resetCurrentDirectories() {
    DriveReading::invalidate();
    DirectoryState& s = state();
    std::lock_guard lock(s.mutex);
    s.initialized = false;
    s.current.clear();
    for (std::string& remembered : s.remembered)
        remembered.clear();
}

} // namespace platform
