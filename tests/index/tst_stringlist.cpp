#include "index/StringList.h"
#include "platform/text/Text.h"

#include "tests/support/CollationSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace collation_samples;

// The sort behind every page: whatever the names and the locale, they leave in the order ICU
// gives them, with none lost or doubled.
class TestStringList : public QObject {
    Q_OBJECT

private slots:
    void sort_data() {
        QTest::addColumn<QByteArray>("hostLocale");
        QTest::addColumn<QByteArray>("icuLocale");
        QTest::addColumn<int>("count");

        QTest::newRow("empty") << QByteArray("C") << QByteArray("") << 0;
        QTest::newRow("one") << QByteArray("C") << QByteArray("") << 1;
        const auto row = [](const char* name, const char* host, const char* icu) {
            QTest::newRow(name) << QByteArray(host) << QByteArray(icu) << 6000;
        };
        row("root", "C", "");
        row("English", "en_US.UTF-8", "en_US");
        row("Danish aa", "da_DK.UTF-8", "da_DK");
        row("Czech ch", "cs_CZ.UTF-8", "cs_CZ");
        row("Hungarian cs, dz and dzs", "hu_HU.UTF-8", "hu_HU");
        row("traditional Spanish", "es_ES.UTF-8@collation=traditional",
            "es_ES@collation=traditional");
        row("Turkish dotless i", "tr_TR.UTF-8", "tr_TR");
        row("Lithuanian y", "lt_LT.UTF-8", "lt_LT");
        row("Canadian French", "fr_CA.UTF-8", "fr_CA");
        row("Japanese", "ja_JP.UTF-8", "ja_JP");
        row("Latin Serbian", "sr_RS.UTF-8@latin", "sr_Latn_RS");
        // Under these, single letters decide nothing: every comparison is the collator's.
        row("digits as numbers", "en_US.UTF-8@colNumeric=yes", "en_US@colNumeric=yes");
    }

    void sort() {
        QFETCH(QByteArray, hostLocale);
        QFETCH(QByteArray, icuLocale);
        QFETCH(int, count);
        platform::setCollationLocale(hostLocale.toStdString());
        const CollatorPtr collator = openIgnoringCase(icuLocale.constData());
        QVERIFY(collator);

        // Tricky names, and plain ones with case twins and long shared starts, as cameras
        // write them.
        std::vector<std::string> names = trickyNames(count / 2, 4242);
        const char* twins[] = {"IMG_00001", "img_00001", "Img_0000", "resume", "RESUME"};
        const char* extensions[] = {".jpg", ".JPG", ".jpeg", ".Gif", "", "1.jpg"};
        for (int i = 0; int(names.size()) < count; ++i)
            names.push_back(twins[i % 5] + std::to_string(i % 113) + extensions[i % 6]);
        std::shuffle(names.begin(), names.end(), std::mt19937(7));

        StringList list;
        for (const std::string& name : names)
            list.append(name);
        list.sort();

        std::vector<std::string> result(list.begin(), list.end());
        for (std::size_t i = 1; i < result.size(); ++i) {
            QVERIFY2(collate(collator.get(), result[i - 1], result[i]) != UCOL_GREATER,
                     qPrintable(QStringLiteral("'%1' before '%2'")
                                    .arg(QString::fromStdString(result[i - 1]),
                                         QString::fromStdString(result[i]))));
        }
        std::sort(names.begin(), names.end());
        std::sort(result.begin(), result.end());
        QVERIFY(result == names);
    }
};

PICTAVO_TEST_MAIN(TestStringList, QCoreApplication)
#include "tst_stringlist.moc"
