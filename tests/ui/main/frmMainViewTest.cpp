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

using Options = std::array<bool, 5>;
const Options DeleteIn1{true, true, false, true, false};
const Options DeleteIn2{true, true, false, false, true};
const Options NoCopies{false, false, true, true, true};  // reversed, deleting on both sides

CompareRow WithArchive(CompareRow row, int side) {
    row.Attributes[side] = Attr::Archive;
    return row;
}

// Colour of one cell and the direction marker of a row, by row kind and the five options.
TEST(FilesPageTest, ColoursAndMarkersByRowKindAndOptions) {
    struct Case {
        const char* what;
        CompareRow row;
        Options options;
        uint32_t archiveMask;
        int cell;          // whose colour is checked
        QColor fore;
        QString marker;    // the direction column
    };
    const Case cases[] = {
        {"same on both sides", FileRow(0, "a", "a"), Copying, 0, 1, FilesColor::Same, QString()},
        {"differing in case only", FileRow(0, "a", "A"), Copying, 0, 7, FilesColor::CaseOnly, QString()},
        {"matching a delete mask", FileRow(0, "x.tmp", "x.tmp", true), Copying, 0, 1, FilesColor::DeleteMatch, Marker::Delete},
        {"newer on the left", FileRow(-1, "a", "a"), Copying, 0, 3, FilesColor::ToRight, Marker::ToRight},
        {"newer on the left, archive bit checked", WithArchive(FileRow(-1, "a", "a"), 0), Copying, 32, 1,
         FilesColor::ToRightArchive, Marker::ToRight},
        {"archive bit not checked", WithArchive(FileRow(-1, "a", "a"), 0), Copying, 0, 1, FilesColor::ToRight, Marker::ToRight},
        {"no copying to the right: the colour stays", FileRow(-1, "a", "a"), NoCopies, 0, 1, FilesColor::ToRight, QString()},
        {"left only, delete in 1", FileRow(-1, "a", ""), DeleteIn1, 0, 1, FilesColor::ToRight, Marker::Delete},
        {"left only, delete in 2 leaves it", FileRow(-1, "a", ""), {false, true, false, false, true}, 0, 1,
         FilesColor::ToRight, QString()},
        {"newer on the right", FileRow(1, "a", "a"), Copying, 0, 5, FilesColor::ToLeft, Marker::ToLeft},
        {"newer on the right, archive bit checked", WithArchive(FileRow(1, "a", "a"), 1), Copying, 32, 5,
         FilesColor::ToLeftArchive, Marker::ToLeft},
        {"no copying to the left", FileRow(1, "a", "a"), {true, false, false, false, false}, 0, 5, FilesColor::ToLeft, QString()},
        {"right only, delete in 2", FileRow(1, "", "a"), DeleteIn2, 0, 5, FilesColor::ToLeft, Marker::Delete},
        {"right only, delete in 1 leaves it", FileRow(1, "", "a"), DeleteIn1, 0, 5, FilesColor::ToLeft, Marker::ToLeft},
        {"right only, reversed and deleting", FileRow(1, "", "a"), NoCopies, 0, 5, FilesColor::ToLeft, Marker::Delete},
        {"unchanged folder", FolderRow(0, "/l/d", "/r/d"), Copying, 0, 2, FilesColor::FolderSame, QString()},
        {"folder to the right", FolderRow(-1, "/l/d", "/r/d"), Copying, 0, 1, FilesColor::ToRight, Marker::ToRight},
        {"folder, delete in 1", FolderRow(-1, "/l/d", "/r/d"), DeleteIn1, 0, 1, FilesColor::ToRight, Marker::Delete},
        {"folder to the left, no copying there", FolderRow(1, "/l/d", "/r/d"), {true, false, false, false, false}, 0, 5,
         FilesColor::ToLeft, QString()},
        {"folder to the left", FolderRow(1, "/l/d", "/r/d"), Copying, 0, 5, FilesColor::ToLeft, Marker::ToLeft},
        {"folder with an unknown direction", FolderRow(7, "/l/d", "/r/d"), Copying, 0, 4, QColor(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FilesPageRow row = FormatFilesRow(c.row, c.options, c.archiveMask);
        EXPECT_EQ(row.cells[static_cast<size_t>(c.cell)].fore, c.fore);
        EXPECT_EQ(row.cells[4].text, c.marker);
        EXPECT_TRUE(row.cells[4].marker);
        EXPECT_EQ(row.folder, c.row.IsFolder());
    }
}

TEST(FilesPageTest, FolderRowsAreBoldOnBlueAndUntickedRowsGrey) {
    const FilesPageRow folder = FormatFilesRow(FolderRow(-1, "/l/d", "/r/d"), Copying, 0);
    EXPECT_EQ(folder.cells[0].back, FilesColor::FolderBack);
    EXPECT_TRUE(folder.cells[1].bold);
    EXPECT_FALSE(folder.cells[4].bold);
    EXPECT_EQ(folder.cells[3].text, QStringLiteral("/l/d"));
    EXPECT_EQ(folder.cells[7].text, QStringLiteral("/r/d"));

    // An unselected row shows its marker in grey; a missing side leaves its cells empty.
    CompareRow unticked = FileRow(-1, "a", "");
    unticked.Selected = false;
    const FilesPageRow grey = FormatFilesRow(unticked, Copying, 0);
    EXPECT_TRUE(grey.cells[4].greyText);
    EXPECT_FALSE(FormatFilesRow(FileRow(-1, "a", ""), Copying, 0).cells[4].greyText);
    EXPECT_EQ(grey.cells[0].text, Marker::Empty);
    EXPECT_TRUE(grey.cells[5].text.isEmpty() && grey.cells[6].text.isEmpty() && grey.cells[7].text.isEmpty());
    EXPECT_EQ(grey.cells[2].text, QStringLiteral("0 bytes"));
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
    EXPECT_EQ(title.syncVisible, (std::array{true, false}));
    EXPECT_EQ(title.copyVisible, (std::array{true, false, false, false}));
    EXPECT_TRUE(title.deleteVisible[0]);
    EXPECT_EQ(title.copyOffset[0], 0);

    // Folder row on the right: both sync items, right-side items with and without subfolders.
    FilesMenuPlan folder = PlanFilesMenu(view, 1, 4, 6, false);
    ASSERT_EQ(folder.outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(folder.viewIndex, 4);
    EXPECT_EQ(folder.syncVisible, (std::array{true, true}));
    EXPECT_EQ(folder.copyVisible, (std::array{false, true, false, true}));
    EXPECT_TRUE(folder.deleteVisible[3]);
    EXPECT_EQ(folder.syncOffset, (std::array{1, 2}));
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
    const struct {
        int scroll, row, col;
        bool stale;
        FilesMenuOutcome outcome;
    } clicks[] = {{1, 3, 2, false, FilesMenuOutcome::None}, {1, 3, 6, false, FilesMenuOutcome::Menu},
                  {1, 2, 0, false, FilesMenuOutcome::None}, {1, 2, 4, false, FilesMenuOutcome::None},
                  {1, 2, 1, true, FilesMenuOutcome::Stale}, {1, 6, 1, false, FilesMenuOutcome::None},
                  {4, 3, 1, false, FilesMenuOutcome::None}};  // the last: index 6
    for (const auto& c : clicks)
        EXPECT_EQ(PlanFilesMenu(view, c.scroll, c.row, c.col, c.stale).outcome, c.outcome) << c.scroll << ' ' << c.row << ' ' << c.col;
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
