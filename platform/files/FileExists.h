#pragma once

#include <string_view>

namespace platform {

// True when a drive path (absolute or relative to the current directory) names an existing
// entry that is not a directory.
bool fileExists(std::string_view path);

} // namespace platform
