#include "cli/ConsoleFeedback.h"

ConsoleFeedback::ConsoleFeedback(std::FILE* errors, bool openWhenFinished)
    : m_errors(errors)
    , m_openWhenFinished(openWhenFinished) {}

void ConsoleFeedback::showStatus(const std::string& text) {
    writeLine(text);
}

void ConsoleFeedback::showErrorMessage(const std::string& text) {
    m_failed = true;
    writeLine("pictavo-index: " + text);
}

bool ConsoleFeedback::askYesNo(const std::string&) {
    return m_openWhenFinished;
}

void ConsoleFeedback::writeLine(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), m_errors) != text.size() ||
        std::fputc('\n', m_errors) == EOF || std::fflush(m_errors) != 0)
        m_textLost = true;
}
