#pragma once

#include "index/FeedbackBackend.h"

#include <QStringList>

// Installs itself as the feedback backend while it lives and records every call in order:
// "status: TEXT", "error: TEXT", "confirm: TEXT", "busy", "arrow". Answers questions with
// the answer the test chose.
class RecordingFeedback : public FeedbackBackend {
public:
    explicit RecordingFeedback(bool answer = false);
    ~RecordingFeedback() override;
    RecordingFeedback(const RecordingFeedback&) = delete;
    RecordingFeedback& operator=(const RecordingFeedback&) = delete;

    void showStatus(const std::string& text) override;
    void showErrorMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setBusyCursor() override;
    void restoreCursor() override;

    const QStringList& events() const { return m_events; }
    // Only the dialogs ("error: ..." and "confirm: ...").
    QStringList dialogs() const;
    bool busy() const { return m_busy; }
    void clear() { m_events.clear(); }

private:
    void record(const char* kind, const std::string& text);

    bool m_answer;
    bool m_busy = false;
    QStringList m_events;
    FeedbackBackend* m_previous;
};
