// What the file list's grid shows and does for each kind of row: colours, markers and merged
// folder cells under the five options, the boxed title mark, filters and counts, select-all,
// folder walks with and without Shift, and the popup menu's items and captions.

#include "MainWindowTesting.h"
#include "support/TempTree.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesPage.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

CompareRow Folder(int16_t action, const QString& left, const QString& right, bool leftExists = true,
                  bool rightExists = true) {
    CompareRow row;
    row.SyncAction = action;
    row.Folder[0] = left;
    row.Folder[1] = right;
    // A folder on one side only carries its attributes on both, as the merge gives it.
    row.Attributes[0] = row.Attributes[1] = Attr::Directory;
    if (leftExists) row.Name[0] = QStringLiteral("d");
    if (rightExists) row.Name[1] = QStringLiteral("d");
    return row;
}

CompareRow File(int16_t action, const QString& folder, const QString& left, const QString& right,
                bool deleteMatch = false) {
    CompareRow row;
    row.SyncAction = action;
    row.Folder[0] = QStringLiteral("/l/") + folder;
    row.Folder[1] = QStringLiteral("/r/") + folder;
    row.Name[0] = left;
    row.Name[1] = right;
    row.Size[0] = left.isEmpty() ? 0 : 10;
    row.Size[1] = right.isEmpty() ? 0 : 20;
    row.Time[0] = row.Time[1] = 40000.5;
    row.DeleteMatch = deleteMatch;
    return row;
}

// Result rows of every kind, in the order a compare produces them.
enum Row { Root = 1, Same, CaseOnly, DeleteMatch, ToRight, LeftOnly, ToLeft, RightOnly, LeftSub, LeftSubFile, RightSub, RightSubFile };

struct GridFixture : FileListFixture {
    void SetUp() override {
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
        ViewOptions& options = CurrentProfile().profile.View;
        options.SyncOptions = {true, true, false, false, false};
        options.ShowEmptyFolders = true;
        window->UpdateFilesView(0);
        ASSERT_GE(window->PageSize(), RightSubFile);
    }
    const TOFlexGridCell& Cell(int row, int col) const { return grid->Model()->Cell(row, col); }
    bool Selected(int index) const { return CurrentFileView().ViewList[static_cast<size_t>(index)].Selected; }
    void Option(int digit, bool on) {
        window->toolbar(3)->actions()[digit]->setChecked(on);
        window->ToolbarClick(3, digit);
    }
    QAction* Item(const char* name) const { return window->mnuPop3()->findChild<QAction*>(QString::fromLatin1(name)); }
};

}  // namespace

// The rules themselves are checked row kind by row kind in frmMainViewTest; here the page must
// show exactly what they give, for the rows of the list and the options of the toolbar.
TEST_F(GridFixture, PageShowsTheRowRulesUnderTheToolbarOptions) {
    const auto expectPageFollowsRules = [&](const char* when) {
        SCOPED_TRACE(when);
        const std::array<bool, 5>& options = CurrentProfile().profile.View.SyncOptions;
        for (int r = Root; r <= RightSubFile; ++r) {
            const FilesPageRow want = FormatFilesRow(CurrentFileView().ViewList[static_cast<size_t>(r)], options, 0);
            for (int c = 0; c < 8; ++c) {
                const FilesCell& w = want.cells[static_cast<size_t>(c)];
                EXPECT_EQ(Cell(r, c).text, w.text) << r << ',' << c;
                if (!w.greyText) {
                    EXPECT_EQ(Cell(r, c).fore, w.fore) << r << ',' << c;
                }
                EXPECT_EQ(Cell(r, c).back, w.back) << r << ',' << c;
                EXPECT_EQ(Cell(r, c).bold, w.bold) << r << ',' << c;
                EXPECT_EQ(TOFlexGridModel::IsMarker(Cell(r, c)), w.marker && !w.text.isEmpty()) << r << ',' << c;
            }
            // Folder rows merge each side into one cell; file rows never merge.
            EXPECT_EQ(grid->columnSpan(r - 1, 1), want.folder ? 3 : 1) << r;
        }
    };
    expectPageFollowsRules("as loaded");
    EXPECT_EQ(Cell(ToRight, 4).text, Marker::ToRight);
    Option(0, false);
    Option(3, true);
    expectPageFollowsRules("no copies to the right, delete in 1");
    EXPECT_EQ(Cell(LeftOnly, 4).text, Marker::Delete);
    Option(1, false);
    Option(4, true);
    Option(2, true);
    EXPECT_EQ(CurrentProfile().profile.View.SyncOptions, (std::array<bool, 5>{false, false, true, true, true}));
    expectPageFollowsRules("every option turned");
    EXPECT_EQ(Cell(RightOnly, 4).text, Marker::Delete);

    EXPECT_EQ(Cell(Same, 2).text, QStringLiteral("10 bytes"));
    const QModelIndex arrow = grid->model()->index(ToLeft - 1, 0);
    EXPECT_EQ(arrow.data(Qt::AccessibleTextRole).toString(), TOFlexGridModel::MarkerMeaning(Marker::Check(Selected(ToLeft))));
    // Empty page rows below the list have no marks.
    EXPECT_TRUE(Cell(RightSubFile + 1, 0).text.isEmpty());
}

