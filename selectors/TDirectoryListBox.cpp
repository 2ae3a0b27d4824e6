#include "selectors/TDirectoryListBox.h"

#include "platform/drives/Paths.h"

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListView(parent)
    , m_directory(platform::getCurrentDirectory())
    , m_model(nullptr) {}

TDirectoryListBox::~TDirectoryListBox() = default;

void TDirectoryListBox::SetDirectory(const std::string& value) {
    m_directory = value;
}

void TDirectoryListBox::SetDrive(char) {}
void TDirectoryListBox::SwitchDrive(char) {}

std::string TDirectoryListBox::ItemPath(int) const {
    return {};
}

void TDirectoryListBox::OpenSelected() {}
void TDirectoryListBox::FillDirectoryList() {}

int TDirectoryListBox::Count() {
    return 0;
}
std::string TDirectoryListBox::ItemText(int) {
    return {};
}
QString TDirectoryListBox::DisplayText(int) {
    return {};
}
TDirectoryListBox::Image TDirectoryListBox::ItemImage(int) {
    return ClosedFolderImage;
}
int TDirectoryListBox::ItemLevel(int) {
    return 0;
}
int TDirectoryListBox::ItemIndex() {
    return -1;
}
void TDirectoryListBox::SetItemIndex(int) {}
void TDirectoryListBox::SetItemHeight(int height) {
    m_itemHeight = height;
}
void TDirectoryListBox::HandleNeeded() {}
void TDirectoryListBox::NotifyChange() {}
void TDirectoryListBox::LoadFolderImages() {}
void TDirectoryListBox::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
}
void TDirectoryListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
}
void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    QListView::keyPressEvent(event);
}
void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
}
void TDirectoryListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
}
