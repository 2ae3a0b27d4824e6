#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "tests/platform/RegistryBurst.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sqlite3.h>

using namespace platform;

namespace {

std::string readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Runs the statements through a connection of the test's own; the first column of the last
// one's first row.
std::string sql(const std::string& file, const char* statements) {
    sqlite3* db = nullptr;
    std::string result = "<error>";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
        SQLITE_OK) {
        for (const char* next = statements; next && *next;) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db, next, -1, &statement, &next) != SQLITE_OK) {
                result = "<error>";
                break;
            }
            const int rc = sqlite3_step(statement);
            const auto* text = rc == SQLITE_ROW ? sqlite3_column_text(statement, 0) : nullptr;
            result =
                text ? reinterpret_cast<const char*>(text) : (rc == SQLITE_ERROR ? "<error>" : "");
            sqlite3_finalize(statement);
        }
    }
    sqlite3_close(db);
    return result;
}

RegKey createKey(std::string_view path) {
    RegKey key = RegNoKey;
    const int status = regCreateKey(RegCurrentUser, path, key);
    if (status != 0)
        qWarning("creating %s failed with %d", std::string(path).c_str(), status);
    return key;
}

std::string readValue(RegKey key, std::string_view name, std::uint32_t* type = nullptr) {
    std::uint32_t readType = 0;
    std::string data;
    if (const int status = regReadValue(key, name, readType, data))
        return "<error " + std::to_string(status) + ">";
    if (type)
        *type = readType;
    return data;
}

QStringList asideFiles(const std::string& databasePath) {
    const QFileInfo database(QString::fromStdString(databasePath));
    return database.dir().entryList({database.fileName() + ".corrupt-*"},
                                    QDir::AllEntries | QDir::Hidden, QDir::Name);
}

// Each completed write the writer reported must be in the database, byte for byte.
void verifyBurst(const QByteArray& output, int minimum) {
    const QList<QByteArray> lines = output.split('\n');
    int checked = 0;
    for (const QByteArray& line : lines.mid(0, lines.size() - 1)) { // the last may be torn
        const std::string name = line.toStdString();
        const unsigned index = std::stoul(name.substr(1));
        RegKey key = RegNoKey;
        QCOMPARE(regOpenKey(RegCurrentUser, registryburst::keyPathFor(index), key), 0);
        QVERIFY2(readValue(key, name) == registryburst::bytesFor(name), name.c_str());
        regCloseKey(key);
        ++checked;
    }
    QVERIFY2(checked >= minimum, qPrintable(QString::number(checked)));
}

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT

private slots:
    void databaseLocation_data();
    void databaseLocation();
    void keyPaths_data();
    void keyPaths();
    void namesKeepTheirSpelling();
    void values_data();
    void values();
    void handles();
    void injectedFaults_data();
    void injectedFaults();
    void unusableFiles_data();
    void unusableFiles();
    void killedWriterKeepsEveryReturnedWrite();
    void concurrentWritersKeepTheirValues();
};

void TestRegistry::databaseLocation_data() {
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QString>("expectedFolder"); // below the home folder
    QTest::newRow("XDG_CONFIG_HOME") << QByteArray("@/conf/") << QString("conf/pictavo");
    QTest::newRow("unset") << QByteArray() << QString(".config/pictavo");
    QTest::newRow("relative, ignored") << QByteArray("conf") << QString(".config/pictavo");
}

