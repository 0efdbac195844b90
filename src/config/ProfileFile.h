#pragma once
// The profile file on disk: read with every default, written whole in a fixed order.

#include "config/Profile.h"

#include <QString>

// Reads a profile file; false when the file holds no sections (missing or empty).
bool ReadProfileFile(const QString& path, const ProfileOptions& defaults, Profile& out);
// Deletes the old file first, then writes [General], [0] and the pair sections.
bool WriteProfileFile(const QString& path, const Profile& profile);
// Appends the pair sections of another profile file; false when it holds no sections.
bool ImportProfilePairs(const QString& path, Profile& into);
