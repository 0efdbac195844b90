#include "EngineTestLists.h"
#include "config/Profile.h"
#include "engine/Merge.h"
#include "engine/RunState.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

const QString L = "/left/";
const QString R = "/right/";
constexpr double Second = 1.0 / 86400;
constexpr double Ten = 45000.0 + 10.0 / 24;  // 10:00:00 on some day

MergeOptions Options(double toleranceSeconds = 2, bool compareSize = true, uint32_t archiveMask = 0) {
    MergeOptions o;
    o.tolerance = toleranceSeconds * Second;
    o.compareSize = compareSize;
    o.archiveMask = archiveMask;
    o.defaultMark = true;
    return o;
}

// Merges one file present on both sides and returns its row.
CompareRow MergeOne(EntryDef left, EntryDef right, const MergeOptions& o) {
    ResultList rows;
    MergeScanLists(MakeList(L, {left}), MakeList(R, {right}), L, R, o, rows);
    EXPECT_EQ(rows.size(), 3u);  // unused row 0, the root row, the file
    return rows.back();
}

struct Proposal {
    int16_t action;
    bool selected;
};
Proposal Of(const CompareRow& row) { return {row.SyncAction, row.Selected}; }
bool operator==(const Proposal& a, const Proposal& b) { return a.action == b.action && a.selected == b.selected; }
std::ostream& operator<<(std::ostream& os, const Proposal& p) { return os << "{" << p.action << "," << p.selected << "}"; }

const Proposal ToRight{SyncAction::LeftToRight, true};
const Proposal ToLeft{SyncAction::RightToLeft, true};
const Proposal Equal{SyncAction::NoAction, false};
const Proposal EqualMarked{SyncAction::NoAction, true};

}  // namespace

TEST(Merge, TimeToleranceIsStrictAndWorksBothWays) {
    const MergeOptions o = Options(2);
    EXPECT_EQ(Of(MergeOne({"f", Ten, 5}, {"f", Ten + 2 * Second, 5}, o)), Equal);
    EXPECT_EQ(Of(MergeOne({"f", Ten, 5}, {"f", Ten + 3 * Second, 5}, o)), ToLeft);
    EXPECT_EQ(Of(MergeOne({"f", Ten + 2 * Second, 5}, {"f", Ten, 5}, o)), Equal);
    EXPECT_EQ(Of(MergeOne({"f", Ten + 3 * Second, 5}, {"f", Ten, 5}, o)), ToRight);
    // Tolerance 0: one second decides.
    EXPECT_EQ(Of(MergeOne({"f", Ten + 1 * Second, 5}, {"f", Ten, 5}, Options(0))), ToRight);
}

TEST(Merge, ArchiveRuleComesBeforeTime) {
    const MergeOptions o = Options(2, true, Attr::Archive);
    // Left carries the bit and is older: still left to right.
    EXPECT_EQ(Of(MergeOne({"f", Ten, 5, Attr::Archive}, {"f", Ten + 3600 * Second, 5, 0}, o)), ToRight);
    EXPECT_EQ(Of(MergeOne({"f", Ten + 3600 * Second, 5, 0}, {"f", Ten, 5, Attr::Archive}, o)), ToLeft);
    // Both or neither: the time decides.
    EXPECT_EQ(Of(MergeOne({"f", Ten, 5, Attr::Archive}, {"f", Ten + 3600 * Second, 5, Attr::Archive}, o)), ToLeft);
    // Mask 0: the bit plays no part.
    EXPECT_EQ(Of(MergeOne({"f", Ten, 5, Attr::Archive}, {"f", Ten, 5, 0}, Options())), Equal);
}

TEST(Merge, SizesOnlyWhenTimesAreEqualAndFullSixtyFourBit) {
    // A newer file wins over a larger one.
    EXPECT_EQ(Of(MergeOne({"f", Ten + 60 * Second, 1}, {"f", Ten, 999}, Options())), ToRight);
    EXPECT_EQ(Of(MergeOne({"f", Ten, 100}, {"f", Ten, 200}, Options())), ToLeft);
    EXPECT_EQ(Of(MergeOne({"f", Ten, 200}, {"f", Ten, 100}, Options())), ToRight);
    // 5 GiB + 10 against 10: the low 32 bits are equal, the sizes are not.
    const int64_t big = (int64_t(5) << 32) + 10;
    EXPECT_EQ(Of(MergeOne({"f", Ten, big}, {"f", Ten, 10}, Options())), ToRight);
    EXPECT_EQ(Of(MergeOne({"f", Ten, 10}, {"f", Ten, big}, Options())), ToLeft);
    // Size comparison off: equal whatever the sizes.
    EXPECT_EQ(Of(MergeOne({"f", Ten, 100}, {"f", Ten, 200}, Options(2, false))), Equal);
}

