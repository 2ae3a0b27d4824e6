#include "platform/drives/DriveTable.h"
#include "platform/drives/Paths.h"
#include "platform/drives/Volumes.h"
#include "platform/errors/ErrorCodes.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <clocale>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

QString describe(const std::vector<Drive>& drives) {
    QStringList result;
    for (const Drive& drive : drives) {
        result << QStringLiteral("%1=%2%3").arg(
            QChar(drive.letter), QString::fromStdString(drive.hostRoot),
            drive.ready ? QString() : QStringLiteral(" (not ready)"));
    }
    return result.join(QStringLiteral(", "));
}

// Mounts a FUSE file system at folder whose server never answers, as a hung network or cloud
// mount is: every look at it waits for ever. Empty, or why it cannot be made here.
QByteArray mountThatNeverAnswers(const QByteArray& folder, const char* type) {
    const int device = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (device < 0)
        return "no /dev/fuse";
    // The descriptor stays open and unread: closing it would end the mount with an error.
    const QByteArray options = "fd=" + QByteArray::number(device) +
                               ",rootmode=40000,user_id=" + QByteArray::number(getuid()) +
                               ",group_id=" + QByteArray::number(getgid());
    if (mount("never-answers", folder.constData(), type, MS_NOSUID | MS_NODEV,
              options.constData()) != 0)
        return QByteArray("cannot mount FUSE: ") + strerror(errno);
    return {};
}

// Runs body in a child with a mount namespace of its own, so that its mounts vanish with it.
// The child's answer, "hung" when it has not answered within the time, or "skip: why".
QByteArray inMountNamespace(const std::function<QByteArray()>& body) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        QByteArray answer;
        if (unshare(CLONE_NEWNS) != 0)
            answer = QByteArray("skip: no mount namespace here: ") + strerror(errno);
        else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            answer = QByteArray("skip: cannot make the mounts private: ") + strerror(errno);
        else
            answer = body();
        if (write(channel[1], answer.constData(), static_cast<std::size_t>(answer.size()))) {
        }
        _exit(0);
    }
    close(channel[1]);
    QByteArray answer;
    pollfd wait{channel[0], POLLIN, 0};
    // Ten seconds is fifty times what listing may take: past it, listing has hung.
    for (char buffer[4096]; poll(&wait, 1, 10000) == 1;) {
        const ssize_t got = read(channel[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        answer.append(buffer, got);
    }
    const bool answered = !answer.isEmpty();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(channel[0]);
    return answered ? answer : "hung";
}

} // namespace

