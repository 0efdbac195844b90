// The scheduled-task and shortcut windows on a crontab stand-in: only the program's own tasks
// are listed, a click or a key on a box rewrites the task's switches, and edited blocks stay.

#include "DialogTesting.h"

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
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

// Only the program's own tasks are listed. Blocks the user edited stay listed: silenced output
// and "@daily" stay editable (the redirection survives a switch), a block with a pipe is
// read-only but can be deleted on Yes; a second task of a listed name is refused, and a task
// without -hide is made only on Yes.
TEST(dlgTaskSchedulerTest, ListsOwnTasksEditedBlocksStayAndNamesStayUnique) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    const QByteArray block = "# Tandor task: %1\n# Tandor creator: Tandor\n# Tandor comment: -\n";
    crontab.SetTable("# Tandor task: Theirs\n# Tandor creator: Other\n# Tandor comment: x\n0 4 * * * '/bin/true' -Auto\n" +
                     QByteArray(block).replace("%1", "Quiet") + "0 3 * * * '/opt/t/tandor' '/p/a.tdp' -Hide >/dev/null 2>&1\n" +
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
    ASSERT_EQ(grid->Rows(), 4) << "the task of another creator is not listed";
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
    EXPECT_TRUE(crontab.Table().startsWith("# Tandor task: Theirs\n"));
    dlgTaskScheduler::MessageHandler() = nullptr;
    dlgTaskScheduler::PropertySheetHandler() = &dlgTaskProperties::Edit;
    ResetCurrentProfile();
}

// A click, Space or Enter on a switch's box flips that switch and leaves the cursor on it.
TEST(dlgTaskSchedulerTest, AClickSpaceOrEnterOnABoxFlipsTheSwitch) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    crontab.SetTable("# Tandor task: K\n# Tandor creator: Tandor\n# Tandor comment: -\n0 3 * * * '/opt/t/tandor' '/p/a.tdp'\n");
    dlgTaskScheduler dialog;
    TOFlexGrid* grid = dialog.Grid();
    EXPECT_FALSE(grid->accessibleName().isEmpty());
    grid->setFocus();
    const struct {
        int col;
        int key;  // 0: a click
        const char* arguments;
    } steps[] = {{1, 0, "'/p/a.tdp' '-Hide'\n"}, {2, Qt::Key_Space, "'/p/a.tdp' '-Hide' '-DontAsk'\n"},
                 {3, Qt::Key_Return, "'/p/a.tdp' '-Hide' '-DontAsk' '-Auto'\n"}, {1, Qt::Key_Enter, "'/p/a.tdp' '-DontAsk' '-Auto'\n"}};
    for (const auto& step : steps) {
        grid->SetRow(1);
        grid->SetCol(step.col);
        QKeyEvent press(QEvent::KeyPress, step.key, Qt::NoModifier);
        if (step.key) QApplication::sendEvent(grid, &press);
        else dialog.flexTasks_ClickCell(1, step.col);
        EXPECT_TRUE(crontab.Table().endsWith(step.arguments)) << crontab.Table().constData();
        if (step.key) {
            EXPECT_EQ(grid->Col(), step.col) << "the cursor stays on the switch";
        }
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

// Each refusal names its reason, keeps the window open and writes nothing.
struct dlgMakeLinkTest : DialogFixture {};

TEST_F(dlgMakeLinkTest, RefusesAMissingUserABadNameALineBreakAndAnUnwritableFolder) {
    tree.File(QStringLiteral("blocker"), "a file where the folder would have to be");
    QStringList messages;
    dlgMakeLink::MessageHandler() = [&](const QString& text, uint32_t, QWidget*) {
        messages << text;
        return 1u;
    };
    const struct {
        const char* profile;
        bool runAs;
        const char* name;
        const char* folder;
        QString message;  // its text up to the first value
    } rows[] = {
        {"/p/a.tdp", true, "a", "links", FormatMsg(50810)},
        {"/p/a.tdp", false, "../a", "links", FormatMsg(1154, {"../a"})},
        {"/p/a\nb.tdp", false, "a", "links", FormatMsg(1150, {"@"}).section('@', 0, 0)},
        {"/p/a.tdp", false, "a", "blocker/links", FormatMsg(1153, {"@", "@"}).section('@', 0, 0)},
    };
    for (const auto& r : rows) {
        CurrentProfile().ProfilePath = QString::fromUtf8(r.profile);
        dlgMakeLink::FolderBrowser() = [&](const QString&, const QString&, QWidget*) { return tree.Path(QString::fromLatin1(r.folder)); };
        dlgMakeLink dialog;
        dialog.cmdGetDir_Click();
        dialog.findChild<QCheckBox*>(QStringLiteral("chkRunAs"))->setChecked(r.runAs);
        dialog.findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(QString::fromLatin1(r.name));
        messages.clear();
        EXPECT_FALSE(dialog.cmdOK_Click()) << r.name;
        ASSERT_EQ(messages.size(), 1) << r.name;
        EXPECT_TRUE(!r.message.isEmpty() && messages[0].startsWith(r.message)) << messages[0].toStdString();
        EXPECT_EQ(tree.List(), QStringList{QStringLiteral("blocker")}) << r.name;
    }
    dlgMakeLink::MessageHandler() = nullptr;
    dlgMakeLink::FolderBrowser() = nullptr;
    ResetCurrentProfile();
}

}  // namespace
