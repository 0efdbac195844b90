// The scheduled-task and shortcut windows on a crontab stand-in: only the program's own tasks
// are listed, a click on a box rewrites the task's switches, and both windows can be looked at.

#include "config/Profile.h"
#include "launch/TaskScheduler.h"
#include "support/CrontabStandIn.h"
#include "support/TempTree.h"
#include "ui/dialogs/dlgMakeLink.h"
#include "ui/dialogs/dlgTaskProperties.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/main/TOFlexGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QDir>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

void SaveShot(QWidget& window, const char* name) {
    const QString folder = qEnvironmentVariable("TANDOR_SHOT_DIR");
    if (folder.isEmpty()) return;
    window.show();
    window.grab().save(QDir(folder).filePath(QString::fromLatin1(name)));
}

TEST(dlgTaskSchedulerTest, ListsOwnTasksAndAClickOnABoxRewritesTheSwitches) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    crontab.SetTable("# Tandor task: Theirs\n# Tandor creator: Other\n# Tandor comment: x\n0 4 * * * '/bin/true' -Auto\n");
    TaskScheduler scheduler;
    ASSERT_TRUE(scheduler.Create(NewProfileTask(QStringLiteral("Nightly"), QStringLiteral("backup"),
                                                QStringLiteral("/opt/t/tandor"), QStringLiteral("/p/-auto x.tdp"),
                                                false, true, false, QTime(3, 0))).ok);
    dlgTaskScheduler::MessageHandler() = [](const QString&, uint32_t, QWidget*) { return 6u; };
    dlgTaskScheduler dialog;
    TOFlexGrid* grid = dialog.Grid();
    ASSERT_EQ(grid->Rows(), 2) << "the task of another creator is not listed";
    EXPECT_EQ(grid->TextMatrix(1, 0), QStringLiteral("Nightly"));
    EXPECT_EQ(grid->TextMatrix(1, 1), QStringLiteral("o"));
    EXPECT_EQ(grid->TextMatrix(1, 2), QStringLiteral("\u00fe"));
    EXPECT_EQ(grid->TextMatrix(1, 3), QStringLiteral("o"));
    SaveShot(dialog, "dlgTaskScheduler.png");

    dialog.flexTasks_ClickCell(1, 1);
    EXPECT_EQ(dialog.SelectedTask(), QStringLiteral("Nightly"));
    ASSERT_TRUE(scheduler.Refresh().ok);
    const ScheduledTask* mine = nullptr;
    for (const ScheduledTask& t : scheduler.Tasks())
        if (t.name == QLatin1String("Nightly")) mine = &t;
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->command.arguments,
              (QStringList{QStringLiteral("/p/-auto x.tdp"), QStringLiteral("-Hide"), QStringLiteral("-DontAsk")}));

    dialog.cmdDelete_Click();  // answered Yes
    EXPECT_EQ(dialog.Grid()->Rows(), 1);
    EXPECT_TRUE(crontab.Table().startsWith("# Tandor task: Theirs\n"));
    dlgTaskScheduler::MessageHandler() = nullptr;
}

// Blocks the user edited stay listed: silenced output and "@daily" stay editable (the
// redirection survives a switch), a block with a pipe is read-only but can be deleted; a second
// task of a listed name is refused, and a task without -hide is made only on Yes.
TEST(dlgTaskSchedulerTest, EditedBlocksStayListedAndNamesStayUnique) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    const QByteArray block = "# Tandor task: %1\n# Tandor creator: Tandor\n# Tandor comment: -\n";
    crontab.SetTable(QByteArray(block).replace("%1", "Quiet") + "0 3 * * * '/opt/t/tandor' '/p/a.tdp' -Hide >/dev/null 2>&1\n" +
                     QByteArray(block).replace("%1", "Daily") + "@daily '/opt/t/tandor' '/p/a.tdp' -Auto\n" +
                     QByteArray(block).replace("%1", "Piped") + "0 4 * * * /opt/t/tandor /p/a.tdp -Hide | logger\n");
    QStringList messages;
    uint32_t answer = 7;  // No
    dlgTaskScheduler::MessageHandler() = [&](const QString& text, uint32_t, QWidget*) {
        messages << text;
        return answer;
    };
    dlgTaskScheduler::PropertySheetHandler() = [](ScheduledTask&, QWidget*) { return false; };
    CurrentProfile().ProfilePath = QStringLiteral("/p/a.tdp");
    dlgTaskScheduler dialog;
    TOFlexGrid* grid = dialog.Grid();
    ASSERT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->TextMatrix(1, 0), QStringLiteral("Quiet"));
    EXPECT_EQ(grid->TextMatrix(2, 0), QStringLiteral("Daily"));
    EXPECT_TRUE(grid->TextMatrix(3, 0).startsWith(QStringLiteral("Piped ")));
    EXPECT_EQ(grid->TextMatrix(3, 1), QStringLiteral("\u00fe")) << "the switches of a read-only task still show";

    dialog.flexTasks_ClickCell(1, 3);
    EXPECT_TRUE(crontab.Table().contains("'/p/a.tdp' '-Hide' '-Auto' >/dev/null 2>&1\n")) << crontab.Table().constData();
    const QByteArray before = crontab.Table();
    dialog.flexTasks_ClickCell(3, 1);
    EXPECT_EQ(messages.size(), 1) << "a read-only task says why it does not change";
    EXPECT_EQ(crontab.Table(), before);

    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("txtName"));
    auto* hide = dialog.findChild<QCheckBox*>(QStringLiteral("chkHide"));
    ASSERT_TRUE(name && hide);
    for (const char* taken : {"Daily", "Piped"}) {
        name->setText(QString::fromLatin1(taken));
        hide->setChecked(true);
        dialog.cmdNew_Click();
        EXPECT_EQ(crontab.Table(), before) << taken;
    }
    name->setText(QStringLiteral("Visible"));
    hide->setChecked(false);
    messages.clear();
    dialog.cmdNew_Click();  // answered No
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(crontab.Table(), before);

    answer = 6;  // Yes, also to the delete question
    dialog.flexTasks_ClickCell(3, 0);
    dialog.cmdDelete_Click();
    EXPECT_FALSE(crontab.Table().contains("Piped"));
    EXPECT_FALSE(crontab.Table().contains("logger"));
    dlgTaskScheduler::MessageHandler() = nullptr;
    dlgTaskScheduler::PropertySheetHandler() = &dlgTaskProperties::Edit;
    ResetCurrentProfile();
}

