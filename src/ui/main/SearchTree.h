#pragma once
// The folder tree of the tree and search window, built from the view's tree list for one side.
// Nodes are numbered from 1 in the order they were added (the compare order), which is also the
// order the search walks; node 0 is the invisible root that holds the top-level nodes.

#include "engine/FileView.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

struct SearchTreeNode {
    int Parent = 0;           // node number of the parent, 0 for a top-level node
    int Row = 0;              // position among the parent's children
    int Tag = 0;              // the view-list row the entry leads to
    bool Folder = false;
    QString Text;
    std::vector<int> Children;
};

struct SearchTree {
    // The tree control of the window holds at most this many nodes; the rest are left out.
    static constexpr int DefaultNodeLimit = 32766;

    std::vector<SearchTreeNode> Nodes = std::vector<SearchTreeNode>(1);
    bool Truncated = false;  // entries were left out at the node limit

    int NodeCount() const { return static_cast<int>(Nodes.size()) - 1; }
    const SearchTreeNode& Node(int number) const { return Nodes[static_cast<size_t>(number)]; }
};

// Builds the tree of side (0 left, 1 right) from the tree list (entries 1..n). Folders only
// unless withFiles. A pair's root (empty name) becomes a top-level node showing its folder path;
// an entry hangs beside the last node of its depth, or below the node added before it when its
// depth has none. nodeLimit <= 0 means no limit.
SearchTree BuildSearchTree(const std::vector<TreeRow>& rows, int side, bool withFiles,
                           int nodeLimit = SearchTree::DefaultNodeLimit);

// The search pattern for a search text: the text with "*" before and after, matched against a
// whole node text ignoring case. "*" stands for any run of characters, "?" for one character,
// "#" for a digit, and "[...]" for one of the listed characters ("a-z" a range, a leading "!"
// negates); every other character stands for itself.
QRegularExpression SearchPattern(const QString& searchText);

// The number of the first node from `from` to the last whose text matches, or 0 when none does.
int FindNode(const SearchTree& tree, const QRegularExpression& pattern, int from);
