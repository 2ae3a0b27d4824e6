#include "platform/testing/RegistrySandbox.h"
#include "tests/settings/PlacedWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QScreen>
#include <QWidget>

#include <memory>

using platform::RegistrySandbox;

namespace {

// Numbers as REG_DWORD, bytes as REG_BINARY.
void store(const std::string& key, const QVariantMap& values) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        const bool number = it.value().typeId() != QMetaType::QByteArray;
        RegistrySandbox::setValue(key, it.key().toStdString(),
                                  number ? platform::RegDword : platform::RegBinary,
                                  number ? RegistrySandbox::dword(it.value().toInt())
                                         : it.value().toByteArray().toStdString());
    }
}

} // namespace

// TPersWindow on a sandboxed registry: which stored bounds a window takes when it is loaded,
// and which of its bounds it leaves behind when it goes.
class TestTPersWindow : public QObject {
    Q_OBJECT

private slots:
    void restore_data();
    void restore();
    void save_data();
    void save();
};

void TestTPersWindow::restore_data() {
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QRect>("frame"); // expected; the frame adds 2 pixels on each side
    const QRect designed(100, 120, 304, 204);
    const QVariantMap all{{"WinHeight", 300}, {"WinLeft", 10}, {"WinTop", 20}, {"WinWidth", 500}};
    QTest::newRow("nothing stored: designed bounds") << QVariantMap() << QVariantMap() << designed;
    QTest::newRow("edges at -1 and 1")
        << QVariantMap() << QVariantMap{{"WinLeft", -1}, {"WinTop", 1}} << QRect(-1, 1, 304, 204);
    QTest::newRow("SetHeight and SetLeft false")
        << QVariantMap{{"SetHeight", false}, {"SetLeft", false}} << all << QRect(100, 20, 500, 204);
    QTest::newRow("empty value names")
        << QVariantMap{{"RgNameHeight", text("")},
                       {"RgNameLeft", text("")},
                       {"RgNameTop", text("")},
                       {"RgNameWidth", text("")}}
        << QVariantMap{{"Height", 250}, {"Left", 5}, {"Top", 6}, {"Width", 260}, {"WinLeft", 50}}
        << QRect(5, 6, 260, 250);
    QTest::newRow("empty RegPath reads at the root")
        << QVariantMap{{"RegPath", text("")}} << all << QRect(10, 20, 500, 300);
    QTest::newRow("two bytes of another type fill the low end")
        << QVariantMap() << QVariantMap{{"WinHeight", QByteArray("\x90\x01", 2)}}
        << QRect(100, 120, 304, 400);
    QTest::newRow("five bytes count as absent")
        << QVariantMap() << QVariantMap{{"WinWidth", QByteArray("\x90\x01\0\0\0", 5)}} << designed;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("a size beyond the screen shrinks to it and moves in")
        << QVariantMap()
        << QVariantMap{{"WinLeft", 50}, {"WinWidth", 0x7fffffff}, {"WinHeight", 0x7fffffff}}
        << screen;
    QTest::newRow("a title bar above the screen moves in")
        << QVariantMap()
        << QVariantMap{{"WinLeft", -3}, {"WinTop", -30}, {"WinWidth", 526}, {"WinHeight", 313}}
        << QRect(screen.topLeft(), QSize(526, 313));
    QTest::newRow("Enabled false restores nothing")
        << QVariantMap{{"Enabled", false}} << all << designed;
}

void TestTPersWindow::restore() {
    QFETCH(QVariantMap, properties);
    QFETCH(QVariantMap, stored);
    QFETCH(QRect, frame);
    RegistrySandbox sandbox;
    const std::string key = properties.contains("RegPath") ? "" : Path;
    store(key, stored);
    const auto window = makePlacedWindow(properties);
    // Until it is shown, the position alone tells whether a designed position counts the frame.
    QCOMPARE(QRect(window->pos(), window->frameGeometry().size()), frame);
    // Restoring opens the key with creation; a disabled component never touches it.
    QCOMPARE(RegistrySandbox::keyExists(key),
             properties.value("Enabled", true).toBool() || !stored.isEmpty());
}

void TestTPersWindow::save_data() {
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QVariantMap>("before");   // stored by an earlier run
    QTest::addColumn<QVariantMap>("expected"); // the stored numbers
    // The frame is closed at (40, 50) with an outer size of 324 x 184.
    const QVariantMap closed{
        {"WinHeight", 184}, {"WinLeft", 40}, {"WinTop", 50}, {"WinWidth", 324}};
    QVariantMap keptHeight = closed;
    keptHeight["WinHeight"] = 333;
    QTest::newRow("SaveHeight false keeps the older height")
        << QVariantMap{{"SaveHeight", false}} << QVariantMap{{"WinHeight", 333}} << keptHeight;
    QTest::newRow("empty value names")
        << QVariantMap{{"RgNameHeight", text("")}, {"RgNameWidth", text("")}} << QVariantMap()
        << QVariantMap{{"Height", 184}, {"WinLeft", 40}, {"WinTop", 50}, {"Width", 324}};
    QTest::newRow("empty RegPath saves nothing")
        << QVariantMap{{"RegPath", text("")}} << QVariantMap() << QVariantMap();
    QTest::newRow("Enabled false saves nothing")
        << QVariantMap{{"Enabled", false}} << QVariantMap() << QVariantMap();
}

void TestTPersWindow::save() {
    QFETCH(QVariantMap, properties);
    QFETCH(QVariantMap, before);
    QFETCH(QVariantMap, expected);
    RegistrySandbox sandbox;
    store(Path, before);
    auto window = makePlacedWindow(properties);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->move(40, 50);
    window->resize(320, 180);
    const QRect frame = window->frameGeometry();
    QCOMPARE(frame, QRect(40, 50, 324, 184));
    window->close();
    window.reset(); // the component goes with its window and saves

    const std::string key = properties.contains("RegPath") ? "" : Path;
    for (const char* name :
         {"Height", "Left", "Top", "Width", "WinHeight", "WinLeft", "WinTop", "WinWidth"}) {
        const RegistrySandbox::Value value = RegistrySandbox::value(key, name);
        const QVariant wanted = expected.value(name);
        QVERIFY2(value.status == 0 ? wanted.isValid() && value.type == platform::RegDword &&
                                         value.bytes == RegistrySandbox::dword(wanted.toInt())
                                   : !wanted.isValid(),
                 name);
    }
    const bool enabled = properties.value("Enabled", true).toBool();
    QCOMPARE(RegistrySandbox::keyExists(Path),
             !before.isEmpty() || (enabled && !properties.contains("RegPath")));
}

PICTAVO_TEST_MAIN(TestTPersWindow, QApplication)
#include "tst_tperswindow.moc"
