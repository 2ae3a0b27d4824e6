#pragma once

#include <string>
#include <string_view>

namespace platform {

// The folder a command-line argument names, as a drive path: a folder (or a link to one) is
// taken as toDrivePath takes it, and anything else that exists stands for the folder holding
// it, as a file manager's "Open with" hands over a file. Returns toDrivePath's errors.
int toDriveFolder(std::string_view hostPath, std::string& drivePath);

} // namespace platform
