#pragma once

#include <string_view>
#include <vector>

namespace platform {

// Adds the components of a path to parts, resolving "." and ".." lexically (".." at the top
// stays there) and skipping empty ones. Host and drive paths differ only in their separators.
template <typename IsSeparator>
void addPathParts(std::vector<std::string_view>& parts, std::string_view text,
                  IsSeparator isSeparator) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        const std::string_view part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
}

} // namespace platform
