#pragma once

#include "platform/shell/Shell.h"

namespace platform {

// The desktop of this machine: xdg-open for "open", pictavo-help beside the executable for
// help requests; both started detached.
class HostShell : public Shell {
public:
    bool open(std::string_view drivePath) override;
    bool winHelp(std::string_view helpFile, std::uint16_t command, std::uint32_t data) override;
};

} // namespace platform
