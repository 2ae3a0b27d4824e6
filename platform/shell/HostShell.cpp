#include "platform/shell/HostShell.h"

#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"
#include "platform/errors/Faults.h"
#include "platform/shell/StartDetached.h"

#include <string>

namespace platform {

namespace {

std::string executableFolder() {
    const std::string self = host::readLink("/proc/self/exe");
    return self.empty() ? std::string() : host::parentOf(self);
}

} // namespace

bool HostShell::open(std::string_view drivePath) {
    if (injectedFault(Operation::ShellOpen))
        return false;
    std::string hostPath;
    if (toHostPath(drivePath, hostPath))
        return false;
    return startDetached("xdg-open", {hostPath});
}

bool HostShell::winHelp(std::string_view helpFile, std::uint16_t command, std::uint32_t data) {
    std::string hostPath;
    if (toHostPath(helpFile, hostPath))
        return false;
    const std::string folder = executableFolder();
    if (folder.empty())
        return false;
    return startDetached(folder + "/pictavo-help",
                         {hostPath, std::to_string(command), std::to_string(data)});
}

} // namespace platform
