#pragma once
// Loading the current profile from its file: a service below the windows. Whatever shows the
// profile (the main window, or its window-less stand-in) takes part through ProfileDisplay.

#include <QString>

// The display steps of loading a profile.
class ProfileDisplay {
public:
    virtual ~ProfileDisplay() = default;

    virtual void ClearLists() = 0;
    virtual void ShowLoadedProfile() = 0;  // toolbar states and one pair row per folder pair
    virtual void SetProfileTitle(const QString& profileName) = 0;
    // The action of the Compare button.
    virtual void RunCompare() = 0;
};

// Reads the file at ProfilePath into the current profile, shows it and starts a compare run.
// A file without sections: message 805 as a warning, ProfilePath cleared. Returns whether the
// profile was loaded.
bool LoadProfile(ProfileDisplay& display);

// The name shown in the title: the file name of the path without its last extension.
QString ProfileNameOf(const QString& profilePath);
