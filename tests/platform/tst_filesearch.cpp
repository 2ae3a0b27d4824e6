#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/files/FileSearch.h"
#include "platform/files/SearchCache.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/FaultInjector.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

using namespace platform;

namespace {

QStringList sorted(QStringList list) {
    std::sort(list.begin(), list.end(),
              [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
    return list;
}

// "name" with ":D", ":H", ":R" for the attributes, sorted by bytes.
QStringList search(const QString& pattern, FindDetail detail = FindDetail::ReadOnly,
                   int* error = nullptr) {
    FileSearch files(pattern.toStdString(), detail);
    if (error)
        *error = files.error();
    QStringList found;
    FindData entry;
    while (files.next(entry)) {
        QString item = QString::fromStdString(entry.name);
        if (entry.attributes & AttributeDirectory)
            item += ":D";
        if (entry.attributes & AttributeHidden)
            item += ":H";
        if (entry.attributes & AttributeReadOnly)
            item += ":R";
        found << item;
    }
    return sorted(found);
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

// Gives a directory a modification time of its own, so that a change shows even when it
// falls within the file system's timestamp granularity.
void stamp(const QString& directory, long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    QCOMPARE(utimensat(AT_FDCWD, directory.toLocal8Bit().constData(), times, 0), 0);
}

} // namespace

// One directory's entries that match a pattern, with their attributes. C: is a temporary
// folder whose Pics folder holds a mix of names.
class TestFileSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        QDir root(m_root.path());
        QVERIFY(root.mkpath("Pics/old.gif"));
        QVERIFY(root.mkpath("Pics/.thumbs"));
        for (const char* name :
             {"A.jpg", "b.GIF", "c.jpeg", "photo.JPG", ".hidden.jpg", "readonly.jpg", "ÉTÉ.JPG",
              "été.jpg", "x.jpgx", "noext", "back\\slash.jpg"})
            touch(m_root.filePath("Pics/") + QString::fromUtf8(name));
        QVERIFY(QFile::setPermissions(m_root.filePath("Pics/readonly.jpg"),
                                      QFileDevice::ReadOwner | QFileDevice::ReadOther));
        QVERIFY(QFile::link(m_root.filePath("Pics/old.gif"), m_root.filePath("Pics/link.gif")));
        QVERIFY(QFile::link(m_root.filePath("Pics/gone"), m_root.filePath("Pics/dangling.gif")));
        touch(m_root.filePath("top.jpg"));
    }

    void init() {
        m_drives = std::make_unique<FakeDriveTable>();
        m_drives->map('C', m_root.path().toStdString());
        m_drives->mapNotReady('E');
    }

    void cleanup() { m_drives.reset(); }

    void matches_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("found");

        QTest::newRow("*.JPG in any case")
            << "C:\\Pics\\*.JPG" << QStringList{".hidden.jpg:H",  "A.jpg",   "photo.JPG",
                                                "readonly.jpg:R", "ÉTÉ.JPG", "été.jpg"};
        QTest::newRow("directories and links to them like files")
            << "C:\\Pics\\*.GIF" << QStringList{"b.GIF", "dangling.gif", "link.gif:D", "old.gif:D"};
        QTest::newRow("*.JPEG") << "c:/pics/../Pics/*.JPEG" << QStringList{"c.jpeg"};
        QTest::newRow("question mark")
            << "C:\\Pics\\?.*" << QStringList{"..:D", "A.jpg", "b.GIF", "c.jpeg", "x.jpgx"};
        QTest::newRow("everything, with . and ..")
            << "C:\\Pics\\*.*"
            << QStringList{".:D",       "..:D",      ".hidden.jpg:H",  ".thumbs:D:H", "A.jpg",
                           "b.GIF",     "c.jpeg",    "dangling.gif",   "link.gif:D",  "noext",
                           "old.gif:D", "photo.JPG", "readonly.jpg:R", "x.jpgx",      "ÉTÉ.JPG",
                           "été.jpg"};
        QTest::newRow("no . and .. at a root") << "C:\\*" << QStringList{"Pics:D", "top.jpg"};
        QTest::newRow("no match") << "C:\\Pics\\*.png" << QStringList{};
    }

    void matches() {
        QFETCH(QString, pattern);
        QFETCH(QStringList, found);
        int error = -1;
        QCOMPARE(search(pattern, FindDetail::ReadOnly, &error), sorted(found));
        QCOMPARE(error, 0);

        // Within a cache the first search reads the directory, the second replays it.
        SearchCache cache;
        QCOMPARE(search(pattern), sorted(found));
        QCOMPARE(search(pattern), sorted(found));
    }

