#include "index/StringList.h"

#include <stdexcept>

void StringList::append(std::string_view text) {
    if (text.size() > platform::TextRef::MaxSize ||
        m_bytes.size() + text.size() > platform::TextRef::MaxOffset)
        throw std::length_error("StringList: text or list too long");
    platform::TextRef ref{};
    ref.offset = m_bytes.size();
    ref.size = text.size();
    m_bytes.append(text);
    m_refs.push_back(ref);
}

void StringList::sort() {
    platform::sortIgnoringCase(m_bytes.data(), m_refs.data(), m_refs.data() + m_refs.size());

    // Lay the texts out in their new order: whoever reads the list next reads it front to back,
    // and would otherwise wait for memory at every name.
    constexpr std::size_t kAhead = 16;
    std::string sorted;
    sorted.reserve(m_bytes.size());
    for (std::size_t i = 0; i < m_refs.size(); ++i) {
        if (i + kAhead < m_refs.size())
            __builtin_prefetch(m_bytes.data() + m_refs[i + kAhead].offset);
        platform::TextRef& ref = m_refs[i];
        const std::size_t offset = sorted.size();
        sorted.append(m_bytes, ref.offset, ref.size);
        ref.offset = offset;
    }
    m_bytes = std::move(sorted);
}
