#include "platform/ErrorCodes.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/ERegistryException.h"
#include "settings/TRegistry.h"
#include "tests/support/TestEnvironment.h"

#include <optional>

using platform::Operation;
using platform::RegistrySandbox;

namespace {

// What the call raised, empty when it returned.
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

class TestTRegistry : public QObject {
    Q_OBJECT

private slots:
    void openPath_data();
    void openPath();
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
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("marker"); // of the active key afterwards
    QTest::newRow("below the root") << ""
                                    << "Software\\A" << false << true << "A";
    QTest::newRow("below the active key") << "Software\\A"
                                          << "B" << false << true << "B";
    QTest::newRow("leading backslash") << "Software\\A"
                                       << "\\Software\\A\\B" << true << true << "B";
    QTest::newRow("trailing backslash") << ""
                                        << "Software\\A\\" << true << true << "A";
    QTest::newRow("empty path: the active key") << "Software\\A"
                                                << "" << true << true << "A";
    QTest::newRow("empty path: the root") << ""
                                          << "" << false << true << "root";
    QTest::newRow("missing, not created") << "Software\\A"
                                          << "C" << false << false << "A";
    QTest::newRow("created with its parents") << "Software\\A"
                                              << "C\\D" << true << true << "";
    QTest::newRow("create fails") << "Software\\A"
                                  << "!C" << true << false << "A";
}

void TestTRegistry::openPath() {
    QFETCH(QString, first);
    QFETCH(QString, path);
    QFETCH(bool, mayCreate);
    QFETCH(bool, result);
    QFETCH(QString, marker);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue("", "Marker", platform::RegSz, "root");
    RegistrySandbox::setValue("Software\\A", "Marker", platform::RegSz, "A");
    RegistrySandbox::setValue("Software\\A\\B", "Marker", platform::RegSz, "B");
    std::optional<platform::FaultInjector> faults;
    {
        TRegistry registry;
        QCOMPARE(registry.RootHandle(), platform::RegCurrentUser);
        QCOMPARE(registry.ActiveHandle(), platform::RegNoKey);
        if (!first.isEmpty())
            QVERIFY(registry.OpenPath(first.toStdString(), false));
        if (path.startsWith('!'))
            faults.emplace().fail(Operation::RegCreateKey, platform::ErrorAccessDenied);

        QCOMPARE(registry.OpenPath(path.remove('!').toStdString(), mayCreate), result);
        QCOMPARE(QString::fromStdString(registry.ReadValueText("Marker")), marker);
        QCOMPARE(platform::regOpenKeyCount(), 1); // a replaced key is released
    }
    QCOMPARE(platform::regOpenKeyCount(), 0); // and the active one with the object
    QCOMPARE(RegistrySandbox::keyExists("Software\\A\\C"), result && path.startsWith("C"));
}

void TestTRegistry::createPath() {
    RegistrySandbox sandbox;
    TRegistry registry;
    QVERIFY(registry.OpenPath("Software", true));
    QVERIFY(registry.CreatePath("New\\Deep"));
    QVERIFY(RegistrySandbox::keyExists("Software\\New\\Deep"));
    QCOMPARE(platform::regOpenKeyCount(), 1); // the created key was released
    platform::FaultInjector faults;
    faults.fail(Operation::RegCreateKey, platform::ErrorAccessDenied);
    QCOMPARE(raised([&] { registry.CreatePath("\\Software\\X"); }),
             "Failed to create key \\Software\\X");
}

void TestTRegistry::readValueText_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("bytes"); // null: no value
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const uint sz = platform::RegSz;
    const QString invalid = "Invalid data type for 'Value'";
    QTest::newRow("missing") << sz << QByteArray() << false << QByteArray("") << "";
    QTest::newRow("zero byte inside")
        << sz << QByteArray("ab\0cd", 5) << false << QByteArray("ab") << "";
    QTest::newRow("expandable text, unexpanded")
        << uint(platform::RegExpandSz) << QByteArray("%HOME%") << false << QByteArray("%HOME%")
        << "";
    QTest::newRow("no bytes, whatever the type")
        << uint(platform::RegDword) << QByteArray("") << false << QByteArray("") << "";
    QTest::newRow("integer") << uint(platform::RegDword) << QByteArray("\1\0\0\0", 4) << false
                             << QByteArray() << invalid;
    QTest::newRow("binary") << uint(platform::RegBinary) << QByteArray("x") << false << QByteArray()
                            << invalid;
    QTest::newRow("other type") << 7u << QByteArray("x") << false << QByteArray() << invalid;
    QTest::newRow("reading fails")
        << sz << QByteArray("abc") << true << QByteArray() << "Failed to get data for 'Value'";
}

void TestTRegistry::readValueText() {
    QFETCH(uint, type);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readFails);
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue("Software", "Other", platform::RegSz, "x");
    if (!bytes.isNull())
        RegistrySandbox::setValue("Software", "Value", type, bytes.toStdString());
    TRegistry registry;
    QVERIFY(registry.OpenPath("Software", false));
    std::optional<platform::FaultInjector> faults;
    if (readFails)
        faults.emplace().fail(Operation::RegReadValue, platform::ErrorAccessDenied);

    QCOMPARE(registry.HasValue("value"), !bytes.isNull());
    std::string read;
    QCOMPARE(raised([&] { read = registry.ReadValueText("Value"); }), error);
    QCOMPARE(QByteArray::fromStdString(read), text);
}

void TestTRegistry::writeValueText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("setFails");
    QTest::newRow("three characters, three bytes") << QByteArray("abc") << true << false;
    QTest::newRow("empty text, no bytes") << QByteArray("") << true << false;
    QTest::newRow("bytes unchanged") << QByteArray("\xe4\x01 x", 4) << true << false;
    QTest::newRow("storing fails") << QByteArray("abc") << true << true;
    QTest::newRow("no active key") << QByteArray("abc") << false << false;
}

void TestTRegistry::writeValueText() {
    QFETCH(QByteArray, text);
    QFETCH(bool, active);
    QFETCH(bool, setFails);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue("Software", "Value", platform::RegDword, "");
    TRegistry registry;
    if (active)
        QVERIFY(registry.OpenPath("Software", false));
    std::optional<platform::FaultInjector> faults;
    if (setFails)
        faults.emplace().fail(Operation::RegSetValue, platform::ErrorDiskFull);

    const bool fails = setFails || !active;
    QCOMPARE(raised([&] { registry.WriteValueText("Value", text.toStdString()); }),
             fails ? "Failed to set data for 'Value'" : "");
    const auto stored = RegistrySandbox::value("Software", "Value");
    QCOMPARE(stored.type, uint(fails ? platform::RegDword : platform::RegSz));
    QCOMPARE(QByteArray::fromStdString(stored.bytes), fails ? QByteArray("") : text);
}

PICTAVO_TEST_MAIN(TestTRegistry, QCoreApplication)
#include "tst_tregistry.moc"
