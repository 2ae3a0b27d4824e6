#include "selectors/TDirectoryListBox.h"

#include "guard/ErrorGuard.h"
#include "platform/drives/DriveLetter.h"
#include "platform/drives/DriveReading.h"
#include "platform/drives/Paths.h"
#include "platform/drives/Volumes.h"
#include "platform/errors/EInOutError.h"
#include "platform/files/FileSearch.h"
#include "platform/text/DisplayText.h"
#include "platform/text/Text.h"
#include "selectors/DirectoryItemModel.h"
#include "selectors/FolderItemDelegate.h"
#include "selectors/ResolveDirectory.h"
#include "selectors/SelectorImages.h"
#include "selectors/TDriveComboBox.h"
#include "selectors/WindowCreation.h"

#include <QKeyEvent>

#include <algorithm>

namespace {

bool endsWithSeparator(const std::string& path) {
    return !path.empty() && path.back() == '\\';
}

QString shown(const std::string& text, bool keepCase) {
    return platform::displayText(keepCase ? text : platform::lowerText(text));
}

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListView(parent)
    , m_directory(platform::getCurrentDirectory())
    , m_model(new DirectoryItemModel(this)) {
    setModel(m_model);
    setItemDelegate(new FolderItemDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    resize(145, height());
    LoadFolderImages();
    resetItemHeight();
}

TDirectoryListBox::~TDirectoryListBox() {
    if (m_driveLink)
        m_driveLink->m_dirList = nullptr;
}

void TDirectoryListBox::SetDirectory(const std::string& value) {
    changeDirectory(value, false);
}

void TDirectoryListBox::enterFolder(const std::string& path) {
    changeDirectory(path, true);
}

void TDirectoryListBox::changeDirectory(const std::string& value, bool exactly) {
    if (value.empty())
        return;
    const platform::DriveReading reading;
    if (!m_created)
        readCaseFlags(); // a first comparison must know whether case counts
    if (platform::sameDirectory(value, m_directory, m_caseSensitive))
        return;
    // Resolving enters nothing, so a failure leaves everything as it was, and a current
    // directory that has gone meanwhile does not stand in the way. The target is entered
    // before a drive switch, which then finds it as its drive's directory.
    std::string target;
    if (exactly) {
        if (const int error = platform::findDirectory(value, target))
            throw EInOutError(error);
    } else {
        target = resolveDirectory(value);
    }
    if (const int error = platform::setCurrentDirectory(target))
        throw EInOutError(error);
    if (target[0] != Drive()) {
        m_inDriveSwitch = true;
        try {
            if (m_driveLink)
                m_driveLink->setDrive(target[0]);
            else
                switchDrive(target[0]);
        } catch (...) {
            // The process is in the target already: the list shows it too, so the two agree.
            m_inDriveSwitch = false;
            m_directory = platform::getCurrentDirectory();
            FillDirectoryList();
            throw;
        }
        m_inDriveSwitch = false;
    }
    m_directory = platform::getCurrentDirectory();
    FillDirectoryList();
    NotifyChange();
}

void TDirectoryListBox::setDrive(char letter) {
    if (platform::upperDriveLetter(letter) != platform::upperDriveLetter(Drive()))
        SetDirectory(std::string{letter, ':'});
}

void TDirectoryListBox::switchDrive(char letter) {
    if (platform::upperDriveLetter(letter) == platform::upperDriveLetter(Drive()))
        return;
    const platform::DriveReading reading;
    if (const int error = platform::setCurrentDirectory(std::string{letter, ':'}))
        throw EInOutError(error);
    m_directory = platform::getCurrentDirectory();
    if (!m_inDriveSwitch) {
        FillDirectoryList();
        NotifyChange();
    }
}

std::string TDirectoryListBox::ItemPath(int index) const {
    if (index < 0 || index >= m_model->count())
        return {};
    if (index == 0)
        return std::string{Drive(), ':', '\\'};
    const DirectoryItemModel::Item& item = m_model->item(index);
    if (item.image == ClosedFolderImage)
        return m_directory + (endsWithSeparator(m_directory) ? "" : "\\") + item.text;
    if (item.image == CurrentFolderImage)
        return m_directory;
    std::size_t position = 0;
    for (int separators = 0; separators <= index; ++separators) {
        position = m_directory.find('\\', separators == 0 ? 0 : position + 1);
        if (position == std::string::npos)
            return m_directory;
    }
    return m_directory.substr(0, position);
}

void TDirectoryListBox::OpenSelected() {
    enterFolder(ItemPath(itemIndex()));
}

void TDirectoryListBox::readCaseFlags() {
    platform::VolumeInformation volume;
    platform::volumeInformation(Drive(), volume); // unreadable: both false
    m_preserveCase = volume.casePreserved || volume.caseSensitive;
    m_caseSensitive = volume.caseSensitive;
}

void TDirectoryListBox::FillDirectoryList() {
    const platform::DriveReading reading;
    m_created = true; // writing the items puts the control on screen
    setUpdatesEnabled(false);
    readCaseFlags();
    const bool keepCase = m_preserveCase || m_caseSensitive;

    std::vector<DirectoryItemModel::Item> items;
    std::string rest = m_directory;
    if (!endsWithSeparator(rest)) {
        bool first = true;
        for (std::size_t slash = rest.find('\\'); slash != std::string::npos;
             slash = rest.find('\\')) {
            std::string part = rest.substr(0, slash);
            if (first)
                part += '\\';
            first = false;
            rest.erase(0, slash + 1);
            const int level = static_cast<int>(items.size());
            items.push_back({part, shown(part, keepCase), OpenFolderImage, level});
        }
    }
    const int currentLevel = static_cast<int>(items.size());
    items.push_back({rest, shown(rest, keepCase), CurrentFolderImage, currentLevel});
    m_currentItem = currentLevel;

    std::vector<std::string> names;
    {
        platform::FileSearch search(m_directory + (endsWithSeparator(m_directory) ? "" : "\\") +
                                    "*.*");
        platform::FindData entry;
        while (search.next(entry)) {
            if ((entry.attributes & platform::AttributeHidden) ||
                !(entry.attributes & platform::AttributeDirectory) || entry.name == "." ||
                entry.name == "..")
                continue;
            names.push_back(std::move(entry.name));
        }
    }
    const bool caseSensitive = m_caseSensitive;
    std::stable_sort(names.begin(), names.end(),
                     [caseSensitive](const std::string& a, const std::string& b) {
                         const int order = platform::compareText(a, b, true);
                         if (order != 0 || !caseSensitive)
                             return order < 0;
                         const int cased = platform::compareText(a, b, false);
                         return cased != 0 ? cased < 0 : a < b;
                     });
    if (!caseSensitive) {
        // Names that compare equal ignoring case stand for one directory: the first stays.
        names.erase(std::unique(names.begin(), names.end(),
                                [](const std::string& a, const std::string& b) {
                                    return platform::compareText(a, b, true) == 0;
                                }),
                    names.end());
    }
    items.reserve(items.size() + names.size());
    for (std::string& name : names) {
        QString display = shown(name, keepCase);
        items.push_back({std::move(name), std::move(display), ClosedFolderImage, currentLevel + 1});
    }
    m_model->setItems(std::move(items));
    setUpdatesEnabled(true);
    ++m_filling;
    setCurrentIndex(m_model->index(m_currentItem));
    --m_filling;
}

int TDirectoryListBox::count() {
    handleNeeded();
    return m_model->count();
}

std::string TDirectoryListBox::itemText(int index) {
    handleNeeded();
    return index >= 0 && index < m_model->count() ? m_model->item(index).text : std::string();
}

QString TDirectoryListBox::displayText(int index) {
    handleNeeded();
    return index >= 0 && index < m_model->count() ? m_model->item(index).display : QString();
}

TDirectoryListBox::Image TDirectoryListBox::itemImage(int index) {
    handleNeeded();
    return index >= 0 && index < m_model->count() ? static_cast<Image>(m_model->item(index).image)
                                                  : ClosedFolderImage;
}

int TDirectoryListBox::itemLevel(int index) {
    handleNeeded();
    return index >= 0 && index < m_model->count() ? m_model->item(index).level : 0;
}

int TDirectoryListBox::itemIndex() {
    handleNeeded();
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void TDirectoryListBox::setItemIndex(int index) {
    handleNeeded();
    ++m_filling;
    if (index < 0 || index >= m_model->count())
        clearSelection();
    else
        setCurrentIndex(m_model->index(index));
    --m_filling;
}

void TDirectoryListBox::setItemHeight(int height) {
    m_itemHeightStored = true;
    m_itemHeight = height;
    doItemsLayout();
}

void TDirectoryListBox::handleNeeded() {
    if (!m_created)
        createWindow();
}

void TDirectoryListBox::NotifyChange() {
    if (OnChange)
        OnChange(this);
}

void TDirectoryListBox::LoadFolderImages() {
    m_images[OpenFolderImage] = loadSelectorImage(QStringLiteral("OPENFOLDER"));
    m_images[ClosedFolderImage] = loadSelectorImage(QStringLiteral("CLOSEDFOLDER"));
    m_images[CurrentFolderImage] = loadSelectorImage(QStringLiteral("CURRENTFOLDER"));
}

void TDirectoryListBox::createWindow() {
    FillDirectoryList();
}

void TDirectoryListBox::resetItemHeight() {
    m_itemHeight = std::max(fontMetrics().height(), m_images[OpenFolderImage].height() + 1);
    doItemsLayout();
}

void TDirectoryListBox::showEvent(QShowEvent* event) {
    createWhenShown(m_created, [this] { createWindow(); });
    QListView::showEvent(event);
}

void TDirectoryListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    recreateOnFontChange(
        event, m_created, [this] { resetItemHeight(); }, [this] { createWindow(); });
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Enter belongs to the window's default button; Ctrl+Enter is the list's own key to open
    // the selected folder, whatever text the key carries.
    if (enter && modifiers == Qt::ControlModifier) {
        runGuarded([this] { OpenSelected(); });
        return;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 0x80 && !(enter && modifiers != Qt::NoModifier)) {
        char key = static_cast<char>(text[0].unicode());
        const bool ran = runGuarded([this, &key] {
            if (OnKeyPress)
                OnKeyPress(this, key);
            if (key == '\r')
                OpenSelected();
            else if (key == '\b')
                goUp();
        });
        if (key == '\r' || key == '\b' || !ran)
            return;
    }
    QListView::keyPressEvent(event);
}

void TDirectoryListBox::goUp() {
    if (m_currentItem > 0)
        enterFolder(ItemPath(m_currentItem - 1));
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    runGuarded([this] {
        if (OnDblClick)
            OnDblClick(this);
        OpenSelected();
    });
}

void TDirectoryListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The list view reports its current item as focused even when the keyboard is elsewhere,
    // and a screen reader then follows the wrong control (a drive change refills the list).
    if (hasFocus())
        QListView::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);
    if (m_filling == 0 && current.isValid() && current != previous)
        runGuarded([this] {
            if (OnClick)
                OnClick(this);
        });
}
