// The main window by keyboard and screen reader, in one walk over the main keys: the row cursor
// moves through the whole list and the page follows, Space ticks as a click does (a folder with
// its files, a range marked with Shift), Enter opens the cursor row's file, the Menu key shows
// its menu, a screen reader reads and ticks a row off the page, Space switches a toolbar option,
// and Tab reaches every toolbar button.

#include "MainWindowTesting.h"
#include "ui/main/clsLongScroll.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

QString Name(int i) { return QStringLiteral("file%1.txt").arg(i, 4, 10, QLatin1Char('0')); }

TEST_F(MainWindowFixture, TheMainKeysMoveTickOpenAndSwitchAndTabReachesEveryButton) {
    constexpr int FileRows = 500;
    OpenWindow(1000, 640);
    FileView& view = CurrentFileView();
    view.Results = ResultList(1);
    // A folder whose files copy to the right, all on the left only.
    CompareRow folder;
    folder.SetFolder(0, QStringLiteral("/l/sub/"));
    folder.SetFolder(1, QStringLiteral("/r/sub/"));
    folder.SetName(0, QStringLiteral("sub"));
    folder.SetName(1, folder.Name(0));
    folder.Attributes[0] = folder.Attributes[1] = Attr::Directory;
    view.Results.push_back(folder);
    for (int i = 1; i <= FileRows; ++i) {
        CompareRow row = folder;
        row.SyncAction = -1;
        row.Attributes[0] = row.Attributes[1] = 0;
        row.SetNames(Name(i), QString());
        view.Results.push_back(row);
    }
    view.Stale = false;
    CurrentProfile().profile.View.SyncOptions = {true, true, false, false, false};
    list->UpdateView(0);
    grid->setFocus();
    QApplication::processEvents();
    const int page = list->PageSize();
    const auto key = [this](int code, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, code, mods, code == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QApplication::sendEvent(grid, &press);
    };
    const auto ticked = [](int index) { return CurrentFileView().ViewList[static_cast<size_t>(index)].Selected; };

    clsLongScroll* scroll = list->Scroll();
    EXPECT_EQ(list->Cursor(), 1);  // the list got the focus: the cursor shows at once
    key(Qt::Key_End);
    EXPECT_EQ(list->Cursor(), FileRows + 1);
    EXPECT_EQ(grid->TextMatrix(page, 1), Name(FileRows));
    key(Qt::Key_PageUp);
    key(Qt::Key_Down);  // the page scrolled up to the cursor, and stays for a move within it
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page);
    EXPECT_EQ(grid->CursorRow(), 2);
    key(Qt::Key_Home);
    key(Qt::Key_PageDown);
    EXPECT_EQ(list->Cursor(), 1 + page);
    EXPECT_EQ(scroll->Value(), 2);

    list->MoveCursor(3);
    key(Qt::Key_Space);
    EXPECT_FALSE(ticked(3));
    EXPECT_TRUE(ticked(2) && ticked(4));  // a file row carries nothing along
    list->MoveCursor(1);
    key(Qt::Key_Space);  // the folder carries every row along: all unticked, then all ticked
    EXPECT_FALSE(ticked(1) || ticked(2) || ticked(FileRows + 1));
    key(Qt::Key_Space);
    key(Qt::Key_Down);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Space);  // the range takes the cursor row's new state
    EXPECT_TRUE(ticked(1) && ticked(5));
    EXPECT_FALSE(ticked(2) || ticked(3) || ticked(4));

    QString opened;
    list->openWithShell = [&](const QString& path) {
        opened = path;
        return true;
    };
    key(Qt::Key_End);
    key(Qt::Key_Right);  // the right side lacks the file: Enter opens the left one
    key(Qt::Key_Return);
    EXPECT_EQ(opened, QStringLiteral("/l/sub/") + Name(FileRows));
    QMenu* menu = window->Commands().RowMenu();
    key(Qt::Key_Home);
    key(Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("mnuPop3_Sync_1"))->isVisible());  // a folder row's menu
    menu->close();

    // A screen reader reads a row off the page with what it does, and ticks it with Toggle.
    QAccessibleInterface* far = QAccessible::queryAccessibleInterface(grid)->tableInterface()->cellAt(FileRows - 10, 0);
    EXPECT_TRUE(far->state().offscreen);
    EXPECT_TRUE(far->text(QAccessible::Name).contains(QStringLiteral("copy to the right"))) << qPrintable(far->text(QAccessible::Name));
    ASSERT_TRUE(far->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    far->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(ticked(FileRows - 9));

    MainCommands& commands = window->Commands();
    const ViewOptions& options = CurrentProfile().profile.View;
    QToolButton* deleteIn2 = commands.ToolbarButton(3, 4);
    deleteIn2->setFocus();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent space(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(deleteIn2, &space);
    }
    EXPECT_TRUE(options.SyncOptions[4] && deleteIn2->isChecked());
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

}  // namespace
