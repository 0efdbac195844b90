#include "app/CommandLine.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <utility>

namespace {
// The switches as letters: a auto, d dontask, h hide, u update, w wizard, r regclasses.
std::string Letters(const StartupSwitches& s) {
    const std::pair<bool, char> flags[] = {{s.AutoRun, 'a'},         {s.DontAsk, 'd'},         {s.Hidden, 'h'},
                                           {s.UpdateRequested, 'u'}, {s.WizardRequested, 'w'}, {s.RegisterClasses, 'r'}};
    std::string out;
    for (const auto& [on, letter] : flags)
        if (on) out += letter;
    return out;
}

struct LineCase {
    QStringList arguments;
    const char* profilePath;
    const char* switches;
};

// A switch is a substring of the line outside the profile path, in any case; a switch's text
// inside the path (quoted or not) switches nothing, and a path holding quotes comes through whole.
const LineCase kLines[] = {
    {{}, "", ""},
    {{"/my files/a.tdp", "-auto"}, "/my files/a.tdp", "a"},
    {{"/data/a.tdp", "-Auto", "-DontAsk", "-Hide"}, "/data/a.tdp", "adh"},
    {{"/p/a.tdp", "--auto", "--DONTASK", "--hide"}, "/p/a.tdp", "adh"},
    {{"-automatic"}, "", "a"},
    {{"-auto", "/p/a.tdp"}, "", "a"},
    {{"-auto", "/p/my a.tdp"}, "/p/my a.tdp", "a"},
    {{"/backups/x-hide/p.tdp"}, "/backups/x-hide/p.tdp", ""},
    {{"/my backups/photo-autosave.tdp", "-hide"}, "/my backups/photo-autosave.tdp", "h"},
    {{"/p/x-dontask.tdp", "-auto"}, "/p/x-dontask.tdp", "a"},
    {{"/p/say \"hi\" -auto.tdp", "-hide"}, "/p/say \"hi\" -auto.tdp", "h"},
    {{"/p/\"x\".tdp"}, "/p/\"x\".tdp", ""},
    {{"-update", "-wizard"}, "", "uw"},
    // "-regclasses" silences the switches of a run.
    {{"-regclasses", "-auto", "-dontask", "-hide", "-wizard", "-update"}, "", "ur"},
};

TEST(CommandLine, ProfilePathAndSwitchesOfEachForm) {
    for (const LineCase& c : kLines) {
        const CommandLine line = ReadCommandLine(c.arguments);
        EXPECT_EQ(line.profilePath, QString::fromUtf8(c.profilePath)) << c.arguments.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(Letters(line.switches), c.switches) << c.arguments.join(QLatin1Char('|')).toStdString();
    }
}

TEST(CommandLine, LastErrorRuleStopsAutoRunOnlyWhenTheSettingSaysSo) {
    const QString date = QStringLiteral("2026-12-01 10:00:00");
    const struct {
        QString lastError;
        bool settingOn;
        bool stillAuto;
    } cases[] = {{date, false, true}, {QString(), true, true}, {date, true, false}};
    for (const auto& c : cases) {
        StartupSwitches s = ReadCommandLine({QStringLiteral("-auto")}).switches;
        ApplyLastErrorRule(s, c.lastError, c.settingOn);
        EXPECT_EQ(s.AutoRun, c.stillAuto) << c.lastError.toStdString() << c.settingOn;
    }
    EXPECT_TRUE(ShowsLastErrorNotice(StartupSwitches{}, date));
    EXPECT_FALSE(ShowsLastErrorNotice(ReadCommandLine({QStringLiteral("-dontask")}).switches, date));
    EXPECT_FALSE(ShowsLastErrorNotice(StartupSwitches{}, QString()));
}
}  // namespace
