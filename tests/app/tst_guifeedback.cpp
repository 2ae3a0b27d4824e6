#include "app/GuiFeedback.h"
#include "index/Feedback.h"
#include "tests/app/ModalDriver.h"
#include "tests/app/StatusBarPaintCounter.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCursor>
#include <QMainWindow>
#include <QStatusBar>

#include <memory>

using namespace modaldriver;

namespace {
// The application-wide cursor as the user sees it: an override shape or the widgets' own.
QString cursorSetting() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return !cursor                             ? QStringLiteral("default")
           : cursor->shape() == Qt::WaitCursor ? QStringLiteral("hourglass")
                                               : QStringLiteral("other");
}
} // namespace

// The desktop side of the index run's feedback, reached through the free functions once the
// backend is installed: its two dialogs, the busy cursor and the status bar.
class TestGuiFeedback : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cursorIsOneSetting_data();
    void cursorIsOneSetting();
    void dialogShowsArrowAndHourglassReturns_data();
    void dialogShowsArrowAndHourglassReturns();
    void statusRepaintsAtOnce();

private:
    GuiFeedback m_backend;
};

void TestGuiFeedback::init() {
    FeedbackBackend::install(&m_backend);
}

void TestGuiFeedback::cleanup() {
    RestoreCursor();
    FeedbackBackend::install(nullptr);
}

void TestGuiFeedback::cursorIsOneSetting_data() {
    QTest::addColumn<QString>("calls"); // b: SetBusyCursor, r: RestoreCursor
    QTest::addColumn<bool>("busy");
    QTest::newRow("restore without busy") << "r" << false;
    QTest::newRow("busy twice, restore once") << "bbr" << false;
    QTest::newRow("busy again after restore") << "brb" << true;
}

void TestGuiFeedback::cursorIsOneSetting() {
    QFETCH(QString, calls);
    QFETCH(bool, busy);
    for (const QChar call : calls) {
        if (call == QLatin1Char('b'))
            SetBusyCursor();
        else
            RestoreCursor();
    }
    QCOMPARE(cursorSetting(), busy ? "hourglass" : "default");
}

void TestGuiFeedback::dialogShowsArrowAndHourglassReturns_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("outcome"); // title and cursor while open, then the answer
    // clang-format off
    QTest::newRow("error") << "Escape" << "Error default, -";
    QTest::newRow("question, Enter") << "Enter" << "Confirm default, yes";
    QTest::newRow("question, close button") << "close" << "Confirm default, no";
    // clang-format on
}

void TestGuiFeedback::dialogShowsArrowAndHourglassReturns() {
    QFETCH(QString, answer);
    QFETCH(QString, outcome);
    QWidget main;
    main.show();
    SetBusyCursor();
    QString during;
    whenModal([&](QWidget* window) {
        during = window->windowTitle() + QLatin1Char(' ') + cursorSetting();
        modaldriver::answer(window, answer);
    });
    QString result = QStringLiteral("-");
    if (answer == QLatin1String("Escape"))
        ShowErrorMessage("Error writing file!");
    else
        result = AskYesNo("Would you like to view it now?") ? "yes" : "no";
    QCOMPARE(during + QStringLiteral(", ") + result, outcome);
    QCOMPARE(cursorSetting(), QStringLiteral("hourglass"));
    QVERIFY(main.isEnabled());
}

void TestGuiFeedback::statusRepaintsAtOnce() {
    ShowStatus("no status bar yet: nothing happens");
    auto window = std::make_unique<QMainWindow>();
    window->resize(400, 200);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QStatusBar* bar = window->statusBar();
    m_backend.setStatusBar(bar);
    QCoreApplication::processEvents();
    StatusBarPaintCounter counter(bar);

    ShowStatus("Searching for *.JPEG...");
    // No event processing in between: the run keeps the thread busy after this call.
    QCOMPARE(bar->currentMessage(), QStringLiteral("Searching for *.JPEG..."));
    QVERIFY(counter.paints > 0);

    window.reset();
    ShowStatus("Writing HTML file...");
}

PICTAVO_TEST_MAIN(TestGuiFeedback, QApplication)
#include "tst_guifeedback.moc"
