#include "engine/ProfileLoading.h"

#include "config/Profile.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"

#include <QFileInfo>

QString ProfileNameOf(const QString& profilePath) {
    const QString file = QFileInfo(profilePath).fileName();
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? file.left(dot) : file;
}

bool LoadProfile(ProfileDisplay& display) {
    CurrentProfileState& current = CurrentProfile();
    display.ClearLists();
    Profile loaded;
    if (!ReadProfileFile(current.ProfilePath, Settings().DefaultProfileOptions, loaded)) {
        Host().AppMessageBox(FormatMsg(805, {current.ProfilePath}), MsgBox::Exclamation);
        current.ProfilePath.clear();
        return false;
    }
    current.profile = loaded;
    display.ShowLoadedProfile();
    current.ProfileChanged = false;
    display.SetProfileTitle(ProfileNameOf(current.ProfilePath));
    display.RunCompare();
    return true;
}
