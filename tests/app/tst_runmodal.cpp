#include "app/QuitMonitor.h"
#include "app/RunModal.h"
#include "guard/ErrorGuard.h"
#include "tests/app/ModalDriver.h"
#include "tests/app/ProbeForm.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <memory>
#include <stdexcept>

using namespace modaldriver;

// The nested modal loop: what ends it, the windows and grab around it, the close step, nesting
// and the quit request.
class TestRunModal : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void endsWith_data();
    void endsWith();
    void otherWindowsAroundTheLoop();
    void closeStep_data();
    void closeStep();
    void nestedModalWindows();
    void transientForTheInterruptedWindow_data();
    void transientForTheInterruptedWindow();
    // Must stay last: a quit request ends every later event loop of this process.
    void quitRequestGivesCancel();

private:
    std::unique_ptr<QWidget> m_main;
};

void TestRunModal::init() {
    m_main = std::make_unique<QWidget>();
    m_main->resize(300, 200);
    m_main->show();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestRunModal::cleanup() {
    ErrorHandler::install({});
    m_main.reset();
}

void TestRunModal::endsWith_data() {
    QTest::addColumn<QStringList>("steps"); // as the user or the program takes them, in order
    QTest::addColumn<int>("expected");
    QTest::newRow("button with a result") << QStringList{"OK"} << mrOk;
    QTest::newRow("close request") << QStringList{"close"} << mrCancel;
    QTest::newRow("Escape presses the cancel button") << QStringList{"Escape"} << mrAbort;
    QTest::newRow("Escape without cancel button, then close")
        << QStringList{"no cancel", "Escape", "close"} << mrCancel;
    QTest::newRow("button without result, then OK") << QStringList{"Plain", "OK"} << mrOk;
    QTest::newRow("accept() of QDialog") << QStringList{"accept"} << mrOk;
    QTest::newRow("hidden from outside") << QStringList{"hide"} << mrCancel;
    QTest::newRow("destroyed while open") << QStringList{"delete"} << mrCancel;
}

void TestRunModal::endsWith() {
    QFETCH(const QStringList, steps);
    QFETCH(int, expected);
    QPointer<ProbeForm> form = new ProbeForm;
    bool stayedOpen = true; // between the steps
    bool answered = false;  // by the last step itself
    QWidget* shown = nullptr;
    whenModal([&](QWidget* window) {
        shown = window;
        for (const QString& step : steps) {
            stayedOpen = stayedOpen && form->isVisible() && form->modalResult() == mrNone;
            if (step == "no cancel")
                form->abort->setCancel(false);
            else if (step == "accept")
                form->accept();
            else if (step == "hide")
                form->hide();
            else if (step == "delete")
                delete form;
            else
                act(form, step);
        }
        answered = !form || isAnswered(form);
        if (form)
            ensureAnswered(form);
    });
    ProbeForm* const opened = form;
    QCOMPARE(RunModal(form), expected);
    QCOMPARE(shown, opened);
    QVERIFY(stayedOpen);
    QVERIFY(answered);
    QVERIFY(m_main->isEnabled());
    if (form) {
        QVERIFY(!form->isVisible());
        QVERIFY(!form->isShownModally());
        QCOMPARE(form->windowModality(), Qt::NonModal);
        QCOMPARE(form->closeQueries, 1);
    }
    delete form;
}

void TestRunModal::otherWindowsAroundTheLoop() {
    // The main window's focus is on its second control, not the first in the tab order.
    auto* first = new QLineEdit(m_main.get());
    auto* focused = new QLineEdit(m_main.get());
    auto* button = new QPushButton(QStringLiteral("Press"), m_main.get());
    focused->move(0, 30);
    button->move(0, 60);
    for (QWidget* control : std::initializer_list<QWidget*>{first, focused, button})
        control->show();
    focused->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focused);
    int pressed = 0;
    QObject::connect(button, &QPushButton::clicked, [&pressed] { ++pressed; });
    QWidget second;
    second.show();
    QWidget grabber;
    grabber.show();
    grabber.grabMouse();
    // Owned by the main window, as the About window is.
    ProbeForm form(m_main.get());
    form.setWindowFlags(Qt::Dialog);
    const QImage before = button->grab().toImage();

    QCOMPARE(QWidget::mouseGrabber(), &grabber);
    QString during;
    whenModal([&](QWidget*) {
        // Through the window system, as a user's click comes.
        QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        // The other windows look as they did and take no input.
        during = QStringLiteral("main %1 %2, second %3, pressed %4, modal %5 %6, grab %7, "
                                "active %8")
                     .arg(m_main->isEnabled())
                     .arg(button->grab().toImage() == before)
                     .arg(second.isEnabled())
                     .arg(pressed)
                     .arg(form.isEnabled())
                     .arg(form.ok->isEnabled())
                     .arg(QWidget::mouseGrabber() != nullptr)
                     .arg(QTest::qWaitForWindowActive(&form));
        form.ok->click();
        ensureAnswered(&form);
    });
    QCOMPARE(RunModal(&form), mrOk);
    QCOMPARE(during, QStringLiteral("main 1 1, second 1, pressed 0, modal 1 1, grab 0, active 1"));
    QTRY_COMPARE(QApplication::focusWidget(), focused);
}

