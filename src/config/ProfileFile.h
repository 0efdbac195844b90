#pragma once
// The profile file ("tdp"): [General] with the profile options, [0] with the view toggles, and
// one numbered section per folder pair. Only the file side lives here; loading into the main
// window, the file dialogs and the messages are the windows' business.

#include "config/Profile.h"

#include <QString>

// Reads the profile at `path`; keys that are missing take `defaults` (the default settings'
// options) or the documented defaults. Returns false, leaving `out` untouched, when the file
// holds no sections (missing, empty or unreadable).
bool ReadProfileFile(const QString& path, const ProfileOptions& defaults, Profile& out);

// Writes the whole profile: [General], [0], then [1]..[n] in list order, keys in their fixed
// order. The file is replaced at once, so it holds only what is written now and a failed save
// leaves the old file as it was. Returns false when the file cannot be written; errno then
// tells why.
bool WriteProfileFile(const QString& path, const Profile& p);

// Appends the folder pairs of the profile at `path` to `into` ([General] and [0] of that file
// are ignored). Returns false when the file holds no sections.
bool ImportProfilePairs(const QString& path, Profile& into);

// The pair sections of a file in file order: numeric names other than "0".
bool IsPairSectionName(const QString& name);
