#include "selectors/DirectoryItemModel.h"

#include "selectors/TDirectoryListBox.h"

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
    const Item& shown = item(index.row());
    if (role == Qt::DisplayRole)
        return shown.display;
    if (role == Qt::AccessibleDescriptionRole) {
        // What the image and the indent tell a sighted user.
        const char* kind = shown.image == TDirectoryListBox::CurrentFolderImage  ? "current folder"
                           : shown.image == TDirectoryListBox::ClosedFolderImage ? "subfolder"
                                                                                 : "ancestor";
        return QStringLiteral("%1, level %2").arg(QLatin1String(kind)).arg(shown.level);
    }
    return {};
}
