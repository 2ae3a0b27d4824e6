#include "app/ApplicationTitle.h"
#include "app/RunModal.h"
#include "app/ShowMessageDialog.h"
#include "app/TMessageForm.h"
#include "platform/drives/Paths.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/RegistrySandbox.h"
#include "tests/app/ModalDriver.h"
#include "tests/app/ProbeForm.h"
#include "tests/settings/PlacedWindow.h"
#include "tests/support/TestEnvironment.h"
#include "ui/AboutWindowUnit.h"
#include "ui/MainWindowUnit.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <memory>

using platform::RegistrySandbox;
using namespace modaldriver;

Q_DECLARE_METATYPE(MessageKind)
Q_DECLARE_METATYPE(MessageButtons)

namespace {

const char* const OneLifetime = "--one-lifetime";
const char* const OtherProgram = "--other-program";

const char* const Names[4] = {"WinLeft", "WinTop", "WinWidth", "WinHeight"};

// The four stored numbers as a rectangle (left, top, width, height); 0 where one is missing.
QRect stored() {
    int bounds[4] = {};
    for (int i = 0; i < 4; ++i) {
        const RegistrySandbox::Value value = RegistrySandbox::value(Path, Names[i]);
        if (value.status == 0 && value.bytes.size() == 4)
            std::memcpy(&bounds[i], value.bytes.data(), 4);
    }
    return {bounds[0], bounds[1], bounds[2], bounds[3]};
}

// Left, top, width and height, in that order; as a list, since a QRect cannot hold a width
// near the integer limit.
void store(const QList<int>& values) {
    for (int i = 0; i < 4; ++i)
        RegistrySandbox::setValue(Path, Names[i], platform::RegDword,
                                  RegistrySandbox::dword(values[i]));
}

void store(const QRect& bounds) {
    store(QList<int>{bounds.left(), bounds.top(), bounds.width(), bounds.height()});
}

bool frameKnown(const QWidget& window) {
    return window.windowHandle() && window.windowHandle()->isExposed() &&
           !window.windowHandle()->frameMargins().isNull();
}

// One lifetime of a window carrying its placement component as the main window does: built,
// loaded, shown until the window manager has framed it, closed and destroyed. `whileOpen` acts
// on it in between. Returns the outer rectangle it opened with, once it is `expected` (null:
// the designed window in the frame) or the window manager has had ample time to place it.
QRect openAndClose(QRect expected, const std::function<void(QWidget&)>& whileOpen = {}) {
    const auto window = makePlacedWindow();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()) ||
        !QTest::qWaitFor([&] { return frameKnown(*window); }))
        return {};
    if (expected.isNull())
        expected = designedIn(window->windowHandle()->frameMargins());
    const bool placed = QTest::qWaitFor([&] { return window->frameGeometry() == expected; });
    const QRect opened = window->frameGeometry();
    if (placed && whileOpen)
        whileOpen(*window);
    window->close();
    return opened;
}

// The window's title as the window manager reads it, in both properties.
QString titleProperties(const QWidget& window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()),
                 QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_NAME")});
    if (!xprop.waitForFinished(30000) || xprop.exitCode() != 0)
        return QStringLiteral("xprop failed: ") +
               QString::fromLocal8Bit(xprop.readAllStandardError());
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

} // namespace

// Windows under a real X server with a window manager, which tells a window's frame only once
// the window is mapped and decides which window has the focus: where windows open and reopen,
// their titles, access keys, and which window is active after a modal one.
class TestX11Windows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void placement_data();
    void placement();
    void placementAcrossProcesses();
    void mainWindowPlacement_data();
    void mainWindowPlacement();
    void titlesAndCentring_data();
    void titlesAndCentring();
    void accessKeys_data();
    void accessKeys();
    void modalGivesFocusBack();

private:
    QMargins m_frame;
};

void TestX11Windows::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QWidget probe;
    probe.show();
    QVERIFY2(QTest::qWaitFor([&] { return frameKnown(probe); }), "no window manager frames it");
    m_frame = probe.windowHandle()->frameMargins();
    setApplicationTitle(QStringLiteral("Zelmar Pictavo"));
}

