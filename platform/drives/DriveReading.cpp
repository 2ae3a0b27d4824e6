#include "platform/drives/DriveReading.h"

#include <optional>

namespace platform {

namespace {

// Per thread: a reading serves the thread that took it, and only the user-interface thread
// takes one.
thread_local int t_depth = 0;
thread_local std::optional<std::vector<Drive>> t_drives;

} // namespace

DriveReading::DriveReading() {
    if (t_depth++ == 0)
        t_drives.reset();
}

DriveReading::~DriveReading() {
    if (--t_depth == 0)
        t_drives.reset();
}

std::vector<Drive> DriveReading::drives() {
    if (t_depth == 0)
        return DriveTable::current().drives();
    if (!t_drives)
        t_drives = DriveTable::current().drives();
    return *t_drives;
}

void DriveReading::invalidate() {
    t_drives.reset();
}

} // namespace platform
