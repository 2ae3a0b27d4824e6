#include "help/HelpCall.h"
#include "platform/shell/Shell.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>

// The arguments the program's shell passes: FILE COMMAND DATA, the name as bytes.
class TestHelpCall : public QObject {
    Q_OBJECT

private slots:
    void fromArguments_data();
    void fromArguments();
    void deserialized_data();
    void deserialized();
    void takeMadeAt_data();
    void takeMadeAt();
};

void TestHelpCall::fromArguments_data() {
    QTest::addColumn<QList<QByteArray>>("arguments");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("command");
    QTest::addColumn<quint32>("data");
    QTest::addColumn<QString>("error");
    // clang-format off
    QTest::newRow("pop-up") << QList<QByteArray>{"/h/P.hlp", "8", "10600"} << QByteArray("/h/P.hlp") << 8 << 10600u << "";
    // Names are bytes; one that is not UTF-8 reaches the file system unchanged.
    QTest::newRow("name not UTF-8") << QList<QByteArray>{"/h/\xe9\xff.hlp", "3", "0"} << QByteArray("/h/\xe9\xff.hlp") << 3 << 0u << "";
    QTest::newRow("relative name") << QList<QByteArray>{"P.hlp", "3", "0"} << QFile::encodeName(QDir::currentPath()) + "/P.hlp" << 3 << 0u << "";
    QTest::newRow("data too large") << QList<QByteArray>{"/P.hlp", "1", "4294967296"} << QByteArray() << 0 << 0u
        << "the data \"4294967296\" is not a number from 0 to 4294967295";
    QTest::newRow("unknown command") << QList<QByteArray>{"/P.hlp", "4", "0"} << QByteArray() << 0 << 0u << "unknown command \"4\"";
    QTest::newRow("command with a sign") << QList<QByteArray>{"/P.hlp", "+1", "0"} << QByteArray() << 0 << 0u << "unknown command \"+1\"";
    QTest::newRow("empty name") << QList<QByteArray>{"", "1", "0"} << QByteArray() << 0 << 0u << "the help file name is empty";
    QTest::newRow("name beyond the system's limit") << QList<QByteArray>{"/" + QByteArray(4096, 'a'), "1", "0"}
        << QByteArray() << 0 << 0u << "the help file name is too long";
    QTest::newRow("too few") << QList<QByteArray>{"/P.hlp", "1"} << QByteArray() << 0 << 0u
        << "expected a help file, a command and its data, got 2 argument(s)";
    // clang-format on
}

void TestHelpCall::fromArguments() {
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(QByteArray, file);
    QFETCH(int, command);
    QFETCH(quint32, data);
    QFETCH(QString, error);
    std::vector<std::string> list;
    for (const QByteArray& argument : arguments)
        list.push_back(argument.toStdString());
    const HelpCall call = HelpCall::fromArguments(list, 7);
    QCOMPARE(call.error, error);
    QCOMPARE(call.file, file);
    QCOMPARE(call.command, command);
    QCOMPARE(call.data, data);
}

namespace {

// A request as a viewer receives it, in the layout of this version unless `version` says
// otherwise, with `trailing` bytes after it.
QByteArray payload(const QByteArray& file, quint16 command, quint32 version = 0,
                   const QByteArray& trailing = {}, const QString& error = {}) {
    QByteArray bytes;
    if (version == 0) {
        HelpCall call;
        call.file = file;
        call.command = command;
        call.data = 1000;
        call.madeAt = 7;
        call.error = error;
        bytes = call.serialized();
    } else {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << version << file << command << quint32(1000) << qint64(7) << error;
    }
    return bytes + trailing;
}

} // namespace

void TestHelpCall::deserialized_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("error");
    const QByteArray atLimit = "/" + QByteArray(4095, 'a');
    // clang-format off
    QTest::newRow("a topic") << payload("/P.hlp", 1) << QByteArray("/P.hlp") << 1 << "";
    QTest::newRow("a name at the system's limit") << payload(atLimit, 8) << atLimit << 8 << "";
    QTest::newRow("the sender's error") << payload("", 0, 0, {}, "unknown command \"5\"") << QByteArray() << 0 << "unknown command \"5\"";
    QTest::newRow("empty") << QByteArray() << QByteArray() << 0 << "the request came from another version of the help viewer";
    QTest::newRow("another version") << payload("/P.hlp", 1, 0x50480002) << QByteArray() << 0
        << "the request came from another version of the help viewer";
    QTest::newRow("trailing bytes") << payload("/P.hlp", 1, 0, "x") << QByteArray() << 0 << "the request arrived damaged";
    QTest::newRow("cut short") << payload("/P.hlp", 1).chopped(1) << QByteArray() << 0 << "the request arrived damaged";
    QTest::newRow("unknown command") << payload("/P.hlp", 4) << QByteArray() << 0 << "unknown command \"4\"";
    QTest::newRow("a name beyond the system's limit") << payload(atLimit + "a", 1) << QByteArray() << 0
        << "the help file name is too long";
    // clang-format on
}

void TestHelpCall::deserialized() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, file);
    QFETCH(int, command);
    QFETCH(QString, error);
    const HelpCall call = HelpCall::deserialized(bytes);
    QCOMPARE(call.error, error);
    QCOMPARE(call.file, file);
    QCOMPARE(int(call.command), command);
}

void TestHelpCall::takeMadeAt_data() {
    QTest::addColumn<QByteArray>("stamp"); // null: unset
    QTest::addColumn<qint64>("expected");  // -1: now
    QTest::newRow("a stamp") << QByteArray("12345") << qint64(12345);
    QTest::newRow("none") << QByteArray() << qint64(-1);
    QTest::newRow("from the future") << QByteArray("9223372036854775807") << qint64(-1);
    QTest::newRow("negative") << QByteArray("-5") << qint64(-1);
    QTest::newRow("not a number") << QByteArray("12x") << qint64(-1);
}

// Taken out of the environment, so a browser started from a help link never sees it.
void TestHelpCall::takeMadeAt() {
    QFETCH(QByteArray, stamp);
    QFETCH(qint64, expected);
    if (!stamp.isNull())
        qputenv("PICTAVO_HELP_MADE_AT", stamp);
    const qint64 before = HelpCall::now();
    const qint64 madeAt = HelpCall::takeMadeAt();
    if (expected >= 0)
        QCOMPARE(madeAt, expected);
    else
        QVERIFY(madeAt >= before && madeAt <= HelpCall::now());
    QVERIFY(!qEnvironmentVariableIsSet("PICTAVO_HELP_MADE_AT"));
}

PICTAVO_TEST_MAIN(TestHelpCall, QCoreApplication)
#include "tst_helpcall.moc"
