#include "config/Profile.h"
#include "engine/FileView.h"

#include <gtest/gtest.h>

namespace {

CompareRow Folder(const QString& path, int16_t action = 0) {
    CompareRow r;
    r.Folder[0] = "/l" + path;
    r.Folder[1] = "/r" + path;
    r.Name[0] = r.Name[1] = path.section('/', -1);
    r.Attributes[0] = r.Attributes[1] = Attr::Directory;
    r.SyncAction = action;
    return r;
}

CompareRow File(const QString& folder, const QString& left, const QString& right, int16_t action = 0,
                bool deleteMatch = false) {
    CompareRow r;
    r.Folder[0] = "/l" + folder + "/";
    r.Folder[1] = "/r" + folder + "/";
    r.Name[0] = left;
    r.Name[1] = right;
    r.SyncAction = action;
    r.DeleteMatch = deleteMatch;
    return r;
}

// Names of the view list's rows: a folder's path, a file's left (else right) name.
QStringList Shown(const FileView& v) {
    QStringList out;
    for (size_t i = 1; i < v.ViewList.size(); ++i) {
        const CompareRow& r = v.ViewList[i];
        out << (r.IsFolder() ? r.Folder[0].mid(2) + "/" : (r.Name[0].isEmpty() ? r.Name[1] : r.Name[0]));
    }
    return out;
}

// A small result: root, a.txt same, b.txt to right, c.txt to left, folder sub (to right,
// left only) with d.txt, folder same with e.tmp (delete match, equal), empty folder both/
// holding only folder both/inner.
FileView Sample() {
    FileView v;
    v.Results.push_back(Folder(""));
    v.Results.push_back(File("", "a.txt", "a.txt"));
    v.Results.push_back(File("", "b.txt", "b.txt", SyncAction::LeftToRight));
    v.Results.push_back(File("", "c.txt", "c.txt", SyncAction::RightToLeft));
    v.Results.push_back(File("", "Case.txt", "CASE.txt"));
    v.Results.push_back(File("", "", "right.txt", SyncAction::RightToLeft));
    v.Results.push_back(Folder("/both"));
    v.Results.push_back(Folder("/both/inner"));
    v.Results.push_back(File("/both/inner", "e.tmp", "e.tmp", 0, true));
    v.Results.push_back(Folder("/empty"));
    return v;
}

}  // namespace

TEST(FileView, Filter1SelectsWhatIsListed) {
    ViewOptions view;
    view.ShowEmptyFolders = true;
    FileView v = Sample();
    v.UpdateFilesView(0, view);
    EXPECT_EQ(view.Filter1, 0);
    EXPECT_EQ(v.LastIndex(), 10);
    v.UpdateFilesView(1, view);  // modified, delete matches and folders
    EXPECT_EQ(Shown(v), (QStringList{"/", "b.txt", "c.txt", "right.txt", "/both/", "/both/inner/", "e.tmp", "/empty/"}));
    v.UpdateFilesView(2, view);  // toward the right, and folders that do not go left
    EXPECT_EQ(Shown(v), (QStringList{"/", "b.txt", "/both/", "/both/inner/", "/empty/"}));
    v.UpdateFilesView(3, view);
    EXPECT_EQ(Shown(v), (QStringList{"/", "c.txt", "right.txt", "/both/", "/both/inner/", "/empty/"}));
    v.UpdateFilesView(4, view);  // identical rows; the first row always
    EXPECT_EQ(Shown(v), (QStringList{"/", "a.txt", "Case.txt", "/both/", "/both/inner/", "e.tmp", "/empty/"}));
}

TEST(FileView, Filter2ComparesNamesExactlyAndIsOffForIdenticalRows) {
    ViewOptions view;
    view.ShowEmptyFolders = true;
    view.Filter2 = 2;  // one side only: names differ, case included
    FileView v = Sample();
    v.UpdateFilesView(0, view);
    EXPECT_EQ(Shown(v), (QStringList{"/", "Case.txt", "right.txt", "/both/", "/both/inner/", "/empty/"}));
    view.Filter2 = 1;
    v.UpdateFilesView(0, view);
    EXPECT_EQ(Shown(v), (QStringList{"/", "a.txt", "b.txt", "c.txt", "/both/", "/both/inner/", "e.tmp", "/empty/"}));
    EXPECT_FALSE(FileView::Filter2Applies(4));
    view.Filter2 = 2;
    v.UpdateFilesView(4, view);
    EXPECT_TRUE(Shown(v).contains("a.txt"));
}

