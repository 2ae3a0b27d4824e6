#include "platform/drives/DriveTable.h"
#include "platform/testing/FakeDriveTable.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

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

    void onlyTheRootWithoutDeviceFolder() {
        QCOMPARE(describe(DriveTable::current().drives()), QStringLiteral("C=/"));
    }

    void lettersFromDeviceLinks() {
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
        QVERIFY(QDir().mkpath(m_devices + "/f:")); // a folder, not a link
        // Relative links are taken from the device folder.
        QVERIFY(QFile::link(QDir(m_devices).relativeFilePath(pics), m_devices + "/i:"));

        QCOMPARE(describe(DriveTable::current().drives()),
                 QStringLiteral("C=%1, D=%2, E=%3/gone (not ready), H=%3/file (not ready), I=%2")
                     .arg(other, pics, m_scratch.path()));
    }

    void linksAddedLaterShowUp() {
        QVERIFY(QDir().mkpath(m_devices));
        QCOMPARE(DriveTable::current().drives().size(), std::size_t(1));
        link(m_scratch.path(), "z:");
        QCOMPARE(DriveTable::current().drives().size(), std::size_t(2));
    }

    void deviceFolderFollowsHomeWithoutXdg() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        const QString devices = qEnvironmentVariable("HOME") + "/.config/pictavo/dosdevices";
        QVERIFY(QDir().mkpath(devices));
        QVERIFY(QFile::link(m_scratch.path(), devices + "/q:"));
        const QString drives = describe(DriveTable::current().drives());
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(drives, QStringLiteral("C=/, Q=%1").arg(m_scratch.path()));
    }

    // Tables nest: each one ending brings back the one before it.
    void installedTableIsInForceWhileItLives() {
        const DriveTable* host = &DriveTable::current();
        {
            FakeDriveTable fake;
            {
                FakeDriveTable inner;
                QCOMPARE(&DriveTable::current(), static_cast<const DriveTable*>(&inner));
            }
            QCOMPARE(&DriveTable::current(), static_cast<const DriveTable*>(&fake));
        }
        QCOMPARE(&DriveTable::current(), host);
    }

private:
    void link(const QString& target, const QString& name) {
        QVERIFY2(symlink(QFile::encodeName(target).constData(),
                         QFile::encodeName(m_devices + "/" + name).constData()) == 0,
                 qPrintable(name));
    }

    QTemporaryDir m_scratch;
    QString m_devices;
};

PICTAVO_TEST_MAIN(TestDriveTable, QCoreApplication)
#include "tst_drivetable.moc"
