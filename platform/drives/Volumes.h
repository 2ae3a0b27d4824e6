#pragma once

#include "platform/drives/DriveFacts.h"

#include <cstdint>
#include <string>
#include <vector>

// The drive and volume queries of the selectors, answered by the drive table in force.
namespace platform {

// Bit 0 for A: up to bit 25 for Z: for each letter that exists.
std::uint32_t logicalDrives();

// The facts of every existing drive in letter order, from one look at the mount table.
std::vector<DriveFacts> describeDrives();

// Kind of one drive (any case); NoRootDir for a letter that does not exist.
DriveKind driveKind(char letter);

struct VolumeInformation {
    std::string label;
    bool casePreserved = false;
    bool caseSensitive = false;
};

// Label and case flags of a drive; 0 or an error code (15 unknown drive, 21 not ready), and
// then an empty label and both flags false.
int volumeInformation(char letter, VolumeInformation& volume);

// A network drive's share ("\\srv\data"); 0 or an error code, and then empty.
int remoteName(char letter, std::string& name);

} // namespace platform
