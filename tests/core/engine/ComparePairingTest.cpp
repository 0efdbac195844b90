// How the compare pairs and orders entries and what it proposes for them, on real folder trees:
// the rules for a file on both sides, the order of the rows, letter case, and names holding the
// characters the sort keys use; and the merge and the sort on long lists.

#include "CompareRunFixture.h"
#include "EngineTestLists.h"
#include "engine/Merge.h"
#include "engine/Scanner.h"

#include <QSet>

#include <algorithm>
#include <random>

namespace {

const QDateTime kTen(QDate(2026, 1, 12), QTime(10, 0, 0));  // winter: no clock change nearby

// The relative path of a row's entry on side s ("" when missing there); folders end with '/'.
QString PathOf(const CompareRow& r, int s, const QString& root) {
    if (!r.Exists(s)) return QString();
    return r.IsFolder() ? r.Folder[s].mid(root.size() + 1) + '/' : r.Folder[s].mid(root.size() + 1) + r.Name[s];
}

// Puts paths below folder: one ending with '/' is a folder, any other a file holding "x" made at
// ten o'clock.
void Plant(TempTree& t, const QString& folder, const QStringList& paths) {
    t.Folder(folder);
    for (const QString& p : paths) {
        if (p.endsWith('/')) t.Folder(folder + '/' + p);
        else t.File(folder + '/' + p, "x", kTen);
    }
}

}  // namespace

