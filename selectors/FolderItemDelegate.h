#pragma once

#include <QStyledItemDelegate>

class TDirectoryListBox;

// Draws a directory list's items: the folder image indented by 4 x level + 2, the text after
// it at the item's top, one fixed height for every item.
class FolderItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit FolderItemDelegate(TDirectoryListBox* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TDirectoryListBox* m_list;
};
