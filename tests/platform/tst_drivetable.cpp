#include "platform/drives/DriveTable.h"
#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <clocale>
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
