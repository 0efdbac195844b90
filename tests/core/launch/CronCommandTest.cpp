// A crontab line's command: every word a user's path or argument can hold comes out of cron and
// the shell exactly as it went in, and reads back from the table.

#include "launch/CronCommand.h"
#include "support/CrontabStandIn.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

struct WordCase {
    const char* what;
    const char* word;
};

const WordCase kWords[] = {
    {"plain", "plain"},
    {"blanks", "my  files"},
    {"empty", ""},
    {"single quote", "it's"},
    {"double quotes", "say \"hi\""},
    {"percent, cut by cron", "100%"},
    {"percent after a backslash", "a\\%b"},
    {"percents and quotes", "%%'%\\'"},
    {"backslashes", "back\\\\slash\\"},
    {"shell expansions", "$HOME `x` $(y) * ?"},
    {"comment sign", "#no comment"},
    {"tilde and tab", "~root\tx"},
    {"non-ASCII", "\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac"},
    {"leading dash", "-auto"},
};

TEST(CronCommand, EachWordSurvivesCronAndTheShellAndReadsBack) {
    TempTree tree;
    // The working folder holds the same kinds of characters: a "cd" that fails runs nothing.
    const QString folder = tree.Folder(QStringLiteral("it's 100% $HOME"));
    for (const WordCase& c : kWords) {
        SCOPED_TRACE(c.what);
        CronCommand command;
        command.workingFolder = folder;
        command.program = QStringLiteral("/usr/bin/printf");
        command.arguments = {QStringLiteral("[%s]"), QString::fromUtf8(c.word)};
        const QString line = FormatCronCommand(command);
        EXPECT_FALSE(line.contains(QStringLiteral("\\\\"))) << "a backslash a cron variant could take for an escape";
        const ShellRun run = RunAsCron(line, tree.Path());
        ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString() << qPrintable(line);
        EXPECT_EQ(QString::fromUtf8(run.standardOutput), QLatin1Char('[') + QString::fromUtf8(c.word) + QLatin1Char(']'));
        const std::optional<CronCommand> back = ParseCronCommand(line);
        ASSERT_TRUE(back) << qPrintable(line);
        EXPECT_EQ(back->workingFolder, folder);
        EXPECT_EQ(back->program, command.program);
        EXPECT_EQ(back->arguments, command.arguments);
    }
}

TEST(CronCommand, LineBreaksAreRefusedAndForeignCommandsAreNotReadAsOurs) {
    for (const char* broken : {"a\nb", "a\rb", "end\n"}) EXPECT_FALSE(CronCanCarry(QString::fromLatin1(broken))) << broken;
    EXPECT_TRUE(CronCanCarry(QStringLiteral("a\tb %")));
    for (const char* foreign : {"/bin/true | mail", "echo a%b", "x 'open", "a; b", "cd /x && && y"})
        EXPECT_FALSE(ParseCronCommand(QString::fromLatin1(foreign))) << foreign;
    // A redirection a user added to silence cron's mail is kept and written back.
    const std::optional<CronCommand> silenced = ParseCronCommand(QStringLiteral("'/usr/bin/tandor' '-Hide' >/dev/null 2>&1"));
    ASSERT_TRUE(silenced);
    EXPECT_EQ(silenced->arguments, QStringList{QStringLiteral("-Hide")});
    EXPECT_EQ(FormatCronCommand(*silenced), QStringLiteral("'/usr/bin/tandor' '-Hide' >/dev/null 2>&1"));
}

}  // namespace
