#include "settings/TRegIniFile.h"

#include "platform/text/Text.h"

TRegIniFile::TRegIniFile(const std::string& basePath)
    : m_basePath(basePath) {
    OpenPath(basePath, true);
}

platform::RegKey TRegIniFile::openSectionKey(const std::string& section) const {
    std::string rest;
    const platform::RegKey parent = resolvePath(section, rest);
    platform::RegKey key = platform::RegNoKey;
    if (platform::regOpenKey(parent, rest, key) != 0)
        return platform::RegNoKey;
    return key;
}

template <typename Operation>
auto TRegIniFile::onSection(platform::RegKey sectionKey, Operation operation) {
    const platform::RegKey setAside = ActiveHandle();
    setActiveHandle(sectionKey);
    try {
        auto result = operation();
        setActiveHandle(setAside);
        platform::regCloseKey(sectionKey);
        return result;
    } catch (...) {
        setActiveHandle(setAside);
        platform::regCloseKey(sectionKey);
        throw;
    }
}

std::string TRegIniFile::ReadText(const std::string& section, const std::string& name,
                                  const std::string& defaultText) {
    const platform::RegKey sectionKey = openSectionKey(section);
    if (sectionKey == platform::RegNoKey)
        return defaultText;
    return onSection(sectionKey,
                     [&] { return HasValue(name) ? ReadValueText(name) : defaultText; });
}

void TRegIniFile::WriteText(const std::string& section, const std::string& name,
                            const std::string& text) {
    CreatePath(section);
    const platform::RegKey sectionKey = openSectionKey(section);
    if (sectionKey == platform::RegNoKey)
        return;
    onSection(sectionKey, [&] {
        WriteValueText(name, text);
        return true;
    });
}

std::int32_t TRegIniFile::ReadNumber(const std::string& section, const std::string& name,
                                     std::int32_t defaultNumber) {
    const platform::RegKey sectionKey = openSectionKey(section);
    if (sectionKey == platform::RegNoKey)
        return defaultNumber;
    return onSection(sectionKey, [&] {
        if (!HasValue(name))
            return defaultNumber;
        std::string text = ReadValueText(name);
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
            text.replace(0, 2, "$");
        return platform::parseInteger(text).value_or(defaultNumber);
    });
}

bool TRegIniFile::ReadFlag(const std::string& section, const std::string& name, bool defaultFlag) {
    return ReadNumber(section, name, defaultFlag ? 1 : 0) != 0;
}

void TRegIniFile::WriteFlag(const std::string& section, const std::string& name, bool value) {
    WriteText(section, name, value ? "1" : "0");
}
