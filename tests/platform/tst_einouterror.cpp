#include "platform/errors/EInOutError.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

// The message an error code gives, for the codes the platform reports.
class TestEInOutError : public QObject {
    Q_OBJECT

private slots:
    void message_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("file not found") << 2 << "File not found";
        QTest::newRow("path not found") << 3 << "Invalid filename";
        QTest::newRow("too many open files") << 4 << "Too many open files";
        QTest::newRow("access denied") << 5 << "File access denied";
        QTest::newRow("not ready has no text of its own") << 21 << "I/O error 21";
    }

    void message() {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(QString::fromStdString(EInOutError(code).what()), message);
        QCOMPARE(QString::fromStdString(EInOutError::messageFor(code)), message);
    }
};

PICTAVO_TEST_MAIN(TestEInOutError, QCoreApplication)
#include "tst_einouterror.moc"
