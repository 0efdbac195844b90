// A profile's folder names with placeholders, expanded against an environment of the test's own.

#include "config/Placeholders.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// "~" stands for the test's home folder and "@" for its configuration folder.
const struct {
    const char* text;
    const char* expanded;
} kPlaceholders[] = {
    {"/logs/%Year%-%Month%-%Day%.log", "/logs/2027-03-05.log"},
    {"%year2%%MONTH%%day%_%Hour%%min%%SEC%", "270305_140709"},
    {"%AppData%/a", "@/a"},
    {"%MyDocuments%/x", "~/Docs here/x"},
    {"%MyMusic%", "~/Music"},  // user-dirs.dirs names a relative folder: not taken
    {"%MyVideo%", "~/Filme"},
    {"%AppDir%/Example1.tdp", "/opt/tandor/Example1.tdp"},
    {"%TEMP%/a:%tmp%", "/var/tmp/me/a:/var/tmp/me"},
    {"%TANDOR_TEST_PLACE%/x", "/data/x"},
    {"100% sure %TANDOR_TEST_PLACE%", "100% sure %TANDOR_TEST_PLACE%"},
    {"   /a//b  ", "/a/b"},
    {"//server//share///dir", "//server/share/dir"},
};

TEST(Placeholders, EachExpandsIgnoringCaseAndDoubledSlashesCollapseExceptAtTheStart) {
    IsolatedEnvironment env;
    TempTree tree;
    const QString home = tree.Folder(QStringLiteral("home"));
    ScopedEnvironment vars;
    vars.Set("HOME", home.toUtf8());
    vars.Set("TMPDIR", "/var/tmp/me/");
    vars.Set("TANDOR_TEST_PLACE", "/data");
    QFile dirs(env.ConfigHome() + QStringLiteral("/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Docs here\"\nXDG_VIDEOS_DIR=\"$HOME/Filme/\"\nXDG_MUSIC_DIR=\"Musik\"\n");
    dirs.close();
    SetProgramFolderForTests(QStringLiteral("/opt/tandor"));
    Clock::SetNowForTests([] { return QDateTime(QDate(2027, 3, 5), QTime(14, 7, 9)); });
    for (const auto& c : kPlaceholders) {
        QString expected = QString::fromUtf8(c.expanded);
        expected.replace(QLatin1Char('~'), home).replace(QLatin1Char('@'), env.ConfigHome());
        EXPECT_EQ(ExpandPathPlaceholders(QString::fromUtf8(c.text)), expected) << c.text;
    }
    // A known folder is made when a placeholder names it, and only then.
    EXPECT_TRUE(QDir(home + QStringLiteral("/Docs here")).exists());
    EXPECT_FALSE(QDir(home + QStringLiteral("/Videos")).exists());
    Clock::SetNowForTests({});
    SetProgramFolderForTests(QString());
}

}  // namespace
