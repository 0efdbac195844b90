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
    int caseConflicts = 0;      // names whose letter case made the pairing ambiguous (reported)
    int typeConflicts = 0;      // paths that are a folder on one side only (reported)
};

// Compares the profile into the view; all user-interface effects go through Host().
CompareRunResult CompareRun(Profile& profile, FileView& view);
// The same on the current profile and the program's main view.
CompareRunResult CompareRun();

// Connects a network root ("//server/share/rest") for a side before it is scanned: the share is
// mounted through GVfs with the user name and password the profile keeps for that side, and the
// root is then the folder under GVfs. Returns that folder with its trailing '/', or an empty
// string when the path is no share path or the share cannot be mounted.
QString ConnectSideCredentials(const Profile& profile, int side, const QString& root);

// The root folder of a side as the scan uses it: placeholders expanded, a volume label replaced
// by its mount point, a network share connected; ending with '/'. Empty when what remains is not
// an absolute folder path (an empty text, a relative path, a label no mounted file system
// carries, a share that cannot be connected): such a root cannot be read, and nothing below "/"
// or the current folder may stand in for it.
QString ResolvedRoot(const Profile& profile, int side, const QString& stored);
