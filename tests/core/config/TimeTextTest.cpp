#include "config/PasswordScramble.h"
#include "config/Profile.h"
#include "config/TimeText.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeText, WritesClockTimesUnderADayAndDatesOtherwise) {
    EXPECT_EQ(TimeLagText(0), "00:00:00");
    EXPECT_EQ(TimeLagText(2.0 / 86400), "00:00:02");
    EXPECT_EQ(TimeLagText(0.5 + 61.0 / 86400), "12:01:01");
    EXPECT_EQ(TimeLagText(86399.6 / 86400), "1899-12-31 00:00:00");  // rounds up to one day
    EXPECT_EQ(TimeLagText(1.25), "1899-12-31 06:00:00");
    EXPECT_EQ(TimeLagText(MaxDateValue), "9999-12-31 23:59:59");
    EXPECT_EQ(TimeLagText(1e12), "9999-12-31 23:59:59");
}

TEST(TimeText, ReadsItsOwnFormsTwelveHourTimesAndPlainDays) {
    EXPECT_DOUBLE_EQ(*ParseTimeLag("00:00:02"), 2.0 / 86400);
    EXPECT_DOUBLE_EQ(*ParseTimeLag(" 0:01 "), 60.0 / 86400);
    EXPECT_NEAR(*ParseTimeLag("9999-12-31 23:59:59"), MaxDateValue, 1e-8);
    EXPECT_GE(*ParseTimeLag("9999-12-31 23:59:59"), 1.0);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("1899-12-31"), 1.0);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("12:00:02 AM"), 2.0 / 86400);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("1:30 pm"), 13.5 / 24);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("12:00 PM"), 0.5);
    EXPECT_NEAR(*ParseTimeLag("12/31/9999 11:59:59 PM"), MaxDateValue, 1e-8);
    EXPECT_NEAR(*ParseTimeLag("31.12.9999 23:59:59"), MaxDateValue, 1e-8);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("0"), 0.0);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(*ParseTimeLag("0,25"), 0.25);
    for (const double v : {0.0, 2.0 / 86400, 0.75, 3.0, 45000.5, MaxDateValue}) {
        EXPECT_EQ(TimeLagText(*ParseTimeLag(TimeLagText(v))), TimeLagText(v));
    }
}

TEST(TimeText, UnreadableTextsGiveNothing) {
    for (const char* bad : {"", "abc", "25:00:00", "13:00 PM", "0:60", "2027-02-30", "1e5", "--1", "12:00:00 XM"}) {
        EXPECT_FALSE(ParseTimeLag(QString::fromLatin1(bad)).has_value()) << bad;
    }
}

TEST(PasswordScramble, TwoHexDigitsPerCharacterAndBack) {
    EXPECT_EQ(ScrambleProfilePassword(""), "");
    EXPECT_EQ(UnscrambleProfilePassword(""), "");
    const QString key = PasswordKeyText();
    EXPECT_TRUE(key.startsWith("Vellmark - Tandor - "));
    // "V" ^ "V" = 0, "e" ^ "a" = 4, "l" ^ "b" = 0E.
    EXPECT_EQ(ScrambleProfilePassword("Vab"), "00040E");
    const QString scrambled = ScrambleProfilePassword("abc");
    EXPECT_EQ(scrambled.size(), 6);
    EXPECT_EQ(scrambled, scrambled.toUpper());
    for (const QString& pw : {QString("abc"), QString::fromUtf8("Pässwörd €"), QString(200, 'z')}) {
        EXPECT_EQ(UnscrambleProfilePassword(ScrambleProfilePassword(pw)), pw);
    }
    EXPECT_EQ(UnscrambleProfilePassword("0004"), "Va");
    EXPECT_EQ(UnscrambleProfilePassword("xyz1"), "xyz1");  // not scrambled: left as it is
    EXPECT_EQ(UnscrambleProfilePassword("000"), "000");
}

TEST(PasswordScramble, AnyUnicodePasswordSurvivesWhileWindows1252OnesKeepTheirForm) {
    // Windows-1252 passwords, "€" (0x80 there) included, keep two digits per character.
    const QString western = QString::fromUtf8("Pässwörd €");
    EXPECT_EQ(ScrambleProfilePassword(western).size(), western.size() * 2);
    EXPECT_FALSE(ScrambleProfilePassword(western).startsWith("U8:"));
    for (const QString& pw : {QString::fromUtf8("пароль"), QString::fromUtf8("κλειδί1"),
                              QString::fromUtf8("\xF0\x9F\x94\x91key"), QString::fromUtf8("ä€ж")}) {
        const QString scrambled = ScrambleProfilePassword(pw);
        EXPECT_TRUE(scrambled.startsWith("U8:")) << scrambled.toStdString();
        EXPECT_FALSE(scrambled.contains(pw.right(2)));
        EXPECT_EQ(UnscrambleProfilePassword(scrambled), pw);
    }
    EXPECT_EQ(UnscrambleProfilePassword("U8:0"), "U8:0");
}

}  // namespace
