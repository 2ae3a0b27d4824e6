#pragma once

namespace platform {

// Drive letters are ASCII A-Z, cased without the locale: under a Turkish locale
// std::toupper('i') stays 'i', and under Latin-1 std::isalpha(0xE9) holds.
constexpr bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr char upperDriveLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace platform
