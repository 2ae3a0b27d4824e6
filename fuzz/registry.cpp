// The settings store through TRegIniFile. For any sequence of key creations, text, flag and
// 32-bit integer writes and text, number and flag reads, checked against a plain model of
// keys and values (names compare without regard to ASCII case; a name holding a zero byte is
// refused with the store's error):
// - every read gives what the model says, a refused operation raises the message it should;
// - every value's stored bytes and type equal the last ones written, byte for byte;
// - no key handle is left open, and the database passes PRAGMA integrity_check.
//
// Input: records separated by NUL bytes. The first is the store's base path. Then each
// operation is a record whose first byte names it and whose rest is its first argument,
// followed by one record for each further argument:
//   k section              CreatePath       w section, name, text   WriteText
//   r section, name, def   ReadText         n section, name         ReadNumber (default 7)
//   f section, name, 0|1   WriteFlag        d section, name, text   a REG_DWORD of the text
//   b base                 a new store on another base path
// In names and texts the byte 0x01 stands for a zero byte.

#include "platform/registry/Registry.h"
#include "fuzz/Check.h"
#include "fuzz/IntegerReference.h"
#include "fuzz/Records.h"
#include "fuzz/ScratchFolder.h"
#include "settings/ERegistryException.h"
#include "settings/TRegIniFile.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

using Path = std::vector<std::string>; // levels in lower case, from the root

struct Value {
    std::uint32_t type = 0;
    std::string bytes;
};

// What the store should hold: each key with its values by lower-cased name.
struct Model {
    std::map<Path, std::map<std::string, Value>> keys;
    Path base;

    Model() { keys[Path{}]; } // the current user's root
};

std::string unescape(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c == '\x01')
            c = '\0';
    }
    return result;
}

std::string lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return text;
}

