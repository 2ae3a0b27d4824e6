#include "platform/testing/RegistrySandbox.h"
#include "settings/TPersWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QMetaProperty>
#include <QWidget>

#include <memory>

using platform::RegistrySandbox;

namespace {

const std::string Path = "Software\\Zelmar Inc.\\Pictavo\\1.0";
const QRect Designed(100, 120, 300, 200); // inner geometry, as a layout gives it

QVariant text(const char* value) {
    return QVariant::fromValue(std::string(value));
}

// A window with its placement component, named as the main window names it, plus the
// properties of the row.
std::unique_ptr<QWidget> makeWindow(const QVariantMap& properties, TPersWindow** component) {
    auto window = std::make_unique<QWidget>();
    window->setGeometry(Designed);
    auto* persWindow = new TPersWindow(window.get());
    persWindow->setRegPath(Path);
    persWindow->setRgNameHeight("WinHeight");
    persWindow->setRgNameLeft("WinLeft");
    persWindow->setRgNameTop("WinTop");
    persWindow->setRgNameWidth("WinWidth");
    for (auto it = properties.begin(); it != properties.end(); ++it)
        persWindow->setProperty(it.key().toLatin1().constData(), it.value());
    *component = persWindow;
    return window;
}

// The key that the row's component uses.
QString keyFor(const QVariantMap& properties) {
    return QString::fromStdString(
        properties.value("RegPath", text(Path.c_str())).value<std::string>());
}

void store(const QString& key, const QVariantMap& values, std::uint32_t type) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        const std::string bytes = it.value().typeId() == QMetaType::QByteArray
                                      ? it.value().toByteArray().toStdString()
                                      : RegistrySandbox::dword(it.value().toInt());
        RegistrySandbox::setValue(key.toStdString(), it.key().toStdString(), type, bytes);
    }
}

} // namespace

class TestTPersWindow : public QObject {
    Q_OBJECT

private slots:
    void construction();
    void restore_data();
    void restore();
    void save_data();
    void save();
};

void TestTPersWindow::construction() {
    RegistrySandbox sandbox;
    QWidget window;
    auto* persWindow = new TPersWindow(&window);
    QCOMPARE(persWindow->OwnerControl(), &window);
    QCOMPARE(persWindow->parent(), &window);
    QVERIFY(window.windowHandle()); // the native window exists
    const QMetaObject* meta = persWindow->metaObject();
    QStringList published;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QVariant value = property.read(persWindow);
        published << QString("%1=%2%3").arg(
            property.name(),
            value.typeId() == QMetaType::Bool ? QString::number(value.toBool())
                                              : QString::fromStdString(value.value<std::string>()),
            property.isStored() ? "" : " (not stored)");
    }
    QCOMPARE(published.join(' '),
             "About= (not stored) Enabled=1 RegPath= RgNameHeight= RgNameLeft= RgNameTop= "
             "RgNameWidth= SaveLeft=1 SaveHeight=1 SaveWidth=1 SaveTop=1 SetLeft=1 SetHeight=1 "
             "SetWidth=1 SetTop=1");
    persWindow->setEnabled(false); // nothing happens when the window goes
}

void TestTPersWindow::restore_data() {
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QVariantMap>("stored"); // REG_DWORD numbers, or bytes of the type below
    QTest::addColumn<uint>("type");
    QTest::addColumn<QRect>("frame"); // expected; the frame adds 2 pixels on each side
    const uint dword = platform::RegDword;
    const QVariantMap all{{"WinHeight", 300}, {"WinLeft", 10}, {"WinTop", 20}, {"WinWidth", 500}};
    QTest::newRow("nothing stored: designed bounds")
        << QVariantMap() << QVariantMap() << dword << QRect(98, 118, 304, 204);
    QTest::newRow("all four") << QVariantMap() << all << dword << QRect(10, 20, 500, 300);
    QTest::newRow("edges at 0 count as absent")
        << QVariantMap() << QVariantMap{{"WinLeft", 0}, {"WinTop", 0}} << dword
        << QRect(98, 118, 304, 204);
    QTest::newRow("edges at -1 and 1")
        << QVariantMap() << QVariantMap{{"WinLeft", -1}, {"WinTop", 1}} << dword
        << QRect(-1, 1, 304, 204);
    QTest::newRow("SetHeight and SetLeft false")
        << QVariantMap{{"SetHeight", false}, {"SetLeft", false}} << all << dword
        << QRect(98, 20, 500, 204);
    QTest::newRow("empty value names")
        << QVariantMap{{"RgNameHeight", text("")},
                       {"RgNameLeft", text("")},
                       {"RgNameTop", text("")},
                       {"RgNameWidth", text("")}}
        << QVariantMap{{"Height", 250}, {"Left", 5}, {"Top", 6}, {"Width", 260}, {"WinLeft", 50}}
        << dword << QRect(5, 6, 260, 250);
    QTest::newRow("empty RegPath reads at the root")
        << QVariantMap{{"RegPath", text("")}} << all << dword << QRect(10, 20, 500, 300);
    QTest::newRow("two bytes of text fill the low end")
        << QVariantMap() << QVariantMap{{"WinHeight", QByteArray("\x90\x01", 2)}}
        << uint(platform::RegSz) << QRect(98, 118, 304, 400);
    QTest::newRow("five bytes count as absent")
        << QVariantMap() << QVariantMap{{"WinWidth", QByteArray("\x90\x01\0\0\0", 5)}}
        << uint(platform::RegBinary) << QRect(98, 118, 304, 204);
    QTest::newRow("Enabled false restores nothing")
        << QVariantMap{{"Enabled", false}} << all << dword << QRect(98, 118, 304, 204);
}

