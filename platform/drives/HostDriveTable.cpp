#include "platform/drives/HostDriveTable.h"

#include "platform/drives/DriveLetter.h"
#include "platform/drives/HostPaths.h"
#include "platform/drives/HostVolumes.h"
#include "platform/drives/RootProbe.h"

#include <array>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Long enough for a local disc or a healthy share, short enough that the window still
// answers when a mount does not.
constexpr std::chrono::milliseconds ProbeBound{200};

} // namespace

std::string HostDriveTable::deviceFolder() {
    return host::configFolder() + "/dosdevices";
}

std::vector<Drive> HostDriveTable::drives() const {
    std::array<Drive, 26> table{};
    std::array<std::string, 26> links{};
    std::array<bool, 26> present{};
    // Of two entries "d:" and "D:" the lower-case one counts, as the device folder's
    // convention has it; directory order must not decide.
    std::array<bool, 26> lowerCaseSeen{};
    table[2] = Drive{'C', "/"};
    table[2].realRoot = table[2].hostRoot;
    present[2] = true;

    const std::string folder = deviceFolder();
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.size() != 2 || name[1] != ':' || !isDriveLetter(name[0]))
                continue;
            const std::string link = folder + '/' + entry->d_name;
            struct stat info {};
            if (lstat(link.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
                continue;
            const std::string target = host::readLink(link);
            if (target.empty())
                continue;
            const char letter = upperDriveLetter(name[0]);
            const auto index = static_cast<std::size_t>(letter - 'A');
            if (lowerCaseSeen[index])
                continue;
            lowerCaseSeen[index] = letter != name[0];
            table[index] = Drive{letter, host::normalize(target, folder), false};
            links[index] = link;
            present[index] = true;
        }
        closedir(dir);
    }

    // Only the links are looked at, all at once and with a bound; C: at "/" needs no look.
    std::vector<std::string> toProbe;
    std::vector<std::size_t> probed;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (present[i] && !links[i].empty()) {
            toProbe.push_back(links[i]);
            probed.push_back(i);
        }
    }
    const std::vector<host::RootProbe> probes = host::probeRoots(toProbe, ProbeBound);
    for (std::size_t k = 0; k < probed.size(); ++k) {
        Drive& drive = table[probed[k]];
        drive.ready = probes[k].isDirectory;
        drive.realRoot = probes[k].realPath;
    }

    std::vector<MountEntry> mounts;
    const bool haveMounts = host::readMountTable(mounts);
    std::vector<Drive> result;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!present[i])
            continue;
        Drive& drive = table[i];
        if (haveMounts && drive.ready && !drive.realRoot.empty()) {
            if (const MountEntry* mount = mountHolding(mounts, drive.realRoot))
                drive.mount = *mount;
        }
        result.push_back(std::move(drive));
    }
    return result;
}

} // namespace platform
