#pragma once

#include <string>

namespace platform {

// The target platform's drive types, with their values.
enum class DriveKind : int {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// What the platform tells about one drive besides its root. Finding these out never touches a
// removable drive's medium and never waits for a network share.
struct DriveFacts {
    char letter = 'C';
    DriveKind kind = DriveKind::Fixed;
    int volumeError = 0;    // why label and case flags could not be had; 0 when they could
    std::string label;      // the volume label, empty when there is none
    int remoteError = 0;    // why the remote name could not be had; 0 when it could
    std::string remoteName; // a network drive's share, "\\srv\data"
    bool casePreserved = false;
    bool caseSensitive = false;
};

} // namespace platform