void TestRunModal::closeStep_data() {
    QTest::addColumn<QString>("script"); // per close step: a accepts, r refuses, x raises
    QTest::newRow("refuses once, then accepts") << "ra";
    QTest::newRow("raises: the window still closes") << "x";
}

void TestRunModal::closeStep() {
    QFETCH(QString, script);
    QStringList handled;
    ErrorHandler::install([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            handled << QString::fromUtf8(e.what());
        }
    });
    ProbeForm form;
    form.closeStep = [&] {
        const QChar step = script.at(form.closeQueries - 1);
        if (step == QLatin1Char('x'))
            throw std::runtime_error("close step failed");
        return step == QLatin1Char('a');
    };
    bool reopened = true;
    whenModal([&](QWidget*) {
        form.ok->click();
        if (script.size() == 1) {
            ensureAnswered(&form);
            return;
        }
        when([&] { return form.closeQueries == 1; },
             [&] {
                 reopened = form.isVisible() && form.modalResult() == mrNone;
                 form.ok->click();
                 ensureAnswered(&form);
             });
    });
    QCOMPARE(RunModal(&form), mrOk);
    QVERIFY(reopened);
    QCOMPARE(form.closeQueries, script.size());
    QCOMPARE(handled, script == "x" ? QStringList{"close step failed"} : QStringList());
    QVERIFY(m_main->isEnabled());
    QVERIFY(!form.isVisible());
}

void TestRunModal::nestedModalWindows() {
    ProbeForm outer;
    ProbeForm inner(&outer);
    inner.setWindowFlags(Qt::Dialog);
    int innerResult = -1;
    bool innerOnTop = false;
    bool outerBackAfterInner = false;
    QObject::connect(outer.plain, &QAbstractButton::clicked, &outer, [&] {
        whenModal(
            [&](QWidget* window) {
                innerOnTop = window == &inner && QApplication::activeModalWidget() == &inner;
                pressKey(&inner, Qt::Key_Escape);
                ensureAnswered(&inner);
            },
            &outer);
        innerResult = RunModal(&inner);
        outerBackAfterInner = outer.isVisible() && QApplication::activeModalWidget() == &outer;
    });
    whenModal([&](QWidget*) {
        outer.plain->click();
        outer.ok->click();
        ensureAnswered(&outer);
    });
    QCOMPARE(RunModal(&outer), mrOk);
    QCOMPARE(innerResult, mrAbort);
    QVERIFY(innerOnTop);
    QVERIFY(outerBackAfterInner);
    QVERIFY(m_main->isEnabled());
}

// The window system keeps a dialog above the window it belongs to, and where programs cannot
// place windows (Wayland) the compositor centres it there.
void TestRunModal::transientForTheInterruptedWindow_data() {
    QTest::addColumn<bool>("owned");
    QTest::newRow("owned by the main window, as the About window") << true;
    QTest::newRow("without an owner, as the message dialog") << false;
}

void TestRunModal::transientForTheInterruptedWindow() {
    QFETCH(bool, owned);
    ProbeForm form(owned ? m_main.get() : nullptr);
    form.setWindowFlags(Qt::Dialog);
    QWindow* transientParent = nullptr;
    whenModal([&](QWidget*) {
        transientParent = form.windowHandle()->transientParent();
        form.ok->click();
        ensureAnswered(&form);
    });
    QCOMPARE(RunModal(&form), mrOk);
    QCOMPARE(transientParent, m_main->windowHandle());
}

void TestRunModal::quitRequestGivesCancel() {
    ProbeForm form;
    whenModal([&](QWidget*) {
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    });
    QCOMPARE(RunModal(&form), mrCancel);
    QVERIFY(QuitMonitor::terminated());
    QVERIFY(!form.isVisible());
    QVERIFY(m_main->isEnabled());
    // The modal window let the application close it, so the quit went through: Qt's exit
    // makes every later loop return -1 at once instead of running the timer.
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&] { probe.exit(7); });
    QCOMPARE(probe.exec(), -1);

    // While the program shuts down, a window that opens ends at once.
    ProbeForm late;
    QCOMPARE(RunModal(&late), mrCancel);
    QVERIFY(!late.isVisible());
}

PICTAVO_TEST_MAIN(TestRunModal, QApplication)
#include "tst_runmodal.moc"