TEST(Merge, DatesOffComparesSizesOnly) {
    ProfileOptions p;
    p.CompareDate = false;
    p.TimeLag = 2 * Second;
    const MergeOptions o = MergeOptionsOf(p, true);
    EXPECT_DOUBLE_EQ(o.tolerance, MaxDateValue);
    EXPECT_EQ(Of(MergeOne({"f", 30000.0, 100}, {"f", 45000.0, 100}, o)), Equal);
    EXPECT_EQ(Of(MergeOne({"f", 30000.0, 100}, {"f", 45000.0, 200}, o)), ToLeft);
    p.CheckArchiveAttr = 32;
    EXPECT_EQ(MergeOptionsOf(p, true).archiveMask, Attr::Archive);
}

TEST(Merge, DeleteMatchMarksEqualFilesOnlyWithSizeComparison) {
    EXPECT_EQ(Of(MergeOne({"x.tmp", Ten, 5, 0, true}, {"x.tmp", Ten, 5}, Options())), EqualMarked);
    EXPECT_EQ(Of(MergeOne({"x.tmp", Ten, 5, 0, true}, {"x.tmp", Ten, 5}, Options(2, false))), Equal);
    // The left entry's flag counts when both exist.
    EXPECT_FALSE(MergeOne({"x.tmp", Ten, 5, 0, false}, {"x.tmp", Ten, 5, 0, true}, Options()).DeleteMatch);
}

TEST(Merge, FolderOnBothSidesProposesNothingWithTheDefaultMark) {
    ResultList rows;
    MergeOptions o = Options();
    o.defaultMark = false;
    MergeScanLists(MakeList(L, {{"d/"}, {"d/a", Ten}}), MakeList(R, {{"d/"}, {"d/a", Ten + 1}}), L, R, o, rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[2].IsFolder());
    EXPECT_EQ(rows[2].SyncAction, SyncAction::NoAction);
    EXPECT_FALSE(rows[2].Selected);
    o.defaultMark = true;
    rows.clear();
    MergeScanLists(MakeList(L, {{"d/"}}), MakeList(R, {{"d/"}}), L, R, o, rows);
    EXPECT_TRUE(rows[2].Selected);
}

TEST(Merge, RootRowFirstThenOneSidedRowsWithTheOtherFolderFilledIn) {
    ResultList rows;
    MergeScanLists(MakeList(L, {{"TMP/"}, {"TMP/a.txt", Ten, 1}, {"TMP/b.txt", Ten, 2}}), MakeList(R, {{"only.txt"}}), L,
                   R, Options(), rows);
    ASSERT_EQ(rows.size(), 6u);
    // The root row: both roots without '/', no names.
    EXPECT_EQ(rows[1].Folder[0], "/left");
    EXPECT_EQ(rows[1].Folder[1], "/right");
    EXPECT_TRUE(rows[1].Name[0].isEmpty() && rows[1].Name[1].isEmpty());
    EXPECT_TRUE(rows[1].IsFolder());

    // Right-only file in the root.
    EXPECT_EQ(rows[2].Name[1], "only.txt");
    EXPECT_TRUE(rows[2].Name[0].isEmpty());
    EXPECT_EQ(rows[2].Folder[0], "/left/");
    EXPECT_EQ(rows[2].SyncAction, SyncAction::RightToLeft);
    EXPECT_TRUE(rows[2].Selected);

    // The left-only folder and its two files, all left to right.
    EXPECT_EQ(rows[3].Folder[0], "/left/TMP");
    EXPECT_EQ(rows[3].Folder[1], "/right/TMP");
    EXPECT_TRUE(rows[3].IsFolder());
    EXPECT_EQ(rows[3].Attributes[1], rows[3].Attributes[0]);
    for (size_t i = 3; i <= 5; ++i) {
        EXPECT_EQ(rows[i].SyncAction, SyncAction::LeftToRight) << i;
        EXPECT_TRUE(rows[i].Name[1].isEmpty()) << i;
    }
    EXPECT_EQ(rows[4].Folder[1], "/right/TMP/");
    EXPECT_EQ(rows[5].Folder[1], "/right/TMP/");
    // The filled-in folder is one string for both files.
    EXPECT_EQ(rows[4].Folder[1].constData(), rows[5].Folder[1].constData());
}

