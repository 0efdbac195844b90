#pragma once
// The item model of the tree and search window over a SearchTree: one column, the entry's name
// (a root's folder path), a file, closed-folder or open-folder icon, and the entry's view-list
// row under TagRole. Nodes are addressed by their number, so the model holds nothing per node
// beyond the tree itself.

#include "ui/main/SearchTree.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <vector>

class SearchTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int TagRole = Qt::UserRole + 1;

    explicit SearchTreeModel(QObject* parent = nullptr);

    void SetTree(SearchTree tree);
    const SearchTree& Tree() const { return tree_; }

    QModelIndex IndexOfNode(int number) const;
    int NodeOf(const QModelIndex& index) const;
    // The view reports expansion so that an open folder shows the open icon.
    void SetExpanded(const QModelIndex& index, bool expanded);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    SearchTree tree_;
    std::vector<bool> expanded_;
    QIcon fileIcon_;
    QIcon closedIcon_;
    QIcon openIcon_;
};
