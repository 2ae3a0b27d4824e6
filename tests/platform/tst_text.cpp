#include "platform/Text.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

#include <algorithm>
#include <vector>

using namespace platform;

// The integer rule, collation, case mapping and the file-name pattern match.
class TestText : public QObject {
    Q_OBJECT

private slots:
    void parseInteger_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("value");

        QTest::newRow("zero") << QByteArray("0") << true << 0;
        QTest::newRow("plus sign") << QByteArray("+80") << true << 80;
        QTest::newRow("hex") << QByteArray("$50") << true << 80;
        QTest::newRow("lower-case hex") << QByteArray("$ff") << true << 255;
        QTest::newRow("leading blanks") << QByteArray("   42") << true << 42;
        QTest::newRow("leading zeros") << QByteArray("000000000000007") << true << 7;
        QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
        QTest::newRow("$FFFFFFFF is -1") << QByteArray("$FFFFFFFF") << true << -1;
        QTest::newRow("$80000000 is the smallest")
            << QByteArray("$80000000") << true << int(-2147483647 - 1);
        QTest::newRow("hex with leading zeros") << QByteArray("$0000000001") << true << 1;

        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("blanks only") << QByteArray("   ") << false << 0;
        QTest::newRow("lone plus") << QByteArray("+") << false << 0;
        QTest::newRow("lone minus") << QByteArray("-") << false << 0;
        QTest::newRow("lone dollar") << QByteArray("$") << false << 0;
        QTest::newRow("sign before dollar") << QByteArray("+$50") << false << 0;
        QTest::newRow("minus before dollar") << QByteArray("-$1") << false << 0;
        QTest::newRow("trailing blank") << QByteArray("12 ") << false << 0;
        QTest::newRow("letter after digits") << QByteArray("12a") << false << 0;
        QTest::newRow("blank between sign and digits") << QByteArray("- 5") << false << 0;
        QTest::newRow("tab is no blank") << QByteArray("\t5") << false << 0;
        QTest::newRow("one above the range") << QByteArray("2147483648") << false << 0;
        QTest::newRow("one below the range") << QByteArray("-2147483649") << false << 0;
        QTest::newRow("far out of range") << QByteArray("99999999999999999999") << false << 0;
        QTest::newRow("hex wider than 32 bits") << QByteArray("$100000000") << false << 0;
        QTest::newRow("not a hex digit") << QByteArray("$G") << false << 0;
        QTest::newRow("C hex prefix") << QByteArray("0x10") << false << 0;
        QTest::newRow("exponent") << QByteArray("1e3") << false << 0;
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
        // Swedish sorts ö after z, German with o.
        QTest::newRow("German") << "de_DE.UTF-8" << QStringList{"oa", "öb", "Oc", "z"};
        QTest::newRow("Swedish") << "sv_SE.UTF-8" << QStringList{"oa", "Oc", "z", "öb"};
        // C and POSIX take the language-neutral order, never bytes ('B' < 'a' < 'é').
        QTest::newRow("C") << "C" << QStringList{"a", "B", "é", "f"};
        QTest::newRow("POSIX") << "POSIX" << QStringList{"a", "B", "é", "f"};
    }

    void sortIgnoringCase() {
        QFETCH(QString, locale);
        QFETCH(QStringList, sorted);
        setCollationLocale(locale.toStdString());

        std::vector<std::string> names;
        for (const QString& name : sorted)
            names.push_back(name.toStdString());
        std::reverse(names.begin(), names.end());
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return compareText(a, b, true) < 0;
        });
        QStringList result;
        for (const std::string& name : names)
            result << QString::fromStdString(name);
        QCOMPARE(result, sorted);
    }

    void caseDecidesOnlyWhenAsked() {
        setCollationLocale("en_US.UTF-8");
        QCOMPARE(compareText("photo.JPG", "PHOTO.jpg", true), 0);
        QCOMPARE(compareText("ÉTÉ", "été", true), 0);
        QVERIFY(compareText("photo.JPG", "PHOTO.jpg", false) != 0);
        QVERIFY(compareText("a", "A", false) < 0); // lower case first, as the root order has it
        QVERIFY(compareText("e", "é", true) < 0);  // accents still count
        QCOMPARE(compareText("", "", false), 0);
        QVERIFY(compareText("", "a", true) < 0);
    }

    void matchesPattern_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");

        QTest::newRow("suffix, other case") << "photo.jpg"
                                            << "*.JPG" << true;
        QTest::newRow("suffix is not a prefix") << "photo.jpeg"
                                                << "*.JPG" << false;
        QTest::newRow("suffix must end the name") << "photo.jpgx"
                                                  << "*.JPG" << false;
        QTest::newRow("suffix longer than the name") << "jpg"
                                                     << "*.jpg" << false;
        QTest::newRow("suffix alone") << ".jpg"
                                      << "*.JPG" << true;
        QTest::newRow("last extension counts") << "a.b.gif"
                                               << "*.GIF" << true;
        QTest::newRow("star-dot-star takes names without a dot") << "README"
                                                                 << "*.*" << true;
        QTest::newRow("star takes the empty name") << ""
                                                   << "*" << true;
        QTest::newRow("question mark is one letter") << "abc"
                                                     << "a?c" << true;
        QTest::newRow("question mark is not zero letters") << "ac"
                                                           << "a?c" << false;
        QTest::newRow("question mark takes a non-ASCII letter") << "étui"
                                                                << "?tui" << true;
        QTest::newRow("accented letters fold") << "ÉTÉ.JPG"
                                               << "été.jpg" << true;
        QTest::newRow("accents are kept apart") << "ete.jpg"
                                                << "été.jpg" << false;
        QTest::newRow("Greek final sigma") << "ΟΔΟΣ"
                                           << "οδος" << true;
        QTest::newRow("Kelvin sign in the suffix") << "film.m\u212Av"
                                                   << "*.MKV" << true;
        QTest::newRow("long s in the suffix") << "x.\u017Fvg"
                                              << "*.SVG" << true;
        QTest::newRow("sharp s does not expand") << "straße"
                                                 << "STRASSE" << false;
        QTest::newRow("star in the middle") << "IMG_0001.JPG"
                                            << "img*1.jpg" << true;
        QTest::newRow("stars backtrack") << "aXbXc"
                                         << "*x*x*C" << true;
        QTest::newRow("stars fail fast") << "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab"
                                         << "*a*a*a*a*a*c" << false;
    }

    void matchesPattern() {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(platform::matchesPattern(name.toStdString(), pattern.toStdString()), matches);
    }

    void illFormedBytesMatchOnlyThemselves() {
        QVERIFY(platform::matchesPattern("a\xE9.jpg", "a\xE9.JPG"));
        QVERIFY(!platform::matchesPattern("a\xE9.jpg", "a\xC9.jpg"));
        QVERIFY(!platform::matchesPattern("a\xE9.jpg", "a\uFFFD.jpg"));
        QVERIFY(platform::matchesPattern("a\xE9.jpg", "a?.jpg"));
    }

    void caseMapping_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");

        QTest::newRow("ASCII") << "Photos 2001"
                               << "photos 2001"
                               << "PHOTOS 2001";
        QTest::newRow("accents") << "Été à Noël"
                                 << "été à noël"
                                 << "ÉTÉ À NOËL";
        QTest::newRow("sharp s grows") << "Straße"
                                       << "straße"
                                       << "STRASSE";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }

    void caseMapping() {
        QFETCH(QString, text);
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        QCOMPARE(QString::fromStdString(lowerText(text.toStdString())), lower);
        QCOMPARE(QString::fromStdString(upperText(text.toStdString())), upper);
    }
};

PICTAVO_TEST_MAIN(TestText, QCoreApplication)
#include "tst_text.moc"
