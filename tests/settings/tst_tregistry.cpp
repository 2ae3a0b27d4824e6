#include "platform/errors/ErrorCodes.h"
#include "platform/testing/FaultInjector.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/ERegistryException.h"
#include "settings/TRegistry.h"
#include "tests/support/TestEnvironment.h"

using platform::Operation;
using platform::RegistrySandbox;

namespace {
// What the call returned, or the message it raised.
template <typename Call>
QByteArray outcome(Call call) {
    try {
        return QByteArray::fromStdString(call());
    } catch (const ERegistryException& error) {
        return error.what();
    }
}
} // namespace

// TRegistry on a sandboxed registry: path resolution, ownership of the active key, byte-exact
// text values and the exception of each failure.
class TestTRegistry : public QObject {
    Q_OBJECT

private slots:
    void openPath_data();
    void openPath();
    void createPathFails();
    void readValueText_data();
    void readValueText();
};

void TestTRegistry::openPath_data() {
    QTest::addColumn<QString>("first"); // opened before; empty: no key active
    QTest::addColumn<bool>("mayCreate");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("marker"); // of the active key afterwards
    QTest::newRow("below the root") << "" << false << "Software\\A" << true << "A";
    QTest::newRow("below the active key") << "Software\\A" << false << "B" << true << "B";
    QTest::newRow("leading backslash")
        << "Software\\A" << true << "\\Software\\A\\B" << true << "B";
    QTest::newRow("empty path: opened, not created") << "Software\\A" << true << "" << true << "A";
    QTest::newRow("missing, not created") << "Software\\A" << false << "C" << false << "A";
    QTest::newRow("created with its parents") << "Software\\A" << true << "C\\D" << true << "";
}

void TestTRegistry::openPath() {
    QFETCH(QString, first);
    QFETCH(bool, mayCreate);
    QFETCH(QString, path);
    QFETCH(bool, result);
    QFETCH(QString, marker);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue("Software\\A", "Marker", platform::RegSz, "A");
    RegistrySandbox::setValue("Software\\A\\B", "Marker", platform::RegSz, "B");
    {
        TRegistry registry;
        if (!first.isEmpty())
            QVERIFY(registry.OpenPath(first.toStdString(), false));
        QCOMPARE(registry.OpenPath(path.toStdString(), mayCreate), result);
        QCOMPARE(QString::fromStdString(registry.ReadValueText("Marker")), marker);
        QCOMPARE(platform::regOpenKeyCount(), 1); // a replaced key is released
    }
    QCOMPARE(platform::regOpenKeyCount(), 0); // and the active one with the object
    QCOMPARE(RegistrySandbox::keyExists("Software\\A\\C"), result && path.startsWith("C"));
}

// The message names the path as the caller gave it, backslash included.
void TestTRegistry::createPathFails() {
    RegistrySandbox sandbox;
    TRegistry registry;
    platform::FaultInjector faults;
    faults.fail(Operation::RegCreateKey, platform::ErrorAccessDenied);
    QCOMPARE(outcome([&] { return std::to_string(registry.CreatePath("\\Software\\X")); }),
             "Failed to create key \\Software\\X");
}

void TestTRegistry::readValueText_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("bytes"); // null: no value
    QTest::addColumn<QByteArray>("outcome");
    const uint sz = platform::RegSz;
    QTest::newRow("missing") << sz << QByteArray() << QByteArray();
    QTest::newRow("zero byte inside") << sz << QByteArray("ab\0cd", 5) << QByteArray("ab");
    QTest::newRow("expandable text, unexpanded")
        << uint(platform::RegExpandSz) << QByteArray("%HOME%") << QByteArray("%HOME%");
    QTest::newRow("no bytes, whatever the type")
        << uint(platform::RegDword) << QByteArray("") << QByteArray();
}

void TestTRegistry::readValueText() {
    QFETCH(uint, type);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, outcome);
    RegistrySandbox sandbox;
    RegistrySandbox::setValue("Software", "Other", platform::RegSz, "x");
    if (!bytes.isNull())
        RegistrySandbox::setValue("Software", "Value", type, bytes.toStdString());
    TRegistry registry;
    QVERIFY(registry.OpenPath("Software", false));
    QCOMPARE(registry.HasValue("value"), !bytes.isNull());
    QCOMPARE(::outcome([&] { return registry.ReadValueText("Value"); }), outcome);
}

PICTAVO_TEST_MAIN(TestTRegistry, QCoreApplication)
#include "tst_tregistry.moc"
