#pragma once

#include <string>
#include <vector>

namespace platform {

// The command line handed to the toolkit, with the window system chosen: X11 (through XWayland
// in a Wayland session) where an X display is there and the user has chosen no platform,
// since placing windows, centring dialogs and pop-ups at the pointer need screen positions
// that Wayland gives no program. Wayland stays the fallback, and a platform the user set
// (QT_QPA_PLATFORM or -platform) stays theirs. Holds the storage, so it must outlive the
// application object, which keeps a reference to count().
class ToolkitArguments {
public:
    ToolkitArguments(int argc, char** argv);
    ToolkitArguments(const ToolkitArguments&) = delete;
    ToolkitArguments& operator=(const ToolkitArguments&) = delete;

    int& count() { return m_count; }
    char** values() { return m_pointers.data(); }

    // What was added to the command line, for tests.
    const std::vector<std::string>& added() const { return m_added; }

private:
    std::vector<std::string> m_storage;
    std::vector<std::string> m_added;
    std::vector<char*> m_pointers;
    int m_count = 0;
};

} // namespace platform
