#include "platform/shell/Shell.h"

#include "platform/shell/HostShell.h"

namespace platform {

namespace {
Shell* s_installed = nullptr;
}

Shell& Shell::current() {
    static HostShell hostShell;
    return s_installed ? *s_installed : hostShell;
}

Shell* Shell::install(Shell* shell) {
    Shell* previous = s_installed;
    s_installed = shell;
    return previous;
}

} // namespace platform
