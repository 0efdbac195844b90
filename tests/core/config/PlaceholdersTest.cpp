#include "config/Placeholders.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <QDir>

#include <clocale>
#include <gtest/gtest.h>

namespace {

class Placeholders : public ::testing::Test {
protected:
    void SetUp() override {
        Clock::SetNowForTests([] { return QDateTime(QDate(2027, 3, 5), QTime(14, 7, 9)); });
    }
    IsolatedEnvironment env_;
};

TEST_F(Placeholders, DateAndTimePartsUseTheClockIgnoringCase) {
    EXPECT_EQ(ExpandPathPlaceholders("/logs/%Year%-%Month%-%Day%.log"), "/logs/2027-03-05.log");
    EXPECT_EQ(ExpandPathPlaceholders("%year2%%MONTH%%day%_%Hour%%min%%SEC%"), "270305_140709");
    EXPECT_EQ(ExpandPathPlaceholders("%Day%/%Day%"), "05/05");
    if (QByteArray(std::setlocale(LC_TIME, nullptr)) == "C") {
        EXPECT_EQ(ExpandPathPlaceholders("%Date%"), "03/05/27");  // slashes are passed on as they are
        EXPECT_EQ(ExpandPathPlaceholders("%Time%"), "14:07:09");
        EXPECT_EQ(ExpandPathPlaceholders("%Now%"), "03/05/27 14:07:09");
    }
}

TEST_F(Placeholders, KnownFoldersAndTheProgramFolder) {
    EXPECT_EQ(ExpandPathPlaceholders("%appdata%/Tandor"), env_.ConfigHome() + "/Tandor");
    EXPECT_EQ(ExpandPathPlaceholders("%AppData%/a:%APPDATA%/b"), env_.ConfigHome() + "/a:" + env_.ConfigHome() + "/b");
    TempTree t;
    const QString docs = t.Path("MyDocs");
    t.File("unused", "");
    QFile f(env_.ConfigHome() + "/user-dirs.dirs");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"" + docs.toUtf8() + "\"\n");
    f.close();
    EXPECT_EQ(ExpandPathPlaceholders("%MyDocuments%/x"), docs + "/x");
    EXPECT_TRUE(QDir(docs).exists());  // asked with create-if-missing
    SetProgramFolderForTests("/opt/tandor");
    EXPECT_EQ(ExpandPathPlaceholders("%AppDir%/Example1.tdp"), "/opt/tandor/Example1.tdp");
    SetProgramFolderForTests(QString());
}

TEST_F(Placeholders, TempUserProfileNameAndLineBreak) {
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("TMPDIR", "/var/tmp/me/");
    qputenv("HOME", "/home/alice");
    EXPECT_EQ(ExpandPathPlaceholders("%TEMP%/a"), "/var/tmp/me/a");
    EXPECT_EQ(ExpandPathPlaceholders("%tmp%"), "/var/tmp/me");
    EXPECT_EQ(ExpandPathPlaceholders("/srv/%UserProfileName%"), "/srv/alice");
    EXPECT_EQ(ExpandPathPlaceholders("a%LF%b"), "a\r\nb");
    qunsetenv("TMPDIR");
    EXPECT_EQ(ExpandPathPlaceholders("%Temp%"), "/tmp");
    if (!oldTmp.isNull()) qputenv("TMPDIR", oldTmp);
    qputenv("HOME", oldHome);
}

TEST_F(Placeholders, EnvironmentVariablesExpandAndUnknownNamesStay) {
    qputenv("TANDOR_TEST_PLACE", "/data");
    EXPECT_EQ(ExpandPathPlaceholders("%TANDOR_TEST_PLACE%/x"), "/data/x");
    EXPECT_EQ(ExpandPathPlaceholders("%NoSuchVar_Tandor%/x"), "%NoSuchVar_Tandor%/x");
    EXPECT_EQ(ExpandPathPlaceholders("%NoSuchVar_Tandor%TANDOR_TEST_PLACE%"), "%NoSuchVar_Tandor%TANDOR_TEST_PLACE%");
    EXPECT_EQ(ExpandPathPlaceholders("100% sure %TANDOR_TEST_PLACE%"), "100% sure %TANDOR_TEST_PLACE%");
    EXPECT_EQ(ExpandPathPlaceholders("50%%"), "50%%");
    EXPECT_EQ(ExpandPathPlaceholders("a%"), "a%");
    qunsetenv("TANDOR_TEST_PLACE");
}

TEST_F(Placeholders, TrimsFirstAndCollapsesDoubledSlashesExceptAtTheStart) {
    EXPECT_EQ(ExpandPathPlaceholders("   /a/b  "), "/a/b");
    EXPECT_EQ(ExpandPathPlaceholders("//server//share///dir"), "//server/share/dir");
    EXPECT_EQ(ExpandPathPlaceholders("/a//b"), "/a/b");
    EXPECT_EQ(ExpandPathPlaceholders("%AppData%//x"), env_.ConfigHome() + "/x");
    EXPECT_EQ(ExpandPathPlaceholders("DATA//Backup"), "DATA/Backup");
    EXPECT_EQ(ExpandPathPlaceholders(""), "");
    EXPECT_EQ(ExpandPathPlaceholders("/"), "/");
}

}  // namespace
