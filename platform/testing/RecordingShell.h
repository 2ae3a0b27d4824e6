#pragma once

#include "platform/shell/Shell.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A shell that starts nothing: it records each request and answers with a chosen result,
// in force while it lives.
class RecordingShell : public Shell {
public:
    struct Call {
        enum Kind { Open, WinHelp };
        Kind kind = Open;
        std::string path; // the drive path as the caller passed it
        std::uint16_t command = 0;
        std::uint32_t data = 0;
    };

    explicit RecordingShell(bool result = true);
    ~RecordingShell() override;
    RecordingShell(const RecordingShell&) = delete;
    RecordingShell& operator=(const RecordingShell&) = delete;

    bool open(std::string_view drivePath) override;
    bool winHelp(std::string_view helpFile, std::uint16_t command, std::uint32_t data) override;

    void setResult(bool result) { m_result = result; }
    const std::vector<Call>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    std::vector<Call> m_calls;
    bool m_result;
    Shell* m_previous;
};

} // namespace platform
