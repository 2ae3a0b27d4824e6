#pragma once

#include "settings/TRegistry.h"

#include <cstdint>
#include <string>

// Reads and writes values by section and name, the way an initialisation file does; the
// sections are keys below the base key given at construction.
class TRegIniFile : public TRegistry {
public:
    // Opens the base key, creating it if it is missing; when that fails no key is active and
    // sections are taken below the root.
    explicit TRegIniFile(const std::string& basePath);

    const std::string& BasePath() const { return m_basePath; }

    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& defaultText);
    void WriteText(const std::string& section, const std::string& name, const std::string& text);
    std::int32_t ReadNumber(const std::string& section, const std::string& name,
                            std::int32_t defaultNumber);
    bool ReadFlag(const std::string& section, const std::string& name, bool defaultFlag);
    void WriteFlag(const std::string& section, const std::string& name, bool value);

private:
    // The existing section key, owned by the caller, or RegNoKey. Never creates it.
    platform::RegKey openSectionKey(const std::string& section) const;

    // Runs operation with the section key as the active key, then makes the base key active
    // again and releases the section key, also when operation raises.
    template <typename Operation>
    auto onSection(platform::RegKey sectionKey, Operation operation);

    std::string m_basePath;
};
