#include "platform/drives/ArgumentFolder.h"
#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/testing/FakeDriveTable.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <memory>

using namespace platform;

namespace {

QString current() {
    return QString::fromStdString(getCurrentDirectory());
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

// Drive paths, the current directory of each drive, and the way between host and drive paths.
// C: is a temporary folder holding Photos\2001, Pics and file.txt; D: holds Work; E: has no
// medium.
class TestPaths : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        for (const char* folder :
             {"c/Photos/2001", "c/Pics", "c/back\\slash", "d/Work", "d/Été 2001", "inner/deeper"})
            QVERIFY(QDir(m_root.path()).mkpath(folder));
        QFile file(m_root.filePath("c/file.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link("../c/Photos/2001", m_root.filePath("d/up")));
        QVERIFY(QFile::link("c/Photos", m_root.filePath("alias")));
    }

    void init() {
        m_drives = std::make_unique<FakeDriveTable>();
        m_drives->map('C', m_root.filePath("c").toStdString());
        m_drives->map('D', m_root.filePath("d").toStdString());
        m_drives->mapNotReady('E');
    }

    void cleanup() { m_drives.reset(); }

    void startsAtTheRootWhenTheHostFolderLiesOnNoDrive() { QCOMPARE(current(), "C:\\"); }

    void startsAtTheHostFoldersDrivePath() {
        QVERIFY(QDir::setCurrent(m_root.filePath("d/Work")));
        resetCurrentDirectories();
        QCOMPARE(current(), "D:\\Work");
    }

    void enter_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* what, const char* before, const QString& path, int error,
                            const char* after) {
            QTest::newRow(what) << QString(before) << path << error << QString(after);
        };

        row("absolute", "C:\\", "C:\\Photos\\2001", 0, "C:\\Photos\\2001");
        row("doubled and forward separators", "C:\\", "C:\\\\Photos//2001", 0, "C:\\Photos\\2001");
        row("lower-case letter, other-case name", "D:\\", "c:\\photos", 2, "D:\\");
        row("relative", "C:\\Photos", "2001", 0, "C:\\Photos\\2001");
        row("dot dot at a root stays", "C:\\", "..\\..\\Pics", 0, "C:\\Pics");
        row("root of the current drive", "C:\\Photos\\2001", "\\Pics", 0, "C:\\Pics");
        row("other drive, relative", "C:\\Photos", "D:Work", 0, "D:\\Work");
        row("other drive, absolute", "C:\\Photos", "d:\\Work\\..\\", 0, "D:\\");

        row("missing last component", "C:\\Pics", "C:\\Photos\\Nope", 2, "C:\\Pics");
        row("missing directory on the way", "C:\\Pics", "C:\\Nope\\Deeper", 3, "C:\\Pics");
        row("a file", "C:\\Pics", "C:\\file.txt", 267, "C:\\Pics");
        row("a file on the way", "C:\\Pics", "C:\\file.txt\\x", 3, "C:\\Pics");
        row("a wildcard", "C:\\Pics", "C:\\Photos\\*.jpg", 2, "C:\\Pics");
        row("unknown drive", "C:\\Pics", "Q:\\", 15, "C:\\Pics");
        row("drive without a medium", "C:\\Pics", "E:", 21, "C:\\Pics");
        row("network path", "C:\\Pics", "\\\\server\\share", 3, "C:\\Pics");
        row("name too long", "C:\\Pics", "C:\\" + QString(300, 'a'), 206, "C:\\Pics");
        row("empty", "C:\\Pics", "", 3, "C:\\Pics");
        row("NUL byte", "C:\\Pics", QStringLiteral("C:\\a") + QChar(0) + "b", 123, "C:\\Pics");
    }

    void enter() {
        QFETCH(QString, before);
        QFETCH(QString, path);
        QFETCH(int, error);
        QFETCH(QString, after);

        QCOMPARE(setCurrentDirectory(before.toStdString()), 0);
        QCOMPARE(setCurrentDirectory(path.toStdString()), error);
        QCOMPARE(current(), after);
        std::string host;
        QCOMPARE(toHostPath(after.toStdString(), host), 0);
        QCOMPARE(QDir::currentPath(), canonical(QString::fromStdString(host)));
    }

    // As a user: the superuser enters every folder.
    void accessDenied() {
        const QString locked = m_root.filePath("c/Locked");
        QVERIFY(QDir().mkpath(locked + "/inside"));
        QFile::setPermissions(locked, QFileDevice::ReadOwner);
        testsupport::handOver(locked);
        const QByteArray outcome = testsupport::runUnprivileged([] {
            return QByteArray::number(setCurrentDirectory("C:\\Locked\\inside")) + " " +
                   QByteArray::fromStdString(getCurrentDirectory());
        });
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QCOMPARE(outcome, "5 C:\\");
    }

