#include "platform/drives/HostVolumes.h"

#include "platform/drives/HostPaths.h"
#include "platform/errors/ErrorCodes.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> names) {
    for (const std::string_view name : names) {
        if (value == name)
            return true;
    }
    return false;
}

bool hasOption(std::string_view options, std::string_view option) {
    std::size_t start = 0;
    while (start <= options.size()) {
        std::size_t end = options.find(',', start);
        if (end == std::string_view::npos)
            end = options.size();
        if (options.substr(start, end - start) == option)
            return true;
        start = end + 1;
    }
    return false;
}

DriveKind kindOf(std::string_view fileSystem) {
    if (isOneOf(fileSystem, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"}))
        return DriveKind::Remote;
    if (isOneOf(fileSystem, {"iso9660", "udf"}))
        return DriveKind::CdRom;
    if (isOneOf(fileSystem, {"tmpfs", "ramfs"}))
        return DriveKind::RamDisk;
    return DriveKind::Fixed;
}

void caseFlagsOf(const MountEntry& mount, DriveFacts& facts) {
    const std::string_view fs = mount.fileSystem;
    if (isOneOf(fs, {"vfat", "exfat", "ntfs", "ntfs3", "cifs", "smb3", "smbfs", "hfsplus"})) {
        facts.casePreserved = true;
        facts.caseSensitive = false;
    } else if (fs == "msdos" || (fs == "iso9660" && hasOption(mount.options, "norock"))) {
        // Without Rock Ridge a disc has upper-case names only; Joliet keeps the case it has.
        facts.casePreserved = fs == "iso9660" && !hasOption(mount.options, "nojoliet");
        facts.caseSensitive = false;
    } else {
        facts.casePreserved = true;
        facts.caseSensitive = true;
    }
}

// udev writes bytes it does not keep in link names as \xHH.
std::string decodeLabel(std::string_view name) {
    std::string result;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned value = 0;
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::from_chars(name.data() + i + 2, name.data() + i + 4, value, 16).ptr ==
                name.data() + i + 4) {
            result += static_cast<char>(value);
            i += 3;
        } else {
            result += name[i];
        }
    }
    return result;
}

} // namespace

namespace host {

bool readMountTable(std::vector<MountEntry>& table) {
    const int fd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string text;
    std::array<char, 16384> buffer{};
    for (;;) {
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            close(fd);
            if (got < 0)
                return false;
            break;
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
    }
    table = parseMountInfo(text);
    return true;
}

std::vector<VolumeLabel> volumeLabels(const std::string& folder) {
    std::vector<VolumeLabel> labels;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return labels;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string link = folder + '/' + entry->d_name;
        VolumeLabel label;
        label.label = decodeLabel(entry->d_name);
        const std::string target = readLink(link);
        label.device = target.empty() ? link : normalize(target, folder);
        struct stat info {};
        if (stat(link.c_str(), &info) == 0 && S_ISBLK(info.st_mode)) {
            label.major = major(info.st_rdev);
            label.minor = minor(info.st_rdev);
        }
        labels.push_back(std::move(label));
    }
    closedir(dir);
    return labels;
}

std::string remoteNameOf(std::string_view source, std::string_view below) {
    std::string result;
    const std::size_t colon = source.find(':');
    const std::size_t slash = source.find('/');
    if (source.substr(0, 2) != "//" && colon != std::string_view::npos && colon > 0 &&
        (slash == std::string_view::npos || colon < slash)) {
        // host:/path (NFS) or user@host:path (SSHFS)
        result = "\\\\" + std::string(source.substr(0, colon));
        std::string_view path = source.substr(colon + 1);
        while (!path.empty() && path.front() == '/')
            path.remove_prefix(1);
        if (!path.empty())
            result += '\\' + std::string(path);
    } else {
        result = source;
    }
    if (!below.empty()) {
        if (!result.empty() && result.back() != '/' && result.back() != '\\')
            result += '\\';
        result += below;
    }
    for (char& c : result) {
        if (c == '/')
            c = '\\';
    }
    while (result.size() > 2 && result.back() == '\\')
        result.pop_back();
    return result;
}

DriveFacts describeDrive(const Drive& drive, const std::vector<MountEntry>* mounts,
                         const std::vector<VolumeLabel>& labels) {
    DriveFacts facts;
    facts.letter = drive.letter;
    if (!drive.ready) {
        // A dangling device link: a removable drive without its medium.
        facts.kind = DriveKind::Removable;
        facts.volumeError = ErrorNotReady;
        facts.remoteError = ErrorNotReady;
        return facts;
    }
    // The mount that really holds the root, found when the drives were read; a drive described
    // without one is looked up by its root as given.
    const std::string& root = drive.realRoot.empty() ? drive.hostRoot : drive.realRoot;
    const MountEntry* mount = drive.mount ? &*drive.mount
                              : mounts    ? mountHolding(*mounts, root)
                                          : nullptr;
    if (!mount) {
        facts.volumeError = ErrorNotReady;
        facts.remoteError = ErrorNotReady;
        return facts;
    }
    facts.kind = kindOf(mount->fileSystem);
    caseFlagsOf(*mount, facts);
    for (const VolumeLabel& label : labels) {
        if ((mount->major != 0 && label.major == mount->major && label.minor == mount->minor) ||
            label.device == mount->source) {
            facts.label = label.label;
            break;
        }
    }
    if (facts.kind == DriveKind::Remote) {
        const std::string point = normalize(mount->mountPoint);
        std::string_view below = isWithin(root, point) ? std::string_view(root).substr(point.size())
                                                       : std::string_view();
        while (!below.empty() && below.front() == '/')
            below.remove_prefix(1);
        facts.remoteName = remoteNameOf(mount->source, below);
    } else {
        // ERROR_NOT_CONNECTED: the drive is no network connection.
        facts.remoteError = 2250;
    }
    return facts;
}

} // namespace host

std::vector<DriveFacts> DriveTable::describe(const std::vector<Drive>& drives) const {
    // The host's drives come with their mounts; the table is read only for others.
    std::vector<MountEntry> mounts;
    bool haveMounts = false;
    for (const Drive& drive : drives) {
        if (drive.ready && !drive.mount) {
            haveMounts = host::readMountTable(mounts);
            break;
        }
    }
    const std::vector<host::VolumeLabel> labels = host::volumeLabels();
    std::vector<DriveFacts> result;
    result.reserve(drives.size());
    for (const Drive& drive : drives)
        result.push_back(host::describeDrive(drive, haveMounts ? &mounts : nullptr, labels));
    return result;
}

} // namespace platform
