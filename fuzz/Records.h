#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace fuzz {

// The pieces of text between separators, empty ones included.
inline std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A fuzz input as records separated by NUL bytes, which no file name, path or registry name
// holds; mutations that add or drop a NUL add or drop one record.
inline std::vector<std::string_view> records(const std::uint8_t* data, std::size_t size) {
    return split(std::string_view(reinterpret_cast<const char*>(data), size), '\0');
}

} // namespace fuzz
