#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

namespace testsupport {

TestEnvironment::TestEnvironment()
    : m_root(QDir::tempPath() + QStringLiteral("/pictavo-test-XXXXXX")) {
    if (!m_root.isValid())
        qFatal("cannot create a temporary test folder: %s", qPrintable(m_root.errorString()));

    QDir root(m_root.path());
    root.mkpath(QStringLiteral("home/.config"));
    root.mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("runtime")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString TestEnvironment::home() const {
    return m_root.path() + QStringLiteral("/home");
}

QString TestEnvironment::configHome() const {
    return m_root.path() + QStringLiteral("/home/.config");
}

} // namespace testsupport
