#pragma once

#include "selectors/TTextCase.h"

#include <QComboBox>
#include <QPixmap>

#include <array>
#include <functional>

class TDirectoryListBox;

// The drop-down in which the user picks a drive letter, each item drawn with its kind's image.
//
// Events are std::function members, called synchronously and only when the control's own rules
// say so: OnChange once per completed change of Drive (also on creation on screen, on each
// TextCase change and on re-creation after a font change), OnClick when the user selects an
// item, before Drive is set from it. An error raised inside a handler or by a linked list goes
// to whoever wrote Drive; on a user selection it goes to the application's error handler.
// A window keeps this control and a TDirectoryListBox in step with two handlers:
//   Drive->OnChange = [this](QObject* sender) { DriveChange(sender); };
class TDriveComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    ~TDriveComboBox() override;

    // Until the control is first on screen: the first character of the process's current
    // directory as the platform reports it. Never touches the file system.
    char Drive() const { return m_drive; }
    // May raise EInOutError from a linked list; the letter is stored even then.
    void setDrive(char letter);

    TTextCase TextCase() const { return m_textCase; }
    void setTextCase(TTextCase textCase);

    TDirectoryListBox* DirList() const { return m_dirList; }
    void setDirList(TDirectoryListBox* list);

    virtual void FillDriveList();

    // The selected item, -1 for none. Reading or writing it puts the control on screen first.
    int itemIndex();
    void setItemIndex(int index);

    // True once the control has been put on screen (shown, or its selection used).
    bool handleAllocated() const { return m_created; }
    // Puts the control on screen now: fills the list and selects Drive, raising OnChange.
    void handleNeeded();

    int ItemHeight() const { return m_itemHeight; }

    std::function<void(QObject* sender)> OnChange;
    std::function<void(QObject* sender)> OnClick;

    // The five drive images in resource order: "FLOPPY", "HARD", "NETWORK", "CDROM", "RAM".
    enum Image { FloppyImage, HardImage, NetworkImage, CdRomImage, RamImage, NoImage = -1 };
    Image itemImage(int index) const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TDirectoryListBox;
    friend class DriveItemDelegate;

    void createWindow();
    void resetItemHeight();
    void userSelected(int index);
    void NotifyChange();

    char m_drive;
    TTextCase m_textCase = tcLowerCase;
    TDirectoryListBox* m_dirList = nullptr;
    bool m_created = false;
    int m_itemHeight = 16;
    std::array<QPixmap, 5> m_images;
};
