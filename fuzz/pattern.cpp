// The name pattern: the program's matcher (with its fast paths) agrees with a slow matcher that
// tries every way a '*' can be spent. Case is ignored by Unicode simple case folding; a byte
// that is no UTF-8 is one character that matches only itself; "*.*" matches every name.
//
// Input: the pattern, then names, separated by NUL bytes.

#include "fuzz/Check.h"
#include "fuzz/Records.h"
#include "fuzz/Utf8Units.h"
#include "platform/files/NamePattern.h"
#include "platform/text/Text.h"

#include <unicode/uchar.h>

#include <cstdio>

namespace {

std::vector<std::int32_t> folded(std::string_view text) {
    std::vector<std::int32_t> units = fuzz::utf8Units(text);
    for (std::int32_t& unit : units) {
        if (unit < fuzz::ByteUnit)
            unit = u_foldCase(unit, U_FOLD_CASE_DEFAULT);
    }
    return units;
}

bool referenceMatch(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*")
        return true;
    const std::vector<std::int32_t> n = folded(name);
    const std::vector<std::int32_t> p = folded(pattern);
    // reach[i][j]: the first i pattern units can spend the first j name units.
    std::vector<std::vector<char>> reach(p.size() + 1, std::vector<char>(n.size() + 1, 0));
    reach[0][0] = 1;
    for (std::size_t i = 1; i <= p.size(); ++i) {
        for (std::size_t j = 0; j <= n.size(); ++j) {
            if (p[i - 1] == '*')
                reach[i][j] = reach[i - 1][j] || (j > 0 && reach[i][j - 1]);
            else if (j > 0 && (p[i - 1] == '?' || p[i - 1] == n[j - 1]))
                reach[i][j] = reach[i - 1][j - 1];
        }
    }
    return reach[p.size()][n.size()] != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = fuzz::records(data, size);
    if (parts.size() < 2 || parts.size() > 16)
        return 0;
    const std::string_view pattern = parts[0];
    const platform::NamePattern compiled(pattern);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string_view name = parts[i];
        const bool expected = referenceMatch(name, pattern);
        const bool once = platform::matchesPattern(name, pattern);
        const bool reused = compiled.matches(name);
        if (once != expected || reused != expected) {
            fuzz::printBytes("pattern", pattern);
            fuzz::printBytes("name", name);
            std::fprintf(stderr, "matchesPattern %d, compiled pattern %d, expected %d\n", once,
                         reused, expected);
            fuzz::fail("the name pattern agrees with the slow matcher");
        }
    }
    return 0;
}
