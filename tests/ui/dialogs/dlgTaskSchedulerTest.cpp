// The scheduled-task window on a crontab stand-in, and the shortcut window's refusals.

#include "DialogTesting.h"

#include "config/Profile.h"
#include "support/CrontabStandIn.h"
#include "ui/dialogs/dlgMakeLink.h"
#include "ui/dialogs/dlgTaskProperties.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/main/TOFlexGrid.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

// Only the program's own tasks are listed; a switch keeps a block's redirection, a block with a
// pipe is read-only, and a task without -hide is made only on Yes.
TEST(dlgTaskSchedulerTest, ListsOwnTasksAndEditedBlocksStay) {
    IsolatedEnvironment isolated;
    CrontabStandIn crontab;
    const QByteArray block = "# Tandor task: %1\n# Tandor creator: Tandor\n# Tandor comment: -\n";
    crontab.SetTable("# Tandor task: Theirs\n# Tandor creator: Other\n# Tandor comment: x\n0 4 * * * '/bin/true' -Auto\n" +
                     QByteArray(block).replace("%1", "Quiet") + "0 3 * * * '/opt/t/tandor' '/p/a.tdp' -Hide >/dev/null 2>&1\n" +
                     QByteArray(block).replace("%1", "Daily") + "@daily '/opt/t/tandor' '/p/a.tdp' -Auto\n" +
                     QByteArray(block).replace("%1", "Piped") + "0 4 * * * /opt/t/tandor /p/a.tdp -Hide | logger\n");
    QStringList messages;
    dlgTaskScheduler::MessageHandler() = [&](const QString& text, uint32_t, QWidget*) {
        messages << text;
        return 7u;  // No
    };
    dlgTaskScheduler::PropertySheetHandler() = [](ScheduledTask&, QWidget*) { return false; };
    CurrentProfile().ProfilePath = QStringLiteral("/p/a.tdp");
    dlgTaskScheduler dialog;
    TOFlexGrid* grid = dialog.Grid();
    ASSERT_EQ(grid->Rows(), 4) << "the task of another creator is not listed";
    EXPECT_TRUE(grid->TextMatrix(3, 0).startsWith(QStringLiteral("Piped ")));

    dialog.flexTasks_ClickCell(1, 3);
    EXPECT_TRUE(crontab.Table().contains("'/p/a.tdp' '-Hide' '-Auto' >/dev/null 2>&1\n")) << crontab.Table().constData();
    const QByteArray before = crontab.Table();
    dialog.flexTasks_ClickCell(3, 1);
    EXPECT_EQ(messages.size(), 1) << "a read-only task says why it does not change";
    EXPECT_EQ(crontab.Table(), before);

    dialog.findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(QStringLiteral("Visible"));
    dialog.findChild<QCheckBox*>(QStringLiteral("chkHide"))->setChecked(false);
    messages.clear();
    dialog.cmdNew_Click();  // answered No
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(crontab.Table(), before);
    dlgTaskScheduler::MessageHandler() = nullptr;
    dlgTaskScheduler::PropertySheetHandler() = &dlgTaskProperties::Edit;
    ResetCurrentProfile();
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
