#include "index/StartIndexRun.h"
#include "tests/index/DriveFolder.h"
#include "tests/index/RecordingFeedback.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

class TestStartIndexRun : public QObject {
    Q_OBJECT

private slots:
    void sizesAreChecked_data() {
        QTest::addColumn<bool>("keepOriginalSize");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QByteArray>("sizes"); // the image tag's size attributes; "-": refused
        const QByteArray refused = "-";
        // clang-format off
        QTest::newRow("plain") << false << "80" << "100" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("plus sign and hex") << false << "+80" << "$64" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("hex $50 is 80") << false << "$50" << "0100" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("leading blanks, bounds") << false << "  9999" << "1" << QByteArray(" Width=\"1\" Height=\"9999\"");
        QTest::newRow("kept size skips the edits") << true << "abc" << "" << QByteArray();
        QTest::newRow("kept size skips the range") << true << "0" << "10000" << QByteArray();
        QTest::newRow("height 0") << false << "0" << "100" << refused;
        QTest::newRow("height -1") << false << "-1" << "100" << refused;
        QTest::newRow("height 12a") << false << "12a" << "100" << refused;
        QTest::newRow("height empty") << false << "" << "100" << refused;
        QTest::newRow("height blanks only") << false << "   " << "100" << refused;
        QTest::newRow("sign before dollar") << false << "+$50" << "100" << refused;
        QTest::newRow("height 10000") << false << "10000" << "100" << refused;
        QTest::newRow("hex above 9999") << false << "$2710" << "100" << refused;
        QTest::newRow("trailing blank") << false << "12 " << "100" << refused;
        QTest::newRow("tab is no blank") << false << "\t12" << "100" << refused;
        QTest::newRow("beyond 32 bits") << false << "4294967376" << "100" << refused;
        QTest::newRow("both bad, one message") << false << "x" << "y" << refused;
        QTest::newRow("width 0") << false << "80" << "0" << refused;
        QTest::newRow("width empty") << false << "80" << "" << refused;
        QTest::newRow("width 1O0") << false << "80" << "1O0" << refused;
        // clang-format on
    }

    void sizesAreChecked() {
        QFETCH(bool, keepOriginalSize);
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QByteArray, sizes);
        DriveFolder folder;
        folder.touch("a.jpg");
        RecordingFeedback feedback;
        IndexRequest request;
        request.KeepOriginalSize = keepOriginalSize;
        request.HeightText = height.toStdString();
        request.WidthText = width.toStdString();
        request.Directory = folder.drivePath() + "\\";
        request.FileName = "index.html";
        StartIndexRun(request);

        const QByteArray page = folder.read("index.html");
        if (sizes == "-") {
            QCOMPARE(feedback.events(),
                     QStringList({"error: The value for Image-Height or Image-Width is incorrect. "
                                  "Please enter a number from 1 to 9999"}));
            QCOMPARE(page, "<missing>");
        } else {
            QVERIFY(page.contains(" <img SRC=\"a.jpg\" Alt=\"a\"" + sizes + "></td>\r\n"));
        }
    }

    // The searches for three patterns and the page read the drive table once between them.
    void oneReadOfTheDrivesPerRun() {
        DriveFolder folder;
        folder.touch("a.jpg");
        folder.touch("b.gif");
        RecordingFeedback feedback;
        IndexRequest request;
        request.KeepOriginalSize = true;
        request.Directory = folder.drivePath() + "\\";
        request.FileName = "index.html";
        const int reads = folder.driveReads();
        StartIndexRun(request);
        QVERIFY(folder.read("index.html").contains("b.gif"));
        QCOMPARE(folder.driveReads() - reads, 1);
    }
};

PICTAVO_TEST_MAIN(TestStartIndexRun, QCoreApplication)
#include "tst_startindexrun.moc"
