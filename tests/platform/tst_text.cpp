#include "platform/text/Text.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

#include <algorithm>

using namespace platform;

// The integer rule, collation, case mapping and the file-name pattern match.
class TestText : public QObject {
    Q_OBJECT

private slots:
    void parseInteger_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("value");

        QTest::newRow("plus sign") << QByteArray("+80") << true << 80;
        QTest::newRow("hex") << QByteArray("$50") << true << 80;
        QTest::newRow("lower-case hex") << QByteArray("$ff") << true << 255;
        QTest::newRow("leading blanks") << QByteArray("   42") << true << 42;
        QTest::newRow("leading zeros") << QByteArray("000000000000007") << true << 7;
        QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
        QTest::newRow("$FFFFFFFF is -1") << QByteArray("$FFFFFFFF") << true << -1;
        QTest::newRow("hex with leading zeros") << QByteArray("$0000000001") << true << 1;

        QTest::newRow("blanks only") << QByteArray("   ") << false << 0;
        QTest::newRow("lone sign") << QByteArray("-") << false << 0;
        QTest::newRow("lone dollar") << QByteArray("$") << false << 0;
        QTest::newRow("sign before dollar") << QByteArray("+$50") << false << 0;
        QTest::newRow("trailing blank") << QByteArray("12 ") << false << 0;
        QTest::newRow("letter after digits") << QByteArray("12a") << false << 0;
        QTest::newRow("blank between sign and digits") << QByteArray("- 5") << false << 0;
        QTest::newRow("tab is no blank") << QByteArray("\t5") << false << 0;
        QTest::newRow("one above the range") << QByteArray("2147483648") << false << 0;
        QTest::newRow("one below the range") << QByteArray("-2147483649") << false << 0;
        QTest::newRow("far out of range") << QByteArray("99999999999999999999") << false << 0;
        QTest::newRow("hex wider than 32 bits") << QByteArray("$100000000") << false << 0;
        QTest::newRow("not a hex digit") << QByteArray("$G") << false << 0;
        QTest::newRow("full-width digit") << QByteArray("\xEF\xBC\x95") << false << 0;
        QTest::newRow("embedded NUL") << QByteArray("1\0002", 3) << false << 0;
    }

    void parseInteger() {
        QFETCH(QByteArray, text);
        QFETCH(bool, accepted);
        QFETCH(int, value);
        const auto result = platform::parseInteger(std::string_view(text.data(), text.size()));
        QCOMPARE(result.has_value(), accepted);
        if (accepted)
            QCOMPARE(*result, value);
    }

    void sortIgnoringCase_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("sorted");

        QTest::newRow("English") << "en_US.UTF-8"
                                 << QStringList{"A.jpg",   "b.GIF",    "c.jpeg",
                                                "été.jpg", "Ete2.jpg", "Zebra.gif"};
        // Swedish sorts ö after z, where the root order puts it with o.
        QTest::newRow("Swedish") << "sv_SE.UTF-8" << QStringList{"oa", "Oc", "z", "öb"};
        // A script modifier picks the script's tailoring: Latin Serbian sorts č after c and
        // takes dž and lj as letters of their own; the Cyrillic one leaves Latin to the root order.
        QTest::newRow("Serbian, Latin")
            << "sr_RS.UTF-8@latin" << QStringList{"cvet", "čaj", "dan", "džep", "lopta", "ljubav"};
        QTest::newRow("Serbian, Cyrillic")
            << "sr_RS.UTF-8" << QStringList{"čaj", "cvet", "dan", "džep", "ljubav", "lopta"};
        QTest::newRow("modifier with no meaning to collation")
            << "fi_FI.UTF-8@euro" << QStringList{"oa", "Oc", "z", "öb"};
        // C takes the language-neutral order, never bytes ('B' < 'a' < 'é').
        QTest::newRow("C") << "C" << QStringList{"a", "B", "é", "f"};
    }

    void sortIgnoringCase() {
        QFETCH(QString, locale);
        QFETCH(QStringList, sorted);
        setCollationLocale(locale.toStdString());
        QStringList names(sorted.rbegin(), sorted.rend());
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return compareText(a.toStdString(), b.toStdString(), true) < 0;
        });
        QCOMPARE(names, sorted);
    }

    void caseDecidesOnlyWhenAsked() {
        setCollationLocale("en_US.UTF-8");
        QCOMPARE(compareText("photo.JPG", "PHOTO.jpg", true), 0);
        QCOMPARE(compareText("ÉTÉ", "été", true), 0);
        QVERIFY(compareText("photo.JPG", "PHOTO.jpg", false) != 0);
        QVERIFY(compareText("a", "A", false) < 0); // lower case first, as the root order has it
        QVERIFY(compareText("e", "é", true) < 0);  // accents still count
    }

    void matchesPattern_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<bool>("matches");
        const auto row = [](const char* what, const char* name, const char* pattern, bool matches) {
            QTest::newRow(what) << QByteArray(name) << QByteArray(pattern) << matches;
        };

        row("suffix, other case", "photo.jpg", "*.JPG", true);
        row("suffix must end the name", "photo.jpgx", "*.JPG", false);
        row("suffix longer than the name", "jpg", "*.jpg", false);
        row("suffix alone", ".jpg", "*.JPG", true);
        row("star-dot-star takes names without a dot", "README", "*.*", true);
        row("question mark is not zero letters", "ac", "a?c", false);
        row("question mark takes a non-ASCII letter", "étui", "?tui", true);
        row("accented letters fold", "ÉTÉ.JPG", "été.jpg", true);
        row("accents are kept apart", "ete.jpg", "été.jpg", false);
        row("Greek final sigma", "ΟΔΟΣ", "οδος", true);
        row("Kelvin sign in the suffix", "film.m\u212Av", "*.MKV", true);
        row("sharp s does not expand", "straße", "STRASSE", false);
        row("stars backtrack", "aXbXc", "*x*x*C", true);
        row("stars fail fast", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*c", false);
        // An ill-formed byte matches only itself, never a letter it might stand for.
        row("ill-formed byte, ASCII folds around it", "a\xE9.jpg", "a\xE9.JPG", true);
        row("ill-formed byte is no Latin-1 letter", "a\xE9.jpg", "a\xC9.jpg", false);
        row("ill-formed byte is no replacement character", "a\xE9.jpg", "a\uFFFD.jpg", false);
        row("ill-formed byte is one letter", "a\xE9.jpg", "a?.jpg", true);
        row("truncated sequence is not its lead byte", "\xE5", "\xE5\xBC", false);
        row("each stray byte is one letter", "\xE5\xBC", "??", true);
    }

    void matchesPattern() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, pattern);
        QFETCH(bool, matches);
        QCOMPARE(platform::matchesPattern(name.toStdString(), pattern.toStdString()), matches);
    }

    // The map may grow the text ("ß" to "SS").
    void caseMapping() {
        QCOMPARE(lowerText("Été Straße 2001"), "été straße 2001");
        QCOMPARE(upperText("Été Straße 2001"), "ÉTÉ STRASSE 2001");
        QCOMPARE(upperText(""), "");
    }
};

PICTAVO_TEST_MAIN(TestText, QCoreApplication)
#include "tst_text.moc"
