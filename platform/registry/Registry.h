#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The per-user registry: hierarchical keys below the current user's root, addressed by
// backslash paths, holding named values with a type tag and exact bytes. Backed by one SQLite
// database per user ($XDG_CONFIG_HOME/pictavo/registry.db), opened on first use. Key and value
// names compare without regard to ASCII case and keep the spelling they were created with.
// Every operation returns 0 or an error code (platform/ErrorCodes.h); none throws.
//
// Paths: '\' separates levels; empty levels (a leading, doubled or trailing '\') add nothing,
// so "A\B\", "A\\B" and "A\B" name one key and "" names the parent itself.
//
// Meant for one thread; every write is its own transaction, so other processes may use the
// same database at the same time. A database that can be read but not written still gives its
// values and only writes fail; one that cannot be read is not written by this process at all;
// and a lock held by another process costs a few seconds at most, after which calls fail.
namespace platform {

// An open key. RegCurrentUser is always open; every other handle comes from regOpenKey or
// regCreateKey and is released with regCloseKey.
using RegKey = std::uint32_t;
inline constexpr RegKey RegNoKey = 0;
inline constexpr RegKey RegCurrentUser = 0x80000001u;

// Value types; any other number is stored and returned as it is.
enum RegType : std::uint32_t {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
};

// The registry's own failures, numbered as the target platform numbers them.
inline constexpr int RegErrorInvalidHandle = 6;  // a handle that is not open
inline constexpr int RegErrorBadDatabase = 1009; // the database file is damaged
inline constexpr int RegErrorIoFailed = 1016;    // any other failure of the database

// Opens the existing key at path below parent. A missing key gives ErrorFileNotFound.
int regOpenKey(RegKey parent, std::string_view path, RegKey& key);

// Opens the key at path below parent, creating it and every missing key above it.
int regCreateKey(RegKey parent, std::string_view path, RegKey& key);

// A value's type and byte count, without its data. A missing value gives ErrorFileNotFound.
int regQueryValue(RegKey key, std::string_view name, std::uint32_t& type, std::size_t& size);

// A value's type and bytes.
int regReadValue(RegKey key, std::string_view name, std::uint32_t& type, std::string& data);

// Stores a value, replacing one of the same name (whose spelling is kept).
int regSetValue(RegKey key, std::string_view name, std::uint32_t type, std::string_view data);

// Releases a handle; RegCurrentUser and handles that are not open are ignored. Releasing
// never forces data to disk: every write was durable when it returned.
void regCloseKey(RegKey key);

// Where this process's database lives, or will live when it is opened next.
std::string registryDatabasePath();

// Closes the database and invalidates every handle but RegCurrentUser; the next operation
// opens it again from registryDatabasePath(). Lets tests switch to another file.
void regCloseDatabase();

// How many handles are open, RegCurrentUser not counted.
int regOpenKeyCount();

} // namespace platform
