#pragma once

namespace platform {

// ASCII letters only, cased without the locale: under a Turkish locale std::toupper('i')
// stays 'i', and under Latin-1 std::isalpha(0xE9) holds. Drive letters, file-name suffixes and
// the like are ASCII by their nature.
constexpr char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace platform
