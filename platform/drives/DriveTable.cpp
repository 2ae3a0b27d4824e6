#include "platform/drives/DriveTable.h"

#include "platform/drives/HostDriveTable.h"

namespace platform {

namespace {
const DriveTable* s_installed = nullptr;
}

const DriveTable& DriveTable::current() {
    static const HostDriveTable hostTable;
    return s_installed ? *s_installed : hostTable;
}

const DriveTable* DriveTable::install(const DriveTable* table) {
    const DriveTable* previous = s_installed;
    s_installed = table;
    return previous;
}

} // namespace platform
