#include "platform/Clock.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemInfo, AKnownFolderIsVerifiedWithoutBeingMade) {
    IsolatedEnvironment env;
    TempTree home;
    ScopedEnvironment vars;
    vars.Set("HOME", home.Path().toUtf8());
    EXPECT_TRUE(GetKnownFolder(KnownFolder::Pictures, false, true).isEmpty());
    EXPECT_EQ(GetKnownFolder(KnownFolder::Pictures, false, false), home.Path() + "/Pictures");
    EXPECT_FALSE(home.Exists("Pictures"));
    EXPECT_EQ(GetKnownFolder(KnownFolder::Pictures, true, true), home.Path() + "/Pictures");
    EXPECT_TRUE(home.Exists("Pictures"));
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
