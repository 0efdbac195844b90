#include "EngineTestLists.h"
#include "config/Profile.h"
#include "engine/Merge.h"
#include "engine/RunState.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

const QString L = "/left/";
const QString R = "/right/";
constexpr double Second = 1.0 / 86400;
constexpr double Ten = 45000.0 + 10.0 / 24;  // 10:00:00 on some day

// The profile options that decide a pair of files, as the compare reads them from a profile.
struct Rules {
    double lagSeconds = 2;
    bool compareDate = true;
    bool compareSize = true;
    bool archive = false;
};

MergeOptions Options(const Rules& r = {}) {
    ProfileOptions p;
    p.TimeLag = r.lagSeconds * Second;
    p.CompareDate = r.compareDate;
    p.CompareSize = r.compareSize;
    p.CheckArchiveAttr = r.archive ? 32 : 0;
    return MergeOptionsOf(p, true);
}

ResultList Merge(std::initializer_list<EntryDef> left, std::initializer_list<EntryDef> right,
                 const MergeOptions& o = Options()) {
    ResultList rows;
    MergeScanLists(MakeList(L, left), MakeList(R, right), L, R, o, rows);
    return rows;
}

// A row as "left name|right name|action|selected|flags" (c case conflict, u unreadable).
QString Shown(const CompareRow& r) {
    return QString("%1|%2|%3|%4|%5%6")
        .arg(r.Name[0], r.Name[1])
        .arg(r.SyncAction)
        .arg(r.Selected ? 1 : 0)
        .arg(r.CaseConflict ? "c" : "", r.Unreadable ? "u" : "");
}

}  // namespace

// One file on both sides: the archive bit before the time (strict tolerance, both ways), the
// size only where the times are equal (all 64 bits), the delete mask's mark only for equal files
// whose sizes were compared.
TEST(Merge, RulesForAFileOnBothSides) {
    const int64_t big = (int64_t(5) << 32) + 10;  // the low 32 bits equal those of 10
    const uint32_t A = Attr::Archive;
    const struct {
        const char* what;
        EntryDef left, right;
        Rules rules;
        int16_t action;
        bool selected;
    } cases[] = {
        {"within the lag", {"f", Ten, 5}, {"f", Ten + 2 * Second, 5}, {}, SyncAction::NoAction, false},
        {"right newer", {"f", Ten, 5}, {"f", Ten + 3 * Second, 5}, {}, SyncAction::RightToLeft, true},
        {"left within the lag", {"f", Ten + 2 * Second, 5}, {"f", Ten, 5}, {}, SyncAction::NoAction, false},
        {"left newer", {"f", Ten + 3 * Second, 5}, {"f", Ten, 5}, {}, SyncAction::LeftToRight, true},
        {"no lag", {"f", Ten + Second, 5}, {"f", Ten, 5}, {0}, SyncAction::LeftToRight, true},
        {"archive bit before time", {"f", Ten, 5, A}, {"f", Ten + 3600 * Second, 5}, {.archive = true},
         SyncAction::LeftToRight, true},
        {"archive bit right", {"f", Ten + 3600 * Second, 5}, {"f", Ten, 5, A}, {.archive = true},
         SyncAction::RightToLeft, true},
        {"archive bit both", {"f", Ten, 5, A}, {"f", Ten + 3600 * Second, 5, A}, {.archive = true},
         SyncAction::RightToLeft, true},
        {"archive bit ignored", {"f", Ten, 5, A}, {"f", Ten, 5}, {}, SyncAction::NoAction, false},
        {"newer beats larger", {"f", Ten + 60 * Second, 1}, {"f", Ten, 999}, {}, SyncAction::LeftToRight, true},
        {"larger right", {"f", Ten, 100}, {"f", Ten, 200}, {}, SyncAction::RightToLeft, true},
        {"larger left", {"f", Ten, 200}, {"f", Ten, 100}, {}, SyncAction::LeftToRight, true},
        {"64-bit left", {"f", Ten, big}, {"f", Ten, 10}, {}, SyncAction::LeftToRight, true},
        {"64-bit right", {"f", Ten, 10}, {"f", Ten, big}, {}, SyncAction::RightToLeft, true},
        {"sizes off", {"f", Ten, 100}, {"f", Ten, 200}, {.compareSize = false}, SyncAction::NoAction, false},
        {"dates off", {"f", 30000.0, 100}, {"f", 45000.0, 100}, {.compareDate = false}, SyncAction::NoAction, false},
        {"dates off, sizes", {"f", 30000.0, 100}, {"f", 45000.0, 200}, {.compareDate = false}, SyncAction::RightToLeft,
         true},
        {"delete mask", {"x", Ten, 5, 0, true}, {"x", Ten, 5}, {}, SyncAction::NoAction, true},
        {"delete mask, sizes off", {"x", Ten, 5, 0, true}, {"x", Ten, 5}, {.compareSize = false}, SyncAction::NoAction,
         false},
        {"delete mask on the right only", {"x", Ten, 5}, {"x", Ten, 5, 0, true}, {}, SyncAction::NoAction, false},
    };
    for (const auto& c : cases) {
        const ResultList rows = Merge({c.left}, {c.right}, Options(c.rules));
        ASSERT_EQ(rows.size(), 3u) << c.what;  // unused row 0, the root row, the file
        EXPECT_EQ(rows[2].SyncAction, c.action) << c.what;
        EXPECT_EQ(rows[2].Selected, c.selected) << c.what;
    }
}

