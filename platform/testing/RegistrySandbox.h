#pragma once

#include <QByteArray>
#include <QTemporaryDir>

#include <string>

namespace platform {

// Points the registry at a fresh, empty database in a folder of its own while it lives, so
// each test starts from nothing; the previous configuration folder returns afterwards.
class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The XDG_CONFIG_HOME in force while the sandbox lives.
    std::string configHome() const;
    std::string databasePath() const;

private:
    QTemporaryDir m_folder;
    QByteArray m_previousConfigHome;
    bool m_hadConfigHome;
};

} // namespace platform
