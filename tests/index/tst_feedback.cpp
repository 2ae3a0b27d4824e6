#include "index/Feedback.h"
#include "index/FeedbackBackend.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

class TestFeedback : public QObject {
    Q_OBJECT

private slots:
    void withoutBackendNothingHappensAndTheAnswerIsNo() {
        QVERIFY(FeedbackBackend::current() == nullptr);
        ShowStatus("x");
        ShowErrorMessage("x");
        SetBusyCursor();
        RestoreCursor();
        QVERIFY(!AskYesNo("x"));
    }

    void fileNameWithoutExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("last extension only") << "a.b.gif" << "a.b";
        QTest::newRow("upper case") << "PIC.JPG" << "PIC";
        QTest::newRow("only an extension") << ".gif" << "";
        QTest::newRow("directory part kept") << "C:\\x.y\\PIC.JPG" << "C:\\x.y\\PIC";
        QTest::newRow("dot only in the directory") << "C:\\x.y\\PIC" << "C:\\x.y\\";
        QTest::newRow("drive only") << "C:" << "C:";
        QTest::newRow("no dot") << "readme" << "";
        QTest::newRow("quotes and blanks kept") << "it's \"b\" .jpeg" << "it's \"b\" ";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Ürlaub.Gif") << QString::fromUtf8("Ürlaub");
        // clang-format on
    }

    void fileNameWithoutExtension() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(FileNameWithoutExtension(name.toStdString())), expected);
    }
};

PICTAVO_TEST_MAIN(TestFeedback, QCoreApplication)
#include "tst_feedback.moc"
