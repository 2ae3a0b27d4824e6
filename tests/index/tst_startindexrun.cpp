#include "index/StartIndexRun.h"
#include "tests/index/DriveFolder.h"
#include "tests/index/RecordingFeedback.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

namespace {

const QString kBadSize = QStringLiteral("error: The value for Image-Height or Image-Width is "
                                        "incorrect. Please enter a number from 1 to 9999");

} // namespace

class TestStartIndexRun : public QObject {
    Q_OBJECT

private slots:
    void sizesAreChecked_data() {
        QTest::addColumn<bool>("keepOriginalSize");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QByteArray>("sizeAttributes"); // empty: the run must not start

        const QByteArray refused;
        QTest::newRow("plain") << false << "80"
                               << "100" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("plus sign") << false << "+80"
                                   << "100" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("hexadecimal") << false << "$50"
                                     << "$64" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("leading blanks") << false << "  12"
                                        << " 1" << QByteArray(" Width=\"1\" Height=\"12\"");
        QTest::newRow("bounds") << false << "9999"
                                << "1" << QByteArray(" Width=\"1\" Height=\"9999\"");
        QTest::newRow("leading zeros") << false << "0080"
                                       << "+0100" << QByteArray(" Width=\"100\" Height=\"80\"");
        QTest::newRow("keep size ignores letters") << true << "abc"
                                                   << "" << QByteArray("");
        QTest::newRow("keep size ignores out of range") << true << "0"
                                                        << "10000" << QByteArray("");

        QTest::newRow("height zero") << false << "0"
                                     << "100" << refused;
        QTest::newRow("height negative") << false << "-1"
                                         << "100" << refused;
        QTest::newRow("height with a letter") << false << "12a"
                                              << "100" << refused;
        QTest::newRow("height empty") << false << ""
                                      << "100" << refused;
        QTest::newRow("height only blanks") << false << "   "
                                            << "100" << refused;
        QTest::newRow("sign before dollar") << false << "+$50"
                                            << "100" << refused;
        QTest::newRow("height too large") << false << "10000"
                                          << "100" << refused;
        QTest::newRow("hex too large") << false << "$2710"
                                       << "100" << refused;
        QTest::newRow("trailing blank") << false << "12 "
                                        << "100" << refused;
        QTest::newRow("tab before the number") << false << "\t12"
                                               << "100" << refused;
        QTest::newRow("beyond 32 bits") << false << "4294967376"
                                        << "100" << refused;
        QTest::newRow("both bad, one message") << false << "x"
                                               << "y" << refused;
        QTest::newRow("width zero") << false << "80"
                                    << "0" << refused;
        QTest::newRow("width empty") << false << "80"
                                     << "" << refused;
        QTest::newRow("width with a letter") << false << "80"
                                             << "1O0" << refused;
        QTest::newRow("width too large") << false << "80"
                                         << "10000" << refused;
    }

    void sizesAreChecked() {
        QFETCH(bool, keepOriginalSize);
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QByteArray, sizeAttributes);
        const bool accepted = !sizeAttributes.isEmpty() || keepOriginalSize;

        DriveFolder folder;
        folder.touch("a.jpg");
        RecordingFeedback feedback;
        IndexRequest request;
        request.KeepOriginalSize = keepOriginalSize;
        request.HeightText = height.toStdString();
        request.WidthText = width.toStdString();
        request.Directory = folder.drivePath() + "\\"; // the drive's root
        request.FileName = "index.html";
        StartIndexRun(request);

        const QByteArray page = folder.read("index.html");
        if (!accepted) {
            QCOMPARE(feedback.events(), QStringList({kBadSize}));
            QVERIFY(page.isEmpty());
            return;
        }
        QVERIFY(!feedback.events().contains(kBadSize));
        QVERIFY(page.contains(" <img SRC=\"a.jpg\" Alt=\"a\"" + sizeAttributes + "></td>\r\n"));
    }

    void requestReachesTheRun() {
        RecordingFeedback feedback;
        IndexRequest request;
        request.KeepOriginalSize = false;
        request.HeightText = "80";
        request.WidthText = "80";
        StartIndexRun(request);
        QCOMPARE(feedback.events(),
                 QStringList({"error: Please select a directory to search in and try again."}));
    }
};

PICTAVO_TEST_MAIN(TestStartIndexRun, QCoreApplication)
#include "tst_startindexrun.moc"
