#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One line of the kernel's mount table (/proc/self/mountinfo), escapes decoded.
struct MountEntry {
    unsigned major = 0; // device of the mounted file system
    unsigned minor = 0;
    std::string mountPoint;
    std::string fileSystem; // "ext4", "fuse.sshfs", ...
    std::string source;     // "/dev/sda1", "//srv/data", "srv:/export", ...
    std::string options;    // the file system's own options ("rw,norock,...")
};

// Parses the mount table's text. Lines that do not have the table's shape are skipped, so any
// bytes give a (possibly empty) list and never an error.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The entry whose mount point is the longest prefix of an absolute, normalized host path (by
// whole components; of two entries on the same point the later, which hides the earlier).
// Nothing but the text is looked at, so a hung network mount cannot block the look-up.
const MountEntry* mountHolding(const std::vector<MountEntry>& table, std::string_view hostPath);

} // namespace platform
