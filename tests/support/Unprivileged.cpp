#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdio>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

QByteArray runUnprivileged(const std::function<QByteArray()>& body) {
    int pipeFds[2];
    std::fflush(nullptr);
    const pid_t child = ::pipe(pipeFds) == 0 ? ::fork() : -1;
    if (child == 0) {
        const passwd* user = ::getpwnam("nobody");
        if (::geteuid() == 0 && (!user || ::setgroups(0, nullptr) != 0 ||
                                 ::setgid(user->pw_gid) != 0 || ::setuid(user->pw_uid) != 0))
            ::_exit(3);
        QFile result;
        ::_exit(result.open(pipeFds[1], QIODevice::WriteOnly) && result.write(body()) >= 0 &&
                        result.flush()
                    ? 0
                    : 4); // no exit handlers: they belong to the test process
    }
    if (child < 0)
        return "<child not started>";
    ::close(pipeFds[1]);
    QFile pipe;
    const QByteArray result =
        pipe.open(pipeFds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle) ? pipe.readAll() : "";
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "<child failed with status " + QByteArray::number(status) + ">";
    return result;
}

void handOver(const QString& path) {
    const passwd* user = ::getpwnam("nobody");
    if (::geteuid() != 0 || !user)
        return;
    QDirIterator below(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    for (QString entry = path; !entry.isEmpty(); entry = below.hasNext() ? below.next() : "")
        ::lchown(QFile::encodeName(entry).constData(), user->pw_uid, user->pw_gid);
    // Below it, only the test's own temporary folder keeps others out.
    const QString temp = QDir(QDir::tempPath()).canonicalPath() + '/';
    const QByteArray top = QFile::encodeName(temp + path.mid(temp.size()).section('/', 0, 0));
    struct stat status;
    if (path.startsWith(temp) && ::stat(top.constData(), &status) == 0)
        ::chmod(top.constData(), (status.st_mode & 07777) | 0011);
}

} // namespace testsupport
