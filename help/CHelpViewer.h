#pragma once

#include "help/HelpCall.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class THelpPopup;
class THelpWindow;

// Carries out help requests in one viewer: topics in the help window, pop-ups at the pointer,
// the viewer's own message for whatever cannot be shown. Tells when nothing of it is left on
// screen.
class CHelpViewer : public QObject {
    Q_OBJECT

public:
    CHelpViewer();
    ~CHelpViewer() override;

    // What became of the call, in a few words for whoever delivered it.
    QString handle(const HelpCall& call);

    // Created on first use.
    THelpWindow* window();
    THelpPopup* popup();
    bool isShowingAnything() const;

    // Where pop-ups go; the pointer unless a test decides.
    void setPointerSource(std::function<QPoint()> source) { m_pointer = std::move(source); }

signals:
    void finished();

private:
    void showWindow();
    void checkFinished();

    std::unique_ptr<THelpWindow> m_window;
    std::unique_ptr<THelpPopup> m_popup;
    std::function<QPoint()> m_pointer;
    qint64 m_lastMadeAt = 0;
};
