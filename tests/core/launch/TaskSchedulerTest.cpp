// Scheduled tasks in the user's crontab, on a crontab stand-in: creating, listing, switching
// and deleting tasks, and every line the program did not write kept byte for byte.

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "launch/CronTable.h"
#include "launch/TaskScheduler.h"
#include "platform/SystemInfo.h"
#include "support/CrontabStandIn.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Environment lines, comments, another program's lines, malformed lines, a Windows line end
// and a byte that is not UTF-8: none of it is the program's to change.
const QByteArray ForeignTable =
    "# m h dom mon dow command\n"
    "MAILTO=\"ops@example.org\"\n"
    "\n"
    "*/5 * * * * /usr/bin/backup --quiet 2>&1 | logger   \n"
    "this is not a cron line\n"
    "# Tandor task: half a block, no schedule line follows\n"
    "@reboot /opt/other/start \xe9t\xe9\r\n"
    "15 3 * * 1 echo 50%% done\n";

const QString ProfileWithEverything =
    QStringLiteral("/tmp/My Profiles/it's \"100%\" -auto/\u00e9t\u00e9 \u65e5\u672c/-x.tdp");

class TaskSchedulerTest : public ::testing::Test {
protected:
    CrontabStandIn crontab;
    TaskScheduler scheduler;

    ScheduledTask Task(const QString& name, bool hide, bool dontAsk, bool autoRun,
                       const QString& profile = ProfileWithEverything) {
        return NewProfileTask(name, QString(), QStringLiteral("/opt/tandor dir/tandor"), profile, hide, dontAsk, autoRun,
                              QTime(11, 0));
    }
};

TEST_F(TaskSchedulerTest, CreatedTasksAreListedWithTheirSwitchesAndForeignLinesStayByteForByte) {
    crontab.SetTable(ForeignTable);
    ASSERT_TRUE(scheduler.Create(Task(QStringLiteral("Nightly \u00e9"), true, false, true)).ok);
    ASSERT_TRUE(scheduler.Create(Task(QStringLiteral("Second"), false, true, false)).ok);
    EXPECT_TRUE(crontab.Table().startsWith(ForeignTable));
    EXPECT_TRUE(crontab.Table().endsWith('\n'));

    ASSERT_TRUE(scheduler.Refresh().ok);
    ASSERT_EQ(scheduler.Tasks().size(), 2u);
    const ScheduledTask first = scheduler.Tasks().front();  // a copy: the refreshes below replace the list
    EXPECT_EQ(first.name, QStringLiteral("Nightly \u00e9"));
    EXPECT_EQ(first.creator, QStringLiteral("Tandor"));
    EXPECT_EQ(first.comment, QStringLiteral("-"));
    EXPECT_EQ(first.DailyStartTime(), QStringLiteral("11:00"));
    EXPECT_EQ(first.command.program, QStringLiteral("/opt/tandor dir/tandor"));
    EXPECT_EQ(first.command.workingFolder, QStringLiteral("/opt/tandor dir"));
    EXPECT_EQ(first.command.arguments, (QStringList{ProfileWithEverything, QStringLiteral("-Hide"), QStringLiteral("-Auto")}));
    // Switches are whole words in any case: "-auto" inside the path is not the switch.
    const auto switches = [](const ScheduledTask& t) { return QList<bool>{t.HasSwitch(0), t.HasSwitch(1), t.HasSwitch(2)}; };
    EXPECT_EQ(switches(first), (QList<bool>{true, false, true}));
    const ScheduledTask& second = scheduler.Tasks().back();
    EXPECT_EQ(switches(second), (QList<bool>{false, true, false}));
    ScheduledTask shouted = second;
    shouted.command.arguments = {QStringLiteral("/p/-hide-dontask-auto.tdp"), QStringLiteral("-AUTO"), QStringLiteral("-hide")};
    EXPECT_EQ(switches(shouted), (QList<bool>{true, false, true}));
    shouted.SetSwitches(true, true, false);
    EXPECT_EQ(shouted.command.arguments, (QStringList{QStringLiteral("/p/-hide-dontask-auto.tdp"), QStringLiteral("-Hide"),
                                                      QStringLiteral("-DontAsk")}));

    // Ticking Hide and clearing DontAsk: the path stays whole, the switches follow in order.
    ScheduledTask changed = second;
    changed.SetSwitches(true, false, true);
    ASSERT_TRUE(scheduler.Save(changed).ok);
    ASSERT_TRUE(scheduler.Refresh().ok);
    EXPECT_EQ(scheduler.Tasks().back().command.arguments,
              (QStringList{ProfileWithEverything, QStringLiteral("-Hide"), QStringLiteral("-Auto")}));
    EXPECT_EQ(scheduler.Tasks().front().command.arguments, first.command.arguments);

    ASSERT_TRUE(scheduler.Delete(QStringLiteral("Nightly \u00e9")).ok);
    ASSERT_TRUE(scheduler.Delete(QStringLiteral("Second")).ok);
    EXPECT_EQ(crontab.Table(), ForeignTable);
}

