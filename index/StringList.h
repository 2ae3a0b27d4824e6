#pragma once

#include <cstddef>
#include <string>
#include <vector>

// An ordered list of texts: appended in order, duplicates kept, sorted only when asked.
class StringList {
public:
    void append(std::string text) { m_items.push_back(std::move(text)); }
    std::size_t count() const noexcept { return m_items.size(); }
    const std::string& item(std::size_t index) const { return m_items.at(index); }

    // Ascending, case ignored, in the user's locale; equal keys may end in any order.
    void sort();

    std::vector<std::string>::const_iterator begin() const noexcept { return m_items.begin(); }
    std::vector<std::string>::const_iterator end() const noexcept { return m_items.end(); }

private:
    std::vector<std::string> m_items;
};
