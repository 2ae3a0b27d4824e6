#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts a program with its arguments as bytes, never re-encoded, so that a name which is
// not UTF-8 reaches it as it is on disk. The program is looked up on PATH when its name has
// no '/', runs in a session of its own and is nobody's child to wait for; it inherits our
// environment with the "NAME=value" entries of extraEnvironment added or replaced. True when
// it could be started.
bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& extraEnvironment = {});

} // namespace platform
