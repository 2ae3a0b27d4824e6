#include "app/ErrorGuard.h"
#include "app/QuitMonitor.h"
#include "app/RunModal.h"
#include "tests/app/ModalDriver.h"
#include "tests/app/ProbeForm.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

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
    // Must stay last: a quit request ends every later event loop of this process.
    void quitRequestGivesCancel();

private:
    std::unique_ptr<QWidget> m_main;
};

void TestRunModal::init() {
    m_main = std::make_unique<QWidget>();
    m_main->setWindowTitle(QStringLiteral("main"));
    m_main->resize(300, 200);
    m_main->show();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestRunModal::cleanup() {
    SetErrorHandler({});
    m_main.reset();
}

enum class Ending {
    OkButton,
    AllButton,
    CloseRequest,
    EscapeWithCancelButton,
    EscapeWithout,
    ButtonWithoutResult,
    Accept,
    HiddenFromOutside,
    Destroyed
};

void TestRunModal::endsWith_data() {
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("expected");
    QTest::newRow("button with result OK") << Ending::OkButton << mrOk;
    QTest::newRow("button with result All") << Ending::AllButton << mrAll;
    QTest::newRow("close request") << Ending::CloseRequest << mrCancel;
    QTest::newRow("Escape presses the cancel button") << Ending::EscapeWithCancelButton << mrAbort;
    QTest::newRow("Escape without cancel button, then close") << Ending::EscapeWithout << mrCancel;
    QTest::newRow("button without result, then OK") << Ending::ButtonWithoutResult << mrOk;
    QTest::newRow("accept() of QDialog") << Ending::Accept << mrOk;
    QTest::newRow("hidden from outside") << Ending::HiddenFromOutside << mrCancel;
    QTest::newRow("destroyed while open") << Ending::Destroyed << mrCancel;
}

void TestRunModal::endsWith() {
    QFETCH(Ending, ending);
    QFETCH(int, expected);
    QPointer<ProbeForm> form = new ProbeForm;
    if (ending == Ending::EscapeWithout)
        form->abort->setCancel(false);
    bool stayedOpen = true;
    QWidget* shown = nullptr;
    whenModal([&](QWidget* window) {
        shown = window;
        switch (ending) {
        case Ending::OkButton:
            form->ok->click();
            break;
        case Ending::AllButton:
            form->all->click();
            break;
        case Ending::CloseRequest:
            requestClose(form);
            break;
        case Ending::EscapeWithCancelButton:
            pressKey(form, Qt::Key_Escape);
            break;
        case Ending::EscapeWithout:
            pressKey(form, Qt::Key_Escape);
            stayedOpen = form->isVisible() && form->modalResult() == mrNone;
            requestClose(form);
            break;
        case Ending::ButtonWithoutResult:
            form->plain->click();
            stayedOpen = form->isVisible() && form->modalResult() == mrNone;
            form->ok->click();
            break;
        case Ending::Accept:
            form->accept();
            break;
        case Ending::HiddenFromOutside:
            form->hide();
            break;
        case Ending::Destroyed:
            delete form;
            break;
        }
        if (form)
            ensureAnswered(form);
    });
    ProbeForm* const opened = form;
    QCOMPARE(RunModal(form), expected);
    QCOMPARE(shown, opened);
    QVERIFY(stayedOpen);
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
    QWidget second;
    second.show();
    QWidget hidden;
    QWidget alreadyDisabled;
    alreadyDisabled.setEnabled(false);
    alreadyDisabled.show();
    QWidget grabber;
    grabber.show();
    grabber.grabMouse();
    // Owned by the main window, as the About window is: disabling the owner must not take it.
    ProbeForm form(m_main.get());
    form.setWindowFlags(Qt::Dialog);

    QCOMPARE(QWidget::mouseGrabber(), &grabber);
    QString during;
    whenModal([&](QWidget*) {
        during = QStringLiteral("main %1, second %2, grabber %3, modal %4 %5, grab %6, active %7")
                     .arg(m_main->isEnabled())
                     .arg(second.isEnabled())
                     .arg(grabber.isEnabled())
                     .arg(form.isEnabled())
                     .arg(form.ok->isEnabled())
                     .arg(QWidget::mouseGrabber() != nullptr)
                     .arg(QTest::qWaitForWindowActive(&form));
        form.ok->click();
        ensureAnswered(&form);
    });
    QCOMPARE(RunModal(&form), mrOk);
    QCOMPARE(during, QStringLiteral("main 0, second 0, grabber 0, modal 1 1, grab 0, active 1"));
    QVERIFY(m_main->isEnabled());
    QVERIFY(second.isEnabled());
    QVERIFY(hidden.isEnabled());
    QVERIFY(!alreadyDisabled.isEnabled());
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestRunModal::closeStep_data() {
    QTest::addColumn<QString>(
        "script"); // one letter per close step: a accepts, r refuses, x raises
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("errors");
    QTest::newRow("accepts") << "a" << mrAll << 0;
    QTest::newRow("refuses once, then accepts") << "ra" << mrAll << 0;
    QTest::newRow("raises: the window still closes") << "x" << mrAll << 1;
}

void TestRunModal::closeStep() {
    QFETCH(QString, script);
    QFETCH(int, expected);
    QFETCH(int, errors);
    int handled = 0;
    QString message;
    SetErrorHandler([&](std::exception_ptr error) {
        ++handled;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = QString::fromUtf8(e.what());
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
        form.all->click();
        if (script.size() > 1) {
            when([&] { return form.closeQueries == 1; },
                 [&] {
                     reopened = form.isVisible() && form.modalResult() == mrNone;
                     form.all->click();
                     ensureAnswered(&form);
                 });
        } else {
            ensureAnswered(&form);
        }
    });
    QCOMPARE(RunModal(&form), expected);
    QVERIFY(reopened);
    QCOMPARE(form.closeQueries, script.size());
    QCOMPARE(handled, errors);
    if (errors)
        QCOMPARE(message, QStringLiteral("close step failed"));
    QVERIFY(m_main->isEnabled());
    QVERIFY(!form.isVisible());
}

void TestRunModal::nestedModalWindows() {
    ProbeForm outer;
    ProbeForm inner(&outer);
    inner.setWindowFlags(Qt::Dialog);
    int innerResult = -1;
    bool outerDisabled = false;
    bool outerBackAfterInner = false;
    QObject::connect(outer.plain, &QAbstractButton::clicked, &outer, [&] {
        whenModal(
            [&](QWidget* window) {
                outerDisabled = window == &inner && !outer.isEnabled() && !m_main->isEnabled();
                pressKey(&inner, Qt::Key_Escape);
                ensureAnswered(&inner);
            },
            &outer);
        innerResult = RunModal(&inner);
        outerBackAfterInner = outer.isEnabled() && outer.isVisible() && !m_main->isEnabled();
    });
    whenModal([&](QWidget*) {
        outer.plain->click();
        outer.ok->click();
        ensureAnswered(&outer);
    });
    QCOMPARE(RunModal(&outer), mrOk);
    QCOMPARE(innerResult, mrAbort);
    QVERIFY(outerDisabled);
    QVERIFY(outerBackAfterInner);
    QVERIFY(m_main->isEnabled());
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
