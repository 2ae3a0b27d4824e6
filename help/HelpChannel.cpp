#include "help/HelpChannel.h"

#include "platform/session/SessionSocket.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

namespace {

// Generous: the machine may be busy, and a viewer that has accepted the request is about to
// show it. A viewer that does not answer in time is taken for gone.
constexpr int ConnectTimeout = 5000;
constexpr int AnswerTimeout = 30000;
constexpr quint32 MaxFrame = 1 << 20;

QByteArray frame(const QByteArray& payload) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << payload;
    return bytes;
}

// One length-prefixed payload from the start of `buffer`, removed from it; false while it
// is incomplete. A length beyond any request marks the stream as damaged.
bool takeFrame(QByteArray& buffer, QByteArray& payload, bool& damaged) {
    if (buffer.size() < 4)
        return false;
    QDataStream in(buffer);
    quint32 length = 0;
    in >> length;
    if (length > MaxFrame && length != 0xFFFFFFFF) {
        damaged = true;
        return false;
    }
    const qsizetype total = 4 + (length == 0xFFFFFFFF ? 0 : qsizetype(length));
    if (buffer.size() < total)
        return false;
    payload = buffer.mid(4, total - 4);
    buffer.remove(0, total);
    return true;
}

} // namespace

QString HelpChannel::serverPath(QString* problem) {
    std::string why;
    const std::string path = platform::sessionSocketPath("pictavo-help", why);
    if (problem)
        *problem = QString::fromLocal8Bit(why);
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString HelpChannel::lockPath() {
    const QString server = serverPath();
    return server.isEmpty() ? QString() : server + QStringLiteral(".lock");
}

void HelpChannel::clearLockPath() {
    const QString path = lockPath();
    const QFileInfo lock(path);
    if (path.isEmpty() || !(lock.isSymLink() || (lock.exists() && !lock.isFile())))
        return;
    if (!QFile::remove(path))
        QDir().rmdir(path);
}

bool HelpChannel::deliver(const HelpCall& call, QString& answer, const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(ConnectTimeout))
        return false;
    socket.write(frame(call.serialized()));
    QByteArray buffer;
    QByteArray payload;
    bool damaged = false;
    const QDeadlineTimer deadline(AnswerTimeout);
    while (!takeFrame(buffer, payload, damaged)) {
        if (damaged || deadline.hasExpired() ||
            (!socket.waitForReadyRead(int(deadline.remainingTime())) && !socket.bytesAvailable()))
            return false;
        buffer += socket.readAll();
    }
    answer = QString::fromUtf8(payload);
    return true;
}

HelpChannel::HelpChannel(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
    , m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            read(socket);
        }
    });
}

bool HelpChannel::listen(const QString& path) {
    // A viewer that is slow to answer, or stuck, still takes connections; removing its socket
    // would leave two viewers and neither reachable by all requests. Only a socket that
    // refuses, left by a viewer that ended, is taken over.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(ConnectTimeout))
        return false;
    if (probe.error() != QLocalSocket::ConnectionRefusedError &&
        probe.error() != QLocalSocket::ServerNotFoundError)
        return false;
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

void HelpChannel::read(QLocalSocket* socket) {
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    QByteArray payload;
    bool damaged = false;
    if (!takeFrame(buffer, payload, damaged)) {
        if (damaged)
            socket->abort();
        else
            socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("buffer", QVariant());
    socket->write(frame(m_handler(HelpCall::deserialized(payload)).toUtf8()));
    socket->disconnectFromServer();
}
