#include "index/StringList.h"

#include "platform/Text.h"

#include <algorithm>

// A merge sort: comparisons are the cost here (each one a locale collation), and it needs
// about a fifth fewer than a quicksort.
void StringList::sort() {
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const std::string& a, const std::string& b) {
                         return platform::compareText(a, b, true) < 0;
                     });
}
