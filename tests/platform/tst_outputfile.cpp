#include "platform/errors/ErrorCodes.h"
#include "platform/files/OutputFile.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/FaultInjector.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

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

// Creates the file, writes the bytes in pieces and commits it if asked; the first error.
int produce(OutputFile& file, const char* path, const QByteArray& bytes, int chunk,
            bool commit = true) {
    int error = file.create(path);
    for (int at = 0; !error && at < bytes.size(); at += chunk)
        error = file.write(
            std::string_view(bytes.constData() + at, std::min(chunk, int(bytes.size()) - at)));
    return error || !commit ? error : file.commit();
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
        QTest::addColumn<bool>("commit");
        for (const bool unnamed : {true, false}) {
            const char* kind = unnamed ? "unnamed" : "named";
            QTest::addRow("%s: empty", kind) << 0 << 1 << unnamed << true;
            QTest::addRow("%s: exactly one buffer", kind) << 65536 << 65536 << unnamed << true;
            QTest::addRow("%s: one buffer and a byte", kind) << 65537 << 4096 << unnamed << true;
            QTest::addRow("%s: many buffers, odd pieces", kind) << 300001 << 777 << unnamed << true;
            QTest::addRow("%s: one piece larger than the buffer", kind)
                << 200000 << 200000 << unnamed << true;
            QTest::addRow("%s: discarded keeps the old file", kind)
                << 150000 << 5000 << unnamed << false;
        }
    }

    void roundTrip() {
        QFETCH(int, size);
        QFETCH(int, chunk);
        QFETCH(bool, unnamed);
        QFETCH(bool, commit);
        OutputFile::allowUnnamedTemporaryFiles(unnamed);
        const QByteArray bytes = pattern(size);
        {
            OutputFile file;
            QCOMPARE(produce(file, "C:\\index.html", bytes, chunk, false), 0);
            QCOMPARE(contents(m_target), QByteArray("old")); // nothing shows before the commit
            if (commit)
                QCOMPARE(file.commit(), 0);
        }
        QCOMPARE(contents(m_target), commit ? bytes : QByteArray("old"));
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
    }

    void permissions() {
        const mode_t savedMask = umask(022);
        QVERIFY(chmod(QFile::encodeName(m_target).constData(), 0640) == 0);
        for (const char* name : {"C:\\index.html", "C:\\new.html"}) {
            OutputFile file;
            QCOMPARE(produce(file, name, "new", 3), 0);
        }
        umask(savedMask);
        QCOMPARE(modeOf(m_target), mode_t(0640));
        QCOMPARE(modeOf(m_dir->filePath("new.html")), mode_t(0644));
    }

    // Injected failures at every stage and paths the file system refuses: the error sticks,
    // and nothing on disk changes.
    void failures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("operation"); // the one made to fail with a full disk, or -1
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("error");
        const auto row = [](const char* what, const char* path, int operation, int size,
                            int error) {
            QTest::newRow(what) << path << operation << size << error;
        };
        const int full = ErrorDiskFull;
        row("create", "C:\\index.html", int(Operation::CreateFile), 10, full);
        row("first buffer", "C:\\index.html", int(Operation::WriteFile), 200000, full);
        row("last bytes, handed over at the commit", "C:\\index.html", int(Operation::WriteFile),
            10, full);
        row("close", "C:\\index.html", int(Operation::CloseFile), 200000, full);
        row("read-only target", "C:\\readonly.html", -1, 10, 5);
        row("a directory", "C:\\folder", -1, 10, 5);
        row("missing directory", "C:\\nope\\index.html", -1, 10, 3);
        row("file on the way", "C:\\index.html\\x", -1, 10, 3);
        row("drive without a medium", "E:\\index.html", -1, 10, 21);
    }

    void failures() {
        QFETCH(QString, path);
        QFETCH(int, operation);
        QFETCH(int, size);
        QFETCH(int, error);
        put(m_dir->filePath("readonly.html"), "kept");
        QVERIFY(chmod(QFile::encodeName(m_dir->filePath("readonly.html")).constData(), 0444) == 0);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        FaultInjector faults;
        if (operation >= 0)
            faults.failNth(Operation(operation), 1, int(ErrorDiskFull));
        OutputFile file;
        QCOMPARE(produce(file, path.toUtf8().constData(), pattern(size), 1000), error);
        QCOMPARE(file.write("more"), error); // a failed file stays failed
        QCOMPARE(file.commit(), error);
        QCOMPARE(contents(m_target), QByteArray("old"));
        QCOMPARE(contents(m_dir->filePath("readonly.html")), QByteArray("kept"));
        QCOMPARE(entries(m_dir->path()), QStringList({"folder", "index.html", "readonly.html"}));
    }

    // A folder the user may not write to holds no temporary file: a page the user may write
    // is then rewritten in place (emptied first, so no old bytes trail a shorter page);
    // anything else still fails and changes nothing.
    void readOnlyFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("targetMode");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("error");
        QTest::newRow("writable page, several buffers but shorter")
            << "C:\\index.html" << 0666 << 200001 << 0;
        QTest::newRow("read-only page") << "C:\\index.html" << 0444 << 10 << 5;
        QTest::newRow("new page") << "C:\\new.html" << 0666 << 10 << 5;
    }

    void readOnlyFolder() {
        QFETCH(QString, path);
        QFETCH(int, targetMode);
        QFETCH(int, size);
        QFETCH(int, error);
        const QByteArray old(300000, 'o');
        put(m_target, old);
        QVERIFY(chmod(QFile::encodeName(m_target).constData(), mode_t(targetMode)) == 0);
        const QByteArray folder = QFile::encodeName(m_dir->path());
        QVERIFY(chmod(folder.constData(), 0555) == 0);
        const int result = testsupport::runUnprivileged([&] {
            OutputFile file;
            return produce(file, path.toUtf8().constData(), pattern(size), 4096);
        });
        QVERIFY(chmod(folder.constData(), 0700) == 0);
        QCOMPARE(result, error);
        QCOMPARE(contents(m_target), error ? old : pattern(size));
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
        QCOMPARE(modeOf(m_target), mode_t(targetMode));
    }

    void symbolicLinks() {
        QVERIFY(QDir(m_dir->path()).mkdir("pages"));
        put(m_dir->filePath("pages/real.html"), "old");
        QVERIFY(symlink("pages/real.html", QFile::encodeName(m_dir->filePath("link.html"))) == 0);
        QVERIFY(symlink("pages/later.html", QFile::encodeName(m_dir->filePath("dangling.html"))) ==
                0);
        for (const char* name : {"C:\\link.html", "C:\\dangling.html"}) {
            OutputFile file;
            QCOMPARE(produce(file, name, name, 100), 0);
        }
        QCOMPARE(QFileInfo(m_dir->filePath("link.html")).symLinkTarget(),
                 m_dir->filePath("pages/real.html"));
        QCOMPARE(contents(m_dir->filePath("pages/real.html")), QByteArray("C:\\link.html"));
        QVERIFY(QFileInfo(m_dir->filePath("dangling.html")).isSymLink());
        QCOMPARE(contents(m_dir->filePath("pages/later.html")), QByteArray("C:\\dangling.html"));
        QCOMPARE(entries(m_dir->filePath("pages")), QStringList({"later.html", "real.html"}));
    }

    // Out of room for the data, or for a file of any kind: a full disk never empties the
    // page by rewriting it in place.
    void fullDisk_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::newRow("no room for the data") << QByteArray("size=64k");
        QTest::newRow("no room for another file") << QByteArray("size=64k,nr_inodes=2");
    }

    void fullDisk() {
        QFETCH(QByteArray, options);
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs the superuser");
        const QString mountPoint = m_dir->filePath("small");
        QVERIFY(QDir(m_dir->path()).mkdir("small"));
        if (mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, options) != 0)
            QSKIP("no tmpfs could be mounted here");
        put(mountPoint + "/index.html", "old");

        OutputFile file;
        const int error = produce(file, "C:\\small\\index.html", pattern(200000), 4096);
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
