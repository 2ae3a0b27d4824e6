#include "platform/drives/DriveFacts.h"
#include "platform/drives/Paths.h"
#include "platform/errors/EInOutError.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/text/Text.h"
#include "selectors/TDirectoryListBox.h"
#include "selectors/TDriveComboBox.h"
#include "tests/support/Artifacts.h"

#include "tests/support/Files.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unprivileged.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString str(const std::string& text) {
    return QString::fromStdString(text);
}

// "Photos open 1": stored text, image and level of each item.
QStringList describe(TDirectoryListBox& list) {
    static const char* const images[] = {"open", "closed", "current"};
    QStringList result;
    for (int i = 0; i < list.count(); ++i)
        result << QStringLiteral("%1 %2 %3")
                      .arg(str(list.itemText(i)), images[list.itemImage(i)])
                      .arg(list.itemLevel(i));
    return result;
}

// Of names, the one that the directory lists first: where case does not count, that one
// stands for its twins.
QString firstFound(const QString& folder, const QStringList& names) {
    QString first;
    if (DIR* dir = opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* entry = readdir(dir)) {
            if (names.contains(QString::fromUtf8(entry->d_name))) {
                first = QString::fromUtf8(entry->d_name);
                break;
            }
        }
        closedir(dir);
    }
    return first;
}

} // namespace

