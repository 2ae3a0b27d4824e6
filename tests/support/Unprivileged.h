#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Runs work() in a forked child without privileges, so that permissions matter even where
// the tests run as the superuser (CI does): the superuser's child becomes "nobody". Returns
// work()'s result (0-254), or -1. Files the child uses must be open to it.
template <typename Work>
int runUnprivileged(Work work) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                setuid(nobody->pw_uid) != 0)
                _exit(255);
        }
        _exit(work() & 0xFF);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

} // namespace testsupport
