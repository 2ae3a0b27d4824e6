#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The integer rule read word by word, with no arithmetic that could overflow: range checks
// compare digit strings, so it shares no shortcut with the program's parser.
namespace fuzz {

inline bool isDecimal(char c) {
    return c >= '0' && c <= '9';
}

inline bool isHex(char c) {
    return isDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline std::string_view withoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

// Whether digits (no leading zeros) stand for at most limit (also without them).
inline bool atMost(std::string_view digits, std::string_view limit) {
    if (digits.size() != limit.size())
        return digits.size() < limit.size();
    return digits <= limit;
}

inline std::optional<std::int32_t> referenceInteger(std::string_view text) {
    // 1. Leading space characters, code 32 only.
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    // 2. "$" and one or more hex digits, nothing else, within 32 bits, as a signed pattern.
    if (!text.empty() && text.front() == '$') {
        const std::string_view digits = text.substr(1);
        if (digits.empty())
            return std::nullopt;
        for (const char c : digits) {
            if (!isHex(c))
                return std::nullopt;
        }
        const std::string_view significant = withoutLeadingZeros(digits);
        if (significant.size() > 8)
            return std::nullopt;
        std::uint32_t pattern = 0;
        for (const char c : significant) {
            const int digit = isDecimal(c) ? c - '0' : (c | 0x20) - 'a' + 10;
            pattern = pattern * 16 + static_cast<std::uint32_t>(digit);
        }
        return static_cast<std::int32_t>(pattern);
    }
    // 3. An optional sign, one or more decimal digits, nothing else, within the range.
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    for (const char c : text) {
        if (!isDecimal(c))
            return std::nullopt;
    }
    const std::string_view significant = withoutLeadingZeros(text);
    if (!atMost(significant, negative ? "2147483648" : "2147483647"))
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char c : significant)
        magnitude = magnitude * 10 + (c - '0');
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace fuzz
