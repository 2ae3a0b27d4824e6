#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

// Text travels as bytes in the system's code page, which is UTF-8 here, and becomes a QString
// only where a widget shows or edits it, through these two and nothing else. A byte that is
// not UTF-8 shows as U+FFFD; text typed into a widget goes back as UTF-8.
QString displayText(std::string_view bytes);
std::string typedText(const QString& text);

} // namespace platform
