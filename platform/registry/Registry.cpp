#include "platform/registry/Registry.h"

#include "platform/errors/ErrorCodes.h"
#include "platform/errors/Faults.h"
#include "platform/registry/RegistryDatabase.h"

#include <unordered_map>
#include <vector>

namespace platform {

namespace {

// Open handles and the keys they stand for; valid for as long as the database stays open.
std::unordered_map<RegKey, std::int64_t>& openKeys() {
    static std::unordered_map<RegKey, std::int64_t> keys;
    return keys;
}

RegKey s_lastHandle = RegNoKey;

RegKey newHandle(std::int64_t keyId) {
    do {
        ++s_lastHandle;
    } while (s_lastHandle == RegNoKey || s_lastHandle == RegCurrentUser ||
             openKeys().count(s_lastHandle) != 0);
    openKeys().emplace(s_lastHandle, keyId);
    return s_lastHandle;
}

int keyIdOf(RegKey key, std::int64_t& keyId) {
    if (key == RegCurrentUser) {
        keyId = RegistryDatabase::RootKeyId;
        return NoError;
    }
    const auto found = openKeys().find(key);
    if (found == openKeys().end())
        return RegErrorInvalidHandle;
    keyId = found->second;
    return NoError;
}

// A zero byte cannot be part of a name: the database would compare such names only up to it.
bool isValidName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

std::vector<std::string_view> levelsOf(std::string_view path) {
    std::vector<std::string_view> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            levels.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

// The database and the key id of an open handle, or the error that stops the operation.
int prepare(Operation operation, RegKey key, std::int64_t& keyId) {
    if (const int fault = injectedFault(operation))
        return fault;
    if (const int status = RegistryDatabase::instance().ensureOpen())
        return status;
    return keyIdOf(key, keyId);
}

// Tells the database how the call ended, which decides how long later calls may wait.
int settled(int status) {
    RegistryDatabase::instance().noteOutcome(status);
    return status;
}

int openKey(Operation operation, RegKey parent, std::string_view path, bool create, RegKey& key) {
    key = RegNoKey;
    std::int64_t parentId = 0;
    if (const int status = prepare(operation, parent, parentId))
        return status;
    const std::vector<std::string_view> levels = levelsOf(path);
    for (const std::string_view level : levels) {
        if (!isValidName(level))
            return ErrorInvalidName;
    }
    std::int64_t keyId = 0;
    if (const int status =
            settled(RegistryDatabase::instance().findKey(parentId, levels, create, keyId)))
        return status;
    key = newHandle(keyId);
    return NoError;
}

} // namespace

int regOpenKey(RegKey parent, std::string_view path, RegKey& key) {
    return openKey(Operation::RegOpenKey, parent, path, false, key);
}

int regCreateKey(RegKey parent, std::string_view path, RegKey& key) {
    return openKey(Operation::RegCreateKey, parent, path, true, key);
}

int regQueryValue(RegKey key, std::string_view name, std::uint32_t& type, std::size_t& size) {
    std::int64_t keyId = 0;
    if (const int status = prepare(Operation::RegQueryValue, key, keyId))
        return status;
    if (!isValidName(name))
        return ErrorInvalidName;
    return settled(RegistryDatabase::instance().queryValue(keyId, name, type, size));
}

int regReadValue(RegKey key, std::string_view name, std::uint32_t& type, std::string& data) {
    std::int64_t keyId = 0;
    if (const int status = prepare(Operation::RegReadValue, key, keyId))
        return status;
    if (!isValidName(name))
        return ErrorInvalidName;
    return settled(RegistryDatabase::instance().readValue(keyId, name, type, data));
}

int regSetValue(RegKey key, std::string_view name, std::uint32_t type, std::string_view data) {
    std::int64_t keyId = 0;
    if (const int status = prepare(Operation::RegSetValue, key, keyId))
        return status;
    if (!isValidName(name))
        return ErrorInvalidName;
    return settled(RegistryDatabase::instance().setValue(keyId, name, type, data));
}

void regCloseKey(RegKey key) {
    openKeys().erase(key);
}

std::string registryDatabasePath() {
    return RegistryDatabase::filePath();
}

void regCloseDatabase() {
    RegistryDatabase::instance().close();
    openKeys().clear();
}

int regOpenKeyCount() {
    return static_cast<int>(openKeys().size());
}

} // namespace platform
