// The daily log file, byte for byte.

#include "config/ProgramSettings.h"
#include "engine/LogFile.h"
#include "platform/Clock.h"
#include "support/TempTree.h"


#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <string>

namespace {

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldLocale_ = std::setlocale(LC_TIME, nullptr);
        std::setlocale(LC_TIME, "C");
        Settings().LogToFile = true;
        Settings().LogfilesFolder = logs.Path();
        ForgetLogWriteFailureForTests();
        Clock::SetNowForTests([] { return QDateTime(QDate(2026, 12, 5), QTime(10, 0, 0)); });
    }
    void TearDown() override { std::setlocale(LC_TIME, oldLocale_.c_str()); }

    IsolatedEnvironment env;
    TempTree logs;
    std::string oldLocale_;
};

}  // namespace

// Fields joined by TABs, CR dropped and LF a TAB, an empty middle field's TABs made one in a
// single pass, a name's bytes kept, a path escaped so that it never adds a field or a line.
TEST_F(LogFileTest, EachLineLandsAsTheRulesSay) {
    const QString notUtf8 = QStringLiteral("/a/caf") + QChar(0xDCE9) + QStringLiteral(".txt");
    const struct {
        QStringList fields;
        QByteArray line;
    } cases[] = {
        {{"5", "Access is denied.\r\n", "/a/x.txt", QString()}, "\t5\tAccess is denied.\t/a/x.txt"},
        {{}, ""},
        {{"a", QString(), "b"}, "\ta\tb"},
        {{"a", QString(), QString(), "b"}, "\ta\t\tb"},
        {{"x\r\ny\n", "z"}, "\tx\ty\tz"},
        {{"a\t", QString(), QString()}, "\ta"},
        {{"2", "No such file", notUtf8}, "\t2\tNo such file\t/a/caf\xe9.txt"},
        {{"Copy", LogPath("/a/new\nline\r"), LogPath("/b/tab\there\\back")}, "\tCopy\t/a/new\\nline\\r\t/b/tab\\there\\\\back"},
        {{LogPath(QStringLiteral("/a/bell\x07" "del\x7f") + QChar(0x85) + QChar(0x2028) + "\xc3\xbc" + notUtf8)},
         "\t/a/bell\\x07del\\x7f\\x85\\u2028\xc3\xbc/a/caf\xe9.txt"},
    };
    QByteArray expected;
    for (const auto& c : cases) {
        WriteLogLine(c.fields);
        expected += "2026-12-05 10:00:00" + c.line + "\r\n";
    }
    EXPECT_EQ(logs.Read(QStringLiteral("20261205.log")), expected);
}

TEST_F(LogFileTest, OffOrMissingFolderWritesNothing) {
    Settings().LogToFile = false;
    WriteLogLine({QStringLiteral("Start")});
    EXPECT_TRUE(logs.List().isEmpty());
    Settings().LogToFile = true;
    Settings().LogfilesFolder = logs.Path(QStringLiteral("missing"));
    EXPECT_FALSE(LastLogWriteFailure());  // logging off is no failure
    WriteLogLine({QStringLiteral("Start")});  // lost, and the folder is not created
    EXPECT_TRUE(logs.List().isEmpty());
    // The end of an unattended run says where its log could not be written.
    ASSERT_TRUE(LastLogWriteFailure());
    EXPECT_EQ(LastLogWriteFailure()->folder, logs.Path(QStringLiteral("missing")));
    EXPECT_EQ(LastLogWriteFailure()->error, ENOENT);
}

// "C" (the stamps above), "C.UTF-8" and other locales' forms with a two-digit year get four.
TEST_F(LogFileTest, TheStampKeepsAFourDigitYearInEveryLocaleForm) {
    const bool utf8 = std::setlocale(LC_TIME, "C.UTF-8");
    EXPECT_TRUE(!utf8 || GeneralDateTimeText(QDateTime(QDate(2031, 2, 3), QTime(4, 5, 6))) == "2031-02-03 04:05:06");
    EXPECT_EQ(WithFourDigitYear("%D %Ey.%Oy/%-m %%y %y%"), QByteArray("%m/%d/%Y %EY.%Y/%-m %%y %Y%"));
}
