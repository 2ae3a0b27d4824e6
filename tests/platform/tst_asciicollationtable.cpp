#include "platform/text/AsciiCollationTable.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <memory>
#include <random>
#include <string>
#include <tuple>
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

// Names built from what trips collations up: letters that start or continue contractions in
// some languages, in either case, digits, punctuation, blanks, control bytes, accents,
// combining marks, a middle dot, kana with a length mark, a Thai vowel written first,
// Hangul. One piece in four comes from beyond the alphabets: the root collation's own
// contraction starter U+FDD1, expansions, ignorables, full-width and symbol characters, an
// emoji. Four names in a row share a start, so comparisons often begin after a long equal
// part in any script.
std::vector<std::string> names() {
    const std::vector<std::string> letters = {
        "a", "A",  "b",  "c",  "C",  "h",        "H",        "l",        "L",  "z",  "y",
        "i", "I",  "s",  "d",  "0",  "9",        "10",       " ",        "-",  "_",  ".",
        "'", "~",  "\t", "é",  "É",  "å",        "ä",        "ı",        "İ",  "·",  "ø",
        "ŀ", "Ü",  "ф",  "写", "ñ",  "\xCC\x81", "\xCC\x8A", "\xCC\x88", "ー", "カ", "เ",
        "ก", "한", "ch", "Ch", "CH", "aa",       "ll",       "cs",       "dz", "DZ", "jpg"};
    const std::vector<std::string> beyond = {"\uFDD1", "\uFDD1L", "\uFDD14", "\uFDD13", "L", "l",
                                             "3",      "4",       "ß",       "ﬁ",       "½", "Ⅳ",
                                             "ǆ",      "\u00AD",  "\u200B",  "Ａ",      "€", "😀"};
    std::mt19937 random(20261206);
    const auto piecesOf = [&](int count) {
        std::string text;
        for (int j = 0; j < count; ++j) {
            const std::vector<std::string>& pieces = random() % 4 ? letters : beyond;
            text += pieces[random() % pieces.size()];
        }
        return text;
    };
    std::vector<std::string> result;
    std::string start;
    for (int i = 0; i < 2000; ++i) {
        if (i % 4 == 0)
            start = piecesOf(int(random() % 5));
        result.push_back(start + piecesOf(1 + int(random() % 4)));
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
        // How much the table may decide by itself: "many" pairs (over a tenth), "some" (tailorings
        // that claim many letters), or "none" (settings under which single letters decide nothing).
        QTest::addColumn<QString>("share");

        QTest::newRow("root") << QByteArray("") << QString("many");
        QTest::newRow("Danish aa") << QByteArray("da") << QString("some");
        QTest::newRow("Swedish") << QByteArray("sv") << QString("many");
        QTest::newRow("Czech ch") << QByteArray("cs") << QString("some");
        QTest::newRow("Hungarian cs and dz") << QByteArray("hu") << QString("some");
        QTest::newRow("traditional Spanish ch and ll")
            << QByteArray("es@collation=traditional") << QString("some");
        QTest::newRow("Turkish dotless i") << QByteArray("tr") << QString("many");
        QTest::newRow("Lithuanian y") << QByteArray("lt") << QString("some");
        QTest::newRow("Canadian French accents backwards")
            << QByteArray("fr_CA") << QString("many");
        QTest::newRow("Japanese") << QByteArray("ja") << QString("many");
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
        for (std::size_t i = 0; i + 2 < all.size(); ++i) {
            for (std::size_t j : {i + 1, i + 2, (i * 7919) % all.size()}) {
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
        if (share == "many")
            QVERIFY2(decided > pairs / 10, qPrintable(QString::number(decided)));
        else if (share == "none")
            QCOMPARE(decided, 0);
    }

    // The table trusts that the root collation builds no contraction from ASCII characters
    // alone and continues one with an ASCII character only right after its starter beyond
    // ASCII; a newer ICU that broke this would make it wrong.
    void rootContractionsStartBeyondAscii() {
        auto root = openCollator("");
        UErrorCode status = U_ZERO_ERROR;
        USet* contractions = uset_openEmpty();
        ucol_getContractionsAndExpansions(root.get(), contractions, nullptr, false, &status);
        QVERIFY(U_SUCCESS(status));
        for (int32_t i = 0; i < uset_getItemCount(contractions); ++i) {
            UChar32 start = 0;
            UChar32 end = 0;
            UChar text[64];
            const int32_t length = uset_getItem(contractions, i, &start, &end, text, 64, &status);
            for (int32_t j = 0; j < length; ++j) {
                if (text[j] < 0x80)
                    QVERIFY2(j == 1 && text[0] >= 0x80 && length == 2,
                             qPrintable(QString::fromUtf16(text, length)));
            }
        }
        uset_close(contractions);
    }

    // Orders a reader can check by eye; "decided" says whether the table must answer itself
    // or, at a contraction, must leave the answer to ICU rather than give a wrong one.
    void knownOrders_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("decided");
        QTest::newRow("case ignored")
            << QByteArray("") << QByteArray("PIC.JPG") << QByteArray("pic.jpg") << 0 << true;
        QTest::newRow("letters before case")
            << QByteArray("") << QByteArray("a.jpg") << QByteArray("B.gif") << -1 << true;
        QTest::newRow("shorter first")
            << QByteArray("") << QByteArray("pic") << QByteArray("pic1.jpg") << -1 << true;
        QTest::newRow("punctuation before digits")
            << QByteArray("") << QByteArray("a_1.jpg") << QByteArray("a1.jpg") << -1 << true;
        QTest::newRow("after an equal start in another script")
            << QByteArray("") << QByteArray("фото_05.jpg") << QByteArray("фото_1.jpg") << -1
            << true;
        QTest::newRow("an accent is no equal start")
            << QByteArray("") << QByteArray("été2") << QByteArray("ete1") << 1 << false;
        QTest::newRow("l before a middle dot")
            << QByteArray("") << QByteArray("l·b") << QByteArray("lzb") << -1 << false;
        QTest::newRow("root contraction of U+FDD1 and L")
            << QByteArray("") << QByteArray("x\uFDD1L.jpg") << QByteArray("x\uFDD1l.jpg") << -1
            << false;
        QTest::newRow("root contraction of U+FDD1 and 4")
            << QByteArray("") << QByteArray("x\uFDD13.jpg") << QByteArray("x\uFDD14.jpg") << 1
            << false;
        QTest::newRow("Czech ch after h, split by the equal start")
            << QByteArray("cs") << QByteArray("xcha") << QByteArray("xcia") << 1 << false;
        QTest::newRow("Danish aa after z, split by the equal start")
            << QByteArray("da") << QByteArray("baa") << QByteArray("bab") << 1 << false;
    }

    void knownOrders() {
        QFETCH(QByteArray, locale);
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, order);
        QFETCH(bool, decided);
        auto collator = openCollator(locale);
        UErrorCode status = U_ZERO_ERROR;
        QCOMPARE(sign(ucol_strcollUTF8(collator.get(), a.constData(), int32_t(a.size()),
                                       b.constData(), int32_t(b.size()), &status)),
                 order);
        const AsciiCollationTable table(collator.get());
        for (const auto& [first, second, expected] :
             {std::tuple(a, b, order), std::tuple(b, a, -order)}) {
            const std::optional<int> result =
                table.compare(first.toStdString(), second.toStdString());
            QCOMPARE(result.has_value(), decided);
            if (result)
                QCOMPARE(sign(*result), expected);
        }
    }
};

PICTAVO_TEST_MAIN(TestAsciiCollationTable, QCoreApplication)
#include "tst_asciicollationtable.moc"
