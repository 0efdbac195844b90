#include "engine/Scanner.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

#include <algorithm>
#include <random>

namespace {

// A list as the scanner makes it: root "/r", each path a folder when it ends with '/', the files
// of one folder sharing one folder string.
ScanList ListOf(const QStringList& paths) {
    ScanList list(1);
    list[0].FolderPath = "/r";
    list[0].Attributes = Attr::Directory;
    QHash<QString, QString> folders;
    for (const QString& p : paths) {
        ScanEntry& e = list.emplace_back();
        if (p.endsWith('/')) {
            e.FolderPath = "/r/" + p.chopped(1);
            e.Name = p.chopped(1).section('/', -1);
            e.Attributes = Attr::Directory;
        } else {
            const qsizetype slash = p.lastIndexOf('/');
            const QString folder = "/r/" + p.left(slash + 1);
            e.FolderPath = folders.contains(folder) ? folders[folder] : folders[folder] = folder;
            e.Name = p.mid(slash + 1);
        }
    }
    return list;
}

// Builds the keys, one string each or all in one buffer (which must then outlive the list).
void BuildKeys(ScanList& list, KeyCase keyCase, std::vector<QChar>* buffer) {
    if (buffer) BuildSortKeys(list, 4, *buffer, keyCase);
    else BuildSortKeys(list, 4, keyCase);
}

QStringList Order(const ScanList& list) {
    QStringList order;
    for (const ScanEntry& e : list) order << e.FolderPath.mid(3) + (e.Attributes & Attr::Directory ? "/" : e.Name);
    return order;
}

}  // namespace

// A folder's row first, then its files, then each subfolder followed by its tree; the separator
// sorts before a blank; code units are compared, not by locale; letter case is folded or kept.
TEST(SortKeys, AFolderComesFirstThenItsFilesThenEachSubfolderWithItsTree) {
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80.png");
    const struct {
        QStringList paths;
        KeyCase keyCase;
        QStringList order;
    } cases[] = {
        {{"a b/", "a/b/", "a/z.txt", "a/b/c.txt", smiley, "m.txt", "a/", "émile", "a b/q", "A.txt"},
         KeyCase::Folded,
         {"/", "A.txt", "m.txt", "émile", smiley, "a/", "a/z.txt", "a/b/", "a/b/c.txt", "a b/", "a b/q"}},
        {{"_", "a", "Z"}, KeyCase::Folded, {"/", "a", "Z", "_"}},
        {{"_", "a", "Z"}, KeyCase::Exact, {"/", "Z", "_", "a"}},
        {{"a.txt", "A.txt", "docs/", "Docs/", "docs/x"}, KeyCase::Exact, {"/", "A.txt", "a.txt", "Docs/", "docs/", "docs/x"}},
    };
    for (const auto& c : cases) {
        for (const bool buffered : {false, true}) {
            ScanList list = ListOf(c.paths);
            std::vector<QChar> buffer;
            BuildKeys(list, c.keyCase, buffered ? &buffer : nullptr);
            SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
            EXPECT_EQ(Order(list), c.order) << "buffered " << buffered;
        }
    }
}

TEST(SortKeys, KeyCharactersInNamesNeverMakeTwoPathsShareAKey) {
    // A name holding the separator, the file mark or the escape character itself must not give
    // the key of another path: "x<1>y" is not "x/y", "x<2>y" is not the file y in x.
    const QString one(QChar(1)), two(QChar(2)), three(QChar(3));
    const QStringList paths{"x/", "x/y/", "x/y/f", "x" + one + "y/", "x" + one + "y/f", "x" + two + "y",
                            "x/y" + one, "x" + three + "/", "x" + three + one + "y/", "x" + three + "/y/",
                            "x/" + two + "y", "x" + one + "/", "x" + one + "/" + one + "y"};
    ScanList owned = ListOf(paths);
    BuildKeys(owned, KeyCase::Folded, nullptr);
    ScanList list = ListOf(paths);
    std::vector<QChar> buffer;
    BuildKeys(list, KeyCase::Folded, &buffer);
    QSet<QString> keys;
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].SortKey, owned[i].SortKey) << i;
        keys.insert(list[i].SortKey);
    }
    EXPECT_EQ(keys.size(), static_cast<qsizetype>(list.size()));
    // Sized exactly: the last key ends where the buffer ends.
    EXPECT_EQ(list.back().SortKey.constData() + list.back().SortKey.size(), buffer.data() + buffer.size());

    // Every subtree stays together after the sort.
    SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
    const QStringList order = Order(list);
    for (qsizetype i = 1; i < order.size(); ++i) {
        if (!order[i].endsWith('/')) continue;
        qsizetype j = i + 1;
        while (j < order.size() && order[j].startsWith(order[i])) ++j;
        for (qsizetype k = j; k < order.size(); ++k)
            EXPECT_FALSE(order[k].startsWith(order[i])) << qPrintable(order[k]) << " after the subtree of " << i;
    }
}

TEST(SortKeys, LargeSortedReversedAndShuffledListsSort) {
    for (int variant = 0; variant < 3; ++variant) {
        ScanList list(50001);
        for (size_t i = 1; i < list.size(); ++i) list[i].SortKey = QString("K%1").arg(i, 6, 10, QChar('0'));
        if (variant == 1) std::reverse(list.begin() + 1, list.end());
        if (variant == 2) std::shuffle(list.begin() + 1, list.end(), std::mt19937(7));
        list[0].SortKey = QString("\x01");
        SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                                   [](const ScanEntry& a, const ScanEntry& b) { return a.SortKey < b.SortKey; }))
            << variant;
    }
}
