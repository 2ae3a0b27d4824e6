#pragma once

#include "index/FeedbackBackend.h"

#include <QPointer>
#include <QStatusBar>

// The feedback of an index run in the desktop program: message dialogs, the status bar it is
// given, and the application-wide busy cursor.
class GuiFeedback : public FeedbackBackend {
public:
    // The bar that status texts go to; without one (or once it is destroyed) they go nowhere.
    void setStatusBar(QStatusBar* statusBar) { m_statusBar = statusBar; }

    void showStatus(const std::string& text) override;
    void showErrorMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setBusyCursor() override;
    void restoreCursor() override;

private:
    QPointer<QStatusBar> m_statusBar;
};
