#pragma once

#include "platform/text/Text.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of texts: appended in order, duplicates kept, sorted only when asked. The
// texts stand one after another in one buffer, which a million names fill without an
// allocation each.
class StringList {
public:
    // Throws std::length_error for a text over 16 MiB or a list beyond 512 GiB.
    void append(std::string_view text);
    std::size_t count() const noexcept { return m_refs.size(); }
    std::string_view item(std::size_t index) const { return view(m_refs.at(index)); }

    // Ascending, case ignored, in the user's locale; equal keys may end in any order.
    void sort();

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const StringList* list, std::size_t index)
            : m_list(list)
            , m_index(index) {}
        std::string_view operator*() const { return m_list->view(m_list->m_refs[m_index]); }
        const_iterator& operator++() {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        difference_type operator-(const const_iterator& other) const {
            return static_cast<difference_type>(m_index) -
                   static_cast<difference_type>(other.m_index);
        }
        bool operator==(const const_iterator& other) const { return m_index == other.m_index; }

    private:
        const StringList* m_list = nullptr;
        std::size_t m_index = 0;
    };

    const_iterator begin() const noexcept { return {this, 0}; }
    const_iterator end() const noexcept { return {this, m_refs.size()}; }

private:
    std::string_view view(const platform::TextRef& ref) const {
        return {m_bytes.data() + ref.offset, static_cast<std::size_t>(ref.size)};
    }

    std::string m_bytes;
    std::vector<platform::TextRef> m_refs;
};
