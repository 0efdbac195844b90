// The rules of the file list that need no window: colours and markers by row kind and options,
// the popup menu's items and captions, and ticking rows with and without Shift.

#include "ui/main/FilesMenu.h"
#include "ui/main/FilesPage.h"
#include "ui/main/FilesSelection.h"

#include <gtest/gtest.h>

namespace {
CompareRow FileRow(int16_t action, const QString& left, const QString& right, bool deleteMatch = false) {
    CompareRow row;
    row.SyncAction = action;
    row.Name[0] = left;
    row.Name[1] = right;
    row.Folder[0] = QStringLiteral("/l/");
    row.Folder[1] = QStringLiteral("/r/");
    row.DeleteMatch = deleteMatch;
    row.Selected = true;
    return row;
}
CompareRow FolderRow(int16_t action, const QString& left, const QString& right) {
    CompareRow row;
    row.SyncAction = action;
    row.Folder[0] = left;
    row.Folder[1] = right;
    row.Name[0] = left.section(QLatin1Char('/'), -1);
    row.Name[1] = right.section(QLatin1Char('/'), -1);
    row.Attributes[0] = row.Attributes[1] = Attr::Directory;
    row.Selected = true;
    return row;
}
const std::array<bool, 5> Copying{true, true, false, false, false};
}  // namespace

TEST(FilesPageTest, FileRowColoursAndMarkersFollowDirectionAndOptions) {
    // Same on both sides: black; case-only difference: light blue; delete match: magenta "M".
    EXPECT_EQ(FormatFilesRow(FileRow(0, "a", "a"), Copying, 0).cells[1].fore, FilesColor::Same);
    EXPECT_EQ(FormatFilesRow(FileRow(0, "a", "A"), Copying, 0).cells[7].fore, FilesColor::CaseOnly);
    const FilesPageRow del = FormatFilesRow(FileRow(0, "x.tmp", "x.tmp", true), Copying, 0);
    EXPECT_EQ(del.cells[1].fore, FilesColor::DeleteMatch);
    EXPECT_EQ(del.cells[4].text, Marker::Delete);

    // Left to right: red with an arrow; orange when only the left has the archive bit.
    FilesPageRow right = FormatFilesRow(FileRow(-1, "a", "a"), Copying, 0);
    EXPECT_EQ(right.cells[3].fore, FilesColor::ToRight);
    EXPECT_EQ(right.cells[4].text, Marker::ToRight);
    CompareRow archived = FileRow(-1, "a", "a");
    archived.Attributes[0] = Attr::Archive;
    EXPECT_EQ(FormatFilesRow(archived, Copying, 32).cells[1].fore, FilesColor::ToRightArchive);
    EXPECT_EQ(FormatFilesRow(archived, Copying, 0).cells[1].fore, FilesColor::ToRight);

    // Left only with "delete in 1": the delete mark; with neither option 0 nor 3: no marker.
    EXPECT_EQ(FormatFilesRow(FileRow(-1, "a", ""), {true, true, false, true, false}, 0).cells[4].text, Marker::Delete);
    EXPECT_TRUE(FormatFilesRow(FileRow(-1, "a", ""), {false, true, false, false, false}, 0).cells[4].text.isEmpty());

    // Right to left: blue, teal with the archive rule, "M" with option 4 when the left lacks it.
    EXPECT_EQ(FormatFilesRow(FileRow(1, "a", "a"), Copying, 0).cells[4].text, Marker::ToLeft);
    EXPECT_EQ(FormatFilesRow(FileRow(1, "a", "a"), Copying, 0).cells[5].fore, FilesColor::ToLeft);
    CompareRow leftArchive = FileRow(1, "a", "a");
    leftArchive.Attributes[1] = Attr::Archive;
    EXPECT_EQ(FormatFilesRow(leftArchive, Copying, 32).cells[5].fore, FilesColor::ToLeftArchive);
    EXPECT_EQ(FormatFilesRow(FileRow(1, "", "a"), {true, true, false, false, true}, 0).cells[4].text, Marker::Delete);

    // An unselected row shows its marker in grey; a missing side leaves its cells empty.
    CompareRow unticked = FileRow(-1, "a", "");
    unticked.Selected = false;
    const FilesPageRow grey = FormatFilesRow(unticked, Copying, 0);
    EXPECT_TRUE(grey.cells[4].greyText);
    EXPECT_EQ(grey.cells[0].text, Marker::Empty);
    EXPECT_TRUE(grey.cells[5].text.isEmpty() && grey.cells[6].text.isEmpty() && grey.cells[7].text.isEmpty());
    EXPECT_EQ(grey.cells[2].text, QStringLiteral("0 bytes"));
}

