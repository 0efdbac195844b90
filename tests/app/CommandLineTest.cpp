#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {
QString Line(std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* a : args) list << QString::fromUtf8(a);
    return BuildCommandLine(list);
}
}  // namespace

TEST(CommandLine, RebuildsTheLineWithQuotesAroundArgumentsHoldingBlanks) {
    EXPECT_EQ(Line({"/my files/a.tdp", "-auto"}), QStringLiteral("\"/my files/a.tdp\" -auto"));
    EXPECT_EQ(Line({"/data/a.tdp", "-Auto", "-DontAsk", "-Hide"}),
              QStringLiteral("/data/a.tdp -Auto -DontAsk -Hide"));
    EXPECT_EQ(Line({}), QString());
}

TEST(CommandLine, SwitchesAreSubstringsIgnoringCase) {
    const StartupSwitches s = RecognizeSwitches(QStringLiteral("\"/p/x.tdp\" -AUTO -DontAsk -hide"));
    EXPECT_TRUE(s.AutoRun);
    EXPECT_TRUE(s.DontAsk);
    EXPECT_TRUE(s.Hidden);
    EXPECT_FALSE(s.UpdateRequested);
    EXPECT_FALSE(s.WizardRequested);
    // A longer word that begins with a switch counts; a switch's text inside the profile path
    // does not, quoted or not.
    EXPECT_TRUE(RecognizeSwitches(QStringLiteral("-automatic")).AutoRun);
    EXPECT_FALSE(RecognizeSwitches(QStringLiteral("/backups/x-hide/p.tdp")).Hidden);
    EXPECT_FALSE(RecognizeSwitches(QStringLiteral("\"/my backups/photo-autosave.tdp\" -hide")).AutoRun);
    EXPECT_TRUE(RecognizeSwitches(QStringLiteral("\"/my backups/photo-autosave.tdp\" -hide")).Hidden);
    EXPECT_FALSE(RecognizeSwitches(QStringLiteral("\"/unclosed -auto")).AutoRun);
    EXPECT_TRUE(RecognizeSwitches(QStringLiteral("/p/x-dontask.tdp -auto")).AutoRun);
    EXPECT_FALSE(RecognizeSwitches(QStringLiteral("/p/x-dontask.tdp -auto")).DontAsk);
    EXPECT_TRUE(RecognizeSwitches(QStringLiteral("-update -wizard")).UpdateRequested);
    EXPECT_TRUE(RecognizeSwitches(QStringLiteral("-update -wizard")).WizardRequested);
}

TEST(CommandLine, RegclassesSilencesTheRunSwitches) {
    const StartupSwitches s = RecognizeSwitches(QStringLiteral("-regclasses -auto -dontask -hide -wizard -update"));
    EXPECT_TRUE(s.RegisterClasses);
    EXPECT_TRUE(s.UpdateRequested);
    EXPECT_FALSE(s.AutoRun);
    EXPECT_FALSE(s.DontAsk);
    EXPECT_FALSE(s.Hidden);
    EXPECT_FALSE(s.WizardRequested);
}

TEST(CommandLine, LastErrorRuleStopsAutoRunOnlyWhenTheSettingSaysSo) {
    StartupSwitches s = RecognizeSwitches(QStringLiteral("-auto"));
    ApplyLastErrorRule(s, QStringLiteral("2026-12-01 10:00:00"), false);
    EXPECT_TRUE(s.AutoRun);
    ApplyLastErrorRule(s, QString(), true);
    EXPECT_TRUE(s.AutoRun);
    ApplyLastErrorRule(s, QStringLiteral("2026-12-01 10:00:00"), true);
    EXPECT_FALSE(s.AutoRun);

    EXPECT_TRUE(ShowsLastErrorNotice(RecognizeSwitches(QString()), QStringLiteral("d")));
    EXPECT_FALSE(ShowsLastErrorNotice(RecognizeSwitches(QStringLiteral("-dontask")), QStringLiteral("d")));
    EXPECT_FALSE(ShowsLastErrorNotice(RecognizeSwitches(QString()), QString()));
}

TEST(CommandLine, ProfileArgumentTakesTheQuotedPathOrTheFirstWord) {
    EXPECT_EQ(ProfileArgument(QStringLiteral("\"/my files/a.tdp\" -Auto -DontAsk -Hide")),
              QStringLiteral("/my files/a.tdp"));
    // Unquoted paths are cut at the first blank.
    EXPECT_EQ(ProfileArgument(QStringLiteral("/my files/a.tdp -auto")), QStringLiteral("/my"));
    // "-auto" before an unquoted path is the first word; before a quoted path it does no harm.
    EXPECT_EQ(ProfileArgument(QStringLiteral("-auto /p/a.tdp")), QStringLiteral("-auto"));
    EXPECT_EQ(ProfileArgument(QStringLiteral("-auto \"/p/a.tdp\"")), QStringLiteral("/p/a.tdp"));
    EXPECT_EQ(ProfileArgument(QString()), QString());
    EXPECT_EQ(ProfileArgument(QStringLiteral("\"")), QString());
    // A path that holds double quotes (a name the launchers write into tasks and shortcuts)
    // comes through whole, and its text never switches anything.
    const QString quoted = BuildCommandLine({QStringLiteral("/p/say \"hi\" -auto.tdp"), QStringLiteral("-hide")});
    EXPECT_EQ(ProfileArgument(quoted), QStringLiteral("/p/say \"hi\" -auto.tdp"));
    EXPECT_FALSE(RecognizeSwitches(quoted).AutoRun);
    EXPECT_TRUE(RecognizeSwitches(quoted).Hidden);
    EXPECT_EQ(ProfileArgument(BuildCommandLine({QStringLiteral("/p/\"x\".tdp")})), QStringLiteral("/p/\"x\".tdp"));
}
