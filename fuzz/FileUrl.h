#pragma once

#include "fuzz/HtmlTokenizer.h"

#include <optional>
#include <string>
#include <vector>

namespace fuzz {

// The path of the URL a relative reference resolves to against a file: base URL, following
// the URL standard's basic parser (scheme, file, path states, dot segments and the Windows
// drive letter quirks), as percent-encoded segments. Returns nullopt and says why when the
// result is no file: URL or leaves the base's folder from its root.
struct ResolvedUrl {
    std::optional<std::vector<std::string>> path;
    std::string why;
};

ResolvedUrl resolveFileUrl(const Units& reference, const std::vector<std::string>& basePath);

// The bytes a percent-encoded segment stands for.
std::string percentDecode(const std::string& segment);

} // namespace fuzz
