#include "platform/drives/DriveFacts.h"
#include "platform/drives/Paths.h"
#include "platform/errors/EInOutError.h"
#include "platform/testing/FakeDriveTable.h"
#include "selectors/TDirectoryListBox.h"
#include "selectors/TDriveComboBox.h"
#include "tests/selectors/Artifacts.h"

#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

QString str(const std::string& text) {
    return QString::fromStdString(text);
}

// "Photos open 1": stored text, image and level of each item.
QStringList describe(TDirectoryListBox& list) {
    static const char* const images[] = {"open", "closed", "current"};
    QStringList result;
    for (int i = 0; i < list.Count(); ++i)
        result << QStringLiteral("%1 %2 %3")
                      .arg(str(list.ItemText(i)), images[list.ItemImage(i)])
                      .arg(list.ItemLevel(i));
    return result;
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
              "c/.hidden", "c/Twins/raw", "c/Twins/Raw", "c/Twins/best", "c/Links/real", "e/Sub"})
            QVERIFY(QDir(m_root.path()).mkpath(folder));
        QFile file(m_root.filePath("c/Photos/a.jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(m_root.filePath("c/Pics"), m_root.filePath("c/Links/toPics")));
        QVERIFY(QFile::link(m_root.filePath("c/gone"), m_root.filePath("c/Links/dangling")));
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
        QCOMPARE(m_list->HandleAllocated(), false);
        m_list->resize(301, 165);
        m_list->show();
        QCOMPARE(describe(*m_list), (QStringList{"C:\\ open 0", "Photos open 1", "2001 current 2",
                                                 "best closed 3", "Old closed 3", "Raw closed 3"}));
        QCOMPARE(m_list->ItemIndex(), 2);
        QStringList paths;
        for (int i = 0; i <= m_list->Count(); ++i)
            paths << str(m_list->ItemPath(i));
        QCOMPARE(paths,
                 (QStringList{"C:\\", "C:\\Photos", "C:\\Photos\\2001", "C:\\Photos\\2001\\best",
                              "C:\\Photos\\2001\\Old", "C:\\Photos\\2001\\Raw", ""}));
        QCOMPARE(m_log, QStringList{});
        saveGrabs(m_list.get(), "directory-list");

        // Each image starts 4 x level + 2 pixels in, and every item is one height.
        const QImage image = drawn(m_list.get());
        for (int row = 0; row < m_list->Count(); ++row) {
            const QRect rect = m_list->visualRect(m_list->model()->index(row, 0))
                                   .translated(m_list->viewport()->pos());
            QCOMPARE(rect.height(), m_list->ItemHeight());
            const int y = rect.top() + rect.height() / 2;
            const QRgb background = image.pixel(rect.left(), y);
            int x = rect.left();
            while (x < rect.right() && image.pixel(x, y) == background)
                ++x;
            // Column 0 of every folder image is transparent; column 1 is its black outline.
            QCOMPARE(x - rect.left(), 4 * m_list->ItemLevel(row) + 2 + 1);
        }
    }

    void rootListsItsSubdirectoriesOneLevelDown() {
        m_list->SetDirectory("C:\\");
        QCOMPARE(describe(*m_list),
                 (QStringList{"C:\\ current 0", "Links closed 1", "Photos closed 1",
                              "Pics closed 1", "Twins closed 1"}));
        QCOMPARE(m_list->ItemPath(1), "C:\\Links");
    }

    // A link to a directory is one; a dangling link is nothing.
    void linksToDirectories() {
        m_list->SetDirectory("C:\\Links");
        QCOMPARE(m_list->ItemText(2), "real");
        QCOMPARE(m_list->ItemText(3), "toPics");
        QCOMPARE(m_list->Count(), 4);
    }

    void writingTheDirectory_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("events");
        QTest::newRow("trailing backslash") << "C:\\"
                                            << "C:\\Photos\\"
                                            << "C:\\Photos" << 1;
        QTest::newRow("existing file") << "C:\\"
                                       << "C:\\Photos\\a.jpg"
                                       << "C:\\Photos" << 1;
        QTest::newRow("wildcard") << "C:\\"
                                  << "C:\\Photos\\*.jpg"
                                  << "C:\\Photos" << 1;
        QTest::newRow("relative") << "C:\\Pics"
                                  << "Photos"
                                  << "C:\\Pics\\Photos" << 1;
        QTest::newRow("up") << "C:\\Pics"
                            << ".."
                            << "C:\\" << 1;
        QTest::newRow("forward slashes") << "C:\\"
                                         << "C:/Photos/2001"
                                         << "C:\\Photos\\2001" << 1;
        QTest::newRow("bracketed") << "C:\\Pics"
                                   << "[\\Photos\\2001]"
                                   << "C:\\Photos\\2001" << 1;
        QTest::newRow("other drive") << "C:\\Pics"
                                     << "E:"
                                     << "E:\\" << 1;
        QTest::newRow("other drive, lower case") << "C:\\Pics"
                                                 << "e:\\sub\\..\\Sub"
                                                 << "E:\\Sub" << 1;
        QTest::newRow("same directory, other text") << "C:\\Pics"
                                                    << "C:\\Pics\\"
                                                    << "C:\\Pics" << 1;
        QTest::newRow("same text") << "C:\\Pics"
                                   << "C:\\Pics"
                                   << "C:\\Pics" << 0;
        QTest::newRow("empty") << "C:\\Pics"
                               << ""
                               << "C:\\Pics" << 0;
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
        QCOMPARE(str(m_list->ItemPath(m_list->ItemIndex())), directory);
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
        m_list->SetItemIndex(4);
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
        QCOMPARE(m_list->ItemIndex(), 4);
        QCOMPARE(m_log, QStringList{});
    }

    void writingTheDrive() {
        m_list->SetDirectory("E:\\Sub");
        m_list->SetDirectory("C:\\Pics");
        m_log.clear();
        m_list->SetDrive('c');
        QCOMPARE(m_log, QStringList{});
        m_list->SetDrive('e'); // the drive's own current directory
        QCOMPARE(m_log, QStringList{"list E:\\Sub"});
        try {
            m_list->SetDrive('F');
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
        m_combo->SetDirList(m_list.get());
        m_combo->OnChange = [this](QObject*) {
            m_log << QStringLiteral("drive %1 list %2")
                         .arg(QChar(m_combo->Drive()))
                         .arg(str(m_list->Directory()));
        };
        m_log.clear();
        m_list->SetDirectory("E:\\Sub");
        QCOMPARE(m_log, (QStringList{"drive e list E:\\Sub", "list E:\\Sub"}));
        m_log.clear();
        m_combo->SetDrive('C');
        QCOMPARE(m_log, (QStringList{"list C:\\Photos\\2001", "drive c list C:\\Photos\\2001"}));
        m_log.clear();
        QVERIFY_THROWS_EXCEPTION(EInOutError, m_combo->SetDrive('f'));
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
        QCOMPARE((QStringList{m_list->DisplayText(0), m_list->DisplayText(1)}), shown);
        QCOMPARE(str(m_list->ItemText(1)), "Twins");
        QStringList found;
        for (int i = 2; i < m_list->Count(); ++i)
            found << str(m_list->ItemText(i));
        if (!sensitive && found.size() == 2 && found[1] == "Raw")
            found[1] = "raw"; // either twin may stand for both
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
        QTest::newRow("Enter") << "enter"
                               << "C:\\Photos";
        QTest::newRow("double-click") << "double-click"
                                      << "C:\\Photos";
        QTest::newRow("single click") << "click"
                                      << "C:\\Photos\\2001";
        QTest::newRow("arrow key") << "arrow"
                                   << "C:\\Photos\\2001";
        QTest::newRow("Enter taken by OnKeyPress") << "enter eaten"
                                                   << "C:\\Photos\\2001";
        QTest::newRow("key turned into Enter") << "x as enter"
                                               << "C:\\Photos";
    }
    void opening() {
        QFETCH(QString, action);
        QFETCH(QString, directory);
        m_list->show();
        m_list->SetItemIndex(1);
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
        else if (action == "double-click")
            QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, item.center());
        else if (action == "click")
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, item.center());
        else
            QTest::keyClick(m_list.get(), Qt::Key_Up);
        QCOMPARE(str(m_list->Directory()), directory);
        QCOMPARE(m_log.size(), directory == "C:\\Photos" ? 1 : 0);
    }

    // Opening the current item writes the same path: nothing happens.
    void openingTheCurrentItem() {
        m_list->show();
        m_list->OpenSelected();
        QCOMPARE(m_log, QStringList{});
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
