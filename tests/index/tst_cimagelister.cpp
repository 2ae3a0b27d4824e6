#include "index/CImageLister.h"
#include "platform/Text.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/RecordingShell.h"
#include "tests/index/DriveFolder.h"
#include "tests/index/RecordingFeedback.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList namesOf(const StringList& list) {
    QStringList names;
    for (const std::string& name : list)
        names << QString::fromStdString(name);
    return names;
}

const QStringList kSearches{"status: Searching for *.JPEG...", "status: Searching for *.JPG...",
                            "status: Searching for *.GIF..."};
const QString kNoImages = QStringLiteral(
    "error: Sorry, but Pictavo can't find any file (*.JPG,*.JPEG or *.GIF) in the selected "
    "directory. Please select a directory that contains Images.");

} // namespace

class TestCImageLister : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setCollationLocale("en_US.UTF-8"); }

    void findsAndSortsTheImages_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("directories");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case ignored in match and order")
            << QStringList{"b.GIF", "A.jpg", "c.jpeg"} << QStringList{}
            << QStringList{"A.jpg", "b.GIF", "c.jpeg"};
        QTest::newRow("mixed-case extensions")
            << QStringList{"d.Jpg", "C.jPeG", "e.gIf", "a.JPEG", "B.GIF"} << QStringList{}
            << QStringList{"a.JPEG", "B.GIF", "C.jPeG", "d.Jpg", "e.gIf"};
        QTest::newRow("near misses left out")
            << QStringList{"photo.jpg.txt", "x.jpe", "x.jpgx", "x_jpg", "x.png", "x.gi", "ok.gif"}
            << QStringList{} << QStringList{"ok.gif"};
        QTest::newRow("subdirectories named like images listed")
            << QStringList{"new.jpg"} << QStringList{"old.gif", "albums"}
            << QStringList{"new.jpg", "old.gif"};
        QTest::newRow("hidden entries listed")
            << QStringList{".hidden.jpg", "shown.jpg", ".gif"} << QStringList{".cache.JPEG"}
            << QStringList{".cache.JPEG", ".gif", ".hidden.jpg", "shown.jpg"};
        QTest::newRow("non-ASCII names in locale order")
            << QStringList{"zebra.jpg", "\xc3\x84pfel.gif", "apfel.gif", "\xc3\xa9t\xc3\xa9.jpg",
                           "ezra.JPG"}
            << QStringList{}
            << QStringList{"apfel.gif", "\xc3\x84pfel.gif", "\xc3\xa9t\xc3\xa9.jpg", "ezra.JPG",
                           "zebra.jpg"};
        QTest::newRow("names that only look like other masks")
            << QStringList{"a.jpeg.jpg", "b.gif.jpeg", "c.JPG.GIF"} << QStringList{}
            << QStringList{"a.jpeg.jpg", "b.gif.jpeg", "c.JPG.GIF"};
    }

    void findsAndSortsTheImages() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, directories);
        QFETCH(QStringList, expected);
        DriveFolder folder;
        for (const QString& name : files)
            folder.touch(name);
        for (const QString& name : directories)
            folder.makeDirectory(name);
        RecordingFeedback feedback;

        CImageLister lister;
        lister.Directory = folder.drivePath();
        lister.FileName = "index.html";
        lister.Run();

        QCOMPARE(namesOf(lister.Files), expected);
        const QByteArray page = folder.read("index.html");
        qsizetype at = 0;
        for (const QString& name : expected) {
            const qsizetype found = page.indexOf("<strong>" + name.toUtf8() + "</strong>", at);
            QVERIFY2(found > at, qPrintable(name));
            at = found;
        }
    }

    void readOnlyEntriesListed() {
        DriveFolder folder;
        folder.touch("locked.jpg");
        folder.makeDirectory("locked.gif");
        QVERIFY(QFile::setPermissions(folder.hostPath("locked.jpg"), QFileDevice::ReadOwner));
        QVERIFY(QFile::setPermissions(folder.hostPath("locked.gif"),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        RecordingFeedback feedback;
        CImageLister lister;
        lister.Directory = folder.drivePath();
        lister.FileName = "index.html";
        lister.Run();
        QCOMPARE(namesOf(lister.Files), QStringList({"locked.gif", "locked.jpg"}));
        QFile::setPermissions(folder.hostPath("locked.gif"), QFileDevice::ReadOwner |
                                                                 QFileDevice::WriteOwner |
                                                                 QFileDevice::ExeOwner);
    }

    void namesDifferingInCaseBothListed() {
        DriveFolder folder;
        folder.touch("same.jpg");
        folder.touch("SAME.JPG");
        RecordingFeedback feedback;
        CImageLister lister;
        lister.Directory = folder.drivePath();
        lister.FileName = "index.html";
        lister.Run();
        QStringList names = namesOf(lister.Files);
        names.sort();
        QCOMPARE(names, QStringList({"SAME.JPG", "same.jpg"}));
    }

    void addMatchesAppendsOneMaskAtATime() {
        DriveFolder folder;
        folder.touch("z.gif");
        folder.touch("a.jpg");
        folder.touch("m.jpeg");
        CImageLister lister;
        lister.Directory = folder.drivePath();
        lister.Files.append("kept");
        lister.AddMatches("*.GIF");
        lister.AddMatches("*.JPG");
        lister.AddMatches("*.JPG");
        lister.AddMatches("*.PNG");
        QCOMPARE(namesOf(lister.Files), QStringList({"kept", "z.gif", "a.jpg", "a.jpg"}));
    }

    void rootIsSearchedAndWrittenWithoutItsBackslash() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        platform::FakeDriveTable drives;
        drives.map('C', root.path().toStdString());
        QFile(root.filePath(QStringLiteral("top.JPG"))).open(QIODevice::WriteOnly);
        RecordingFeedback feedback;
        platform::RecordingShell shell;

        CImageLister lister;
        lister.Directory = "C:\\";
        lister.FileName = "index.html";
        lister.Run();

        QCOMPARE(lister.Directory, std::string("C:"));
        QFile page(root.filePath(QStringLiteral("index.html")));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("Contents of directory 'C:' (1 Images):<br>\r\n"));
        QCOMPARE(feedback.events().value(5),
                 QStringLiteral("status: Finished file \"C:\\index.html\""));
    }

    void onlyOneTrailingBackslashIsDropped() {
        DriveFolder folder;
        folder.makeDirectory("PICS");
        folder.touch("PICS/a.gif");
        RecordingFeedback feedback;
        CImageLister lister;
        lister.Directory = folder.drivePath("PICS\\");
        lister.FileName = "index.html";
        lister.Run();
        QCOMPARE(lister.Directory, folder.drivePath("PICS"));
        QVERIFY(!folder.read("PICS/index.html").isEmpty());
    }

    void runReportsItsProgress_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("events");
        const QStringList searched = QStringList{"busy"} + kSearches;
        QTest::newRow("no directory")
            << ""
            << "index.html"
            << QStringList{"error: Please select a directory to search in and try again."};
        QTest::newRow("no images")
            << "EMPTY"
            << "index.html" << searched + QStringList{"arrow", kNoImages, "arrow"};
        QTest::newRow("missing directory")
            << "MISSING"
            << "index.html" << searched + QStringList{"arrow", kNoImages, "arrow"};
        QTest::newRow("unknown drive")
            << "Q:\\PICS"
            << "index.html" << searched + QStringList{"arrow", kNoImages, "arrow"};
        QTest::newRow("empty file name")
            << "PICS"
            << ""
            << searched + QStringList{"error: You didn't specify a filename. Please enter a "
                                      "Filename (e.g. index.html) and try again.",
                                      "arrow"};
        QTest::newRow("file cannot be created")
            << "PICS"
            << "missing\\index.html"
            << searched + QStringList{"status: Writing HTML file...", "status: Error writing file!",
                                      "error: Unexpected Error while writing HTML-file! Maybe "
                                      "the disc is full or write-protected.",
                                      "arrow"};
        QTest::newRow("page written")
            << "PICS"
            << "index.html"
            << searched + QStringList{"status: Writing HTML file...",
                                      "status: Finished file \"PICS\\index.html\"",
                                      "confirm: File succesfully created. Would you like to view "
                                      "it now?",
                                      "arrow"};
    }

    void runReportsItsProgress() {
        QFETCH(QString, directory);
        QFETCH(QString, fileName);
        QFETCH(QStringList, events);
        DriveFolder folder;
        folder.makeDirectory("EMPTY");
        folder.touch("EMPTY/notes.txt");
        folder.makeDirectory("PICS");
        folder.touch("PICS/a.jpg");
        const auto resolve = [&folder](QString text) {
            for (const char* name : {"EMPTY", "MISSING", "PICS"})
                text.replace(QLatin1String(name), QString::fromStdString(folder.drivePath(name)));
            return text;
        };
        RecordingFeedback feedback;
        platform::RecordingShell shell;

        CImageLister lister;
        lister.Directory = resolve(directory).toStdString();
        lister.FileName = fileName.toStdString();
        lister.Run();

        QStringList expected;
        for (const QString& event : events)
            expected << (event.startsWith(QLatin1String("status: Finished")) ? resolve(event)
                                                                             : event);
        QCOMPARE(feedback.events(), expected);
        QVERIFY(!feedback.busy());
    }
};

PICTAVO_TEST_MAIN(TestCImageLister, QCoreApplication)
#include "tst_cimagelister.moc"