void TestTPersWindow::restore() {
    QFETCH(QVariantMap, properties);
    QFETCH(QVariantMap, stored);
    QFETCH(uint, type);
    QFETCH(QRect, frame);
    RegistrySandbox sandbox;
    store(keyFor(properties), stored, type);
    TPersWindow* persWindow = nullptr;
    const auto window = makeWindow(properties, &persWindow);
    persWindow->Loaded();
    QCOMPARE(window->frameGeometry(), frame);
    // Restoring opens the key with creation; a disabled component never touches it.
    QCOMPARE(RegistrySandbox::keyExists(keyFor(properties).toStdString()),
             persWindow->Enabled() || !stored.isEmpty());
    persWindow->setEnabled(false);
}

void TestTPersWindow::save_data() {
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QVariantMap>("before");   // stored by an earlier run
    QTest::addColumn<bool>("maximise");        // before closing
    QTest::addColumn<QVariantMap>("expected"); // the stored numbers
    // The frame is closed at (40, 50) with an outer size of 324 x 184.
    const QVariantMap closed{
        {"WinHeight", 184}, {"WinLeft", 40}, {"WinTop", 50}, {"WinWidth", 324}};
    QTest::newRow("bounds at closing") << QVariantMap() << QVariantMap() << false << closed;
    QTest::newRow("maximised: the normal bounds")
        << QVariantMap() << QVariantMap() << true << closed;
    QVariantMap keptHeight = closed;
    keptHeight["WinHeight"] = 333;
    QTest::newRow("SaveHeight false keeps the older height")
        << QVariantMap{{"SaveHeight", false}} << QVariantMap{{"WinHeight", 333}} << false
        << keptHeight;
    QTest::newRow("empty value names")
        << QVariantMap{{"RgNameHeight", text("")}, {"RgNameWidth", text("")}} << QVariantMap()
        << false << QVariantMap{{"Height", 184}, {"WinLeft", 40}, {"WinTop", 50}, {"Width", 324}};
    QTest::newRow("empty RegPath saves nothing")
        << QVariantMap{{"RegPath", text("")}} << QVariantMap() << false << QVariantMap();
    QTest::newRow("Enabled false saves nothing")
        << QVariantMap{{"Enabled", false}} << QVariantMap() << false << QVariantMap();
}

void TestTPersWindow::save() {
    QFETCH(QVariantMap, properties);
    QFETCH(QVariantMap, before);
    QFETCH(bool, maximise);
    QFETCH(QVariantMap, expected);
    RegistrySandbox sandbox;
    store(QString::fromStdString(Path), before, platform::RegDword);
    TPersWindow* persWindow = nullptr;
    auto window = makeWindow(properties, &persWindow);
    persWindow->Loaded();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->move(40, 50);
    window->resize(320, 180);
    const QRect frame = window->frameGeometry();
    QCOMPARE(frame, QRect(40, 50, 324, 184));
    if (maximise) {
        window->showMaximized();
        QTRY_VERIFY(window->frameGeometry() != frame);
    }
    window->close();
    window.reset(); // the component goes with its window and saves

    for (const char* name :
         {"Height", "Left", "Top", "Width", "WinHeight", "WinLeft", "WinTop", "WinWidth"}) {
        const RegistrySandbox::Value value = RegistrySandbox::value(Path, name);
        const QVariant wanted = expected.value(name);
        QVERIFY2(value.status == 0 ? wanted.isValid() && value.type == platform::RegDword &&
                                         value.bytes == RegistrySandbox::dword(wanted.toInt())
                                   : !wanted.isValid(),
                 name);
    }
    const bool enabled = properties.value("Enabled", true).toBool();
    QCOMPARE(RegistrySandbox::keyExists(Path),
             !before.isEmpty() || (enabled && keyFor(properties).toStdString() == Path));
}

PICTAVO_TEST_MAIN(TestTPersWindow, QApplication)
#include "tst_tperswindow.moc"
