#include "platform/ErrorCodes.h"
#include "platform/Faults.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/ERegistryException.h"
#include "settings/TRegistry.h"
#include "tests/settings/RawRegistry.h"
#include "tests/support/TestEnvironment.h"

#include <memory>
#include <optional>

using platform::Operation;

namespace {

// The text of the active key's "Marker" value, which tells the keys of the tests apart.
std::string activeMarker(TRegistry& registry) {
    return registry.HasValue("Marker") ? registry.ReadValueText("Marker") : "";
}

// What a call raised, or nothing.
template <typename Call>
std::string raised(Call call) {
    try {
        call();
    } catch (const ERegistryException& error) {
        return error.what();
    }
    return "";
}

} // namespace

class TestTRegistry : public QObject {
    Q_OBJECT

private slots:
    void openPath_data();
    void openPath();
    void createPath_data();
    void createPath();
    void readValueText_data();
    void readValueText();
    void writeValueText_data();
    void writeValueText();
};

void TestTRegistry::openPath_data() {
    QTest::addColumn<QString>("first"); // opened before; empty: no key active
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("mayCreate");
    QTest::addColumn<bool>("createFails");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("marker"); // of the active key afterwards
    QTest::addColumn<QString>("exists"); // a key that must exist afterwards, or must not ("!")

    QTest::newRow("below the root without an active key")
        << ""
        << "Software\\A" << false << false << true << "A"
        << "";
    QTest::newRow("below the active key") << "Software\\A"
                                          << "B" << false << false << true << "B"
                                          << "";
    QTest::newRow("leading backslash: below the root")
        << "Software\\A"
        << "\\Software\\A\\B" << true << false << true << "B"
        << "";
    QTest::newRow("trailing backslash adds no level")
        << ""
        << "Software\\A\\" << true << false << true << "A"
        << "";
    QTest::newRow("empty path: the active key again") << "Software\\A"
                                                      << "" << true << false << true << "A"
                                                      << "";
    QTest::newRow("empty path: the root") << ""
                                          << "" << false << false << true << "root"
                                          << "";
    QTest::newRow("missing key is not opened") << "Software\\A"
                                               << "C" << false << false << false << "A"
                                               << "!Software\\A\\C";
    QTest::newRow("missing key is created with its parents")
        << "Software\\A"
        << "C\\D" << true << false << true << ""
        << "Software\\A\\C\\D";
    QTest::newRow("failed create keeps the active key") << "Software\\A"
                                                        << "C" << true << true << false << "A"
                                                        << "!Software\\A\\C";
}

void TestTRegistry::openPath() {
    QFETCH(QString, first);
    QFETCH(QString, path);
    QFETCH(bool, mayCreate);
    QFETCH(bool, createFails);
    QFETCH(bool, result);
    QFETCH(QString, marker);
    QFETCH(QString, exists);
    platform::RegistrySandbox sandbox;
    rawregistry::set("", "Marker", platform::RegSz, "root");
    rawregistry::set("Software\\A", "Marker", platform::RegSz, "A");
    rawregistry::set("Software\\A\\B", "Marker", platform::RegSz, "B");
    {
        TRegistry registry;
        QCOMPARE(registry.RootHandle(), platform::RegCurrentUser);
        QCOMPARE(registry.ActiveHandle(), platform::RegNoKey);
        if (!first.isEmpty())
            QVERIFY(registry.OpenPath(first.toStdString(), false));
        std::optional<platform::FaultInjector> faults;
        if (createFails)
            faults.emplace().fail(Operation::RegCreateKey, platform::ErrorAccessDenied);

        QCOMPARE(registry.OpenPath(path.toStdString(), mayCreate), result);
        QCOMPARE(QString::fromStdString(activeMarker(registry)), marker);
        QCOMPARE(platform::regOpenKeyCount(), 1); // a replaced key is released
    }
    QCOMPARE(platform::regOpenKeyCount(), 0); // and the active one with the object
    if (exists.startsWith('!'))
        QVERIFY(!rawregistry::keyExists(exists.mid(1).toStdString()));
    else if (!exists.isEmpty())
        QVERIFY(rawregistry::keyExists(exists.toStdString()));
}

void TestTRegistry::createPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QString>("created");
    QTest::addColumn<QString>("error");
    QTest::newRow("below the active key") << "New\\Deep" << false << "Software\\New\\Deep"
                                          << "";
    QTest::newRow("existing key") << "" << false << "Software"
                                  << "";
    QTest::newRow("leading backslash") << "\\Top" << false << "Top"
                                       << "";
    QTest::newRow("failure names the path as given") << "\\Software\\X" << true << ""
                                                     << "Failed to create key \\Software\\X";
}