TEST_F(GridFixture, TitleMarkIsABoxAndSelectAllFollowsIt) {
    // The title cell keeps its character for the program and is drawn as a box, never as "þ".
    EXPECT_EQ(grid->TextMatrix(0, 0), Marker::Ticked);
    EXPECT_TRUE(TOFlexGridModel::IsMarker(Cell(0, 0)));
    EXPECT_TRUE(grid->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty());
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
              TOFlexGridModel::MarkerMeaning(Marker::Ticked));
    EXPECT_EQ(grid->TextMatrix(0, 1), FormatMsg(126, {QStringLiteral("|"), CurrentProfile().profile.Options.ListName[0],
                                                      CurrentProfile().profile.Options.ListName[1]}).section(QLatin1Char('|'), 1, 1));

    // Every row that proposes something, matches the delete masks or is a folder starts ticked.
    EXPECT_FALSE(Selected(Same));
    EXPECT_FALSE(Selected(CaseOnly));
    EXPECT_TRUE(Selected(DeleteMatch));
    EXPECT_TRUE(Selected(Root));
    // An unticked row shows its direction in grey.
    window->ClickFiles(ToRight, 1, Qt::LeftButton, Qt::NoModifier, QPoint());
    EXPECT_FALSE(Selected(ToRight));
    EXPECT_EQ(Cell(ToRight, 4).fore, grid->palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(Cell(ToRight, 0).text, Marker::Empty);

    window->ClickFiles(0, 0, Qt::LeftButton, Qt::NoModifier, QPoint());
    EXPECT_EQ(grid->TextMatrix(0, 0), Marker::Empty);
    for (int r = Root; r <= RightSubFile; ++r) EXPECT_FALSE(Selected(r)) << r;
    window->ClickFiles(0, 0, Qt::LeftButton, Qt::ShiftModifier, QPoint());
    EXPECT_EQ(grid->TextMatrix(0, 0), Marker::Ticked);
    EXPECT_TRUE(Selected(ToRight));
    EXPECT_FALSE(Selected(Same));
    // A double-click on the title ticks every row, the unchanged ones too.
    window->DoubleClickFiles(0, 0);
    for (int r = Root; r <= RightSubFile; ++r) EXPECT_TRUE(Selected(r)) << r;
}

// The walk itself is checked in frmMainViewTest; here the clicks reach it with their keys.
TEST_F(GridFixture, FolderClicksReachTheWalkWithShiftAndCtrlDoesNothing) {
    // With Shift the walk runs on through the folders inside the clicked one.
    window->ClickFiles(Root, 0, Qt::LeftButton, Qt::ShiftModifier, QPoint());
    for (int r = Root; r <= RightSubFile; ++r) EXPECT_FALSE(Selected(r)) << r;
    // Without Shift it ends at the next folder row and ticks only rows with something to do.
    window->ClickFiles(Root, 0, Qt::LeftButton, Qt::NoModifier, QPoint());
    EXPECT_TRUE(Selected(Root) && Selected(ToRight) && Selected(DeleteMatch));
    EXPECT_FALSE(Selected(Same) || Selected(LeftSub));
    EXPECT_EQ(Cell(ToRight, 0).text, Marker::Ticked);
    window->ClickFiles(Same, 0, Qt::LeftButton, Qt::ControlModifier, QPoint());
    EXPECT_FALSE(Selected(Same));
}

