#pragma once

#include <string>

namespace platform {

// Takes the entries of PATH that name no absolute folder out of this process's environment, so
// that neither this process nor any program it starts looks up programs there. An empty or
// relative entry means a folder below the current one, which in this program is whatever folder
// the user browses: a program planted there would run instead of the one looked for. PATH is
// unset when no entry is left, so the system's default applies.
void keepAbsoluteSearchPath();

// PATH's value without its relative entries.
std::string absoluteSearchPath(const std::string& path);

} // namespace platform
