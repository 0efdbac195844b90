#include "app/Startup.h"

#include "app/AppMessages.h"
#include "app/CommandLine.h"
#include "app/LastErrorNotice.h"
#include "app/ProfileCommands.h"
#include "app/StartupWindow.h"
#include "app/UnattendedReport.h"
#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/RunHost.h"
#include "i18n/DefaultListNames.h"
#include "i18n/TextLookup.h"
#include "launch/FileTypeRegistration.h"
#include "launch/ProfileMimePackage.h"
#include "platform/LaunchTools.h"
#include "platform/SystemInfo.h"

#include <QRandomGenerator>

#include <cstdio>

namespace {
bool& AutoRunWithheld() {
    static bool withheld = false;
    return withheld;
}
// "-regclasses": the profile type for this user, and a message that says what was done or which
// step failed. True when every step was done.
bool RegisterFileTypes() {
    const FileTypeRegistrationResult result = RegisterProfileFileType(
        {UserDataHome(), SystemDataFolders(), ProgramExecutablePath(), ProgramFolder() + QStringLiteral("/tandor.svg"),
         QByteArray(ProfileMimePackage)});
    const QString done = result.done.join(QLatin1Char('\n'));
    if (result.failure.isEmpty()) {
        Host().AppMessageBox(FormatMsg(AppMessage::FileTypesRegistered) + QStringLiteral("\n\n") + done, MsgBox::Information);
        return true;
    }
    Host().AppMessageBox(FormatMsg(AppMessage::FileTypesNotRegistered, {result.failure}) +
                             (done.isEmpty() ? QString() : QStringLiteral("\n\n") + done),
                         MsgBox::Critical);
    return false;
}
}  // namespace

bool AutoRunWithheldAfterError() { return AutoRunWithheld(); }

std::optional<ExitStatus> RunStartupSequence(StartupWindow& window, const CommandLine& commandLine, bool canAsk) {
    window.SetBusyPointer(true);                                        // 1
    LoadProgramSettings();                                              // 2
    ProgramSettings& settings = Settings();
    // The window was built before the settings were read: whatever text it looked up so far came
    // from the stand-in table, and every text from here on is in the language the settings name.
    ReloadLocalizer();
    window.ScaleAndLocalise();                                          // 3
    window.HideNoStartupInfoBox(settings.NoStartupInfo);                // 4
    // A run without questions never waits for a click, not even for the first language choice;
    // a hidden start does not ask for a language either and speaks English.
    const StartupSwitches& requested = commandLine.switches;
    const bool mayAsk = canAsk && !requested.DontAsk && !requested.Hidden;
    if (settings.LanguageName.isEmpty()) {                              // 5
        Host().Beep();
        if (mayAsk) window.ChooseLanguage();
        if (settings.LanguageName.isEmpty()) settings.LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    window.ScaleAndLocalise();                                          // 6
    ProfileOptions& defaults = settings.DefaultProfileOptions;          // 7
    FillDefaultListNames(defaults);
    CurrentProfile().profile.Options = defaults;                        // 8
    window.ExtendSystemMenu();                                          // 9
    window.Prepare();                                                   // 10
    ViewOptions& view = CurrentProfile().profile.View;                  // 11
    view.SyncOptions = kStartSyncOptions;
    QRandomGenerator::global()->generate();                             // 12
    window.StartTimer();
    window.RestorePosition(settings.FormPos);                           // 13
    const QString lastErrorDate =                                       // 14
        ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorDate"), QString()).toString();
    StartupSwitches& switches = Switches();                             // 15
    switches = commandLine.switches;
    const bool autoRunRequested = switches.AutoRun;
    ApplyLastErrorRule(switches, lastErrorDate, settings.DontAutoRunAfterError);
    AutoRunWithheld() = autoRunRequested && !switches.AutoRun;
    // A skipped automatic run is never silent: whoever started it learns why nothing was done.
    if (AutoRunWithheld()) ReportUnattended(FormatMsg(AppMessage::AutoRunSkippedAfterError, {lastErrorDate}), commandLine.profilePath);
    if (!canAsk && !switches.DontAsk) {
        // Nobody can answer: every question gets the answer of a run without questions, and
        // errors are recorded for the next start exactly as with "-dontask".
        switches.DontAsk = true;
        std::fprintf(stderr, "tandor: no display; questions are answered as with -dontask\n");
    }
    if (ShowsLastErrorNotice(switches, lastErrorDate)) ShowLastErrorNotice(lastErrorDate);
    if (!switches.RegisterClasses) window.ShowWindow(switches.Hidden, settings.FormState);  // 16
    if (switches.RegisterClasses) {                                     // 17
        const bool registered = RegisterFileTypes();
        window.CloseWindow();
        return registered ? ExitDone : ExitWithErrors;
    }
    if (switches.Hidden) OpenCommandLineProfile(window, commandLine);   // 18
    window.SetBusyPointer(false);                                       // 19
    // 20: a hidden start never shows the hint: it would stop an unattended run with a display.
    // Nor does a start with "-dontask", which must never wait for a click.
    if (!settings.DontShowHint && !switches.Hidden && !switches.DontAsk) window.ShowHint();
    window.EnableCompare();                                             // 21
    if (switches.UpdateRequested && !switches.Hidden) window.CheckForUpdate(true);  // 22
    return std::nullopt;
}

void FirstActivation(StartupWindow& window, const CommandLine& commandLine) {
    static bool activatedOnce = false;
    if (activatedOnce) return;
    activatedOnce = true;
    OpenCommandLineProfile(window, commandLine);
}

