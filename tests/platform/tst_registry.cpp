#include "platform/errors/ErrorCodes.h"
#include "platform/registry/Registry.h"
#include "platform/testing/RegistrySandbox.h"
#include "tests/platform/RegistryBurst.h"
#include "tests/support/Files.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <sqlite3.h>
#include <sys/file.h>

using namespace platform;
using testsupport::readAll;
using testsupport::writeAll;

namespace {

// Runs the statements on a connection of the test's own; the first column of the last one's
// first row.
std::string sql(const std::string& file, const char* statements) {
    sqlite3* db = nullptr;
    std::string result = "<error>";
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    for (const char* next = statements; next && *next;) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, next, -1, &statement, &next) != SQLITE_OK)
            break;
        const int rc = sqlite3_step(statement);
        const auto* text = rc == SQLITE_ROW ? sqlite3_column_text(statement, 0) : nullptr;
        result = text ? reinterpret_cast<const char*>(text) : rc == SQLITE_DONE ? "" : "<error>";
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

QStringList asideFiles(const std::string& databasePath) {
    const QFileInfo database(QString::fromStdString(databasePath));
    return database.dir().entryList({database.fileName() + ".corrupt-*"},
                                    QDir::AllEntries | QDir::Hidden, QDir::Name);
}

// Every write that the writer reported complete is in the database, byte for byte.
void verifyBurst(const QByteArray& output, int minimum) {
    QList<QByteArray> lines = output.split('\n');
    lines.removeLast(); // empty, or torn by the kill
    QVERIFY2(lines.size() >= minimum, output.right(100).constData());
    for (const QByteArray& line : lines) {
        const std::string name = line.toStdString();
        const auto stored =
            RegistrySandbox::value(registryburst::keyPathFor(std::stoul(name.substr(1))), name);
        QVERIFY2(stored.status == 0 && stored.bytes == registryburst::bytesFor(name), name.c_str());
    }
}

} // namespace

// The per-user registry store: key paths, exact values, unusable files and crashing writers.
class TestRegistry : public QObject {
    Q_OBJECT

private slots:
    void databaseLocation_data() {
        QTest::addColumn<QByteArray>("configHome"); // "@" stands for the home folder
        QTest::addColumn<QString>("folder");        // below the home folder
        QTest::newRow("XDG_CONFIG_HOME") << QByteArray("@/conf/") << "conf/pictavo";
        QTest::newRow("relative: ignored") << QByteArray("conf") << ".config/pictavo";
    }

    void databaseLocation() {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, folder);
        RegistrySandbox sandbox; // restores XDG_CONFIG_HOME afterwards
        const QByteArray previousHome = qgetenv("HOME");
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", previousHome); });
        const QString home = QString::fromStdString(sandbox.configHome()) + "/home";
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", configHome.replace('@', QFile::encodeName(home)));

