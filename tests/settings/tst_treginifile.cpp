#include "platform/errors/ErrorCodes.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/ERegistryException.h"
#include "settings/TRegIniFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QElapsedTimer>

#include <functional>
#include <optional>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// What the window placement reads or writes, without a window: its calls to the registry.
void placement(bool save) {
    platform::RegKey key = platform::RegNoKey;
    if (platform::regCreateKey(platform::RegCurrentUser, Settings, key) != 0)
        return;
    for (const char* name : {"WinHeight", "WinLeft", "WinTop", "WinWidth"}) {
        std::uint32_t type = 0;
        std::string bytes;
        if (save)
            platform::regSetValue(key, name, platform::RegDword, RegistrySandbox::dword(300));
        else
            platform::regReadValue(key, name, type, bytes);
    }
    platform::regCloseKey(key);
}

// A run of the program as the registry sees it, the placement included, in one line:
// "Filename|KeepSize|outcome of the first write" ("written" or the message raised).
QByteArray startAndExit(const std::function<void()>& beforeExit = {}) {
    QByteArray line;
    placement(false);
    {
        TRegIniFile store(Base);
        line = QByteArray::fromStdString(store.ReadText("1.0", "Filename", "index.html")) + "|" +
               (store.ReadFlag("1.0", "KeepSize", true) ? "1" : "0") + "|";
    }
    if (beforeExit)
        beforeExit();
    QString error;
    {
        TRegIniFile store(Base);
        error = raised([&] {
            store.WriteText("1.0", "Filename", "new.html");
            store.WriteFlag("1.0", "KeepSize", false);
        });
    }
    placement(true);
    return line + (error.isEmpty() ? QByteArray("written") : error.toUtf8());
}

void changeMode(const std::string& path, mode_t mode) {
    if (::chmod(path.c_str(), mode) != 0)
        qFatal("cannot change the mode of %s", path.c_str());
}

// Another process that holds a lock on the database until it is released.
class LockHolder {
public:
    LockHolder(const std::string& file, const char* lockSql) {
        int locked[2], release[2];
        if (::pipe(locked) != 0 || ::pipe(release) != 0)
            qFatal("no pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(locked[0]);
            ::close(release[1]);
            sqlite3* db = nullptr;
            sqlite3_open(file.c_str(), &db);
            const int rc = sqlite3_exec(db, lockSql, nullptr, nullptr, nullptr);
            char byte = rc == SQLITE_OK ? 'L' : 'F';
            if (::write(locked[1], &byte, 1) != 1 || ::read(release[0], &byte, 1) < 0)
                ::_exit(1);
            ::_exit(0);
        }
        ::close(locked[1]);
        ::close(release[0]);
        char byte = 0;
        if (::read(locked[0], &byte, 1) != 1 || byte != 'L')
            qFatal("the database could not be locked");
        ::close(locked[0]);
        m_release = release[1];
    }
    ~LockHolder() { release(); }
    void release() {
        if (m_release < 0)
            return;
        ::close(m_release);
        m_release = -1;
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
};

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
    void unwritableStore_data();
    void unwritableStore();
    void lockedDatabase_data();
    void lockedDatabase();
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
    QCOMPARE(RegistrySandbox::value(key.toStdString(), "Filename").bytes, text.toStdString());
    QCOMPARE(store.ReadText(section.toStdString(), "Filename", "index.html"), text.toStdString());
    QCOMPARE(platform::regOpenKeyCount(), 1);
}

void TestTRegIniFile::failures_data() {
    QTest::addColumn<bool>("write");     // WriteText, else ReadText
    QTest::addColumn<QString>("before"); // "value" stored beforehand, or only its "key"
    QTest::addColumn<Operation>("failing");
    QTest::addColumn<QString>("outcome"); // the message raised, else what was read or kept
    const Operation none = Operation::Count;
    QTest::newRow("read: section key cannot be opened")
        << false << "value" << Operation::RegOpenKey << "default";
    QTest::newRow("read: value missing") << false << "key" << none << "default";
    QTest::newRow("read: value cannot be queried")
        << false << "value" << Operation::RegQueryValue << "default";
    QTest::newRow("read: bytes cannot be read")
        << false << "value" << Operation::RegReadValue << "Failed to get data for 'Name'";
    QTest::newRow("write: section key cannot be created")
        << true << "value" << Operation::RegCreateKey << "Failed to create key 1.0";
    QTest::newRow("write: section key cannot be opened, skipped")
        << true << "value" << Operation::RegOpenKey << "old";
    QTest::newRow("write: value cannot be stored")
        << true << "value" << Operation::RegSetValue << "Failed to set data for 'Name'";
}

