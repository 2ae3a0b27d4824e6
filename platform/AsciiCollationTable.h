#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

struct UCollator;

namespace platform {

// The order a case-ignoring collator gives plain ASCII characters, so that most file-name
// comparisons are decided without entering ICU; a character the collator treats specially
// (contractions, expansions, ignorables) and anything beyond ASCII go back to ICU.
class AsciiCollationTable {
public:
    // The collator must compare at secondary strength; for anything else the table stays
    // empty and compare() always declines.
    explicit AsciiCollationTable(const UCollator* collator);

    // The collator's verdict (negative, zero, positive) when the characters up to the first
    // difference decide it; nullopt when the collator itself has to look.
    std::optional<int> compare(std::string_view a, std::string_view b) const noexcept {
        const std::size_t common = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < common; ++i) {
            // Equal bytes weigh the same; a non-ASCII one after them ends the loop anyway.
            const auto byte = static_cast<unsigned char>(a[i]);
            if (byte == static_cast<unsigned char>(b[i])) {
                if (byte >= 0x80 || m_rank[byte] == Unranked)
                    return std::nullopt;
                continue;
            }
            const std::uint8_t ra = rankAt(a, i);
            const std::uint8_t rb = rankAt(b, i);
            if (ra == 0 || rb == 0)
                return std::nullopt;
            if (ra != rb)
                return ra < rb ? -1 : 1;
        }
        if (a.size() == b.size())
            return 0;
        // The longer one is greater only if what follows carries a weight of its own.
        if (rankAt(a.size() > b.size() ? a : b, common) == 0)
            return std::nullopt;
        return a.size() > b.size() ? 1 : -1;
    }

private:
    static constexpr std::uint8_t Unranked = 0;

    // The rank of text[i] in this context. A character before a non-ASCII one may be the
    // start of a contraction ("l" and a middle dot) and is left to ICU.
    std::uint8_t rankAt(std::string_view text, std::size_t i) const noexcept {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80)
            return Unranked;
        if (i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80)
            return Unranked;
        return m_rank[byte];
    }

    // Unranked, or the character's place; equal for characters that differ only in case.
    std::array<std::uint8_t, 128> m_rank{};
};

} // namespace platform
