#pragma once
// What the Compare button does: every folder pair of the profile is scanned on both sides,
// sorted and merged into the view's result list, and the view list is rebuilt from it.

#include <QString>

class FileView;
struct Profile;

enum class CompareOutcome {
    Done,            // the result list holds the rows of every pair
    EmptyProfile,    // no folder pair: message 802
    RootUnreadable,  // a root folder could not be listed: no rows at all
};

struct CompareRunResult {
    CompareOutcome outcome = CompareOutcome::Done;
    int errorFlag = 0;          // +1 folder 1 unreadable, +2 folder 2 unreadable
    int unreadableFolders = 0;  // subfolders that could not be listed (reported, rows flagged)
};

// Compares the profile into the view; all user-interface effects go through Host().
CompareRunResult CompareRun(Profile& profile, FileView& view);
// The same on the current profile and the program's main view.
CompareRunResult CompareRun();

// A path that starts with neither '/' nor '%' begins with the label of a file system: the label
// is replaced by the mount point of the first mounted file system carrying it (letter case
// ignored). Any other path, or a label that no mounted file system carries, is returned as is.
QString ResolveVolumeLabelPath(const QString& path);
// Tests: where labels (a folder of links named by label, like /dev/disk/by-label) and mounts
// (a file in the form of /proc/self/mountinfo) are read; empty strings restore the system's.
void SetVolumeSourcesForTests(const QString& byLabelFolder, const QString& mountInfoFile);

// Connecting the credentials of the profile for a side before it is scanned. Logging on as
// another user and connecting a share with a password are not offered by this platform to an
// ordinary program, so after forgetting what an earlier run connected, nothing is connected;
// the scan then reports what it cannot read.
void ConnectSideCredentials(const Profile& profile, int side, const QString& root);
