#pragma once

#include <string>

// Where the feedback services go: the window installs dialogs and its status bar, the
// command line installs a console, tests install a recorder. Without a backend the services
// do nothing and AskYesNo answers no.
class FeedbackBackend {
public:
    virtual ~FeedbackBackend() = default;

    virtual void showStatus(const std::string& text) = 0;
    virtual void showErrorMessage(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void setBusyCursor() = 0;
    virtual void restoreCursor() = 0;
    // The page is complete at this drive path; comes before the final question.
    virtual void pageWritten(const std::string& /*path*/) {}

    // Installs a backend (nullptr removes it) and returns the one it replaces. The backend
    // is not owned.
    static FeedbackBackend* install(FeedbackBackend* backend);
    static FeedbackBackend* current();
};
