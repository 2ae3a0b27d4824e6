#include "app/Application.h"
#include "app/ShowMessageDialog.h"
#include "guard/ErrorGuard.h"
#include "platform/testing/RegistrySandbox.h"
#include "settings/TPersWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <stdexcept>

// The way out of the program: every way of ending it runs the same exit sequence. Each case
// runs in a child process of this test, since ending the event loop cannot be undone.
class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void exitSequence_data();
    void exitSequence();
};

namespace {

const std::string PlacementKey = "Software\\Probe";

bool placementSaved() {
    return platform::RegistrySandbox::value(PlacementKey, "WinLeft").status == 0;
}

// Stands in for the main window: its destruction handler reports what the user would see at
// that moment, and may fail as a faulty settings write would.
class ProbeWindow : public QWidget {
public:
    explicit ProbeWindow(bool failing)
        : m_failing(failing) {
        auto* placement = new TPersWindow(this);
        placement->setRegPath(PlacementKey);
        placement->setRgNameLeft("WinLeft");
        placement->loaded();
        resize(200, 100);
    }
    ~ProbeWindow() override {
        runGuarded([this] {
            std::printf("destroy visible=%d placement=%d\n", isVisible(), placementSaved());
            std::fflush(stdout);
            if (m_failing)
                throw std::runtime_error("settings write failed");
        });
    }

private:
    bool m_failing;
};

int runScenario(const QString& how, int argc, char** argv) {
    Application application(argc, argv);
    ErrorHandler::install([](std::exception_ptr) {});
    auto* window = new ProbeWindow(how == "FormDestroy fails");
    application.setMainForm(window);
    QTimer::singleShot(0, window, [how, window] {
        if (how == "close" || how == "FormDestroy fails")
            window->close();
        else if (how == "an unguarded error, then close") {
            // Reaches only the application's own backstop.
            QTimer::singleShot(0, window, [] { throw std::runtime_error("unguarded"); });
            QTimer::singleShot(0, window, [window] { window->close(); });
        } else if (how == "SIGTERM during a dialog") {
            QTimer::singleShot(0, [] { std::raise(SIGTERM); });
            ShowMessageDialog("open", MessageKind::Information, {MessageButton::OK}, 0);
        } else
            std::raise(how == "SIGHUP" ? SIGHUP : how == "SIGINT" ? SIGINT : SIGTERM);
    });
    return application.Run();
}

} // namespace

void TestApplication::exitSequence_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"close", "SIGTERM", "SIGHUP", "SIGINT", "SIGTERM during a dialog",
                            "FormDestroy fails", "an unguarded error, then close"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TestApplication::exitSequence() {
    QFETCH(QString, how);
    platform::RegistrySandbox registry;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--scenario"), how});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    // The settings go first, once the window has vanished; the placement follows.
    QCOMPARE(child.readAllStandardOutput(), QByteArray("destroy visible=0 placement=0\n"));
    QVERIFY(placementSaved());
}

int main(int argc, char** argv) {
    // A scenario runs in the parent's private environment and registry sandbox.
    if (argc == 3 && qstrcmp(argv[1], "--scenario") == 0)
        return runScenario(QString::fromLocal8Bit(argv[2]), argc, argv);
    testsupport::TestEnvironment environment;
    QApplication application(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
