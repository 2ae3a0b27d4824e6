#include "tests/index/RecordingFeedback.h"

RecordingFeedback::RecordingFeedback(bool answer)
    : m_answer(answer)
    , m_previous(FeedbackBackend::install(this)) {}

RecordingFeedback::~RecordingFeedback() {
    FeedbackBackend::install(m_previous);
}

void RecordingFeedback::showStatus(const std::string& text) {
    record("status", text);
}

void RecordingFeedback::showErrorMessage(const std::string& text) {
    record("error", text);
}

bool RecordingFeedback::askYesNo(const std::string& text) {
    record("confirm", text);
    return m_answer;
}

void RecordingFeedback::setBusyCursor() {
    m_busy = true;
    m_events << QStringLiteral("busy");
}

void RecordingFeedback::restoreCursor() {
    m_busy = false;
    m_events << QStringLiteral("arrow");
}

QStringList RecordingFeedback::dialogs() const {
    QStringList result;
    for (const QString& event : m_events) {
        if (event.startsWith(QLatin1String("error: ")) ||
            event.startsWith(QLatin1String("confirm: ")))
            result << event;
    }
    return result;
}

void RecordingFeedback::record(const char* kind, const std::string& text) {
    m_events << QString::fromLatin1(kind) + QStringLiteral(": ") +
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