    void cacheSeesChangesBetweenSearches() {
        QTemporaryDir folder;
        touch(folder.filePath("a.jpg"));
        stamp(folder.path(), 1000);
        m_drives->map('D', folder.path().toStdString());

        SearchCache cache;
        QCOMPARE(search("D:\\*.jpg"), QStringList{"a.jpg"});
        touch(folder.filePath("b.JPG"));
        stamp(folder.path(), 2000);
        QCOMPARE(search("D:\\*.jpg"), sorted({"a.jpg", "b.JPG"}));
        QVERIFY(QFile::remove(folder.filePath("a.jpg")));
        stamp(folder.path(), 3000);
        QCOMPARE(search("D:\\*.jpg"), QStringList{"b.JPG"});
    }

    void abandonedSearchIsNotReplayed() {
        SearchCache cache;
        {
            FileSearch first("C:\\Pics\\*.*");
            FindData entry;
            QVERIFY(first.next(entry));
        }
        QCOMPARE(search("C:\\Pics\\*.gif", FindDetail::Basic),
                 sorted({"b.GIF", "dangling.gif", "link.gif:D", "old.gif:D"}));
    }

    // Telling read-only files costs a call per entry, made only when asked for.
    void readOnlyOnlyWhenAsked() {
        QCOMPARE(search("C:\\Pics\\readonly.*", FindDetail::Basic), QStringList{"readonly.jpg"});
    }

    void patternsRelativeToTheCurrentDirectory() {
        QCOMPARE(setCurrentDirectory("C:\\Pics"), 0);
        QCOMPARE(search("*.jpeg"), QStringList{"c.jpeg"});
        QCOMPARE(search("C:*.jpeg"), QStringList{"c.jpeg"});
        QCOMPARE(search("\\*.jpg"), QStringList{"top.jpg"});
        QCOMPARE(search("old.gif\\*"), sorted({".:D", "..:D"}));
    }

    void failures_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("error");
        QTest::newRow("missing directory") << "C:\\Missing\\*.jpg" << 3;
        QTest::newRow("a file as directory") << "C:\\Pics\\A.jpg\\*.jpg" << 267;
        QTest::newRow("unknown drive") << "Q:\\*.*" << 15;
        QTest::newRow("drive without a medium") << "E:\\*.*" << 21;
        QTest::newRow("nothing after the last backslash") << "C:\\Pics\\" << 2;
    }

    void failures() {
        QFETCH(QString, pattern);
        QFETCH(int, error);
        int result = 0;
        QCOMPARE(search(pattern, FindDetail::Basic, &result), QStringList{});
        QCOMPARE(result, error);
    }

    void injectedFault() {
        FaultInjector faults;
        faults.failNth(Operation::FindFirst, 2, int(ErrorNotReady));
        int error = -1;
        QCOMPARE(search("C:\\Pics\\*.jpeg", FindDetail::Basic, &error), QStringList{"c.jpeg"});
        QCOMPARE(error, 0);
        QCOMPARE(search("C:\\Pics\\*.jpeg", FindDetail::Basic, &error), QStringList{});
        QCOMPARE(error, int(ErrorNotReady));
        QCOMPARE(faults.calls(Operation::FindFirst), 2);
    }

    // Long names fill the read buffer many times over.
    void directoryLargerThanOneRead() {
        QTemporaryDir big;
        QDir dir(big.path());
        const QString stem(200, 'n');
        for (int i = 0; i < 3000; ++i)
            touch(dir.filePath(
                QStringLiteral("%1%2.%3").arg(stem).arg(i).arg(i % 2 ? "JPG" : "gif")));
        m_drives->map('D', big.path().toStdString());
        QCOMPARE(search("D:\\*.*", FindDetail::Basic).size(), 3000);

        SearchCache cache;
        QCOMPARE(search("D:\\*.*", FindDetail::Basic).size(), 3000);
        QCOMPARE(search("D:\\*.gif", FindDetail::Basic).size(), 1500);
        QCOMPARE(search("D:\\*.*", FindDetail::Basic).size(), 3000);
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<FakeDriveTable> m_drives;
};

PICTAVO_TEST_MAIN(TestFileSearch, QCoreApplication)
#include "tst_filesearch.moc"
