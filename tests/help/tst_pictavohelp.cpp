#include "help/HelpChannel.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QCoreApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString HelpFilePath = QStringLiteral(PICTAVO_HELP_FILE);

void start(QProcess& process, qint64 madeAt, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PICTAVO_HELP_MADE_AT", QString::number(madeAt));
    process.setProcessEnvironment(environment);
    process.start(PICTAVO_HELP_BINARY, arguments);
}

} // namespace

// pictavo-help as the program starts it: the first one becomes the viewer, every later one
// hands its request over, and the viewer answers in the order the requests were made.
class TestPictavoHelp : public QObject {
    Q_OBJECT

private slots:
    void laterRequestsReachTheViewer_data();
    void laterRequestsReachTheViewer();
    void twoFirstRequestsMakeOneViewer();
    void plantedLockLinkIsRemoved();
    void viewerLeavesTheFolderItStartedIn();
    void oneViewerForAnUnprivilegedUser();
};

void TestPictavoHelp::laterRequestsReachTheViewer_data() {
    QTest::addColumn<bool>("runtimeFolder");
    QTest::newRow("in the runtime folder") << true;
    // Else every request would start a viewer of its own.
    QTest::newRow("no runtime folder, and another user's runtime-<user> in the temporary folder")
        << false;
}

void TestPictavoHelp::laterRequestsReachTheViewer() {
    QFETCH(bool, runtimeFolder);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QTemporaryDir temporary;
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", runtime);
        qunsetenv("TMPDIR");
    });
    if (!runtimeFolder) {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temporary.path()));
        const passwd* user = ::getpwuid(::geteuid());
        const passwd* other = ::getpwnam("nobody");
        QVERIFY(user && other);
        const QByteArray taken = QFile::encodeName(temporary.path()) + "/runtime-" + user->pw_name;
        QVERIFY(::mkdir(taken.constData(), 0700) == 0);
        if (::chown(taken.constData(), other->pw_uid, other->pw_gid) != 0)
            QSKIP("only the superuser can make a folder of another user");
        QVERIFY(HelpChannel::serverPath().startsWith(temporary.path() + "/"));
    }
    QVERIFY(!HelpChannel::serverPath().isEmpty());
    QProcess viewer;
    start(viewer, 100, {HelpFilePath, "1", "1000"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(HelpChannel::serverPath()), 30000);

    struct Step {
        qint64 madeAt;
        QStringList arguments;
        int exitCode;
        QString answer;
    };
    const QString missing = QDir::temp().filePath("no-such-folder/Pictavo.hlp");
    // clang-format off
    const Step steps[] = {
        {200, {HelpFilePath, "8", "10600"}, 0, "pop-up 10600"},
        {150, {HelpFilePath, "3", "0"}, 0, "ignored: a later request is shown"},
        {300, {missing, "1", "1000"}, 0, "message: The help file \"" + missing + "\" was not found."},
        {400, {HelpFilePath, "1"}, 2, "message: expected a help file, a command and its data, got 2 argument(s)"},
        {500, {HelpFilePath, "3", "0"}, 0, "topic contents"},
        {600, {HelpFilePath, "2", "0"}, 0, "closed"},
    };
    // clang-format on
    for (const Step& step : steps) {
        QProcess request;
        start(request, step.madeAt, step.arguments);
        QVERIFY(request.waitForFinished(60000));
        QCOMPARE(request.exitCode(), step.exitCode);
        QCOMPARE(QString::fromUtf8(request.readAllStandardOutput()).trimmed(), step.answer);
    }
    QVERIFY(viewer.waitForFinished(30000));
    QCOMPARE(viewer.exitCode(), 0);
    QVERIFY(!QFile::exists(HelpChannel::serverPath()));
}

