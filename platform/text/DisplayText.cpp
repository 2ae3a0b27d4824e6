#include "platform/text/DisplayText.h"

namespace platform {

QString displayText(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string typedText(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace platform
