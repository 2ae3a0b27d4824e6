#include "platform/testing/RegistrySandbox.h"

#include "platform/Registry.h"

#include <QDir>

namespace platform {

RegistrySandbox::RegistrySandbox()
    : m_folder(QDir::tempPath() + QStringLiteral("/pictavo-registry-XXXXXX"))
    , m_previousConfigHome(qgetenv("XDG_CONFIG_HOME"))
    , m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    if (!m_folder.isValid())
        qFatal("cannot create a registry sandbox: %s", qPrintable(m_folder.errorString()));
    regCloseDatabase();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path()));
}

RegistrySandbox::~RegistrySandbox() {
    regCloseDatabase();
    if (m_hadConfigHome)
        qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

std::string RegistrySandbox::configHome() const {
    return QFile::encodeName(m_folder.path()).toStdString();
}

std::string RegistrySandbox::databasePath() const {
    return configHome() + "/pictavo/registry.db";
}

} // namespace platform
