#pragma once

#include <unicode/ucol.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

// What the collation checks share: an ICU collator at the strength that ignores case, and
// names built to trip a collation up.
namespace collation_samples {

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

inline CollatorPtr openIgnoringCase(const char* locale) {
    UErrorCode status = U_ZERO_ERROR;
    CollatorPtr collator(ucol_open(locale, &status));
    if (U_FAILURE(status))
        return nullptr;
    ucol_setStrength(collator.get(), UCOL_SECONDARY);
    return collator;
}

inline int collate(const UCollator* collator, const std::string& a, const std::string& b) {
    UErrorCode status = U_ZERO_ERROR;
    return ucol_strcollUTF8(collator, a.data(), int32_t(a.size()), b.data(), int32_t(b.size()),
                            &status);
}

// Letters that start or continue contractions in some languages, in either case, digits,
// punctuation, blanks, control bytes, accents, combining marks, a middle dot, kana with a
// length mark, a Thai vowel written first, Hangul. One piece in four comes from beyond the
// alphabets: the root collation's own contraction starter U+FDD1, expansions, ignorables,
// full-width and symbol characters, an emoji. Four names in a row share a start, so
// comparisons often begin after a long equal part in any script.
inline std::vector<std::string> trickyNames(int count, unsigned seed) {
    const std::vector<std::string> letters = {
        "a", "A",  "b",  "c",  "C",  "h",        "H",        "l",        "L",  "z",  "y",
        "i", "I",  "s",  "d",  "0",  "9",        "10",       " ",        "-",  "_",  ".",
        "'", "~",  "\t", "é",  "É",  "å",        "ä",        "ı",        "İ",  "·",  "ø",
        "ŀ", "Ü",  "ф",  "写", "ñ",  "\xCC\x81", "\xCC\x8A", "\xCC\x88", "ー", "カ", "เ",
        "ก", "한", "ch", "Ch", "CH", "aa",       "ll",       "cs",       "dz", "DZ", "jpg"};
    const std::vector<std::string> beyond = {"\uFDD1", "\uFDD1L", "\uFDD14", "\uFDD13", "L", "l",
                                             "3",      "4",       "ß",       "ﬁ",       "½", "Ⅳ",
                                             "ǆ",      "\u00AD",  "\u200B",  "Ａ",      "€", "😀"};
    std::mt19937 random(seed);
    const auto piecesOf = [&](int pieces) {
        std::string text;
        for (int j = 0; j < pieces; ++j) {
            const std::vector<std::string>& from = random() % 4 ? letters : beyond;
            text += from[random() % from.size()];
        }
        return text;
    };
    std::vector<std::string> result;
    std::string start;
    for (int i = 0; i < count; ++i) {
        if (i % 4 == 0)
            start = piecesOf(int(random() % 5));
        result.push_back(start + piecesOf(1 + int(random() % 4)));
    }
    return result;
}

} // namespace collation_samples
