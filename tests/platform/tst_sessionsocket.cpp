#include "platform/session/SearchPath.h"
#include "platform/session/SessionSocket.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

// Where the help viewer's socket goes, worked out as nobody among folders of its own and of
// another user (root, who runs the suite); and the search path it leaves to what it starts.
class TestSessionSocket : public QObject {
    Q_OBJECT

private slots:
    void folder_data();
    void folder();
    void searchPath_data();
    void searchPath();
};

void TestSessionSocket::folder_data() {
    QTest::addColumn<QString>("runtime");  // "": unset, "own", "open", "other's", "long"
    QTest::addColumn<bool>("squatted");    // the temporary folder's pictavo-UID is another's
    QTest::addColumn<bool>("home");        // HOME names a folder of the user's own
    QTest::addColumn<QString>("expected"); // below the test's folder, and the folder's mode
    QTest::newRow("the runtime folder") << "own" << false << true << "run/pictavo-help 700";
    QTest::newRow("none: the user's own below the temporary folder")
        << "" << false << true << "tmp/pictavo-UID/pictavo-help 700";
    QTest::newRow("another user's runtime folder is never taken")
        << "other's" << false << true << "tmp/pictavo-UID/pictavo-help 700";
    QTest::newRow("a runtime folder open to others is closed")
        << "open" << false << true << "run/pictavo-help 700";
    QTest::newRow("a runtime path too long for a socket")
        << "long" << false << true << "tmp/pictavo-UID/pictavo-help 700";
    QTest::newRow("the temporary folder's taken by another user: the cache")
        << "" << true << true << "home/.cache/pictavo/pictavo-help 700";
    QTest::newRow("nowhere private: none, and why") << "other's" << true << false << "";
}

void TestSessionSocket::folder() {
    QFETCH(QString, runtime);
    QFETCH(bool, squatted);
    QFETCH(bool, home);
    QFETCH(QString, expected);
    if (::geteuid() != 0)
        QSKIP("only the superuser can make folders of another user");
    QTemporaryDir base;
    QDir folder(base.path());
    const QString longName = QString(100, 'r');
    for (const QString& name :
         {QStringLiteral("run"), QStringLiteral("tmp"), QStringLiteral("home"), longName})
        QVERIFY(folder.mkdir(name));
    ::chmod(QFile::encodeName(folder.filePath("tmp")).constData(), 01777);
    testsupport::handOver(base.path());
    const QByteArray run = QFile::encodeName(folder.filePath("run"));
    if (runtime == "other's")
        QCOMPARE(::chown(run.constData(), 0, 0), 0);
    ::chmod(run.constData(), runtime == "open" ? 0777 : 0700);
    const QByteArray uid = QByteArray::number(
        testsupport::runUnprivileged([] { return QByteArray::number(::geteuid()); }).toUInt());
    if (squatted) {
        QVERIFY(folder.mkdir("tmp/pictavo-" + uid));
        ::chmod(QFile::encodeName(folder.filePath("tmp/pictavo-" + uid)).constData(), 0777);
    }

    const QByteArray root = QFile::encodeName(base.path());
    const QByteArray runtimeFolder = runtime == "long"   ? root + "/" + longName.toLatin1()
                                     : runtime.isEmpty() ? QByteArray()
                                                         : run;
    const QByteArray outcome = testsupport::runUnprivileged([&] {
        ::unsetenv("XDG_CACHE_HOME");
        if (runtimeFolder.isEmpty())
            ::unsetenv("XDG_RUNTIME_DIR");
        else
            ::setenv("XDG_RUNTIME_DIR", runtimeFolder.constData(), 1);
        ::setenv("TMPDIR", (root + "/tmp").constData(), 1);
        ::setenv("HOME", home ? (root + "/home").constData() : "/nonexistent", 1);
        std::string problem;
        const std::string path = platform::sessionSocketPath("pictavo-help", problem);
        if (path.empty())
            return QByteArray(problem.empty() ? "no path and no problem" : "");
        struct stat status {};
        ::stat(path.substr(0, path.rfind('/')).c_str(), &status);
        return QByteArray::fromStdString(path) + " " +
               QByteArray::number(status.st_mode & 07777, 8);
    });
    QCOMPARE(QString::fromLocal8Bit(outcome)
                 .replace(QString::fromLocal8Bit(root) + "/", "")
                 .replace("pictavo-" + uid, "pictavo-UID"),
             expected);
}

void TestSessionSocket::searchPath_data() {
    QTest::addColumn<QByteArray>("path"); // null: unset
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("absolute entries stay")
        << QByteArray("/usr/bin:/bin") << QByteArray("/usr/bin:/bin");
    QTest::newRow("empty entries go")
        << QByteArray(":/usr/bin::/bin:") << QByteArray("/usr/bin:/bin");
    QTest::newRow("relative entries go") << QByteArray(".:bin:/bin:../x") << QByteArray("/bin");
    QTest::newRow("nothing left: unset, the system's default") << QByteArray(".:") << QByteArray();
    QTest::newRow("empty: unset") << QByteArray("") << QByteArray();
    QTest::newRow("unset stays so") << QByteArray() << QByteArray();
}

void TestSessionSocket::searchPath() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, kept);
    const QByteArray before = qgetenv("PATH");
    if (path.isNull())
        qunsetenv("PATH");
    else
        qputenv("PATH", path);
    platform::keepAbsoluteSearchPath();
    const bool set = qEnvironmentVariableIsSet("PATH");
    const QByteArray after = qgetenv("PATH");
    qputenv("PATH", before);
    QCOMPARE(set, !kept.isNull());
    QCOMPARE(after, kept.isNull() ? QByteArray() : kept);
}

PICTAVO_TEST_MAIN(TestSessionSocket, QCoreApplication)
#include "tst_sessionsocket.moc"