        const QString database = home + "/" + folder + "/registry.db";
        QCOMPARE(QString::fromStdString(registryDatabasePath()), database);
        QVERIFY(RegistrySandbox::keyExists("")); // the first operation creates folder and file
        const QFileDevice::Permissions everyone(0x7077);
        QCOMPARE(QFile::permissions(home + "/" + folder) & everyone,
                 QFileDevice::Permissions(0x7000));
        QCOMPARE(QFile::permissions(database) & everyone, QFileDevice::Permissions(0x6000));
    }

    void keyPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("as created") << "Software\\Zelmar Inc.\\1.0" << 0;
        QTest::newRow("trailing backslash") << "Software\\Zelmar Inc.\\1.0\\" << 0;
        QTest::newRow("other ASCII case") << "SOFTWARE\\zelmar inc.\\1.0" << 0;
        QTest::newRow("doubled and leading backslashes") << "\\Software\\\\Zelmar Inc.\\1.0" << 0;
        QTest::newRow("missing last level")
            << "Software\\Zelmar Inc.\\2.0" << int(ErrorFileNotFound);
        QTest::newRow("no case folding beyond ASCII")
            << "Software\\Zelmar Inc.\\1.0\\Ä" << int(ErrorFileNotFound);
    }

    void keyPaths() {
        QFETCH(QString, path);
        QFETCH(int, status);
        RegistrySandbox sandbox;
        RegistrySandbox::setValue("Software\\Zelmar Inc.\\1.0", "Marker", RegSz, "here");
        RegistrySandbox::setValue("Software\\Zelmar Inc.\\1.0\\ä", "Marker", RegSz, "below");

        RegKey key = RegNoKey;
        QCOMPARE(regOpenKey(RegCurrentUser, path.toStdString(), key), status);
        RegKey same = RegNoKey; // the empty path: a new handle to the key itself
        QCOMPARE(regOpenKey(key, "", same), status ? RegErrorInvalidHandle : 0);
        std::uint32_t type = 0;
        std::string marker;
        QCOMPARE(regReadValue(same, "Marker", type, marker), status ? RegErrorInvalidHandle : 0);
        QCOMPARE(marker, std::string(status ? "" : "here"));
        regCloseKey(same);
        regCloseKey(key);
        QCOMPARE(regOpenKeyCount(), 0);
        QCOMPARE(RegistrySandbox::keyExists(path.toStdString()), status == 0); // none created
    }

    void values_data() {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray all(256, '\0');
        for (int i = 0; i < all.size(); ++i)
            all[i] = char(i);
        QTest::newRow("empty text: zero bytes") << uint(RegSz) << QByteArray("");
        QTest::newRow("zero byte inside") << uint(RegSz) << QByteArray("ab\0cd", 5);
        QTest::newRow("every byte") << uint(RegBinary) << all;
        QTest::newRow("unknown type") << uint(0xFFFFFFFFu) << QByteArray(70000, 'x');
    }

    void values() {
        QFETCH(uint, type);
        QFETCH(QByteArray, bytes);
        RegistrySandbox sandbox;
        RegistrySandbox::setValue("Software", "Value", RegDword, RegistrySandbox::dword(1));
        // Replaces it, and both names keep the spelling they were first given.
        RegistrySandbox::setValue("SOFTWARE", "VALUE", type, bytes.toStdString());
        regCloseDatabase(); // what comes back comes from the file

        RegKey key = RegNoKey;
        QCOMPARE(regOpenKey(RegCurrentUser, "Software", key), 0);
        std::uint32_t queried = 0;
        std::size_t size = 0;
        QCOMPARE(regQueryValue(key, "value", queried, size), 0);
        QCOMPARE(queried, type);
        QCOMPARE(size, std::size_t(bytes.size()));
        QCOMPARE(regQueryValue(key, "Missing", queried, size), int(ErrorFileNotFound));
        regCloseKey(key);
        const auto stored = RegistrySandbox::value("Software", "Value");
        QCOMPARE(stored.type, type);
        QCOMPARE(QByteArray::fromStdString(stored.bytes), bytes);
        QCOMPARE(sql(sandbox.databasePath(), "SELECT (SELECT name FROM reg_keys WHERE id > 1) || "
                                             "name || typeof(data) FROM reg_values"),
                 "SoftwareValueblob");
    }

    void unusableFiles_data() {
        QTest::addColumn<QByteArray>("content"); // "<dir>" makes a directory
        QTest::addColumn<QByteArray>("wal");     // a side file left beside it
        QTest::addColumn<QByteArray>("schema");  // run on the file beforehand
        QTest::addColumn<int>("status");         // of the first operation
        QTest::addColumn<bool>("movedAside");
        const auto row = [](const char* what, const QByteArray& content, const QByteArray& wal,
                            const QByteArray& schema, int status = 0, bool movedAside = true) {
            QTest::newRow(what) << content << wal << schema << status << movedAside;
        };
        row("garbage with a wal", "no database\n", "stale", {});
        row("directory", "<dir>", {}, {});
        row("foreign database", {}, {}, "CREATE TABLE t (x)");
        row("empty file with a wal", "", "x", {});
        row("empty file is used", "", {}, {}, 0, false);
        row("newer registry is left alone", {}, {},
            "PRAGMA application_id = 1346589782; PRAGMA user_version = 2", RegErrorBadDatabase,
            false);
    }

    void unusableFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, wal);
        QFETCH(QByteArray, schema);
        QFETCH(int, status);
        QFETCH(bool, movedAside);
        RegistrySandbox sandbox;
        const std::string db = sandbox.databasePath();
        const QString file = QString::fromStdString(db);
        QVERIFY(
            QDir().mkpath(QFileInfo(file).path() + (content == "<dir>" ? "/registry.db/x" : "")));
        if (!content.isNull() && content != "<dir>")
            writeAll(file, content);
        if (!wal.isNull())
            writeAll(file + "-wal", wal);
        if (!schema.isNull())
            QCOMPARE(sql(db, schema.constData()), "");
        const QByteArray before = readAll(file);

        RegKey key = RegNoKey;
        QCOMPARE(regCreateKey(RegCurrentUser, "Software", key), status);
        regCloseKey(key);
        const QStringList aside = asideFiles(db);
        if (!movedAside) {
            QCOMPARE(aside, QStringList());
            QCOMPARE(sql(db, "PRAGMA user_version"), status ? "2" : "1");
            return;
        }
        QCOMPARE(aside.size(), wal.isNull() ? 1 : 2);
        QVERIFY(aside.first().startsWith("registry.db.corrupt-20"));
        const QString asidePath = QFileInfo(file).dir().filePath(aside.first());
        QCOMPARE(readAll(asidePath), before);
        QVERIFY(content != "<dir>" || QFile::exists(asidePath + "/x"));
        if (!wal.isNull())
            QCOMPARE(readAll(asidePath + "-wal"), wal);
        // A fresh database that holds the new key and nothing else.
        QCOMPARE(sql(db, "SELECT count(*) || (SELECT count(*) FROM reg_values) FROM reg_keys"),
                 "20");
        QCOMPARE(sql(db, "PRAGMA journal_mode"), "wal");
    }

    // The writer runs until it is killed, which lands at an unknown point of a write. The
    // registry's own open must then recover every returned write from what was left.
    void killedWriterKeepsEveryReturnedWrite() {
        RegistrySandbox sandbox;
        QProcess writer;
        writer.start(QStringLiteral(REGISTRY_WRITER), {"k", "0"});
        QByteArray output;
        while (output.count('\n') < 200) {
            QVERIFY2(writer.waitForReadyRead(30000), writer.readAllStandardError().constData());
            output += writer.readAllStandardOutput();
        }
        writer.kill(); // SIGKILL
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        output += writer.readAllStandardOutput();
        QVERIFY(QFileInfo(QString::fromStdString(sandbox.databasePath() + "-wal")).size() > 0);

        verifyBurst(output, 200);
        QCOMPARE(asideFiles(sandbox.databasePath()), QStringList());
        regCloseDatabase();
        QCOMPARE(sql(sandbox.databasePath(), "PRAGMA integrity_check"), "ok");
    }

    // Writers released at one moment create the same keys and write small values into them,
    // one transaction each, so that they keep running into each other's locks.
    void concurrentWritersKeepTheirValues() {
        RegistrySandbox sandbox;
        const QString gatePath = QString::fromStdString(sandbox.configHome()) + "/gate";
        QFile gate(gatePath);
        QVERIFY(gate.open(QIODevice::WriteOnly) && flock(gate.handle(), LOCK_EX) == 0);
        QProcess writers[4];
        for (QProcess& writer : writers) {
            writer.start(QStringLiteral(REGISTRY_WRITER),
                         {QString(QChar(char16_t(u'a' + (&writer - writers)))), "200", gatePath});
            QVERIFY(writer.waitForStarted());
        }
        QThread::msleep(200); // until every writer waits at the gate
        flock(gate.handle(), LOCK_UN);
        for (QProcess& writer : writers) {
            QVERIFY(writer.waitForFinished(60000));
            QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
            verifyBurst(writer.readAllStandardOutput(), 200);
        }
        QCOMPARE(sql(sandbox.databasePath(), "PRAGMA integrity_check"), "ok");
        QCOMPARE(sql(sandbox.databasePath(), "SELECT count(*) FROM reg_keys"), "10");
    }
};

PICTAVO_TEST_MAIN(TestRegistry, QCoreApplication)
#include "tst_registry.moc"
