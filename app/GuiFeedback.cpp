#include "app/GuiFeedback.h"

#include "app/ApplicationCursor.h"
#include "app/ShowMessageDialog.h"
#include "platform/text/DisplayText.h"

void GuiFeedback::showStatus(const std::string& text) {
    if (!m_statusBar)
        return;
    m_statusBar->showMessage(platform::displayText(text));
    // The caller goes on working without returning to the event loop.
    m_statusBar->repaint();
}

void GuiFeedback::showErrorMessage(const std::string& text) {
    ShowMessageDialog(text, MessageKind::Error, {MessageButton::OK}, 0);
}

bool GuiFeedback::askYesNo(const std::string& text) {
    return ShowMessageDialog(text, MessageKind::Confirmation,
                             {MessageButton::Yes, MessageButton::No}, 0) == mrYes;
}

void GuiFeedback::setBusyCursor() {
    ApplicationCursor::setShape(Qt::WaitCursor);
}

void GuiFeedback::restoreCursor() {
    ApplicationCursor::setShape(Qt::ArrowCursor);
}