void TestX11Windows::cleanup() {
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

void TestX11Windows::placement_data() {
    QTest::addColumn<QRect>("before");   // stored by an earlier run; 0 leaves a bound alone
    QTest::addColumn<QString>("action"); // while the window is open
    QTest::addColumn<int>("lifetimes");
    QTest::addColumn<QRect>("expected"); // opened and stored each time; null: the designed frame
    QTest::newRow("nothing stored: four runs store one place")
        << QRect() << QString() << 4 << QRect();
    QTest::newRow("stored bounds reopen exactly")
        << QRect(50, 60, 400, 250) << QString() << 2 << QRect(50, 60, 400, 250);
    QTest::newRow("edges at 0 keep the designed edges")
        << QRect(0, 0, 400, 250) << QString() << 1 << QRect(-1, -1, 400, 250);
    QTest::newRow("maximised: the normal bounds")
        << QRect(50, 60, 400, 250) << "maximise" << 2 << QRect(50, 60, 400, 250);
}

void TestX11Windows::placement() {
    QFETCH(QRect, before);
    QFETCH(QString, action);
    QFETCH(int, lifetimes);
    QFETCH(QRect, expected);
    const QRect designed = designedIn(m_frame);
    if (expected.isNull())
        expected = designed;
    if (expected.left() == -1)
        expected.moveTopLeft(designed.topLeft());
    RegistrySandbox sandbox;
    if (before.isValid())
        store(before);

    QList<QRect> opened;
    QList<QRect> left;
    for (int i = 0; i < lifetimes; ++i) {
        opened << openAndClose(expected, [&](QWidget& window) {
            if (action == "maximise") {
                window.showMaximized();
                QTRY_VERIFY(window.frameGeometry().width() > expected.width());
            }
        });
        left << stored();
    }
    QCOMPARE(opened, QList<QRect>(lifetimes, expected));
    QCOMPARE(left, QList<QRect>(lifetimes, expected));
}

// A process of its own for each run, as the program has.
void TestX11Windows::placementAcrossProcesses() {
    RegistrySandbox sandbox; // the children inherit its settings folder
    QList<QRect> left;
    for (int run = 0; run < 2; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(OneLifetime)});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        left << stored();
    }
    QCOMPARE(left, QList<QRect>(2, designedIn(m_frame)));
}

void TestX11Windows::mainWindowPlacement_data() {
    QTest::addColumn<QList<int>>("before"); // stored by an earlier run; 0 leaves a bound alone
    QTest::addColumn<QRect>("expected");    // the frame it opens with and stores
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Its designed frame lies at (38, 39).
    QTest::newRow("top at 0 keeps the designed top")
        << QList<int>{19, 0, 500, 300} << QRect(19, 39, 500, 300);
    QTest::newRow("edges at 0 with a size stored")
        << QList<int>{0, 0, 500, 300} << QRect(38, 39, 500, 300);
    QTest::newRow("title bar above the screen: moved in, same size")
        << QList<int>{-3, -30, 526, 313} << QRect(screen.topLeft(), QSize(526, 313));
    QTest::newRow("size beyond the screen: the screen's")
        << QList<int>{50, 60, 0x7fffffff, 0x7fffffff} << screen;
}

// The program's window, which is designed by its frame's position.
void TestX11Windows::mainWindowPlacement() {
    QFETCH(QList<int>, before);
    QFETCH(QRect, expected);
    RegistrySandbox sandbox;
    store(before);
    QTemporaryDir root;
    platform::FakeDriveTable drives;
    drives.map('C', root.path().toStdString());
    QCOMPARE(platform::setCurrentDirectory("C:\\"), 0);
    {
        TMainWindow window({});
        window.show();
        QVERIFY(QTest::qWaitFor([&] { return frameKnown(window); }));
        QTRY_COMPARE(window.frameGeometry(), expected);
        window.close();
    }
    QCOMPARE(stored(), expected);
}

void TestX11Windows::titlesAndCentring_data() {
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("confirmation") << MessageKind::Confirmation << "Confirm";
    QTest::newRow("error") << MessageKind::Error << "Error";
    QTest::newRow("custom dialog: the application title")
        << MessageKind::Custom << "Zelmar Pictavo";
    QTest::newRow("the About window") << MessageKind::Custom << "About";
}

