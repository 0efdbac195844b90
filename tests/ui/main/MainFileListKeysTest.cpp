// The file list by keyboard and screen reader: the row cursor moves through the whole list and
// the page follows; every way of ticking takes the click's path; Enter and the Menu key act on
// the cursor row; the accessible table reads the whole list; Tab reaches every control.

#include "MainWindowTesting.h"
#include "i18n/TextLookup.h"
#include "ui/main/clsLongScroll.h"

#include <QAccessibleWidget>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace {

constexpr int FileRows = 500;

QString Name(int i) { return QStringLiteral("file%1.txt").arg(i, 4, 10, QLatin1Char('0')); }

struct KeyboardFixture : FileListFixture {
    void SetUp() override {
        OpenWindow(1000, 640);
        FileView& view = CurrentFileView();
        view.Results = ResultList(1);
        // A folder whose files copy to the right, all on the left only.
        CompareRow folder;
        folder.Folder[0] = QStringLiteral("/l/sub/");
        folder.Folder[1] = QStringLiteral("/r/sub/");
        folder.Name[0] = folder.Name[1] = QStringLiteral("sub");
        folder.Attributes[0] = folder.Attributes[1] = Attr::Directory;
        view.Results.push_back(folder);
        for (int i = 1; i <= FileRows; ++i) {
            CompareRow row;
            row.SyncAction = -1;
            row.Folder[0] = QStringLiteral("/l/sub/");
            row.Folder[1] = QStringLiteral("/r/sub/");
            row.Name[0] = Name(i);
            row.Size[0] = i;
            row.Time[0] = 40000.5;
            view.Results.push_back(row);
        }
        view.Stale = false;
        CurrentProfile().profile.View.SyncOptions = {true, true, false, false, false};
        CurrentProfile().profile.View.ShowEmptyFolders = true;
        list->UpdateView(0);
        grid->setFocus();
        QApplication::processEvents();
        page = list->PageSize();
        ASSERT_LT(page, 100);
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QApplication::sendEvent(grid, &press);
    }
    bool Ticked(int index) const { return CurrentFileView().ViewList[static_cast<size_t>(index)].Selected; }
    QAccessibleTableInterface* Table() const { return QAccessible::queryAccessibleInterface(grid)->tableInterface(); }
    QModelIndex TickCell(int index) const {
        return grid->Model()->index(index - list->Scroll()->Value() + 1 - grid->Model()->HeaderRows(), 0);
    }
    int page = 0;
};

}  // namespace

TEST_F(KeyboardFixture, CursorKeysMoveThroughTheWholeListAndThePageFollows) {
    clsLongScroll* scroll = list->Scroll();
    EXPECT_EQ(list->Cursor(), 1);  // the list got the focus: the cursor shows at once
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(grid->CursorRow(), 3);
    Key(Qt::Key_End);
    EXPECT_EQ(list->Cursor(), FileRows + 1);
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page + 1);
    EXPECT_EQ(grid->CursorRow(), page);
    EXPECT_EQ(grid->TextMatrix(page, 1), Name(FileRows));
    // The scrollbar reports the place in the whole list, not its own 0..32767.
    QAccessibleValueInterface* place = QAccessible::queryAccessibleInterface(scroll->Client())->valueInterface();
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->currentValue().toInt(), FileRows + 1 - page + 1);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(list->Cursor(), FileRows + 1 - page);
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page);  // the page scrolled up to the cursor
    Key(Qt::Key_Down);  // within the page: the page stays
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page);
    EXPECT_EQ(grid->CursorRow(), 2);
    Key(Qt::Key_Home);
    Key(Qt::Key_Up);
    EXPECT_EQ(list->Cursor(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(list->Cursor(), 1 + page);
    EXPECT_EQ(scroll->Value(), 2);
}

TEST_F(KeyboardFixture, SpaceMouseAndToggleTickThroughTheClicksPath) {
    const std::pair<const char*, std::function<void(int)>> ways[] = {
        {"Space", [this](int index) { list->MoveCursor(index); Key(Qt::Key_Space); }},
        // A real click on the tick cell ticks once: the click's code, not the cell's box too.
        {"mouse", [this](int index) { MouseClick(grid->viewport(), grid->visualRect(TickCell(index)).center()); }},
        {"Toggle", [this](int index) { AccessibleToggle(Table()->cellAt(index - 1, 0)); }},
    };
    for (const auto& [way, tick] : ways) {
        SCOPED_TRACE(way);
        list->MoveCursor(1);
        const int file = 3;
        const bool was = Ticked(file);
        tick(file);
        EXPECT_NE(Ticked(file), was);
        EXPECT_EQ(Ticked(file + 1), Ticked(file + 2));  // a file row carries nothing along
        // The folder row carries its files along as the click does.
        const bool folderWas = Ticked(1);
        tick(1);
        EXPECT_NE(Ticked(1), folderWas);
        EXPECT_TRUE(Ticked(2) != folderWas && Ticked(FileRows + 1) != folderWas);
    }
    // Asking the model for the state a row has already changes nothing (a click would flip it).
    const bool now = Ticked(2);
    grid->Model()->setData(TickCell(2), now ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(Ticked(2), now);
    // A row far off the page is read and ticked all the same.
    QAccessibleInterface* far = Table()->cellAt(FileRows - 10, 0);
    EXPECT_TRUE(far->state().offscreen);
    const bool farWas = Ticked(FileRows - 9);
    AccessibleToggle(far);
    EXPECT_NE(Ticked(FileRows - 9), farWas);
    // A range marked with Shift takes the cursor row's new state.
    list->MoveCursor(1);
    if (!Ticked(1)) Key(Qt::Key_Space);  // the folder carries every row along: all ticked
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Space);
    EXPECT_TRUE(Ticked(1) && Ticked(5));
    EXPECT_FALSE(Ticked(2) || Ticked(3) || Ticked(4));
}

TEST_F(KeyboardFixture, EnterOpensAndTheMenuKeyShowsTheMenuOfTheCursorRow) {
    QString opened;
    list->openWithShell = [&](const QString& path) {
        opened = path;
        return true;
    };
    Key(Qt::Key_End);
    Key(Qt::Key_Right);  // the right side lacks the file: Enter opens the left one
    Key(Qt::Key_Return);
    EXPECT_EQ(opened, QStringLiteral("/l/sub/") + Name(FileRows));
    EXPECT_TRUE(Ticked(FileRows + 1));  // opening ticks nothing
    QMenu* menu = window->Commands().RowMenu();
    for (const auto& [key, mods] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        Key(Qt::Key_Home);
        Key(key, mods);
        ASSERT_TRUE(menu->isVisible());
        // The menu opens at the cursor row, and is that row's (a folder row's) menu.
        EXPECT_LE(std::abs(menu->pos().y() - grid->mapToGlobal(grid->CellRect(1, 1).bottomLeft()).y()), 2);
        EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("mnuPop3_Sync_1"))->isVisible());
        menu->close();
    }
}