TEST(FileView, EmptyFoldersAreDroppedUnlessShownTreeListKeepsThem) {
    ViewOptions view;
    view.ShowEmptyFolders = false;
    FileView v = Sample();
    v.UpdateFilesView(0, view);
    // "/both" is followed by a folder, "/empty" by nothing: both dropped; "/both/inner" holds
    // a file and stays.
    EXPECT_EQ(Shown(v), (QStringList{"/", "a.txt", "b.txt", "c.txt", "Case.txt", "right.txt", "/both/inner/", "e.tmp"}));
    // The tree list has every row from before the drop, each leading to a view row.
    ASSERT_EQ(v.TreeRows().size(), 11u);
    EXPECT_EQ(v.TreeRows()[7].LeftFolder, "/l/both");
    EXPECT_EQ(v.TreeRows()[7].ViewIndex, 7);  // the dropped folder leads to the next shown row
    EXPECT_EQ(v.TreeRows()[8].ViewIndex, 7);
    EXPECT_EQ(v.TreeRows()[9].ViewIndex, 8);
    EXPECT_EQ(v.TreeRows()[6].Name, "right.txt");
    EXPECT_EQ(v.TreeRows()[1].ViewIndex, 1);
    // A folder that proposes something is never dropped.
    FileView w;
    w.Results.push_back(Folder(""));
    w.Results.push_back(Folder("/new", SyncAction::LeftToRight));
    w.UpdateFilesView(0, view);
    EXPECT_EQ(Shown(w), QStringList{"/new/"});
}

TEST(FileView, CountsByDirectionDeleteMatchCountsBothWays) {
    ViewOptions view;
    view.ShowEmptyFolders = true;
    FileView v = Sample();
    v.UpdateFilesView(0, view);
    EXPECT_EQ(v.FileCounts[0], 2);  // b.txt and e.tmp
    EXPECT_EQ(v.FileCounts[1], 2);  // a.txt and Case.txt
    EXPECT_EQ(v.FileCounts[2], 3);  // c.txt, right.txt and e.tmp
    EXPECT_EQ(v.FolderCounts[1], 4);
    EXPECT_EQ(v.FolderCounts[0] + v.FolderCounts[2], 0);
}

TEST(FileView, SelectAllMarksProposalsFoldersAndDeleteMatchesButNoFlaggedRow) {
    ViewOptions view;
    view.ShowEmptyFolders = true;
    FileView v = Sample();
    CompareRow unreadable = File("/x", "u.txt", "", SyncAction::NoAction);
    unreadable.Unreadable = true;
    CompareRow conflict = File("", "k.txt", "", SyncAction::NoAction);
    conflict.CaseConflict = true;
    conflict.DeleteMatch = true;
    v.Results.push_back(unreadable);
    v.Results.push_back(conflict);
    v.Results[1].ProposedMark = false;
    v.UpdateFilesView(0, view);
    for (size_t i = 1; i < v.ViewList.size(); ++i) {
        const CompareRow& r = v.ViewList[i];
        const bool expected = !r.Unreadable && !r.CaseConflict && (r.SyncAction != 0 || r.DeleteMatch || r.IsFolder());
        EXPECT_EQ(r.Selected, expected) << i;
    }
    // Rows that propose nothing keep their own mark.
    v.Results[2].ProposedMark = true;  // a.txt, as the compare marked it
    v.UpdateFilesView(0, view);
    EXPECT_TRUE(v.ViewList[2].Selected);
    // A tick given in the list lasts until the view is built anew, which starts again from the
    // compare's marks (as a change of filter does).
    v.ViewList[2].Selected = false;
    v.ViewList[3].Selected = false;  // b.txt, proposed
    v.UpdateFilesView(0, view);
    EXPECT_TRUE(v.ViewList[2].Selected);
    EXPECT_TRUE(v.ViewList[3].Selected);
    v.SelectAll = false;
    v.ApplySelectAll();
    for (size_t i = 1; i < v.ViewList.size(); ++i) EXPECT_FALSE(v.ViewList[i].Selected);
}

TEST(FileView, EmptyResultGivesEmptyView) {
    ViewOptions view;
    FileView v;
    v.UpdateFilesView(1, view);
    EXPECT_EQ(v.LastIndex(), 0);
    EXPECT_EQ(v.FileCounts, (std::array<int, 3>{0, 0, 0}));
}
