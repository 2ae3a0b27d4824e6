#pragma once

#include "help/HelpCall.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// The one viewer of a user session: the running viewer listens on a local socket in the
// user's runtime folder; a later pictavo-help hands its request over and prints the answer.
class HelpChannel : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<QString(const HelpCall&)>;

    // In a folder private to the user; empty, with the reason in `problem`, when the session
    // offers none, and then every request shows in a viewer of its own.
    static QString serverPath(QString* problem = nullptr);
    // Held while deciding who is the viewer, so two viewers never start side by side; empty
    // with the server path.
    static QString lockPath();
    // A lock that is no plain file, planted or left behind, would hold every start for the
    // whole wait: it is removed before the lock is taken.
    static void clearLockPath();

    // Hands the call to the viewer listening at `path` and waits for its answer; false when
    // no viewer answers there. Needs no event loop.
    static bool deliver(const HelpCall& call, QString& answer, const QString& path = serverPath());

    explicit HelpChannel(Handler handler, QObject* parent = nullptr);
    // Takes over `path`, also from a viewer that ended without removing it; false, leaving
    // it alone, while a viewer still takes connections there.
    bool listen(const QString& path = serverPath());

private:
    void read(QLocalSocket* socket);

    Handler m_handler;
    QLocalServer* m_server;
};