void TestTRegIniFile::failures() {
    QFETCH(bool, write);
    QFETCH(QString, before);
    QFETCH(Operation, failing);
    QFETCH(QString, outcome);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue(Settings, before == "value" ? "Name" : "Other", platform::RegSz,
                              "old");
    TRegIniFile store(Base);
    const platform::RegKey baseKey = store.ActiveHandle();
    std::string read;
    QString error;
    {
        platform::FaultInjector faults;
        if (failing != Operation::Count)
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
    if (write) // nothing is written
        QCOMPARE(kept, std::string("old"));
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

// A settings folder or file that a user can only read, or a full disk, still yields the stored
// settings, and only writing fails. The first run clears the fault before it writes, as a
// user might during a session: it must still not write, since it may hold defaults. No run
// leaves a side file that keeps the next one from writing.
void TestTRegIniFile::unwritableStore_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("firstRun");
    const QByteArray stored = "pics.html|0|";
    QTest::newRow("read-only folder")
        << "read-only folder" << stored + "Failed to set data for 'Filename'";
    QTest::newRow("read-only file")
        << "read-only file" << stored + "Failed to set data for 'Filename'";
    QTest::newRow("unreadable file: defaults, and nothing written over the settings")
        << "unreadable file" << QByteArray("index.html|1|Failed to create key 1.0");
    QTest::newRow("read-only side file of an older run is repaired")
        << "read-only side file" << stored + "written";
    QTest::newRow("full disk") << "full disk" << stored + "Failed to set data for 'Filename'";
}

void TestTRegIniFile::unwritableStore() {
    QFETCH(QString, fault);
    QFETCH(QByteArray, firstRun);
    RegistrySandbox sandbox;
    const std::string home = sandbox.configHome();
    const std::string folder = home + "/pictavo";
    const std::string file = sandbox.databasePath();
    const bool fullDisk = fault == "full disk";
    if (fullDisk) {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs the superuser");
        if (::mount("tmpfs", home.c_str(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("no tmpfs could be mounted here");
    }
    const auto unmount = qScopeGuard([&] {
        platform::regCloseDatabase();
        if (fullDisk)
            ::umount(home.c_str());
    });
    RegistrySandbox::setValue(Settings, "Filename", platform::RegSz, "pics.html");
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegSz, "0");
    platform::regCloseDatabase();

    const std::string filler = home + "/filler";
    std::function<void()> clear = [] {};
    if (fault == "read-only folder") {
        changeMode(folder, 0500);
        clear = [=] { changeMode(folder, 0700); };
    } else if (fault == "read-only file" || fault == "unreadable file") {
        changeMode(file, fault == "read-only file" ? 0400 : 0);
        clear = [=] { changeMode(file, 0600); };
    } else if (fault == "read-only side file") {
        const int fd = ::open((file + "-shm").c_str(), O_WRONLY | O_CREAT, 0400);
        QVERIFY(fd >= 0 && ::close(fd) == 0);
    } else if (fullDisk) {
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
        static const char block[4096] = {};
        while (::write(fd, block, sizeof block) > 0) {
        }
        ::close(fd);
        clear = [=] { ::unlink(filler.c_str()); };
    }
    testsupport::handOver(QString::fromStdString(home));

    QCOMPARE(testsupport::runUnprivileged([&] { return startAndExit(clear); }), firstRun);
    const QByteArray stored = firstRun.endsWith("written") ? "new.html" : "pics.html";
    QCOMPARE(testsupport::runUnprivileged([&] { return startAndExit(); }), stored + "|0|written");
    QCOMPARE(RegistrySandbox::value(Settings, "Filename").bytes, std::string("new.html"));
}

// Another process holding the database locked delays start-up and exit by a few seconds at
// most; a run that could not read does not write its defaults once the lock is gone.
void TestTRegIniFile::lockedDatabase_data() {
    QTest::addColumn<bool>("lockedAtStart");
    QTest::addColumn<QByteArray>("outcome");
    QTest::newRow("readers locked out at start-up, released before exit")
        << true << QByteArray("index.html|1|Failed to create key 1.0");
    QTest::newRow("another writer at exit")
        << false << QByteArray("pics.html|0|Failed to set data for 'Filename'");
}

void TestTRegIniFile::lockedDatabase() {
    QFETCH(bool, lockedAtStart);
    QFETCH(QByteArray, outcome);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue(Settings, "Filename", platform::RegSz, "pics.html");
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegSz, "0");
    platform::regCloseDatabase();

    const char* const lockOutReaders =
        "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; SELECT * FROM reg_keys";
    std::optional<LockHolder> lock;
    if (lockedAtStart)
        lock.emplace(sandbox.databasePath(), lockOutReaders);
    QElapsedTimer startUp;
    qint64 exitTook = 0;
    startUp.start();
    const QByteArray result = startAndExit([&] {
        qInfo("start-up took %lld ms", startUp.elapsed());
        QVERIFY(startUp.elapsed() < 10000); // 35 s when every call waited its own 5 s
        if (lock)
            lock.reset();
        else
            lock.emplace(sandbox.databasePath(), "BEGIN IMMEDIATE");
        startUp.restart();
    });
    exitTook = startUp.elapsed();
    qInfo("exit took %lld ms", exitTook);
    QVERIFY(exitTook < 10000);
    QCOMPARE(result, outcome);
    lock.reset();
    platform::regCloseDatabase();
    QCOMPARE(RegistrySandbox::value(Settings, "Filename").bytes, std::string("pics.html"));
}

PICTAVO_TEST_MAIN(TestTRegIniFile, QCoreApplication)
#include "tst_treginifile.moc"
