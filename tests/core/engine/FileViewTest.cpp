// The rows the file list shows of a compare's result: filters, empty folders, counts.

#include "config/Profile.h"
#include "engine/FileView.h"

#include <gtest/gtest.h>

namespace {

// A row: a folder (left "/"), or a file named left and right (the same when right is null).
CompareRow Row(const QString& folder, const QString& left, const QString& right = QString(), int16_t action = 0, bool deleteMatch = false) {
    CompareRow r;
    const bool isFolder = left.endsWith('/');
    for (int s = 0; s < 2; ++s) r.SetFolder(s, (s == 0 ? "/l" : "/r") + folder + (isFolder ? "" : "/"));
    r.SetName(0, isFolder ? folder.section('/', -1) : left);
    r.SetName(1, isFolder ? r.Name(0) : (right.isNull() ? left : right));
    if (isFolder) r.Attributes[0] = r.Attributes[1] = Attr::Directory;
    r.SyncAction = action;
    r.DeleteMatch = deleteMatch;
    return r;
}

// Names of the view list's rows: a folder's path, a file's left (else right) name.
QStringList Shown(const FileView& v) {
    QStringList out;
    for (size_t i = 1; i < v.ViewList.size(); ++i) {
        const CompareRow& r = v.ViewList[i];
        out << (r.IsFolder() ? r.Folder(0).mid(2) + "/" : (r.Name(0).isEmpty() ? r.Name(1) : r.Name(0)));
    }
    return out;
}

// a.txt the same on both sides, b.txt going right, c.txt going left, Case.txt opposite
// CASE.txt, right.txt on the right only; folder both holding only folder both/inner with e.tmp
// (a delete match, equal); the empty folder empty.
void Fill(FileView& v) {
    for (const CompareRow& r : {Row("", "/"), Row("", "a.txt"), Row("", "b.txt", {}, SyncAction::LeftToRight),
                 Row("", "c.txt", {}, SyncAction::RightToLeft), Row("", "Case.txt", "CASE.txt"),
                 Row("", "", "right.txt", SyncAction::RightToLeft), Row("/both", "/"), Row("/both/inner", "/"),
                 Row("/both/inner", "e.tmp", {}, 0, true), Row("/empty", "/")})
        v.Results.push_back(r);
}

}  // namespace

// Which rows each choice of the two filters and of "show empty folders" lists.
TEST(FileView, TheFiltersListTheRowsTheyNameAndCountByDirection) {
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
        {4, 2, true, "/ a.txt Case.txt /both/ /both/inner/ e.tmp /empty/"},  // no name filter on identical rows
        // "/both" is followed by a folder, "/empty" by nothing: both dropped; "/both/inner" holds a file.
        {0, 0, false, "/ a.txt b.txt c.txt Case.txt right.txt /both/inner/ e.tmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.filter1 << " " << c.filter2 << " " << c.showEmpty);
        ViewOptions view;
        view.Filter2 = c.filter2;
        view.ShowEmptyFolders = c.showEmpty;
        FileView v;
        Fill(v);
        v.UpdateFilesView(c.filter1, view);
        EXPECT_EQ(Shown(v), QString(c.shown).split(' '));
        if (c.filter1 + c.filter2 > 0 || !c.showEmpty) continue;
        // A delete match counts both ways; folders only as staying.
        EXPECT_EQ(v.FileCounts, (std::array<int, 3>{2, 2, 3}));  // b e.tmp | a Case | c right e.tmp
        EXPECT_EQ(v.FolderCounts, (std::array<int, 3>{0, 4, 0}));
    }
}
