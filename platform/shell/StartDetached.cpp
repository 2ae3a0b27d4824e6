#include "platform/shell/StartDetached.h"

#include "platform/session/SearchPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <iterator>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    const std::string path =
        absoluteSearchPath(variable ? variable : "/usr/local/bin:/usr/bin:/bin");
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string candidate = path.substr(start, end - start) + '/' + program;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

// Our environment for a child: without the stamps meant for one request only, with PATH
// cut to its absolute entries (none at all when none are left, since an empty PATH counts
// as the current directory to some shells), and with the extra entries added or replaced.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extraEnvironment) {
    static constexpr std::string_view Stamps[] = {"PICTAVO_HELP_MADE_AT="};
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view current(*entry);
        const auto named = [&current](std::string_view name) {
            return current.substr(0, name.size()) == name;
        };
        const auto replaced = [&named](const std::string& extra) {
            return named(std::string_view(extra).substr(0, extra.find('=') + 1));
        };
        if (std::any_of(std::begin(Stamps), std::end(Stamps), named) ||
            std::any_of(extraEnvironment.begin(), extraEnvironment.end(), replaced))
            continue;
        if (named("PATH=")) {
            // Relative entries name folders below the current directory, which the program
            // moves to the folder being browsed: a program planted there must not run.
            const std::string path = absoluteSearchPath(std::string(current.substr(5)));
            if (!path.empty())
                entries.push_back("PATH=" + path);
            continue;
        }
        entries.emplace_back(current);
    }
    entries.insert(entries.end(), extraEnvironment.begin(), extraEnvironment.end());
    return entries;
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
    std::vector<std::string> environment = childEnvironment(extraEnvironment);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    // Nobody reads what it writes or answers what it asks: the desktop program has no
    // console, and a script reading pictavo-index's output must not wait for a browser
    // that holds on to the pipe.
    const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nothing < 0)
        return false;

    // The grandchild reports a failed exec through the pipe; a successful one closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        close(nothing);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        close(nothing);
        return false;
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            for (int stream = 0; stream <= 2; ++stream)
                dup2(nothing, stream);
            execve(executable.c_str(), argv.data(), envp.data());
            const int err = errno;
            static_cast<void>(write(report[1], &err, sizeof err));
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    close(nothing);
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
