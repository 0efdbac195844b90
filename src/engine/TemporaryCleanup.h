#pragma once
// The stale temporary files that killed copies left behind: the compare notes the folders that
// hold them (FileView::StaleTemporaryFolders), and a synchronisation removes them where it may
// write. A plain compare, and a side the run only reads, remove nothing.

#include "config/SyncOptions.h"

class FileView;
struct Profile;

// Removes the stale temporary files in the noted folders of every side the synchronisation with
// these options may write (also when the run then finds nothing else to do), within the subtree
// of view row r (0: the whole list; folderOnly: that folder alone), beneath the run's roots and
// through no link. One log line per folder counts them; a removal that fails is a log line too,
// and no error of the run.
void RemoveStaleTemporaries(const FileView& files, int r, bool folderOnly, const SyncOptionSet& syncOptions,
                            const Profile& profile);
