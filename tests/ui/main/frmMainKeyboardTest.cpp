// The file list by keyboard and screen reader: the row cursor moves through the whole list and
// the page follows; Space, a click and the accessibility action Toggle tick through one path;
// Enter and the Menu key act on the cursor row; the accessible table reads the whole list with
// names in the program's language, unique within the window; Tab reaches every control.

#include "MainWindowTesting.h"
#include "engine/FileView.h"
#include "i18n/TextLookup.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/frmMain.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

constexpr int FileRows = 500;

QString Name(int i) { return QStringLiteral("file%1.txt").arg(i, 4, 10, QLatin1Char('0')); }

struct KeyboardFixture : FileListFixture {
    void SetUp() override {
        OpenWindow(1000, 640);
        FileView& view = CurrentFileView();
        view.Results = ResultList(1);
        // A folder whose two files copy to the right, then many files on the left only.
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
        window->UpdateFilesView(0);
        grid->setFocus();
        QApplication::processEvents();
        page = window->PageSize();
        ASSERT_LT(page, 100);
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QApplication::sendEvent(grid, &press);
    }
    bool Ticked(int index) const { return CurrentFileView().ViewList[static_cast<size_t>(index)].Selected; }
    QAccessibleInterface* Table() const { return QAccessible::queryAccessibleInterface(grid); }
    int page = 0;
};

}  // namespace

TEST_F(KeyboardFixture, CursorKeysMoveThroughTheWholeListAndThePageFollows) {
    clsLongScroll* scroll = window->vlsbFiles();
    EXPECT_EQ(window->FilesCursor(), 1);  // the list got the focus: the cursor shows at once
    EXPECT_EQ(grid->CursorRow(), 1);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(window->FilesCursor(), 3);
    EXPECT_EQ(grid->CursorRow(), 3);
    Key(Qt::Key_End);
    EXPECT_EQ(window->FilesCursor(), FileRows + 1);
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page + 1);
    EXPECT_EQ(grid->CursorRow(), page);
    EXPECT_EQ(grid->TextMatrix(page, 1), Name(FileRows));
    // The scrollbar reports the place in the whole list, not its own 0..32767.
    QAccessibleValueInterface* place = QAccessible::queryAccessibleInterface(scroll->Client())->valueInterface();
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->currentValue().toInt(), FileRows + 1 - page + 1);
    EXPECT_EQ(place->maximumValue().toInt(), FileRows + 1 - page + 1);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(window->FilesCursor(), FileRows + 1 - page);
    EXPECT_EQ(grid->TextMatrix(grid->CursorRow(), 1), Name(FileRows - page));
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page);  // the page scrolled up to the cursor
    EXPECT_EQ(grid->CursorRow(), 1);
    Key(Qt::Key_Down);  // within the page: the page stays
    EXPECT_EQ(scroll->Value(), FileRows + 1 - page);
    EXPECT_EQ(grid->CursorRow(), 2);
    Key(Qt::Key_Home);
    EXPECT_EQ(window->FilesCursor(), 1);
    EXPECT_EQ(scroll->Value(), 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(window->FilesCursor(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(window->FilesCursor(), 1 + page);
    EXPECT_EQ(scroll->Value(), 2);
    EXPECT_EQ(grid->CursorRow(), page);
}

TEST_F(KeyboardFixture, SpaceClickAndAccessibleToggleTickThroughOnePath) {
    // Space on a file row, with the row below through a click, then through Toggle.
    Key(Qt::Key_Down);
    ASSERT_EQ(window->FilesCursor(), 2);
    ASSERT_TRUE(Ticked(2));
    Key(Qt::Key_Space);
    EXPECT_FALSE(Ticked(2));
    window->ClickFiles(3, 1, Qt::LeftButton, Qt::NoModifier, QPoint());
    EXPECT_FALSE(Ticked(3));
    QAccessibleInterface* tick4 = Table()->tableInterface()->cellAt(3, 0);
    ASSERT_NE(tick4, nullptr);
    ASSERT_EQ(tick4->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
    EXPECT_TRUE(tick4->state().checked);
    tick4->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(Ticked(4));
    EXPECT_FALSE(tick4->state().checked);

    // The folder row: each way unticks its files as a click does; a row far off the page too.
    Key(Qt::Key_Home);
    Key(Qt::Key_Space);
    for (int i = 1; i <= 6; ++i) EXPECT_FALSE(Ticked(i)) << i;
    Table()->tableInterface()->cellAt(0, 0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(Ticked(1) && Ticked(2) && Ticked(FileRows + 1));
    QAccessibleInterface* far = Table()->tableInterface()->cellAt(FileRows - 10, 0);
    EXPECT_TRUE(far->state().offscreen);
    far->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(Ticked(FileRows - 9));

    // A range marked with Shift takes the cursor row's new state.
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Space);
    EXPECT_TRUE(Ticked(1));
    EXPECT_FALSE(Ticked(2) || Ticked(3) || Ticked(4));
    EXPECT_TRUE(Ticked(5));
}

TEST_F(KeyboardFixture, EnterOpensAndTheMenuKeyShowsTheMenuOfTheCursorRow) {
    QString opened;
    window->openWithShell = [&](const QString& path) {
        opened = path;
        return true;
    };
    Key(Qt::Key_End);
    Key(Qt::Key_Right);  // the right side lacks the file: Enter opens the left one
    Key(Qt::Key_Return);
    EXPECT_EQ(opened, QStringLiteral("/l/sub/") + Name(FileRows));
    EXPECT_TRUE(Ticked(FileRows + 1));  // opening ticks nothing

    for (const auto& [key, mods] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        Key(Qt::Key_Home);
        Key(key, mods);
        ASSERT_TRUE(window->mnuPop3()->isVisible());
        // The menu opens at the cursor row, and is that row's (a folder row's) menu.
        const QRect row = grid->CellRect(1, 1);
        EXPECT_LE(std::abs(window->mnuPop3()->pos().y() - grid->mapToGlobal(row.bottomLeft()).y()), 2);
        EXPECT_EQ(window->CurrentViewIndex(), 1);
        EXPECT_TRUE(window->mnuPop3()->findChild<QAction*>(QStringLiteral("mnuPop3_Sync_1"))->isVisible());
        window->mnuPop3()->close();
    }
}

TEST_F(KeyboardFixture, TheTableReadsTheWholeListWithUniqueNamesInTheLanguage) {
    QAccessibleTableInterface* table = Table()->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), FileRows + 1);
    EXPECT_EQ(table->columnCount(), 8);
    EXPECT_EQ(table->columnDescription(4), FormatMsg(1193));
    EXPECT_EQ(table->cellAt(1, 0)->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
              FormatMsg(1194));
    // A row off the page reads as a sentence: name, size and time, what happens, its tick.
    const QString sentence = table->cellAt(FileRows - 1, 0)->text(QAccessible::Name);
    EXPECT_TRUE(sentence.startsWith(Name(FileRows - 1))) << sentence.toStdString();
    for (int key : {1201, 1204, 1197, 1195}) {
        const QString word = FormatMsg(key).section(QLatin1Char(':'), 0, 0);
        EXPECT_TRUE(sentence.contains(word)) << key << " " << sentence.toStdString();
    }
    EXPECT_EQ(table->cellAt(FileRows - 1, 4)->text(QAccessible::Name), FormatMsg(1197));

    const auto names = [this] {
        QStringList seen, twice;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(window.get()) || w->focusPolicy() == Qt::NoFocus) continue;
            const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
            if (seen.contains(name)) twice << name + QLatin1Char('=') + w->objectName() + QLatin1Char('/') + QString::fromLatin1(w->metaObject()->className());
            seen << name;
        }
        return std::pair{seen, twice};
    };
    window->ScaleAndLocalise();
    window->SetProfileTitle(QStringLiteral("backup"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.get())->text(QAccessible::Name), window->windowTitle());
    auto [english, twiceEnglish] = names();
    EXPECT_TRUE(twiceEnglish.isEmpty()) << twiceEnglish.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(english.contains(QStringLiteral("Delete in 2 (Synchronization)")));

    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    window->ScaleAndLocalise();
    auto [german, twiceGerman] = names();
    EXPECT_TRUE(twiceGerman.isEmpty()) << twiceGerman.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(german.contains(QStringLiteral("Verglichene Dateien")));
    EXPECT_TRUE(german.contains(QStringLiteral("Lösche in 2 (Synchronisation)")));
    EXPECT_TRUE(table->cellAt(2, 0)->text(QAccessible::Name).contains(QStringLiteral("angehakt")));
    EXPECT_EQ(table->columnDescription(4), QStringLiteral("Richtung"));
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
}

