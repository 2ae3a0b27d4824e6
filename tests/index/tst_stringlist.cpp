#include "index/StringList.h"
#include "platform/text/Text.h"

#include "tests/support/TestEnvironment.h"

#include <QtTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

// The sort behind every page: whatever order the names arrive in, they leave in collation order
// with none lost or doubled.
class TestStringList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setCollationLocale("en_US.UTF-8"); }

    void sort_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("arrival");
        QTest::newRow("empty") << 0 << "random";
        QTest::newRow("one") << 1 << "random";
        QTest::newRow("already in order") << 500 << "sorted";
        QTest::newRow("reversed") << 500 << "reversed";
        QTest::newRow("shuffled, long permutation cycles") << 5000 << "random";
    }

    void sort() {
        QFETCH(int, count);
        QFETCH(QString, arrival);

        // Case twins, long names beyond the short-string buffer, accents and another script.
        std::vector<std::string> names;
        const char* stems[] = {"IMG_", "img_", "Überfahrt ", "été-", "фото", "a very long name "};
        for (int i = 0; i < count; ++i)
            names.push_back(stems[i % 6] + std::to_string(i % 997) + (i % 2 ? ".JPG" : ".gif"));
        const auto before = [](const std::string& a, const std::string& b) {
            return platform::compareText(a, b, true) < 0;
        };
        if (arrival == "sorted")
            std::stable_sort(names.begin(), names.end(), before);
        else if (arrival == "reversed")
            std::stable_sort(
                names.begin(), names.end(),
                [&](const std::string& a, const std::string& b) { return before(b, a); });
        else
            std::shuffle(names.begin(), names.end(), std::mt19937(7));

        StringList list;
        for (const std::string& name : names)
            list.append(name);
        list.sort();

        std::vector<std::string> result(list.begin(), list.end());
        QVERIFY(std::is_sorted(result.begin(), result.end(), before));
        std::sort(names.begin(), names.end());
        std::sort(result.begin(), result.end());
        QVERIFY(result == names);
    }
};

PICTAVO_TEST_MAIN(TestStringList, QCoreApplication)
#include "tst_stringlist.moc"
