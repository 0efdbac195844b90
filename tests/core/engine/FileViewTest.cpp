// The rows the file list shows of a compare's result: filters, empty folders, counts, marks.

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

// A small result: the root; a.txt the same on both sides, b.txt going right, c.txt going left,
// Case.txt opposite CASE.txt, right.txt on the right only; folder both holding only folder
// both/inner with e.tmp (a delete match, equal); the empty folder empty.
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

// Which rows each choice of the two filters and of "show empty folders" lists.
TEST(FileView, TheFiltersListTheRowsTheyName) {
    const struct {
        int filter1, filter2;
        bool showEmpty;
        const char* shown;
    } cases[] = {
        {0, 0, true, "/ a.txt b.txt c.txt Case.txt right.txt /both/ /both/inner/ e.tmp /empty/"},
        {1, 0, true, "/ b.txt c.txt right.txt /both/ /both/inner/ e.tmp /empty/"},  // changed, delete matches, folders
        {2, 0, true, "/ b.txt /both/ /both/inner/ /empty/"},  // toward the right, folders that do not go left
        {3, 0, true, "/ c.txt right.txt /both/ /both/inner/ /empty/"},
        {4, 0, true, "/ a.txt Case.txt /both/ /both/inner/ e.tmp /empty/"},  // identical rows; the first row always
        {0, 2, true, "/ Case.txt right.txt /both/ /both/inner/ /empty/"},  // one side only: names differ, case too
        {0, 1, true, "/ a.txt b.txt c.txt /both/ /both/inner/ e.tmp /empty/"},
        {4, 2, true, "/ a.txt Case.txt /both/ /both/inner/ e.tmp /empty/"},  // no name filter on identical rows
        // "/both" is followed by a folder, "/empty" by nothing: both dropped; "/both/inner" holds a file.
        {0, 0, false, "/ a.txt b.txt c.txt Case.txt right.txt /both/inner/ e.tmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.filter1 << " " << c.filter2 << " " << c.showEmpty);
        ViewOptions view;
        view.Filter2 = c.filter2;
        view.ShowEmptyFolders = c.showEmpty;
        FileView v = Sample();
        v.UpdateFilesView(c.filter1, view);
        EXPECT_EQ(Shown(v), QString(c.shown).split(' '));
    }
}

TEST(FileView, TheTreeListKeepsDroppedFoldersAndAFolderThatProposesSomethingStays) {
    ViewOptions view;
    FileView v = Sample();
    v.UpdateFilesView(0, view);
    // The tree list has every row from before the drop, each leading to a view row.
    ASSERT_EQ(v.TreeRows().size(), 11u);
    EXPECT_EQ(v.TreeRows()[7].LeftFolder, "/l/both");
    EXPECT_EQ(v.TreeRows()[7].ViewIndex, 7);  // the dropped folder leads to the next shown row
    EXPECT_EQ(v.TreeRows()[8].ViewIndex, 7);
    EXPECT_EQ(v.TreeRows()[9].ViewIndex, 8);
    EXPECT_EQ(v.TreeRows()[6].Name, "right.txt");
    EXPECT_EQ(v.TreeRows()[1].ViewIndex, 1);
    FileView w;
    w.Results.push_back(Folder(""));
    w.Results.push_back(Folder("/new", SyncAction::LeftToRight));
    w.UpdateFilesView(0, view);
    EXPECT_EQ(Shown(w), QStringList{"/new/"});
    // The first row of the result stays in the view of identical rows whatever it proposes.
    FileView u;
    u.Results.push_back(File("", "b.txt", "b.txt", SyncAction::LeftToRight));
    u.UpdateFilesView(4, view);
    EXPECT_EQ(Shown(u), QStringList{"b.txt"});
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
