#include "app/ProfileCommands.h"

#include "app/CommandLine.h"
#include "app/StartupWindow.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"

#include <QFileInfo>

QString ProfileNameOf(const QString& profilePath) {
    const QString file = QFileInfo(profilePath).fileName();
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? file.left(dot) : file;
}

bool LoadProfile(StartupWindow& window) {
    CurrentProfileState& current = CurrentProfile();
    window.ClearLists();
    Profile loaded;
    if (!ReadProfileFile(current.ProfilePath, Settings().DefaultProfileOptions, loaded)) {
        Host().AppMessageBox(FormatMsg(805, {current.ProfilePath}), MsgBox::Exclamation);
        current.ProfilePath.clear();
        return false;
    }
    current.profile = loaded;
    window.ShowLoadedProfile();
    current.ProfileChanged = false;
    window.SetProfileTitle(ProfileNameOf(current.ProfilePath));
    window.RunCompare();
    return true;
}

void OpenCommandLineProfile(StartupWindow& window, const QString& commandLine) {
    if (commandLine.isEmpty()) return;
    CurrentProfileState& current = CurrentProfile();
    current.ProfilePath = ProfileArgument(commandLine);
    if (!QFileInfo(current.ProfilePath).isFile()) {
        current.ProfilePath.clear();
        return;
    }
    if (!LoadProfile(window)) return;
    StartupSwitches& switches = Switches();
    if (!switches.AutoRun) return;
    // After a compare that could not list a root, or a profile without pairs, there is nothing
    // to synchronise: the run would only refuse an out-of-date list (and ask about it).
    if (window.LastCompareSucceeded()) window.RunSynchronize();
    if (switches.Hidden) window.CloseWindow();
    else switches.AutoRun = false;
}
