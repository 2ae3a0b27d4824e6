#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals with which a session or a user ends a program (SIGTERM, SIGHUP, SIGINT)
// into a Qt signal on the event loop's thread. The handler only writes a byte into a pipe; all
// work happens when the loop reads it. One instance at a time; destroying it restores the
// previous handlers.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
