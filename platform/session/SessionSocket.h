#pragma once

#include <string>

namespace platform {

// Where a program keeps the local socket `name` through which one copy serves the user's whole
// session: in a folder that only the user can enter or change, on a path short enough for a
// local socket. The session's runtime folder when it is such a folder, else one of the user's
// own made below the temporary folder, else one in the user's cache folder. Another user's
// folder is never taken. Empty when none will do, with `problem` saying why.
std::string sessionSocketPath(const std::string& name, std::string& problem);

} // namespace platform
