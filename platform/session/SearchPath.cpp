#include "platform/session/SearchPath.h"

#include <cstdlib>

namespace platform {

std::string absoluteSearchPath(const std::string& path) {
    std::string kept;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start && path[start] == '/')
            kept += (kept.empty() ? "" : ":") + path.substr(start, end - start);
        start = end + 1;
    }
    return kept;
}

void keepAbsoluteSearchPath() {
    const char* path = std::getenv("PATH");
    if (!path)
        return;
    const std::string kept = absoluteSearchPath(path);
    if (kept.empty())
        ::unsetenv("PATH");
    else if (kept != path)
        ::setenv("PATH", kept.c_str(), 1);
}

} // namespace platform
