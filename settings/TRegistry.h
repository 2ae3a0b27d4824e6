#pragma once

#include "platform/registry/Registry.h"

#include <string>

// One open key of the per-user registry, the active key, on which the value operations act;
// owns that key and releases it when another takes its place and on destruction.
class TRegistry {
public:
    TRegistry();
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    platform::RegKey RootHandle() const { return m_rootHandle; }
    // RegNoKey when no key is active.
    platform::RegKey ActiveHandle() const { return m_activeHandle; }

    // Opens (with mayCreate, creates) the key and makes it the active key; on failure the
    // active key stays as it was.
    bool OpenPath(const std::string& path, bool mayCreate);
    // Creates the key if it is missing; raises ERegistryException when it cannot.
    bool CreatePath(const std::string& path);

    bool HasValue(const std::string& name);
    // The text of a REG_SZ or REG_EXPAND_SZ value (unexpanded) up to its first zero byte;
    // the empty text for a missing or empty value; raises for any other value.
    std::string ReadValueText(const std::string& name);
    // Stores the text's bytes as REG_SZ, without a terminating zero; raises on failure.
    void WriteValueText(const std::string& name, const std::string& text);

protected:
    // Puts a key that the caller owns in place of the active key, releasing neither.
    void setActiveHandle(platform::RegKey handle) { m_activeHandle = handle; }

    // A path with a leading backslash is taken below the root, any other below the active
    // key (or the root when none is active). Returns that key; rest is the path without the
    // leading backslash.
    platform::RegKey resolvePath(const std::string& path, std::string& rest) const;

private:
    platform::RegKey m_rootHandle;
    platform::RegKey m_activeHandle;
};
