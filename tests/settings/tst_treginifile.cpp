#include "platform/errors/ErrorCodes.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/ERegistryException.h"
#include "settings/TRegIniFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QElapsedTimer>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::Operation;
using platform::RegistrySandbox;

Q_DECLARE_METATYPE(platform::Operation)

namespace {

const std::string Base = "Software\\Zelmar Inc.\\Pictavo\\";
const std::string Settings = "Software\\Zelmar Inc.\\Pictavo\\1.0";

// The message the call raised, empty when it returned.
template <typename Call>
QString raised(Call call) {
    try {
        call();
    } catch (const ERegistryException& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

// The window placement's calls to the registry, without a window.
void placement(bool save) {
    platform::RegKey key = platform::RegNoKey;
    platform::regCreateKey(platform::RegCurrentUser, Settings, key);
    std::uint32_t type = 0;
    std::string bytes = RegistrySandbox::dword(300);
    for (const char* name : {"WinHeight", "WinLeft", "WinTop", "WinWidth"})
        save ? platform::regSetValue(key, name, platform::RegDword, bytes)
             : platform::regReadValue(key, name, type, bytes);
    platform::regCloseKey(key);
}

// Lays the fault on the stored settings before start-up and clears it before exit, as a user
// might during a session; a fault named "... at exit" arrives then instead.
void fault(const QString& name, bool atExit, const std::string& home) {
    static sqlite3* lock = nullptr; // another connection, which the registry's must wait for
    const std::string folder = home + "/pictavo", file = folder + "/registry.db";
    if (name == "read-only folder") {
        ::chmod(folder.c_str(), atExit ? 0700 : 0500);
    } else if (name == "read-only file" || name == "unreadable file") {
        ::chmod(file.c_str(), atExit ? 0600 : name == "unreadable file" ? 0 : 0400);
    } else if (name == "read-only side file of an older run" && !atExit) {
        ::close(::open((file + "-shm").c_str(), O_WRONLY | O_CREAT, 0400));
    } else if (name == "full disk") {
        const int filler = ::open((home + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        static const char block[4096] = {};
        while (!atExit && ::write(filler, block, sizeof block) > 0) {
        }
        ::close(filler);
    } else if (lock) {
        sqlite3_close(lock);
        lock = nullptr;
    } else if (name.endsWith("at exit") == atExit) {
        const char* writer = "BEGIN IMMEDIATE";
        const char* all =
            "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; SELECT * FROM reg_keys";
        sqlite3_open(file.c_str(), &lock);
        sqlite3_exec(lock, atExit ? writer : all, nullptr, nullptr, nullptr);
    }
}

// One run of the program as the registry sees it, in one line: "Filename|KeepSize|outcome of
// the first write" ("written" or the message raised), and "|slow" when start-up or exit took
// long: before, every call waited 5 s for a lock on its own.
QByteArray startAndExit(const QString& faultName = {}, const std::string& home = {}) {
    fault(faultName, false, home);
    QElapsedTimer clock;
    clock.start();
    placement(false);
    const QByteArray line = [] {
        TRegIniFile store(Base);
        return QByteArray::fromStdString(store.ReadText("1.0", "Filename", "index.html")) + "|" +
               (store.ReadFlag("1.0", "KeepSize", true) ? "1" : "0") + "|";
    }();
    const qint64 startUp = clock.restart();
    fault(faultName, true, home);
    const QString error = raised([] {
        TRegIniFile store(Base);
        store.WriteText("1.0", "Filename", "new.html");
        store.WriteFlag("1.0", "KeepSize", false);
    });
    placement(true);
    const qint64 exit = clock.elapsed();
    return line + (error.isEmpty() ? QByteArray("written") : error.toUtf8()) +
           (std::max(startUp, exit) > 10000 ? "|slow" : "");
}

} // namespace

// TRegIniFile on a sandboxed registry: defaults on a first start, the integer rule, section
// resolution and every failure, after which the store must stay usable.
class TestTRegIniFile : public QObject {
    Q_OBJECT

private slots:
    void firstStart();
    void numbersAndFlags_data();
    void numbersAndFlags();
    void integerKeepSizeRaises();
    void sections_data();
    void sections();
    void failures_data();
    void failures();
    void baseKeyUnavailable();
    void storeUnderFaults_data();
    void storeUnderFaults();
};

void TestTRegIniFile::firstStart() {
    RegistrySandbox sandbox;
    {
        TRegIniFile store(Base);
        QCOMPARE(store.ReadText("1.0", "CurPath", ""), std::string());
        QCOMPARE(store.ReadText("1.0", "Filename", "index.html"), std::string("index.html"));
        QCOMPARE(store.ReadFlag("1.0", "KeepSize", true), true);
    }
    QVERIFY(RegistrySandbox::keyExists(Base));
    QVERIFY(!RegistrySandbox::keyExists(Settings));
    for (const char* name : {"CurPath", "Filename", "KeepSize", ""})
        QVERIFY(RegistrySandbox::value(Base, name).status != 0);
    QCOMPARE(platform::regOpenKeyCount(), 0);
}

void TestTRegIniFile::numbersAndFlags_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number"); // ReadNumber with default 1, the ReadFlag default true
    QTest::newRow("1") << QByteArray("1") << 1;
    QTest::newRow("-1") << QByteArray("-1") << -1;
    QTest::newRow("0x10") << QByteArray("0x10") << 16;
    QTest::newRow("0X1F") << QByteArray("0X1F") << 31;
    QTest::newRow("$1") << QByteArray("$1") << 1;
    QTest::newRow("7 after spaces") << QByteArray("   7") << 7;
    QTest::newRow("0") << QByteArray("0") << 0;
    QTest::newRow("0x0") << QByteArray("0x0") << 0;
    QTest::newRow("$0") << QByteArray("$0") << 0;
    QTest::newRow("0 after spaces") << QByteArray("  0") << 0;
    QTest::newRow("0x alone: default") << QByteArray("0x") << 1;
    QTest::newRow("abc: default") << QByteArray("abc") << 1;
    QTest::newRow("1 and a space: default") << QByteArray("1 ") << 1;
    QTest::newRow("+$1: default") << QByteArray("+$1") << 1;
    QTest::newRow("empty: default") << QByteArray("") << 1;
}

void TestTRegIniFile::numbersAndFlags() {
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegSz, text.toStdString());
    TRegIniFile store(Base);
    QCOMPARE(store.ReadNumber("1.0", "KeepSize", 1), number);
    QCOMPARE(store.ReadFlag("1.0", "KeepSize", true), number != 0);
}

void TestTRegIniFile::integerKeepSizeRaises() {
    RegistrySandbox sandbox;
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegDword, RegistrySandbox::dword(1));
    TRegIniFile store(Base);
    const QString message = "Invalid data type for 'KeepSize'";
    QCOMPARE(raised([&] { store.ReadFlag("1.0", "KeepSize", true); }), message);
    QCOMPARE(raised([&] { store.ReadText("1.0", "KeepSize", "1"); }), message);
    // The store stays usable, and a flag is stored as one byte of text.
    store.WriteFlag("1.0", "KeepSize", false);
    QCOMPARE(RegistrySandbox::value(Settings, "KeepSize").bytes, std::string("0"));
}

void TestTRegIniFile::sections_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key"); // where the value lands
    QTest::addColumn<QString>("text");
    QTest::newRow("empty text is not missing") << "1.0" << QString::fromStdString(Settings) << "";
    QTest::newRow("leading backslash: below the root") << "\\1.0" << QString("1.0") << "C:\\";
    QTest::newRow("empty: the base key") << "" << QString::fromStdString(Base) << "C:\\";
}

