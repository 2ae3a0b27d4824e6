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

// C: is the host root: the test's private configuration folder maps no other drive.
QString drivePath(QString hostPath) {
    return QStringLiteral("C:") + hostPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

class TestPictavoIndex : public QObject {
    Q_OBJECT

    // The desktop opener's stand-in comes first on the PATH.
    Result run(QStringList arguments) {
        arguments.replaceInStrings(QStringLiteral("PICS"), m_pictures);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", PICTAVO_TEST_STUBS ":" + environment.value("PATH"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        if (!m_standardOutput.isEmpty())
            process.setStandardOutputFile(m_standardOutput);
        if (!m_standardError.isEmpty())
            process.setStandardErrorFile(m_standardError);
        process.start(QStringLiteral(PICTAVO_INDEX_BINARY), arguments);
        Result result;
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = process.exitCode();
            result.out = process.readAllStandardOutput();
            result.errorLines = QString::fromUtf8(process.readAllStandardError())
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        return result;
    }

    QTemporaryDir m_dir;
    QString m_pictures;
    QString m_standardOutput; // a file instead of the pipe, when set
    QString m_standardError;

private slots:
    void init() {
        m_pictures = m_dir.filePath(QStringLiteral("pics"));
        QDir(m_pictures).removeRecursively();
        QVERIFY(QDir().mkpath(m_pictures + QStringLiteral("/empty")));
        for (const char* name : {"/b.GIF", "/a.jpg", "/a.jpg.txt"})
            touch(m_pictures + QLatin1String(name));
    }

    void writesThePage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("sizes");
        // clang-format off
        QTest::newRow("original size") << QStringList{"PICS"} << "PICS/index.html" << QByteArray();
        QTest::newRow("fixed size") << QStringList{"--height", "80", "--width", "$64", "PICS"} << "PICS/index.html"
            << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("inline values, other name") << QStringList{"--height=+80", "--width=  9", "--output=p.htm", "PICS"}
            << "PICS/p.htm" << QByteArray(" Width=\"9\" Height=\"80\"");
        QTest::newRow("relative directory") << QStringList{"pics"} << "PICS/index.html" << QByteArray();
        QTest::newRow("directory after --") << QStringList{"--", "PICS"} << "PICS/index.html" << QByteArray();
        // clang-format on
    }

    void writesThePage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, page);
        QFETCH(QByteArray, sizes);
        page.replace(QStringLiteral("PICS"), m_pictures);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, (page + QLatin1Char('\n')).toUtf8());
        QCOMPARE(result.errorLines,
                 QStringList({"Searching for *.JPEG...", "Searching for *.JPG...",
                              "Searching for *.GIF...", "Writing HTML file...",
                              "Finished file \"" + drivePath(page) + "\""}));
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("Contents of directory '" + drivePath(m_pictures).toUtf8() +
                               "' (2 Images):<br>\r\n"));
        QVERIFY(bytes.contains(" <img SRC=\"a.jpg\" Alt=\"a\"" + sizes + "></td>\r\n"));
        QVERIFY(bytes.indexOf("a.jpg") < bytes.indexOf("b.GIF"));
    }

    void errors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString size = "The value for Image-Height or Image-Width is incorrect. Please enter "
                             "a number from 1 to 9999";
        const QString none = "Sorry, but Pictavo can't find any file (*.JPG,*.JPEG or *.GIF) in "
                             "the selected directory. Please select a directory that contains "
                             "Images.";
        // clang-format off
        QTest::newRow("height without width") << QStringList{"--height", "80", "PICS"} << 1 << size;
        QTest::newRow("empty directory argument") << QStringList{""} << 1 << "Please select a directory to search in and try again.";
        QTest::newRow("no pictures") << QStringList{"PICS/empty"} << 1 << none;
        QTest::newRow("missing directory") << QStringList{"PICS/missing"} << 1
            << "'PICS/missing' cannot be indexed: File not found";
        QTest::newRow("a file, not a directory") << QStringList{"PICS/a.jpg"} << 1 << none;
        QTest::newRow("empty output name") << QStringList{"--output", "", "PICS"} << 1
            << "You didn't specify a filename. Please enter a Filename (e.g. index.html) and try again.";
        QTest::newRow("output in a missing folder") << QStringList{"--output", "no/x.html", "PICS"} << 1
            << "Unexpected Error while writing HTML-file! Maybe the disc is full or write-protected.";
        QTest::newRow("no directory") << QStringList{} << 2 << "no directory given";
        QTest::newRow("two directories") << QStringList{"a", "b"} << 2 << "more than one directory given: 'a' and 'b'";
        QTest::newRow("unknown option") << QStringList{"-x", "a"} << 2 << "unknown option '-x'";
        QTest::newRow("value missing") << QStringList{"a", "--height"} << 2 << "option '--height' needs a value";
        QTest::newRow("option as value") << QStringList{"--output", "--open", "a"} << 2 << "option '--output' needs a value";
        QTest::newRow("value for a switch") << QStringList{"--open=yes", "a"} << 2 << "option '--open' takes no value";
        QTest::newRow("option twice") << QStringList{"--width", "1", "--width=2", "a"} << 2 << "option '--width' given more than once";
        QTest::newRow("backslash in DIR") << QStringList{"a\\b"} << 2
            << "'a\\b' cannot be indexed: a directory path holding '\\' has no drive path";
        // clang-format on
    }

    void errors() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        message.replace(QStringLiteral("PICS"), m_pictures);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(result.out.isEmpty());
        if (exitCode == 2) {
            QCOMPARE(result.errorLines.value(0), "pictavo-index: " + message);
            QVERIFY(result.errorLines.value(1).startsWith("Usage: pictavo-index"));
        } else {
            QCOMPARE(result.errorLines.value(result.errorLines.size() - 1),
                     "pictavo-index: " + message);
        }
        QVERIFY(!QFile::exists(m_pictures + QStringLiteral("/index.html")));
    }

    // A script must not take a result it never received for success.
    void lostOutputFails_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("toStandardOutput"); // else standard error is full
        QTest::newRow("result line") << QStringList{"PICS"} << true;
        QTest::newRow("progress texts") << QStringList{"PICS"} << false;
        QTest::newRow("help") << QStringList{"--help"} << true;
    }

    void lostOutputFails() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, toStandardOutput);
        const auto reset = qScopeGuard([this] { m_standardOutput = m_standardError = {}; });
        (toStandardOutput ? m_standardOutput : m_standardError) = QStringLiteral("/dev/full");
        QCOMPARE(run(arguments).exitCode, 1);
    }

    void openHandsThePageToTheDesktop() {
        const QString log = m_dir.filePath(QStringLiteral("opened.txt"));
        qputenv("PICTAVO_STUB_LOG", QFile::encodeName(log));
        QCOMPARE(run({"--open", "PICS"}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 20000);
        QFile opened(log);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QCOMPARE(opened.readAll(), "xdg-open\n" + QFile::encodeName(m_pictures) + "/index.html\n");
    }
};

PICTAVO_TEST_MAIN(TestPictavoIndex, QCoreApplication)
#include "tst_pictavoindex.moc"
