#include "ui/main/SearchTreeModel.h"

#include <QApplication>
#include <QStyle>

SearchTreeModel::SearchTreeModel(QObject* parent) : QAbstractItemModel(parent) {
    QStyle* style = QApplication::style();
    fileIcon_ = style->standardIcon(QStyle::SP_FileIcon);
    closedIcon_ = style->standardIcon(QStyle::SP_DirClosedIcon);
    openIcon_ = style->standardIcon(QStyle::SP_DirOpenIcon);
}

void SearchTreeModel::SetTree(SearchTree tree) {
    beginResetModel();
    tree_ = std::move(tree);
    expanded_.assign(tree_.Nodes.size(), false);
    endResetModel();
}

QModelIndex SearchTreeModel::IndexOfNode(int number) const {
    if (number < 1 || number > tree_.NodeCount()) return QModelIndex();
    return createIndex(tree_.Node(number).Row, 0, static_cast<quintptr>(number));
}

int SearchTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<int>(index.internalId()) : 0;
}

void SearchTreeModel::SetExpanded(const QModelIndex& index, bool expanded) {
    const int n = NodeOf(index);
    if (n < 1 || expanded_[static_cast<size_t>(n)] == expanded) return;
    expanded_[static_cast<size_t>(n)] = expanded;
    emit dataChanged(index, index, {Qt::DecorationRole});
}

QModelIndex SearchTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return QModelIndex();
    const std::vector<int>& children = tree_.Node(NodeOf(parent)).Children;
    if (row >= static_cast<int>(children.size())) return QModelIndex();
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex SearchTreeModel::parent(const QModelIndex& child) const {
    const int n = NodeOf(child);
    return n < 1 ? QModelIndex() : IndexOfNode(tree_.Node(n).Parent);
}

int SearchTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return static_cast<int>(tree_.Node(NodeOf(parent)).Children.size());
}

int SearchTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool SearchTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant SearchTreeModel::data(const QModelIndex& index, int role) const {
    const int n = NodeOf(index);
    if (n < 1) return QVariant();
    const SearchTreeNode& node = tree_.Node(n);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return node.Text;
    case Qt::DecorationRole:
        // The first node always shows a folder: it is a pair's root.
        if (!node.Folder && n != 1) return fileIcon_;
        return expanded_[static_cast<size_t>(n)] ? openIcon_ : closedIcon_;
    case TagRole: return node.Tag;
    default: return QVariant();
    }
}