void TestTRegIniFile::sections() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, text);
    RegistrySandbox sandbox;
    TRegIniFile store(Base);
    store.WriteText(section.toStdString(), "Filename", text.toStdString());
    const auto stored = RegistrySandbox::value(key.toStdString(), "Filename");
    QCOMPARE(stored.type, uint(platform::RegSz));
    QCOMPARE(stored.bytes, text.toStdString()); // no terminating zero
    QCOMPARE(store.ReadText(section.toStdString(), "Filename", "index.html"), text.toStdString());
    QCOMPARE(platform::regOpenKeyCount(), 1);
}

void TestTRegIniFile::failures_data() {
    QTest::addColumn<bool>("write"); // WriteText, else ReadText
    QTest::addColumn<Operation>("failing");
    QTest::addColumn<QString>("outcome"); // the message raised, else what was read or kept
    QTest::newRow("read: section key cannot be opened")
        << false << Operation::RegOpenKey << "default";
    QTest::newRow("read: value cannot be queried")
        << false << Operation::RegQueryValue << "default";
    QTest::newRow("read: bytes cannot be read")
        << false << Operation::RegReadValue << "Failed to get data for 'Name'";
    QTest::newRow("write: section key cannot be opened, skipped")
        << true << Operation::RegOpenKey << "old";
}

