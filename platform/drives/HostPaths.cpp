#include "platform/drives/HostPaths.h"

#include "platform/drives/PathParts.h"
#include "platform/errors/ErrorCodes.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::host {

std::string normalize(std::string_view path, std::string_view base) {
    std::vector<std::string_view> parts;
    const auto add = [&parts](std::string_view text) {
        addPathParts(parts, text, [](char c) { return c == '/'; });
    };
    if (path.empty() || path.front() != '/')
        add(base);
    add(path);

    std::string result;
    for (const std::string_view part : parts) {
        result += '/';
        result += part;
    }
    return result.empty() ? std::string("/") : result;
}

bool hasParentStep(std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

int realPath(const std::string& path, std::string& resolved) {
    if (char* result = ::realpath(path.c_str(), nullptr)) {
        resolved = result;
        std::free(result);
        return NoError;
    }
    const int err = errno;
    if (err == ENOTDIR)
        return ErrorPathNotFound;
    if (err != ENOENT)
        return errorFromErrno(err);
    std::string_view rest = path;
    while (rest.size() > 1 && rest.back() == '/')
        rest.remove_suffix(1);
    const auto slash = rest.rfind('/');
    const std::string parent = slash == std::string_view::npos ? std::string(".")
                               : slash == 0                    ? std::string("/")
                                                               : std::string(rest.substr(0, slash));
    struct stat info {};
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ErrorFileNotFound
                                                                     : ErrorPathNotFound;
}

std::string workingDirectory() {
    char* name = get_current_dir_name();
    if (!name)
        return {};
    std::string result(name);
    std::free(name);
    if (result.empty() || result.front() != '/')
        return {}; // "(unreachable)/..." for a directory outside our root
    return result;
}

bool isWithin(std::string_view path, std::string_view root) {
    if (root == "/")
        return !path.empty() && path.front() == '/';
    if (path.size() < root.size() || path.substr(0, root.size()) != root)
        return false;
    return path.size() == root.size() || path[root.size()] == '/';
}

std::string parentOf(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

bool isReadOnly(int directoryFd, const char* name) {
    struct stat info {};
    if (fstatat(directoryFd, name, &info, 0) == 0 && (info.st_mode & 0222) == 0)
        return true;
    return faccessat(directoryFd, name, W_OK, AT_EACCESS) != 0 &&
           (errno == EACCES || errno == EROFS);
}

std::string configFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return normalize(std::string(xdg) + "/pictavo");
    std::string home = "/";
    if (const char* variable = std::getenv("HOME"); variable && *variable == '/')
        home = variable;
    else if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        home = entry->pw_dir;
    return normalize(home + "/.config/pictavo");
}

std::string readLink(const std::string& path) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

} // namespace platform::host
