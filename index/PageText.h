#pragma once

#include <string>
#include <string_view>

// Escapes names and the directory for the picture page: as text a browser shows, and as a
// link (SRC) that names the file's own bytes.
namespace pagetext {

// Appends text so that it opens no tag, closes no attribute and begins no reference.
void appendText(std::string& out, std::string_view text);

// Appends a file name as a link relative to the page's folder.
void appendSource(std::string& out, std::string_view name);

// Whether a name stands as it is both as text and as a link, so that it needs no escaping.
bool isPlain(std::string_view name);

} // namespace pagetext
