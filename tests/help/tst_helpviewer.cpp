#include "app/HelpRequest.h"
#include "help/CHelpChannel.h"
#include "help/CHelpViewer.h"
#include "help/THelpPopup.h"
#include "help/THelpWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTextBrowser>

#include <thread>

namespace {

const QByteArray HelpFile = PICTAVO_HELP_FILE;

HelpCall call(const QByteArray& file, quint16 command, quint32 data, qint64 madeAt = 0) {
    HelpCall result;
    result.file = file;
    result.command = command;
    result.data = data;
    result.madeAt = madeAt;
    return result;
}

} // namespace

// The viewer in-process: which request shows what, in the window or a pop-up, what the
// window's navigation does, and requests handed over through the local socket.
class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void routing_data();
    void routing();
    void navigation_data();
    void navigation();
    void remembersItsSize();
    void channelKeepsOrder();
    void savesGrabs();

private:
    std::unique_ptr<CHelpViewer> m_viewer;
    QTemporaryDir m_dir;
};

void TestHelpViewer::init() {
    m_viewer = std::make_unique<CHelpViewer>();
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
    QTest::newRow("contents") << HelpFile << int(HELP_CONTENTS) << 0u << "topic contents" << "window" << "Pictavo Help";
    QTest::newRow("topic") << HelpFile << int(HELP_CONTEXT) << 1000u << "topic 1000" << "window" << "What is Pictavo?";
    QTest::newRow("pop-up") << HelpFile << int(HELP_CONTEXTPOPUP) << 10600u << "pop-up 10600" << "popup" << "Start!";
    QTest::newRow("pop-up, unknown topic") << HelpFile << int(HELP_CONTEXTPOPUP) << 4711u
        << "pop-up message: No help topic for this item." << "popup" << "No help topic for this item.";
    QTest::newRow("pop-up, context 0") << HelpFile << int(HELP_CONTEXTPOPUP) << 0u
        << "pop-up message: No help topic for this item." << "popup" << "No help topic for this item.";
    QTest::newRow("topic, unknown") << HelpFile << int(HELP_CONTEXT) << 0u
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

    m_viewer->handle(call(HelpFile, HELP_CONTENTS, 0));
    THelpWindow* window = m_viewer->window();
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

void TestHelpViewer::remembersItsSize() {
    m_viewer->handle(call(HelpFile, HELP_CONTENTS, 0));
    m_viewer->window()->resize(431, 377);
    m_viewer->handle(call(HelpFile, HELP_QUIT, 0));
    m_viewer = std::make_unique<CHelpViewer>();
    m_viewer->handle(call(HelpFile, HELP_CONTEXT, 1000));
    QCOMPARE(m_viewer->window()->size(), QSize(431, 377));
}

void TestHelpViewer::channelKeepsOrder() {
    const QString path = m_dir.filePath("channel");
    CHelpChannel channel([this](const HelpCall& next) { return m_viewer->handle(next); });
    QVERIFY(channel.listen(path));

    const std::vector<HelpCall> calls = {
        call(HelpFile, HELP_CONTEXT, 1000, 10), call(HelpFile, HELP_CONTEXTPOPUP, 10200, 20),
        call(HelpFile, HELP_CONTENTS, 0, 15), call(HelpFile, HELP_CONTEXT, 2000, 30)};
    QStringList answers;
    bool done = false;
    std::thread client([&] {
        for (const HelpCall& next : calls) {
            QString answer;
            answers.append(CHelpChannel::deliver(next, answer, path) ? answer : "no viewer");
        }
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
    client.join();
    QCOMPARE(answers, (QStringList{"topic 1000", "pop-up 10200",
                                   "ignored: a later request is shown", "topic 2000"}));
    QCOMPARE(m_viewer->window()->currentKey(), "2000");
    // Nobody listens once the viewer has gone.
    QString answer;
    QVERIFY(
        !CHelpChannel::deliver(call(HelpFile, HELP_CONTENTS, 0), answer, m_dir.filePath("nobody")));
}

void TestHelpViewer::savesGrabs() {
    const QString folder = qEnvironmentVariable("PICTAVO_TEST_ARTIFACTS");
    if (folder.isEmpty())
        QSKIP("PICTAVO_TEST_ARTIFACTS names no folder");
    QVERIFY(QDir().mkpath(folder));
    m_viewer->handle(call(HelpFile, HELP_CONTEXT, 1000));
    m_viewer->window()->resize(600, 520);
    QVERIFY(m_viewer->window()->grab().save(folder + "/help-window-topic-1000.png"));
    m_viewer->handle(call(HelpFile, HELP_CONTEXTPOPUP, 10600));
    QVERIFY(m_viewer->popup()->grab().save(folder + "/help-popup-10600.png"));
}

PICTAVO_TEST_MAIN(TestHelpViewer, QApplication)
#include "tst_helpviewer.moc"
