#pragma once

#include "help/HelpCall.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class HelpPopup;
class HelpWindow;

// Carries out help requests in one viewer: topics in the help window, pop-ups at the pointer,
// the viewer's own message for whatever cannot be shown. Tells when nothing of it is left on
// screen.
class HelpViewer : public QObject {
    Q_OBJECT

public:
    HelpViewer();
    ~HelpViewer() override;

    // What became of the call, in a few words for whoever delivered it.
    QString handle(const HelpCall& call);

    // Created on first use.
    HelpWindow* window();
    HelpPopup* popup();
    bool isShowingAnything() const;

    // Where pop-ups go; the pointer unless a test decides.
    void setPointerSource(std::function<QPoint()> source) { m_pointer = std::move(source); }

signals:
    void finished();

private:
    void showWindow();
    void checkFinished();

    std::unique_ptr<HelpWindow> m_window;
    std::unique_ptr<HelpPopup> m_popup;
    std::function<QPoint()> m_pointer;
    qint64 m_lastMadeAt = 0;
};
