#include "tests/support/Processes.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

// The help pop-up that F1 on a highlighted menu item asks for, shown by the real viewer for the
// real program: the menu still holds the pointer and the keyboard as the pop-up opens.
class TestX11HelpPopup : public QObject {
    Q_OBJECT

private slots:
    void menuItemPopupCloses_data();
    void menuItemPopupCloses();

private:
    // Runs a tool on the test's display; its standard output, trimmed.
    static QString tool(const QString& program, const QStringList& arguments);
    static QString visiblePopup();

    QTemporaryDir m_folder;
};

QString TestX11HelpPopup::tool(const QString& program, const QStringList& arguments) {
    return testsupport::toolOutput(program, arguments);
}

QString TestX11HelpPopup::visiblePopup() {
    return tool("xdotool", {"search", "--onlyvisible", "--classname", "^pictavo-help$"});
}

void TestX11HelpPopup::menuItemPopupCloses_data() {
    QTest::addColumn<QStringList>("action"); // xdotool's arguments, once the menu is closed
    QTest::newRow("a key") << QStringList{"key", "Escape"};
    QTest::newRow("a click elsewhere") << QStringList{"mousemove", "1200", "1000", "click", "1"};
}

void TestX11HelpPopup::menuItemPopupCloses() {
    QFETCH(QStringList, action);
    const QDir programs = QFileInfo(QStringLiteral(PICTAVO_BINARY)).dir();
    QProcess program;
    program.start(QStringLiteral(PICTAVO_BINARY), {m_folder.path()});
    const auto ending = qScopeGuard([&] {
        program.terminate();
        program.waitForFinished(60000);
        // The viewer outlives the program; command 2 ends it.
        tool(programs.filePath("pictavo-help"), {programs.filePath("Pictavo.hlp"), "2", "0"});
    });
    const QString window = tool("timeout", {"60", "xdotool", "search", "--sync", "--onlyvisible",
                                            "--name", "^Zelmar Pictavo$"})
                               .section('\n', 0, 0);
    QVERIFY(!window.isEmpty());
    tool("xdotool", {"windowactivate", "--sync", window});
    tool("xdotool", {"key", "alt+h", "Down", "F1"}); // the Help menu, an item, its help
    QDeadlineTimer shown(60000);
    while (!shown.hasExpired() && visiblePopup().isEmpty())
        QTest::qWait(100);
    QVERIFY2(!visiblePopup().isEmpty(), "no pop-up");
    tool("xdotool", {"key", "Escape"}); // the menu goes

    // The pop-up may take a moment to get what the menu let go of.
    QDeadlineTimer gone(10000);
    while (!gone.hasExpired() && !visiblePopup().isEmpty()) {
        tool("xdotool", action);
        QTest::qWait(300);
    }
    QVERIFY2(visiblePopup().isEmpty(), "the pop-up stays");
}

int main(int argc, char** argv) {
    testsupport::TestEnvironment environment;
    QCoreApplication application(argc, argv);
    TestX11HelpPopup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11helppopup.moc"
