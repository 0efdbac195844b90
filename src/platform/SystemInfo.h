#pragma once
// Facts about the system and the running program.

#include <QString>

// The user's folders that profiles name by placeholders and that hold the settings. The number
// is the folder's code where settings and scripts brought from elsewhere name it.
enum class KnownFolder {
    AppData,    // 26: $XDG_CONFIG_HOME, else ~/.config ("%AppData%")
    Documents,  // 5: XDG DOCUMENTS ("%MyDocuments%")
    Music,      // 13: XDG MUSIC ("%MyMusic%")
    Pictures,   // 39: XDG PICTURES ("%MyPictures%")
    Videos,     // 14: XDG VIDEOS ("%MyVideo%")
};

// Returns the path without a trailing '/', empty on failure; creates it when createIfMissing,
// and with verify (not creating) returns it only when it exists.
QString GetKnownFolder(KnownFolder folder, bool createIfMissing = true, bool verify = false);

// The user's desktop folder as `xdg-user-dir DESKTOP` names it (user-dirs.dirs, else ~/Desktop
// when that exists); empty when the user has none (nothing named and no ~/Desktop, or the home
// folder itself named, as xdg-user-dirs does for a desktop it was told not to have).
QString DesktopFolder();

// The program's own folder, where its language files, templates and examples lie: the folder of
// the running executable in a build folder, <prefix>/share/tandor when installed.
QString ProgramFolder();
// The running executable by absolute path (for command lines that start the program again).
QString ProgramExecutablePath();
// The executable's file name without its extension ("tandor").
QString ProgramFileBaseName();
// Tests point the program folder at a build folder of their choice.
void SetProgramFolderForTests(const QString& folder);

// $TMPDIR, else /tmp.
QString TempFolder();

// Waits the given milliseconds, letting pending events run every 10 ms; a wait across
// midnight ends after the requested time.
void WaitWithEvents(int milliseconds);
