#pragma once

#include "platform/text/AsciiCase.h"

namespace platform {

// Drive letters are ASCII A-Z, cased without the locale.
constexpr bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr char upperDriveLetter(char c) {
    return asciiUpper(c);
}

} // namespace platform
