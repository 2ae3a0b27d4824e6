#include "platform/drives/HostVolumes.h"
#include "platform/drives/MountInfo.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace platform;

namespace {

// Recorded from machines with a USB stick, network shares, a disc and nested mounts.
const char* const mountInfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid - proc proc rw\n"
    "40 22 8:17 / /media/ann/USB\\040STICK rw,nosuid shared:40 master:2 - vfat /dev/sdb1 "
    "rw,fmask=0022\n"
    "41 22 0:45 / /mnt/share rw - cifs //srv/data rw,vers=3.0\n"
    "42 41 0:46 / /mnt/share/nested rw - tmpfs tmpfs rw\n"
    "43 22 0:50 / /mnt/nfs rw - nfs4 srv:/export/photos rw\n"
    "44 22 0:51 / /home/ann/remote rw - fuse.sshfs ann@host:/srv rw\n"
    "45 22 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro,norock,nojoliet\n"
    "46 22 11:1 / /media/dvd ro - udf /dev/sr1 ro\n"
    "not a mount line at all\n"
    "47 22 0:35 / /data\\134odd rw - btrfs /dev/sda3 rw\n"
    "48 22 0:52 / /mnt/stacked rw - ext4 /dev/sdc1 rw\n"
    "49 22 0:53 / /mnt/stacked rw - tmpfs none rw"; // no final newline

} // namespace

// The mount table and the labelled devices, which give each drive its kind, label, remote
// name and case flags without touching the drive itself.
class TestVolumes : public QObject {
    Q_OBJECT

private slots:
    void readsTheMountTable() {
        const std::vector<MountEntry> table = parseMountInfo(mountInfo);
        // Mount points, sources and file systems show in describesEachDrive.
        QCOMPARE(table.size(), std::size_t(12));
        QCOMPARE(table[2].major, 8u);
        QCOMPARE(table[2].minor, 17u);
        QCOMPARE(parseMountInfo(
                     "1 2 3:4 / /x rw - \n5 6 7:8 / relative rw - a b c\n9 9 x:1 / /z rw - a b c\n")
                     .size(),
                 std::size_t(0));
    }

    void describesEachDrive_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("flags"); // p: case preserved, s: case sensitive
        const auto row = [](const char* what, const char* root, DriveKind kind, const char* label,
                            const char* remote, const char* flags) {
            QTest::newRow(what) << QString(root) << int(kind) << QString(label) << QString(remote)
                                << QString(flags);
        };
        const DriveKind fixed = DriveKind::Fixed, remote = DriveKind::Remote;
        row("root", "/", fixed, "Root", "", "ps");
        row("under an escaped mount point", "/media/ann/USB STICK/Pics", fixed, "STICK", "", "p");
        row("same prefix, other folder", "/mnt/sharex", fixed, "Root", "", "ps");
        row("SMB share, below its root", "/mnt/share/sub", remote, "", "\\\\srv\\data\\sub", "p");
        row("nested RAM disk", "/mnt/share/nested/x", DriveKind::RamDisk, "", "", "ps");
        row("NFS", "/mnt/nfs", remote, "", "\\\\srv\\export\\photos", "ps");
        row("SSHFS", "/home/ann/remote/x/y", remote, "", "\\\\ann@host\\srv\\x\\y", "ps");
        row("plain disc", "/media/cdrom", DriveKind::CdRom, "", "", "");
        row("DVD", "/media/dvd", DriveKind::CdRom, "", "", "ps");
        row("label by device name", "/data\\odd", fixed, "Data", "", "ps");
        row("the later of two stacked mounts", "/mnt/stacked", DriveKind::RamDisk, "", "", "ps");
    }
    void describesEachDrive() {
        QFETCH(QString, root);
        QFETCH(int, kind);
        QFETCH(QString, label);
        QFETCH(QString, remote);
        QFETCH(QString, flags);
        const std::vector<MountEntry> table = parseMountInfo(mountInfo);
        const std::vector<host::VolumeLabel> labels = {{8, 2, "/dev/sda2", "Root"},
                                                       {8, 17, "/dev/sdb1", "STICK"},
                                                       {0, 0, "/dev/sda3", "Data"}};
        const DriveFacts facts =
            host::describeDrive(Drive{'D', root.toStdString(), true}, &table, labels);
        QCOMPARE(int(facts.kind), kind);
        QCOMPARE(facts.volumeError, 0);
        QCOMPARE(QString::fromStdString(facts.label), label);
        QCOMPARE(QString::fromStdString(facts.remoteName), remote);
        QCOMPARE(facts.remoteError == 0, !remote.isEmpty());
        QCOMPARE(facts.casePreserved, flags.contains('p'));
        QCOMPARE(facts.caseSensitive, flags.contains('s'));
    }

    // A drive without its medium, or with no mount table to read, tells nothing.
    void unknownFactsAreEmpty_data() {
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("kind");
        QTest::newRow("no medium") << false << int(DriveKind::Removable);
        QTest::newRow("no mount table") << true << int(DriveKind::Fixed);
    }
    void unknownFactsAreEmpty() {
        QFETCH(bool, ready);
        QFETCH(int, kind);
        const DriveFacts facts = host::describeDrive(Drive{'A', "/media/floppy", ready}, nullptr,
                                                     {{8, 2, "/dev/sda2", "Root"}});
        QCOMPARE(int(facts.kind), kind);
        QCOMPARE(facts.volumeError, 21);
        QCOMPARE(facts.label, "");
        QCOMPARE(facts.casePreserved || facts.caseSensitive, false);
    }

    // udev keeps a label's blanks and slashes as \xHH in the link's name.
    void labelsFromTheLabelFolder() {
        QTemporaryDir folder;
        QVERIFY(QFile::link("/dev/null", folder.filePath("My\\x20Disk\\x2f2")));
        const std::vector<host::VolumeLabel> labels =
            host::volumeLabels(folder.path().toStdString());
        QCOMPARE(labels.size(), std::size_t(1));
        QCOMPARE(labels[0].label, "My Disk/2");
        QCOMPARE(labels[0].device, "/dev/null");
    }
};

PICTAVO_TEST_MAIN(TestVolumes, QCoreApplication)
#include "tst_volumes.moc"
