#pragma once

#include <QStyledItemDelegate>

class TDriveComboBox;

// Draws a drive selector's items: the kind's image at left + 2, the text after it, one fixed
// height for every item.
class DriveItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit DriveItemDelegate(TDriveComboBox* comboBox);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Also draws the closed field of the control.
    static void paintItem(QPainter& painter, const QRect& rect, const QString& text,
                          const QPixmap* image, bool selected, const QPalette& palette);

private:
    TDriveComboBox* m_comboBox;
};
