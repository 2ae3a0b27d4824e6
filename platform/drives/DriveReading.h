#pragma once

#include "platform/drives/DriveTable.h"

#include <vector>

namespace platform {

// One reading of the drive table for everything one listing or one change of directory does.
// While an instance lives, the path and volume services on its thread use the drives it read
// instead of reading the device folder and the mount table and probing every drive again for
// each path they handle. Instances nest; the outermost one reads.
class DriveReading {
public:
    DriveReading();
    ~DriveReading();
    DriveReading(const DriveReading&) = delete;
    DriveReading& operator=(const DriveReading&) = delete;

    // The drives of the reading in force on this thread, or a fresh read when there is none.
    static std::vector<Drive> drives();
    // Forgets the reading in force, so that the next look reads again: the table it holds
    // was changed (a test's double, a drive mapped).
    static void invalidate();
};

} // namespace platform
