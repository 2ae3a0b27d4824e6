#include "platform/files/FileExists.h"

#include "platform/drives/Paths.h"

#include <sys/stat.h>

namespace platform {

bool fileExists(std::string_view path) {
    std::string hostPath;
    if (toHostPath(path, hostPath) != 0)
        return false;
    struct stat info {};
    return stat(hostPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace platform
