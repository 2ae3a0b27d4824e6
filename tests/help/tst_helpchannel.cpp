#include "help/HelpChannel.h"
#include "platform/shell/Shell.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray frame(const QByteArray& payload) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << payload;
    return bytes;
}

QByteArray request(quint32 data) {
    HelpCall call;
    call.file = "/P.hlp";
    call.command = HELP_CONTEXT;
    call.data = data;
    return frame(call.serialized());
}

// Sends the pieces, a moment apart, and returns the answer's text, "<closed>" when the viewer
// hung up without one, or "<no connection>".
QString exchange(const QString& path, const QList<QByteArray>& pieces) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(5000))
        return QStringLiteral("<no connection>");
    QByteArray received;
    for (const QByteArray& piece : pieces) {
        socket.write(piece);
        socket.flush();
        QTest::qWait(20);
    }
    if (!QTest::qWaitFor(
            [&] {
                received += socket.readAll();
                return socket.state() == QLocalSocket::UnconnectedState;
            },
            10000))
        return QStringLiteral("<still open>");
    received += socket.readAll();
    return received.size() < 4 ? QStringLiteral("<closed>") : QString::fromUtf8(received.mid(4));
}

// A socket file that nothing listens on, as a viewer that was killed leaves behind.
bool leaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::copy(name.begin(), name.end(), address.sun_path);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

// The running viewer's end of the local socket: what it makes of the bytes that arrive, and
// when it takes a socket over.
class TestHelpChannel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void framing_data();
    void framing();
    void staleSocketTakenOver();
    void answeringSocketStays();
    void socketIsTheUsersAlone();

private:
    HelpChannel* channel(const QString& name);

    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_served;
    std::vector<std::unique_ptr<HelpChannel>> m_channels;
};

void TestHelpChannel::init() {
    m_channels.clear();
    m_served.clear();
    m_path = m_dir.filePath("pictavo-help");
    QFile::remove(m_path);
}

// A channel that answers with its name and the call's data or error.
HelpChannel* TestHelpChannel::channel(const QString& name) {
    m_channels.push_back(std::make_unique<HelpChannel>([this, name](const HelpCall& call) {
        m_served << name;
        return name + " " + (call.error.isEmpty() ? QString::number(call.data) : call.error);
    }));
    return m_channels.back().get();
}

void TestHelpChannel::framing_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QString>("answer");
    const QByteArray whole = request(1000);
    // clang-format off
    QTest::newRow("a request") << QList<QByteArray>{whole} << "viewer 1000";
    QTest::newRow("a request in pieces") << QList<QByteArray>{whole.left(2), whole.mid(2, 9), whole.mid(11)}
        << "viewer 1000";
    QTest::newRow("an empty frame") << QList<QByteArray>{frame({})}
        << "viewer the request came from another version of the help viewer";
    QTest::newRow("a null frame") << QList<QByteArray>{QByteArray("\xff\xff\xff\xff", 4)}
        << "viewer the request came from another version of the help viewer";
    QTest::newRow("bytes after a request are not served") << QList<QByteArray>{whole + request(2000)}
        << "viewer 1000";
    QTest::newRow("a length beyond any request: hung up") << QList<QByteArray>{QByteArray("\x00\x10\x00\x01", 4)}
        << "<closed>";
    // clang-format on
}

void TestHelpChannel::framing() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QString, answer);
    QVERIFY(channel("viewer")->listen(m_path));
    QCOMPARE(exchange(m_path, pieces), answer);
    QCOMPARE(m_served.size(), answer.startsWith("<") ? 0 : 1);
}

void TestHelpChannel::staleSocketTakenOver() {
    QVERIFY(leaveStaleSocket(m_path));
    QVERIFY(channel("viewer")->listen(m_path));
    QCOMPARE(exchange(m_path, {request(1000)}), "viewer 1000");
}

// A viewer that takes long to answer keeps its socket; a second one shows its request itself.
void TestHelpChannel::answeringSocketStays() {
    QVERIFY(channel("first")->listen(m_path));
    QVERIFY(!channel("second")->listen(m_path));
    QCOMPARE(exchange(m_path, {request(1000)}), "first 1000");
}

void TestHelpChannel::socketIsTheUsersAlone() {
    // In a folder others may enter, made with nothing masked off, the socket still keeps them
    // out.
    const QString shared = m_dir.filePath("shared");
    QVERIFY(QDir().mkpath(shared));
    testsupport::handOver(shared);
    QFile::setPermissions(shared, QFileDevice::Permissions(0x7777));
    const QString path = shared + "/pictavo-help";
    const mode_t mask = ::umask(0);
    const bool listening = channel("viewer")->listen(path);
    ::umask(mask);
    QVERIFY(listening);
    QCOMPARE(QFileInfo(path).permissions() &
                 ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser | QFile::ReadOwner |
                   QFile::WriteOwner | QFile::ExeOwner),
             QFileDevice::Permissions());
    const QByteArray other = testsupport::runUnprivileged([&] {
        QLocalSocket socket;
        socket.connectToServer(path);
        return socket.waitForConnected(5000) ? QByteArray("connected")
                                             : socket.errorString().toUtf8();
    });
    if (::geteuid() == 0)
        QVERIFY2(!other.startsWith("connected") && !other.startsWith("<"), other.constData());
    QCOMPARE(exchange(path, {request(1000)}), "viewer 1000");
}

PICTAVO_TEST_MAIN(TestHelpChannel, QCoreApplication)
#include "tst_helpchannel.moc"
