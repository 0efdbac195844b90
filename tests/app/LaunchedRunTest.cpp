// A scheduled task's crontab line and a shortcut's desktop entry start the real program on a
// real profile the way cron and a desktop launcher do: no display, no LANG, PATH=/usr/bin:/bin.

#include "UnattendedRunFixture.h"

#include "launch/CronTable.h"
#include "launch/DesktopEntry.h"
#include "launch/ShortcutCommand.h"
#include "launch/TaskScheduler.h"
#include "support/CrontabStandIn.h"

#include <QFile>
#include <QRegularExpression>

namespace {

class LaunchedRun : public UnattendedRun {
protected:
    QString home;
    QString profile;

    // A home whose settings folder is the test's, and a profile in a folder whose name holds
    // blanks, a quote, "%", non-ASCII letters and a switch text.
    void SetUp() override {
        WriteSettings();
        home = tree.Folder(QStringLiteral("home"));
        ASSERT_TRUE(QFile::link(configHome.path(), home + QStringLiteral("/.config")));
        tree.File(QStringLiteral("left/a.txt"), "from the left side \xc3\xa9");
        tree.Folder(QStringLiteral("right"));
        const QString written = WriteProfile(tree.Path(QStringLiteral("left")), tree.Path(QStringLiteral("right")), "11000");
        tree.Folder(QStringLiteral("it's \"100%\" \u00e9t\u00e9 -auto"));
        profile = tree.Path(QStringLiteral("it's \"100%\" \u00e9t\u00e9 -auto/-My Profile.tdp"));
        ASSERT_TRUE(QFile::rename(written, profile));
    }

    void ExpectSynchronised() {
        EXPECT_EQ(tree.Read(QStringLiteral("right/a.txt")), QByteArray("from the left side \xc3\xa9"));
        EXPECT_FALSE(TodaysLog().isEmpty());
    }
};

TEST_F(LaunchedRun, ACreatedTaskRunsItsProfileThroughCronsShell) {
    CrontabStandIn crontab;
    crontab.SetTable("MAILTO=\"\"\n");
    TaskScheduler scheduler;
    const ScheduledTask task = NewProfileTask(QStringLiteral("Nightly"), QString(), QStringLiteral(TANDOR_EXE), profile,
                                              true, true, true, QTime(3, 0));
    ASSERT_TRUE(scheduler.Create(task).ok);

    // The command exactly as the table holds it, after the five time fields.
    const QList<QByteArray> lines = crontab.Table().split('\n');
    ASSERT_GE(lines.size(), 5);
    const QString line = QString::fromUtf8(lines.at(4));
    EXPECT_TRUE(line.startsWith(QStringLiteral("0 3 * * * "))) << line.toStdString();
    const QString command = line.section(QLatin1Char(' '), 5);
    const ShellRun run = RunAsCron(command, home);
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    ExpectSynchronised();
}

TEST_F(LaunchedRun, ADesktopEntryValidatesAndItsExecLineRunsTheProfile) {
    ShortcutChoice choice;
    choice.programPath = QStringLiteral(TANDOR_EXE);
    choice.profilePath = profile;
    choice.autoRun = choice.dontAsk = choice.hide = true;
    const ShortcutCommand command = BuildShortcutCommand(choice);
    ShortcutSpec shortcut;
    shortcut.filePath = tree.Path(QStringLiteral("home/Sync $now.desktop"));
    shortcut.name = QStringLiteral(" Sync \\ $now");
    shortcut.target = command.target;
    shortcut.arguments = command.arguments;
    shortcut.workingFolder = QFileInfo(QStringLiteral(TANDOR_EXE)).absolutePath();
    shortcut.iconPath = QStringLiteral("tandor");
    shortcut.description = QStringLiteral("100% \"quoted\"");
    ASSERT_EQ(CreateShortcut(shortcut), QString());
    EXPECT_TRUE(QFileInfo(shortcut.filePath).isExecutable());

    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {shortcut.filePath});
    ASSERT_TRUE(validate.waitForFinished());
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();

    // GLib's desktop-entry reader parses the file and starts its Exec line, with no display.
    const char* launch =
        "import os, sys, gi\n"
        "gi.require_version('Gio', '2.0')\n"
        "from gi.repository import Gio, GLib\n"
        "info = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])\n"
        "pids = []\n"
        "info.launch_uris_as_manager([], None, GLib.SpawnFlags.DO_NOT_REAP_CHILD, None, None,\n"
        "                            lambda a, pid, d: pids.append(pid), None)\n"
        "sys.exit(os.waitstatus_to_exitcode(os.waitpid(pids[0], 0)[1]))\n";
    QProcess python;
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    python.setProcessEnvironment(env);
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(launch), shortcut.filePath});
    ASSERT_TRUE(python.waitForFinished(120000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    ExpectSynchronised();
}

}  // namespace
