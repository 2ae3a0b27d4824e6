#include "app/QuitMonitor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

namespace {
bool s_terminated = false;
QPointer<QuitMonitor> s_monitor;

void installQuitMonitor() {
    QuitMonitor::current();
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(installQuitMonitor)

QuitMonitor::QuitMonitor(QObject* application)
    : QObject(application) {
    application->installEventFilter(this);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &QuitMonitor::markTerminated);
}

bool QuitMonitor::terminated() {
    return s_terminated;
}

void QuitMonitor::markTerminated() {
    s_terminated = true;
    if (s_monitor)
        emit s_monitor->quitRequested();
}

QuitMonitor* QuitMonitor::current() {
    if (!s_monitor && QCoreApplication::instance())
        s_monitor = new QuitMonitor(QCoreApplication::instance());
    return s_monitor;
}

bool QuitMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
        markTerminated();
    return false;
}
