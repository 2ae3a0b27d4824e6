#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>

// Reads and writes registry values directly, below the settings classes, so tests can lay
// out what a previous run stored and see exactly what was written.
namespace rawregistry {

struct Value {
    int status = -1; // 0 when the value exists
    std::uint32_t type = 0;
    std::string bytes;
};

inline void set(const std::string& keyPath, const std::string& name, std::uint32_t type,
                const std::string& bytes) {
    platform::RegKey key = platform::RegNoKey;
    if (platform::regCreateKey(platform::RegCurrentUser, keyPath, key) == 0)
        platform::regSetValue(key, name, type, bytes);
    platform::regCloseKey(key);
}

inline Value get(const std::string& keyPath, const std::string& name) {
    Value value;
    platform::RegKey key = platform::RegNoKey;
    value.status = platform::regOpenKey(platform::RegCurrentUser, keyPath, key);
    if (value.status == 0)
        value.status = platform::regReadValue(key, name, value.type, value.bytes);
    platform::regCloseKey(key);
    return value;
}

inline bool keyExists(const std::string& keyPath) {
    platform::RegKey key = platform::RegNoKey;
    const bool exists = platform::regOpenKey(platform::RegCurrentUser, keyPath, key) == 0;
    platform::regCloseKey(key);
    return exists;
}

inline std::string dword(std::int32_t number) {
    const auto value = static_cast<std::uint32_t>(number);
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

} // namespace rawregistry