// One file on both sides: the archive bit before the time (strict lag, both ways), the size only
// where the times agree (all 64 bits), the delete mask's tick only for equal files whose sizes
// were compared.
TEST_F(CompareRunTest, RulesForAFileOnBothSides) {
    const int64_t big = (int64_t(5) << 32) + 10;  // the low 32 bits equal those of 10
    struct Side {
        int seconds;  // after ten o'clock
        int64_t size;
        bool archive;
    };
    const struct {
        const char* what;
        Side left, right;
        int lag;
        bool compareDate, compareSize, checkArchive;
        const char* deleteMask;
        int16_t action;
        bool selected;
    } cases[] = {
        {"within the lag", {0, 5, 0}, {2, 5, 0}, 2, true, true, false, "", SyncAction::NoAction, false},
        {"right newer", {0, 5, 0}, {3, 5, 0}, 2, true, true, false, "", SyncAction::RightToLeft, true},
        {"left within the lag", {2, 5, 0}, {0, 5, 0}, 2, true, true, false, "", SyncAction::NoAction, false},
        {"left newer", {3, 5, 0}, {0, 5, 0}, 2, true, true, false, "", SyncAction::LeftToRight, true},
        {"no lag", {1, 5, 0}, {0, 5, 0}, 0, true, true, false, "", SyncAction::LeftToRight, true},
        {"archive bit before time", {0, 5, 1}, {3600, 5, 0}, 2, true, true, true, "", SyncAction::LeftToRight, true},
        {"archive bit right", {3600, 5, 0}, {0, 5, 1}, 2, true, true, true, "", SyncAction::RightToLeft, true},
        {"archive bit both", {0, 5, 1}, {3600, 5, 1}, 2, true, true, true, "", SyncAction::RightToLeft, true},
        {"archive bit ignored", {0, 5, 1}, {0, 5, 0}, 2, true, true, false, "", SyncAction::NoAction, false},
        {"newer beats larger", {60, 1, 0}, {0, 999, 0}, 2, true, true, false, "", SyncAction::LeftToRight, true},
        {"larger right", {0, 100, 0}, {0, 200, 0}, 2, true, true, false, "", SyncAction::RightToLeft, true},
        {"larger left", {0, 200, 0}, {0, 100, 0}, 2, true, true, false, "", SyncAction::LeftToRight, true},
        {"64-bit left", {0, big, 0}, {0, 10, 0}, 2, true, true, false, "", SyncAction::LeftToRight, true},
        {"64-bit right", {0, 10, 0}, {0, big, 0}, 2, true, true, false, "", SyncAction::RightToLeft, true},
        {"sizes off", {0, 100, 0}, {0, 200, 0}, 2, true, false, false, "", SyncAction::NoAction, false},
        {"dates off", {0, 100, 0}, {-86400 * 900, 100, 0}, 2, false, true, false, "", SyncAction::NoAction, false},
        {"dates off, sizes", {0, 100, 0}, {-86400 * 900, 200, 0}, 2, false, true, false, "", SyncAction::RightToLeft, true},
        {"delete mask", {0, 5, 0}, {0, 5, 0}, 2, true, true, false, "f", SyncAction::NoAction, true},
        {"delete mask, sizes off", {0, 5, 0}, {0, 5, 0}, 2, true, false, false, "f", SyncAction::NoAction, false},
        {"delete mask names another", {0, 5, 0}, {0, 5, 0}, 2, true, true, false, "g", SyncAction::NoAction, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree t;
        for (const auto& [side, folder] : {std::pair{c.left, "l"}, std::pair{c.right, "r"}}) {
            const QString f = t.File(QString(folder) + "/f", "");
            ASSERT_TRUE(QFile::resize(f, side.size));  // a large one is sparse
            t.SetModified(QString(folder) + "/f", kTen.addSecs(side.seconds));
            if (!side.archive) {
                ASSERT_TRUE(FileSystem::SetAttributes(f, 0));
            }
        }
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r")).Mask[MaskDeleteFiles] = c.deleteMask;
        profile_.Options.TimeLag = c.lag / 86400.0;
        profile_.Options.CompareDate = c.compareDate;
        profile_.Options.CompareSize = c.compareSize;
        profile_.Options.CheckArchiveAttr = c.checkArchive ? 32 : 0;
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        ASSERT_EQ(view_.Results.size(), 3u);  // unused row 0, the root row, the file
        EXPECT_EQ(view_.Results[2].SyncAction, c.action);
        EXPECT_EQ(view_.Results[2].ProposedMark, c.selected);
    }
}

// A folder's row first, then its files, then each subfolder followed by its tree; the separator
// sorts before a blank; code units are compared, not by locale; letter case is folded where a
// side folds it and kept elsewhere.
TEST_F(CompareRunTest, RowsComeFolderFirstThenItsFilesThenEachSubfolderWithItsTree) {
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80.png");
    const struct {
        QStringList paths;
        bool folds;
        QStringList order;
    } cases[] = {
        {{"a b/", "a/b/", "a/z.txt", "a/b/c.txt", smiley, "m.txt", "a/", "émile", "a b/q", "A.txt"},
         true,
         {"A.txt", "m.txt", "émile", smiley, "a/", "a/z.txt", "a/b/", "a/b/c.txt", "a b/", "a b/q"}},
        {{"_", "a", "Z"}, true, {"a", "Z", "_"}},
        {{"_", "a", "Z"}, false, {"Z", "_", "a"}},
        {{"a.txt", "A.txt", "docs/", "Docs/", "docs/x"}, false, {"A.txt", "a.txt", "Docs/", "docs/", "docs/x"}},
    };
    for (const auto& c : cases) {
        TempTree t;
        Plant(t, "l", c.paths);
        Plant(t, "r", {});
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r"));
        FileSystem::SetCaseFoldingFoldersForTests(c.folds ? std::vector<QString>{t.Path("r")} : std::vector<QString>{});
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        QStringList order;
        for (size_t i = 2; i < view_.Results.size(); ++i) order << PathOf(view_.Results[i], 0, t.Path("l"));
        EXPECT_EQ(order, c.order) << "folds " << c.folds;
    }
}

// Names holding the separator, the file mark or the escape character of the sort keys must not
// give the key of another path: "x<1>y/f" is not "x/y/f", "x<2>y" is not the file y in x. Each
// side holds one spelling; a row pairs only the same path, and every subtree stays together.
TEST_F(CompareRunTest, AKeyCharacterInANameNeverPairsAnotherPath) {
    const QString one(QChar(1)), two(QChar(2)), three(QChar(3));
    const QStringList left{"x/", "x/y/", "x/y/f", "x" + one + "y/", "x" + one + "y/f", "x" + two + "y", "x/y" + one,
                           "x" + three + "/", "x" + three + one + "y/", "x" + three + one + "y/f", "x/" + two + "y"};
    const QStringList right{"x/", "x/y/", "x/y/g", "x" + three + "/", "x" + three + "/y/", "x" + three + "/y/f",
                            "x" + one + "/", "x" + one + "/" + one + "y", "x/y/" + two};
    TempTree t;
    Plant(t, "l", left);
    Plant(t, "r", right);
    AddPair(t.Path("l"), t.Path("r"));
    ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
    QStringList order;
    for (size_t i = 2; i < view_.Results.size(); ++i) {
        const CompareRow& r = view_.Results[i];
        const QString l = PathOf(r, 0, t.Path("l")), rp = PathOf(r, 1, t.Path("r"));
        order << (l.isEmpty() ? rp : l);
        EXPECT_FALSE(r.CaseConflict) << qPrintable(order.last());
        if (r.Exists(0) && r.Exists(1)) {
            EXPECT_EQ(l, rp);
        } else {
            EXPECT_FALSE(left.contains(order.last()) && right.contains(order.last())) << qPrintable(order.last());
        }
    }
    EXPECT_EQ(order.size(), QSet<QString>(left.begin(), left.end()).unite(QSet<QString>(right.begin(), right.end())).size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (!order[i].endsWith('/')) continue;
        qsizetype j = i + 1;
        while (j < order.size() && order[j].startsWith(order[i])) ++j;
        for (qsizetype k = j; k < order.size(); ++k)
            EXPECT_FALSE(order[k].startsWith(order[i])) << qPrintable(order[k]) << " after the subtree of " << i;
    }
}

// Names pair by exact spelling unless a side folds letter case (as in a documentation folder
// holding index.html and Index.html). Where one does, two different files are never paired: an
// exact match wins, anything ambiguous is flagged, proposes nothing and is reported in every
// compare, down to a whole folder's subtree.
TEST_F(CompareRunTest, CaseCollisionsNeverPairTwoDifferentFiles) {
    const struct {
        QStringList left, right;
        bool folds;        // the right side folds letter case
        QStringList rows;  // "left|right|action|selected|c for a case conflict", in any order
        int reported;
    } cases[] = {
        {{"h/index.html", "h/Index.html", "Readme"}, {"h/index.html", "README"}, false,
         {"|README|1|1|", "Readme||-1|1|", "h|h|0|1|", "Index.html||-1|1|", "index.html|index.html|0|0|"}, 0},
        {{"h/index.html", "h/Index.html", "Readme"}, {"h/index.html", "README"}, true,
         {"Readme|README|0|0|", "h|h|0|1|", "index.html|index.html|0|0|", "Index.html||0|0|c"}, 1},
        {{"a.txt", "A.txt"}, {"a.txt"}, true, {"a.txt|a.txt|0|0|", "A.txt||0|0|c"}, 1},
        {{"a.txt", "A.txt"}, {"A.TXT"}, true, {"A.txt||0|0|c", "a.txt||0|0|c", "|A.TXT|0|0|c"}, 3},
        {{"a.txt", "A.txt"}, {}, true, {"A.txt||-1|1|", "a.txt||-1|1|"}, 0},
        {{"a.txt", "A.txt"}, {"A.txt", "a.txt"}, true, {"A.txt|A.txt|0|0|", "a.txt|a.txt|0|0|"}, 0},
        {{"Docs/x", "docs/y", "e.txt"}, {"DOCS/x", "DOCS/z", "e.txt"}, true,
         {"e.txt|e.txt|0|0|", "Docs||0|0|c", "x||0|0|c", "docs||0|0|c", "y||0|0|c", "|DOCS|0|0|c", "|x|0|0|c",
          "|z|0|0|c"}, 3},
    };
    for (const auto& c : cases) {
        TempTree t;
        Plant(t, "l", c.left);
        Plant(t, "r", c.right);
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r"));
        FileSystem::SetCaseFoldingFoldersForTests(c.folds ? std::vector<QString>{t.Path("r")} : std::vector<QString>{});
        for (int compare = 0; compare < 2; ++compare) {
            host_.messagesShown.clear();
            ::Run().ErrorReported = false;
            EXPECT_EQ(Compare().caseConflicts, c.reported) << qPrintable(c.left.join(' '));
            EXPECT_EQ(host_.messagesShown.size(), c.reported);
            EXPECT_EQ(host_.messagesShown.filter("T873").size(), c.reported);
            EXPECT_EQ(::Run().ErrorReported, c.reported != 0);
        }
        QStringList rows, expected = c.rows;
        for (size_t i = 2; i < view_.Results.size(); ++i) {
            const CompareRow& r = view_.Results[i];
            rows << QString("%1|%2|%3|%4|%5").arg(r.Name[0], r.Name[1]).arg(r.SyncAction).arg(r.Selected ? 1 : 0)
                        .arg(r.CaseConflict ? "c" : "");
            EXPECT_EQ(r.FoldsCase, c.folds ? 2 : 0);
        }
        // Names of one key keep the order the listing gave them.
        rows.sort();
        expected.sort();
        EXPECT_EQ(rows, expected);
    }
}

// The merge frees the scan lists a chunk at a time while it goes on; lists consumed at different
// places on the two sides, and an unreadable folder with a large subtree, give the same rows.
TEST(Merge, ReleasingTheListsWhileMergingGivesTheSameRows) {
    std::vector<EntryDef> left, right;
    const double ten = 45000.0 + 10.0 / 24;
    for (int f = 0; f < 30; ++f) {
        const QString folder = QString("d%1/").arg(f, 2, 10, QChar('0'));
        left.push_back({folder, 0, 0, 0, false, f == 7 ? EACCES : 0});
        right.push_back({folder});
        for (int i = 0; i < 700; ++i) {
            const QString name = folder + QString("f%1.txt").arg(i, 4, 10, QChar('0'));
            if (i % 7 != 3) left.push_back({name, ten, i});
            if (i % 5 != 1) right.push_back({name, ten + (i % 11 == 0 ? 60.0 / 86400 : 0), i});
        }
    }
    ScanList kept[2] = {MakeList("/left/", left), MakeList("/right/", right)};
    ScanList released[2] = {kept[0], kept[1]};
    ResultList expected, rows;
    const MergeOptions options = MergeOptionsOf(ProfileOptions{}, true);
    const auto expectedProblems = MergeScanLists(kept[0], kept[1], "/left/", "/right/", options, expected);
    const auto problems = MergeAndReleaseScanLists(released[0], released[1], "/left/", "/right/", options, rows);
    EXPECT_TRUE(released[0].empty() && released[1].empty());
    ASSERT_EQ(rows.size(), expected.size());
    EXPECT_EQ(problems.size(), expectedProblems.size());
    for (size_t i = 1; i < rows.size(); ++i)
        for (int s = 0; s < 2; ++s)
            ASSERT_TRUE(rows[i].Name[s] == expected[i].Name[s] && rows[i].Folder[s] == expected[i].Folder[s] &&
                        rows[i].SyncAction == expected[i].SyncAction && rows[i].Unreadable == expected[i].Unreadable)
                << i;
}

// The sort of a long list is right whatever order the listing gave.
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
