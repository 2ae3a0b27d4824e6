#include "settings/TRegistry.h"

#include "settings/ERegistryException.h"

#include <cstdint>

TRegistry::TRegistry()
    : m_rootHandle(platform::RegCurrentUser)
    , m_activeHandle(platform::RegNoKey) {}

TRegistry::~TRegistry() {
    if (m_activeHandle != platform::RegNoKey)
        platform::regCloseKey(m_activeHandle);
}

platform::RegKey TRegistry::resolvePath(const std::string& path, std::string& rest) const {
    if (!path.empty() && path.front() == '\\') {
        rest = path.substr(1);
        return m_rootHandle;
    }
    rest = path;
    return m_activeHandle != platform::RegNoKey ? m_activeHandle : m_rootHandle;
}

bool TRegistry::OpenPath(const std::string& path, bool mayCreate) {
    std::string rest;
    const platform::RegKey parent = resolvePath(path, rest);
    platform::RegKey key = platform::RegNoKey;
    const int status = mayCreate && !rest.empty() ? platform::regCreateKey(parent, rest, key)
                                                  : platform::regOpenKey(parent, rest, key);
    if (status != 0)
        return false;
    if (m_activeHandle != platform::RegNoKey)
        platform::regCloseKey(m_activeHandle);
    m_activeHandle = key;
    return true;
}

bool TRegistry::CreatePath(const std::string& path) {
    std::string rest;
    const platform::RegKey parent = resolvePath(path, rest);
    platform::RegKey key = platform::RegNoKey;
    if (platform::regCreateKey(parent, rest, key) != 0)
        throw ERegistryException("Failed to create key " + path);
    platform::regCloseKey(key);
    return true;
}

bool TRegistry::HasValue(const std::string& name) {
    std::uint32_t type = 0;
    std::size_t size = 0;
    return platform::regQueryValue(m_activeHandle, name, type, size) == 0;
}

std::string TRegistry::ReadValueText(const std::string& name) {
    std::uint32_t type = 0;
    std::size_t size = 0;
    if (platform::regQueryValue(m_activeHandle, name, type, size) != 0 || size == 0)
        return {};
    std::string data;
    if (platform::regReadValue(m_activeHandle, name, type, data) != 0)
        throw ERegistryException("Failed to get data for '" + name + "'");
    if (type != platform::RegSz && type != platform::RegExpandSz)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return data.substr(0, data.find('\0'));
}

void TRegistry::WriteValueText(const std::string& name, const std::string& text) {
    if (platform::regSetValue(m_activeHandle, name, platform::RegSz, text) != 0)
        throw ERegistryException("Failed to set data for '" + name + "'");
}