    void eachDriveRemembersItsDirectory() {
        QCOMPARE(setCurrentDirectory("D:"), 0);
        QCOMPARE(current(), "D:\\"); // the root before the drive was ever entered
        QCOMPARE(setCurrentDirectory("C:\\Photos\\2001"), 0);
        QCOMPARE(setCurrentDirectory("D:\\Work"), 0);
        QCOMPARE(setCurrentDirectory("c:"), 0);
        QCOMPARE(current(), "C:\\Photos\\2001");
        QCOMPARE(setCurrentDirectory("D:\\Nope"), int(ErrorFileNotFound)); // D: keeps D:\Work
        QCOMPARE(setCurrentDirectory("D:"), 0);
        QCOMPARE(current(), "D:\\Work");
        QCOMPARE(setCurrentDirectory("D:.."), 0);
        QCOMPARE(current(), "D:\\");
        QCOMPARE(setCurrentDirectory("C:..\\..\\Pics"), 0);
        QCOMPARE(current(), "C:\\Pics");
        QCOMPARE(setCurrentDirectory("D:"), 0);
        QCOMPARE(current(), "D:\\");
    }

    // Host paths as a user gives them, relative to the temporary root unless absolute. F: is
    // c/Photos, G: inner, H: inner/deeper, I: is reached through the link "alias" to
    // c/Photos, and d/up is a link to c/Photos/2001.
    void hostToDrivePath_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("drive");
        const auto row = [](const char* what, const char* current, const QString& host, int error,
                            const QString& drive) {
            QTest::newRow(what) << QString(current) << host << error << drive;
        };
        row("a drive's root", "C:\\", "c", 0, "C:\\");
        row("non-ASCII, other drive", "C:\\", "d/Été 2001", 0, "D:\\Été 2001");
        row("a file", "C:\\", "c/./file.txt", 0, "C:\\file.txt");
        row("the current drive wins", "F:\\", "c/Photos/2001", 0, "F:\\2001");
        row("else the longest root", "C:\\", "inner/deeper/", 0, "H:\\");
        row("a link's '..' is its target's parent", "C:\\", "d/up/..", 0, "C:\\Photos");
        row("a root reached through a link claims it", "C:\\", "alias/2001", 0, "I:\\2001");
        row("missing last component", "C:\\", "c/Nope", 2, "");
        row("missing directory on the way", "C:\\", "c/Nope/x", 3, "");
        row("a file on the way", "C:\\", "c/file.txt/x", 3, "");
        row("on no drive", "C:\\", "/", int(ErrorInvalidDrive), "");
        row("a name holding '\\'", "C:\\", "c/back\\slash", int(ErrorInvalidName), "");
    }

    void hostToDrivePath() {
        QFETCH(QString, current);
        QFETCH(QString, host);
        QFETCH(int, error);
        QFETCH(QString, drive);
        m_drives->map('F', m_root.filePath("c/Photos").toStdString());
        m_drives->map('G', m_root.filePath("inner").toStdString());
        m_drives->map('H', m_root.filePath("inner/deeper").toStdString());
        m_drives->map('I', m_root.filePath("alias").toStdString());
        QCOMPARE(setCurrentDirectory(current.toStdString()), 0);
        QVERIFY(QDir::setCurrent(m_root.path()));
        std::string result = "unchanged";
        QCOMPARE(toDrivePath(host.toStdString(), result), error);
        QCOMPARE(QString::fromStdString(result), error ? QString("unchanged") : drive);
    }

    // What a file manager hands over: a folder, or a file that stands for its folder. Paths
    // are relative to the folder given as current; d/doc is a link to c/file.txt, d/pics one
    // to c/Photos.
    void hostToDriveFolder_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("drive");
        const auto row = [](const char* what, const char* current, const char* host, int error,
                            const char* drive) {
            QTest::newRow(what) << QString(current) << QString(host) << error << QString(drive);
        };
        row("a folder", ".", "c/Photos/2001", 0, "C:\\Photos\\2001");
        row("a file", ".", "c/Photos/2001/../../file.txt", 0, "C:\\");
        row("a file without a folder part", "c", "file.txt", 0, "C:\\");
        row("a file in a folder", ".", "d/Work/notes", 0, "D:\\Work");
        row("a link to a file stays in its folder", ".", "d/doc", 0, "D:\\");
        row("a link to a folder is the folder", ".", "d/pics", 0, "D:\\pics");
        row("a missing file", ".", "c/Nope.jpg", 2, "");
        row("a file taken for a folder", ".", "c/file.txt/", 3, "");
    }

    void hostToDriveFolder() {
        QFETCH(QString, current);
        QFETCH(QString, host);
        QFETCH(int, error);
        QFETCH(QString, drive);
        QFile notes(m_root.filePath("d/Work/notes"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        QFile::link(m_root.filePath("c/file.txt"), m_root.filePath("d/doc"));
        QFile::link(m_root.filePath("c/Photos"), m_root.filePath("d/pics"));
        QVERIFY(QDir::setCurrent(m_root.filePath(current)));
        std::string result = "unchanged";
        QCOMPARE(toDriveFolder(host.toStdString(), result), error);
        QCOMPARE(QString::fromStdString(result), error ? QString("unchanged") : drive);
    }

    void hostPathOfUnusableDrives() {
        std::string host = "unchanged";
        QCOMPARE(toHostPath("Q:\\x", host), int(ErrorInvalidDrive));
        QCOMPARE(toHostPath("E:\\x", host), int(ErrorNotReady));
        QCOMPARE(host, "unchanged");
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<FakeDriveTable> m_drives;
};

PICTAVO_TEST_MAIN(TestPaths, QCoreApplication)
#include "tst_paths.moc"
