#pragma once

#include <cstdint>
#include <string>

// The values that registry_writer writes and the tests check: each write's key and bytes
// follow from its value name, so a reader can tell a complete value from a torn one.
namespace registryburst {

inline std::string keyPathFor(unsigned index) {
    return "Software\\Burst\\" + std::to_string(index % 7);
}

// Between 0 and 2999 bytes, zero bytes included.
inline std::string bytesFor(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    std::string bytes(hash % 3000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((hash >> 8) + i * 131);
    return bytes;
}

} // namespace registryburst
