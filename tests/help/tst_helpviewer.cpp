#include "help/HelpBrowser.h"
#include "help/HelpPopup.h"
#include "help/HelpViewer.h"
#include "help/HelpWindow.h"
#include "platform/shell/Shell.h"
#include "tests/support/Artifacts.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTextBrowser>

namespace {

const QByteArray HelpFilePath = PICTAVO_HELP_FILE;

HelpCall call(const QByteArray& file, quint16 command, quint32 data, qint64 madeAt = 0) {
    HelpCall result;
    result.file = file;
    result.command = command;
    result.data = data;
    result.madeAt = madeAt;
    return result;
}

} // namespace

// The viewer in-process: which request shows what, in the window or a pop-up, and what the
// window's navigation does. Requests handed over between processes: tst_pictavohelp.
class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void routing_data();
    void routing();
    void stampFromTheFuture();
    void navigation_data();
    void navigation();
    void topicResources_data();
    void topicResources();
    void popupCloses_data();
    void popupCloses();
    void compositorPlacedPopupCloses();
    void remembersItsSize();

private:
    std::unique_ptr<HelpViewer> m_viewer;
    QTemporaryDir m_dir;
};

void TestHelpViewer::init() {
    m_viewer = std::make_unique<HelpViewer>();
    m_viewer->setPointerSource([] { return QPoint(300, 200); });
}

void TestHelpViewer::cleanup() {
    m_viewer.reset();
}

void TestHelpViewer::routing_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("command");
    QTest::addColumn<quint32>("data");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("shown"); // "window" or "popup"
    QTest::addColumn<QString>("text");  // the start of what the user reads

    const QByteArray missing = m_dir.filePath("missing.hlp").toLocal8Bit();
    const QByteArray fifo = m_dir.filePath("fifo.hlp").toLocal8Bit();
    if (!QFile::exists(fifo))
        QProcess::execute("mkfifo", {QString::fromLocal8Bit(fifo)});
    // clang-format off
    QTest::newRow("contents") << HelpFilePath << int(HELP_CONTENTS) << 0u << "topic contents" << "window" << "Pictavo Help";
    QTest::newRow("topic") << HelpFilePath << int(HELP_CONTEXT) << 1000u << "topic 1000" << "window" << "What is Pictavo?";
    QTest::newRow("pop-up") << HelpFilePath << int(HELP_CONTEXTPOPUP) << 10600u << "pop-up 10600" << "popup" << "Start!";
    QTest::newRow("pop-up, unknown topic") << HelpFilePath << int(HELP_CONTEXTPOPUP) << 4711u
        << "pop-up message: No help topic for this item." << "popup" << "No help topic for this item.";
    QTest::newRow("pop-up, context 0") << HelpFilePath << int(HELP_CONTEXTPOPUP) << 0u
        << "pop-up message: No help topic for this item." << "popup" << "No help topic for this item.";
    QTest::newRow("topic, unknown") << HelpFilePath << int(HELP_CONTEXT) << 0u
        << "message: There is no help topic for this item (help context 0)." << "window" << "Help is not available";
    QTest::newRow("missing file") << missing << int(HELP_CONTEXT) << 1000u
        << "message: The help file \"" + QString::fromLocal8Bit(missing) + "\" was not found." << "window" << "Help is not available";
    // Opening a pipe for reading would wait for a writer for ever.
    QTest::newRow("a pipe, not a file") << fifo << int(HELP_CONTENTS) << 0u
        << "message: \"" + QString::fromLocal8Bit(fifo) + "\" is not a help file." << "window" << "Help is not available";
    // clang-format on
}

void TestHelpViewer::routing() {
    QFETCH(QByteArray, file);
    QFETCH(int, command);
    QFETCH(quint32, data);
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    QFETCH(QString, text);

    QCOMPARE(m_viewer->handle(call(file, quint16(command), data)), answer);
    const bool inWindow = shown == QLatin1String("window");
    QCOMPARE(m_viewer->window()->isVisible(), inWindow);
    QCOMPARE(m_viewer->popup()->isVisible(), !inWindow);
    const QString seen = inWindow ? m_viewer->window()->currentText() : m_viewer->popup()->text();
    QVERIFY2(seen.startsWith(text), qPrintable(seen));
    saveGrabs(inWindow ? static_cast<QWidget*>(m_viewer->window()) : m_viewer->popup(),
              QStringLiteral("help, ") + QTest::currentDataTag());
}

// A damaged or forged stamp must not shut out every later request.
void TestHelpViewer::stampFromTheFuture() {
    m_viewer->handle(call(HelpFilePath, HELP_CONTEXTPOPUP, 10600, qint64(1) << 62));
    QCOMPARE(m_viewer->handle(call(HelpFilePath, HELP_CONTEXTPOPUP, 10000, HelpCall::now())),
             "pop-up 10000");
}

