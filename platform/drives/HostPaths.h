#pragma once

#include <string>
#include <string_view>

// Helpers on host ('/'-separated) paths shared by the drive, path and file services.
namespace platform::host {

// An absolute host path without ".", "..", repeated or trailing '/' (lexically; "/" stays
// "/"). A relative path is taken from base, which must be absolute.
std::string normalize(std::string_view path, std::string_view base = "/");

// True when a component of path is "..": only then can the lexical reading name another file
// than the host's, which follows symbolic links first.
bool hasParentStep(std::string_view path);

// The host's resolution of path (realpath): 0 and the absolute path without links, or 2 when
// only the last component is missing, 3 for a missing or non-directory component on the way,
// or the error nearest to errno.
int realPath(const std::string& path, std::string& resolved);

// The host's working directory, as the shell that started us names it when that still
// refers to the same directory ($PWD), else as the kernel resolves it; empty when it is gone.
std::string workingDirectory();

// True when path (normalized) is root itself or lies below it.
bool isWithin(std::string_view path, std::string_view root);

// The directory part of a normalized absolute path ("/a/b" gives "/a", "/a" gives "/").
std::string parentOf(std::string_view path);

// The program's per-user folder: $XDG_CONFIG_HOME/pictavo, or ~/.config/pictavo when that
// variable is unset or not absolute (normalized; it need not exist).
std::string configFolder();

// The target of a symbolic link as stored in it; empty when path is no link.
std::string readLink(const std::string& path);

// No write permission for us, or none for anybody (which even the superuser, who may write
// anything, sees as read-only). name is relative to directoryFd (or AT_FDCWD).
bool isReadOnly(int directoryFd, const char* name);

} // namespace platform::host
