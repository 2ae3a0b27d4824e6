#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <cstdio>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

const passwd* unprivilegedUser() {
    return ::getpwnam("nobody");
}

} // namespace

QByteArray runUnprivileged(const std::function<QByteArray()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "<child not started>";
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return "<child not started>";
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::geteuid() == 0) {
            const passwd* user = unprivilegedUser();
            if (!user || ::setgroups(0, nullptr) != 0 || ::setgid(user->pw_gid) != 0 ||
                ::setuid(user->pw_uid) != 0)
                ::_exit(3);
        }
        const QByteArray result = body();
        for (qsizetype done = 0; done < result.size();) {
            const ssize_t written = ::write(pipeFds[1], result.constData() + done,
                                            static_cast<size_t>(result.size() - done));
            if (written <= 0)
                ::_exit(4);
            done += written;
        }
        ::_exit(0); // no exit handlers: they belong to the test process
    }
    ::close(pipeFds[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            result.append(buffer, got);
        else if (errno != EINTR)
            break;
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "<child failed with status " + QByteArray::number(status) + ">";
    return result;
}

void handOver(const QString& path) {
    const passwd* user = unprivilegedUser();
    if (::geteuid() != 0 || !user)
        return;
    const auto give = [&](const QString& entry) {
        ::lchown(QFile::encodeName(entry).constData(), user->pw_uid, user->pw_gid);
    };
    give(path);
    QDirIterator below(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (below.hasNext())
        give(below.next());
    const QString temp = QDir(QDir::tempPath()).canonicalPath();
    for (QString folder = QFileInfo(path).absolutePath();
         folder.startsWith(temp + QLatin1Char('/')); folder = QFileInfo(folder).path()) {
        struct stat status;
        const QByteArray name = QFile::encodeName(folder);
        if (::stat(name.constData(), &status) == 0)
            ::chmod(name.constData(), (status.st_mode & 07777) | 0011);
    }
}

} // namespace testsupport
