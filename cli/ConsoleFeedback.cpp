#include "cli/ConsoleFeedback.h"

#include <string_view>

namespace {
constexpr std::string_view kFinishedPrefix = "Finished file \"";
}

ConsoleFeedback::ConsoleFeedback(std::FILE* errors, bool openWhenFinished)
    : m_errors(errors)
    , m_openWhenFinished(openWhenFinished) {}

void ConsoleFeedback::showStatus(const std::string& text) {
    writeLine(text);
    const std::string_view status(text);
    if (status.size() > kFinishedPrefix.size() && status.starts_with(kFinishedPrefix) &&
        status.ends_with('"')) {
        m_finishedPath =
            status.substr(kFinishedPrefix.size(), status.size() - kFinishedPrefix.size() - 1);
    }
}

void ConsoleFeedback::showErrorMessage(const std::string& text) {
    m_failed = true;
    writeLine("pictavo-index: " + text);
}

bool ConsoleFeedback::askYesNo(const std::string&) {
    m_succeeded = true;
    return m_openWhenFinished;
}

void ConsoleFeedback::writeLine(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), m_errors) != text.size() ||
        std::fputc('\n', m_errors) == EOF || std::fflush(m_errors) != 0)
        m_textLost = true;
}
