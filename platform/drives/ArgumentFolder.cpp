#include "platform/drives/ArgumentFolder.h"

#include "platform/drives/Paths.h"

#include <sys/stat.h>

namespace platform {

namespace {

// Whatever stat() takes for a non-directory ends in a name: "x/", "x/." and "x/.." fail on a
// file. Cutting that name keeps the folder in the form the user gave it.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return std::string(1, '.');
    return path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

int toDriveFolder(std::string_view hostPath, std::string& drivePath) {
    const std::string path(hostPath);
    struct stat info {};
    if (path.find('\0') == std::string::npos && stat(path.c_str(), &info) == 0 &&
        !S_ISDIR(info.st_mode))
        return toDrivePath(folderOf(path), drivePath);
    return toDrivePath(path, drivePath);
}

} // namespace platform
