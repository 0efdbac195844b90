#include "engine/TemporaryCleanup.h"

#include "config/Profile.h"
#include "engine/FileOperations.h"
#include "engine/FileView.h"
#include "engine/LogFile.h"
#include "engine/RunMessages.h"
#include "i18n/TextLookup.h"
#include "platform/BeneathRoot.h"
#include "platform/FileSystem.h"

namespace {

// Whether the run may write on side s: copies toward it, one-sided deletions on it, or the
// delete masks of copies from it.
bool RunWritesOn(int s, const SyncOptionSet& option, const Profile& profile) {
    if (option.CopiesFrom(1 - s) || option.DeletesOneSidedOn(s)) return true;
    if (!option.CopiesFrom(s)) return false;
    for (const FolderPair& pair : profile.Pairs)
        if (!pair.Mask[MaskDeleteFiles].trimmed().isEmpty()) return true;
    return false;
}

QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

}  // namespace

void RemoveStaleTemporaries(const FileView& files, int r, bool folderOnly, const SyncOptionSet& syncOptions,
                            const Profile& profile) {
    if (files.StaleTemporaryFolders[0].empty() && files.StaleTemporaryFolders[1].empty()) return;
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    const ResultList& view = files.ViewList;
    const CompareRow* start = r >= 1 && static_cast<size_t>(r) < view.size() ? &view[static_cast<size_t>(r)] : nullptr;
    if (start && !start->IsFolder()) return;  // a single file: no folder of it was listed
    for (int s = 0; s < 2; ++s) {
        if (!RunWritesOn(s, syncOptions, profile)) continue;
        const QString subtree = start ? WithSlash(start->Folder(s)) : QString();
        for (const QString& folder : files.StaleTemporaryFolders[static_cast<size_t>(s)]) {
            if (start && (folderOnly ? folder != subtree : !folder.startsWith(subtree))) continue;
            int removed = 0;
            const bool ok = FileSystem::RemoveStaleCopyTemporaries(folder, removed);
            const int err = FileSystem::LastError();
            if (removed > 0) WriteLogLine({FormatMsg(RunMsg::TemporariesRemoved, {QString::number(removed)}), LogPath(folder)});
            if (!ok) WriteLogLine({FormatMsg(RunMsg::TemporariesNotRemoved), FileSystem::ErrorText(err), LogPath(folder)});
        }
    }
}