void TestTRegIniFile::failures() {
    QFETCH(bool, write);
    QFETCH(Operation, failing);
    QFETCH(QString, outcome);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue(Settings, "Name", platform::RegSz, "old");
    TRegIniFile store(Base);
    const platform::RegKey baseKey = store.ActiveHandle();
    std::string read;
    QString error;
    {
        platform::FaultInjector faults;
        faults.fail(failing, platform::ErrorAccessDenied);
        error = raised([&] {
            if (write)
                store.WriteText("1.0", "Name", "new");
            else
                read = store.ReadText("1.0", "Name", "default");
        });
    }
    const std::string kept = RegistrySandbox::value(Settings, "Name").bytes;
    QCOMPARE(error.isEmpty() ? QString::fromStdString(write ? kept : read) : error, outcome);
    // Whatever happened, the base key is active again and the section key released.
    QCOMPARE(store.ActiveHandle(), baseKey);
    QCOMPARE(platform::regOpenKeyCount(), 1);
    store.WriteText("1.0", "After", "works");
    QCOMPARE(store.ReadText("1.0", "After", ""), std::string("works"));
}

void TestTRegIniFile::baseKeyUnavailable() {
    RegistrySandbox sandbox;
    platform::FaultInjector faults;
    faults.failNth(Operation::RegCreateKey, 1, platform::ErrorAccessDenied);
    TRegIniFile store(Base);
    QCOMPARE(store.ActiveHandle(), platform::RegNoKey);
    store.WriteText("1.0", "CurPath", "C:\\");
    QCOMPARE(RegistrySandbox::value("1.0", "CurPath").bytes, std::string("C:\\"));
    QCOMPARE(store.ReadText("1.0", "CurPath", ""), std::string("C:\\"));
    QVERIFY(!RegistrySandbox::keyExists(Base));
}

// Faults met as a user: what can be read is read, only writing fails, defaults never go over
// the stored settings, no side file stops a later run, and a lock costs seconds at most.
void TestTRegIniFile::storeUnderFaults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("firstRun");
    const QByteArray stored = "pics.html|0|";
    const QByteArray notStored = stored + "Failed to set data for 'Filename'";
    const QByteArray defaults = "index.html|1|Failed to create key 1.0";
    for (const char* fault : {"read-only folder", "read-only file", "full disk"})
        QTest::newRow(fault) << fault << notStored;
    QTest::newRow("unreadable file") << "unreadable file" << defaults;
    QTest::newRow("read-only side file of an older run, repaired")
        << "read-only side file of an older run" << stored + "written";
    QTest::newRow("locked for readers") << "locked for readers" << defaults;
    QTest::newRow("locked for writers at exit") << "locked for writers at exit" << notStored;
}

void TestTRegIniFile::storeUnderFaults() {
    QFETCH(QString, fault);
    QFETCH(QByteArray, firstRun);
    RegistrySandbox sandbox;
    const std::string home = sandbox.configHome();
    const bool fullDisk = fault == "full disk";
    if (fullDisk && (::geteuid() != 0 || ::mount("tmpfs", home.c_str(), "tmpfs", 0, "size=256k")))
        QSKIP("no small file system can be mounted without the superuser");
    const auto unmount = qScopeGuard([&] { fullDisk&& ::umount(home.c_str()); });
    RegistrySandbox::setValue(Settings, "Filename", platform::RegSz, "pics.html");
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegSz, "0");
    platform::regCloseDatabase();
    testsupport::handOver(QString::fromStdString(home));

    QCOMPARE(testsupport::runUnprivileged([&] { return startAndExit(fault, home); }), firstRun);
    const QByteArray stored = firstRun.endsWith("written") ? "new.html" : "pics.html";
    QCOMPARE(testsupport::runUnprivileged([] { return startAndExit(); }), stored + "|0|written");
}

PICTAVO_TEST_MAIN(TestTRegIniFile, QCoreApplication)
#include "tst_treginifile.moc"
