#pragma once

#include <QListView>
#include <QPixmap>

#include <array>
#include <functional>
#include <string>
#include <vector>

class TDriveComboBox;
class DirectoryItemModel;

// The current directory as a small tree (root, ancestors, current folder, its subdirectories),
// which owns the process's current directory: every change of Directory is a change of it.
//
// Events are std::function members, called synchronously: OnChange exactly once per completed
// write of Directory (never on a failed one, never on filling or creation on screen); OnClick
// when the user moves the selection; OnDblClick and OnKeyPress before OpenSelected, which a
// double-click or the Enter character (after OnKeyPress, which may replace it) runs, and so
// does Ctrl+Enter; Backspace (a character OnKeyPress sees too) goes up one level. Errors
// (EInOutError with the platform's code) go to whoever wrote Directory or Drive; on a
// double-click or Enter they go to the application's error handler. A window in step with a
// TDriveComboBox:
//   Directory->OnChange = [this](QObject* sender) { DirectoryChange(sender); };
class TDirectoryListBox : public QListView {
    Q_OBJECT
    // A window layout may store it; uic then calls setItemHeight or setProperty.
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE setItemHeight)

public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);
    ~TDirectoryListBox() override;

    // No trailing '\' except at a drive's root; never touches the file system.
    const std::string& Directory() const { return m_directory; }
    // Raises EInOutError when the path cannot be entered; then nothing has changed. Text is
    // read as typed: a drive letter before ':', a file or wildcard in the last part dropped.
    virtual void SetDirectory(const std::string& value);
    // Enters exactly the folder an absolute drive path names, whatever its names hold (':',
    // '*', '?'), as items, the command line and the stored directory give it; otherwise as
    // SetDirectory.
    void enterFolder(const std::string& path);

    char Drive() const { return m_directory.empty() ? '\0' : m_directory[0]; }
    // Moves to the drive's current directory as the platform keeps it; raises EInOutError.
    void setDrive(char letter);
    // Called by a linked drive selector: enters the drive's current directory.
    void switchDrive(char letter);

    bool PreserveCase() const { return m_preserveCase; }
    bool CaseSensitive() const { return m_caseSensitive; }
    bool InDriveSwitch() const { return m_inDriveSwitch; }
    TDriveComboBox* DriveLink() const { return m_driveLink; }

    std::string ItemPath(int index) const;
    void OpenSelected();
    virtual void FillDirectoryList();

    // Items as filled: count, stored text (the case the platform reported), displayed text,
    // image and level. Reading them puts the control on screen first, as the selection does.
    enum Image { OpenFolderImage, ClosedFolderImage, CurrentFolderImage };
    int count();
    std::string itemText(int index);
    QString displayText(int index);
    Image itemImage(int index);
    int itemLevel(int index);

    int itemIndex();
    void setItemIndex(int index);

    int ItemHeight() const { return m_itemHeight; }
    // A height stored with a window layout, applied after creation.
    void setItemHeight(int height);

    bool handleAllocated() const { return m_created; }
    void handleNeeded();

    std::function<void(QObject* sender)> OnChange;
    std::function<void(QObject* sender)> OnClick;
    std::function<void(QObject* sender)> OnDblClick;
    std::function<void(QObject* sender, char& key)> OnKeyPress;

protected:
    virtual void NotifyChange();
    virtual void LoadFolderImages();

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class TDriveComboBox;
    friend class FolderItemDelegate;

    void changeDirectory(const std::string& value, bool exactly);
    void goUp(); // to the folder above the current one
    void createWindow();
    void readCaseFlags();
    void resetItemHeight();

    std::string m_directory;
    bool m_preserveCase = false;
    bool m_caseSensitive = false;
    bool m_inDriveSwitch = false;
    bool m_created = false;
    bool m_itemHeightStored = false;
    int m_itemHeight = 16;
    int m_currentItem = 0;
    int m_filling = 0; // the program, not the user, is moving the selection
    TDriveComboBox* m_driveLink = nullptr;
    DirectoryItemModel* m_model;
    std::array<QPixmap, 3> m_images;
};
