#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts a program with its arguments as bytes, never re-encoded, so that a name which is
// not UTF-8 reaches it as it is on disk. The program is looked up on the absolute entries of
// PATH when its name has no '/', runs in a session of its own with its standard streams on
// /dev/null and is nobody's child to wait for. It inherits our environment without request
// stamps and relative PATH entries, with the "NAME=value" entries of extraEnvironment added or
// replaced. True when it could be started.
bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& extraEnvironment = {});

} // namespace platform
