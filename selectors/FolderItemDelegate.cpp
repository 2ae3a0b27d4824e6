#include "selectors/FolderItemDelegate.h"

#include "selectors/DirectoryItemModel.h"
#include "selectors/SelectorImages.h"
#include "selectors/TDirectoryListBox.h"

#include <QPainter>

FolderItemDelegate::FolderItemDelegate(TDirectoryListBox* list)
    : QStyledItemDelegate(list)
    , m_list(list) {}

void FolderItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto* model = static_cast<const DirectoryItemModel*>(index.model());
    const DirectoryItemModel::Item& item = model->item(index.row());
    const QRect rect = option.rect;
    const bool selected = option.state & QStyle::State_Selected;

    painter->save();
    painter->fillRect(rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    const int offset = 4 * item.level + 2;
    int width = 16;
    const QPixmap& image = m_list->m_images[static_cast<std::size_t>(item.image)];
    if (!image.isNull()) {
        const int bottom = rect.top() + rect.height(); // exclusive, as the placement is defined
        drawSelectorImage(*painter, rect.left() + offset,
                          (rect.top() + bottom - image.height()) / 2, image);
        width = image.width();
    }
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect textRect(rect.left() + offset + width + 4, rect.top(),
                         rect.width() - offset - width - 4, rect.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item.display);
    painter->restore();

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(QPalette::Highlight);
        m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
    }
}

QSize FolderItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {m_list->viewport()->width(), m_list->ItemHeight()};
}
