#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

// Runs a tool (xdotool, xprop, ...) to its end, at most a minute; its standard output, trimmed.
inline QString toolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace testsupport
