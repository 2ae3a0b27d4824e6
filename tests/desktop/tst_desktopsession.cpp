#include "platform/registry/Registry.h"
#include "platform/testing/RegistrySandbox.h"
#include "tests/support/Processes.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using platform::RegistrySandbox;

// The desktop program as users meet it: real processes on an X server with a window manager
// (tests/x11/with-window-manager.sh), driven by synthetic key presses. Run twice, so the second
// start shows what the first saved.
class TestDesktopSession : public QObject {
    Q_OBJECT

private slots:
    void indexAndComeBack();

private:
    // Runs a tool on the test's display; its standard output, trimmed.
    QString tool(const QString& program, const QStringList& arguments);
    QString waitForWindow(const QString& title);

    QTemporaryDir m_folder;
};

QString TestDesktopSession::tool(const QString& program, const QStringList& arguments) {
    return testsupport::toolOutput(program, arguments);
}

QString TestDesktopSession::waitForWindow(const QString& title) {
    return tool("timeout",
                {"60", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^" + title + "$"})
        .section('\n', 0, 0);
}

void TestDesktopSession::indexAndComeBack() {
    const QString pictures = m_folder.filePath("Holiday Pictures");
    QVERIFY(QDir().mkpath(pictures));
    for (const char* name : {"beach.jpg", "Boat.GIF"}) {
        QFile picture(QDir(pictures).filePath(name));
        QVERIFY(picture.open(QIODevice::WriteOnly)); // the index looks at names only
    }

    QProcess first;
    first.start(QStringLiteral(PICTAVO_BINARY), {pictures});
    QString window = waitForWindow("Zelmar Pictavo");
    QVERIFY(!window.isEmpty());
    tool("xdotool", {"windowactivate", "--sync", window});
    tool("xdotool", {"windowmove", "--sync", window, "200", "150"});
    const QString placed = tool("xdotool", {"getwindowgeometry", window}).section('\n', 1);
    tool("xdotool", {"key", "Return"});
    const QString question = waitForWindow("Confirm");
    QVERIFY(!question.isEmpty());
    tool("xdotool", {"key", "--window", question, "Escape"}); // No: nothing is opened
    const QStringList confirm{"search", "--onlyvisible", "--name", "^Confirm$"};
    for (QDeadlineTimer gone(60000); !gone.hasExpired() && !tool("xdotool", confirm).isEmpty();)
        QTest::qWait(100);
    tool("xdotool", {"windowactivate", "--sync", window});
    tool("xdotool", {"key", "alt+F4"});
    QVERIFY(first.waitForFinished(60000));
    QCOMPARE(first.exitCode(), 0);

    QFile page(QDir(pictures).filePath("index.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    QVERIFY(html.contains("SRC=\"beach.jpg\"") && html.contains("SRC=\"Boat.GIF\""));
    const std::string settings = "Software\\Zelmar Inc.\\Pictavo\\1.0";
    QCOMPARE(QString::fromStdString(RegistrySandbox::value(settings, "CurPath").bytes),
             "C:" + QString(pictures).replace('/', '\\'));
    QCOMPARE(RegistrySandbox::value(settings, "KeepSize").bytes, "1");
    QCOMPARE(RegistrySandbox::value(settings, "Filename").bytes, "index.html");

    QProcess second;
    second.start(QStringLiteral(PICTAVO_BINARY), {});
    window = waitForWindow("Zelmar Pictavo");
    QVERIFY(!window.isEmpty());
    const QString restored = tool("xdotool", {"getwindowgeometry", window}).section('\n', 1);
    tool("xdotool", {"windowactivate", "--sync", window});
    tool("xdotool", {"key", "alt+F4"});
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(restored, placed);
}

int main(int argc, char** argv) {
    testsupport::TestEnvironment environment;
    QCoreApplication application(argc, argv);
    TestDesktopSession test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopsession.moc"
