#include "platform/ErrorCodes.h"
#include "platform/OutputFile.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/FaultInjector.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

int writeAll(OutputFile& file, const QByteArray& bytes, int chunk) {
    for (int at = 0; at < bytes.size(); at += chunk) {
        if (const int error = file.write(
                std::string_view(bytes.constData() + at, std::min(chunk, int(bytes.size()) - at))))
            return error;
    }
    return 0;
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

// Output files replace their target only when complete: round trips, failures at every
// stage, permissions, links, a full disk and a writer killed part-way. C: is a temporary
// folder that holds "index.html" with "old" in it.
class TestOutputFile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_target = m_dir->filePath("index.html");
        put(m_target, "old");
        m_drives = std::make_unique<FakeDriveTable>();
        m_drives->map('C', m_dir->path().toStdString());
        m_drives->mapNotReady('E');
    }

    void cleanup() {
        OutputFile::allowUnnamedTemporaryFiles(true);
        m_drives.reset();
        m_dir.reset();
    }

    void roundTrip_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<bool>("unnamed");
        for (const bool unnamed : {true, false}) {
            const char* kind = unnamed ? "unnamed" : "named";
            QTest::addRow("%s: empty", kind) << 0 << 1 << unnamed;
            QTest::addRow("%s: one byte", kind) << 1 << 1 << unnamed;
            QTest::addRow("%s: exactly one buffer", kind) << 65536 << 65536 << unnamed;
            QTest::addRow("%s: one buffer and a byte", kind) << 65537 << 4096 << unnamed;
            QTest::addRow("%s: many buffers, odd pieces", kind) << 300001 << 777 << unnamed;
            QTest::addRow("%s: one piece larger than the buffer", kind)
                << 200000 << 200000 << unnamed;
        }
    }

    void roundTrip() {
        QFETCH(int, size);
        QFETCH(int, chunk);
        QFETCH(bool, unnamed);
        OutputFile::allowUnnamedTemporaryFiles(unnamed);
        const QByteArray bytes = pattern(size);
        OutputFile file;
        QCOMPARE(file.create("C:\\index.html"), 0);
        QCOMPARE(writeAll(file, bytes, chunk), 0);
        QCOMPARE(contents(m_target), QByteArray("old")); // nothing shows before the commit
        QCOMPARE(file.commit(), 0);
        QCOMPARE(contents(m_target), bytes);
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
    }

    void permissions() {
        const mode_t savedMask = umask(022);
        QVERIFY(chmod(QFile::encodeName(m_target).constData(), 0640) == 0);
        for (const char* name : {"C:\\index.html", "C:\\new.html"}) {
            OutputFile file;
            QCOMPARE(file.create(name), 0);
            QCOMPARE(file.write("new"), 0);
            QCOMPARE(file.commit(), 0);
        }
        umask(savedMask);
        QCOMPARE(modeOf(m_target), mode_t(0640));
        QCOMPARE(modeOf(m_dir->filePath("new.html")), mode_t(0644));
    }

    void faults_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("nth");
        QTest::addColumn<int>("size");
        QTest::newRow("create") << int(Operation::CreateFile) << 1 << 10;
        QTest::newRow("first buffer") << int(Operation::WriteFile) << 1 << 200000;
        QTest::newRow("third buffer") << int(Operation::WriteFile) << 3 << 200000;
        QTest::newRow("last bytes, handed over at the commit")
            << int(Operation::WriteFile) << 1 << 10;
        QTest::newRow("close") << int(Operation::CloseFile) << 1 << 200000;
    }

    void faults() {
        QFETCH(int, operation);
        QFETCH(int, nth);
        QFETCH(int, size);
        FaultInjector faults;
        faults.failNth(Operation(operation), nth, int(ErrorDiskFull));
        OutputFile file;
        int error = file.create("C:\\index.html");
        if (!error)
            error = writeAll(file, pattern(size), 1000);
        if (!error)
            error = file.commit();
        QCOMPARE(error, int(ErrorDiskFull));
        QCOMPARE(file.write("more"), int(ErrorDiskFull)); // a failed file stays failed
        QCOMPARE(file.commit(), int(ErrorDiskFull));
        QCOMPARE(contents(m_target), QByteArray("old"));
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
    }

    void refused_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::newRow("read-only target") << "C:\\readonly.html" << 5;
        QTest::newRow("a directory") << "C:\\folder" << 5;
        QTest::newRow("missing directory") << "C:\\nope\\index.html" << 3;
        QTest::newRow("file on the way") << "C:\\index.html\\x" << 3;
        QTest::newRow("drive without a medium") << "E:\\index.html" << 21;
        QTest::newRow("unknown drive") << "Q:\\index.html" << 15;
    }

    void refused() {
        QFETCH(QString, path);
        QFETCH(int, error);
        put(m_dir->filePath("readonly.html"), "kept");
        QVERIFY(chmod(QFile::encodeName(m_dir->filePath("readonly.html")).constData(), 0444) == 0);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        OutputFile file;
        QCOMPARE(file.create(path.toStdString()), error);
        QCOMPARE(file.write("x"), error);
        QCOMPARE(file.commit(), error);
        QCOMPARE(contents(m_dir->filePath("readonly.html")), QByteArray("kept"));
        QCOMPARE(entries(m_dir->path()), QStringList({"folder", "index.html", "readonly.html"}));
    }

    void symbolicLinks() {
        QVERIFY(QDir(m_dir->path()).mkdir("pages"));
        put(m_dir->filePath("pages/real.html"), "old");
        QVERIFY(symlink("pages/real.html", QFile::encodeName(m_dir->filePath("link.html"))) == 0);
        QVERIFY(symlink("pages/later.html", QFile::encodeName(m_dir->filePath("dangling.html"))) ==
                0);
        for (const char* name : {"C:\\link.html", "C:\\dangling.html"}) {
            OutputFile file;
            QCOMPARE(file.create(name), 0);
            QCOMPARE(file.write(name), 0);
            QCOMPARE(file.commit(), 0);
        }
        QCOMPARE(QFileInfo(m_dir->filePath("link.html")).symLinkTarget(),
                 m_dir->filePath("pages/real.html"));
        QCOMPARE(contents(m_dir->filePath("pages/real.html")), QByteArray("C:\\link.html"));
        QVERIFY(QFileInfo(m_dir->filePath("dangling.html")).isSymLink());
        QCOMPARE(contents(m_dir->filePath("pages/later.html")), QByteArray("C:\\dangling.html"));
        QCOMPARE(entries(m_dir->filePath("pages")), QStringList({"later.html", "real.html"}));
    }

    void discardKeepsTheOldFile_data() {
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("unnamed") << true;
        QTest::newRow("named") << false;
    }

    void discardKeepsTheOldFile() {
        QFETCH(bool, unnamed);
        OutputFile::allowUnnamedTemporaryFiles(unnamed);
        {
            OutputFile file;
            QCOMPARE(file.create("C:\\index.html"), 0);
            QCOMPARE(writeAll(file, pattern(150000), 5000), 0);
        }
        QCOMPARE(contents(m_target), QByteArray("old"));
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
    }

    void fullDisk() {
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs the superuser");
        const QString mountPoint = m_dir->filePath("small");
        QVERIFY(QDir(m_dir->path()).mkdir("small"));
        if (mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("no tmpfs could be mounted here");
        put(mountPoint + "/index.html", "old");

        OutputFile file;
        int error = file.create("C:\\small\\index.html");
        if (!error)
            error = writeAll(file, pattern(200000), 4096);
        if (!error)
            error = file.commit();
        const QByteArray kept = contents(mountPoint + "/index.html");
        const QStringList left = entries(mountPoint);
        QVERIFY(umount(QFile::encodeName(mountPoint).constData()) == 0);
        QCOMPARE(error, int(ErrorDiskFull));
        QCOMPARE(kept, QByteArray("old"));
        QCOMPARE(left, QStringList{"index.html"});
    }

    // Unnamed files vanish with the process. A named one stays behind, hidden; it is not
    // cleaned up later, since it may as well belong to another copy still writing.
    void killedWriter_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("leftOver");
        QTest::newRow("unnamed") << "unnamed" << 0;
        QTest::newRow("named") << "named" << 1;
    }

    void killedWriter() {
        QFETCH(QString, kind);
        QFETCH(int, leftOver);
        // The writer sees the host's drives, where C: is the host root.
        const QString drivePath = "C:" + QString(m_target).replace('/', '\\');
        QProcess writer;
        writer.start(OUTPUTFILE_WRITER, {drivePath, kind});
        QVERIFY(writer.waitForReadyRead(30000));
        QCOMPARE(writer.readLine().trimmed(), QByteArray("ready"));
        writer.kill();
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        QCOMPARE(contents(m_target), QByteArray("old"));
        QStringList left = entries(m_dir->path());
        QVERIFY(left.removeOne("index.html"));
        QCOMPARE(left.size(), leftOver);
        if (leftOver) {
            QVERIFY(left.first().startsWith(".index.html."));
            QCOMPARE(QFileInfo(m_dir->filePath(left.first())).size(), 65536);
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDriveTable> m_drives;
    QString m_target;
};

PICTAVO_TEST_MAIN(TestOutputFile, QCoreApplication)
#include "tst_outputfile.moc"