TEST(Merge, RootRowFirstThenOneSidedRowsWithTheOtherFolderFilledIn) {
    const ResultList rows =
        Merge({{"d/"}, {"TMP/"}, {"TMP/a.txt", Ten, 1}, {"TMP/b.txt", Ten, 2}}, {{"d/"}, {"only.txt"}});
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[1].Folder[0], "/left");
    EXPECT_EQ(rows[1].Folder[1], "/right");
    EXPECT_EQ(Shown(rows[1]), "||0|1|");
    EXPECT_EQ(Shown(rows[2]), "|only.txt|1|1|");
    EXPECT_EQ(rows[2].Folder[0], "/left/");
    EXPECT_EQ(Shown(rows[3]), "d|d|0|1|");  // a folder on both sides proposes nothing
    EXPECT_EQ(Shown(rows[4]), "TMP||-1|1|");
    EXPECT_EQ(rows[4].Folder[1], "/right/TMP");
    EXPECT_EQ(rows[4].Attributes[1], rows[4].Attributes[0]);
    EXPECT_EQ(Shown(rows[6]), "b.txt||-1|1|");
    EXPECT_EQ(rows[6].Folder[1], "/right/TMP/");
}

// Where names differ only in letter case, two different files are never paired: an exact match
// wins, anything ambiguous is flagged and proposes nothing, down to a whole folder's subtree.
TEST(Merge, CaseCollisionsNeverPairTwoDifferentFiles) {
    const auto shown = [](const ResultList& rows) {
        QStringList out;
        for (size_t i = 2; i < rows.size(); ++i) out << Shown(rows[i]);
        return out;
    };
    EXPECT_EQ(shown(Merge({{"Readme.TXT", Ten}}, {{"README.txt", Ten}})), QStringList{"Readme.TXT|README.txt|0|0|"});
    EXPECT_EQ(shown(Merge({{"a.txt", Ten}, {"A.txt", Ten + 100 * Second}}, {{"a.txt", Ten}})),
              (QStringList{"a.txt|a.txt|0|0|", "A.txt||0|0|c"}));
    EXPECT_EQ(shown(Merge({{"a.txt"}, {"A.txt"}}, {{"A.TXT"}})),
              (QStringList{"A.txt||0|0|c", "a.txt||0|0|c", "|A.TXT|0|0|c"}));
    EXPECT_EQ(shown(Merge({{"a.txt"}, {"A.txt"}}, {})), (QStringList{"A.txt||-1|1|", "a.txt||-1|1|"}));
    EXPECT_EQ(shown(Merge({{"a.txt", Ten}, {"A.txt", Ten}}, {{"A.txt", Ten}, {"a.txt", Ten}})),
              (QStringList{"A.txt|A.txt|0|0|", "a.txt|a.txt|0|0|"}));

    const ResultList rows =
        Merge({{"Docs/"}, {"docs/"}, {"Docs/x", Ten}, {"docs/y", Ten}, {"e.txt", Ten}},
              {{"DOCS/"}, {"DOCS/x", Ten + 100 * Second}, {"DOCS/z"}, {"e.txt", Ten + 100 * Second}});
    int flagged = 0;
    for (size_t i = 2; i < rows.size(); ++i) {
        const CompareRow& r = rows[i];
        const bool below = (r.Exists(0) ? r.Folder[0] : r.Folder[1]).contains("docs", Qt::CaseInsensitive);
        EXPECT_EQ(r.CaseConflict, below) << qPrintable(Shown(r));
        if (!below) continue;
        ++flagged;
        EXPECT_EQ(r.SyncAction, SyncAction::NoAction);
        EXPECT_NE(r.Exists(0), r.Exists(1)) << qPrintable(Shown(r));
    }
    EXPECT_EQ(flagged, 7);  // Docs, docs, DOCS, Docs/x, DOCS/x, docs/y, DOCS/z
}

