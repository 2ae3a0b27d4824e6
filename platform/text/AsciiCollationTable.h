#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

struct UCollator;

namespace platform {

// The order a case-ignoring collator gives plain ASCII characters, so that most file-name
// comparisons are decided without entering ICU. Two names weigh the same up to their first
// differing byte, whatever script that shared part is in; when ASCII characters stand on both
// sides of the difference, their ranks decide. A character the collator treats specially
// (contractions, expansions, ignorables) and any difference beyond ASCII go back to ICU.
class AsciiCollationTable {
public:
    // The collator must compare at secondary strength; for anything else the table stays
    // empty and compare() always declines.
    explicit AsciiCollationTable(const UCollator* collator);

    // The collator's verdict (negative, zero, positive) when the characters from the first
    // difference on decide it; nullopt when the collator itself has to look.
    std::optional<int> compare(std::string_view a, std::string_view b) const noexcept {
        if (!m_usable)
            return std::nullopt;
        const std::size_t common = a.size() < b.size() ? a.size() : b.size();
        std::size_t i = firstDifference(a, b, common);
        if (i == common) {
            if (a.size() == b.size())
                return 0;
            // The longer one is greater if what follows carries a weight of its own.
            if (boundaryRank(a.size() > b.size() ? a : b, i) == Unranked)
                return std::nullopt;
            return a.size() > b.size() ? 1 : -1;
        }
        // The shared part could end inside a contraction that the first differing character
        // continues ("c" and "h" in Czech): that character must not be a continuation.
        std::uint8_t ra = boundaryRank(a, i);
        std::uint8_t rb = boundaryRank(b, i);
        for (;;) {
            if (ra == Unranked || rb == Unranked)
                return std::nullopt;
            if (ra != rb)
                return ra < rb ? -1 : 1;
            // The same letter in another case: go on while ranked ASCII follows.
            if (++i == common)
                break;
            ra = rankAt(a, i);
            rb = rankAt(b, i);
        }
        if (a.size() == b.size())
            return 0;
        if (rankAt(a.size() > b.size() ? a : b, i) == Unranked)
            return std::nullopt;
        return a.size() > b.size() ? 1 : -1;
    }

    bool usable() const noexcept { return m_usable; }

    // Sorting by ranks gives every byte of a name one symbol: End past its end, its rank
    // (below Literal) where that decides against any name that shares the symbols before it,
    // else Literal plus the byte, where only the collator can order a difference.
    static constexpr std::uint16_t End = 0;
    static constexpr std::uint16_t Literal = 0x100;

    std::uint16_t symbolAt(std::string_view text, std::size_t i) const noexcept {
        if (i >= text.size())
            return End;
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::uint16_t literal = Literal + byte;
        if (byte >= 0x80 || m_rank[byte] == Unranked)
            return literal;
        if (i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80)
            return literal;
        if (i > 0 && static_cast<unsigned char>(text[i - 1]) >= 0x80)
            return literal;
        if (m_rank[byte] & Continues) {
            // Part of a contraction when a chain of its letters leads back to a starter.
            for (std::size_t j = i; j-- > 0;) {
                const auto before = static_cast<unsigned char>(text[j]);
                if (before >= 0x80 || m_rank[before] == Unranked)
                    return literal;
                if (!(m_rank[before] & Continues))
                    break;
            }
        }
        return m_rank[byte] & ~Continues;
    }

    // Whether every byte of text is ranked ASCII: then its symbols are plainRank() of its
    // bytes, since no contraction can start in it.
    bool plain(std::string_view text) const noexcept {
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x80 || m_rank[byte] == Unranked)
                return false;
        }
        return true;
    }
    std::uint16_t plainRank(unsigned char byte) const noexcept { return m_rank[byte] & ~Continues; }

private:
    static constexpr std::uint8_t Unranked = 0;
    // Marks a character that continues a contraction of the tailoring; the low bits rank it.
    static constexpr std::uint8_t Continues = 0x80;

    static std::size_t firstDifference(std::string_view a, std::string_view b,
                                       std::size_t common) noexcept {
        std::size_t i = 0;
        if constexpr (std::endian::native == std::endian::little) {
            for (; i + 8 <= common; i += 8) {
                std::uint64_t x = 0;
                std::uint64_t y = 0;
                std::memcpy(&x, a.data() + i, 8);
                std::memcpy(&y, b.data() + i, 8);
                if (x != y)
                    return i + static_cast<std::size_t>(std::countr_zero(x ^ y) / 8);
            }
        }
        while (i < common && a[i] == b[i])
            ++i;
        return i;
    }

    // The rank of text[i] after ranked ASCII. A character before a non-ASCII one may start a
    // contraction ("l" and a middle dot) and is left to ICU.
    std::uint8_t rankAt(std::string_view text, std::size_t i) const noexcept {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80)
            return Unranked;
        if (i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80)
            return Unranked;
        return m_rank[byte] & ~Continues;
    }

    // The rank of text[i] after a part that may hold anything. Right after a character beyond
    // ASCII it may continue a contraction that character starts (U+FDD1 and "L" in the root
    // collation), so only the collator can tell.
    std::uint8_t boundaryRank(std::string_view text, std::size_t i) const noexcept {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80 && (m_rank[byte] & Continues))
            return Unranked;
        if (i > 0 && static_cast<unsigned char>(text[i - 1]) >= 0x80)
            return Unranked;
        return rankAt(text, i);
    }

    // Unranked, or the character's place (with Continues where that applies); equal for
    // characters that differ only in case.
    std::array<std::uint8_t, 128> m_rank{};
    bool m_usable = false;
};

// The table of the case-ignoring collation that compareText uses, opening it on first use;
// nullptr when it cannot decide anything.
const AsciiCollationTable* ignoringCaseTable();

} // namespace platform
