// The main window's file list on rows of every kind: the page shows the row rules under the
// toolbar options, ticks, filters and counts, the row menu, and how it looks.

#include "MainWindowTesting.h"
#include "i18n/TextLookup.h"
#include "ui/main/clsLongScroll.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QToolBar>

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
        list->UpdateView(0);
        commands = &window->Commands();
        ASSERT_GE(list->PageSize(), RightSubFile);
    }
    const TOFlexGridCell& Cell(int row, int col) const { return grid->Model()->Cell(row, col); }
    bool Selected(int index) const { return CurrentFileView().ViewList[static_cast<size_t>(index)].Selected; }
    void Option(int digit, bool on) {
        commands->Toolbar(3)->actions()[digit]->setChecked(on);
        commands->ToolbarClick(3, digit);
    }
    QAction* Item(const char* name) const { return commands->RowMenu()->findChild<QAction*>(QString::fromLatin1(name)); }
    MainCommands* commands = nullptr;
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
            for (int c = 0; c < MainFileList::ColumnCount; ++c) {
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
    Option(0, false);
    Option(3, true);
    expectPageFollowsRules("no copies to the right, delete in 1");
    EXPECT_EQ(Cell(LeftOnly, 4).text, Marker::Delete);
    // Empty page rows below the list have no marks; a time column holds a whole date and time.
    EXPECT_TRUE(Cell(RightSubFile + 1, 0).text.isEmpty());
    EXPECT_GE(grid->ColWidth(3), QFontMetrics(grid->font()).horizontalAdvance(grid->TextMatrix(Same, 3)) + 6);
}

// Which rows a folder's click carries along is checked in frmMainViewTest; here the title's mark
// takes a real click on the title and ticks or unticks the whole list.
TEST_F(GridFixture, TheTitleMarkSelectsAllAndUntickedRowsShowTheirDirectionGrey) {
    // The title cell keeps its character for the program and is drawn as a box, never as "þ".
    EXPECT_EQ(grid->TextMatrix(0, 0), Marker::Ticked);
    EXPECT_TRUE(grid->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty());
    // Every row that proposes something, matches the delete masks or is a folder starts ticked.
    EXPECT_FALSE(Selected(Same) || Selected(CaseOnly));
    EXPECT_TRUE(Selected(DeleteMatch) && Selected(Root));
    Click(ToRight, 1);
    EXPECT_FALSE(Selected(ToRight));
    EXPECT_EQ(Cell(ToRight, 4).fore, grid->palette().color(QPalette::Disabled, QPalette::Text));
    QWidget* titles = grid->horizontalHeader()->viewport();
    MouseClick(titles, titles->mapFrom(grid, grid->CellRect(0, 0).center()));
    EXPECT_EQ(grid->TextMatrix(0, 0), Marker::Empty);
    for (int r = Root; r <= RightSubFile; ++r) EXPECT_FALSE(Selected(r)) << r;
    Click(0, 0, Qt::ShiftModifier);  // with Shift: the rows that propose something
    EXPECT_TRUE(Selected(ToRight) && !Selected(Same));
    // A double-click on the title ticks every row, the unchanged ones too.
    list->DoubleClick(0, 0);
    for (int r = Root; r <= RightSubFile; ++r) EXPECT_TRUE(Selected(r)) << r;
}

// What each filter lists and the counts themselves are checked in FileViewTest; here the count
// boxes say what the run will do and a filter rebuilds the page.
TEST_F(GridFixture, FiltersRebuildTheListAndTheCountBoxesSayWhatTheRunWillDo) {
    // Boxes 0 and 2 count what the run will do to folder 2 and to folder 1: copies of ticked
    // rows with their size, and the deletions (here the delete mask's x.tmp) apart.
    const auto box = [](int files, int folders, const char* size, int deleteKey, int deletions) {
        return FormatMsg(files ? 701 : 700, {QString::number(files)}) + FormatMsg(folders ? 711 : 710, {QString::number(folders)}) +
               (files ? FormatMsg(1212, {QString::fromLatin1(size)}) : QString()) +
               (deletions ? FormatMsg(deleteKey, {QString::number(deletions)}) : QString());
    };
    EXPECT_EQ(list->CountText(0), box(3, 1, "30 bytes", 1214, 1));
    EXPECT_EQ(list->CountText(2), box(3, 1, "60 bytes", 1213, 1));
    Click(ToRight, 0);  // untick new.txt
    EXPECT_EQ(list->CountText(0), box(2, 1, "20 bytes", 1214, 1));
    Option(4, true);  // entries only on the right are deleted there instead of copied
    EXPECT_EQ(list->CountText(0), box(2, 1, "20 bytes", 1214, 4));
    EXPECT_EQ(list->CountText(2), box(1, 0, "20 bytes", 1213, 1));
    Option(4, false);
    EXPECT_EQ(list->CountText(1), FormatMsg(703, {QStringLiteral("2")}) + FormatMsg(713, {QStringLiteral("1")}));
    commands->ToolbarClick(1, 2);  // modified in folder 1
    EXPECT_EQ(grid->TextMatrix(2, 1), QStringLiteral("new.txt"));
    EXPECT_EQ(list->CountText(2), FormatMsg(700) + FormatMsg(710));
    commands->ToolbarClick(1, 5);  // "Same": the second filter does not apply and is off
    EXPECT_FALSE(commands->Toolbar(2)->isEnabled());
    // An empty result gives a page of empty rows and a scroll maximum of 1.
    CurrentFileView().Results = ResultList(1);
    commands->ToolbarClick(1, 0);
    EXPECT_TRUE(commands->Toolbar(2)->isEnabled());
    EXPECT_EQ(list->Scroll()->Max(), 1);
    EXPECT_TRUE(grid->TextMatrix(1, 1).isEmpty());
}

// Which items a row kind gets is checked in frmMainViewTest; here the real menu shows the plan's
// items with the captions its offsets choose.
TEST_F(GridFixture, RowMenuItemsAndCaptionsFollowThePlan) {
    ASSERT_EQ(list->RowMenu(0, 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    EXPECT_TRUE(Item("mnuPop3_Sync_0")->isVisible());
    EXPECT_FALSE(Item("mnuPop3_Sync_1")->isVisible());
    EXPECT_EQ(Item("mnuPop3_Sync_0")->text(), FormatMsg(500));
    ASSERT_EQ(list->RowMenu(Root, 6, QPoint()).outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(Item("mnuPop3_Sync_1")->text(), FormatMsg(512));
    EXPECT_EQ(Item("mnuPop3_Del_1")->text(), FormatMsg(571));
    EXPECT_FALSE(Item("mnuPop3_Copy_0")->isVisible());
    EXPECT_EQ(list->Cursor(), Root);
    ASSERT_EQ(list->RowMenu(ToRight, 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    EXPECT_EQ(Item("mnuPop3_Copy_0")->text(), FormatMsg(522, {QStringLiteral("new.txt")}));
    // A stale list answers with a message and no menu.
    list->MarkStale();
    EXPECT_EQ(list->RowMenu(ToRight, 1, QPoint()).outcome, FilesMenuOutcome::Stale);
    EXPECT_EQ(host.messagesShown.size(), 1);
}