TEST(Merge, NamesDifferingInCaseOnlyPairWhenUnambiguous) {
    ResultList rows;
    MergeScanLists(MakeList(L, {{"Readme.TXT", Ten, 3}}), MakeList(R, {{"README.txt", Ten, 3}}), L, R, Options(), rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Name[0], "Readme.TXT");
    EXPECT_EQ(rows[2].Name[1], "README.txt");
    EXPECT_FALSE(rows[2].CaseConflict);
    // Equal names share one string.
    rows.clear();
    MergeScanLists(MakeList(L, {{"same.txt"}}), MakeList(R, {{"same.txt"}}), L, R, Options(), rows);
    EXPECT_EQ(rows[2].Name[0].constData(), rows[2].Name[1].constData());
}

TEST(Merge, CaseCollisionsNeverPairTwoDifferentFiles) {
    // Exact match paired; the other-case file stays apart, flagged, proposing nothing.
    ResultList rows;
    MergeScanLists(MakeList(L, {{"a.txt", Ten}, {"A.txt", Ten + 100 * Second}}), MakeList(R, {{"a.txt", Ten}}), L, R,
                   Options(), rows);
    ASSERT_EQ(rows.size(), 4u);
    int paired = 0, apart = 0;
    for (size_t i = 2; i < rows.size(); ++i) {
        if (rows[i].Exists(0) && rows[i].Exists(1)) {
            ++paired;
            EXPECT_EQ(rows[i].Name[0], "a.txt");
            EXPECT_EQ(rows[i].Name[1], "a.txt");
            EXPECT_FALSE(rows[i].CaseConflict);
        } else {
            ++apart;
            EXPECT_EQ(rows[i].Name[0], "A.txt");
            EXPECT_TRUE(rows[i].CaseConflict);
            EXPECT_EQ(rows[i].SyncAction, SyncAction::NoAction);
            EXPECT_FALSE(rows[i].Selected);
        }
    }
    EXPECT_EQ(paired, 1);
    EXPECT_EQ(apart, 1);

    // No exact match: nothing is paired, everything is flagged.
    rows.clear();
    MergeScanLists(MakeList(L, {{"a.txt"}, {"A.txt"}}), MakeList(R, {{"A.TXT"}}), L, R, Options(), rows);
    ASSERT_EQ(rows.size(), 5u);
    for (size_t i = 2; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i].CaseConflict);
        EXPECT_TRUE(rows[i].Exists(0) != rows[i].Exists(1));
        EXPECT_EQ(rows[i].SyncAction, SyncAction::NoAction);
    }

    // Both names on one side only: two ordinary one-sided rows.
    rows.clear();
    MergeScanLists(MakeList(L, {{"a.txt"}, {"A.txt"}}), MakeList(R, {}), L, R, Options(), rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_FALSE(rows[2].CaseConflict || rows[3].CaseConflict);
    EXPECT_EQ(rows[2].SyncAction, SyncAction::LeftToRight);

    // Both names on both sides: two exact pairs.
    rows.clear();
    MergeScanLists(MakeList(L, {{"a.txt", Ten}, {"A.txt", Ten}}), MakeList(R, {{"A.txt", Ten}, {"a.txt", Ten}}), L, R,
                   Options(), rows);
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(rows[i].Name[0], rows[i].Name[1]);
        EXPECT_FALSE(rows[i].CaseConflict);
    }
}

