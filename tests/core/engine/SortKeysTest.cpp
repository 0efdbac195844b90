#include "EngineTestLists.h"

#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <random>

TEST(SortKeys, KeysAreRelativeUpperCaseWithSeparatorAndFileMark) {
    ScanList list(4);
    list[0].FolderPath = "/r";
    list[0].Attributes = Attr::Directory;
    list[1].FolderPath = "/r/";
    list[1].Name = "read.me";
    list[2].FolderPath = "/r/a/b";
    list[2].Name = "b";
    list[2].Attributes = Attr::Directory;
    list[3].FolderPath = "/r/a/";
    list[3].Name = "x.txt";
    BuildSortKeys(list, 4);
    EXPECT_EQ(list[0].SortKey, QString("\x01"));
    EXPECT_EQ(list[1].SortKey, QString("\x02READ.ME"));
    EXPECT_EQ(list[2].SortKey, QString("A\x01" "B\x01"));
    EXPECT_EQ(list[3].SortKey, QString("A\x01\x02X.TXT"));
}

TEST(SortKeys, FolderFirstThenFilesThenSubfoldersSeparatorBeforeBlank) {
    const ScanList list = MakeList("/r/", {{"a b/"}, {"a/b/"}, {"a/z.txt"}, {"a/b/c.txt"}, {"m.txt"}, {"a/"},
                                           {"a b/q"}, {"A.txt"}});
    QStringList order;
    for (const ScanEntry& e : list) order << e.FolderPath.mid(3) + (e.Attributes & Attr::Directory ? "/" : e.Name);
    EXPECT_EQ(order, (QStringList{"/", "A.txt", "m.txt", "a/", "a/z.txt", "a/b/", "a/b/c.txt", "a b/", "a b/q"}));
}

TEST(SortKeys, SortIsOrdinalAndCopesWithLargeSortedAndReversedLists) {
    for (int variant = 0; variant < 3; ++variant) {
        ScanList list(1);
        list[0].SortKey = QString("\x01");
        for (int i = 0; i < 50000; ++i) {
            ScanEntry e;
            e.SortKey = QString("K%1").arg(i, 6, 10, QChar('0'));
            list.push_back(e);
        }
        if (variant == 1) std::reverse(list.begin() + 1, list.end());
        if (variant == 2) std::shuffle(list.begin() + 1, list.end(), std::mt19937(7));
        SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                                   [](const ScanEntry& a, const ScanEntry& b) { return a.SortKey < b.SortKey; }));
        EXPECT_EQ(list[0].SortKey, QString("\x01"));
    }
    // Ordinal, not by locale: upper-case 'Z' (0x5A) before '_' (0x5F) before 'a'.
    ScanList small(3);
    small[0].SortKey = "_";
    small[1].SortKey = "a";
    small[2].SortKey = "Z";
    SortScanList(small, 0, 2);
    EXPECT_EQ(small[0].SortKey, "Z");
    EXPECT_EQ(small[1].SortKey, "_");
}

TEST(SortKeys, KeysInOneBufferEqualTheOwnedKeysAndSortAlike) {
    // Files of one folder share the folder string (as the scanner makes them), folders between
    // them, non-ASCII and surrogate names, a root that is only "/".
    ScanList list;
    const QString root = QStringLiteral("/r");
    const QString sub = QStringLiteral("/r/ä b/");
    auto add = [&](const QString& folder, const QString& name, bool dir) {
        ScanEntry& e = list.emplace_back();
        e.FolderPath = folder;
        e.Name = name;
        e.Attributes = dir ? Attr::Directory : 0;
    };
    add(root, QString(), true);
    add(QStringLiteral("/r/ä b"), QStringLiteral("ä b"), true);
    for (const QString& n : {QStringLiteral("z.txt"), QStringLiteral("émile"), QString::fromUtf8("\xF0\x9F\x98\x80.png"),
                             QStringLiteral("A"), QStringLiteral("a")})
        add(sub, n, false);
    add(QStringLiteral("/r/ä b/Deeper"), QStringLiteral("Deeper"), true);
    add(QStringLiteral("/r/"), QStringLiteral("top.TXT"), false);
    add(QStringLiteral("/r/"), QStringLiteral("Top.txt"), false);

    ScanList owned = list;
    BuildSortKeys(owned, root.size() + 2);
    std::vector<QChar> buffer;
    BuildSortKeys(list, root.size() + 2, buffer);
    ASSERT_EQ(list.size(), owned.size());
    for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].SortKey, owned[i].SortKey) << i;

    SortScanList(owned, 0, static_cast<qsizetype>(owned.size()) - 1);
    SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].SortKey, owned[i].SortKey) << i;
        EXPECT_EQ(list[i].Name, owned[i].Name) << i;
    }
}

