#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QStringList errorLines;
};

// The drive path the program shows for a host directory: C: is the host root while no other
// drive is configured, and the test's configuration folder has none.
QString drivePath(const QString& hostPath) {
    return QStringLiteral("C:") + QString(hostPath).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

class TestPictavoIndex : public QObject {
    Q_OBJECT

private:
    Result run(const QStringList& arguments, const QString& workingDirectory = QString(),
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        QProcess process;
        process.setProcessEnvironment(environment);
        if (!workingDirectory.isEmpty())
            process.setWorkingDirectory(workingDirectory);
        process.start(QStringLiteral(PICTAVO_INDEX_BINARY), arguments);
        Result result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = process.readAllStandardOutput();
        result.errorLines = QString::fromUtf8(process.readAllStandardError())
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return result;
    }

    QTemporaryDir m_dir;
    QString m_pictures; // a directory holding two pictures and a near miss

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_pictures = m_dir.filePath(QStringLiteral("pics"));
        QVERIFY(QDir().mkpath(m_pictures));
        touch(m_pictures + QStringLiteral("/b.GIF"));
        touch(m_pictures + QStringLiteral("/a.jpg"));
        touch(m_pictures + QStringLiteral("/a.jpg.txt"));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("empty"))));
    }

    void cleanup() {
        QDir(m_pictures).removeRecursively();
        QDir(m_dir.filePath(QStringLiteral("empty"))).removeRecursively();
    }

    void writesThePageAndPrintsItsPath_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("imageLine");
        QTest::newRow("original size") << QStringList() << "index.html"
                                       << QByteArray(" <img SRC=\"a.jpg\" Alt=\"a\"></td>\r\n");
        QTest::newRow("fixed size")
            << QStringList({"--height", "80", "--width", "$64"}) << "index.html"
            << QByteArray(" <img SRC=\"a.jpg\" Alt=\"a\" Width=\"100\" Height=\"80\"></td>\r\n");
        QTest::newRow("inline values and another name")
            << QStringList({"--height=+80", "--width=  100", "--output=pics.htm"}) << "pics.htm"
            << QByteArray(" <img SRC=\"a.jpg\" Alt=\"a\" Width=\"100\" Height=\"80\"></td>\r\n");
    }

    void writesThePageAndPrintsItsPath() {
        QFETCH(QStringList, options);
        QFETCH(QString, page);
        QFETCH(QByteArray, imageLine);

        const Result result = run(options << m_pictures);
        QCOMPARE(result.exitCode, 0);
        const QString pagePath = m_pictures + QLatin1Char('/') + page;
        QCOMPARE(result.out, (pagePath + QLatin1Char('\n')).toUtf8());
        QCOMPARE(result.errorLines,
                 QStringList({"Searching for *.JPEG...", "Searching for *.JPG...",
                              "Searching for *.GIF...", "Writing HTML file...",
                              "Finished file \"" + drivePath(pagePath) + "\""}));

        QFile file(pagePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("Contents of directory '" + drivePath(m_pictures).toUtf8() +
                               "' (2 Images):<br>\r\n"));
        QVERIFY(bytes.contains(imageLine));
        QVERIFY(bytes.indexOf("a.jpg") < bytes.indexOf("b.GIF"));
        QVERIFY(!bytes.contains("a.jpg.txt"));
    }

    void relativeDirectoryIsTakenFromTheWorkingDirectory() {
        const Result result = run({QStringLiteral(".")}, m_pictures);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, (m_pictures + QStringLiteral("/index.html\n")).toUtf8());
    }

    void failedRunsExitWithOne_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<int>("statusLines");

        const QString badSize = "pictavo-index: The value for Image-Height or Image-Width is "
                                "incorrect. Please enter a number from 1 to 9999";
        const QString noImages =
            "pictavo-index: Sorry, but Pictavo can't find any file (*.JPG,*.JPEG or *.GIF) in "
            "the selected directory. Please select a directory that contains Images.";
        QTest::newRow("height without width")
            << QStringList({"--height", "80", "PICS"}) << badSize << 0;
        QTest::newRow("width without height")
            << QStringList({"--width", "80", "PICS"}) << badSize << 0;
        QTest::newRow("size out of range")
            << QStringList({"--height", "80", "--width", "10000", "PICS"}) << badSize << 0;
        QTest::newRow("size with a sign")
            << QStringList({"--height=-1", "--width=5", "PICS"}) << badSize << 0;
        QTest::newRow("empty directory argument")
            << QStringList({""})
            << "pictavo-index: Please select a directory to search in and try again." << 0;
        QTest::newRow("no pictures") << QStringList({"EMPTY"}) << noImages << 3;
        QTest::newRow("missing directory") << QStringList({"EMPTY/missing"}) << noImages << 3;
        QTest::newRow("a file, not a directory") << QStringList({"PICS/a.jpg"}) << noImages << 3;
        QTest::newRow("empty output name")
            << QStringList({"--output", "", "PICS"})
            << "pictavo-index: You didn't specify a filename. Please enter a Filename (e.g. "
               "index.html) and try again."
            << 3;
        QTest::newRow("output in a missing folder")
            << QStringList({"--output", "missing/index.html", "PICS"})
            << "pictavo-index: Unexpected Error while writing HTML-file! Maybe the disc is full "
               "or write-protected."
            << 5;
    }

    void failedRunsExitWithOne() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, lastLine);
        QFETCH(int, statusLines);
        arguments.replaceInStrings(QStringLiteral("PICS"), m_pictures);
        arguments.replaceInStrings(QStringLiteral("EMPTY"),
                                   m_dir.filePath(QStringLiteral("empty")));

        const Result result = run(arguments);
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.errorLines.size(), statusLines + 1);
        QCOMPARE(result.errorLines.last(), lastLine);
        QVERIFY(!QFile::exists(m_pictures + QStringLiteral("/index.html")));
    }

    void badArgumentsExitWithTwo_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no directory") << QStringList() << "no directory given";
        QTest::newRow("two directories")
            << QStringList({"a", "b"}) << "more than one directory given: 'a' and 'b'";
        QTest::newRow("unknown option")
            << QStringList({"--depth", "2", "a"}) << "unknown option '--depth'";
        QTest::newRow("single-dash option") << QStringList({"-x", "a"}) << "unknown option '-x'";
        QTest::newRow("value missing at the end")
            << QStringList({"a", "--height"}) << "option '--height' needs a value";
        QTest::newRow("option where the value belongs")
            << QStringList({"--output", "--open", "a"}) << "option '--output' needs a value";
        QTest::newRow("value for a switch")
            << QStringList({"--open=yes", "a"}) << "option '--open' takes no value";
        QTest::newRow("option twice") << QStringList({"--width", "1", "--width", "2", "a"})
                                      << "option '--width' given more than once";
        QTest::newRow("backslash in the directory")
            << QStringList({"a\\b"})
            << "'a\\b' cannot be indexed: a directory path holding '\\' has no drive path";
    }

    void badArgumentsExitWithTwo() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Result result = run(arguments, m_dir.path());
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.errorLines.value(0), "pictavo-index: " + message);
        QVERIFY(result.errorLines.value(1).startsWith(QLatin1String("Usage: pictavo-index")));
    }

    void optionsEndAtDoubleDash() {
        const QString dashed = m_dir.filePath(QStringLiteral("-pics"));
        QVERIFY(QDir().rename(m_pictures, dashed));
        const Result result = run({QStringLiteral("--"), QStringLiteral("-pics")}, m_dir.path());
        QVERIFY(QDir().rename(dashed, m_pictures));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, (dashed + QStringLiteral("/index.html\n")).toUtf8());
    }

    void helpDocumentsOptionsAndExitCodes() {
        const Result result = run({QStringLiteral("--help"), QStringLiteral("--bogus")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.errorLines.isEmpty());
        const QString help = QString::fromUtf8(result.out);
        QVERIFY(help.startsWith(QLatin1String(
            "Usage: pictavo-index [--height H --width W] [--output NAME] [--open] DIR\n")));
        for (const char* part : {"--height H", "--width W", "--output NAME", "--open", "--help",
                                 "Exit status", "  0  ", "  1  ", "  2  "})
            QVERIFY2(help.contains(QLatin1String(part)), part);
    }

    void openHandsThePageToTheDesktop_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("--open") << true;
        QTest::newRow("without --open") << false;
    }

    void openHandsThePageToTheDesktop() {
        QFETCH(bool, open);
        // A stand-in for the desktop's opener, found first on the PATH.
        const QString bin = m_dir.filePath(QStringLiteral("bin"));
        const QString log = m_dir.filePath(QStringLiteral("opened.txt"));
        QFile::remove(log);
        QVERIFY(QDir().mkpath(bin));
        QFile stub(bin + QStringLiteral("/xdg-open"));
        QVERIFY(stub.open(QIODevice::WriteOnly | QIODevice::Truncate));
        stub.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + log.toUtf8() + ".part' && mv '" +
                   log.toUtf8() + ".part' '" + log.toUtf8() + "'\n");
        stub.close();
        QVERIFY(stub.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"),
                           bin + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
        QStringList arguments{m_pictures};
        if (open)
            arguments.prepend(QStringLiteral("--open"));
        const Result result = run(arguments, QString(), environment);
        QCOMPARE(result.exitCode, 0);

        if (open) {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 20000);
            QFile opened(log);
            QVERIFY(opened.open(QIODevice::ReadOnly));
            QCOMPARE(opened.readAll(), (m_pictures + QStringLiteral("/index.html\n")).toUtf8());
        } else {
            // The opener is started detached; give a wrongly started one time to show up.
            QTest::qWait(300);
            QVERIFY(!QFile::exists(log));
        }
    }
};

PICTAVO_TEST_MAIN(TestPictavoIndex, QCoreApplication)
#include "tst_pictavoindex.moc"