TEST(Merge, AmbiguousFolderFlagsItsWholeSubtree) {
    ResultList rows;
    MergeScanLists(MakeList(L, {{"Docs/"}, {"docs/"}, {"Docs/x", Ten}, {"docs/y", Ten}, {"e.txt", Ten}, {"f/"}}),
                   MakeList(R, {{"DOCS/"}, {"DOCS/x", Ten + 100 * Second}, {"DOCS/z"}, {"e.txt", Ten + 100 * Second}, {"f/"}}),
                   L, R, Options(), rows);
    int flagged = 0;
    for (size_t i = 2; i < rows.size(); ++i) {
        const CompareRow& r = rows[i];
        const QString rel = r.Exists(0) ? r.Folder[0].mid(L.size()) + r.Name[0] : r.Folder[1].mid(R.size()) + r.Name[1];
        const bool below = rel.startsWith("Docs", Qt::CaseInsensitive);
        EXPECT_EQ(r.CaseConflict, below) << qPrintable(rel);
        if (below) {
            ++flagged;
            EXPECT_EQ(r.SyncAction, SyncAction::NoAction);
            EXPECT_FALSE(r.Selected);
            // Nothing below the ambiguous folders is paired across differently named folders.
            if (!r.IsFolder()) {
                EXPECT_NE(r.Exists(0), r.Exists(1)) << qPrintable(rel);
            }
        }
    }
    EXPECT_EQ(flagged, 7);  // Docs, docs, DOCS, Docs/x, DOCS/x, docs/y, DOCS/z
}

TEST(Merge, UnreadableFolderFlagsEveryRowBelowItOnBothSides) {
    ResultList rows;
    const auto report = MergeScanLists(
        MakeList(L, {{"locked/", 0, 0, 0, false, EACCES}, {"next.txt", Ten}}),
        MakeList(R, {{"locked/"}, {"locked/f1", Ten}, {"locked/sub/"}, {"locked/sub/g", Ten}, {"next.txt", Ten + 60 * Second}}),
        L, R, Options(), rows);
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0].side, 0);
    EXPECT_EQ(report[0].error, EACCES);
    EXPECT_EQ(rows[report[0].row].Folder[0], "/left/locked");
    int below = 0;
    for (size_t i = 2; i < rows.size(); ++i) {
        const CompareRow& r = rows[i];
        const bool inLocked = (r.Exists(1) ? r.Folder[1] : r.Folder[0]).contains("locked");
        EXPECT_EQ(r.Unreadable, inLocked) << i;
        if (inLocked) {
            ++below;
            EXPECT_EQ(r.SyncAction, SyncAction::NoAction);
            EXPECT_FALSE(r.Selected);
        } else {
            EXPECT_EQ(r.Name[0], "next.txt");
            EXPECT_EQ(r.SyncAction, SyncAction::RightToLeft);
        }
    }
    EXPECT_EQ(below, 4);

    // A folder that could not be listed and exists on that side only is not copied either.
    rows.clear();
    const auto report2 = MergeScanLists(MakeList(L, {}), MakeList(R, {{"gone/", 0, 0, 0, false, EIO}}), L, R, Options(), rows);
    ASSERT_EQ(report2.size(), 1u);
    EXPECT_EQ(report2[0].side, 1);
    EXPECT_TRUE(rows[2].Unreadable);
    EXPECT_EQ(rows[2].SyncAction, SyncAction::NoAction);
}

TEST(Merge, AppendsAfterEarlierPairsAndForgetsIgnoredErrors) {
    ResultList rows;
    MergeScanLists(MakeList(L, {{"a"}}), MakeList(R, {{"a"}}), L, R, Options(), rows);
    const size_t first = rows.size();
    ::Run().IgnoredErrors.insert(13);
    MergeScanLists(MakeList("/l2/", {{"b"}}), MakeList("/r2/", {}), "/l2/", "/r2/", Options(), rows);
    EXPECT_TRUE(::Run().IgnoredErrors.empty());
    ASSERT_EQ(rows.size(), first + 2);
    EXPECT_EQ(rows[first].Folder[0], "/l2");
    EXPECT_EQ(rows[first + 1].Folder[1], "/r2/");
}

TEST(Merge, ReleasingTheListsWhileMergingGivesTheSameRows) {
    // Many entries, one-sided runs of different lengths on the two sides, so that the two lists
    // are consumed (and freed) at different places, and an unreadable folder with a large subtree.
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
    ASSERT_EQ(problems.size(), expectedProblems.size());
    int unreadable = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const CompareRow& a = rows[i];
        const CompareRow& b = expected[i];
        ASSERT_TRUE(a.Name[0] == b.Name[0] && a.Name[1] == b.Name[1] && a.Folder[0] == b.Folder[0] &&
                    a.Folder[1] == b.Folder[1] && a.SyncAction == b.SyncAction && a.Selected == b.Selected &&
                    a.Unreadable == b.Unreadable && a.Time[1] == b.Time[1])
            << i;
        unreadable += a.Unreadable ? 1 : 0;
    }
    EXPECT_EQ(unreadable, 681);  // the folder and the 680 names found on either side
}
