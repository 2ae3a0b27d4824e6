#include "platform/AsciiCollationTable.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

#include <unicode/ucol.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace platform;

namespace {

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};

std::unique_ptr<UCollator, CollatorCloser> openCollator(const QByteArray& locale) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, CollatorCloser> collator(ucol_open(locale.constData(), &status));
    if (U_FAILURE(status))
        return nullptr;
    ucol_setStrength(collator.get(), UCOL_SECONDARY);
    return collator;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Names built from what trips collations up: letters that start contractions in some
// languages, digits, punctuation, blanks, control bytes, accents, combining marks, a middle
// dot, another script.
std::vector<std::string> names() {
    const std::vector<std::string> pieces = {
        "a",        "A",        "b",  "c",  "C", "h",  "H",  "l",  "L",  "z",  "y",
        "i",        "I",        "s",  "d",  "0", "9",  "10", " ",  "-",  "_",  ".",
        "'",        "~",        "\t", "é",  "É", "å",  "ä",  "ı",  "İ",  "·",  "ø",
        "\xCC\x81", "\xCC\x8A", "ф",  "写", "ñ", "ch", "aa", "ll", "cs", "dz", "jpg"};
    std::mt19937 random(20261206);
    std::vector<std::string> result;
    for (int i = 0; i < 1500; ++i) {
        std::string name;
        const int length = 1 + int(random() % 6);
        for (int j = 0; j < length; ++j)
            name += pieces[random() % pieces.size()];
        result.push_back(name);
    }
    return result;
}

} // namespace

// The shortcut for ASCII must never disagree with the collator it stands in for.
class TestAsciiCollationTable : public QObject {
    Q_OBJECT

private slots:
    void agreesWithTheCollator_data() {
        QTest::addColumn<QByteArray>("locale");
        // How much the table may decide by itself: "most" pairs, "some" (tailorings that
        // claim many letters), or "none" (settings under which single letters decide nothing).
        QTest::addColumn<QString>("share");

        QTest::newRow("root") << QByteArray("") << QString("most");
        QTest::newRow("Danish aa") << QByteArray("da") << QString("most");
        QTest::newRow("Swedish") << QByteArray("sv") << QString("most");
        QTest::newRow("Czech ch") << QByteArray("cs") << QString("some");
        QTest::newRow("Hungarian cs and dz") << QByteArray("hu") << QString("some");
        QTest::newRow("traditional Spanish ch and ll")
            << QByteArray("es@collation=traditional") << QString("some");
        QTest::newRow("Turkish dotless i") << QByteArray("tr") << QString("most");
        QTest::newRow("Lithuanian y") << QByteArray("lt") << QString("some");
        QTest::newRow("Canadian French accents backwards")
            << QByteArray("fr_CA") << QString("most");
        QTest::newRow("Japanese") << QByteArray("ja") << QString("most");
        QTest::newRow("digits as numbers") << QByteArray("en@colNumeric=yes") << QString("none");
        QTest::newRow("punctuation ignored")
            << QByteArray("en@colAlternate=shifted") << QString("none");
    }

    void agreesWithTheCollator() {
        QFETCH(QByteArray, locale);
        QFETCH(QString, share);
        auto collator = openCollator(locale);
        QVERIFY(collator);
        const AsciiCollationTable table(collator.get());

        const std::vector<std::string> all = names();
        int decided = 0;
        int pairs = 0;
        for (std::size_t i = 0; i + 1 < all.size(); ++i) {
            for (std::size_t j : {i + 1, (i * 7919) % all.size()}) {
                const std::string& a = all[i];
                const std::string& b = all[j];
                ++pairs;
                const std::optional<int> fast = table.compare(a, b);
                if (!fast)
                    continue;
                ++decided;
                UErrorCode status = U_ZERO_ERROR;
                const int expected = ucol_strcollUTF8(collator.get(), a.data(), int32_t(a.size()),
                                                      b.data(), int32_t(b.size()), &status);
                QVERIFY(U_SUCCESS(status));
                QVERIFY2(
                    sign(*fast) == sign(expected),
                    qPrintable(QStringLiteral("'%1' vs '%2'")
                                   .arg(QString::fromStdString(a), QString::fromStdString(b))));
            }
        }
        // A table that declines everything would pass the loop above; it must earn its keep
        // where the collation allows, and stay out where it does not.
        if (share == "most")
            QVERIFY2(decided > pairs / 4, qPrintable(QString::number(decided)));
        else if (share == "none")
            QCOMPARE(decided, 0);
    }

    void plainNames_data() {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("case ignored") << QByteArray("PIC.JPG") << QByteArray("pic.jpg") << 0;
        QTest::newRow("letters before case") << QByteArray("a.jpg") << QByteArray("B.gif") << -1;
        QTest::newRow("prefix first") << QByteArray("pic") << QByteArray("pic1.jpg") << -1;
        QTest::newRow("punctuation before digits")
            << QByteArray("a_1.jpg") << QByteArray("a1.jpg") << -1;
        QTest::newRow("l before a plain letter")
            << QByteArray("hl.gif") << QByteArray("hm.gif") << -1;
    }

    void plainNames() {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, order);
        auto collator = openCollator("");
        const AsciiCollationTable table(collator.get());
        const std::optional<int> result = table.compare(a.toStdString(), b.toStdString());
        QVERIFY(result);
        QCOMPARE(sign(*result), order);
        QCOMPARE(sign(*table.compare(b.toStdString(), a.toStdString())), -order);
    }
};

PICTAVO_TEST_MAIN(TestAsciiCollationTable, QCoreApplication)
#include "tst_asciicollationtable.moc"
