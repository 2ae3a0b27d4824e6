#pragma once

#include <string>

// A directory written to the directory list, resolved against the process's current
// directory into the absolute drive path of the folder to enter ("C:\Photos"). The absolute
// path of an existing folder names exactly that folder, whatever its names hold (":", "*",
// "?"): items of the list, the command line and the stored directory are such paths. Other
// text is read as a user types it: a value in brackets is a path on the current drive, "X:"
// starts a path on drive X, and a last component that names an existing file or holds '*' or
// '?' is dropped. Raises EInOutError when a part cannot be entered. Nothing is entered:
// the process's current directory stays as it is, even when it has gone.
std::string resolveDirectory(const std::string& value);
