#include "platform/registry/Registry.h"
#include "platform/testing/RegistrySandbox.h"
#include "tests/support/Processes.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

using platform::RegistrySandbox;

namespace {

const std::string Settings = "Software\\Zelmar Inc.\\Pictavo\\1.0";
const char* const Names[4] = {"WinLeft", "WinTop", "WinWidth", "WinHeight"};

// A Wayland compositor of the test's own: Weston's headless backend, on a socket in a private
// runtime folder, stopped with the object.
class Compositor {
public:
    Compositor() {
        m_runtime.setAutoRemove(true);
        QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
        m_weston.setProcessEnvironment(environment);
        m_weston.setProcessChannelMode(QProcess::MergedChannels);
        m_weston.start("weston",
                       {"--backend=headless-backend.so", "--socket=" + socket(), "--idle-time=0"});
        for (QDeadlineTimer ready(60000);
             !ready.hasExpired() && !isReady() && m_weston.state() != QProcess::NotRunning;)
            QTest::qWait(50);
    }
    ~Compositor() {
        m_weston.terminate();
        if (!m_weston.waitForFinished(10000))
            m_weston.kill();
        m_weston.waitForFinished(10000);
    }

    static QString socket() { return QStringLiteral("pictavo-test"); }
    QString runtimeDir() const { return m_runtime.path(); }
    bool isReady() const {
        return m_weston.state() == QProcess::Running &&
               QFileInfo(QDir(m_runtime.path()).filePath(socket())).exists();
    }
    QString log() { return QString::fromLocal8Bit(m_weston.readAll()); }

private:
    QTemporaryDir m_runtime;
    QProcess m_weston;
};

// The four stored numbers (left, top, width, height); -1 where one is missing.
QList<int> stored() {
    QList<int> bounds;
    for (const char* name : Names) {
        const RegistrySandbox::Value value = RegistrySandbox::value(Settings, name);
        int bound = -1;
        if (value.status == 0 && value.bytes.size() == 4)
            std::memcpy(&bound, value.bytes.data(), 4);
        bounds << bound;
    }
    return bounds;
}

} // namespace

// The desktop programs in a Wayland session: under a compositor alone, where no program may
// know or choose a window's position, and beside an X server (XWayland's place in a real
// session, here the wrapper's Xvfb), where they take X11 so that placement works as designed.
class TestWaylandSession : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pureWaylandKeepsPositions_data();
    void pureWaylandKeepsPositions();
    void bothDisplaysTakeX11_data();
    void bothDisplaysTakeX11();

private:
    // The children's environment: the compositor's, without a platform chosen by the test's own.
    QProcessEnvironment sessionEnvironment(bool withX) const;
    QString tool(const QString& program, const QStringList& arguments);

    std::unique_ptr<Compositor> m_compositor;
    QTemporaryDir m_folder;
    QDir m_programs;
};

void TestWaylandSession::initTestCase() {
    if (QStandardPaths::findExecutable("weston").isEmpty())
        QSKIP("Weston is not installed (package weston); no Wayland compositor to run under");
    const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms");
    if (plugins.entryList({"libqwayland-*.so"}).isEmpty())
        QSKIP("Qt's Wayland platform is not installed (package qt6-wayland)");
    m_compositor = std::make_unique<Compositor>();
    QVERIFY2(m_compositor->isReady(), qPrintable("Weston did not start: " + m_compositor->log()));
    m_programs = QFileInfo(QStringLiteral(PICTAVO_BINARY)).dir();
}

QProcessEnvironment TestWaylandSession::sessionEnvironment(bool withX) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    if (!withX)
        environment.remove("DISPLAY");
    environment.insert("XDG_RUNTIME_DIR", m_compositor->runtimeDir());
    environment.insert("WAYLAND_DISPLAY", Compositor::socket());
    // What a Wayland session's login sets, and what steers the toolkit towards Wayland.
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.remove("XDG_CURRENT_DESKTOP");
    environment.remove("XDG_SESSION_DESKTOP");
    return environment;
}

QString TestWaylandSession::tool(const QString& program, const QStringList& arguments) {
    return testsupport::toolOutput(program, arguments);
}

