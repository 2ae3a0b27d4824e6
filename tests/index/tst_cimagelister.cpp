#include "index/CImageLister.h"
#include "platform/testing/RecordingShell.h"
#include "platform/text/Text.h"
#include "tests/index/DriveFolder.h"
#include "tests/index/RecordingFeedback.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

namespace {

QStringList namesOf(const StringList& list) {
    QStringList names;
    for (std::string_view name : list)
        names << QString::fromUtf8(name.data(), qsizetype(name.size()));
    return names;
}

} // namespace

class TestCImageLister : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setCollationLocale("en_US.UTF-8"); }

    // Entries ending in "/" are directories, "!" marks a read-only one.
    void findsAndSortsTheImages_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("expected");
        // clang-format off
        QTest::newRow("case ignored") << QStringList{"b.GIF", "A.jpg", "c.jpeg"} << QStringList{"A.jpg", "b.GIF", "c.jpeg"};
        QTest::newRow("mixed-case extensions") << QStringList{"d.Jpg", "C.jPeG", "e.gIf", "B.GIF"}
            << QStringList{"B.GIF", "C.jPeG", "d.Jpg", "e.gIf"};
        QTest::newRow("near misses left out") << QStringList{"a.jpg.txt", "x.jpe", "x.jpgx", "x_jpg", "x.gi", "ok.gif"}
            << QStringList{"ok.gif"};
        QTest::newRow("subdirectory named like an image") << QStringList{"new.jpg", "old.gif/", "albums/"}
            << QStringList{"new.jpg", "old.gif"};
        QTest::newRow("hidden and read-only entries") << QStringList{".h.jpg", "!ro.gif", "!rodir.JPEG/", ".c.JPEG/"}
            << QStringList{".c.JPEG", ".h.jpg", "ro.gif", "rodir.JPEG"};
        QTest::newRow("locale order, not bytes") << QStringList{"zebra.jpg", "\xc3\x84pfel.gif", "apfel.gif", "\xc3\xa9t\xc3\xa9.jpg", "ezra.JPG"}
            << QStringList{"apfel.gif", "\xc3\x84pfel.gif", "\xc3\xa9t\xc3\xa9.jpg", "ezra.JPG", "zebra.jpg"};
        // clang-format on
    }

    void findsAndSortsTheImages() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, expected);
        DriveFolder folder;
        for (QString entry : entries) {
            const bool readOnly = entry.startsWith(QLatin1Char('!'));
            entry.remove(QLatin1Char('!'));
            if (entry.endsWith(QLatin1Char('/')))
                folder.makeDirectory(entry);
            else
                folder.touch(entry);
            if (readOnly)
                QFile::setPermissions(folder.hostPath(entry),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        RecordingFeedback feedback;
        CImageLister lister;
        lister.Directory = folder.drivePath();
        lister.FileName = "index.html";
        lister.Run();

        QCOMPARE(namesOf(lister.Files), expected);
        QVERIFY(folder.read("index.html")
                    .contains("(" + QByteArray::number(expected.size()) + " Images)"));
    }

    void runReportsItsProgress_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("ending"); // what follows busy and the three searches
        const QStringList noImages{"arrow",
                                   "error: Sorry, but Pictavo can't find any file (*.JPG,*.JPEG or "
                                   "*.GIF) in the selected directory. Please select a directory "
                                   "that contains Images.",
                                   "arrow"};
        // clang-format off
        QTest::newRow("no directory") << "" << "index.html" << QStringList();
        QTest::newRow("no images") << "D:\\EMPTY" << "index.html" << noImages;
        QTest::newRow("missing directory") << "D:\\MISSING" << "index.html" << noImages;
        QTest::newRow("unknown drive") << "Q:\\PICS" << "index.html" << noImages;
        QTest::newRow("empty file name") << "D:\\PICS" << "" << QStringList{
            "error: You didn't specify a filename. Please enter a Filename (e.g. index.html) and try again.", "arrow"};
        QTest::newRow("file cannot be created") << "D:\\PICS" << "no\\index.html" << QStringList{
            "status: Writing HTML file...", "status: Error writing file!",
            "error: Unexpected Error while writing HTML-file! Maybe the disc is full or write-protected.", "arrow"};
        QTest::newRow("page written") << "D:\\PICS\\" << "index.html" << QStringList{
            "status: Writing HTML file...", "status: Finished file \"D:\\PICS\\index.html\"",
            "confirm: File succesfully created. Would you like to view it now?", "arrow"};
        QTest::newRow("root, written without its backslash") << "D:\\" << "index.html" << QStringList{
            "status: Writing HTML file...", "status: Finished file \"D:\\index.html\"",
            "confirm: File succesfully created. Would you like to view it now?", "arrow"};
        // clang-format on
    }

    void runReportsItsProgress() {
        QFETCH(QString, directory);
        QFETCH(QString, fileName);
        QFETCH(QStringList, ending);
        DriveFolder folder('D');
        folder.makeDirectory("EMPTY");
        folder.touch("EMPTY/notes.txt");
        folder.makeDirectory("PICS");
        folder.touch("PICS/a.jpg");
        folder.touch("top.JPG");
        RecordingFeedback feedback;
        platform::RecordingShell shell;

        CImageLister lister;
        lister.Directory = directory.toStdString();
        lister.FileName = fileName.toStdString();
        lister.Run();

        const QStringList expected =
            directory.isEmpty()
                ? QStringList{"error: Please select a directory to search in and try again."}
                : QStringList{"busy", "status: Searching for *.JPEG...",
                              "status: Searching for *.JPG...", "status: Searching for *.GIF..."} +
                      ending;
        QCOMPARE(feedback.events(), expected);
        QVERIFY(!feedback.busy());
    }
};

PICTAVO_TEST_MAIN(TestCImageLister, QCoreApplication)
#include "tst_cimagelister.moc"