bool holdsZero(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// The levels of a path, empty ones dropped; nullopt when a level cannot be a name.
std::optional<Path> levelsOf(std::string_view path) {
    Path levels;
    for (const std::string_view level : fuzz::split(path, '\\')) {
        if (holdsZero(level))
            return std::nullopt;
        if (!level.empty())
            levels.push_back(lowered(std::string(level)));
    }
    return levels;
}

// A section as the store resolves it: absolute with a leading backslash, else below the base.
std::optional<Path> sectionPath(const Model& model, std::string_view section) {
    const bool absolute = !section.empty() && section.front() == '\\';
    std::optional<Path> levels = levelsOf(absolute ? section.substr(1) : section);
    if (!levels)
        return std::nullopt;
    Path path = absolute ? Path{} : model.base;
    path.insert(path.end(), levels->begin(), levels->end());
    return path;
}

void createKey(Model& model, const Path& path) {
    for (std::size_t n = 0; n <= path.size(); ++n)
        model.keys[Path(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(n))];
}

const Value* findValue(const Model& model, std::string_view section, const std::string& name) {
    const std::optional<Path> path = sectionPath(model, section);
    if (!path || holdsZero(name))
        return nullptr;
    const auto key = model.keys.find(*path);
    if (key == model.keys.end())
        return nullptr;
    const auto value = key->second.find(lowered(name));
    return value == key->second.end() ? nullptr : &value->second;
}

// what() ends a message at a zero byte that a name in it holds.
std::string messageOf(std::string text) {
    return text.substr(0, text.find('\0'));
}

// The text a read gives for a value, or the message of the error it raises.
struct TextRead {
    std::string text;
    std::string error;
};

TextRead readOf(const Value& value, const std::string& name) {
    if (value.bytes.empty())
        return {};
    if (value.type != platform::RegSz && value.type != platform::RegExpandSz)
        return {{}, messageOf("Invalid data type for '" + name + "'")};
    return {value.bytes.substr(0, value.bytes.find('\0')), {}};
}

fuzz::ScratchFolder* configHome = nullptr; // XDG_CONFIG_HOME

void differs(const char* property, std::string_view expected, std::string_view actual) {
    fuzz::printBytes("expected", expected);
    fuzz::printBytes("actual", actual);
    fuzz::fail(property);
}

// Every value of the model is in the database with exactly its type and bytes.
void checkStored(const Model& model) {
    for (const auto& [path, values] : model.keys) {
        std::string keyPath;
        for (const std::string& level : path)
            keyPath.append(keyPath.empty() ? "" : "\\").append(level);
        platform::RegKey key = platform::RegNoKey;
        fuzz::check(platform::regOpenKey(platform::RegCurrentUser, keyPath, key) == 0,
                    "every key created is there");
        for (const auto& [name, value] : values) {
            std::uint32_t type = 0;
            std::string bytes;
            fuzz::check(platform::regReadValue(key, name, type, bytes) == 0,
                        "every value written is there");
            fuzz::check(type == value.type, "a value keeps the type written");
            if (bytes != value.bytes)
                differs("a value keeps the bytes written", value.bytes, bytes);
        }
        platform::regCloseKey(key);
    }
}

void checkIntegrity() {
    sqlite3* db = nullptr;
    const std::string file = platform::registryDatabasePath();
    if (access(file.c_str(), F_OK) != 0)
        return;
    fuzz::check(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK,
                "the database opens");
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
    std::string result;
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
        result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (result != "ok")
        differs("PRAGMA integrity_check is ok", "ok", result);
}

std::unique_ptr<TRegIniFile> openStore(Model& model, const std::string& basePath) {
    const bool absolute = !basePath.empty() && basePath.front() == '\\';
    const std::optional<Path> levels = levelsOf(absolute ? basePath.substr(1) : basePath);
    // A base that cannot be created leaves no key active: sections are then below the root.
    model.base = levels.value_or(Path{});
    if (levels)
        createKey(model, *levels);
    return std::make_unique<TRegIniFile>(basePath);
}

void run(const std::vector<std::string_view>& parts) {
    Model model;
    std::size_t next = 0;
    const auto argument = [&]() -> std::string {
        return next < parts.size() ? unescape(parts[next++]) : std::string();
    };
    std::unique_ptr<TRegIniFile> store = openStore(model, argument());

    while (next < parts.size()) {
        const std::string_view record = parts[next++];
        if (record.empty())
            continue;
        const char operation = record[0];
        const std::string section = unescape(record.substr(1));
        const std::optional<Path> path = sectionPath(model, section);

        // Writes: the section key comes first, then the value; each may be refused.
        const auto write = [&](const std::string& name, std::uint32_t type, std::string bytes,
                               auto&& call) {
            std::string expectedError;
            if (!path)
                expectedError = messageOf("Failed to create key " + section);
            else if (holdsZero(name))
                expectedError = messageOf("Failed to set data for '" + name + "'");
            std::string error;
            try {
                call();
            } catch (const ERegistryException& e) {
                error = e.what();
            }
            if (error != expectedError)
                differs("a write raises exactly when it should", expectedError, error);
            if (path)
                createKey(model, *path);
            if (expectedError.empty())
                model.keys[*path][lowered(name)] = Value{type, std::move(bytes)};
        };

        switch (operation) {
        case 'k': {
            bool raised = false;
            try {
                store->CreatePath(section);
            } catch (const ERegistryException& e) {
                raised = e.what() == messageOf("Failed to create key " + section);
            }
            fuzz::check(raised == !path, "CreatePath raises exactly for a name it cannot hold");
            if (path)
                createKey(model, *path);
            break;
        }
        case 'w': {
            const std::string name = argument();
            const std::string text = argument();
            write(name, platform::RegSz, text, [&] { store->WriteText(section, name, text); });
            break;
        }
        case 'f': {
            const std::string name = argument();
            const bool flag = argument() != "0";
            write(name, platform::RegSz, flag ? "1" : "0",
                  [&] { store->WriteFlag(section, name, flag); });
            break;
        }
        case 'd': {
            const std::string name = argument();
            const std::string text = argument();
            std::string bytes(4, '\0');
            for (std::size_t i = 0; i < 4 && i < text.size(); ++i)
                bytes[i] = text[i];
            // The window placement writes its integers straight into the key, as here.
            write(name, platform::RegDword, bytes, [&] {
                store->CreatePath(section);
                std::string rest = section;
                platform::RegKey parent = store->ActiveHandle();
                if (!rest.empty() && rest.front() == '\\') {
                    rest.erase(0, 1);
                    parent = platform::RegCurrentUser;
                } else if (parent == platform::RegNoKey) {
                    parent = platform::RegCurrentUser;
                }
                platform::RegKey key = platform::RegNoKey;
                fuzz::check(platform::regOpenKey(parent, rest, key) == 0, "a created key opens");
                const int status = platform::regSetValue(key, name, platform::RegDword, bytes);
                platform::regCloseKey(key);
                if (status != 0)
                    throw ERegistryException("Failed to set data for '" + name + "'");
            });
            break;
        }
        case 'r': {
            const std::string name = argument();
            const std::string fallback = argument();
            const Value* value = findValue(model, section, name);
            const TextRead expected = value ? readOf(*value, name) : TextRead{fallback, {}};
            TextRead actual;
            try {
                actual.text = store->ReadText(section, name, fallback);
            } catch (const ERegistryException& e) {
                actual.error = e.what();
            }
            if (actual.error != expected.error)
                differs("ReadText raises exactly when it should", expected.error, actual.error);
            if (actual.text != expected.text)
                differs("ReadText gives the text written", expected.text, actual.text);
            break;
        }
        case 'n': {
            const std::string name = argument();
            const Value* value = findValue(model, section, name);
            TextRead expected{{}, {}};
            std::int32_t expectedNumber = 7;
            if (value) {
                expected = readOf(*value, name);
                std::string text = expected.text;
                if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
                    text.replace(0, 2, "$");
                expectedNumber = fuzz::referenceInteger(text).value_or(7);
            }
            std::string error;
            std::int32_t number = 7;
            try {
                number = store->ReadNumber(section, name, 7);
            } catch (const ERegistryException& e) {
                error = e.what();
            }
            if (error != expected.error)
                differs("ReadNumber raises exactly when it should", expected.error, error);
            if (error.empty() && number != expectedNumber) {
                std::fprintf(stderr, "number %d, expected %d\n", number, expectedNumber);
                fuzz::fail("ReadNumber follows the integer rule");
            }
            break;
        }
        case 'b':
            store.reset();
            fuzz::check(platform::regOpenKeyCount() == 0, "a destroyed store leaves no key open");
            store = openStore(model, section);
            break;
        default:
            break;
        }
        fuzz::check(platform::regOpenKeyCount() == (store->ActiveHandle() ? 1 : 0),
                    "an operation leaves open only the store's own key");
    }
    store.reset();
    fuzz::check(platform::regOpenKeyCount() == 0, "a destroyed store leaves no key open");
    checkStored(model);
    checkIntegrity();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Brings the registry's own statics to life first, so they outlive the clean-up below.
    platform::regCloseDatabase();
    configHome = new fuzz::ScratchFolder("pictavo-fuzz-registry");
    setenv("XDG_CONFIG_HOME", configHome->path().c_str(), 1);
    std::atexit([] {
        platform::regCloseDatabase();
        delete configHome;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = fuzz::records(data, size);
    if (parts.size() > 64)
        return 0;
    // Every input starts from an empty store, so a finding replays on its own.
    platform::regCloseDatabase();
    std::error_code ignored;
    std::filesystem::remove_all(configHome->path() + "/pictavo", ignored);
    run(parts);
    return 0;
}
