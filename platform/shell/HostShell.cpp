#include "platform/shell/HostShell.h"

#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"
#include "platform/errors/Faults.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <chrono>
#include <climits>
#include <string>
#include <unistd.h>

namespace platform {

namespace {

std::string executableFolder() {
    if (QCoreApplication::instance())
        return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    std::string self(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= self.size())
        return {};
    self.resize(static_cast<std::size_t>(length));
    return host::parentOf(self);
}

} // namespace

bool HostShell::open(std::string_view drivePath) {
    if (injectedFault(Operation::ShellOpen))
        return false;
    std::string hostPath;
    if (toHostPath(drivePath, hostPath))
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   {QFile::decodeName(QByteArray::fromStdString(hostPath))});
}

bool HostShell::winHelp(std::string_view helpFile, std::uint16_t command, std::uint32_t data) {
    std::string hostPath;
    if (toHostPath(helpFile, hostPath))
        return false;
    const std::string folder = executableFolder();
    if (folder.empty())
        return false;
    QProcess viewer;
    viewer.setProgram(QFile::decodeName(QByteArray::fromStdString(folder + "/pictavo-help")));
    viewer.setArguments({QFile::decodeName(QByteArray::fromStdString(hostPath)),
                         QString::number(command), QString::number(data)});
    // Two viewers started in quick succession may reach the running one in either order;
    // the moment of the request tells it which came last.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PICTAVO_HELP_MADE_AT"),
                       QString::number(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::steady_clock::now().time_since_epoch())
                                           .count()));
    viewer.setProcessEnvironment(environment);
    return viewer.startDetached();
}

} // namespace platform
