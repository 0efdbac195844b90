#include "config/PasswordScramble.h"
#include "config/Profile.h"
#include "config/TimeText.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeText, WritesClockTimesUnderADayAndDatesOtherwise) {
    const std::pair<double, const char*> rows[] = {
        {0, "00:00:00"}, {2.0 / 86400, "00:00:02"}, {0.5 + 61.0 / 86400, "12:01:01"},
        {86399.6 / 86400, "1899-12-31 00:00:00"},  // rounds up to one day
        {1.25, "1899-12-31 06:00:00"}, {MaxDateValue, "9999-12-31 23:59:59"}, {1e12, "9999-12-31 23:59:59"}};
    for (const auto& [days, text] : rows) EXPECT_EQ(TimeLagText(days), text) << days;
}

TEST(TimeText, ReadsItsOwnFormsTwelveHourTimesAndPlainDays) {
    const std::pair<const char*, double> rows[] = {
        {"00:00:02", 2.0 / 86400}, {" 0:01 ", 60.0 / 86400}, {"9999-12-31 23:59:59", MaxDateValue}, {"1899-12-31", 1.0},
        {"12:00:02 AM", 2.0 / 86400}, {"1:30 pm", 13.5 / 24}, {"12:00 PM", 0.5}, {"12/31/9999 11:59:59 PM", MaxDateValue},
        {"31.12.9999 23:59:59", MaxDateValue}, {"0", 0.0}, {"1.5", 1.5}, {"0,25", 0.25}};
    for (const auto& [text, days] : rows) {
        ASSERT_TRUE(ParseTimeLag(text).has_value()) << text;
        EXPECT_NEAR(*ParseTimeLag(text), days, 1e-8) << text;
    }
    // Compare-date off is read back as a time lag of a day or more.
    EXPECT_GE(*ParseTimeLag("9999-12-31 23:59:59"), 1.0);
    for (const double v : {0.0, 2.0 / 86400, 0.75, 3.0, 45000.5, MaxDateValue})
        EXPECT_EQ(TimeLagText(*ParseTimeLag(TimeLagText(v))), TimeLagText(v));
    for (const char* bad : {"", "abc", "25:00:00", "13:00 PM", "0:60", "2027-02-30", "1e5", "--1", "12:00:00 XM"})
        EXPECT_FALSE(ParseTimeLag(QString::fromLatin1(bad)).has_value()) << bad;
}

// Passwords in Windows-1252 keep the old form, two hex digits per character; any other one
// survives in a form of its own; a text that is no scrambled password is left as it is.
TEST(PasswordScramble, OldFormForWestern1252TextsAndAnyUnicodeSurvives) {
    EXPECT_TRUE(PasswordKeyText().startsWith("Vellmark - Tandor - "));
    EXPECT_EQ(ScrambleProfilePassword(""), "");
    EXPECT_EQ(ScrambleProfilePassword("Vab"), "00040E");  // "V" ^ "V" = 0, "e" ^ "a" = 4, "l" ^ "b" = 0E
    const QString western = QString::fromUtf8("Pässwörd €");
    EXPECT_EQ(ScrambleProfilePassword(western).size(), western.size() * 2);
    const std::pair<QString, bool> rows[] = {{"abc", false},      {western, false},        {QString(200, 'z'), false},
                                             {"пароль", true}, {"\U0001F511key", true}, {"ä€ж", true}};
    for (const auto& [pw, ownForm] : rows) {
        const QString scrambled = ScrambleProfilePassword(pw);
        EXPECT_EQ(scrambled.startsWith("U8:"), ownForm) << scrambled.toStdString();
        EXPECT_FALSE(scrambled.contains(pw.right(2))) << scrambled.toStdString();
        EXPECT_EQ(UnscrambleProfilePassword(scrambled), pw);
    }
    for (const char* plain : {"", "xyz1", "000", "U8:0"}) EXPECT_EQ(UnscrambleProfilePassword(plain), plain);
    EXPECT_EQ(UnscrambleProfilePassword("0004"), "Va");
}

}  // namespace
