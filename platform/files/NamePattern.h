#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A file-name pattern with '*' and '?' that ignores case (Unicode simple case folding),
// compiled once and matched against many names.
class NamePattern {
public:
    explicit NamePattern(std::string_view pattern);

    // Not thread-safe: matching reuses one scratch buffer to stay free of allocations.
    bool matches(std::string_view name) const;

private:
    enum class Kind { Everything, Suffix, General };

    bool matchesGeneral(std::string_view name) const;

    Kind m_kind = Kind::General;
    std::string m_suffix;            // "*" + m_suffix: lower-case ASCII without wildcards
    bool m_suffixFoldsWider = false; // holds 'k' or 's', which non-ASCII letters fold to
    std::vector<int> m_folded;       // the folded pattern for the general matcher
    mutable std::vector<int> m_scratch;
};

} // namespace platform