// The host's drive letters from the per-user device folder, and installing another table.
class TestDriveTable : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_scratch.isValid());
        m_devices = qEnvironmentVariable("XDG_CONFIG_HOME") + "/pictavo/dosdevices";
        QDir(m_devices).removeRecursively();
    }

    // Qt cannot name a file whose name is not UTF-8, so it cannot remove it either.
    void cleanup() { unlink((QFile::encodeName(m_devices) + "/\xe9:").constData()); }

    // Letters are ASCII A-Z in every locale: under a Turkish one 'i' has no ASCII upper case,
    // under Latin-1 the byte 0xE9 counts as a letter. Of "k:" and "K:" the lower-case entry
    // wins whichever the directory lists first; several pairs, made in either order, keep
    // that from passing by the luck of one file system's order.
    void lettersFromDeviceLinks_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<bool>("upperCaseFirst");
        QTest::newRow("C, lower case made first") << QByteArray("C") << false;
        QTest::newRow("Turkish, upper case made first") << QByteArray("tr_TR.UTF-8") << true;
        QTest::newRow("Latin-1") << QByteArray("fr_FR.ISO-8859-1") << false;
    }

    void lettersFromDeviceLinks() {
        QFETCH(QByteArray, locale);
        QFETCH(bool, upperCaseFirst);
        const std::string saved = setlocale(LC_ALL, nullptr);
        const auto restore = qScopeGuard([&saved] { setlocale(LC_ALL, saved.c_str()); });
        if (!setlocale(LC_ALL, locale.constData()))
            QSKIP("locale not generated here; scripts/test.sh generates it");
        QCOMPARE(describe(DriveTable::current().drives()), "C=/"); // no device folder yet
        QVERIFY(QDir().mkpath(m_devices));
        const QString pics = m_scratch.path() + "/pics";
        const QString other = m_scratch.path() + "/other root";
        QVERIFY(QDir().mkpath(pics));
        QVERIFY(QDir().mkpath(other));
        QFile file(m_scratch.path() + "/file");
        QVERIFY(file.open(QIODevice::WriteOnly));

        link(pics + "/", "d:");                    // a trailing '/' is dropped
        link(m_scratch.path() + "/gone", "E:");    // upper-case name, dangling: no medium
        link(other, "c:");                         // overrides the host root
        link(m_scratch.path() + "/file", "h:");    // not a directory: cannot be entered
        link(pics, "g::");                         // not a drive name
        link(pics, "1:");                          // not a letter
        link(pics, "\xe9:");                       // not an ASCII letter
        QVERIFY(QDir().mkpath(m_devices + "/f:")); // a folder, not a link
        // Relative links are taken from the device folder.
        QVERIFY(QFile::link(QDir(m_devices).relativeFilePath(pics), m_devices + "/i:"));
        for (const char letter : {'j', 'k', 'l', 'm', 'n'}) {
            const QByteArray lower(1, letter);
            if (upperCaseFirst)
                link(other, lower.toUpper() + ":");
            link(pics, lower + ":");
            if (!upperCaseFirst)
                link(other, lower.toUpper() + ":");
        }

        QCOMPARE(describe(DriveTable::current().drives()),
                 QStringLiteral("C=%1, D=%2, E=%3/gone (not ready), H=%3/file (not ready), I=%2, "
                                "J=%2, K=%2, L=%2, M=%2, N=%2")
                     .arg(other, pics, m_scratch.path()));
        QCOMPARE(setCurrentDirectory("i:"), 0);
        QCOMPARE(getCurrentDirectory(), "I:\\");
        QCOMPARE(setCurrentDirectory("\xe9:\\"), int(ErrorInvalidDrive));
        link(pics, "z:"); // read anew on every call
        QCOMPARE(DriveTable::current().drives().back().letter, 'Z');
    }

    // A drive on a mount that never answers is listed at once as not ready, however it is
    // reached and whatever its type; the others keep their kind from the mount that really
    // holds them, links resolved.
    void mountsThatNeverAnswer() {
        const QByteArray scratch = QFile::encodeName(m_scratch.path());
        const QByteArray devices = QFile::encodeName(m_devices);
        const QByteArray answer = inMountNamespace([&]() -> QByteArray {
            const auto at = [&scratch](const char* name) { return scratch + name; };
            for (const char* folder : {"/ram", "/cloud", "/sshfs"})
                mkdir(at(folder).constData(), 0700);
            if (mount("ram", at("/ram").constData(), "tmpfs", 0, nullptr) != 0)
                return QByteArray("skip: cannot mount tmpfs: ") + strerror(errno);
            for (const char* type : {"fuse.rclone", "fuse.sshfs"}) {
                const QByteArray error = mountThatNeverAnswers(
                    at(QByteArray(type) == "fuse.rclone" ? "/cloud" : "/sshfs"), type);
                if (!error.isEmpty())
                    return "skip: " + error;
            }
            QDir().mkpath(m_devices);
            const auto link = [](const QByteArray& target, const QByteArray& name) {
                return symlink(target.constData(), name.constData()) == 0;
            };
            const bool linked =
                link(at("/ram"), at("/to-ram")) && link(at("/to-ram"), devices + "/d:") &&
                link(at("/cloud"), devices + "/e:") && link(at("/sshfs"), at("/to-sshfs")) &&
                link(at("/to-sshfs"), devices + "/f:");
            if (!linked)
                return "cannot link";
            QByteArray listing;
            for (int round = 0; round < 2; ++round) { // a second listing joins the hung looks
                listing.clear();
                for (const DriveFacts& facts : describeDrives())
                    listing += QByteArray(1, facts.letter) + "=" +
                               QByteArray::number(int(facts.kind)) + " ";
            }
            listing += QByteArray::number(setCurrentDirectory("E:\\")) + " " +
                       QByteArray::number(setCurrentDirectory("D:\\"));
            return listing;
        });
        if (answer.startsWith("skip: "))
            QSKIP(answer.constData());
        // D: is the RAM disk behind two links; E: and F: hang, so they count as drives
        // without a medium, and entering one says so.
        QCOMPARE(answer, QByteArray("C=3 D=6 E=2 F=2 21 0"));
    }

private:
    // name is bytes, so that it need not be UTF-8.
    void link(const QString& target, const QByteArray& name) {
        QVERIFY2(symlink(QFile::encodeName(target).constData(),
                         (QFile::encodeName(m_devices) + "/" + name).constData()) == 0,
                 name.constData());
    }

    QTemporaryDir m_scratch;
    QString m_devices;
};

PICTAVO_TEST_MAIN(TestDriveTable, QCoreApplication)
#include "tst_drivetable.moc"
