#include "index/StringList.h"

#include "platform/Text.h"

#include <algorithm>

void StringList::sort() {
    std::sort(m_items.begin(), m_items.end(), [](const std::string& a, const std::string& b) {
        return platform::compareText(a, b, true) < 0;
    });
}