TEST_F(KeyboardFixture, TheTableReadsTheWholeListRowsOffThePageToo) {
    QAccessibleTableInterface* table = Table();
    EXPECT_EQ(table->rowCount(), FileRows + 1);
    EXPECT_EQ(table->columnCount(), MainFileList::ColumnCount);
    EXPECT_EQ(table->columnDescription(4), FormatMsg(1193));
    // A row off the page reads as a sentence: name, size and time, what happens, its tick.
    const QString sentence = table->cellAt(FileRows - 1, 0)->text(QAccessible::Name);
    EXPECT_TRUE(sentence.startsWith(Name(FileRows - 1))) << sentence.toStdString();
    for (int key : {1201, 1204, 1197, 1195})
        EXPECT_TRUE(sentence.contains(FormatMsg(key).section(QLatin1Char(':'), 0, 0))) << key << " " << sentence.toStdString();
    EXPECT_EQ(table->cellAt(FileRows - 1, 4)->text(QAccessible::Name), FormatMsg(1197));
}

TEST_F(KeyboardFixture, SpaceAndToggleSwitchTheToolbarsAndTabReachesThem) {
    MainCommands& commands = window->Commands();
    const ViewOptions& options = CurrentProfile().profile.View;
    QToolButton* deleteIn2 = commands.ToolbarButton(3, 4);
    // Space from the keyboard switches an option; the option, its button, its action and what a
    // screen reader hears agree.
    const bool was = options.SyncOptions[4];
    PressSpace(deleteIn2);
    EXPECT_NE(options.SyncOptions[4], was);
    EXPECT_EQ(deleteIn2->isChecked(), options.SyncOptions[4]);
    EXPECT_EQ(commands.Toolbar(3)->actions()[4]->isChecked(), options.SyncOptions[4]);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(deleteIn2)->state().checked, options.SyncOptions[4]);
    // A filter chooses one of its buttons: Toggle on another chooses it, on the chosen one leaves
    // it chosen (a bar without a chosen filter would show nothing true).
    ASSERT_EQ(options.Filter1, 0);
    for (int twice = 0; twice < 2; ++twice) AccessibleToggle(QAccessible::queryAccessibleInterface(commands.ToolbarButton(1, 1)));
    EXPECT_EQ(options.Filter1, 1);
    EXPECT_TRUE(commands.ToolbarButton(1, 1)->isChecked());
    EXPECT_FALSE(commands.ToolbarButton(1, 0)->isChecked());
    // Tab reaches every toolbar button, before the commands, and the file list last.
    QList<QWidget*> reached;
    QWidget* w = window->Pairs().Grid();
    do {
        if (w->isEnabled() && w->isVisibleTo(window.get()) && (w->focusPolicy() & Qt::TabFocus)) reached << w;
        w = w->nextInFocusChain();
    } while (w != window->Pairs().Grid());
    for (int bar = 0; bar < 4; ++bar)
        for (int i = 0; i < commands.Toolbar(bar)->actions().size(); ++i)
            if (QToolButton* button = commands.ToolbarButton(bar, i)) {
                EXPECT_TRUE(reached.contains(button)) << bar << " " << i;
            }
    EXPECT_LT(reached.indexOf(deleteIn2), reached.indexOf(window->findChild<QWidget*>(QStringLiteral("cmdExtras"))));
    EXPECT_EQ(reached.last(), grid);
}