TEST(FilesPageTest, FolderRowsAreBoldOnBlueWithTheirOwnMarkers) {
    const FilesPageRow same = FormatFilesRow(FolderRow(0, "/l/d", "/r/d"), Copying, 0);
    EXPECT_TRUE(same.folder);
    EXPECT_EQ(same.cells[0].back, FilesColor::FolderBack);
    EXPECT_TRUE(same.cells[1].bold);
    EXPECT_EQ(same.cells[2].fore, FilesColor::FolderSame);
    EXPECT_EQ(same.cells[3].text, QStringLiteral("/l/d"));
    EXPECT_EQ(same.cells[7].text, QStringLiteral("/r/d"));
    const FilesPageRow toRight = FormatFilesRow(FolderRow(-1, "/l/d", "/r/d"), Copying, 0);
    EXPECT_EQ(toRight.cells[4].text, Marker::ToRight);
    EXPECT_FALSE(toRight.cells[4].bold);
    EXPECT_EQ(FormatFilesRow(FolderRow(-1, "/l/d", "/r/d"), {true, true, false, true, false}, 0).cells[4].text,
              Marker::Delete);
    EXPECT_EQ(FormatFilesRow(FolderRow(1, "/l/d", "/r/d"), {true, false, false, false, false}, 0).cells[4].text,
              QString());
    EXPECT_EQ(FormatFilesRow(FolderRow(7, "/l/d", "/r/d"), Copying, 0).cells[4].text, QString());
}

TEST(FilesMenuTest, DisplayNamesAreShortenedAtABlankAndKeepTheirAmpersands) {
    QString name = QString(60, QLatin1Char('x'));
    name[39] = QLatin1Char(' ');  // the only blank among characters 29 to 48 is number 40
    EXPECT_EQ(MenuDisplayName(name), name.left(40) + QChar(0x2026));
    EXPECT_EQ(MenuDisplayName(QString(60, QLatin1Char('y'))), QString(50, QLatin1Char('y')) + QChar(0x2026));
    EXPECT_EQ(MenuDisplayName(QStringLiteral("A & B")), QStringLiteral("A && B"));
    EXPECT_EQ(MenuDisplayName(QString(50, QLatin1Char('z'))), QString(50, QLatin1Char('z')));
}

