#include "platform/text/AsciiCollationTable.h"

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace platform {

namespace {

UCollationResult collate(const UCollator* collator, std::string_view a, std::string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    return ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                            static_cast<int32_t>(b.size()), &status);
}

bool attributeIs(const UCollator* collator, UColAttribute attribute, UColAttributeValue value) {
    UErrorCode status = U_ZERO_ERROR;
    return ucol_getAttribute(collator, attribute, &status) == value && U_SUCCESS(status);
}

struct SetCloser {
    void operator()(USet* set) const { uset_close(set); }
};
using SetPtr = std::unique_ptr<USet, SetCloser>;

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

} // namespace

AsciiCollationTable::AsciiCollationTable(const UCollator* collator) {
    // Numeric ordering, shifted punctuation or a case level would make single characters
    // stop deciding the order on their own.
    if (!collator || ucol_getStrength(collator) != UCOL_SECONDARY ||
        !attributeIs(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE) ||
        !attributeIs(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF) ||
        !attributeIs(collator, UCOL_CASE_LEVEL, UCOL_OFF))
        return;

    // The root collation gives every ASCII character one weight of its own and builds no
    // contraction from ASCII characters alone: where it continues a contraction with an ASCII
    // character, that follows the starter beyond ASCII at once, which compare() leaves to
    // ICU as it meets it. Only a tailoring can add a contraction of ASCII characters ("ch",
    // "aa"): its first character is left to ICU, and the others are marked, since a shared
    // part of two names may end in the middle of one. Enumerating every contraction of the
    // collator instead costs some milliseconds at every start.
    std::array<bool, 128> special{};
    std::array<bool, 128> continues{};
    UErrorCode status = U_ZERO_ERROR;
    SetPtr tailored(ucol_getTailoredSet(collator, &status));
    if (U_FAILURE(status))
        return;
    const int32_t items = uset_getItemCount(tailored.get());
    for (int32_t i = 0; i < items; ++i) {
        UChar32 start = 0;
        UChar32 end = 0;
        UChar text[64];
        UErrorCode itemStatus = U_ZERO_ERROR;
        const int32_t length = uset_getItem(tailored.get(), i, &start, &end, text, 64, &itemStatus);
        if (U_FAILURE(itemStatus))
            return;
        // Either case of a letter, in case the tailoring lists only some of the spellings.
        const auto mark = [](std::array<bool, 128>& set, UChar c) {
            set[c] = true;
            if (c >= 'a' && c <= 'z')
                set[c - 'a' + 'A'] = true;
            else if (c >= 'A' && c <= 'Z')
                set[c - 'A' + 'a'] = true;
        };
        if (length > 1 && text[0] < 128 && text[1] < 128)
            mark(special, text[0]);
        for (int32_t j = 1; j < length; ++j) {
            if (text[j] < 128)
                mark(continues, text[j]);
        }
    }

    std::vector<char> ranked;
    for (int c = 1; c < 128; ++c) {
        const char character = static_cast<char>(c);
        if (!special[c] && collate(collator, std::string_view(&character, 1), {}) != UCOL_EQUAL)
            ranked.push_back(character);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [&](char a, char b) {
        return collate(collator, std::string_view(&a, 1), std::string_view(&b, 1)) == UCOL_LESS;
    });

    // Neighbours that differ only at the second level (an accent, never a case) would be
    // ordered by their first difference instead of after every base letter: leave them out.
    CollatorPtr primary(ucol_clone(collator, &status));
    if (U_FAILURE(status))
        return;
    ucol_setStrength(primary.get(), UCOL_PRIMARY);

    std::array<std::uint8_t, 128> ranks{};
    std::uint8_t next = 0;
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        const std::string_view current(&ranked[i], 1);
        if (i > 0) {
            const std::string_view previous(&ranked[i - 1], 1);
            if (collate(collator, previous, current) != UCOL_EQUAL) {
                if (collate(primary.get(), previous, current) == UCOL_EQUAL)
                    return; // such a tailoring is rare enough to leave wholly to ICU
                ++next;
            }
        } else {
            next = 1;
        }
        const auto character = static_cast<unsigned char>(ranked[i]);
        ranks[character] = continues[character] ? (next | Continues) : next;
    }
    m_rank = ranks;
    m_usable = true;
}

} // namespace platform
