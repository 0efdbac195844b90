// The daily log file, byte for byte.

#include "config/ProgramSettings.h"
#include "engine/LogFile.h"
#include "platform/Clock.h"
#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <string>

namespace {

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The C locale's stamp is the ISO form; the user's locale would change the bytes.
        oldLocale_ = std::setlocale(LC_TIME, nullptr);
        std::setlocale(LC_TIME, "C");
        Settings().LogToFile = true;
        Settings().LogfilesFolder = logs.Path();
        ForgetLogWriteFailureForTests();
        SetNow(QDateTime(QDate(2026, 12, 5), QTime(10, 0, 0)));
    }
    void TearDown() override { std::setlocale(LC_TIME, oldLocale_.c_str()); }
    void SetNow(const QDateTime& now) {
        Clock::SetNowForTests([now] { return now; });
    }

    IsolatedEnvironment env;
    TempTree logs;
    std::string oldLocale_;
};

}  // namespace

// Each line as it lands in the file: fields joined by TABs, CR dropped and LF a TAB, a pair of
// TABs of an empty middle field made one in a single pass, a name's bytes kept as they are.
TEST_F(LogFileTest, EachLineLandsAsTheRulesSay) {
    const struct {
        QStringList fields;
        QByteArray line;
    } cases[] = {
        {{"5", "Access is denied.\r\n", "/a/x.txt", QString()}, "\t5\tAccess is denied.\t/a/x.txt"},
        {{"End", "/p/x.tdp", "/l", "/r"}, "\tEnd\t/p/x.tdp\t/l\t/r"},
        {{}, ""},
        {{"a", QString(), "b"}, "\ta\tb"},
        {{"a", QString(), QString(), "b"}, "\ta\t\tb"},
        {{"x\r\ny\n", "z"}, "\tx\ty\tz"},
        {{"a\t", QString(), QString()}, "\ta"},
        {{"2", "No such file", QStringLiteral("/a/caf") + QChar(0xDCE9) + QStringLiteral(".txt")},
         "\t2\tNo such file\t/a/caf\xe9.txt"},
    };
    QByteArray expected;
    for (const auto& c : cases) {
        WriteLogLine(c.fields);
        expected += "2026-12-05 10:00:00" + c.line + "\r\n";
    }
    EXPECT_EQ(logs.Read(QStringLiteral("20261205.log")), expected);
}

TEST_F(LogFileTest, RunAcrossMidnightWritesTwoFiles) {
    SetNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    WriteLogLine({QStringLiteral("Start"), QStringLiteral("/p.tdp")});
    SetNow(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5)));
    WriteLogLine({QStringLiteral("End"), QStringLiteral("/p.tdp")});
    EXPECT_EQ(logs.Read(QStringLiteral("20261231.log")), QByteArray("2026-12-31 23:59:59\tStart\t/p.tdp\r\n"));
    EXPECT_EQ(logs.Read(QStringLiteral("20270101.log")), QByteArray("2027-01-01 00:00:05\tEnd\t/p.tdp\r\n"));
}

TEST_F(LogFileTest, OffOrMissingFolderWritesNothing) {
    Settings().LogfilesFolder = logs.Path() + QStringLiteral("/");  // a trailing slash is the same folder
    WriteLogLine({QStringLiteral("Start")});
    EXPECT_EQ(logs.List(), QStringList{QStringLiteral("20261205.log")});
    QFile::remove(logs.Path(QStringLiteral("20261205.log")));

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

TEST_F(LogFileTest, PathsAreEscapedSoThatANameNeverAddsAFieldOrALine) {
    const struct {
        QString path;
        QString logged;
    } cases[] = {
        {QStringLiteral("/a/new\nline"), QStringLiteral("/a/new\\nline")},
        {QStringLiteral("/a/tab\there\\back"), QStringLiteral("/a/tab\\there\\\\back")},
        {QStringLiteral("/a/cr\r\n"), QStringLiteral("/a/cr\\r\\n")},
        {QStringLiteral("/a/bell\x07" "del\x7f") + QChar(0x85), QStringLiteral("/a/bell\\x07del\\x7f\\x85")},
        {QStringLiteral("/a/") + QChar(0x2028) + QChar(0x2029), QStringLiteral("/a/\\u2028\\u2029")},
        {QStringLiteral("/a/Grüße ✓"), QStringLiteral("/a/Grüße ✓")},
    };
    for (const auto& c : cases) EXPECT_EQ(LogPath(c.path), c.logged) << qPrintable(c.logged);
    // Through the line rules unchanged; a byte that is not UTF-8 is still written as itself.
    WriteLogLine({QStringLiteral("Copy"), LogPath(QStringLiteral("/a/x\t\n") + QChar(0xDCE9)), LogPath(QStringLiteral("/b"))});
    EXPECT_EQ(logs.Read(QStringLiteral("20261205.log")),
              QByteArray("2026-12-05 10:00:00\tCopy\t/a/x\\t\\n\xe9\t/b\r\n"));
}

TEST_F(LogFileTest, TheStampKeepsAFourDigitYearInTheCLocaleAndItsUtf8Twin) {
    // Cron and containers run under "C" or "C.UTF-8", whose own date form has a two-digit year.
    for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
        if (!std::setlocale(LC_TIME, locale)) continue;
        EXPECT_EQ(GeneralDateTimeText(QDateTime(QDate(2031, 2, 3), QTime(4, 5, 6))),
                  QStringLiteral("2031-02-03 04:05:06"))
            << locale;
    }
}

TEST(LogTimeStampFormat, EveryTwoDigitYearOfALocaleFormBecomesFourDigits) {
    // Forms as locales give them: day-first, month-first with "%D", era years, flags and
    // widths; everything but the year stays as the locale wrote it.
    EXPECT_EQ(WithFourDigitYear("%d/%m/%y %H:%M:%S"), QByteArray("%d/%m/%Y %H:%M:%S"));
    EXPECT_EQ(WithFourDigitYear("%D %T"), QByteArray("%m/%d/%Y %T"));
    EXPECT_EQ(WithFourDigitYear("%Ey.%Om.%Od"), QByteArray("%EY.%Om.%Od"));
    EXPECT_EQ(WithFourDigitYear("%Oy/%-m/%_3d"), QByteArray("%Y/%-m/%_3d"));
    EXPECT_EQ(WithFourDigitYear("%Y-%m-%d %r"), QByteArray("%Y-%m-%d %r"));
    // A literal percent sign followed by "y" is text, not a year.
    EXPECT_EQ(WithFourDigitYear("%%y %y%"), QByteArray("%%y %Y%"));
}
