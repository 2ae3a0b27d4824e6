#pragma once

#include <cstdint>
#include <string_view>

// Commands of the help viewer, as winHelp takes them.
inline constexpr std::uint16_t HELP_CONTEXT = 1;
inline constexpr std::uint16_t HELP_QUIT = 2;
inline constexpr std::uint16_t HELP_CONTENTS = 3;
inline constexpr std::uint16_t HELP_CONTEXTPOPUP = 8;

namespace platform {

// The desktop shell and the help viewer. Tests install a recording double
// (platform/testing/RecordingShell.h).
class Shell {
public:
    virtual ~Shell() = default;

    // Opens a file (drive path) with the desktop's default viewer, detached; true when the
    // request could be started. Callers are free to ignore the result.
    virtual bool open(std::string_view drivePath) = 0;

    // Asks the help viewer to act on a help file (drive path): contents, a topic or a
    // pop-up. True when the viewer could be started.
    virtual bool winHelp(std::string_view helpFile, std::uint16_t command, std::uint32_t data) = 0;

    static Shell& current();
    static Shell* install(Shell* shell); // nullptr restores the host's; returns the previous
};

} // namespace platform
