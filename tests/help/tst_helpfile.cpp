#include "help/HelpFile.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QSet>

#include <fstream>

// The help file as shipped answers every request the program can make and holds no dead link;
// the reader finds topics by their id however the markup around them is nested.
class TestHelpFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void programTopicExists_data();
    void programTopicExists();
    void everyLinkResolvesAndEveryTopicIsReachable();
    void findsTopics_data();
    void findsTopics();
    void loadsANameThatIsNotUtf8();

private:
    HelpFile m_shipped;
};

void TestHelpFile::initTestCase() {
    m_shipped = HelpFile::load(PICTAVO_HELP_FILE);
    QVERIFY2(m_shipped.isValid(), qPrintable(m_shipped.error()));
}

void TestHelpFile::programTopicExists_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("popup");
    // The Help menu's two requests, then the help contexts of the main window's controls.
    QTest::newRow("Help, Contents") << "contents" << false;
    QTest::newRow("Help, What is this?") << "1000" << false;
    for (int context = 10000; context <= 10600; context += 100)
        QTest::newRow(qPrintable(QString::number(context))) << QString::number(context) << true;
}

void TestHelpFile::programTopicExists() {
    QFETCH(QString, key);
    QFETCH(bool, popup);
    QVERIFY(m_shipped.contains(key));
    QVERIFY(!m_shipped.topicTitle(key).isEmpty());
    // A pop-up closes on the first click, so a link in it could never be followed.
    if (popup)
        QCOMPARE(m_shipped.linkedKeys(key), QStringList());
}

void TestHelpFile::everyLinkResolvesAndEveryTopicIsReachable() {
    QSet<QString> reached{"contents"};
    QStringList queue{"contents"};
    while (!queue.isEmpty()) {
        const QString key = queue.takeFirst();
        for (const QString& target : m_shipped.linkedKeys(key)) {
            QVERIFY2(m_shipped.contains(target), qPrintable(key + " links to " + target));
            if (!reached.contains(target)) {
                reached.insert(target);
                queue.append(target);
            }
        }
    }
    for (const QString& key : m_shipped.keys())
        QVERIFY2(reached.contains(key), qPrintable("no link leads to " + key));
}

void TestHelpFile::findsTopics_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("firstTopic");
    // clang-format off
    QTest::newRow("nested elements of the same kind")
        << "<div id=\"topic-1\"><div>a</div><div>b</div></div><div id=\"topic-2\">c</div>"
        << QStringList{"1", "2"} << "<div>a</div><div>b</div>";
    QTest::newRow("other attributes, single quotes, capitals")
        << "<SECTION class=x ID='topic-contents' lang=en><h1>T</h1></SECTION>"
        << QStringList{"contents"} << "<h1>T</h1>";
    QTest::newRow("an element that never closes is left out")
        << "<div id=\"topic-1\">a</div><div id=\"topic-2\">b" << QStringList{"1"} << "a";
    QTest::newRow("the first of two equal ids counts")
        << "<p id=\"topic-1\">first</p><p id=\"topic-1\">second</p>" << QStringList{"1"} << "first";
    QTest::newRow("a topic inside a topic")
        << "<div id=\"topic-1\">a<p id=\"topic-2\">b</p></div>" << QStringList{"1", "2"}
        << "a<p id=\"topic-2\">b</p>";
    QTest::newRow("no topics") << "<p id=\"intro\">text</p>" << QStringList() << "";
    // clang-format on
}

void TestHelpFile::findsTopics() {
    QFETCH(QString, html);
    QFETCH(QStringList, keys);
    QFETCH(QString, firstTopic);
    const HelpFile file = HelpFile::fromHtml("x.hlp", html);
    QCOMPARE(file.keys(), keys);
    QCOMPARE(file.isValid(), !keys.isEmpty());
    if (!keys.isEmpty())
        QCOMPARE(file.topicHtml(keys.first()), firstTopic);
}

void TestHelpFile::loadsANameThatIsNotUtf8() {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + "/Hilfe-\xe9.hlp";
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << "<div id=\"topic-contents\"><h1>\xc3\x9c"
               "bersicht</h1></div>";
    }
    const HelpFile file = HelpFile::load(path);
    QVERIFY2(file.isValid(), qPrintable(file.error()));
    QCOMPARE(file.topicTitle("contents"), QString::fromUtf8("\xc3\x9c"
                                                            "bersicht"));
}

PICTAVO_TEST_MAIN(TestHelpFile, QCoreApplication)
#include "tst_helpfile.moc"
