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
    platform::sortIgnoringCase(m_bytes, m_refs.data(), m_refs.data() + m_refs.size());
}
