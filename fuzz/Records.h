#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Splits a fuzz input into records at NUL bytes, which no file name, path or registry name
// holds; mutations that add or drop a NUL add or drop one record.
namespace fuzz {

inline std::vector<std::string_view> records(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> parts;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string_view::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace fuzz
