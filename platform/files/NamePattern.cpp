#include "platform/files/NamePattern.h"

#include "platform/text/AsciiCase.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace platform {

namespace {

constexpr int Star = -1;
constexpr int Question = -2;

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Code points after simple case folding. Each byte of an ill-formed sequence becomes a value
// outside Unicode that only matches the same byte, so distinct names never merge (a truncated
// sequence is not its lead byte alone).
void fold(std::string_view text, std::vector<int>& out, bool wildcards) {
    out.clear();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            out.push_back(0x110000 + bytes[start]);
            i = start + 1;
        } else if (wildcards && c == '*') {
            out.push_back(Star);
        } else if (wildcards && c == '?') {
            out.push_back(Question);
        } else {
            out.push_back(u_foldCase(c, U_FOLD_CASE_DEFAULT));
        }
    }
}

} // namespace

NamePattern::NamePattern(std::string_view pattern) {
    if (pattern == "*" || pattern == "*.*") {
        m_kind = Kind::Everything;
        return;
    }
    const std::string_view tail = pattern.empty() ? pattern : pattern.substr(1);
    if (pattern.size() > 1 && pattern.front() == '*' && isAscii(tail) &&
        tail.find_first_of("*?") == std::string_view::npos) {
        m_kind = Kind::Suffix;
        for (const char c : tail)
            m_suffix += asciiLower(c);
        m_suffixFoldsWider = m_suffix.find_first_of("ks") != std::string::npos;
    }
    fold(pattern, m_folded, true);
}

bool NamePattern::matches(std::string_view name) const {
    switch (m_kind) {
    case Kind::Everything:
        return true;
    case Kind::Suffix: {
        if (name.size() >= m_suffix.size()) {
            const char* tail = name.data() + (name.size() - m_suffix.size());
            bool equal = true;
            for (std::size_t i = 0; i < m_suffix.size() && equal; ++i)
                equal = asciiLower(tail[i]) == m_suffix[i];
            if (equal)
                return true;
        }
        // KELVIN SIGN and LONG S fold to 'k' and 's', so only those can still match.
        if (!m_suffixFoldsWider || isAscii(name))
            return false;
        return matchesGeneral(name);
    }
    case Kind::General:
        break;
    }
    return matchesGeneral(name);
}

bool NamePattern::matchesGeneral(std::string_view name) const {
    fold(name, m_scratch, false);
    const std::vector<int>& text = m_scratch;
    const std::vector<int>& pattern = m_folded;
    // One backtrack point for the last '*': linear for the patterns file searches use and
    // never exponential.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < text.size()) {
        if (p < pattern.size() && (pattern[p] == Question || pattern[p] == text[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == Star) {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Star)
        ++p;
    return p == pattern.size();
}

} // namespace platform
