#include "selectors/TDriveComboBox.h"

#include "platform/drives/Paths.h"

TDriveComboBox::TDriveComboBox(QWidget* parent)
    : QComboBox(parent) {
    const std::string current = platform::getCurrentDirectory();
    m_drive = current.empty() ? 'C' : current[0];
}

TDriveComboBox::~TDriveComboBox() = default;

void TDriveComboBox::SetDrive(char letter) {
    m_drive = letter;
}

void TDriveComboBox::SetTextCase(TTextCase textCase) {
    m_textCase = textCase;
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    m_dirList = list;
}

void TDriveComboBox::FillDriveList() {}

int TDriveComboBox::ItemIndex() {
    return currentIndex();
}

void TDriveComboBox::SetItemIndex(int index) {
    setCurrentIndex(index);
}

void TDriveComboBox::HandleNeeded() {}

TDriveComboBox::Image TDriveComboBox::ItemImage(int) const {
    return NoImage;
}

void TDriveComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
}

void TDriveComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
}

void TDriveComboBox::paintEvent(QPaintEvent* event) {
    QComboBox::paintEvent(event);
}
