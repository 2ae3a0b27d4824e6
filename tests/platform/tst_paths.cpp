#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/FaultInjector.h"

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
        for (const char* folder : {"c/Photos/2001", "c/Pics", "d/Work", "inner/deeper"})
            QVERIFY(QDir(m_root.path()).mkpath(folder));
        QFile file(m_root.filePath("c/file.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
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
        row("no letter before the colon", "C:\\Pics", "1:\\x", 15, "C:\\Pics");
        row("drive without a medium", "C:\\Pics", "E:", 21, "C:\\Pics");
        row("network path", "C:\\Pics", "\\\\server\\share", 3, "C:\\Pics");
        row("name too long", "C:\\Pics", "C:\\" + QString(300, 'a'), 206, "C:\\Pics");
        row("empty", "C:\\Pics", "", 3, "C:\\Pics");
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

    void injectedFault() {
        QCOMPARE(setCurrentDirectory("C:\\Pics"), 0);
        FaultInjector faults;
        faults.failNth(Operation::SetCurrentDirectory, 2, 21);
        QCOMPARE(setCurrentDirectory("C:\\Photos"), 0);
        QCOMPARE(setCurrentDirectory("C:\\Photos\\2001"), 21);
        QCOMPARE(current(), "C:\\Photos");
        QCOMPARE(setCurrentDirectory("C:\\Photos\\2001"), 0);
    }

    void resolve_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("absolute");

        // The current directory is C:\Photos, D:'s is D:\Work.
        QTest::newRow("lexical") << "C:\\a\\.\\b\\..\\c" << 0 << "C:\\a\\c";
        QTest::newRow("file as last component") << "x.jpg" << 0 << "C:\\Photos\\x.jpg";
        QTest::newRow("pattern as last component") << "D:*.GIF" << 0 << "D:\\Work\\*.GIF";
        QTest::newRow("not-ready drive still resolves") << "e:\\a" << 0 << "E:\\a";
        QTest::newRow("unknown drive") << "Q:a" << 15 << "";
        QTest::newRow("NUL byte") << QStringLiteral("C:\\a") + QChar(0) + "b" << 123 << "";
    }

    void resolve() {
        QFETCH(QString, path);
        QFETCH(int, error);
        QFETCH(QString, absolute);
        QCOMPARE(setCurrentDirectory("D:\\Work"), 0);
        QCOMPARE(setCurrentDirectory("C:\\Photos"), 0);
        std::string result;
        const QByteArray bytes = path.toUtf8();
        QCOMPARE(resolveDrivePath(std::string_view(bytes.data(), bytes.size()), result), error);
        QCOMPARE(QString::fromStdString(result), absolute);
    }

    void hostAndDrivePaths_data() {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("host"); // below the temporary root
        QTest::newRow("root") << "C:\\" << QString("c");
        QTest::newRow("non-ASCII, other drive") << "D:\\Été 2001" << QString("d/Été 2001");
    }

    void hostAndDrivePaths() {
        QFETCH(QString, drive);
        QFETCH(QString, host);
        std::string hostPath;
        QCOMPARE(toHostPath(drive.toStdString(), hostPath), 0);
        QCOMPARE(QString::fromStdString(hostPath), m_root.filePath(host));
        QCOMPARE(QString::fromStdString(toDrivePath(hostPath)), drive);
    }

    void drivePathPrefersTheCurrentDrive() {
        m_drives->map('F', m_root.filePath("c/Photos").toStdString());
        m_drives->map('G', m_root.filePath("inner").toStdString());
        m_drives->map('H', m_root.filePath("inner/deeper").toStdString());
        const std::string photos = m_root.filePath("c/Photos/2001").toStdString();
        QCOMPARE(toDrivePath(photos), "C:\\Photos\\2001");
        QCOMPARE(setCurrentDirectory("F:\\"), 0);
        QCOMPARE(toDrivePath(photos), "F:\\2001");
        // On no drive's root: the longest matching root wins.
        QCOMPARE(toDrivePath(m_root.filePath("inner/deeper/x").toStdString()), "H:\\x");
        QCOMPARE(toDrivePath(m_root.filePath("inner/x").toStdString()), "G:\\x");
    }

    void drivePathOfUnreachableHostPaths() {
        QCOMPARE(toDrivePath(m_root.filePath("elsewhere").toStdString()), "");
        QCOMPARE(toDrivePath(m_root.filePath("c/back\\slash").toStdString()), "");
    }

    void relativeHostPathStartsAtTheHostFolder() {
        QVERIFY(QDir::setCurrent(m_root.filePath("c/Photos")));
        QCOMPARE(toDrivePath("2001/../2001/x.jpg"), "C:\\Photos\\2001\\x.jpg");
        QCOMPARE(toDrivePath("/"), ""); // the host root lies on no drive here
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
