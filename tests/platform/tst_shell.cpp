#include "platform/shell/HostShell.h"
#include "platform/shell/StartDetached.h"
#include "platform/shell/ToolkitArguments.h"
#include "platform/testing/FakeDriveTable.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <sys/stat.h>

using namespace platform;

// The host's shell hands names to the processes it starts as bytes. Stand-ins for the
// desktop's opener and the help viewer sit beside this test (tests/CMakeLists.txt).
class TestShell : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        qputenv("PATH",
                QFile::encodeName(QCoreApplication::applicationDirPath()) + ":" + qgetenv("PATH"));
        m_log = m_root.filePath("log");
        qputenv("PICTAVO_STUB_LOG", QFile::encodeName(m_log));
    }

    void namesTravelAsBytes_data() {
        QTest::addColumn<bool>("help");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("open") << false << QByteArray("xdg-open\nROOT/caf\xe9/index.html\n");
        QTest::newRow("help") << true
                              << QByteArray("pictavo-help\nROOT/caf\xe9/Pictavo.hlp\n1\n10000\n");
    }

    void namesTravelAsBytes() {
        QFETCH(bool, help);
        QFETCH(QByteArray, expected);
        QFile::remove(m_log);
        FakeDriveTable drives;
        drives.map('C', QFile::encodeName(m_root.path()).toStdString());
        HostShell shell;
        QVERIFY(help ? shell.winHelp("C:\\caf\xe9\\Pictavo.hlp", 1, 10000)
                     : shell.open("C:\\caf\xe9\\index.html"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_log), 30000);
        QFile log(m_log);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), expected.replace("ROOT", QFile::encodeName(m_root.path())));
    }

    // An added entry replaces the inherited one of the same name.
    void addedEnvironmentReplacesInherited() {
        QFile::remove(m_log);
        const QString other = m_root.filePath("other");
        QVERIFY(startDetached("xdg-open", {"x"},
                              {"PICTAVO_STUB_LOG=" + QFile::encodeName(other).toStdString()}));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(other), 30000);
        QVERIFY(!QFile::exists(m_log));
    }

    // Besides their arguments, the started programs get no console of ours, no request stamp
    // of ours and no PATH entry that the current directory (the folder being browsed) could
    // fill, though an opener is planted there.
    void nothingElseIsHandedOn_data() {
        QTest::addColumn<bool>("help");
        QTest::newRow("open") << false;
        QTest::newRow("help") << true;
    }

    void nothingElseIsHandedOn() {
        QFETCH(bool, help);
        QFile::remove(m_log);
        const QString browsed = m_root.filePath("browsed");
        QVERIFY(QDir().mkpath(browsed));
        QFile planted(browsed + "/xdg-open");
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("#!/bin/sh\necho planted > \"$PICTAVO_STUB_LOG\"\n");
        planted.close();
        QVERIFY(chmod(QFile::encodeName(planted.fileName()).constData(), 0755) == 0);
        FakeDriveTable drives;
        drives.map('C', QFile::encodeName(m_root.path()).toStdString());

        const QByteArray path = qgetenv("PATH");
        const QString workingDirectory = QDir::currentPath();
        qputenv("PATH", ":bin:./tools:" + path);
        qputenv("PICTAVO_HELP_MADE_AT", "123");
        QVERIFY(QDir::setCurrent(browsed));
        HostShell shell;
        const bool started =
            help ? shell.winHelp("C:\\Pictavo.hlp", 1, 10000) : shell.open("C:\\index.html");
        QDir::setCurrent(workingDirectory);
        qputenv("PATH", path);
        qunsetenv("PICTAVO_HELP_MADE_AT");
        QVERIFY(started);

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_log), 30000);
        QFile log(m_log);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readLine().trimmed(), help ? "pictavo-help" : "xdg-open");
        QFile context(m_log + ".context");
        QVERIFY(context.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = context.readAll().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], "/dev/null:/dev/null:/dev/null");
        if (help)
            QVERIFY(lines[1].toLongLong() > 0 && lines[1] != "123"); // its own, fresh
        else
            QCOMPARE(lines[1], "unset");
        QVERIFY(
            lines[2].startsWith(QFile::encodeName(QCoreApplication::applicationDirPath()) + ":"));
        for (const QByteArray& folder : lines[2].split(':'))
            QVERIFY2(folder.startsWith('/'), folder.constData());
    }

    // X11 wherever an X display is there, Wayland as the fallback, and a platform the user
    // chose stays theirs; the toolkit's own options come after the program's.
    void windowSystem_data() {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("chosen"); // QT_QPA_PLATFORM
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("added");
        const QStringList x11{"-platform", "xcb;wayland"};
        QTest::newRow("X display, Wayland too")
            << QByteArray(":0") << QByteArray() << QStringList{"pictavo", "/p"} << x11;
        QTest::newRow("no X display")
            << QByteArray() << QByteArray() << QStringList{"pictavo"} << QStringList{};
        QTest::newRow("platform set by the user")
            << QByteArray(":0") << QByteArray("wayland") << QStringList{"pictavo"} << QStringList{};
        QTest::newRow("platform given as an option")
            << QByteArray(":0") << QByteArray() << QStringList{"pictavo", "-platform", "offscreen"}
            << QStringList{};
    }
    void windowSystem() {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, chosen);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, added);
        const QByteArray savedDisplay = qgetenv("DISPLAY"),
                         savedChosen = qgetenv("QT_QPA_PLATFORM");
        const auto restore = qScopeGuard([&] {
            qputenv("DISPLAY", savedDisplay);
            qputenv("QT_QPA_PLATFORM", savedChosen);
        });
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", chosen);
        std::vector<QByteArray> bytes;
        std::vector<char*> argv;
        for (const QString& argument : arguments)
            bytes.push_back(argument.toUtf8());
        for (QByteArray& argument : bytes)
            argv.push_back(argument.data());
        platform::ToolkitArguments toolkit(int(argv.size()), argv.data());
        QStringList passed;
        for (int i = 0; i < toolkit.count(); ++i)
            passed << QString::fromUtf8(toolkit.values()[i]);
        QCOMPARE(passed, arguments + added);
        QCOMPARE(toolkit.values()[toolkit.count()], nullptr);
    }

private:
    QTemporaryDir m_root;
    QString m_log;
};

PICTAVO_TEST_MAIN(TestShell, QCoreApplication)
#include "tst_shell.moc"
