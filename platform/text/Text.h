#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text is UTF-8 bytes throughout the program; these are the locale-aware operations on it.
namespace platform {

// The user's locale collation (LC_ALL, LC_COLLATE, LANG; the root collation for C and
// POSIX). Negative, zero or positive like strcmp.
int compareText(std::string_view a, std::string_view b, bool ignoreCase);

// One text among many kept one after another in a single buffer, so that a list of a
// million names needs no allocation each.
struct TextRef {
    std::uint64_t offset : 39;
    std::uint64_t plain : 1; // scratch for sortIgnoringCase
    std::uint64_t size : 24;

    static constexpr std::uint64_t MaxOffset = (std::uint64_t{1} << 39) - 1;
    static constexpr std::uint64_t MaxSize = (std::uint64_t{1} << 24) - 1;
};

// Sorts texts held in bytes into the order compareText(a, b, true) gives, equal ones in any
// order, and lays bytes out anew in that order (the references follow).
void sortIgnoringCase(std::string& bytes, TextRef* first, TextRef* last);

// Opens the collation of another locale ("de_DE.UTF-8", "C", ...) for the rest of the
// process; tests use it to pin the order they check.
void setCollationLocale(std::string_view locale);

// Case-insensitive file-name match with '*' and '?'.
bool matchesPattern(std::string_view name, std::string_view pattern);

std::string lowerText(std::string_view text);
std::string upperText(std::string_view text);

// The integer rule shared by the size fields and the settings store: leading blanks (code
// 32 only), then "$" and hex digits (a 32-bit pattern, $FFFFFFFF is -1) or an optional sign
// and decimal digits within the 32-bit signed range, and nothing after.
std::optional<std::int32_t> parseInteger(std::string_view text);

} // namespace platform
