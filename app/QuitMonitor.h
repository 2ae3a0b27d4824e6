#pragma once

#include <QObject>

// Notices the application's quit request. Once taken, it stays taken for the rest of the
// process: every modal loop ends with Cancel, and modal windows opened afterwards (while the
// program shuts down) end at once.
//
// The request is seen in two ways: a QEvent::Quit reaching the application object (what
// QCoreApplication::quit() and the session manager send), caught by an event filter before
// Qt acts on it; and a modal loop that ends without any doing of its own, which only
// QCoreApplication::exit() does. The monitor is installed when the application object is
// built, in every program that links it.
class QuitMonitor : public QObject {
    Q_OBJECT

public:
    static bool terminated();
    static void markTerminated();

    // The monitor of the running application, made on first use; nullptr without one.
    static QuitMonitor* current();

signals:
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit QuitMonitor(QObject* application);
};