void TestRegistry::databaseLocation() {
    QFETCH(QByteArray, configHome);
    QFETCH(QString, expectedFolder);
    RegistrySandbox sandbox; // restores XDG_CONFIG_HOME afterwards
    const QByteArray previousHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", previousHome); });
    const QString home = QString::fromStdString(sandbox.configHome()) + "/home";
    QVERIFY(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    if (configHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome.replace('@', QFile::encodeName(home)));

    const QString folder = home + "/" + expectedFolder;
    QCOMPARE(QString::fromStdString(registryDatabasePath()), folder + "/registry.db");
    QVERIFY(!QFile::exists(folder));
    RegKey key = createKey("Software");
    regCloseKey(key);
    QVERIFY(QFile::exists(folder + "/registry.db"));
    const QFileDevice::Permissions everyone(0x7077); // owner, group and others
    QCOMPARE(QFile::permissions(folder) & everyone,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(QFile::permissions(folder + "/registry.db") & everyone,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestRegistry::keyPaths_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    const char* created = "Software\\Zelmar Inc.\\Pictavo\\1.0";
    QTest::newRow("as created") << created << 0;
    QTest::newRow("trailing backslash") << "Software\\Zelmar Inc.\\Pictavo\\1.0\\" << 0;
    QTest::newRow("other case") << "SOFTWARE\\zelmar inc.\\PICTAVO\\1.0" << 0;
    QTest::newRow("doubled and leading backslashes")
        << "\\Software\\\\Zelmar Inc.\\Pictavo\\1.0" << 0;
    QTest::newRow("missing last level")
        << "Software\\Zelmar Inc.\\Pictavo\\2.0" << int(ErrorFileNotFound);
    QTest::newRow("missing middle level")
        << "Software\\Other\\Pictavo\\1.0" << int(ErrorFileNotFound);
    QTest::newRow("no case folding beyond ASCII")
        << "Software\\Zelmar Inc.\\Pictavo\\1.0\\Ä" << int(ErrorFileNotFound);
}

void TestRegistry::keyPaths() {
    QFETCH(QString, path);
    QFETCH(int, status);
    RegistrySandbox sandbox;
    const RegKey created = createKey("Software\\Zelmar Inc.\\Pictavo\\1.0");
    regCloseKey(createKey("Software\\Zelmar Inc.\\Pictavo\\1.0\\ä"));
    QCOMPARE(regSetValue(created, "Marker", RegSz, "here"), 0);

    RegKey opened = RegNoKey;
    QCOMPARE(regOpenKey(RegCurrentUser, path.toStdString(), opened), status);
    QCOMPARE(opened == RegNoKey, status != 0);
    if (status == 0) {
        QCOMPARE(readValue(opened, "Marker"), std::string("here"));
        RegKey same = RegNoKey; // the empty path: a new handle to the key itself
        QCOMPARE(regOpenKey(opened, "", same), 0);
        QCOMPARE(readValue(same, "Marker"), std::string("here"));
        regCloseKey(same);
    } else { // the failed open created nothing
        QCOMPARE(regOpenKey(RegCurrentUser, path.toStdString(), opened), status);
    }
    regCloseKey(opened);
    regCloseKey(created);
    QCOMPARE(regOpenKeyCount(), 0);
}

void TestRegistry::namesKeepTheirSpelling() {
    RegistrySandbox sandbox;
    const RegKey key = createKey("Software\\MixedCase");
    regCloseKey(createKey("SOFTWARE\\mixedcase"));
    QCOMPARE(regSetValue(key, "FileName", RegSz, "a"), 0);
    QCOMPARE(regSetValue(key, "FILENAME", RegSz, "b"), 0);
    QCOMPARE(readValue(key, "filename"), std::string("b"));
    regCloseKey(key);
    const std::string db = sandbox.databasePath();
    QCOMPARE(sql(db, "SELECT group_concat(name, '|') FROM reg_keys WHERE id > 1"),
             std::string("Software|MixedCase"));
    QCOMPARE(sql(db, "SELECT group_concat(name || '=' || data, '|') FROM reg_values"),
             std::string("FileName=b"));
}

void TestRegistry::values_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty text") << uint(RegSz) << QByteArray("");
    QTest::newRow("text of three bytes") << uint(RegSz) << QByteArray("abc");
    QTest::newRow("zero byte inside") << uint(RegSz) << QByteArray("ab\0cd", 5);
    QTest::newRow("expandable text") << uint(RegExpandSz) << QByteArray("%HOME%\\pics");
    QTest::newRow("dword") << uint(RegDword) << QByteArray("\xff\xff\xff\x7f", 4);
    QByteArray all(256, '\0');
    for (int i = 0; i < all.size(); ++i)
        all[i] = char(i);
    QTest::newRow("every byte") << uint(RegBinary) << all;
    QTest::newRow("unknown type kept") << uint(0xFFFFFFFFu) << QByteArray("x");
    QTest::newRow("one megabyte") << uint(RegBinary) << QByteArray(1 << 20, '\x5a');
}

void TestRegistry::values() {
    QFETCH(uint, type);
    QFETCH(QByteArray, bytes);
    RegistrySandbox sandbox;
    RegKey key = createKey("Software\\Values");
    QCOMPARE(regSetValue(key, "Value", RegSz, "replaced"), 0);
    QCOMPARE(regSetValue(key, "Value", type, bytes.toStdString()), 0);
    regCloseDatabase(); // the value comes back from the file
    key = createKey("Software\\Values");

    std::uint32_t queriedType = 0;
    std::size_t size = 99;
    QCOMPARE(regQueryValue(key, "value", queriedType, size), 0);
    QCOMPARE(queriedType, type);
    QCOMPARE(size, std::size_t(bytes.size()));
    std::uint32_t readType = 0;
    QCOMPARE(readValue(key, "VALUE", &readType), bytes.toStdString());
    QCOMPARE(readType, type);
    QCOMPARE(sql(sandbox.databasePath(), "SELECT typeof(data) FROM reg_values"),
             std::string("blob"));
    QCOMPARE(regQueryValue(key, "Missing", queriedType, size), int(ErrorFileNotFound));
    QCOMPARE(readValue(key, "Missing"), "<error " + std::to_string(ErrorFileNotFound) + ">");
    regCloseKey(key);
}

void TestRegistry::handles() {
    RegistrySandbox sandbox;
    const RegKey first = createKey("A");
    const RegKey second = createKey("A");
    QVERIFY(first != second);
    QCOMPARE(regOpenKeyCount(), 2);
    regCloseKey(RegCurrentUser); // ignored: the root stays usable
    QCOMPARE(regSetValue(RegCurrentUser, "AtRoot", RegSz, "r"), 0);
    regCloseKey(first);
    QCOMPARE(regOpenKeyCount(), 1);
    QCOMPARE(regSetValue(first, "V", RegSz, "x"), RegErrorInvalidHandle);
    QCOMPARE(regSetValue(RegNoKey, "V", RegSz, "x"), RegErrorInvalidHandle);
    QCOMPARE(regSetValue(second, std::string("a\0b", 3), RegSz, "x"), int(ErrorInvalidName));
    regCloseDatabase(); // every handle but the root goes with the database
    QCOMPARE(regOpenKeyCount(), 0);
    QCOMPARE(regSetValue(second, "V", RegSz, "x"), RegErrorInvalidHandle);
    QCOMPARE(readValue(RegCurrentUser, "AtRoot"), std::string("r"));
}

void TestRegistry::injectedFaults_data() {
    QTest::addColumn<int>("operation");
    QTest::newRow("open database") << int(Operation::RegOpenDatabase);
    QTest::newRow("open key") << int(Operation::RegOpenKey);
    QTest::newRow("create key") << int(Operation::RegCreateKey);
    QTest::newRow("query value") << int(Operation::RegQueryValue);
    QTest::newRow("read value") << int(Operation::RegReadValue);
    QTest::newRow("set value") << int(Operation::RegSetValue);
}

// A failed operation reports the code and changes nothing; the next call works again.
void TestRegistry::injectedFaults() {
    QFETCH(int, operation);
    RegistrySandbox sandbox;
    const RegKey key = createKey("Software");
    QCOMPARE(regSetValue(key, "V", RegSz, "old"), 0);
    regCloseKey(key);
    regCloseDatabase();

    const auto run = [](Operation op) {
        RegKey handle = RegNoKey;
        std::uint32_t type = 0;
        std::size_t size = 0;
        std::string data;
        int status = regOpenKey(RegCurrentUser, "Software", handle);
        switch (op) {
        case Operation::RegCreateKey:
            regCloseKey(handle);
            status = regCreateKey(RegCurrentUser, "Software\\New", handle);
            break;
        case Operation::RegQueryValue:
            status = regQueryValue(handle, "V", type, size);
            break;
        case Operation::RegReadValue:
            status = regReadValue(handle, "V", type, data);
            break;
        case Operation::RegSetValue:
            status = regSetValue(handle, "V", RegSz, "new");
            break;
        default:
            break;
        }
        regCloseKey(handle);
        return status;
    };
    {
        FaultInjector faults;
        faults.failNth(Operation(operation), 1, ErrorAccessDenied);
        QCOMPARE(run(Operation(operation)), int(ErrorAccessDenied));
        QCOMPARE(run(Operation(operation)), 0);
    }
    RegKey probe = RegNoKey;
    QCOMPARE(regOpenKey(RegCurrentUser, "Software\\New", probe),
             operation == int(Operation::RegCreateKey) ? 0 : int(ErrorFileNotFound));
    regCloseKey(probe);
    QVERIFY(regOpenKey(RegCurrentUser, "Software", probe) == 0);
    QCOMPARE(readValue(probe, "V"), operation == int(Operation::RegSetValue) ? "new" : "old");
    regCloseKey(probe);
    QCOMPARE(regOpenKeyCount(), 0);
}

void TestRegistry::unusableFiles_data() {
    QTest::addColumn<QByteArray>("content"); // "<dir>" makes a directory
    QTest::addColumn<QByteArray>("wal");     // a side file left beside it
    QTest::addColumn<QByteArray>("schema");  // run on the file first, when not empty
    QTest::addColumn<int>("status");         // of the first operation
    QTest::addColumn<bool>("movedAside");
    QByteArray garbage(5000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char(i * 7 + 3);
    QTest::newRow("garbage") << garbage << QByteArray() << QByteArray() << 0 << true;
    QTest::newRow("garbage with a wal")
        << QByteArray("not a database\n") << QByteArray("stale") << QByteArray() << 0 << true;
    QTest::newRow("directory") << QByteArray("<dir>") << QByteArray() << QByteArray() << 0 << true;
    QTest::newRow("foreign database")
        << QByteArray() << QByteArray() << QByteArray("CREATE TABLE t (x)") << 0 << true;
    QTest::newRow("other application")
        << QByteArray() << QByteArray() << QByteArray("PRAGMA application_id = 42") << 0 << true;
    QTest::newRow("empty file with a stray wal")
        << QByteArray("") << QByteArray("stale") << QByteArray() << 0 << true;
    QTest::newRow("empty file is used")
        << QByteArray("") << QByteArray() << QByteArray() << 0 << false;
    QTest::newRow("newer registry is left alone")
        << QByteArray() << QByteArray()
        << QByteArray("PRAGMA application_id = 1346589782; PRAGMA user_version = 2; "
                      "CREATE TABLE later (x)")
        << int(RegErrorBadDatabase) << false;
}

void TestRegistry::unusableFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, wal);
    QFETCH(QByteArray, schema);
    QFETCH(int, status);
    QFETCH(bool, movedAside);
    RegistrySandbox sandbox;
    const std::string db = sandbox.databasePath();
    const QString file = QString::fromStdString(db);
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    if (content == "<dir>")
        QVERIFY(QDir().mkpath(file + "/inside"));
    else if (!content.isNull())
        writeBytes(file, content.toStdString());
    if (!wal.isNull())
        writeBytes(file + "-wal", wal.toStdString());
    if (!schema.isEmpty())
        QCOMPARE(sql(db, schema.constData()), std::string());
    const std::string before = readBytes(file);

    RegKey key = RegNoKey;
    QCOMPARE(regCreateKey(RegCurrentUser, "Software", key), status);
    regCloseKey(key);
    const QStringList aside = asideFiles(db);
    if (!movedAside) {
        QCOMPARE(aside, QStringList());
        QCOMPARE(sql(db, "PRAGMA user_version"), std::string(status ? "2" : "1"));
        return;
    }
    QCOMPARE(aside.size(), wal.isNull() ? 1 : 2);
    const QString asidePath = QFileInfo(file).dir().filePath(aside.first());
    QVERIFY(QFileInfo(asidePath).fileName().startsWith("registry.db.corrupt-20"));
    if (content == "<dir>")
        QVERIFY(QFile::exists(asidePath + "/inside"));
    else
        QCOMPARE(readBytes(asidePath), before);
    if (!wal.isNull())
        QCOMPARE(readBytes(asidePath + "-wal"), wal.toStdString());
    // The fresh database holds the new key and nothing else.
    QCOMPARE(sql(db, "SELECT count(*) || '/' || (SELECT count(*) FROM reg_values) FROM reg_keys"),
             std::string("2/0"));
    QCOMPARE(sql(db, "PRAGMA journal_mode"), std::string("wal"));
}

// The writer runs until it is killed; the kill lands at an unknown point of a write.
void TestRegistry::killedWriterKeepsEveryReturnedWrite() {
    RegistrySandbox sandbox;
    QProcess writer;
    writer.start(QStringLiteral(REGISTRY_WRITER), {"k", "0"});
    QVERIFY(writer.waitForStarted());
    QByteArray output;
    while (output.count('\n') < 300) {
        QVERIFY2(writer.waitForReadyRead(30000), writer.readAllStandardError().constData());
        output += writer.readAllStandardOutput();
    }
    writer.kill(); // SIGKILL
    QVERIFY(writer.waitForFinished(30000));
    QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
    output += writer.readAllStandardOutput();

    QCOMPARE(sql(sandbox.databasePath(), "PRAGMA integrity_check"), std::string("ok"));
    verifyBurst(output, 300);
    QCOMPARE(asideFiles(sandbox.databasePath()), QStringList());
}

// Both writers create the same keys and write into them at the same time.
void TestRegistry::concurrentWritersKeepTheirValues() {
    RegistrySandbox sandbox;
    QProcess writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i].start(QStringLiteral(REGISTRY_WRITER), {i == 0 ? "a" : "b", "150", "--wait"});
        QVERIFY(writers[i].waitForStarted());
    }
    for (QProcess& writer : writers)
        writer.write("go\n");
    for (QProcess& writer : writers) {
        QVERIFY(writer.waitForFinished(60000));
        QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
        const QByteArray output = writer.readAllStandardOutput();
        QCOMPARE(output.count('\n'), 150);
        verifyBurst(output, 150);
    }
    QCOMPARE(sql(sandbox.databasePath(), "PRAGMA integrity_check"), std::string("ok"));
    QCOMPARE(sql(sandbox.databasePath(), "SELECT count(*) FROM reg_keys"), std::string("10"));
}

PICTAVO_TEST_MAIN(TestRegistry, QCoreApplication)
#include "tst_registry.moc"
