#include "ui/main/SearchTree.h"

namespace {

// The depth of an entry is the number of "/" in its folder path on the shown side: a folder's
// own path has no trailing "/", a file's holding folder has one, so a file and a folder that lie
// side by side have the same depth. A root of "/" counts as depth 0, so that what lies in it
// still lies one level below.
int DepthOf(const TreeRow& row, const QString& folder) {
    int depth = static_cast<int>(folder.count(QLatin1Char('/')));
    if (row.Name.isEmpty() && folder.endsWith(QLatin1Char('/'))) --depth;
    return depth;
}

}  // namespace

SearchTree BuildSearchTree(const std::vector<TreeRow>& rows, int side, bool withFiles, int nodeLimit) {
    SearchTree tree;
    // Per depth, the last node added at that depth (0: none known).
    std::vector<int> lastAtDepth;
    int previous = 0;
    int previousDepth = 0;
    auto forgetFrom = [&lastAtDepth](int depth) {
        for (size_t d = static_cast<size_t>(std::max(depth, 0)); d < lastAtDepth.size(); ++d) lastAtDepth[d] = 0;
    };
    for (size_t i = 1; i < rows.size(); ++i) {
        const TreeRow& row = rows[i];
        const bool folder = (row.Attributes & Attr::Directory) != 0;
        if (!folder && !withFiles) continue;
        if (nodeLimit > 0 && tree.NodeCount() >= nodeLimit) {
            tree.Truncated = true;
            break;
        }
        const QString& path = side == 0 ? row.LeftFolder : row.RightFolder;
        const int depth = DepthOf(row, path);
        if (static_cast<int>(lastAtDepth.size()) <= depth) lastAtDepth.resize(static_cast<size_t>(depth) + 1, 0);

        int parent;
        if (row.Name.isEmpty()) {
            forgetFrom(0);
            parent = 0;
        } else if (const int sibling = lastAtDepth[static_cast<size_t>(depth)]; sibling != 0) {
            parent = tree.Node(sibling).Parent;
            if (depth < previousDepth) forgetFrom(depth + 1);
        } else {
            parent = previous;
        }

        const int number = static_cast<int>(tree.Nodes.size());
        SearchTreeNode& node = tree.Nodes.emplace_back();
        node.Parent = parent;
        node.Tag = row.ViewIndex;
        node.Folder = folder;
        node.Text = row.Name.isEmpty() ? path : row.Name;
        std::vector<int>& siblings = tree.Nodes[static_cast<size_t>(parent)].Children;
        tree.Nodes[static_cast<size_t>(number)].Row = static_cast<int>(siblings.size());
        siblings.push_back(number);

        lastAtDepth[static_cast<size_t>(depth)] = number;
        previous = number;
        previousDepth = depth;
    }
    return tree;
}

QRegularExpression SearchPattern(const QString& searchText) {
    QString rx = QStringLiteral(".*");
    const qsizetype n = searchText.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = searchText[i];
        if (c == QLatin1Char('*')) {
            rx += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            rx += QLatin1Char('.');
        } else if (c == QLatin1Char('#')) {
            rx += QStringLiteral("[0-9]");
        } else if (c == QLatin1Char('[') && searchText.indexOf(QLatin1Char(']'), i + 1) > i + 1) {
            const qsizetype close = searchText.indexOf(QLatin1Char(']'), i + 1);
            QStringView list = QStringView(searchText).mid(i + 1, close - i - 1);
            QString cls = QStringLiteral("[");
            if (list.startsWith(QLatin1Char('!')) && list.size() > 1) {
                cls += QLatin1Char('^');
                list = list.mid(1);
            }
            for (qsizetype k = 0; k < list.size(); ++k) {
                // A "-" between two characters is a range; any other character is itself.
                const bool range = list[k] == QLatin1Char('-') && k > 0 && k + 1 < list.size();
                if (range) cls += QLatin1Char('-');
                else cls += QRegularExpression::escape(QString(list[k]));
            }
            rx += cls + QLatin1Char(']');
            i = close;
        } else {
            rx += QRegularExpression::escape(QString(c));
        }
    }
    rx += QStringLiteral(".*");
    QRegularExpression pattern(QRegularExpression::anchoredPattern(rx),
                               QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    pattern.optimize();
    return pattern;
}

int FindNode(const SearchTree& tree, const QRegularExpression& pattern, int from) {
    if (!pattern.isValid()) return 0;
    for (int n = std::max(from, 1); n <= tree.NodeCount(); ++n)
        if (pattern.match(tree.Node(n).Text).hasMatch()) return n;
    return 0;
}
