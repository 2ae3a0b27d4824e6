#pragma once

#include <QByteArray>
#include <QTemporaryDir>

#include <cstdint>
#include <string>

namespace platform {

// Points the registry at a fresh, empty database in a folder of its own while it lives, so
// each test starts from nothing; the previous configuration folder returns afterwards. Its
// helpers reach the registry below the settings classes, to lay out what an earlier run
// stored and to see exactly what was written.
class RegistrySandbox {
public:
    struct Value {
        int status = -1; // 0 when the value exists
        std::uint32_t type = 0;
        std::string bytes;
    };

    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The XDG_CONFIG_HOME in force while the sandbox lives.
    std::string configHome() const;
    std::string databasePath() const;

    // Creates the key if needed. Key paths are below the current user's root.
    static void setValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                         const std::string& bytes);
    static Value value(const std::string& keyPath, const std::string& name);
    static bool keyExists(const std::string& keyPath);
    // The 4 little-endian bytes of a REG_DWORD.
    static std::string dword(std::int32_t number);

private:
    QTemporaryDir m_folder;
    QByteArray m_previousConfigHome;
    bool m_hadConfigHome;
};

} // namespace platform
