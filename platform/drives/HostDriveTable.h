#pragma once

#include "platform/drives/DriveTable.h"

#include <string>

namespace platform {

// The drives of this machine: C: is "/", further letters are the "d:" links of the per-user
// device folder ($XDG_CONFIG_HOME/pictavo/dosdevices).
class HostDriveTable : public DriveTable {
public:
    std::vector<Drive> drives() const override;

    static std::string deviceFolder();
};

} // namespace platform
