#include "platform/errors/ErrorCodes.h"
#include "platform/files/OutputFile.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/FaultInjector.h"

#include "tests/support/Files.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <grp.h>
#include <memory>
#include <pwd.h>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace platform;
using testsupport::entries;
using testsupport::readAll;
using testsupport::writeAll;

namespace {

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
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

constexpr uid_t Stranger = 54321; // a user who is neither the test nor nobody

uid_t nobody() {
    const passwd* user = getpwnam("nobody");
    return user ? user->pw_uid : 65534;
}

bool setModified(const QString& path, qint64 secondsFromNow) {
    const timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) + secondsFromNow, 0}};
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) ==
           0;
}

// Starts the writer, as nobody when asked.
void launchWriter(QProcess& writer, const QString& target, const char* kind, bool asNobody,
                  qint64 size = -1) {
    // The writer sees the host's drives, where C: is the host root.
    QStringList arguments{"C:" + QString(target).replace('/', '\\'), kind};
    if (size >= 0)
        arguments << QString::number(size);
    if (asNobody && geteuid() == 0) {
        const passwd* user = getpwnam("nobody");
        const uid_t uid = user ? user->pw_uid : 65534;
        const gid_t gid = user ? user->pw_gid : 65534;
        writer.setChildProcessModifier([uid, gid] {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(3);
        });
    }
    writer.start(OUTPUTFILE_WRITER, arguments);
}

// Starts the writer and waits for its "ready".
bool startWriter(QProcess& writer, const QString& target, const char* kind, bool asNobody) {
    launchWriter(writer, target, kind, asNobody);
    return writer.waitForReadyRead(30000) && writer.readLine().trimmed() == "ready";
}

bool kill(QProcess& writer) {
    writer.kill();
    return writer.waitForFinished(30000) && writer.exitStatus() == QProcess::CrashExit;
}