void TestWaylandSession::pureWaylandKeepsPositions_data() {
    QTest::addColumn<QList<int>>("before"); // left, top, width, height; -1 for none
    QTest::addColumn<QList<int>>("after"); // 0: any size, since the menu bar's height is the font's
    QTest::newRow("a place stored under X11")
        << QList<int>{200, 150, 600, 400} << QList<int>{200, 150, 600, 400};
    // What an earlier version stored under Wayland: its own decoration's offset and outer size.
    QTest::newRow("an earlier Wayland run's bounds")
        << QList<int>{-3, -30, 526, 313} << QList<int>{-3, -30, 526, 313};
    QTest::newRow("first start: the designed client size")
        << QList<int>{-1, -1, -1, -1} << QList<int>{-1, -1, 520, 0};
}

void TestWaylandSession::pureWaylandKeepsPositions() {
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    RegistrySandbox sandbox;
    for (int i = 0; i < 4; ++i)
        if (before[i] != -1)
            RegistrySandbox::setValue(Settings, Names[i], platform::RegDword,
                                      RegistrySandbox::dword(before[i]));

    QProcessEnvironment environment = sessionEnvironment(false);
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(sandbox.configHome()));
    // The protocol log tells when the window has its first picture, and so its final size.
    environment.insert("WAYLAND_DEBUG", "client");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(PICTAVO_BINARY), {m_folder.path()});
    QByteArray log;
    for (QDeadlineTimer shown(60000); !shown.hasExpired() && !log.contains("attach(wl_buffer");)
        if (program.waitForReadyRead(100))
            log += program.readAll();
        else if (program.state() == QProcess::NotRunning)
            break;
    QVERIFY2(log.contains("attach(wl_buffer"), log.right(2000).constData());
    QTest::qWait(500); // what follows the first picture: the decoration's own adjustments
    program.terminate();
    QVERIFY(program.waitForFinished(60000));
    log += program.readAll();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, log.right(3000).constData());
    const QList<int> bounds = stored();
    for (int i = 0; i < 4; ++i)
        if (after[i] != 0)
            QCOMPARE(bounds[i], after[i]);
    // The outer size, with the toolkit's own decoration, is what the compositor was told last.
    static const QRegularExpression outer(
        QStringLiteral("set_window_geometry\\(-?\\d+, -?\\d+, (\\d+), (\\d+)\\)"));
    QRegularExpressionMatch told;
    for (auto match = outer.globalMatch(QString::fromLatin1(log)); match.hasNext();)
        told = match.next();
    QVERIFY2(told.hasMatch(), "no window geometry in the protocol log");
    QVERIFY2(bounds[2] < told.captured(1).toInt() && bounds[3] < told.captured(2).toInt(),
             "the stored size is not the client's");
}

void TestWaylandSession::bothDisplaysTakeX11_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("search"); // xdotool's, for the program's window
    QTest::newRow("pictavo") << "pictavo" << QStringList{m_folder.path()}
                             << QStringList{"--name", "^Zelmar Pictavo$"};
    QTest::newRow("pictavo-help") << "pictavo-help"
                                  << QStringList{m_programs.filePath("Pictavo.hlp"), "3", "0"}
                                  << QStringList{"--classname", "^pictavo-help$"};
}

void TestWaylandSession::bothDisplaysTakeX11() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, search);
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "run by tests/x11/with-window-manager.sh");
    RegistrySandbox sandbox;
    QProcessEnvironment environment = sessionEnvironment(true);
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(sandbox.configHome()));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(m_programs.filePath(program), arguments);
    const auto ending = qScopeGuard([&] {
        process.terminate();
        process.waitForFinished(60000);
        // A viewer that is still running ends on command 2.
        QProcess close;
        close.setProcessEnvironment(environment);
        close.start(m_programs.filePath("pictavo-help"),
                    {m_programs.filePath("Pictavo.hlp"), "2", "0"});
        close.waitForFinished(60000);
    });
    const QString window =
        tool("timeout", QStringList{"30", "xdotool", "search", "--sync", "--onlyvisible"} + search);
    QVERIFY2(!window.isEmpty(), "no window on the X server");
}

int main(int argc, char** argv) {
    testsupport::TestEnvironment environment;
    QCoreApplication application(argc, argv);
    TestWaylandSession test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_waylandsession.moc"
