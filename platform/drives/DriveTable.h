#pragma once

#include "platform/drives/DriveFacts.h"
#include "platform/drives/MountInfo.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct Drive {
    Drive() = default;
    Drive(char driveLetter, std::string root, bool isReady = true)
        : letter(driveLetter)
        , hostRoot(std::move(root))
        , ready(isReady) {}

    char letter = 'C';    // upper case
    std::string hostRoot; // host directory of the drive's root, without a trailing '/' except "/"
    bool ready = true;    // false: no medium (a dangling device link) or no answer in time
    // The mount that really holds the root, links resolved; unset when that is not known.
    std::optional<MountEntry> mount;
    std::string realRoot; // hostRoot with every link resolved; empty when not known
};

// The machine's drive letters: C: is the host root, further letters come from the per-user
// device folder. Tests install their own table (platform/testing/FakeDriveTable.h).
class DriveTable {
public:
    virtual ~DriveTable() = default;

    // Sorted by letter; read anew on every call, so a link added at run time shows up. The
    // path services read it through DriveReading, once per listing or change of directory.
    virtual std::vector<Drive> drives() const = 0;

    // Kind, label, remote name and case flags of each of the given drives, in their order. The
    // host's come from the mount table and the labelled block devices (HostVolumes.cpp).
    virtual std::vector<DriveFacts> describe(const std::vector<Drive>& drives) const;

    // The table in force: the host's unless a test has installed another.
    static const DriveTable& current();
    // Installs a table (nullptr restores the host's); returns the one it replaces.
    static const DriveTable* install(const DriveTable* table);
};

} // namespace platform