// Each dialog: its title exactly as given, and its outer rectangle centred on the screen.
void TestX11Windows::titlesAndCentring() {
    QFETCH(MessageKind, kind);
    QFETCH(QString, title);
    std::unique_ptr<ModalForm> form;
    if (title == "About")
        form = std::make_unique<TAboutWindow>();
    else
        form = std::make_unique<TMessageForm>("Text", kind, MessageButtons{MessageButton::OK}, 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto centred = [&](const QRect& frame) {
        return QRect(QPoint(screen.width() / 2 - frame.width() / 2,
                            screen.height() / 2 - frame.height() / 2),
                     frame.size());
    };
    QString read;
    QRect frame;
    whenModal([&](QWidget* window) {
        // A move after the frame is known would show in the 100 ms.
        if (QTest::qWaitFor([&] {
                return frameKnown(*window) &&
                       window->frameGeometry() == centred(window->frameGeometry());
            }))
            QTest::qWait(100);
        frame = window->frameGeometry();
        read = titleProperties(*window);
        answer(window, QStringLiteral("close"));
    });
    RunModal(form.get());
    QCOMPARE(
        read,
        QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"%1\"\nWM_NAME(STRING) = \"%1\"").arg(title));
    QVERIFY(frame.height() > form->height()); // the frame was known
    QCOMPARE(frame, centred(frame));
}

void TestX11Windows::accessKeys_data() {
    using B = MessageButton;
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QString>("keys"); // as xdotool names them, one press each
    QTest::addColumn<int>("expected"); // mrNone: still open
    const MessageButtons yesNo{B::Yes, B::No};
    QTest::newRow("y presses Yes") << yesNo << "y" << mrYes;
    QTest::newRow("n presses No") << yesNo << "n" << mrNo;
    QTest::newRow("Shift+N presses No") << yesNo << "shift+n" << mrNo;
    QTest::newRow("Alt+N presses No") << yesNo << "alt+n" << mrNo;
    QTest::newRow("i presses Ignore")
        << MessageButtons{B::Abort, B::Retry, B::Ignore} << "i" << mrIgnore;
    QTest::newRow("a marks Abort and All: it moves the focus, Enter presses")
        << MessageButtons{B::OK, B::Abort, B::All} << "a a Return" << mrAll;
    QTest::newRow("o is no access key of OK") << MessageButtons{B::OK, B::Cancel} << "o" << mrNone;
    QTest::newRow("Ctrl+Y presses nothing") << yesNo << "ctrl+y" << mrNone;
}

void TestX11Windows::accessKeys() {
    QFETCH(MessageButtons, buttons);
    QFETCH(QString, keys);
    QFETCH(int, expected);
    bool typed = false;
    int result = -1;
    whenModal([&](QWidget* window) {
        if (!QTest::qWaitForWindowActive(window))
            return ensureAnswered(window);
        for (const QString& key : keys.split(QLatin1Char(' ')))
            typed = QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key}) == 0;
        // animateClick presses a moment later.
        if (!QTest::qWaitFor([&] { return isAnswered(window); }, expected == mrNone ? 300 : 10000))
            QTest::qWait(0);
        result = static_cast<ModalForm*>(window)->modalResult();
        ensureAnswered(window);
    });
    ShowMessageDialog("Text", MessageKind::Warning, buttons, 0);
    QVERIFY(typed);
    QCOMPARE(result, expected);
}

// A window of another program (say, the help viewer) had the focus last before the dialog:
// without giving the focus back, the window manager would hand it there instead of to the
// window the dialog came from.
void TestX11Windows::modalGivesFocusBack() {
    QWidget main;
    main.resize(300, 200);
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QProcess other;
    bool otherActive = false;
    bool dialogActiveAgain = false;
    ProbeForm form;
    whenModal([&](QWidget* window) {
        other.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(OtherProgram)});
        otherActive = other.waitForReadyRead(60000) && other.readAll().startsWith("active");
        window->activateWindow();
        dialogActiveAgain = QTest::qWaitForWindowActive(window);
        answer(window, QStringLiteral("OK"));
    });
    QCOMPARE(RunModal(&form), mrOk);
    QVERIFY(otherActive);
    QVERIFY(dialogActiveAgain);
    QTRY_COMPARE(QApplication::activeWindow(), &main);
    QTest::qWait(200); // and it stays there
    QCOMPARE(QApplication::activeWindow(), &main);
    other.terminate();
    QVERIFY(other.waitForFinished(30000));
}

// With OneLifetime the process is one run of the program: the window opens and closes once,
// with the settings folder it inherited. With OtherProgram it shows a window, says "active"
// once that has the focus, and waits to be ended.
int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], OneLifetime) == 0) {
        QApplication app(argc, argv);
        return openAndClose({}).isValid() ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], OtherProgram) == 0) {
        QApplication app(argc, argv);
        QWidget window;
        window.setWindowTitle(QStringLiteral("Help"));
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return 1;
        std::fputs("active\n", stdout);
        std::fflush(stdout);
        return QApplication::exec();
    }
    testsupport::TestEnvironment environment;
    QApplication app(argc, argv);
    TestX11Windows test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11windows.moc"