TEST_F(KeyboardFixture, TabReachesEveryControlIncludingTheToolbarsAndTheList) {
    QList<QWidget*> reached;
    QWidget* w = window->flexDirs();
    do {
        if (w->isEnabled() && w->isVisibleTo(window.get()) && (w->focusPolicy() & Qt::TabFocus)) reached << w;
        w = w->nextInFocusChain();
    } while (w != window->flexDirs());
    for (int bar = 0; bar < 4; ++bar)
        for (int i = 0; i < window->toolbar(bar)->actions().size(); ++i) {
            if (QToolButton* button = window->toolbarButton(bar, i)) {
                EXPECT_TRUE(reached.contains(button)) << bar << " " << i;
            }
        }
    EXPECT_TRUE(reached.contains(grid));
    // The toolbars come before the commands, the file list last.
    EXPECT_LT(reached.indexOf(window->toolbarButton(3, 4)), reached.indexOf(window->findChild<QWidget*>(QStringLiteral("cmdExtras"))));
    EXPECT_EQ(reached.last(), grid);
    // A toolbar button pressed by keyboard changes the option it shows.
    QToolButton* deleteIn2 = window->toolbarButton(3, 4);
    const bool before = CurrentProfile().profile.View.SyncOptions[4];
    deleteIn2->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(deleteIn2, &press);
    QApplication::sendEvent(deleteIn2, &release);
    EXPECT_NE(CurrentProfile().profile.View.SyncOptions[4], before);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(deleteIn2)->state().checked, deleteIn2->isChecked());
}
