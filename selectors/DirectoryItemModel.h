#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

// The items of a directory list: the text as the platform reported it, the text shown, the
// folder image and the tree level.
class DirectoryItemModel : public QAbstractListModel {
    Q_OBJECT

public:
    struct Item {
        std::string text;
        QString display;
        int image = 0;
        int level = 0;
    };

    using QAbstractListModel::QAbstractListModel;

    // Replaces every item at once, so a large directory costs one reset of the view.
    void setItems(std::vector<Item> items);
    const Item& item(int row) const { return m_items[static_cast<std::size_t>(row)]; }
    int count() const { return static_cast<int>(m_items.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<Item> m_items;
};
