#include "selectors/TDriveComboBox.h"

#include "guard/ErrorGuard.h"
#include "platform/drives/DriveReading.h"
#include "platform/drives/Paths.h"
#include "platform/drives/Volumes.h"
#include "platform/text/AsciiCase.h"
#include "platform/text/DisplayText.h"
#include "platform/text/Text.h"
#include "selectors/DriveItemDelegate.h"
#include "selectors/SelectorImages.h"
#include "selectors/TDirectoryListBox.h"
#include "selectors/WindowCreation.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QProxyStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

// The list drops below the field and shows maxVisibleItems, whatever the style would do.
class DropDownListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// A label or share name in the letter's case: lower for a lower-case letter, else upper.
std::string inLetterCase(char letter, const std::string& text) {
    return static_cast<unsigned char>(letter) >= 97 ? platform::lowerText(text)
                                                    : platform::upperText(text);
}

// A failed volume query shows as an empty label.
std::string volumePart(char letter, const platform::DriveFacts& facts) {
    return "[" + inLetterCase(letter, facts.volumeError == 0 ? facts.label : std::string()) + "]";
}

std::string networkPart(char letter, const platform::DriveFacts& facts) {
    if (facts.remoteError != 0 || facts.remoteName.empty())
        return volumePart(letter, facts);
    return inLetterCase(letter, facts.remoteName);
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent)
    : QComboBox(parent) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(8);
    auto* style = new DropDownListStyle;
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new DriveItemDelegate(this));
    static const char* const names[] = {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"};
    for (std::size_t i = 0; i < m_images.size(); ++i)
        m_images[i] = loadSelectorImage(QLatin1String(names[i]));
    const std::string current = platform::getCurrentDirectory();
    m_drive = current.empty() ? 'C' : current[0];
    resetItemHeight();
    connect(this, &QComboBox::activated, this, &TDriveComboBox::userSelected);
}

TDriveComboBox::~TDriveComboBox() {
    if (m_dirList)
        m_dirList->m_driveLink = nullptr;
}

void TDriveComboBox::setDrive(char letter) {
    handleNeeded();
    if (currentIndex() >= 0 && platform::asciiUpper(letter) == platform::asciiUpper(m_drive))
        return;
    m_drive =
        m_textCase == tcUpperCase ? platform::asciiUpper(letter) : platform::asciiLower(letter);
    const QChar wanted = QChar::fromLatin1(platform::asciiUpper(m_drive));
    for (int i = 0; i < count(); ++i) {
        const QString text = itemText(i);
        if (text.size() >= 2 && text[0].toUpper() == wanted && text[1] == QLatin1Char(':')) {
            setCurrentIndex(i);
            break;
        }
    }
    if (m_dirList)
        m_dirList->switchDrive(m_drive);
    NotifyChange();
}

void TDriveComboBox::setTextCase(TTextCase textCase) {
    m_textCase = textCase;
    const char remembered = m_drive;
    FillDriveList();
    setDrive(remembered);
}

void TDriveComboBox::setDirList(TDirectoryListBox* list) {
    if (m_dirList)
        m_dirList->m_driveLink = nullptr;
    m_dirList = list;
    if (list) {
        if (list->m_driveLink && list->m_driveLink != this)
            list->m_driveLink->m_dirList = nullptr;
        list->m_driveLink = this;
    }
}

void TDriveComboBox::FillDriveList() {
    clear();
    for (const platform::DriveFacts& facts : platform::describeDrives()) {
        if (facts.letter < 'A' || facts.letter > 'Z')
            continue;
        const char letter =
            m_textCase == tcUpperCase ? facts.letter : platform::asciiLower(facts.letter);
        const std::string drive(1, letter);
        std::string text;
        Image image = NoImage;
        switch (facts.kind) {
        case platform::DriveKind::Removable:
            image = FloppyImage;
            text = drive + ":";
            break;
        case platform::DriveKind::Fixed:
            image = HardImage;
            text = drive + ": " + volumePart(letter, facts);
            break;
        case platform::DriveKind::Remote:
            image = NetworkImage;
            text = drive + ": " + networkPart(letter, facts);
            break;
        case platform::DriveKind::CdRom:
            image = CdRomImage;
            text = drive + ": " + volumePart(letter, facts);
            break;
        case platform::DriveKind::RamDisk:
            image = RamImage;
            text = drive + ": " + volumePart(letter, facts);
            break;
        default:
            continue;
        }
        addItem(platform::displayText(text), static_cast<int>(image));
    }
    setCurrentIndex(-1);
}

int TDriveComboBox::itemIndex() {
    handleNeeded();
    return currentIndex();
}

void TDriveComboBox::setItemIndex(int index) {
    handleNeeded();
    setCurrentIndex(index);
}

void TDriveComboBox::handleNeeded() {
    if (!m_created)
        createWindow();
}

TDriveComboBox::Image TDriveComboBox::itemImage(int index) const {
    if (index < 0 || index >= count())
        return NoImage;
    return static_cast<Image>(itemData(index).toInt());
}

void TDriveComboBox::createWindow() {
    const platform::DriveReading reading; // the list and a linked list's switch read it once
    m_created = true;
    FillDriveList();
    setDrive(m_drive);
}

void TDriveComboBox::resetItemHeight() {
    m_itemHeight = std::max(fontMetrics().height(), m_images[FloppyImage].height());
}

void TDriveComboBox::userSelected(int index) {
    runGuarded([this, index] {
        if (OnClick)
            OnClick(this);
        const QString text = itemText(index);
        if (!text.isEmpty())
            setDrive(text[0].toLatin1());
    });
}

void TDriveComboBox::NotifyChange() {
    if (OnChange)
        OnChange(this);
}

void TDriveComboBox::showEvent(QShowEvent* event) {
    createWhenShown(m_created, [this] { createWindow(); });
    QComboBox::showEvent(event);
}

void TDriveComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    // A new font re-creates the window, which fills the list anew.
    recreateOnFontChange(
        event, m_created, [this] { resetItemHeight(); }, [this] { createWindow(); });
}

void TDriveComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int index = currentIndex();
    if (index < 0)
        return;
    const Image image = itemImage(index);
    const QPixmap* pixmap = image == NoImage ? nullptr : &m_images[static_cast<std::size_t>(image)];
    DriveItemDelegate::paintItem(painter, field, itemText(index), pixmap, hasFocus(), palette());
}