// The directory list on drive C (a temporary folder holding Photos\2001 with Raw, best and Old,
// Pics\Photos, a hidden folder and a file), drive E (holding Sub) and F without a medium.
class TestTDirectoryListBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        for (const char* folder :
             {"c/Photos/2001/Raw", "c/Photos/2001/best", "c/Photos/2001/Old", "c/Pics/Photos",
              "c/.hidden", "c/Twins/raw", "c/Twins/Raw", "c/Twins/best", "c/Links/real", "e/Sub",
              "c/Names/12:30", "c/Names/Photos: Summer", "c/Names/x:y", "c/Names/x/y",
              "c/Names/a*b", "c/Names/q?", "c/Names/E:", "c/Names/E:/inside", "c/Names/p/q"})
            QVERIFY(QDir(m_root.path()).mkpath(folder));
        for (const char* name :
             {"Odd", "Odd/zoo", "Odd/\xc3\x89t\xc3\xa9", "Odd/caf\xe9", "Odd/best", "Names/caf\xe8",
              "Names/caf\xe9", "Names/\xc3\xa9", "Names/e\xcc\x81", "Names/ab",
              "Names/a\xc2\xad"
              "b",
              "Names/a\xe2\x80\x8b"
              "b"})
            QVERIFY(mkdir((QFile::encodeName(m_root.filePath("c")) + "/" + name).constData(),
                          0755) == 0);
        platform::setCollationLocale("de_DE.UTF-8");
        testsupport::writeAll(m_root.filePath("c/Photos/a.jpg"));
        QVERIFY(QFile::link(m_root.filePath("c/Pics"), m_root.filePath("c/Links/toPics")));
        QVERIFY(QFile::link(m_root.filePath("c/gone"), m_root.filePath("c/Links/dangling")));
    }

    // Qt cannot name what is not UTF-8, so it could not remove this one.
    void cleanupTestCase() {
        for (const char* name : {"c/Odd/caf\xe9", "c/Names/caf\xe8", "c/Names/caf\xe9"})
            rmdir((QFile::encodeName(m_root.path()) + "/" + name).constData());
    }

    void init() {
        m_drives = std::make_unique<platform::FakeDriveTable>();
        m_drives->map('C', m_root.filePath("c").toStdString());
        m_drives->map('E', m_root.filePath("e").toStdString());
        m_drives->mapNotReady('F');
        QCOMPARE(platform::setCurrentDirectory("C:\\Photos\\2001"), 0);
        m_list = std::make_unique<TDirectoryListBox>();
        m_list->OnChange = [this](QObject* sender) {
            QCOMPARE(sender, m_list.get());
            m_log << "list " + str(m_list->Directory());
        };
        m_log.clear();
    }

    void cleanup() {
        m_combo.reset();
        m_list.reset();
        m_drives.reset();
    }

    void showsTheTreeOfTheCurrentDirectory() {
        QCOMPARE(m_list->handleAllocated(), false);
        QVERIFY(m_list->setProperty("ItemHeight", 17)); // as a window layout stores it
        m_list->resize(301, 165);
        m_list->show();
        QCOMPARE(describe(*m_list), (QStringList{"C:\\ open 0", "Photos open 1", "2001 current 2",
                                                 "best closed 3", "Old closed 3", "Raw closed 3"}));
        QCOMPARE(m_list->itemIndex(), 2);
        QStringList paths;
        for (int i = 0; i <= m_list->count(); ++i)
            paths << str(m_list->ItemPath(i));
        QCOMPARE(paths,
                 (QStringList{"C:\\", "C:\\Photos", "C:\\Photos\\2001", "C:\\Photos\\2001\\best",
                              "C:\\Photos\\2001\\Old", "C:\\Photos\\2001\\Raw", ""}));
        QCOMPARE(m_log, QStringList{});
        saveGrabs(m_list.get(), "directory-list");

        // Each image starts 4 x level + 2 pixels in, and every item is one height.
        const QImage image = drawn(m_list.get());
        for (int row = 0; row < m_list->count(); ++row) {
            const QRect rect = m_list->visualRect(m_list->model()->index(row, 0))
                                   .translated(m_list->viewport()->pos());
            QCOMPARE(rect.height(), m_list->ItemHeight());
            const int y = rect.top() + rect.height() / 2;
            const QRgb background = image.pixel(rect.left(), y);
            int x = rect.left();
            while (x < rect.right() && image.pixel(x, y) == background)
                ++x;
            // Column 0 of every folder image is transparent; column 1 is its black outline.
            const int offset = 4 * m_list->itemLevel(row) + 2;
            QCOMPARE(x - rect.left(), offset + 1);
            // The text starts 4 pixels after the 16 of the image (give or take the glyph's
            // own bearing).
            const int text = firstInkColumn(image, rect, rect.left() + offset + 16);
            QVERIFY2(text >= rect.left() + offset + 20 && text <= rect.left() + offset + 22,
                     qPrintable(QStringLiteral("row %1: text at %2").arg(row).arg(text)));
        }
        // However small the font, an item is as high as the open folder and one more pixel.
        QFont tiny = m_list->font();
        tiny.setPixelSize(6);
        m_list->setFont(tiny);
        QCOMPARE(m_list->ItemHeight(), 16);
        QFont big = tiny;
        big.setPixelSize(30);
        m_list->setFont(big);
        QCOMPARE(m_list->ItemHeight(), QFontMetrics(big).height());
    }

    // Linux names hold what typed paths treat as a drive, a file or a wildcard: an item
    // always opens exactly its own folder.
    void oddNamesOpenTheirOwnFolder_data() {
        QTest::addColumn<QByteArray>("name");
        for (const char* name : {"12:30", "Photos: Summer", "x:y", "a*b", "q?", "E:"})
            QTest::newRow(name) << QByteArray(name);
    }
    void oddNamesOpenTheirOwnFolder() {
        QFETCH(QByteArray, name);
        m_list->show();
        m_list->SetDirectory("C:\\Names");
        int row = 0;
        while (row < m_list->count() && m_list->itemText(row) != name.toStdString())
            ++row;
        QVERIFY(row < m_list->count());
        m_log.clear();
        QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                           m_list->visualRect(m_list->model()->index(row, 0)).center());
        const QString expected = "C:\\Names\\" + QString::fromUtf8(name);
        QCOMPARE(m_log, QStringList{"list " + expected});
        QCOMPARE(str(platform::getCurrentDirectory()), expected);
        QCOMPARE(QDir::currentPath(), m_root.filePath("c/Names/" + QString::fromUtf8(name)));
    }

    // A stored or given folder that has gone is missing, even where typed text with its name
    // would lead to another folder (p:q typed is q in p).
    void exactFolderGone() {
        m_list->SetDirectory("C:\\Names");
        m_log.clear();
        QVERIFY_THROWS_EXCEPTION(EInOutError, m_list->enterFolder("C:\\Names\\p:q"));
        QCOMPARE(str(m_list->Directory()), "C:\\Names");
        m_list->SetDirectory("C:\\Names\\p:q");
        QCOMPARE(m_log, QStringList{"list C:\\Names\\p\\q"});
    }

    // The folder shown can be deleted or renamed by others; whatever is written next and exists
    // is entered at the first try, and a failure leaves the list and the process in agreement.
    void shownFolderGoesAway_data() {
        QTest::addColumn<QString>("change"); // what happens to C:\Keep\Gone meanwhile
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("directory"); // empty: the write fails with code
        QTest::addColumn<int>("code");
        const auto row = [](const char* what, const char* change, const char* action,
                            const char* directory, int code) {
            QTest::newRow(what) << QString(change) << QString(action) << QString(directory) << code;
        };
        row("deleted, its parent opened", "delete", "open 1", "C:\\Keep", 0);
        row("deleted, the root opened", "delete", "open 0", "C:\\", 0);
        row("deleted, another drive chosen", "delete", "drive E", "E:\\", 0);
        row("deleted, up written", "delete", "write ..", "C:\\Keep", 0);
        row("renamed, the root written", "rename", "write C:\\", "C:\\", 0);
        row("renamed, the new name written", "rename", "write C:\\Keep\\Moved", "C:\\Keep\\Moved",
            0);
        row("deleted, a missing folder written", "delete", "write C:\\Missing", "", 2);
    }
    void shownFolderGoesAway() {
        QFETCH(QString, change);
        QFETCH(QString, action);
        QFETCH(QString, directory);
        QFETCH(int, code);
        QVERIFY(QDir(m_root.path()).mkpath("c/Keep/Gone"));
        const auto removeKeep =
            qScopeGuard([this] { QDir(m_root.filePath("c/Keep")).removeRecursively(); });
        m_list->SetDirectory("C:\\Keep\\Gone");
        const QStringList items = describe(*m_list);
        if (change == "delete")
            QVERIFY(QDir(m_root.path()).rmdir("c/Keep/Gone"));
        else
            QVERIFY(QDir(m_root.path()).rename("c/Keep/Gone", "c/Keep/Moved"));
        m_log.clear();
        try {
            if (action.startsWith("open ")) {
                m_list->setItemIndex(action.mid(5).toInt());
                m_list->OpenSelected();
            } else if (action.startsWith("drive ")) {
                m_list->setDrive(action.at(6).toLatin1());
            } else {
                m_list->SetDirectory(action.mid(6).toStdString());
            }
            QVERIFY2(directory != "", "no error raised");
        } catch (const EInOutError& error) {
            QCOMPARE(error.ErrorCode(), code);
            QCOMPARE(m_log, QStringList{});
            QCOMPARE(str(m_list->Directory()), "C:\\Keep\\Gone");
            QCOMPARE(str(platform::getCurrentDirectory()), "C:\\Keep\\Gone");
            QCOMPARE(describe(*m_list), items);
            return;
        }
        QCOMPARE(m_log, QStringList{"list " + directory});
        QCOMPARE(str(platform::getCurrentDirectory()), directory);
        QCOMPARE(str(m_list->ItemPath(m_list->itemIndex())), directory);
        std::string host;
        QCOMPARE(platform::toHostPath(directory.toStdString(), host), 0);
        QCOMPARE(QDir::currentPath(), QString::fromStdString(host));
    }

    // A drive whose remembered folder has gone is entered at its root, as one that remembers
    // none.
    void rememberedFolderGone_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("drive letter") << "E:";
        QTest::newRow("root") << "E:\\";
    }
    void rememberedFolderGone() {
        QFETCH(QString, value);
        QVERIFY(QDir(m_root.path()).mkpath("e/Temp"));
        m_list->SetDirectory("E:\\Temp");
        m_list->SetDirectory("C:\\Pics");
        QVERIFY(QDir(m_root.path()).rmdir("e/Temp"));
        m_log.clear();
        m_list->SetDirectory(value.toStdString());
        QCOMPARE(m_log, QStringList{"list E:\\"});
        m_list->SetDirectory("C:\\Pics");
        m_list->setDrive('E');
        QCOMPARE(str(m_list->Directory()), "E:\\");
    }

    // A folder is known by its bytes; names that collate as equal are other folders.
    void folderIdentityIsItsBytes_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("two names that are not UTF-8")
            << QByteArray("caf\xe8") << QByteArray("caf\xe9");
        QTest::newRow("composed and decomposed")
            << QByteArray("\xc3\xa9") << QByteArray("e\xcc\x81");
        QTest::newRow("soft hyphen") << QByteArray("ab")
                                     << QByteArray("a\xc2\xad"
                                                   "b");
        QTest::newRow("zero-width space") << QByteArray("ab")
                                          << QByteArray("a\xe2\x80\x8b"
                                                        "b");
    }
    void folderIdentityIsItsBytes() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        m_list->SetDirectory("C:\\Names\\" + first.toStdString());
        m_log.clear();
        m_list->SetDirectory("C:\\Names\\" + second.toStdString());
        QCOMPARE(QByteArray::fromStdString(m_list->Directory()), "C:\\Names\\" + second);
        QCOMPARE(m_log.size(), 1);
    }

    // Before the list is first filled it already knows whether case counts on its drive: a
    // case twin written first is entered.
    void caseTwinWrittenFirst() {
        QCOMPARE(platform::setCurrentDirectory("C:\\Twins\\raw"), 0);
        TDirectoryListBox list;
        list.SetDirectory("C:\\Twins\\Raw");
        QCOMPARE(str(list.Directory()), "C:\\Twins\\Raw");
    }

    // One change of directory reads the drive table once, however many path operations it
    // makes; so does the selector's switch to another drive.
    void oneReadOfTheDrivesPerChange() {
        m_list->show();
        m_list->SetDirectory("C:\\Photos");
        int reads = m_drives->reads();
        QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                           m_list->visualRect(m_list->model()->index(2, 0)).center());
        QCOMPARE(str(m_list->Directory()), "C:\\Photos\\2001");
        QCOMPARE(m_drives->reads() - reads, 1);
        m_combo = std::make_unique<TDriveComboBox>();
        m_combo->show();
        m_combo->setDirList(m_list.get());
        reads = m_drives->reads();
        m_combo->setDrive('E');
        QCOMPARE(str(m_list->Directory()), "E:\\");
        QCOMPARE(m_drives->reads() - reads, 1);
    }

    // A root lists its subdirectories one level down; a link to a directory is one, a
    // dangling link is nothing.
    void listsSubdirectories_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("root") << "C:\\"
                              << QStringList{"C:\\ current 0", "Links closed 1",  "Names closed 1",
                                             "Odd closed 1",   "Photos closed 1", "Pics closed 1",
                                             "Twins closed 1"};
        QTest::newRow("links") << "C:\\Links"
                               << QStringList{"C:\\ open 0", "Links current 1", "real closed 2",
                                              "toPics closed 2"};
    }
    void listsSubdirectories() {
        QFETCH(QString, directory);
        QFETCH(QStringList, items);
        m_list->SetDirectory(directory.toStdString());
        QCOMPARE(describe(*m_list), items);
        QCOMPARE(str(m_list->ItemPath(1)), "C:\\Links");
    }

    // Names are ordered by the user's language, not by their bytes, and a name that is not
    // UTF-8 keeps its bytes all the way into the current directory.
    void namesInAnyScriptOrEncoding() {
        m_list->SetDirectory("C:\\Odd");
        QList<QByteArray> names;
        for (int i = 2; i < m_list->count(); ++i)
            names << QByteArray::fromStdString(m_list->itemText(i));
        QCOMPARE(names, (QList<QByteArray>{"best", "caf\xe9", "\xc3\x89t\xc3\xa9", "zoo"}));
        m_list->setItemIndex(3);
        m_list->OpenSelected();
        QCOMPARE(m_list->Directory(), std::string("C:\\Odd\\caf\xe9"));
        QCOMPARE(platform::getCurrentDirectory(), m_list->Directory());
        m_log.clear();
        m_list->OpenSelected(); // the current item: the same path, so nothing happens
        QCOMPARE(m_log, QStringList{});
    }

    void writingTheDirectory_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("events");
        const auto row = [](const char* what, const char* start, const char* value,
                            const char* directory, int events) {
            QTest::newRow(what) << QString(start) << QString(value) << QString(directory) << events;
        };
        row("trailing backslash", "C:\\", "C:\\Photos\\", "C:\\Photos", 1);
        row("existing file", "C:\\", "C:\\Photos\\a.jpg", "C:\\Photos", 1);
        row("wildcard", "C:\\", "C:\\Photos\\*.jpg", "C:\\Photos", 1);
        row("relative", "C:\\Pics", "Photos", "C:\\Pics\\Photos", 1);
        row("up", "C:\\Pics", "..", "C:\\", 1);
        row("forward slashes", "C:\\", "C:/Photos/2001", "C:\\Photos\\2001", 1);
        row("bracketed", "C:\\Pics", "[\\Photos\\2001]", "C:\\Photos\\2001", 1);
        row("other drive", "C:\\Pics", "E:", "E:\\", 1);
        row("other drive, lower case", "C:\\Pics", "e:\\sub\\..\\Sub", "E:\\Sub", 1);
        row("same directory, other text", "C:\\Pics", "C:\\Pics\\", "C:\\Pics", 1);
        row("same text", "C:\\Pics", "C:\\Pics", "C:\\Pics", 0);
        row("empty", "C:\\Pics", "", "C:\\Pics", 0);
    }
    void writingTheDirectory() {
        QFETCH(QString, start);
        QFETCH(QString, value);
        QFETCH(QString, directory);
        QFETCH(int, events);
        m_list->SetDirectory(start.toStdString());
        m_log.clear();
        m_list->SetDirectory(value.toStdString());
        QCOMPARE(str(m_list->Directory()), directory);
        QCOMPARE(str(platform::getCurrentDirectory()), directory);
        QCOMPARE(m_log.size(), events);
        QCOMPARE(str(m_list->ItemPath(m_list->itemIndex())), directory);
    }

    // A failed write leaves everything as it was and raises nothing.
    void failedWritesChangeNothing_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("code");
        QTest::newRow("missing directory") << "C:\\Missing" << 2;
        QTest::newRow("missing parent") << "C:\\Missing\\Deeper" << 2;
        QTest::newRow("file on the way") << "C:\\Photos\\a.jpg\\x" << 267;
        QTest::newRow("missing relative") << "Missing" << 2;
        QTest::newRow("drive without a medium") << "F:\\" << 21;
        QTest::newRow("unknown drive") << "Q:\\" << 15;
        QTest::newRow("drive letter only") << "F:" << 21;
    }
    void failedWritesChangeNothing() {
        QFETCH(QString, value);
        QFETCH(int, code);
        m_list->setItemIndex(4);
        const QStringList items = describe(*m_list);
        const QString host = QDir::currentPath();
        try {
            m_list->SetDirectory(value.toStdString());
            QFAIL("no error raised");
        } catch (const EInOutError& error) {
            QCOMPARE(error.ErrorCode(), code);
        }
        QCOMPARE(str(m_list->Directory()), "C:\\Photos\\2001");
        QCOMPARE(str(platform::getCurrentDirectory()), "C:\\Photos\\2001");
        QCOMPARE(QDir::currentPath(), host);
        QCOMPARE(describe(*m_list), items);
        QCOMPARE(m_list->itemIndex(), 4);
        QCOMPARE(m_log, QStringList{});
    }

    void writingTheDrive() {
        m_list->SetDirectory("E:\\Sub");
        m_list->SetDirectory("C:\\Pics");
        m_log.clear();
        m_list->setDrive('c');
        QCOMPARE(m_log, QStringList{});
        m_list->setDrive('e'); // the drive's own current directory
        QCOMPARE(m_log, QStringList{"list E:\\Sub"});
        try {
            m_list->setDrive('F');
            QFAIL("no error raised");
        } catch (const EInOutError& error) {
            QCOMPARE(error.ErrorCode(), 21);
        }
        QCOMPARE(str(m_list->Directory()), "E:\\Sub");
    }

    // Linked, the selector reports a drive change before the list reports its directory; and
    // the selector choosing a drive moves the list, which reports before the selector.
    void linkedPairReportsInOrder() {
        m_combo = std::make_unique<TDriveComboBox>();
        m_combo->show();
        m_combo->setDirList(m_list.get());
        m_combo->OnChange = [this](QObject*) {
            m_log << QStringLiteral("drive %1 list %2")
                         .arg(QChar(m_combo->Drive()))
                         .arg(str(m_list->Directory()));
        };
        m_log.clear();
        m_list->SetDirectory("E:\\Sub");
        QCOMPARE(m_log, (QStringList{"drive e list E:\\Sub", "list E:\\Sub"}));
        m_log.clear();
        m_combo->setDrive('C');
        QCOMPARE(m_log, (QStringList{"list C:\\Photos\\2001", "drive c list C:\\Photos\\2001"}));
        m_log.clear();
        QVERIFY_THROWS_EXCEPTION(EInOutError, m_combo->setDrive('f'));
        QCOMPARE(m_log, QStringList{});
        QCOMPARE(m_combo->Drive(), 'f');
        QCOMPARE(m_list->InDriveSwitch(), false);
    }

    // A drive that neither keeps nor compares case shows lower case and ignores case; the
    // stored texts and paths keep the case the platform reported.
    void caseOfTheDrive_data() {
        QTest::addColumn<bool>("preserved");
        QTest::addColumn<bool>("sensitive");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("subdirectories");
        QTest::newRow("sensitive")
            << true << true << QStringList{"C:\\", "Twins"} << QStringList{"best", "raw", "Raw"};
        QTest::newRow("preserved only")
            << true << false << QStringList{"C:\\", "Twins"} << QStringList{"best", "raw"};
        QTest::newRow("neither") << false << false << QStringList{"c:\\", "twins"}
                                 << QStringList{"best", "raw"};
    }
    void caseOfTheDrive() {
        QFETCH(bool, preserved);
        QFETCH(bool, sensitive);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, subdirectories);
        platform::DriveFacts facts = m_drives->facts('C');
        facts.casePreserved = preserved;
        facts.caseSensitive = sensitive;
        m_drives->setFacts('C', facts);
        m_list->SetDirectory("C:\\Twins");
        QCOMPARE(m_list->PreserveCase(), preserved);
        QCOMPARE(m_list->CaseSensitive(), sensitive);
        QCOMPARE((QStringList{m_list->displayText(0), m_list->displayText(1)}), shown);
        QCOMPARE(str(m_list->itemText(1)), "Twins");
        QStringList found;
        for (int i = 2; i < m_list->count(); ++i)
            found << str(m_list->itemText(i));
        if (!sensitive)
            subdirectories[1] = firstFound(m_root.filePath("c/Twins"), {"raw", "Raw"});
        QCOMPARE(found, subdirectories);

        // Other letter case names another, missing, directory only where case counts.
        m_log.clear();
        try {
            m_list->SetDirectory("c:\\TWINS");
            QVERIFY(!sensitive);
        } catch (const EInOutError& error) {
            QVERIFY(sensitive);
            QCOMPARE(error.ErrorCode(), 2);
        }
        QCOMPARE(m_log, QStringList{});
    }

    void opening_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("directory");
        // clang-format off
        QTest::newRow("Enter") << "enter" << "C:\\Photos";
        QTest::newRow("double-click") << "double-click" << "C:\\Photos";
        QTest::newRow("single click") << "click" << "C:\\Photos\\2001";
        QTest::newRow("arrow key") << "arrow" << "C:\\Photos\\2001";
        QTest::newRow("Enter taken by OnKeyPress") << "enter eaten" << "C:\\Photos\\2001";
        QTest::newRow("key turned into Enter") << "x as enter" << "C:\\Photos";
        QTest::newRow("Ctrl+Enter") << "ctrl enter" << "C:\\Photos";
        QTest::newRow("Shift+Enter is no key of the list") << "shift enter" << "C:\\Photos\\2001";
        QTest::newRow("Backspace goes up, whatever is selected") << "backspace" << "C:\\Photos";
        // clang-format on
    }

    void opening() {
        QFETCH(QString, action);
        QFETCH(QString, directory);
        m_list->show();
        m_list->setItemIndex(action == "backspace" ? 4 : 1);
        const QRect item = m_list->visualRect(m_list->model()->index(1, 0));
        QStringList keys;
        m_list->OnKeyPress = [&](QObject*, char& key) {
            keys << QString(QChar(key));
            if (action == "enter eaten" && key == '\r')
                key = 0;
            if (action == "x as enter" && key == 'x')
                key = '\r';
        };
        if (action == "enter" || action == "enter eaten")
            QTest::keyClick(m_list.get(), Qt::Key_Return);
        else if (action == "x as enter")
            QTest::keyClick(m_list.get(), Qt::Key_X);
        else if (action == "ctrl enter")
            QTest::keyClick(m_list.get(), Qt::Key_Return, Qt::ControlModifier);
        else if (action == "shift enter")
            QTest::keyClick(m_list.get(), Qt::Key_Return, Qt::ShiftModifier);
        else if (action == "backspace")
            QTest::keyClick(m_list.get(), Qt::Key_Backspace);
        else if (action == "double-click")
            QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, item.center());
        else if (action == "click")
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, item.center());
        else
            QTest::keyClick(m_list.get(), Qt::Key_Up);
        QCOMPARE(str(m_list->Directory()), directory);
        QCOMPARE(m_log.size(), directory == "C:\\Photos" ? 1 : 0);
    }

    // A screen reader hears what the images and the indent show: which item is an ancestor,
    // the current folder or a subfolder, and its level.
    void itemsDescribedToScreenReaders() {
        m_list->show();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(m_list.get());
        QVERIFY(list);
        QStringList heard;
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface* item = list->child(i);
            heard << item->text(QAccessible::Name) + ": " + item->text(QAccessible::Description);
        }
        QCOMPARE(heard, (QStringList{"C:\\: ancestor, level 0", "Photos: ancestor, level 1",
                                     "2001: current folder, level 2", "best: subfolder, level 3",
                                     "Old: subfolder, level 3", "Raw: subfolder, level 3"}));
    }

    // A folder that cannot be entered is listed and opening it is denied; one that can be
    // entered but not read shows no subdirectories, as a user sees them.
    void deniedFolders() {
        const QString locked = m_root.filePath("c/Locked"),
                      unreadable = m_root.filePath("c/Unreadable");
        QVERIFY(QDir().mkpath(locked + "/sub") && QDir().mkpath(unreadable + "/sub"));
        QVERIFY(chmod(QFile::encodeName(locked).constData(), 0600) == 0);
        QVERIFY(chmod(QFile::encodeName(unreadable).constData(), 0311) == 0);
        const auto check = [this]() -> QString {
            m_list->SetDirectory("C:\\");
            if (!describe(*m_list).contains("Locked closed 1"))
                return "Locked is not listed";
            try {
                m_list->SetDirectory("C:\\Locked");
                return "Locked was entered";
            } catch (const EInOutError& error) {
                if (error.ErrorCode() != 5)
                    return QStringLiteral("Locked gave %1").arg(error.ErrorCode());
            }
            m_list->SetDirectory("C:\\Unreadable");
            return describe(*m_list).join(", ");
        };
        QVERIFY(chmod(QFile::encodeName(m_root.path()).constData(), 0755) == 0);
        QCOMPARE(testsupport::runUnprivileged([&] { return check().toUtf8(); }),
                 "C:\\ open 0, Unreadable current 1");
        chmod(QFile::encodeName(locked).constData(), 0755);
        chmod(QFile::encodeName(unreadable).constData(), 0755);
        QDir(locked).removeRecursively();
        QDir(unreadable).removeRecursively();
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<platform::FakeDriveTable> m_drives;
    std::unique_ptr<TDirectoryListBox> m_list;
    std::unique_ptr<TDriveComboBox> m_combo;
    QStringList m_log;
};

PICTAVO_TEST_MAIN(TestTDirectoryListBox, QApplication)
#include "tst_tdirectorylistbox.moc"
