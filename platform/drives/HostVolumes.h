#pragma once

#include "platform/drives/DriveFacts.h"
#include "platform/drives/DriveTable.h"
#include "platform/drives/MountInfo.h"

#include <string>
#include <string_view>
#include <vector>

// How the host's mount table and labelled block devices answer for drives.
namespace platform::host {

struct VolumeLabel {
    unsigned major = 0;
    unsigned minor = 0;
    std::string device; // "/dev/sda1"
    std::string label;
};

// The labels of /dev/disk/by-label (names decoded from udev's \xHH escapes). Reads that folder
// and the device nodes only, never a mounted file system.
std::vector<VolumeLabel> volumeLabels(const std::string& folder = "/dev/disk/by-label");

// The facts of one drive from its mount (or, without one, the mount table) and the labels;
// nothing else is looked at.
DriveFacts describeDrive(const Drive& drive, const std::vector<MountEntry>* mounts,
                         const std::vector<VolumeLabel>& labels);

// The share a network mount stands for, the way the target platform writes it:
// "//srv/data" and "srv:/data" become "\\srv\data"; below lies the part of the drive's root
// under the mount point ("sub/dir" gives "\\srv\data\sub\dir").
std::string remoteNameOf(std::string_view source, std::string_view below = {});

// The whole mount table of this process; false when it cannot be read.
bool readMountTable(std::vector<MountEntry>& table);

} // namespace platform::host
