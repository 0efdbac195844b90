#include "platform/Clock.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(SystemInfo, FactsOfThisSystem) {
    EXPECT_TRUE(IsNtFamily());
    EXPECT_FALSE(IsVersion6Nt());
    EXPECT_TRUE(GetWindowsVersionCode(".").isEmpty());
    EXPECT_FALSE(ProgramFolder().isEmpty());
    EXPECT_TRUE(QDir(ProgramFolder()).exists());
    SetProgramFolderForTests("/somewhere");
    EXPECT_EQ(ProgramFolder(), "/somewhere");
    SetProgramFolderForTests(QString());
}

TEST(SystemInfo, KnownFoldersFollowTheUserDirsAndAreCreated) {
    IsolatedEnvironment env;
    const QByteArray oldHome = qgetenv("HOME");
    TempTree home;
    qputenv("HOME", home.Path().toUtf8());
    EXPECT_EQ(GetKnownFolder(26), env.ConfigHome());
    EXPECT_EQ(GetKnownFolder(13), home.Path() + "/Music");
    EXPECT_TRUE(home.Exists("Music"));
    EXPECT_TRUE(GetKnownFolder(39, false, true).isEmpty());  // verify without creating
    EXPECT_EQ(GetKnownFolder(39, false, false), home.Path() + "/Pictures");
    EXPECT_FALSE(home.Exists("Pictures"));
    QFile dirs(env.ConfigHome() + "/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_VIDEOS_DIR=\"$HOME/Filme/\"\nXDG_DOCUMENTS_DIR=\"relative\"\n");
    dirs.close();
    EXPECT_EQ(GetKnownFolder(14), home.Path() + "/Filme");
    EXPECT_EQ(GetKnownFolder(5), home.Path() + "/Documents");
    EXPECT_TRUE(GetKnownFolder(99).isEmpty());
    qputenv("HOME", oldHome);
}

TEST(SystemInfo, TempFolder) {
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/var/tmp");
    EXPECT_EQ(TempFolder(), "/var/tmp");
    qunsetenv("TMPDIR");
    EXPECT_EQ(TempFolder(), "/tmp");
    if (!old.isNull()) qputenv("TMPDIR", old);
}

TEST(SystemInfo, AWaitAcrossMidnightEndsAfterTheRequestedTime) {
    IsolatedEnvironment env;
    // Every look at the clock moves it on by 100 ms, starting 300 ms before midnight.
    int looks = 0;
    Clock::SetNowForTests([&looks] {
        const QDateTime start(QDate(2027, 3, 5), QTime(23, 59, 59, 700));
        return start.addMSecs(100LL * looks++);
    });
    WaitWithEvents(1000);
    EXPECT_GE(looks, 10);
    EXPECT_LE(looks, 12);
    Clock::SetNowForTests({});
}

}  // namespace
