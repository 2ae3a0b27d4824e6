#pragma once

#include "index/FeedbackBackend.h"

#include <cstdio>
#include <string>

// Feedback of an index run on a terminal: status texts and errors on standard error, the final
// question answered in advance. Remembers how the run ended.
class ConsoleFeedback : public FeedbackBackend {
public:
    ConsoleFeedback(std::FILE* errors, bool openWhenFinished);

    void showStatus(const std::string& text) override;
    void showErrorMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void pageWritten(const std::string& path) override { m_finishedPath = path; }
    void setBusyCursor() override {}
    void restoreCursor() override {}

    bool succeeded() const noexcept { return !m_finishedPath.empty() && !m_failed; }
    // A text could not be written (standard error full or closed).
    bool textLost() const noexcept { return m_textLost; }
    // Drive path of the page the run wrote; empty before that.
    const std::string& finishedPath() const noexcept { return m_finishedPath; }

private:
    void writeLine(const std::string& text);

    std::FILE* m_errors;
    bool m_openWhenFinished;
    bool m_failed = false;
    bool m_textLost = false;
    std::string m_finishedPath;
};
