#include "platform/drives/DriveFacts.h"
#include "platform/testing/FakeDriveTable.h"
#include "selectors/TDirectoryListBox.h"
#include "selectors/TDriveComboBox.h"
#include "tests/support/Artifacts.h"

#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include <memory>

using platform::DriveFacts;
using platform::DriveKind;

namespace {

DriveFacts facts(DriveKind kind, const std::string& label, const std::string& remote = {},
                 int volumeError = 0) {
    DriveFacts result;
    result.kind = kind;
    result.label = label;
    result.volumeError = volumeError;
    result.remoteName = remote;
    result.remoteError = remote.empty() ? 2250 : 0;
    return result;
}

} // namespace

// The drive selector on a machine with a floppy drive A, a fixed drive C labelled System, a
// CD-ROM E labelled Photos01, a network drive F on \\Srv\Data, and two letters G and H of
// kinds that are not listed.
class TestTDriveComboBox : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_root.isValid());
        m_drives = std::make_unique<platform::FakeDriveTable>();
        const std::string root = m_root.path().toStdString();
        m_drives->mapNotReady('A');
        m_drives->map('C', root);
        m_drives->setFacts('C', facts(DriveKind::Fixed, "System"));
        for (const char letter : {'E', 'F', 'G', 'H'})
            m_drives->map(letter, root);
        m_drives->setFacts('E', facts(DriveKind::CdRom, "Photos01"));
        m_drives->setFacts('F', facts(DriveKind::Remote, "", "\\\\Srv\\Data"));
        m_drives->setFacts('G', facts(DriveKind::Unknown, "G"));
        m_drives->setFacts('H', facts(DriveKind::NoRootDir, "H"));
        m_combo = std::make_unique<TDriveComboBox>();
        m_combo->OnChange = [this](QObject* sender) {
            QCOMPARE(sender, m_combo.get());
            m_log << QStringLiteral("change %1").arg(QChar(m_combo->Drive()));
        };
        m_combo->OnClick = [this](QObject*) {
            m_log << QStringLiteral("click %1").arg(QChar(m_combo->Drive()));
        };
        m_log.clear();
    }

    void cleanup() {
        m_combo.reset();
        m_drives.reset();
    }

    void listsEachDriveWithItsImage_data() {
        QTest::addColumn<int>("textCase");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("drive");
        QTest::newRow("lower case")
            << int(tcLowerCase)
            << QStringList{"a:", "c: [system]", "e: [photos01]", "f: \\\\srv\\data"} << "c";
        QTest::newRow("upper case")
            << int(tcUpperCase)
            << QStringList{"A:", "C: [SYSTEM]", "E: [PHOTOS01]", "F: \\\\SRV\\DATA"} << "C";
    }
    void listsEachDriveWithItsImage() {
        QFETCH(int, textCase);
        QFETCH(QStringList, texts);
        QFETCH(QString, drive);
        m_combo->setTextCase(static_cast<TTextCase>(textCase));
        m_log.clear();
        m_combo->show();
        QStringList shown;
        QList<int> images;
        for (int i = 0; i < m_combo->count(); ++i) {
            shown << m_combo->itemText(i);
            images << m_combo->itemImage(i);
        }
        QCOMPARE(shown, texts);
        QCOMPARE(images, (QList<int>{TDriveComboBox::FloppyImage, TDriveComboBox::HardImage,
                                     TDriveComboBox::CdRomImage, TDriveComboBox::NetworkImage}));
        QCOMPARE(QString(QChar(m_combo->Drive())), drive);
        QCOMPARE(m_combo->currentIndex(), 1);
        QCOMPARE(m_log, QStringList{}); // raised while TextCase was set, before showing

        if (textCase == tcLowerCase) {
            m_combo->resize(301, 19);
            saveGrabs(m_combo.get(), "drive-selector");
            m_combo->showPopup();
            QWidget* popup = m_combo->view()->window();
            QTRY_VERIFY(popup->isVisible());
            saveGrabs(popup, "drive-selector-open");
            // Each image starts 2 pixels in, and the text 6 pixels after the image's 16 (give
            // or take the glyph's bearing).
            QAbstractItemView* view = m_combo->view();
            const QImage image = drawn(view->viewport());
            for (int row = 0; row < m_combo->count(); ++row) {
                const QRect rect = view->visualRect(view->model()->index(row, 0));
                QCOMPARE(rect.height(), m_combo->ItemHeight());
                QCOMPARE(firstInkColumn(image, rect, rect.left()) - rect.left(), 2);
                const int text = firstInkColumn(image, rect, rect.left() + 2 + 16) - rect.left();
                QVERIFY2(text >= 22 && text <= 24, qPrintable(QString::number(text)));
            }
            m_combo->hidePopup();
        }
        // However small the font, an item is as high as a drive image.
        QFont tiny = m_combo->font();
        tiny.setPixelSize(5);
        m_combo->setFont(tiny);
        QCOMPARE(m_combo->ItemHeight(), 11);
    }

    // A label that cannot be read shows as empty brackets, and a network drive without a share
    // name shows its label, still with the network image.
    void unreadableNamesFallBack() {
        m_drives->setFacts('E', facts(DriveKind::CdRom, "Photos01", {}, 21));
        m_drives->setFacts('F', facts(DriveKind::Remote, "Share"));
        QCOMPARE(m_combo->itemIndex(), 1);
        QCOMPARE(m_combo->itemText(2), "e: []");
        QCOMPARE(m_combo->itemText(3), "f: [share]");
        QCOMPARE(m_combo->itemImage(3), TDriveComboBox::NetworkImage);
    }

    // Until it is on screen the selector holds the letter as the platform reports it; the
    // first use of its selection fills it and raises one change.
    void goesOnScreenOnFirstUse_data() {
        QTest::addColumn<QString>("use");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("drive");
        QTest::newRow("shown") << "show" << QStringList{"change c"} << "c";
        QTest::newRow("selection read") << "read" << QStringList{"change c"} << "c";
        QTest::newRow("another drive written")
            << "write e" << QStringList{"change c", "change e"} << "e";
        QTest::newRow("same drive written") << "write C" << QStringList{"change c"} << "c";
    }
    void goesOnScreenOnFirstUse() {
        QFETCH(QString, use);
        QFETCH(QStringList, log);
        QFETCH(QString, drive);
        QCOMPARE(m_combo->Drive(), 'C');
        QCOMPARE(m_combo->count(), 0);
        if (use == "show")
            m_combo->show();
        else if (use == "read")
            m_combo->itemIndex();
        else
            m_combo->setDrive(use.back().toLatin1());
        m_combo->show();
        QCOMPARE(m_log, log);
        QCOMPARE(QString(QChar(m_combo->Drive())), drive);
    }

    void writingTheDrive_data() {
        QTest::addColumn<char>("letter");
        QTest::addColumn<int>("events");
        QTest::addColumn<char>("readBack");
        QTest::addColumn<int>("selected");
        QTest::newRow("same letter") << 'c' << 0 << 'c' << 1;
        QTest::newRow("same letter, other case") << 'C' << 0 << 'c' << 1;
        QTest::newRow("another listed letter") << 'E' << 1 << 'e' << 2;
        QTest::newRow("floppy without a disk") << 'a' << 1 << 'a' << 0;
        QTest::newRow("unlisted letter") << 'Q' << 1 << 'q' << 1;
        QTest::newRow("letter of a kind not listed") << 'g' << 1 << 'g' << 1;
    }
    void writingTheDrive() {
        QFETCH(char, letter);
        QFETCH(int, events);
        QFETCH(char, readBack);
        QFETCH(int, selected);
        m_combo->show();
        m_log.clear();
        m_combo->setDrive(letter);
        QCOMPARE(m_log.size(), events);
        QCOMPARE(m_combo->Drive(), readBack);
        QCOMPARE(m_combo->currentIndex(), selected);
    }

    // TextCase and the font each refill the list and raise one change for the same drive.
    void refillsRaiseOneChange_data() {
        QTest::addColumn<bool>("font");
        QTest::newRow("text case") << false;
        QTest::newRow("font") << true;
    }
    void refillsRaiseOneChange() {
        QFETCH(bool, font);
        m_combo->show();
        m_combo->setDrive('e');
        m_log.clear();
        if (font) {
            QFont bigger = m_combo->font();
            bigger.setPixelSize(30);
            m_combo->setFont(bigger);
            QCOMPARE(m_combo->ItemHeight(), QFontMetrics(bigger).height());
            QCOMPARE(m_log, QStringList{"change e"});
        } else {
            m_combo->setTextCase(tcUpperCase);
            QCOMPARE(m_log, QStringList{"change E"});
            QCOMPARE(m_combo->itemText(2), "E: [PHOTOS01]");
        }
        QCOMPARE(m_combo->currentIndex(), 2);
    }

    // A user's choice raises OnClick before Drive changes; the drive already held raises
    // nothing more.
    void userSelection() {
        m_combo->show();
        m_combo->setFocus();
        m_log.clear();
        QTest::keyClick(m_combo.get(), Qt::Key_Down);
        QCOMPARE(m_log, (QStringList{"click c", "change e"}));
        m_log.clear();
        m_combo->setItemIndex(2); // the program moving the selection is no user choice
        emit m_combo->activated(2);
        QCOMPARE(m_log, QStringList{"click e"});
    }

    // The open list shows eight items and scrolls to the rest.
    void opensToEightItems() {
        for (char letter = 'I'; letter <= 'T'; ++letter)
            m_drives->map(letter, m_root.path().toStdString());
        m_combo->show();
        m_combo->showPopup();
        QTRY_VERIFY(m_combo->view()->isVisible());
        QCOMPARE(m_combo->view()->viewport()->height() / m_combo->ItemHeight(), 8);
        QVERIFY(m_combo->view()->verticalScrollBar()->maximum() > 0);
        m_combo->hidePopup();
    }

    // Either control going away clears the other's reference; linking does not switch.
    void linkClearedWhenEitherIsDestroyed() {
        auto list = std::make_unique<TDirectoryListBox>();
        m_combo->setDirList(list.get());
        QCOMPARE(list->DriveLink(), m_combo.get());
        QCOMPARE(m_log, QStringList{});
        list.reset();
        QCOMPARE(m_combo->DirList(), nullptr);

        list = std::make_unique<TDirectoryListBox>();
        m_combo->setDirList(list.get());
        m_combo.reset();
        QCOMPARE(list->DriveLink(), nullptr);
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<platform::FakeDriveTable> m_drives;
    std::unique_ptr<TDriveComboBox> m_combo;
    QStringList m_log;
};

PICTAVO_TEST_MAIN(TestTDriveComboBox, QApplication)
#include "tst_tdrivecombobox.moc"
