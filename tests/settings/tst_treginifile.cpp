#include "platform/ErrorCodes.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/ERegistryException.h"
#include "settings/TRegIniFile.h"
#include "tests/support/TestEnvironment.h"

#include <optional>

using platform::Operation;
using platform::RegistrySandbox;

namespace {

const std::string Base = "Software\\Zelmar Inc.\\Pictavo\\";
const std::string Settings = "Software\\Zelmar Inc.\\Pictavo\\1.0";

template <typename Call>
QString raised(Call call) {
    try {
        call();
    } catch (const ERegistryException& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

} // namespace

class TestTRegIniFile : public QObject {
    Q_OBJECT

private slots:
    void firstStart();
    void emptyTextIsNotMissing();
    void numbersAndFlags_data();
    void numbersAndFlags();
    void integerKeepSizeRaises();
    void sections_data();
    void sections();
    void failures_data();
    void failures();
    void baseKeyUnavailable();
};

void TestTRegIniFile::firstStart() {
    RegistrySandbox sandbox;
    {
        TRegIniFile store(Base);
        QCOMPARE(store.BasePath(), Base);
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

void TestTRegIniFile::emptyTextIsNotMissing() {
    RegistrySandbox sandbox;
    TRegIniFile store(Base);
    store.WriteText("1.0", "Filename", "");
    QCOMPARE(RegistrySandbox::value(Settings, "Filename").bytes, std::string());
    QCOMPARE(store.ReadText("1.0", "Filename", "index.html"), std::string());
    QCOMPARE(store.ReadText("1.0", "ImageHeight", "default"), std::string("default"));
}

void TestTRegIniFile::numbersAndFlags_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number"); // ReadNumber with default 1, the ReadFlag default true
    QTest::newRow("1") << QByteArray("1") << 1;
    QTest::newRow("-1") << QByteArray("-1") << -1;
    QTest::newRow("0x10") << QByteArray("0x10") << 16;
    QTest::newRow("0X1F") << QByteArray("0X1F") << 31;
    QTest::newRow("$1") << QByteArray("$1") << 1;
    QTest::newRow("$FFFFFFFF") << QByteArray("$FFFFFFFF") << -1;
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
    QTest::newRow("out of range: default") << QByteArray("2147483648") << 1;
    QTest::newRow("zero byte ends the text") << QByteArray("0\0"
                                                           "5",
                                                           3)
                                             << 0;
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
    QCOMPARE(raised([&] { store.ReadNumber("1.0", "KeepSize", 1); }), message);
    QCOMPARE(raised([&] { store.ReadText("1.0", "KeepSize", "1"); }), message);
    // The store stays usable: the base key is active again, the section key released.
    store.WriteFlag("1.0", "KeepSize", false);
    QCOMPARE(store.ReadFlag("1.0", "KeepSize", true), false);
    QCOMPARE(RegistrySandbox::value(Settings, "KeepSize").bytes, std::string("0"));
    QCOMPARE(platform::regOpenKeyCount(), 1);
}

void TestTRegIniFile::sections_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key"); // where the value lands
    QTest::newRow("relative") << "1.0" << QString::fromStdString(Settings);
    QTest::newRow("nested") << "1.0\\Extra" << QString::fromStdString(Settings + "\\Extra");
    QTest::newRow("leading backslash: below the root") << "\\1.0"
                                                       << "1.0";
    QTest::newRow("empty: the base key") << "" << QString::fromStdString(Base);
}

void TestTRegIniFile::sections() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    RegistrySandbox sandbox;
    TRegIniFile store(Base);
    store.WriteText(section.toStdString(), "CurPath", "C:\\PICS");
    QCOMPARE(RegistrySandbox::value(key.toStdString(), "CurPath").bytes, std::string("C:\\PICS"));
    QCOMPARE(store.ReadText(section.toStdString(), "CurPath", ""), std::string("C:\\PICS"));
    QCOMPARE(platform::regOpenKeyCount(), 1);
}

void TestTRegIniFile::failures_data() {
    QTest::addColumn<bool>("write");     // WriteText, else ReadText
    QTest::addColumn<QString>("before"); // "value" stored beforehand, only its "key", or ""
    QTest::addColumn<int>("operation");  // made to fail
    QTest::addColumn<QString>("result"); // read result, or the text now stored
    QTest::addColumn<QString>("error");
    const int none = int(Operation::Count);
    QTest::newRow("read: no section key") << false << "" << none << "default"
                                          << "";
    QTest::newRow("read: section key cannot be opened")
        << false << "value" << int(Operation::RegOpenKey) << "default"
        << "";
    QTest::newRow("read: value missing") << false << "key" << none << "default"
                                         << "";
    QTest::newRow("read: value cannot be queried")
        << false << "value" << int(Operation::RegQueryValue) << "default"
        << "";
    QTest::newRow("read: bytes cannot be read")
        << false << "value" << int(Operation::RegReadValue) << ""
        << "Failed to get data for 'Name'";
    QTest::newRow("write: section key cannot be created")
        << true << "value" << int(Operation::RegCreateKey) << "old"
        << "Failed to create key 1.0";
    QTest::newRow("write: section key cannot be opened, skipped")
        << true << "value" << int(Operation::RegOpenKey) << "old"
        << "";
    QTest::newRow("write: value cannot be stored")
        << true << "value" << int(Operation::RegSetValue) << "old"
        << "Failed to set data for 'Name'";
    QTest::newRow("write: stored") << true << "value" << none << "new"
                                   << "";
}

void TestTRegIniFile::failures() {
    QFETCH(bool, write);
    QFETCH(QString, before);
    QFETCH(int, operation);
    QFETCH(QString, result);
    QFETCH(QString, error);
    RegistrySandbox sandbox;
    if (before == "value")
        RegistrySandbox::setValue(Settings, "Name", platform::RegSz, "old");
    else if (before == "key")
        RegistrySandbox::setValue(Settings, "Other", platform::RegSz, "old");
    TRegIniFile store(Base);
    const platform::RegKey baseKey = store.ActiveHandle();
    QVERIFY(baseKey != platform::RegNoKey);
    std::string read;
    {
        platform::FaultInjector faults;
        if (operation != int(Operation::Count))
            faults.fail(Operation(operation), platform::ErrorAccessDenied);
        QCOMPARE(raised([&] {
                     if (write)
                         store.WriteText("1.0", "Name", "new");
                     else
                         read = store.ReadText("1.0", "Name", "default");
                 }),
                 error);
    }
    QCOMPARE(QString::fromStdString(write ? RegistrySandbox::value(Settings, "Name").bytes : read),
             result);
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

PICTAVO_TEST_MAIN(TestTRegIniFile, QCoreApplication)
#include "tst_treginifile.moc"