TEST_F(TaskSchedulerTest, BlocksOfOtherCreatorsAreReadButNeverRewritten) {
    const QByteArray other =
        "# Tandor task: Theirs\n# Tandor creator: SomeoneElse\n# Tandor comment: x\n0 4 * * * '/usr/bin/true' -Auto\n";
    crontab.SetTable(other);
    ASSERT_TRUE(scheduler.Refresh().ok);
    ASSERT_EQ(scheduler.Tasks().size(), 1u);
    EXPECT_EQ(scheduler.Tasks().front().creator, QStringLiteral("SomeoneElse"));
    ASSERT_TRUE(scheduler.Create(Task(QStringLiteral("Mine"), true, true, true)).ok);
    EXPECT_TRUE(crontab.Table().startsWith(other));
}

TEST_F(TaskSchedulerTest, BadTablesAndBadInputChangeNothing) {
    // No table at all is an empty one.
    crontab.Remove();
    ASSERT_TRUE(scheduler.Refresh().ok);
    EXPECT_TRUE(scheduler.Tasks().empty());
    // A table whose last line has no line end keeps that line, and it gets the end it lacked;
    // the added task gets one too, or cron would ignore it.
    crontab.SetTable("MAILTO=\"\"\n0 1 * * * /bin/true # no end");
    ASSERT_TRUE(scheduler.Create(Task(QStringLiteral("A"), true, true, true)).ok);
    EXPECT_TRUE(crontab.Table().startsWith("MAILTO=\"\"\n0 1 * * * /bin/true # no end\n# Tandor task: A\n"));
    EXPECT_TRUE(crontab.Table().endsWith('\n'));
    const QByteArray before = crontab.Table();

    EXPECT_FALSE(scheduler.Create(Task(QStringLiteral("A"), false, false, false)).ok) << "a name exists once";
    EXPECT_FALSE(scheduler.Create(Task(QStringLiteral("B"), true, true, true, QStringLiteral("/p/line\nbreak.tdp"))).ok);
    EXPECT_FALSE(scheduler.Create(Task(QStringLiteral("two\nlines"), true, true, true)).ok);
    EXPECT_FALSE(scheduler.Delete(QStringLiteral("never made")).ok);
    EXPECT_EQ(crontab.Table(), before);

    crontab.SetFailing(true);
    const SchedulerResult failed = scheduler.Create(Task(QStringLiteral("C"), true, true, true));
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.error.contains(QStringLiteral("cannot reach"))) << failed.error.toStdString();
    EXPECT_FALSE(scheduler.Refresh().ok);
    crontab.SetFailing(false);
    EXPECT_EQ(crontab.Table(), before);
}

TEST_F(TaskSchedulerTest, WithoutCrontabTheSchedulerSaysSoInTheUsersLanguage) {
    SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const SchedulerResult listed = scheduler.Refresh();
    const SchedulerResult created = scheduler.Create(Task(QStringLiteral("A"), true, true, true));
    qputenv("PATH", path);
    Settings().LanguageName.clear();
    ReloadLocalizer();
    SetProgramFolderForTests(QString());
    EXPECT_FALSE(listed.ok);
    EXPECT_FALSE(created.ok);
    for (const QString& error : {listed.error, created.error})
        EXPECT_TRUE(error.contains(QStringLiteral("nicht installiert"))) << error.toStdString();
}

TEST(TaskStartTimeTest, FirstRunLiesMoreThanFifteenAndAtMostSeventyFiveMinutesAhead) {
    for (const auto& [now, first] : {std::pair{QTime(10, 44), QTime(11, 0)}, {QTime(10, 45), QTime(12, 0)}, {QTime(23, 30), QTime(0, 0)}})
        EXPECT_EQ(FirstStartTime(QDateTime(QDate(2024, 5, 6), now)), first) << qPrintable(now.toString());
    EXPECT_EQ(ParseStartTime(QStringLiteral("7:05")), QTime(7, 5));
    EXPECT_EQ(ParseStartTime(QStringLiteral(" 23:59 ")), QTime(23, 59));
    for (const char* bad : {"24:00", "abc", "12:60", "12", "1:2", "-1:00", ""})
        EXPECT_FALSE(ParseStartTime(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(DailySchedule(7, 5), QStringLiteral("5 7 * * *"));
}

}  // namespace
