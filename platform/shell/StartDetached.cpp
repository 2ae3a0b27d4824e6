#include "platform/shell/StartDetached.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// Looked up before forking: between fork and exec only async-signal-safe calls are allowed.
std::string findProgram(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return program;
    const char* variable = std::getenv("PATH");
    const std::string_view path = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view folder = path.substr(start, end - start);
        std::string candidate = folder.empty() ? program : std::string(folder) + '/' + program;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace

bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& extraEnvironment) {
    const std::string executable = findProgram(program);
    if (executable.empty())
        return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view current(*entry);
        const auto replaced = [&current](const std::string& extra) {
            const std::size_t name = extra.find('=');
            return current.size() > name &&
                   current.substr(0, name + 1) == extra.substr(0, name + 1);
        };
        if (std::none_of(extraEnvironment.begin(), extraEnvironment.end(), replaced))
            envp.push_back(*entry);
    }
    for (const std::string& extra : extraEnvironment)
        envp.push_back(const_cast<char*>(extra.c_str()));
    envp.push_back(nullptr);

    // The grandchild reports a failed exec through the pipe; a successful one closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execve(executable.c_str(), argv.data(), envp.data());
            const int err = errno;
            static_cast<void>(write(report[1], &err, sizeof err));
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got = 0;
    while ((got = read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace platform
