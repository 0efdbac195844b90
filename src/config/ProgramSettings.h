#pragma once
// The program-wide settings, read once at start-up from the settings file and the registry store.

#include "config/Profile.h"

#include <QString>

struct ProgramSettings {
    QString SettingsFolder;
    QString SettingsFilePath;
    ProfileOptions DefaultProfileOptions;
    bool SubDirs = true;
    bool SysDirs = false;
    bool SysFiles = false;
    bool HiddenDirs = true;  // hidden = a name starting with "."; new pairs include them
    bool HiddenFiles = true;
    QString ExcludeDirs;
    QString ExcludeFiles;
    QString DeleteFiles;
    QString FormPos;
    int FormState = 0;
    int Zoom = 100;
    QString ProfilesFolder;   // path index 0; may hold placeholders
    QString LogfilesFolder;   // path index 1
    QString ShortcutFolder;   // path index 2
    bool LogToFile = false;
    // One log line per copy, folder creation, deletion and folder removal (off: the log holds
    // the run lines and the errors only, as readers of older logs expect).
    bool LogChanges = false;
    bool DontShowHint = false;
    bool ButtonBarsWithText = true;
    bool IgnoreLockedFiles = false;
    bool AllowUndo = false;
    bool CancelAfterErrorUnattended = false;
    bool DontAutoRunAfterError = false;
    // A run that would delete more than this share (percent) of the files one side of a pair
    // holds asks first; 100 lets every run delete what it proposes.
    int MaxDeletePercent = 50;
    // The program contacts the update server on its own only when the user has switched this
    // on; "Look for update now" works either way.
    bool AutoUpdateCheck = false;
    QString LanguageName;
    int WheelScrollLines = 3;
    double LastUpdateCheck = 0;
    double NextUpdateCheck = 0;
    int Runs = 0;
    int NoStartupInfo = 0;  // the value of the main window's hidden check box chkNoStartupInfo
};

// The one instance for the whole program run.
ProgramSettings& Settings();
// The window place of a program that never stored one: 640 x 480 pixels at the top left.
QString DefaultFormPos();
// Where "Create shortcut" offers to write: the desktop folder, or the applications menu folder
// ($XDG_DATA_HOME/applications) for a user without one; created when the shortcut is written.
QString DefaultShortcutFolder();
// Back to a default-constructed record (tests).
void ResetProgramSettings();

// Locates the settings file (creating its folder, copying the template from the program folder),
// reads every key, reads the registry values and counts this start in "Runs". Never fails.
void LoadProgramSettings();

// Single-key writers used by the dialogs and by shutdown; they write one key at once.
bool WriteSettingsString(const QString& section, const QString& key, const QString& value);