TEST(FilesMenuTest, ItemsByRowKindAndSide) {
    ResultList view(1);
    view.push_back(FolderRow(0, "/l", "/r"));                       // 1
    view.push_back(FileRow(-1, "only-left.txt", ""));               // 2
    view.push_back(FileRow(1, "", "only-right.txt"));               // 3
    view.push_back(FolderRow(0, "/l/sub", "/r/sub"));               // 4
    view.push_back(FileRow(-1, "both.txt", "both.txt"));            // 5

    // Title row: the first sync item, the clicked side's items with subfolders, key offset 0.
    FilesMenuPlan title = PlanFilesMenu(view, 1, 0, 2, false);
    ASSERT_EQ(title.outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(title.viewIndex, 0);
    EXPECT_TRUE(title.syncVisible[0]);
    EXPECT_FALSE(title.syncVisible[1]);
    EXPECT_TRUE(title.copyVisible[0] && title.deleteVisible[0]);
    EXPECT_FALSE(title.copyVisible[1] || title.copyVisible[2] || title.copyVisible[3]);
    EXPECT_EQ(title.copyOffset[0], 0);

    // Folder row on the right: both sync items, right-side items with and without subfolders.
    FilesMenuPlan folder = PlanFilesMenu(view, 1, 4, 6, false);
    ASSERT_EQ(folder.outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(folder.viewIndex, 4);
    EXPECT_TRUE(folder.syncVisible[0] && folder.syncVisible[1]);
    EXPECT_TRUE(folder.copyVisible[1] && folder.copyVisible[3] && folder.deleteVisible[3]);
    EXPECT_FALSE(folder.copyVisible[0] || folder.copyVisible[2]);
    EXPECT_EQ(folder.syncOffset[0], 1);
    EXPECT_EQ(folder.syncOffset[1], 2);
    EXPECT_EQ(folder.deleteOffset[3], 1);
    EXPECT_TRUE(folder.captionArgs.isEmpty());

    // File row present on both sides, left click: left items, offset 2 and the name.
    FilesMenuPlan file = PlanFilesMenu(view, 1, 5, 1, false);
    ASSERT_EQ(file.outcome, FilesMenuOutcome::Menu);
    EXPECT_FALSE(file.syncVisible[0] || file.separator0);
    EXPECT_TRUE(file.copyVisible[0] && file.deleteVisible[0]);
    EXPECT_FALSE(file.copyVisible[2] || file.copyVisible[1]);
    EXPECT_EQ(file.copyOffset[0], 2);
    EXPECT_EQ(file.captionArgs, QStringList{QStringLiteral("both.txt")});

    // The empty half of a one-sided row, the marker columns, a stale list, rows beyond the list.
    EXPECT_EQ(PlanFilesMenu(view, 1, 3, 2, false).outcome, FilesMenuOutcome::None);
    EXPECT_EQ(PlanFilesMenu(view, 1, 3, 6, false).outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(PlanFilesMenu(view, 1, 2, 0, false).outcome, FilesMenuOutcome::None);
    EXPECT_EQ(PlanFilesMenu(view, 1, 2, 4, false).outcome, FilesMenuOutcome::None);
    EXPECT_EQ(PlanFilesMenu(view, 1, 2, 1, true).outcome, FilesMenuOutcome::Stale);
    EXPECT_EQ(PlanFilesMenu(view, 1, 6, 1, false).outcome, FilesMenuOutcome::None);
    EXPECT_EQ(PlanFilesMenu(view, 4, 3, 1, false).outcome, FilesMenuOutcome::None);  // index 6
    EXPECT_EQ(PlanFilesMenu(ResultList(1), 1, 0, 1, false).outcome, FilesMenuOutcome::None);
}

TEST(FilesSelectionTest, FolderClicksCarryTheirFilesAndWithShiftTheirSubfolders) {
    ResultList view(1);
    view.push_back(FolderRow(0, "/l/a", "/r/a"));        // 1
    view.push_back(FileRow(-1, "f1", "f1"));             // 2
    view.push_back(FileRow(0, "same", "same"));          // 3
    view.push_back(FolderRow(0, "/l/a/sub", "/r/a/sub"));  // 4
    view.push_back(FileRow(1, "f2", "f2"));              // 5
    view.push_back(FolderRow(0, "/l/ab", "/r/ab"));      // 6: not inside /l/a
    view.push_back(FileRow(-1, "f3", "f3"));             // 7
    for (CompareRow& row : view) row.Selected = false;

    // Ticking without Shift: the folder and its own changed files, up to the next folder.
    ASSERT_TRUE(ToggleFilesRow(view, 1, false));
    EXPECT_TRUE(view[1].Selected && view[2].Selected);
    EXPECT_FALSE(view[3].Selected);  // nothing to do: keeps its mark
    EXPECT_FALSE(view[5].Selected);

    // Unticking with Shift: through the subfolder, stopping at the sibling "/l/ab".
    view[5].Selected = view[7].Selected = true;
    ASSERT_TRUE(ToggleFilesRow(view, 1, true));
    EXPECT_FALSE(view[1].Selected || view[2].Selected || view[4].Selected || view[5].Selected);
    EXPECT_TRUE(view[7].Selected);

    // A file row toggles alone; indices outside the list do nothing.
    EXPECT_TRUE(ToggleFilesRow(view, 3, false));
    EXPECT_TRUE(view[3].Selected);
    EXPECT_FALSE(ToggleFilesRow(view, 0, false));
    EXPECT_FALSE(ToggleFilesRow(view, 8, false));
}
