// The tree and search window over a million compare rows built in memory: how long the window
// takes to open (folders only and with files), how long each keystroke of an incremental search
// takes (a name that is found late and one that is never found), and, for comparison, the same
// on a tree without the window's node limit. Prints its figures and the targets (open < 1000 ms,
// keystroke < 100 ms); it asserts nothing.
//
//   search_bench [rows]        (default 1000000; runs on Qt's offscreen platform)

#include "engine/FileView.h"
#include "ui/main/SearchTree.h"
#include "ui/main/SearchTreeModel.h"
#include "ui/main/dlgSearchFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A tree list as a compare of nested folders gives it: a root, then folders two levels deep
// with 99 files in each.
std::vector<TreeRow> BuildRows(int rows) {
    std::vector<TreeRow> list(1);
    list.reserve(static_cast<size_t>(rows) + 1);
    TreeRow root;
    root.LeftFolder = QStringLiteral("/data/left");
    root.RightFolder = QStringLiteral("/data/right");
    root.Attributes = Attr::Directory;
    root.ViewIndex = 1;
    list.push_back(root);
    QString left, right;
    for (int i = 1; i < rows; ++i) {
        TreeRow row;
        if (i % 100 == 1) {
            const QString rel = QStringLiteral("/group%1/folder%2").arg(i / 10000).arg(i / 100);
            row.LeftFolder = QStringLiteral("/data/left") + rel;
            row.RightFolder = QStringLiteral("/data/right") + rel;
            row.Name = QStringLiteral("folder%1").arg(i / 100);
            row.Attributes = Attr::Directory;
            left = row.LeftFolder + QLatin1Char('/');
            right = row.RightFolder + QLatin1Char('/');
        } else {
            row.LeftFolder = left;
            row.RightFolder = right;
            row.Name = QStringLiteral("file number %1.txt").arg(i);
        }
        row.ViewIndex = i + 1;
        list.push_back(row);
    }
    return list;
}

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// Types the text one character at a time into the window's search box; returns the slowest
// keystroke.
double TypeSlowest(dlgSearchFile& dialog, const QString& text) {
    QLineEdit* box = dialog.findChild<QLineEdit*>(QStringLiteral("txtSearch"));
    box->clear();
    double slowest = 0;
    for (qsizetype n = 1; n <= text.size(); ++n) {
        QElapsedTimer t;
        t.start();
        box->setText(text.left(n));
        slowest = std::max(slowest, Ms(t));
    }
    return slowest;
}

double SlowestFind(const SearchTree& tree, const QString& text) {
    double slowest = 0;
    for (qsizetype n = 1; n <= text.size(); ++n) {
        QElapsedTimer t;
        t.start();
        FindNode(tree, SearchPattern(text.left(n)), 1);
        slowest = std::max(slowest, Ms(t));
    }
    return slowest;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const int rows = argc > 1 ? std::max(2, std::stoi(argv[1])) : 1000000;
    QApplication app(argc, argv);
    dlgSearchFile::BeepHandler() = [] {};
    dlgSearchFile::NoticeHandler() = [](const QString&) {};

    const std::vector<TreeRow> list = BuildRows(rows);
    const std::array<QString, 2> names{QStringLiteral("left"), QStringLiteral("right")};
    const QString late = QStringLiteral("file number 32700.txt");
    const QString never = QStringLiteral("no such name");
    std::printf("rows %d\n", rows);

    QElapsedTimer t;
    t.start();
    dlgSearchFile dialog(list, names);
    dialog.show();
    QApplication::processEvents();
    std::printf("open, folders only: %.1f ms, %d nodes (target < 1000 ms)\n", Ms(t), dialog.Model().Tree().NodeCount());
    std::printf("  keystroke, folders only: %.1f ms for a late match, %.1f ms for none (target < 100 ms)\n",
                TypeSlowest(dialog, QStringLiteral("folder9999")), TypeSlowest(dialog, never));

    t.restart();
    dialog.findChild<QCheckBox*>(QStringLiteral("chkFiles"))->click();
    QApplication::processEvents();
    std::printf("files shown: %.1f ms, %d nodes%s (target < 1000 ms)\n", Ms(t), dialog.Model().Tree().NodeCount(),
                dialog.Model().Tree().Truncated ? ", at the node limit" : "");
    std::printf("  keystroke, with files: %.1f ms for a late match, %.1f ms for none (target < 100 ms)\n",
                TypeSlowest(dialog, late), TypeSlowest(dialog, never));

    t.restart();
    dialog.findChild<QCheckBox*>(QStringLiteral("chkExpand"))->click();
    QApplication::processEvents();
    std::printf("expand all, with files: %.1f ms\n", Ms(t));

    // Without the node limit: what a tree of every entry would cost.
    t.restart();
    const SearchTree whole = BuildSearchTree(list, 0, true, 0);
    std::printf("no node limit: build %.1f ms, %d nodes; slowest keystroke %.1f ms (no match)\n", Ms(t),
                whole.NodeCount(), SlowestFind(whole, never));
    return 0;
}
