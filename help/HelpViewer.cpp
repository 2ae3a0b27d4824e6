#include "help/HelpViewer.h"

#include "help/HelpFile.h"
#include "help/HelpPopup.h"
#include "help/HelpWindow.h"
#include "platform/shell/Shell.h"

#include <QCursor>
#include <QTimer>

namespace {
const QString NoPopupTopic = QStringLiteral("No help topic for this item.");
} // namespace

HelpViewer::HelpViewer()
    : m_pointer([] { return QCursor::pos(); }) {}

HelpViewer::~HelpViewer() = default;

QString HelpViewer::handle(const HelpCall& call) {
    // Requests started one right after the other may reach the viewer in the opposite order;
    // one made before the request already shown is out of date and would cover it.
    // A stamp from the future, damaged or forged, would shut out every later request.
    const qint64 madeAt = std::min(call.madeAt, HelpCall::now());
    if (madeAt != 0 && madeAt < m_lastMadeAt)
        return QStringLiteral("ignored: a later request is shown");
    m_lastMadeAt = std::max(m_lastMadeAt, madeAt);

    if (!call.error.isEmpty()) {
        window()->showMessage(
            QStringLiteral("The help viewer was started with arguments it cannot use: %1.")
                .arg(call.error));
        showWindow();
        return QStringLiteral("message: ") + call.error;
    }
    if (call.command == HELP_QUIT) {
        if (m_popup)
            m_popup->close();
        if (m_window)
            m_window->close();
        checkFinished();
        return QStringLiteral("closed");
    }

    auto file = std::make_shared<const HelpFile>(HelpFile::load(call.file));
    const QString key =
        call.command == HELP_CONTENTS ? QStringLiteral("contents") : QString::number(call.data);
    if (call.command == HELP_CONTEXTPOPUP) {
        const bool found = file->isValid() && file->contains(key);
        const QString html = found             ? file->topicHtml(key)
                             : file->isValid() ? NoPopupTopic.toHtmlEscaped()
                                               : file->error().toHtmlEscaped();
        popup()->showAt(m_pointer(), html);
        return found ? QStringLiteral("pop-up ") + key
                     : QStringLiteral("pop-up message: ") + popup()->text();
    }
    const bool found = window()->showTopic(
        file, key,
        QStringLiteral("There is no help topic for this item (help context %1).").arg(key));
    showWindow();
    return found ? QStringLiteral("topic ") + key
                 : QStringLiteral("message: ") + window()->currentMessage();
}

HelpWindow* HelpViewer::window() {
    if (!m_window) {
        m_window = std::make_unique<HelpWindow>();
        connect(m_window.get(), &HelpWindow::hidden, this, &HelpViewer::checkFinished);
    }
    return m_window.get();
}

HelpPopup* HelpViewer::popup() {
    if (!m_popup) {
        m_popup = std::make_unique<HelpPopup>();
        connect(m_popup.get(), &HelpPopup::hidden, this, &HelpViewer::checkFinished);
    }
    return m_popup.get();
}

bool HelpViewer::isShowingAnything() const {
    return (m_window && m_window->isVisible()) || (m_popup && m_popup->isVisible());
}

void HelpViewer::showWindow() {
    if (m_popup)
        m_popup->close();
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void HelpViewer::checkFinished() {
    // Later, so that a pop-up closing because the window opens does not end the viewer.
    QTimer::singleShot(0, this, [this] {
        if (!isShowingAnything())
            emit finished();
    });
}
