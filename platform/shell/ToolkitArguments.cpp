#include "platform/shell/ToolkitArguments.h"

#include <cstdlib>

namespace platform {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

ToolkitArguments::ToolkitArguments(int argc, char** argv)
    : m_storage(argv, argv + argc) {
    bool platformGiven = isSet("QT_QPA_PLATFORM");
    for (const std::string& argument : m_storage)
        platformGiven = platformGiven || argument == "-platform" || argument == "--platform";
    if (!platformGiven && isSet("DISPLAY"))
        m_added = {"-platform", "xcb;wayland"};
    m_storage.insert(m_storage.end(), m_added.begin(), m_added.end());
    for (std::string& argument : m_storage)
        m_pointers.push_back(argument.data());
    m_count = static_cast<int>(m_pointers.size());
    m_pointers.push_back(nullptr);
}

} // namespace platform