void TestPictavoHelp::twoFirstRequestsMakeOneViewer() {
    QProcess first;
    QProcess second;
    start(first, 10, {HelpFilePath, "3", "0"});
    start(second, 20, {HelpFilePath, "8", "10000"});
    QTRY_VERIFY_WITH_TIMEOUT(
        first.state() == QProcess::NotRunning || second.state() == QProcess::NotRunning, 60000);
    QProcess& client = first.state() == QProcess::NotRunning ? first : second;
    QProcess& viewer = &client == &first ? second : first;
    // Whichever became the viewer, the pop-up asked for last is what the user sees.
    const QString answer = QString::fromUtf8(client.readAllStandardOutput()).trimmed();
    QCOMPARE(answer, &client == &first ? "ignored: a later request is shown" : "pop-up 10000");
    QCOMPARE(viewer.state(), QProcess::Running);

    QProcess close;
    start(close, 30, {HelpFilePath, "2", "0"});
    QVERIFY(close.waitForFinished(60000));
    QVERIFY(viewer.waitForFinished(30000));
}

// A link at the lock would keep every start waiting for a lock that never frees.
void TestPictavoHelp::plantedLockLinkIsRemoved() {
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/pictavo-help.lock"), HelpChannel::lockPath()));
    QProcess close;
    start(close, 10, {HelpFilePath, "2", "0"});
    QVERIFY(close.waitForFinished(60000));
    QCOMPARE(close.exitCode(), 0);
    QVERIFY(!QFileInfo(HelpChannel::lockPath()).isSymLink());
}

void TestPictavoHelp::viewerLeavesTheFolderItStartedIn() {
    QTemporaryDir browsed;
    QProcess viewer;
    viewer.setWorkingDirectory(browsed.path());
    start(viewer, 10, {HelpFilePath, "8", "10600"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(HelpChannel::serverPath()), 30000);
    const QString folder =
        QFileInfo(QStringLiteral("/proc/%1/cwd").arg(viewer.processId())).symLinkTarget();
    QProcess close;
    start(close, 20, {HelpFilePath, "2", "0"});
    QVERIFY(close.waitForFinished(60000));
    QVERIFY(viewer.waitForFinished(30000));
    QCOMPARE(folder, QStringLiteral("/"));
}

// As a user without a runtime folder, whose runtime-<user> below the temporary folder another
// user has taken: later requests still reach the one viewer.
void TestPictavoHelp::oneViewerForAnUnprivilegedUser() {
    if (::geteuid() != 0)
        QSKIP("only the superuser can become another user");
    QTemporaryDir area;
    QVERIFY(QDir(area.path()).mkpath("home"));
    testsupport::handOver(area.path());
    QVERIFY(QDir(area.path()).mkdir("runtime-nobody")); // the superuser's
    const QByteArray root = QFile::encodeName(area.path());
    // Bounded, so that a viewer left over when the requests go astray ends by itself.
    const QByteArray viewer = "timeout 30 " + QByteArray(PICTAVO_HELP_BINARY) + " '" +
                              QFile::encodeName(HelpFilePath) + "' ";
    const QByteArray answer = testsupport::runUnprivileged([&] {
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("PICTAVO_HELP_MADE_AT");
        ::setenv("TMPDIR", root.constData(), 1);
        ::setenv("HOME", (root + "/home").constData(), 1);
        if (std::system((viewer + "8 10600 >/dev/null 2>&1 &").constData()) != 0)
            return QByteArray("<not started>");
        const QByteArray socket =
            root + "/pictavo-" + QByteArray::number(::geteuid()) + "/pictavo-help";
        for (int i = 0; i < 300 && !QFile::exists(QFile::decodeName(socket)); ++i)
            ::usleep(100000);
        QByteArray printed;
        if (FILE* request = ::popen((viewer + "3 0 2>&1").constData(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, request))
                printed += buffer;
            ::pclose(request);
        }
        std::system((viewer + "2 0 >/dev/null 2>&1").constData());
        return printed.trimmed();
    });
    QCOMPARE(answer, QByteArray("topic contents"));
}

PICTAVO_TEST_MAIN(TestPictavoHelp, QCoreApplication)
#include "tst_pictavohelp.moc"
