#include "selectors/DirectoryItemModel.h"

void DirectoryItemModel::setItems(std::vector<Item> items) {
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

int DirectoryItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant DirectoryItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return item(index.row()).display;
    return {};
}
