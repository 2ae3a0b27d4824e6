#include "platform/text/AsciiCollationTable.h"

#include "tests/support/CollationSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <string>
#include <tuple>
#include <vector>

using namespace platform;

using namespace collation_samples;

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
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
        auto collator = openIgnoringCase(locale.constData());
        QVERIFY(collator);
        const AsciiCollationTable table(collator.get());

        const std::vector<std::string> all = trickyNames(2000, 20261206);
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
                const int expected = collate(collator.get(), a, b);
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
        auto root = openIgnoringCase("");
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
        auto collator = openIgnoringCase(locale.constData());
        QCOMPARE(sign(collate(collator.get(), a.toStdString(), b.toStdString())), order);
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