TEST(Merge, AnUnreadableFolderFlagsEveryRowBelowItOnBothSides) {
    ResultList rows;
    const auto report = MergeScanLists(
        MakeList(L, {{"locked/", 0, 0, 0, false, EACCES}, {"next.txt", Ten}}),
        MakeList(R, {{"locked/"}, {"locked/f1", Ten}, {"locked/sub/"}, {"locked/sub/g", Ten}, {"next.txt", Ten + 60 * Second},
                     {"gone/", 0, 0, 0, false, EIO}}),
        L, R, Options(), rows);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0].side, 1);
    EXPECT_EQ(report[0].error, EIO);
    EXPECT_EQ(report[1].side, 0);
    EXPECT_EQ(rows[report[1].row].Folder[0], "/left/locked");
    QStringList shown;
    for (size_t i = 2; i < rows.size(); ++i) shown << Shown(rows[i]);
    EXPECT_EQ(shown, (QStringList{"next.txt|next.txt|1|1|", "|gone|0|0|u", "locked|locked|0|0|u", "|f1|0|0|u",
                                  "|sub|0|0|u", "|g|0|0|u"}));
}

TEST(Merge, AppendsAfterEarlierPairsAndForgetsIgnoredErrors) {
    ResultList rows = Merge({{"a"}}, {{"a"}});
    const size_t first = rows.size();
    ::Run().IgnoredErrors.insert(13);
    MergeScanLists(MakeList("/l2/", {{"b"}}), MakeList("/r2/", {}), "/l2/", "/r2/", Options(), rows);
    EXPECT_TRUE(::Run().IgnoredErrors.empty());
    ASSERT_EQ(rows.size(), first + 2);
    EXPECT_EQ(rows[first].Folder[0], "/l2");
    EXPECT_EQ(rows[first + 1].Folder[1], "/r2/");
}

TEST(Merge, ReleasingTheListsWhileMergingGivesTheSameRows) {
    // One-sided runs of different lengths on the two sides, so that the lists are consumed (and
    // freed) at different places, and an unreadable folder with a large subtree.
    std::vector<EntryDef> left, right;
    for (int f = 0; f < 30; ++f) {
        const QString folder = QString("d%1/").arg(f, 2, 10, QChar('0'));
        left.push_back({folder, 0, 0, 0, false, f == 7 ? EACCES : 0});
        right.push_back({folder});
        for (int i = 0; i < 700; ++i) {
            const QString name = folder + QString("f%1.txt").arg(i, 4, 10, QChar('0'));
            if (i % 7 != 3) left.push_back({name, Ten, i});
            if (i % 5 != 1) right.push_back({name, Ten + (i % 11 == 0 ? 60 * Second : 0), i});
        }
    }
    ScanList kept[2] = {MakeList(L, left), MakeList(R, right)};
    ScanList released[2] = {kept[0], kept[1]};
    ResultList expected, rows;
    const auto expectedProblems = MergeScanLists(kept[0], kept[1], L, R, Options(), expected);
    const auto problems = MergeAndReleaseScanLists(released[0], released[1], L, R, Options(), rows);
    EXPECT_TRUE(released[0].empty() && released[1].empty());
    ASSERT_EQ(rows.size(), expected.size());
    EXPECT_EQ(problems.size(), expectedProblems.size());
    for (size_t i = 1; i < rows.size(); ++i)
        ASSERT_TRUE(Shown(rows[i]) == Shown(expected[i]) && rows[i].Folder[0] == expected[i].Folder[0] &&
                    rows[i].Folder[1] == expected[i].Folder[1]) << i;
}
