#include "platform/drives/HostDriveTable.h"

#include "platform/drives/DriveLetter.h"
#include "platform/drives/HostPaths.h"
#include "platform/drives/HostVolumes.h"

#include <array>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string HostDriveTable::deviceFolder() {
    return host::configFolder() + "/dosdevices";
}

std::vector<Drive> HostDriveTable::drives() const {
    std::array<Drive, 26> table{};
    std::array<bool, 26> present{};
    // Of two entries "d:" and "D:" the lower-case one counts, as the device folder's
    // convention has it; directory order must not decide.
    std::array<bool, 26> lowerCaseSeen{};
    table[2] = Drive{'C', "/", true};
    present[2] = true;

    std::vector<MountEntry> mounts;
    enum { Unread, Read, Unreadable } mountTable = Unread;
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
            Drive& drive = table[index];
            drive.letter = letter;
            drive.hostRoot = host::normalize(target, folder);
            if (mountTable == Unread)
                mountTable = host::readMountTable(mounts) ? Read : Unreadable;
            drive.ready =
                host::isReadyRoot(link, drive.hostRoot, mountTable == Read ? &mounts : nullptr);
            present[index] = true;
        }
        closedir(dir);
    }

    std::vector<Drive> result;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (present[i])
            result.push_back(table[i]);
    }
    return result;
}

} // namespace platform
