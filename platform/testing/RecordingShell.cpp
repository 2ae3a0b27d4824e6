#include "platform/testing/RecordingShell.h"

#include "platform/errors/Faults.h"

namespace platform {

RecordingShell::RecordingShell(bool result)
    : m_result(result)
    , m_previous(Shell::install(this)) {}

RecordingShell::~RecordingShell() {
    Shell::install(m_previous);
}

bool RecordingShell::open(std::string_view drivePath) {
    m_calls.push_back(Call{Call::Open, std::string(drivePath), 0, 0});
    if (injectedFault(Operation::ShellOpen))
        return false;
    return m_result;
}

bool RecordingShell::winHelp(std::string_view helpFile, std::uint16_t command, std::uint32_t data) {
    m_calls.push_back(Call{Call::WinHelp, std::string(helpFile), command, data});
    return m_result;
}

} // namespace platform
