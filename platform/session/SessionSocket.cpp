#include "platform/session/SessionSocket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// The address holds the path and its terminating zero.
constexpr std::size_t LongestSocketPath = sizeof(sockaddr_un::sun_path) - 1;

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : std::string();
}

// Whether `folder` is one only this user can change, and why not. A folder of the user's own
// that others may enter is closed to them; `followLink` is for folders the system names.
bool isPrivate(const std::string& folder, bool followLink, std::string& why) {
    struct stat status {};
    if ((followLink ? ::stat(folder.c_str(), &status) : ::lstat(folder.c_str(), &status)) != 0) {
        why = folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        why = folder + " is no folder";
        return false;
    }
    if (status.st_uid != ::geteuid()) {
        why = folder + " belongs to another user";
        return false;
    }
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        why = folder + " is open to other users";
        return false;
    }
    return true;
}

// Makes the last component of `folder` when it is missing, private from the start.
bool makePrivate(const std::string& folder, std::string& why) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        why = folder + ": " + std::strerror(errno);
        return false;
    }
    return isPrivate(folder, false, why);
}

std::string cacheFolder() {
    if (std::string cache = variable("XDG_CACHE_HOME"); !cache.empty())
        return cache;
    std::string home = variable("HOME");
    if (home.empty())
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir)
            home = entry->pw_dir;
    return home.empty() || home == "/" ? std::string() : home + "/.cache";
}

} // namespace

std::string sessionSocketPath(const std::string& name, std::string& problem) {
    problem.clear();
    std::string why;
    const auto fits = [&](const std::string& folder) {
        if (folder.size() + 1 + name.size() <= LongestSocketPath)
            return true;
        why = folder + " is too long a path for a local socket";
        return false;
    };
    const auto note = [&] { problem += (problem.empty() ? "" : "; ") + why; };

    if (const std::string runtime = variable("XDG_RUNTIME_DIR"); runtime.empty())
        problem = "XDG_RUNTIME_DIR names no folder";
    else if (fits(runtime) && isPrivate(runtime, true, why))
        return runtime + '/' + name;
    else
        note();

    std::string temporary = variable("TMPDIR");
    if (temporary.empty() || !fits(temporary + "/pictavo-4294967295"))
        temporary = "/tmp";
    const std::string own = temporary + "/pictavo-" + std::to_string(::geteuid());
    if (fits(own) && makePrivate(own, why))
        return own + '/' + name;
    note();

    if (const std::string cache = cacheFolder(); !cache.empty()) {
        const std::string folder = cache + "/pictavo";
        ::mkdir(cache.c_str(), 0700);
        if (fits(folder) && makePrivate(folder, why))
            return folder + '/' + name;
        note();
    }
    return {};
}

} // namespace platform