// By keyboard alone: the list has a name, and Space and Enter on a box flip that switch.
TEST(dlgTaskSchedulerTest, SwitchCellsAnswerSpaceAndEnter) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    crontab.SetTable("# Tandor task: K\n# Tandor creator: Tandor\n# Tandor comment: -\n0 3 * * * '/opt/t/tandor' '/p/a.tdp'\n");
    dlgTaskScheduler dialog;
    TOFlexGrid* grid = dialog.Grid();
    EXPECT_FALSE(grid->accessibleName().isEmpty());
    grid->setFocus();
    struct Step {
        int col;
        Qt::Key key;
        const char* arguments;
    };
    for (const Step& step : {Step{1, Qt::Key_Space, "'/p/a.tdp' '-Hide'\n"}, Step{3, Qt::Key_Return, "'/p/a.tdp' '-Hide' '-Auto'\n"},
                             Step{1, Qt::Key_Enter, "'/p/a.tdp' '-Auto'\n"}}) {
        grid->SetRow(1);
        grid->SetCol(step.col);
        QKeyEvent press(QEvent::KeyPress, step.key, Qt::NoModifier);
        QApplication::sendEvent(grid, &press);
        EXPECT_TRUE(crontab.Table().endsWith(step.arguments)) << crontab.Table().constData();
        EXPECT_EQ(grid->Col(), step.col) << "the cursor stays on the switch";
    }
}

// However the window is left, the main window it disabled works again.
TEST(dlgTaskSchedulerTest, EscapeAndCloseGiveTheOwnerBack) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    for (const bool byEscape : {true, false}) {
        QWidget owner;
        owner.show();
        dlgTaskScheduler::ShowWindow(&owner);
        ASSERT_FALSE(owner.isEnabled());
        auto* dialog = owner.findChild<dlgTaskScheduler*>();
        ASSERT_TRUE(dialog);
        if (byEscape) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(dialog, &escape);
        } else {
            dialog->close();
        }
        EXPECT_TRUE(owner.isEnabled()) << (byEscape ? "Escape" : "close");
    }
}

TEST(dlgMakeLinkTest, RefusesAMissingUserAndAnUnwritableFolder) {
    IsolatedEnvironment isolated;
    CurrentProfile().ProfilePath = QStringLiteral("/p/a.tdp");
    QStringList messages;
    dlgMakeLink::MessageHandler() = [&](const QString& text, uint32_t, QWidget*) {
        messages << text;
        return 1u;
    };
    dlgMakeLink dialog;
    SaveShot(dialog, "dlgMakeLink.png");
    TempTree tree;
    dlgMakeLink::FolderBrowser() = [&](const QString&, const QString&, QWidget*) { return tree.Path(QStringLiteral("missing")); };
    dialog.cmdGetDir_Click();
    EXPECT_FALSE(dialog.cmdOK_Click()) << "no name";
    EXPECT_EQ(messages.size(), 1);
    dlgMakeLink::MessageHandler() = nullptr;
    dlgMakeLink::FolderBrowser() = nullptr;
    ResetCurrentProfile();
}

}  // namespace
