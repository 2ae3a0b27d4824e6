#include "selectors/DriveItemDelegate.h"

#include "selectors/SelectorImages.h"
#include "selectors/TDriveComboBox.h"

#include <QPainter>

DriveItemDelegate::DriveItemDelegate(TDriveComboBox* comboBox)
    : QStyledItemDelegate(comboBox)
    , m_comboBox(comboBox) {}

void DriveItemDelegate::paintItem(QPainter& painter, const QRect& rect, const QString& text,
                                  const QPixmap* image, bool selected, const QPalette& palette) {
    painter.fillRect(rect, palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    int width = 16;
    if (image && !image->isNull()) {
        // The rectangle's bottom is exclusive here, as the images' placement is defined.
        const int bottom = rect.top() + rect.height();
        drawSelectorImage(painter, rect.left() + 2, (rect.top() + bottom - image->height()) / 2,
                          *image);
        width = image->width();
    }
    painter.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect textRect(rect.left() + width + 6, rect.top(), rect.width() - width - 6,
                         rect.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void DriveItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const int image = index.data(Qt::UserRole).toInt();
    const QPixmap* pixmap = image >= 0 && image < static_cast<int>(m_comboBox->m_images.size())
                                ? &m_comboBox->m_images[static_cast<std::size_t>(image)]
                                : nullptr;
    painter->save();
    painter->setFont(option.font);
    paintItem(*painter, option.rect, index.data(Qt::DisplayRole).toString(), pixmap,
              option.state & QStyle::State_Selected, option.palette);
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(QPalette::Highlight);
        const QWidget* widget = option.widget;
        (widget ? widget->style() : m_comboBox->style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize DriveItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const QSize hint = QStyledItemDelegate::sizeHint(option, index);
    return {hint.width() + 22, m_comboBox->ItemHeight()};
}
