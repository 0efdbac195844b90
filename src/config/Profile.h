#pragma once
// A profile: folder pairs with their masks and switches, compare options and view toggles.

#include "config/SyncOptions.h"

#include <QList>
#include <QString>

#include <array>

// Section [General] of a profile; ProgramSettings::DefaultProfileOptions has the same form.
struct ProfileOptions {
    std::array<QString, 2> ListName;
    std::array<bool, 2> SynchMedium{false, false};
    int CheckArchiveAttr = 0;  // 0 or 32
    double TimeLag = 0;        // days; the largest date value while compare-date is off
    bool CompareDate = true;
    bool CompareSize = true;
    bool ResetArchiveAttrSource = false;
    bool ResetArchiveAttrDest = false;
    // Two-way runs: an entry deleted on one side since the pair's last run, and unchanged on the
    // other, is deleted there too instead of being copied back. Off in every profile that does
    // not say otherwise, so that stored profiles run as they always did.
    bool PropagateDeletions = false;
    std::array<QString, 2> Username;
    std::array<QString, 2> Password;  // plain text in memory, scrambled in the file
};

// The largest date value, 31 December 9999 23:59:59, as a day-based time.
constexpr double MaxDateValue = 2958465.99998843;

// Section [0]: the states of the main window's four toolbars.
struct ViewOptions {
    bool ShowEmptyFolders = false;
    int Filter1 = 0;
    int Filter2 = 0;
    SyncOptionSet SyncOptions = kStartSyncOptions;
};

// Indices of the five masks of a folder pair.
enum MaskIndex { MaskIncludeDirs = 0, MaskExcludeDirs = 1, MaskIncludeFiles = 2, MaskExcludeFiles = 3,
                 MaskDeleteFiles = 4 };

struct FolderPair {
    std::array<QString, 2> Dir;
    bool SubDirs = true;
    std::array<bool, 2> System{true, true};  // 0 folders, 1 files
    std::array<bool, 2> Hidden{true, true};  // 0 folders, 1 files
    std::array<QString, 5> Mask;
    std::array<bool, 2> AutoCreate{false, false};
};

struct Profile {
    ProfileOptions Options;
    ViewOptions View;
    QList<FolderPair> Pairs;  // index 0 is pair 1
};

// The current profile of the program with its file path and unsaved-changes flag.
struct CurrentProfileState {
    Profile profile;
    QString ProfilePath;
    bool ProfileChanged = false;
};
CurrentProfileState& CurrentProfile();
void ResetCurrentProfile();
