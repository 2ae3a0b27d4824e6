#pragma once

#include <string>

// A directory written by the user, resolved against the process's current directory: the
// drive letter it lands on and the directory part without the drive ("\Photos"). A value in
// brackets is a path on the current drive; a last component that names an existing file or
// holds '*' or '?' is dropped. Raises EInOutError when a part cannot be entered; the process's
// current directory is always what it was before.
struct ResolvedDirectory {
    char drive = 'C';
    std::string directory;
};

ResolvedDirectory ResolveDirectory(const std::string& value);
