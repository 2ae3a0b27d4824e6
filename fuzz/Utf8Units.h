#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Text as the characters a reader sees: each well-formed UTF-8 sequence is one code point,
// each byte that belongs to none is a unit of its own (kept apart from every code point).
namespace fuzz {

inline constexpr std::int32_t ByteUnit = 0x200000; // ByteUnit + byte for a stray byte

// The well-formed sequence at text[i], by the table of well-formed byte sequences; 0 if none.
inline std::size_t wellFormedLength(std::string_view text, std::size_t i, std::int32_t& codePoint) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const std::size_t left = text.size() - i;
    const unsigned char b0 = at(0);
    const auto inRange = [](unsigned char b, unsigned char low, unsigned char high) {
        return b >= low && b <= high;
    };
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    if (inRange(b0, 0xC2, 0xDF) && left >= 2 && inRange(at(1), 0x80, 0xBF)) {
        codePoint = ((b0 & 0x1F) << 6) | (at(1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && left >= 3) {
        const unsigned char low = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = b0 == 0xED ? 0x9F : 0xBF;
        if (inRange(at(1), low, high) && inRange(at(2), 0x80, 0xBF)) {
            codePoint = ((b0 & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F);
            return 3;
        }
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && left >= 4) {
        const unsigned char low = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = b0 == 0xF4 ? 0x8F : 0xBF;
        if (inRange(at(1), low, high) && inRange(at(2), 0x80, 0xBF) && inRange(at(3), 0x80, 0xBF)) {
            codePoint = ((b0 & 0x07) << 18) | ((at(1) & 0x3F) << 12) | ((at(2) & 0x3F) << 6) |
                        (at(3) & 0x3F);
            return 4;
        }
    }
    return 0;
}

inline std::vector<std::int32_t> utf8Units(std::string_view text) {
    std::vector<std::int32_t> units;
    for (std::size_t i = 0; i < text.size();) {
        std::int32_t codePoint = 0;
        const std::size_t length = wellFormedLength(text, i, codePoint);
        if (length == 0) {
            units.push_back(ByteUnit + static_cast<unsigned char>(text[i]));
            ++i;
        } else {
            units.push_back(codePoint);
            i += length;
        }
    }
    return units;
}

} // namespace fuzz