void TestTRegistry::createPath() {
    QFETCH(QString, path);
    QFETCH(bool, fails);
    QFETCH(QString, created);
    QFETCH(QString, error);
    platform::RegistrySandbox sandbox;
    TRegistry registry;
    QVERIFY(registry.OpenPath("Software", true));
    const platform::RegKey active = registry.ActiveHandle();
    std::optional<platform::FaultInjector> faults;
    if (fails)
        faults.emplace().fail(Operation::RegCreateKey, platform::ErrorAccessDenied);

    QCOMPARE(
        QString::fromStdString(raised([&] { QVERIFY(registry.CreatePath(path.toStdString())); })),
        error);
    QCOMPARE(registry.ActiveHandle(), active);
    QCOMPARE(platform::regOpenKeyCount(), 1); // the created key was released
    if (!created.isEmpty())
        QVERIFY(rawregistry::keyExists(created.toStdString()));
}

void TestTRegistry::readValueText_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("bytes"); // a null array: no value
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<bool>("has");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const uint sz = platform::RegSz;
    QTest::newRow("missing") << sz << QByteArray() << false << false << QByteArray("") << "";
    QTest::newRow("text") << sz << QByteArray("abc") << false << true << QByteArray("abc") << "";
    QTest::newRow("zero byte inside")
        << sz << QByteArray("ab\0cd", 5) << false << true << QByteArray("ab") << "";
    QTest::newRow("expandable text is not expanded")
        << uint(platform::RegExpandSz) << QByteArray("%HOME%\\x") << false << true
        << QByteArray("%HOME%\\x") << "";
    QTest::newRow("no bytes, whatever the type")
        << uint(platform::RegDword) << QByteArray("") << false << true << QByteArray("") << "";
    QTest::newRow("integer") << uint(platform::RegDword) << QByteArray("\1\0\0\0", 4) << false
                             << true << QByteArray() << "Invalid data type for 'Value'";
    QTest::newRow("binary") << uint(platform::RegBinary) << QByteArray("x") << false << true
                            << QByteArray() << "Invalid data type for 'Value'";
    QTest::newRow("other type") << 7u << QByteArray("x\0", 2) << false << true << QByteArray()
                                << "Invalid data type for 'Value'";
    QTest::newRow("reading the bytes fails") << sz << QByteArray("abc") << true << true
                                             << QByteArray() << "Failed to get data for 'Value'";
}

void TestTRegistry::readValueText() {
    QFETCH(uint, type);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readFails);
    QFETCH(bool, has);
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    platform::RegistrySandbox sandbox;
    rawregistry::set("Software", "Other", platform::RegSz, "x");
    if (!bytes.isNull())
        rawregistry::set("Software", "Value", type, bytes.toStdString());
    TRegistry registry;
    QVERIFY(registry.OpenPath("Software", false));
    std::optional<platform::FaultInjector> faults;
    if (readFails)
        faults.emplace().fail(Operation::RegReadValue, platform::ErrorAccessDenied);

    QCOMPARE(registry.HasValue("value"), has);
    std::string read;
    QCOMPARE(QString::fromStdString(raised([&] { read = registry.ReadValueText("Value"); })),
             error);
    QCOMPARE(QByteArray::fromStdString(read), text);
}

void TestTRegistry::writeValueText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("setFails");
    QTest::addColumn<QString>("error");
    QTest::newRow("three characters, three bytes") << QByteArray("abc") << true << false << "";
    QTest::newRow("empty text, no bytes") << QByteArray("") << true << false << "";
    QTest::newRow("bytes passed unchanged") << QByteArray("\xe4\x01 x", 4) << true << false << "";
    QTest::newRow("storing fails")
        << QByteArray("abc") << true << true << "Failed to set data for 'Value'";
    QTest::newRow("no active key")
        << QByteArray("abc") << false << false << "Failed to set data for 'Value'";
}

void TestTRegistry::writeValueText() {
    QFETCH(QByteArray, text);
    QFETCH(bool, active);
    QFETCH(bool, setFails);
    QFETCH(QString, error);
    platform::RegistrySandbox sandbox;
    rawregistry::set("Software", "Value", platform::RegDword, rawregistry::dword(5));
    TRegistry registry;
    if (active)
        QVERIFY(registry.OpenPath("Software", false));
    std::optional<platform::FaultInjector> faults;
    if (setFails)
        faults.emplace().fail(Operation::RegSetValue, platform::ErrorDiskFull);

    QCOMPARE(QString::fromStdString(
                 raised([&] { registry.WriteValueText("Value", text.toStdString()); })),
             error);
    const rawregistry::Value stored = rawregistry::get("Software", "Value");
    if (error.isEmpty()) {
        QCOMPARE(stored.type, uint(platform::RegSz));
        QCOMPARE(QByteArray::fromStdString(stored.bytes), text);
    } else {
        QCOMPARE(stored.bytes, rawregistry::dword(5));
    }
}

PICTAVO_TEST_MAIN(TestTRegistry, QCoreApplication)
#include "tst_tregistry.moc"