namespace {

// A list as the scanner makes it: root "/r", each path a folder when it ends with '/'.
ScanList ListOf(const QStringList& paths) {
    ScanList list(1);
    list[0].FolderPath = "/r";
    list[0].Attributes = Attr::Directory;
    for (const QString& p : paths) {
        ScanEntry& e = list.emplace_back();
        if (p.endsWith('/')) {
            e.FolderPath = "/r/" + p.chopped(1);
            e.Name = p.chopped(1).section('/', -1);
            e.Attributes = Attr::Directory;
        } else {
            const qsizetype slash = p.lastIndexOf('/');
            e.FolderPath = "/r/" + p.left(slash + 1);
            e.Name = p.mid(slash + 1);
        }
    }
    return list;
}

QString Shown(const ScanEntry& e) {
    return e.FolderPath.mid(3) + (e.Attributes & Attr::Directory ? "/" : e.Name);
}

}  // namespace

TEST(SortKeys, KeyCharactersInNamesNeverMakeTwoPathsShareAKey) {
    // A name holding the separator, the file mark or the escape character itself must not give
    // the key of another path: "x<1>y" is not "x/y", "x<2>y" is not the file y in x.
    const QString one(QChar(1)), two(QChar(2)), three(QChar(3));
    const QStringList paths{"x/", "x/y/", "x/y/f", "x" + one + "y/", "x" + one + "y/f", "x" + two + "y",
                            "x/y" + one, "x" + three + "/", "x" + three + one + "y/", "x" + three + "/y/",
                            "x/" + two + "y", "x" + one + "/", "x" + one + "/" + one + "y"};
    for (bool buffered : {false, true}) {
        ScanList list = ListOf(paths);
        std::vector<QChar> buffer;
        if (buffered) BuildSortKeys(list, 4, buffer);
        else BuildSortKeys(list, 4);
        QSet<QString> keys;
        for (const ScanEntry& e : list) keys.insert(e.SortKey);
        EXPECT_EQ(keys.size(), static_cast<qsizetype>(list.size())) << "buffered " << buffered;
        if (buffered) {
            // Sized exactly: the last key ends where the buffer ends.
            EXPECT_EQ(list.back().SortKey.constData() + list.back().SortKey.size(), buffer.data() + buffer.size());
        }

        // The order rules still hold: a folder, then its files, then each subfolder followed
        // by what lies below it, and nothing else in between.
        SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
        QStringList order;
        for (const ScanEntry& e : list) order << Shown(e);
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (!order[i].endsWith('/') || order[i] == "/") continue;
            qsizetype j = i + 1;
            while (j < order.size() && order[j].startsWith(order[i])) ++j;
            for (qsizetype k = j; k < order.size(); ++k)
                EXPECT_FALSE(order[k].startsWith(order[i])) << qPrintable(order[k]) << " after the subtree of " << i;
            bool subfolderSeen = false;
            for (qsizetype k = i + 1; k < j; ++k) {
                if (order[k].endsWith('/')) {
                    subfolderSeen = true;
                } else if (order[k].lastIndexOf('/') == order[i].size() - 1) {
                    EXPECT_FALSE(subfolderSeen) << k;
                }
            }
        }
    }
}

TEST(SortKeys, ExactKeysKeepLetterCaseAndSortByCodeUnit) {
    ScanList list = ListOf({"a.txt", "A.txt", "Docs/", "docs/", "docs/x"});
    std::vector<QChar> buffer;
    ScanList owned = list;
    BuildSortKeys(owned, 4, KeyCase::Exact);
    BuildSortKeys(list, 4, buffer, KeyCase::Exact);
    for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].SortKey, owned[i].SortKey) << i;
    EXPECT_EQ(list[1].SortKey, QString("\x02" "a.txt"));
    EXPECT_EQ(list[2].SortKey, QString("\x02" "A.txt"));
    EXPECT_EQ(list[3].SortKey, QString("Docs\x01"));
    SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
    QStringList order;
    for (const ScanEntry& e : list) order << Shown(e);
    EXPECT_EQ(order, (QStringList{"/", "A.txt", "a.txt", "Docs/", "docs/", "docs/x"}));
}
