// The main window's file list on rows of every kind: the direction each row shows under the
// toolbar options, and which rows a folder's tick carries along.

#include "MainWindowTesting.h"
#include "ui/main/FilesSelection.h"

#include <QToolBar>

namespace {

CompareRow Folder(int16_t action, const QString& left, const QString& right, bool leftExists = true,
                  bool rightExists = true) {
    CompareRow row;
    row.SyncAction = action;
    row.SetFolder(0, left);
    row.SetFolder(1, right);
    // A folder on one side only carries its attributes on both, as the merge gives it.
    row.Attributes[0] = row.Attributes[1] = Attr::Directory;
    if (leftExists) row.SetName(0, QStringLiteral("d"));
    if (rightExists) row.SetName(1, QStringLiteral("d"));
    return row;
}

CompareRow File(int16_t action, const QString& folder, const QString& left, const QString& right,
                bool deleteMatch = false) {
    CompareRow row;
    row.SyncAction = action;
    row.SetFolder(0, QStringLiteral("/l/") + folder);
    row.SetFolder(1, QStringLiteral("/r/") + folder);
    row.SetName(0, left);
    row.SetName(1, right);
    row.DeleteMatch = deleteMatch;
    return row;
}

}  // namespace

// What a row shows it will do follows the row's kind and the five options of the toolbar; a
// row that matches the delete masks shows the delete whatever the options.
TEST_F(MainWindowFixture, EachRowShowsWhatTheRunWillDoWithItUnderTheToolbarOptions) {
    OpenWindow(1000, 800);
    FileView& view = CurrentFileView();
    view.Results = ResultList(1);
    view.Results.push_back(Folder(0, QStringLiteral("/l/"), QStringLiteral("/r/")));
    view.Results.push_back(File(0, QString(), QStringLiteral("same.txt"), QStringLiteral("same.txt")));
    view.Results.push_back(File(0, QString(), QStringLiteral("Case.txt"), QStringLiteral("case.txt")));
    view.Results.push_back(File(0, QString(), QStringLiteral("x.tmp"), QStringLiteral("x.tmp"), true));
    view.Results.push_back(File(-1, QString(), QStringLiteral("new.txt"), QStringLiteral("new.txt")));
    view.Results.push_back(File(-1, QString(), QStringLiteral("lonly.txt"), QString()));
    view.Results.push_back(File(1, QString(), QStringLiteral("rnew.txt"), QStringLiteral("rnew.txt")));
    view.Results.push_back(File(1, QString(), QString(), QStringLiteral("ronly.txt")));
    view.Results.push_back(Folder(-1, QStringLiteral("/l/sub/"), QStringLiteral("/r/sub/"), true, false));
    view.Results.push_back(File(-1, QStringLiteral("sub/"), QStringLiteral("in sub.txt"), QString()));
    view.Results.push_back(Folder(1, QStringLiteral("/l/rsub/"), QStringLiteral("/r/rsub/"), false, true));
    view.Results.push_back(File(1, QStringLiteral("rsub/"), QString(), QStringLiteral("in rsub.txt")));
    view.Stale = false;
    CurrentProfile().profile.View.ShowEmptyFolders = true;
    list->UpdateView(0);
    ASSERT_GE(list->PageSize(), 13);
    const struct {
        std::array<bool, 5> options;  // copy right, copy left, reverse, delete in 1, delete in 2
        const char* directions;       // the rows in their order: '-' none, 'R' and 'L' a copy, 'D' a delete
    } cases[] = {
        {{true, true, false, false, false}, "---DRRLLRRLL"},
        {{false, true, false, true, false}, "---D-DLLDDLL"},  // only-left rows deleted in 1
        {{true, false, false, false, true}, "---DRR-DRRDD"},  // only-right rows deleted in 2
    };
    for (const auto& c : cases) {
        for (int digit = 0; digit < 5; ++digit) {
            window->Commands().Toolbar(3)->actions()[digit]->setChecked(c.options[static_cast<size_t>(digit)]);
            window->Commands().ToolbarClick(3, digit);
        }
        QString shown;
        for (int r = 1; r <= 12; ++r) {
            const QString& text = grid->Model()->Cell(r, 4).text;
            shown += text == Marker::ToRight ? 'R' : text == Marker::ToLeft ? 'L' : text == Marker::Delete ? 'D' : text.isEmpty() ? '-' : '?';
        }
        EXPECT_EQ(shown, QString::fromLatin1(c.directions));
    }
    EXPECT_TRUE(grid->TextMatrix(13, 0).isEmpty());  // page rows below the list are empty
}

// A folder's tick carries its own changed files along, and with Shift its subfolders; a folder
// whose path only begins with the same letters ("/l/ab" after "/l/a") is not inside it.
TEST(FilesSelectionTest, FolderTicksCarryTheirFilesAndWithShiftTheirSubfolders) {
    ResultList view(1);
    for (const auto& [action, folder, name] : std::initializer_list<std::tuple<int16_t, const char*, const char*>>{
             {0, "/l/a", nullptr}, {-1, "/l/a", "f1"}, {0, "/l/a", "same"}, {0, "/l/a/sub", nullptr}, {1, "/l/a/sub", "f2"},
             {0, "/l/ab", nullptr}, {-1, "/l/ab", "f3"}}) {
        CompareRow row = name ? File(action, QString(), QString::fromLatin1(name), QString::fromLatin1(name))
                              : Folder(action, QString::fromLatin1(folder), QString::fromLatin1(folder));
        row.SetFolder(0, QString::fromLatin1(folder));
        row.Selected = false;
        view.push_back(row);
    }
    ASSERT_TRUE(ToggleFilesRow(view, 1, false));
    EXPECT_TRUE(view[1].Selected && view[2].Selected);
    EXPECT_FALSE(view[3].Selected || view[5].Selected);  // nothing to do; past the next folder
    view[5].Selected = view[7].Selected = true;
    ASSERT_TRUE(ToggleFilesRow(view, 1, true));  // untick with Shift: through "sub", not "ab"
    EXPECT_FALSE(view[1].Selected || view[2].Selected || view[4].Selected || view[5].Selected);
    EXPECT_TRUE(view[7].Selected);
    EXPECT_FALSE(ToggleFilesRow(view, 8, false));
}