QByteArray linkText(const QByteArray& path) {
    char text[256];
    const ssize_t length = readlink(path.constData(), text, sizeof text);
    return length < 0 ? QByteArray("<no link>") : QByteArray(text, int(length));
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
        writeAll(m_target, "old");
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
            QCOMPARE(readAll(m_target),
                     QByteArray("old")); // nothing shows before the commit
            if (commit)
                QCOMPARE(file.commit(), 0);
        }
        QCOMPARE(readAll(m_target), commit ? bytes : QByteArray("old"));
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
        row("sync before replacing the page", "C:\\index.html", int(Operation::SyncFile), 10, full);
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
        writeAll(m_dir->filePath("readonly.html"), "kept");
        QVERIFY(chmod(QFile::encodeName(m_dir->filePath("readonly.html")).constData(), 0444) == 0);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        FaultInjector faults;
        if (operation >= 0)
            faults.failNth(Operation(operation), 1, int(ErrorDiskFull));
        OutputFile file;
        QCOMPARE(produce(file, path.toUtf8().constData(), pattern(size), 1000), error);
        QCOMPARE(file.write("more"), error); // a failed file stays failed
        QCOMPARE(file.commit(), error);
        QCOMPARE(readAll(m_target), QByteArray("old"));
        QCOMPARE(readAll(m_dir->filePath("readonly.html")), QByteArray("kept"));
        QCOMPARE(entries(m_dir->path()), QStringList({"folder", "index.html", "readonly.html"}));
    }

    // A folder the user may not write to holds no temporary file: a page the user may write
    // is then overwritten at the commit by the page made whole elsewhere, and cut to its
    // size; anything else still fails and changes nothing.
    void readOnlyFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("targetMode");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("error");
        QTest::newRow("writable page, several buffers but shorter")
            << "C:\\index.html" << 0666 << 200001 << 0;
        QTest::newRow("writable page, longer") << "C:\\index.html" << 0666 << 400000 << 0;
        QTest::newRow("writable page, emptied") << "C:\\index.html" << 0666 << 0 << 0;
        QTest::newRow("read-only page") << "C:\\index.html" << 0444 << 10 << 5;
        QTest::newRow("new page") << "C:\\new.html" << 0666 << 10 << 5;
    }

    void readOnlyFolder() {
        QFETCH(QString, path);
        QFETCH(int, targetMode);
        QFETCH(int, size);
        QFETCH(int, error);
        const QByteArray old(300000, 'o');
        writeAll(m_target, old);
        QVERIFY(chmod(QFile::encodeName(m_target).constData(), mode_t(targetMode)) == 0);
        const QByteArray folder = QFile::encodeName(m_dir->path());
        QVERIFY(chmod(folder.constData(), 0555) == 0);
        const QByteArray result = testsupport::runUnprivileged([&] {
            OutputFile file;
            return QByteArray::number(
                produce(file, path.toUtf8().constData(), pattern(size), 4096));
        });
        QVERIFY(chmod(folder.constData(), 0700) == 0);
        QCOMPARE(result, QByteArray::number(error));
        QCOMPARE(readAll(m_target), error ? old : pattern(size));
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
        QCOMPARE(modeOf(m_target), mode_t(targetMode));
    }

    void symbolicLinks() {
        QVERIFY(QDir(m_dir->path()).mkdir("pages"));
        writeAll(m_dir->filePath("pages/real.html"), "old");
        QVERIFY(symlink("pages/real.html", QFile::encodeName(m_dir->filePath("link.html"))) == 0);
        QVERIFY(symlink("pages/later.html", QFile::encodeName(m_dir->filePath("dangling.html"))) ==
                0);
        for (const char* name : {"C:\\link.html", "C:\\dangling.html"}) {
            OutputFile file;
            QCOMPARE(produce(file, name, name, 100), 0);
        }
        QCOMPARE(QFileInfo(m_dir->filePath("link.html")).symLinkTarget(),
                 m_dir->filePath("pages/real.html"));
        QCOMPARE(readAll(m_dir->filePath("pages/real.html")), QByteArray("C:\\link.html"));
        QVERIFY(QFileInfo(m_dir->filePath("dangling.html")).isSymLink());
        QCOMPARE(readAll(m_dir->filePath("pages/later.html")), QByteArray("C:\\dangling.html"));
        QCOMPARE(entries(m_dir->filePath("pages")), QStringList({"later.html", "real.html"}));
    }

    // A link named like the page in a shared sticky folder (like /tmp) may have been planted
    // by anyone: it is followed only when the writer or the folder's owner owns it, and never
    // to a file that does not exist yet. The folder belongs to root; the link leads to a file
    // of nobody's, in a folder of nobody's, so that either writer could replace it.
    void stickyFolderLinks_data() {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("writerIsNobody");
        QTest::addColumn<int>("linkOwner");  // 0 root, 1 nobody, 2 a stranger
        QTest::addColumn<int>("relayOwner"); // the same for a second link on the way, or -1
        QTest::addColumn<bool>("dangling");
        QTest::addColumn<bool>("followed");
        const auto row = [](const char* what, int mode, bool asNobody, int link, int relay,
                            bool dangling, bool followed) {
            QTest::newRow(what) << mode << asNobody << link << relay << dangling << followed;
        };
        row("a stranger's link, written by nobody", 01777, true, 2, -1, false, false);
        row("nobody's link, written by root", 01777, false, 1, -1, false, false);
        row("own link", 01777, true, 1, -1, false, true);
        row("the folder owner's link", 01777, true, 0, -1, false, true);
        row("own link to a stranger's link", 01777, true, 1, 2, false, false);
        row("own link to the folder owner's link", 01777, true, 1, 0, false, true);
        row("own dangling link", 01777, true, 1, -1, true, false);
        row("the folder owner's dangling link", 01777, true, 0, -1, true, false);
        row("not sticky: a stranger's link", 0777, true, 2, -1, false, true);
        row("sticky, writable by its group only: a stranger's link", 01775, true, 2, -1, false,
            true);
    }

    void stickyFolderLinks() {
        QFETCH(int, folderMode);
        QFETCH(bool, writerIsNobody);
        QFETCH(int, linkOwner);
        QFETCH(int, relayOwner);
        QFETCH(bool, dangling);
        QFETCH(bool, followed);
        if (geteuid() != 0)
            QSKIP("links of other users need the superuser to set up");
        const uid_t owners[] = {0, nobody(), Stranger};
        QDir dir(m_dir->path());
        QVERIFY(dir.mkdir("shared") && dir.mkdir("victim"));
        const QString victim = m_dir->filePath("victim/file");
        writeAll(victim, "secret");
        testsupport::handOver(m_dir->filePath("victim"));
        QVERIFY(chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
        const QByteArray shared = QFile::encodeName(m_dir->filePath("shared"));
        const QByteArray link = shared + "/index.html";
        const QByteArray relay = shared + "/relay";
        const QByteArray aim = dangling ? "../victim/missing" : "../victim/file";
        QVERIFY(symlink(relayOwner >= 0 ? "relay" : aim.constData(), link) == 0);
        QVERIFY(lchown(link, owners[linkOwner], owners[linkOwner]) == 0);
        if (relayOwner >= 0) {
            QVERIFY(symlink(aim, relay) == 0);
            QVERIFY(lchown(relay, owners[relayOwner], owners[relayOwner]) == 0);
        }
        QVERIFY(chmod(shared, mode_t(folderMode)) == 0);

        const auto write = [] {
            OutputFile file;
            return QByteArray::number(produce(file, "C:\\shared\\index.html", "new page", 3));
        };
        const QByteArray result = writerIsNobody ? testsupport::runUnprivileged(write) : write();
        QCOMPARE(result, QByteArray::number(followed ? 0 : int(ErrorAccessDenied)));
        QCOMPARE(readAll(victim), QByteArray(followed ? "new page" : "secret"));
        QCOMPARE(readAll(m_dir->filePath("victim/missing")), QByteArray("<missing>"));
        QCOMPARE(linkText(link), relayOwner >= 0 ? QByteArray("relay") : aim);
        QCOMPARE(entries(m_dir->filePath("victim")), QStringList{"file"});
        QCOMPARE(entries(QString::fromLocal8Bit(shared)), relayOwner >= 0
                                                              ? QStringList({"index.html", "relay"})
                                                              : QStringList{"index.html"});
    }

    // Out of room for the data, or for a file of any kind, or, where the folder takes no
    // new file, for the page to grow: a full disk never harms the old page.
    void fullDisk_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("no room for the data") << QByteArray("size=64k") << false;
        QTest::newRow("no room for another file") << QByteArray("size=64k,nr_inodes=2") << false;
        QTest::newRow("read-only folder, no room to grow the page")
            << QByteArray("size=64k,mode=0555") << true;
    }

    void fullDisk() {
        QFETCH(QByteArray, options);
        QFETCH(bool, readOnlyFolder);
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs the superuser");
        const QString mountPoint = m_dir->filePath("small");
        QVERIFY(QDir(m_dir->path()).mkdir("small"));
        if (mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, options) != 0)
            QSKIP("no tmpfs could be mounted here");
        const QString page = mountPoint + "/index.html";
        const QByteArray old(40000, 'o');
        writeAll(page, old);
        int error = 0;
        if (readOnlyFolder) {
            // Only an ordinary user is refused a new file there; root would make one.
            QVERIFY(chown(QFile::encodeName(page).constData(), nobody(), 0) == 0);
            QVERIFY(chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
            error = testsupport::runUnprivileged([] {
                        OutputFile file;
                        return QByteArray::number(
                            produce(file, "C:\\small\\index.html", pattern(200000), 4096));
                    }).toInt();
        } else {
            OutputFile file;
            error = produce(file, "C:\\small\\index.html", pattern(200000), 4096);
        }
        const QByteArray kept = readAll(page);
        const QStringList left = entries(mountPoint);
        QVERIFY(umount(QFile::encodeName(mountPoint).constData()) == 0);
        QCOMPARE(error, int(ErrorDiskFull));
        QVERIFY(kept == old);
        QCOMPARE(left, QStringList{"index.html"});
    }

    // A writer killed before its commit: unnamed files vanish with the process, a named one
    // stays behind, hidden, until the next run in that folder removes it. A page rewritten in
    // place because its folder takes no new file is not touched yet.
    void killedWriter_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<int>("leftOver");
        QTest::newRow("unnamed") << "unnamed" << false << 0;
        QTest::newRow("named") << "named" << false << 1;
        QTest::newRow("in place") << "named" << true << 0;
    }

    void killedWriter() {
        QFETCH(QString, kind);
        QFETCH(bool, inPlace);
        QFETCH(int, leftOver);
        if (inPlace && geteuid() != 0)
            QSKIP("the writer must become nobody, whom the folder refuses");
        const QByteArray folder = QFile::encodeName(m_dir->path());
        if (inPlace) {
            QVERIFY(chmod(QFile::encodeName(m_target).constData(), 0666) == 0);
            QVERIFY(chmod(folder.constData(), 0555) == 0);
        }
        QProcess writer;
        QVERIFY(startWriter(writer, m_target, qPrintable(kind), inPlace));
        QVERIFY(kill(writer));
        QVERIFY(chmod(folder.constData(), 0700) == 0);

        QCOMPARE(readAll(m_target), QByteArray("old"));
        QStringList left = entries(m_dir->path());
        QVERIFY(left.removeOne("index.html"));
        QCOMPARE(left.size(), leftOver);
        if (leftOver) {
            QVERIFY(left.first().startsWith(".index.html."));
            QCOMPARE(QFileInfo(m_dir->filePath(left.first())).size(), 65536);
        }

        OutputFile::allowUnnamedTemporaryFiles(false);
        OutputFile next;
        QCOMPARE(produce(next, "C:\\index.html", "next", 4), 0);
        QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
    }

    // Rewriting in place, a kill can only land before the copy (old page), during it (new
    // bytes over the start of the old page, never shorter than the old page) or after it
    // (new page): never an empty or cut page. The new page is shorter, so that cutting the
    // old one would show. A first, whole run tells how long one takes; the kills then fall
    // at random moments of a writer's life.
    void killedWhileRewritingInPlace() {
        if (geteuid() != 0)
            QSKIP("the writer must become nobody, whom the folder refuses");
        constexpr qint64 OldSize = 24 << 20;
        constexpr qint64 NewSize = 16 << 20;
        const QByteArray folder = QFile::encodeName(m_dir->path());
        std::mt19937 random(std::random_device{}());
        qint64 lifetime = 0; // microseconds
        for (int round = 0; round <= 16; ++round) {
            writeAll(m_target, QByteArray(OldSize, 'o'));
            QVERIFY(chmod(QFile::encodeName(m_target).constData(), 0666) == 0);
            QVERIFY(chmod(folder.constData(), 0555) == 0);
            QElapsedTimer clock;
            clock.start();
            QProcess writer;
            launchWriter(writer, m_target, "named", true, NewSize);
            if (round == 0) {
                while (!writer.readAll().contains("done"))
                    QVERIFY(writer.waitForReadyRead(30000));
                lifetime = std::max<qint64>(clock.nsecsElapsed() / 1000, 1000);
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(random() % lifetime));
            }
            writer.kill();
            QVERIFY(writer.waitForFinished(30000));
            QVERIFY(chmod(folder.constData(), 0700) == 0);

            const QByteArray page = readAll(m_target);
            qsizetype fresh = 0;
            while (fresh < page.size() && page[fresh] == 'n')
                ++fresh;
            const bool rest =
                std::all_of(page.begin() + fresh, page.end(), [](char c) { return c == 'o'; });
            QVERIFY2(rest && (page.size() == std::max(OldSize, qint64(fresh)) ||
                              (page.size() == NewSize && fresh == NewSize)),
                     qPrintable(QString("round %1: %2 new bytes, %3 in all")
                                    .arg(round)
                                    .arg(fresh)
                                    .arg(page.size())));
            QCOMPARE(entries(m_dir->path()), QStringList{"index.html"});
        }
    }

    // Where no unnamed file can be made, a run removes the hidden siblings that killed runs
    // left: its own kind of name, its own, last written before it began and no longer being
    // written. Everything else stays.
    void leftovers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind"); // 0 file, 1 folder, 2 link to an old file of ours
        QTest::addColumn<bool>("stranger");
        QTest::addColumn<int>("age"); // seconds before the run; negative: after it
        QTest::addColumn<bool>("removed");
        const auto row = [](const char* what, const char* name, int kind, bool stranger, int age,
                            bool removed) {
            QTest::newRow(what) << name << kind << stranger << age << removed;
        };
        row("own, an hour old", ".index.html.Ab3xZ9", 0, false, 3600, true);
        row("own, a second old", ".index.html.000000", 0, false, 1, true);
        row("another user's", ".index.html.Ab3xZ9", 0, true, 3600, false);
        row("newer than the run", ".index.html.Ab3xZ9", 0, false, -3600, false);
        row("five letters", ".index.html.Ab3xZ", 0, false, 3600, false);
        row("seven letters", ".index.html.Ab3xZ9q", 0, false, 3600, false);
        row("not a letter or digit", ".index.html.Ab3-Z9", 0, false, 3600, false);
        row("another page's", ".other.html.Ab3xZ9", 0, false, 3600, false);
        row("not hidden", "index.html.Ab3xZ9", 0, false, 3600, false);
        row("a folder", ".index.html.Ab3xZ9", 1, false, 3600, false);
        row("a link", ".index.html.Ab3xZ9", 2, false, 3600, false);
    }

    void leftovers() {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(bool, stranger);
        QFETCH(int, age);
        QFETCH(bool, removed);
        if (stranger && geteuid() != 0)
            QSKIP("another user's file needs the superuser to set up");
        const QString path = m_dir->filePath(name);
        const QString elsewhere = m_dir->filePath("elsewhere");
        writeAll(elsewhere, "mine");
        QVERIFY(setModified(elsewhere, -3600));
        if (kind == 0)
            writeAll(path, "partial");
        else if (kind == 1)
            QVERIFY(QDir(m_dir->path()).mkdir(name));
        else
            QVERIFY(QFile::link("elsewhere", path));
        if (stranger)
            QVERIFY(lchown(QFile::encodeName(path).constData(), Stranger, Stranger) == 0);
        QVERIFY(setModified(path, -age));

        OutputFile::allowUnnamedTemporaryFiles(false);
        OutputFile file;
        QCOMPARE(produce(file, "C:\\index.html", "new", 3), 0);
        QStringList expected{"elsewhere", "index.html"};
        if (!removed)
            expected << name;
        expected.sort();
        QCOMPARE(entries(m_dir->path()), expected);
        QCOMPARE(readAll(elsewhere), QByteArray("mine"));
        QCOMPARE(readAll(m_target), QByteArray("new"));
    }

    // The hidden file of a copy still writing is no leftover, however old it looks.
    void leftoverOfALiveWriter() {
        QProcess writer;
        QVERIFY(startWriter(writer, m_target, "named", false));
        QStringList left = entries(m_dir->path());
        QVERIFY(left.removeOne("index.html"));
        QCOMPARE(left.size(), 1);
        QVERIFY(setModified(m_dir->filePath(left.first()), -3600));

        OutputFile::allowUnnamedTemporaryFiles(false);
        OutputFile file;
        QCOMPARE(produce(file, "C:\\index.html", "new", 3), 0);
        const QStringList during = entries(m_dir->path());
        QVERIFY(kill(writer));
        QCOMPARE(during, QStringList({left.first(), "index.html"}));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDriveTable> m_drives;
    QString m_target;
};

PICTAVO_TEST_MAIN(TestOutputFile, QCoreApplication)
#include "tst_outputfile.moc"
