#pragma once

#include <string>
#include <string_view>

// Drive paths ("C:\a\b", root "C:\") and the process current directory with one remembered
// directory per drive. Input accepts '/' as a separator as well as '\'.
namespace platform {

// Resolves X:, X:rel, \rest, relative paths, "." and ".." (lexically, ".." stays at a root)
// against the current directory. Returns 0 and the absolute drive path, or an error code
// (ErrorInvalidDrive for an unknown letter).
int resolveDrivePath(std::string_view path, std::string& absolute);

// Absolute (or resolvable) drive path to host path. Fails with ErrorInvalidDrive or
// ErrorNotReady when the drive is unknown or has no medium.
int toHostPath(std::string_view drivePath, std::string& hostPath);

// Host path to drive path, for paths the user gives as the host knows them (command-line
// arguments). The path is resolved as the host resolves it, so "link/.." is the folder
// holding the link's target; a path without ".." keeps the form it was given, links and all,
// so that a drive whose root is reached through a link still claims it. The current drive
// wins when the path lies under its root, else the drive with the longest matching root; a
// relative path starts at the host's current directory. Returns 0, or 2 and 3 for a missing
// last or earlier component, 5, 206, ErrorInvalidDrive when no drive holds the path, or
// ErrorInvalidName when a name on it contains '\', which a drive path cannot express.
int toDrivePath(std::string_view hostPath, std::string& drivePath);

// The process current directory as a drive path.
std::string getCurrentDirectory();

// Enters a directory (the host process follows with chdir, so both agree). Returns 0 or an
// error code; on failure nothing changes.
int setCurrentDirectory(std::string_view path);

// Resolves a drive path as setCurrentDirectory does and checks that it could be entered,
// without entering it: 0 and the absolute drive path, or the error entering would give.
int findDirectory(std::string_view path, std::string& absolute);

// Whether two drive paths name one folder: their bytes are equal, ASCII letters compared
// without case on a drive that is not case-sensitive. Collation would call different names
// equal (NFC and NFD, ignorable characters, two invalid byte sequences).
bool sameDirectory(std::string_view a, std::string_view b, bool caseSensitive);

// Forgets every drive's remembered directory and returns to the host's current directory;
// for tests that install another drive table.
void resetCurrentDirectories();

} // namespace platform