void TestHelpViewer::navigation_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("forward");
    // clang-format off
    QTest::newRow("a link") << QStringList{"link 1000"} << "1000" << true << false;
    QTest::newRow("back") << QStringList{"link 1000", "Alt+Left"} << "contents" << false << true;
    QTest::newRow("back and forward") << QStringList{"link 1000", "link 2000", "Alt+Left", "Backspace", "Alt+Right"}
        << "1000" << true << true;
    QTest::newRow("a new topic drops the forward steps") << QStringList{"link 1000", "Alt+Left", "link 3000"}
        << "3000" << true << false;
    QTest::newRow("contents") << QStringList{"link 1000", "Alt+Home"} << "contents" << true << false;
    QTest::newRow("the same topic twice is one step") << QStringList{"link 1000", "link 1000", "Alt+Left"}
        << "contents" << false << true;
    QTest::newRow("a link to no topic") << QStringList{"link 77"} << "" << true << false;
    QTest::newRow("back from a message") << QStringList{"link 77", "Alt+Left"} << "contents" << false << true;
    // clang-format on
}

void TestHelpViewer::navigation() {
    QFETCH(QStringList, steps);
    QFETCH(QString, key);
    QFETCH(bool, back);
    QFETCH(bool, forward);

    m_viewer->handle(call(HelpFilePath, HELP_CONTENTS, 0));
    HelpWindow* window = m_viewer->window();
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* browser = window->findChild<QTextBrowser*>();
    for (const QString& step : steps) {
        if (step.startsWith("link "))
            emit browser->anchorClicked(QUrl("#topic-" + step.mid(5)));
        else
            QTest::keySequence(browser, QKeySequence(step));
    }
    QCOMPARE(window->currentKey(), key);
    QCOMPARE(window->findChild<QAction*>("actBack")->isEnabled(), back);
    QCOMPARE(window->findChild<QAction*>("actForward")->isEnabled(), forward);
}

void TestHelpViewer::topicResources_data() {
    QTest::addColumn<QString>("name"); // in the test's folder
    QTest::addColumn<bool>("loaded");
    QDir folder(m_dir.path());
    QImage(4, 4, QImage::Format_RGB32).save(folder.filePath("small.png"), "PNG");
    if (!folder.exists("pipe.png"))
        QProcess::execute("mkfifo", {folder.filePath("pipe.png")});
    folder.mkpath("folder.png");
    QFile large(folder.filePath("large.png"));
    if (large.open(QIODevice::WriteOnly))
        large.resize(HelpBrowser::MaxResourceSize + 1); // sparse
    QFile::link(folder.filePath("pipe.png"), folder.filePath("link-to-pipe.png"));
    QTest::newRow("a picture") << "small.png" << true;
    QTest::newRow("a pipe would block") << "pipe.png" << false;
    QTest::newRow("a link to a pipe") << "link-to-pipe.png" << false;
    QTest::newRow("a folder") << "folder.png" << false;
    QTest::newRow("larger than a picture in help") << "large.png" << false;
    QTest::newRow("missing") << "missing.png" << false;
}

// What a topic names as an image; the help window's view is the one tested.
void TestHelpViewer::topicResources() {
    QFETCH(QString, name);
    QFETCH(bool, loaded);
    m_viewer->handle(call(HelpFilePath, HELP_CONTENTS, 0));
    auto* browser = m_viewer->window()->findChild<HelpBrowser*>("Topic");
    QVERIFY(browser);
    const QUrl url = QUrl::fromLocalFile(m_dir.filePath(name));
    QCOMPARE(!browser->loadResource(QTextDocument::ImageResource, url).isNull(), loaded);
    // The same by a name without a scheme, as a topic's <img src> gives it.
    QCOMPARE(
        !browser->loadResource(QTextDocument::ImageResource, QUrl(m_dir.filePath(name))).isNull(),
        loaded);
}

void TestHelpViewer::popupCloses_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("a click on it") << "click";
    QTest::newRow("a click elsewhere") << "click elsewhere";
    QTest::newRow("a key") << "key";
}

void TestHelpViewer::popupCloses() {
    QFETCH(QString, how);
    m_viewer->handle(call(HelpFilePath, HELP_CONTEXTPOPUP, 10600));
    HelpPopup* popup = m_viewer->popup();
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    if (how == "click")
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(5, 5));
    else if (how == "click elsewhere")
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->rect().bottomRight() + QPoint(50, 50));
    else
        QTest::keyClick(popup, Qt::Key_A);
    QTRY_VERIFY(!popup->isVisible());
}

// Under Wayland the pop-up is a window of its own that the compositor places; it sees no click
// elsewhere, so the focus going elsewhere closes it.
void TestHelpViewer::compositorPlacedPopupCloses() {
    HelpPopup* popup = m_viewer->popup();
    popup->leavePlacementToCompositor();
    m_viewer->handle(call(HelpFilePath, HELP_CONTEXTPOPUP, 10600));
    QVERIFY(QTest::qWaitForWindowActive(popup));
    QCOMPARE(popup->windowType(), Qt::Window);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(!popup->isVisible());
}

void TestHelpViewer::remembersItsSize() {
    m_viewer->handle(call(HelpFilePath, HELP_CONTENTS, 0));
    m_viewer->window()->resize(431, 377);
    m_viewer->handle(call(HelpFilePath, HELP_QUIT, 0));
    m_viewer = std::make_unique<HelpViewer>();
    m_viewer->handle(call(HelpFilePath, HELP_CONTEXT, 1000));
    QCOMPARE(m_viewer->window()->size(), QSize(431, 377));
}

PICTAVO_TEST_MAIN(TestHelpViewer, QApplication)
#include "tst_helpviewer.moc"
