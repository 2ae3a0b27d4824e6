#include "index/Feedback.h"
#include "tests/index/RecordingFeedback.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

class TestFeedback : public QObject {
    Q_OBJECT

private slots:
    void servicesWithoutBackendDoNothingAndAnswerNo() {
        QVERIFY(FeedbackBackend::current() == nullptr);
        ShowStatus("x");
        ShowErrorMessage("x");
        SetBusyCursor();
        RestoreCursor();
        QVERIFY(!AskYesNo("x"));
    }

    void servicesReachTheInstalledBackendInOrder() {
        RecordingFeedback recorder(true);
        ShowStatus("Writing HTML file...");
        SetBusyCursor();
        QVERIFY(AskYesNo("Sure?"));
        ShowErrorMessage("Bad");
        RestoreCursor();
        RestoreCursor();
        QCOMPARE(recorder.events(),
                 QStringList({"status: Writing HTML file...", "busy", "confirm: Sure?",
                              "error: Bad", "arrow", "arrow"}));
        QVERIFY(!recorder.busy());
    }

    void installingReturnsTheReplacedBackend() {
        RecordingFeedback outer;
        {
            RecordingFeedback inner(true);
            QCOMPARE(FeedbackBackend::current(), &inner);
            ShowStatus("inner");
        }
        QCOMPARE(FeedbackBackend::current(), &outer);
        QVERIFY(!AskYesNo("outer"));
        QCOMPARE(outer.events(), QStringList({"confirm: outer"}));
    }

    void fileNameWithoutExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last extension only") << "a.b.gif"
                                             << "a.b";
        QTest::newRow("upper case") << "PIC.JPG"
                                    << "PIC";
        QTest::newRow("only an extension") << ".gif"
                                           << "";
        QTest::newRow("directory part kept") << "C:\\x.y\\PIC.JPG"
                                             << "C:\\x.y\\PIC";
        QTest::newRow("dot only in the directory") << "C:\\x.y\\PIC"
                                                   << "C:\\x.y\\";
        QTest::newRow("drive only") << "C:"
                                    << "C:";
        QTest::newRow("trailing separator") << "C:\\pics\\"
                                            << "C:\\pics\\";
        QTest::newRow("no dot") << "readme"
                                << "";
        QTest::newRow("blanks and quotes kept") << "it's a \"b\".jpeg"
                                                << "it's a \"b\"";
        QTest::newRow("non-ASCII")
            << QString::fromUtf8("Ürlaub.Gif") << QString::fromUtf8("Ürlaub");
    }

    void fileNameWithoutExtension() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const std::string result = FileNameWithoutExtension(name.toStdString());
        QCOMPARE(QString::fromStdString(result), expected);
        QCOMPARE(FileNameWithoutExtensionView(name.toStdString()).size(), result.size());
    }
};

PICTAVO_TEST_MAIN(TestFeedback, QCoreApplication)
#include "tst_feedback.moc"
