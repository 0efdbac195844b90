#include "app/ProfileCommands.h"

#include "app/CommandLine.h"
#include "app/StartupWindow.h"
#include "config/Profile.h"
#include "config/StartupSwitches.h"
#include "engine/ProfileLoading.h"

#include <QFileInfo>

void OpenCommandLineProfile(StartupWindow& window, const CommandLine& commandLine) {
    if (commandLine.profilePath.isEmpty()) return;
    CurrentProfileState& current = CurrentProfile();
    current.ProfilePath = commandLine.profilePath;
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
