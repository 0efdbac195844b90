// The scheduled-task and shortcut windows on a crontab stand-in: only the program's own tasks
// are listed, a click on a box rewrites the task's switches, and both windows can be looked at.

#include "config/Profile.h"
#include "launch/TaskScheduler.h"
#include "support/CrontabStandIn.h"
#include "support/TempTree.h"
#include "ui/dialogs/dlgMakeLink.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/main/TOFlexGrid.h"

#include <QApplication>
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
