#include "platform/testing/RegistrySandbox.h"

#include "platform/registry/Registry.h"

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

void RegistrySandbox::setValue(const std::string& keyPath, const std::string& name,
                               std::uint32_t type, const std::string& bytes) {
    RegKey key = RegNoKey;
    if (regCreateKey(RegCurrentUser, keyPath, key) != 0 || regSetValue(key, name, type, bytes) != 0)
        qFatal("cannot store %s in %s", name.c_str(), keyPath.c_str());
    regCloseKey(key);
}

RegistrySandbox::Value RegistrySandbox::value(const std::string& keyPath, const std::string& name) {
    Value value;
    RegKey key = RegNoKey;
    value.status = regOpenKey(RegCurrentUser, keyPath, key);
    if (value.status == 0)
        value.status = regReadValue(key, name, value.type, value.bytes);
    regCloseKey(key);
    return value;
}

bool RegistrySandbox::keyExists(const std::string& keyPath) {
    RegKey key = RegNoKey;
    const bool exists = regOpenKey(RegCurrentUser, keyPath, key) == 0;
    regCloseKey(key);
    return exists;
}

std::string RegistrySandbox::dword(std::int32_t number) {
    const auto value = static_cast<std::uint32_t>(number);
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

} // namespace platform
