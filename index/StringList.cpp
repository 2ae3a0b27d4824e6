#include "index/StringList.h"

#include "platform/Text.h"

#include <algorithm>
#include <string_view>

// A merge sort: comparisons are the cost here (each one a locale collation), and it needs
// about a fifth fewer than a quicksort. It moves views rather than the strings, which keeps
// the merges cheap, and then puts the strings in their places once.
void StringList::sort() {
    struct Entry {
        std::string_view text;
        std::size_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i)
        entries.push_back({m_items[i], i});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return platform::compareText(a.text, b.text, true) < 0;
    });

    std::vector<std::string> sorted;
    sorted.reserve(m_items.size());
    for (const Entry& entry : entries)
        sorted.push_back(std::move(m_items[entry.index]));
    m_items = std::move(sorted);
}