TEST_F(GridFixture, FiltersRebuildTheListAndTheCounts) {
    const FileView& view = CurrentFileView();
    EXPECT_EQ(view.LastIndex(), RightSubFile);
    EXPECT_EQ(view.FileCounts, (std::array<int, 3>{4, 2, 4}));
    EXPECT_EQ(view.FolderCounts, (std::array<int, 3>{1, 1, 1}));
    // Boxes 0 and 2 count what the run will do to folder 2 and to folder 1: copies of ticked
    // rows with their size, and the deletions (here the delete mask's x.tmp) apart.
    const auto box = [](int files, int folders, const char* size, int deleteKey, int deletions) {
        return FormatMsg(files ? 701 : 700, {QString::number(files)}) + FormatMsg(folders ? 711 : 710, {QString::number(folders)}) +
               (files ? FormatMsg(1212, {QString::fromLatin1(size)}) : QString()) +
               (deletions ? FormatMsg(deleteKey, {QString::number(deletions)}) : QString());
    };
    EXPECT_EQ(window->CountBoxText(0), box(3, 1, "30 bytes", 1214, 1));
    EXPECT_EQ(window->CountBoxText(2), box(3, 1, "60 bytes", 1213, 1));
    window->ClickFiles(ToRight, 0, Qt::LeftButton, Qt::NoModifier, QPoint());  // untick new.txt
    EXPECT_EQ(window->CountBoxText(0), box(2, 1, "20 bytes", 1214, 1));
    Option(4, true);  // entries only on the right are deleted there instead of copied
    EXPECT_EQ(window->CountBoxText(0), box(2, 1, "20 bytes", 1214, 4));
    EXPECT_EQ(window->CountBoxText(2), box(1, 0, "20 bytes", 1213, 1));
    Option(4, false);
    window->ClickFiles(ToRight, 0, Qt::LeftButton, Qt::NoModifier, QPoint());
    EXPECT_EQ(window->CountBoxText(0), box(3, 1, "30 bytes", 1214, 1));
    EXPECT_EQ(window->CountBoxText(1), FormatMsg(703, {QStringLiteral("2")}) + FormatMsg(713, {QStringLiteral("1")}));

    window->ToolbarClick(1, 2);  // modified in folder 1
    for (int i = 1; i <= view.LastIndex(); ++i) {
        const CompareRow& row = view.ViewList[static_cast<size_t>(i)];
        EXPECT_TRUE(row.SyncAction == -1 || (row.SyncAction <= 0 && (row.Attributes[0] & Attr::Directory)));
    }
    EXPECT_EQ(view.FileCounts, (std::array<int, 3>{3, 0, 0}));
    EXPECT_EQ(window->CountBoxText(2), FormatMsg(700) + FormatMsg(710));
    window->ToolbarClick(1, 3);  // modified in folder 2
    EXPECT_EQ(view.FileCounts, (std::array<int, 3>{0, 0, 3}));
    window->ToolbarClick(1, 0);
    window->ToolbarClick(2, 2);  // one side only: names that differ, and folders
    for (int i = 1; i <= view.LastIndex(); ++i) {
        const CompareRow& row = view.ViewList[static_cast<size_t>(i)];
        EXPECT_TRUE(row.Name[0] != row.Name[1] || (row.Attributes[0] & Attr::Directory)) << i;
    }
    EXPECT_EQ(grid->TextMatrix(2, 1), QStringLiteral("Case.txt"));
    window->ToolbarClick(2, 1);  // both sides
    EXPECT_EQ(view.FileCounts, (std::array<int, 3>{2, 1, 2}));
    window->ToolbarClick(2, 0);
    // Without empty folders, a folder with nothing to do followed by a folder row goes.
    CurrentFileView().Results[Root].SyncAction = 0;
    window->toolbar(0)->actions()[0]->setChecked(false);
    window->ToolbarClick(0, 0);
    EXPECT_FALSE(CurrentProfile().profile.View.ShowEmptyFolders);
    EXPECT_EQ(view.LastIndex(), RightSubFile);  // the root is followed by files: kept
    CurrentFileView().Results.erase(CurrentFileView().Results.begin() + Same, CurrentFileView().Results.begin() + LeftSub);
    window->ToolbarClick(1, 0);
    EXPECT_EQ(view.ViewList[1].Folder[0], QStringLiteral("/l/sub/"));
    // An empty result gives a page of empty rows and a scroll maximum of 1.
    CurrentFileView().Results = ResultList(1);
    window->ToolbarClick(1, 0);
    EXPECT_EQ(window->vlsbFiles()->Max(), 1);
    EXPECT_TRUE(grid->TextMatrix(1, 1).isEmpty());
    EXPECT_TRUE(grid->TextMatrix(1, 0).isEmpty());
}

// Which items a row kind gets is checked in frmMainViewTest; here the real menu follows the plan
// and looks its captions up with the offsets.
TEST_F(GridFixture, PopupItemsAndCaptionsFollowThePlan) {
    ASSERT_EQ(window->ShowFilesMenu(0, 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    EXPECT_TRUE(Item("mnuPop3_Sync_0")->isVisible());
    EXPECT_FALSE(Item("mnuPop3_Sync_1")->isVisible());
    EXPECT_EQ(Item("mnuPop3_Sync_0")->text(), FormatMsg(500));
    EXPECT_EQ(window->CurrentViewIndex(), 0);

    ASSERT_EQ(window->ShowFilesMenu(Root, 6, QPoint()).outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(Item("mnuPop3_Sync_0")->text(), FormatMsg(501));
    EXPECT_EQ(Item("mnuPop3_Sync_1")->text(), FormatMsg(512));
    EXPECT_TRUE(Item("mnuPop3_Sync_1")->isVisible() && Item("mnuPop3_Del_3")->isVisible());
    EXPECT_FALSE(Item("mnuPop3_Copy_0")->isVisible());
    EXPECT_EQ(Item("mnuPop3_Del_1")->text(), FormatMsg(571));
    EXPECT_EQ(window->CurrentViewIndex(), Root);

    ASSERT_EQ(window->ShowFilesMenu(ToRight, 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    EXPECT_FALSE(Item("mnuPop3_Sync_0")->isVisible());
    EXPECT_EQ(Item("mnuPop3_Copy_0")->text(), FormatMsg(522, {QStringLiteral("new.txt")}));

    // The empty left half of a right-only row opens nothing; its right half does.
    EXPECT_EQ(window->ShowFilesMenu(RightOnly, 1, QPoint()).outcome, FilesMenuOutcome::None);
    EXPECT_EQ(window->ShowFilesMenu(RightOnly, 7, QPoint()).outcome, FilesMenuOutcome::Menu);
}
