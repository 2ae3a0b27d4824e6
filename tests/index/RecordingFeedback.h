#pragma once

#include "index/FeedbackBackend.h"

#include <QStringList>

// Installs itself as the feedback backend while it lives and records every call in order
// ("status: TEXT", "error: TEXT", "confirm: TEXT", "busy", "arrow"); questions get the
// answer the test chose.
class RecordingFeedback : public FeedbackBackend {
public:
    explicit RecordingFeedback(bool answer = false)
        : m_answer(answer)
        , m_previous(FeedbackBackend::install(this)) {}
    ~RecordingFeedback() override { FeedbackBackend::install(m_previous); }

    void showStatus(const std::string& text) override { record("status: ", text); }
    void showErrorMessage(const std::string& text) override { record("error: ", text); }
    bool askYesNo(const std::string& text) override {
        record("confirm: ", text);
        return m_answer;
    }
    void setBusyCursor() override {
        m_busy = true;
        m_events << "busy";
    }
    void restoreCursor() override {
        m_busy = false;
        m_events << "arrow";
    }

    const QStringList& events() const { return m_events; }
    bool busy() const { return m_busy; }

private:
    void record(const char* kind, const std::string& text) {
        m_events << QString::fromLatin1(kind) + QString::fromStdString(text);
    }

    bool m_answer;
    bool m_busy = false;
    QStringList m_events;
    FeedbackBackend* m_previous;
};
