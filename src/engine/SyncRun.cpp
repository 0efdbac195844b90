#include "engine/SyncRun.h"

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/FileOperations.h"
#include "engine/FileView.h"
#include "engine/LogFile.h"
#include "engine/RowRules.h"
#include "engine/RunHost.h"
#include "engine/RunPlan.h"
#include "engine/RunReport.h"
#include "engine/RunState.h"
#include "engine/SyncGuards.h"
#include "engine/TemporaryCleanup.h"
#include "i18n/TextLookup.h"
#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace {

bool Cancelled() { return Run().CancelRequested.load(); }

bool InRange(const ResultList& view, size_t i) { return i >= 1 && i < view.size(); }

// The "only one-sided" restriction of a copy pass, except toward a root folder that this run
// creates: the entries opposite it are copied where the direction allows, never deleted.
bool OnlyOneSidedFor(int flags, size_t row, int destination) {
    return (flags & RunFlag::OnlyOneSided) && !CreatesRootOf(row, destination);
}

bool Replaces(int flags) { return (flags & RunFlag::ReplacesTypeChanges) != 0; }

// Whether row lies below the folder whose path on side s is folder (without '/').
bool Below(const CompareRow& row, int s, const QString& folder) {
    return row.Folder[s].size() > folder.size() && row.Folder[s].startsWith(folder) &&
           row.Folder[s][folder.size()] == QLatin1Char('/');
}

// For the folder of view row i on side s: the last view row below it when the view shows every
// row of the compare below it and each of them is ticked, and 0 otherwise. Only then may the
// folder go to the trash as one entry: a row filtered out of the view or unticked by the user
// would go with it, unplanned and uncounted by the guards.
size_t LastOfWholeTickedSubtree(const ResultList& view, size_t i, int s) {
    const QString folder = view[i].Folder[s];
    size_t k = i;
    for (size_t j = view.ViewedIndex(i) + 1; j < view.ViewedSize() && Below(view.ViewedRow(j), s, folder); ++j) {
        ++k;
        if (k >= view.size() || view.ViewedIndex(k) != j) return 0;
        const CompareRow& row = view[k];
        if (!row.Selected || !row.TypeChange || !row.Exists(s)) return 0;
    }
    return k;
}

QString FolderWithoutSlash(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

std::function<void()>& RefreshCompare() {
    static std::function<void()> compare;
    return compare;
}

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

// Status fields 0 and 2 cleared, field 1 the command's text; then let the window repaint.
void ShowWorking(int statusMessage) {
    RunHost& host = Host();
    host.SetStatus(0, QString());
    host.SetStatus(2, QString());
    host.SetStatus(1, FormatMsg(statusMessage));
    host.LetEventsRun();
}

void LogRunLine(const QString& what, const ResultList& view, int r) {
    QStringList values{what, LogPath(CurrentProfile().ProfilePath)};
    // Row 0 stands for the whole list and carries no paths.
    if (r >= 1 && static_cast<size_t>(r) < view.size()) {
        const CompareRow& row = view[static_cast<size_t>(r)];
        values << LogPath(row.Folder[0]) << LogPath(row.Folder[1]);
    }
    WriteLogLine(values);
}

}  // namespace

namespace {

void CopyRowsInBatch(int s, int r, int flags, bool folderOnly, ResultList& view);

}  // namespace

void CopyRows(int s, int r, int flags, bool folderOnly, ResultList& view) {
    SetArchiveSwitches(s);
    const CopyBatchScope batch;
    CopyRowsInBatch(s, r, flags, folderOnly, view);
    // Before anything that relies on the files (the next pass, the end of the run or of the
    // popup's copy); after a cancel this discards the waiting replacements.
    FinishWaitingCopies();
}

namespace {

void CopyRowsInBatch(int s, int r, int flags, bool folderOnly, ResultList& view) {
    const int d = 1 - s;
    const size_t i0 = static_cast<size_t>(std::max(r, 1));
    if (!InRange(view, i0)) return;

    const CompareRow& start = view[i0];
    if (!start.IsFolder()) {
        // A single file row is copied whatever its direction and mark.
        if (Untouchable(start, Replaces(flags)) || !start.Exists(s)) return;
        if (!FileSystem::FolderExists(FolderWithoutSlash(start.Folder[d])))
            CreateDestinationFolder(s, static_cast<int>(i0), flags, view);
        CopyOneFile(s, static_cast<int>(i0), flags, view);
        return;
    }

    const int level0 = Level(start, s);
    const int16_t away = SyncAction::AwayFrom(s);
    // A folder that was to take the place of an entry of another type and could not be created
    // (that entry is still there): nothing below it is copied.
    QString notReplaced;
    for (size_t i = i0; i < view.size(); ++i) {
        if (Cancelled()) return;
        const CompareRow& row = view[i];
        if (!notReplaced.isNull()) {
            if (Below(row, s, notReplaced)) {
                if (!IsFolderOn(row, s) && row.Selected && row.Exists(s)) ++Run().Tally.Skipped;
                continue;
            }
            notReplaced.clear();
        }
        if (IsFolderOn(row, s)) {
            // The start folder itself is at level0 and never ends the walk.
            if (i > static_cast<size_t>(r) && EndsFolderWalk(row, s, r, level0, folderOnly)) return;
            if (!OnlyOneSidedFor(flags, i, d) && row.SyncAction == away && row.Selected &&
                !Untouchable(row, Replaces(flags))) {
                const bool there = CreateDestinationFolder(s, static_cast<int>(i), flags, view);
                if (!there && row.TypeChange) notReplaced = row.Folder[s];
            }
        } else if (row.Selected) {
            if ((row.SyncAction == away || (flags & RunFlag::AnyDirection)) &&
                !(!row.Exists(d) && OnlyOneSidedFor(flags, i, d)) && row.Exists(s) && !Untouchable(row, Replaces(flags)))
                CopyOneFile(s, static_cast<int>(i), flags, view);
        }
    }
}

}  // namespace

void DeleteRows(int s, int r, int flags, bool folderOnly, ResultList& view) {
    const int d = 1 - s;
    const size_t i0 = static_cast<size_t>(std::max(r, 1));
    if (!InRange(view, i0)) return;

    CompareRow& start = view[i0];
    if (!start.IsFolder()) {
        if (Untouchable(start, Replaces(flags)) || !start.Exists(s)) return;
        if (flags & RunFlag::Counting) PlanDeletion(i0, s);
        else if (DeletionHeld(i0, s)) CountHeldDeletion(i0, s);
        else DeleteOneFile(s, static_cast<int>(i0), view);
        return;
    }

    const int level0 = Level(start, s);
    size_t stop = view.size();
    // The folders this pass moved to the trash whole (or tried to): first and last view row.
    std::vector<std::pair<size_t, size_t>> trashedWhole;
    const bool trashesWhole = Settings().AllowUndo && Replaces(flags) && (flags & RunFlag::OnlyOneSided) &&
                              !(flags & RunFlag::Counting);
    for (size_t i = static_cast<size_t>(std::max(r + 1, 2)); i < view.size(); ++i) {
        if (Cancelled()) return;
        CompareRow& row = view[i];
        if (IsFolderOn(row, s)) {
            if (EndsFolderWalk(row, s, r, level0, folderOnly)) {
                stop = i;
                break;
            }
            // A folder that a mirror replaces by a file or link goes to the trash as it is, so that it
            // comes back whole; what the user left out of it keeps it from there.
            if (trashesWhole && row.TypeChange && row.Exists(s) && !row.Exists(d) && row.Selected &&
                !Untouchable(row, true) && !DeletionHeld(i, s)) {
                if (const size_t last = LastOfWholeTickedSubtree(view, i, s)) {
                    TrashWholeFolder(s, static_cast<int>(i), static_cast<int>(last - i), view);
                    trashedWhole.emplace_back(i, last);
                    i = last;
                }
            }
            continue;
        }
        if (row.Exists(s) && row.Selected && !(row.Exists(d) && (flags & RunFlag::OnlyOneSided)) &&
            !((flags & RunFlag::DeleteMatchOnly) && !row.DeleteMatch) && !Untouchable(row, Replaces(flags))) {
            if (flags & RunFlag::Counting) {
                PlanDeletion(i, s);
                continue;
            }
            if (DeletionHeld(i, s)) {
                CountHeldDeletion(i, s);
                continue;
            }
            DeleteOneFile(s, static_cast<int>(i), view);
            // The later copy pass must not copy what this pass deleted (delete masks).
            row.Name[s].clear();
        }
    }
    if (flags & (RunFlag::DeleteMatchOnly | RunFlag::Counting)) return;

    // Bottom-up, so that the deepest folders go first; a folder that still holds something
    // stays (the report ignores "folder not empty").
    for (size_t i = stop; i-- > i0;) {
        if (Cancelled()) return;
        const CompareRow& row = view[i];
        const bool trashed = std::any_of(trashedWhole.begin(), trashedWhole.end(),
                                         [i](const auto& range) { return i >= range.first && i <= range.second; });
        if (IsFolderOn(row, s) && row.Exists(s) && row.Selected && !(row.Exists(d) && (flags & RunFlag::OnlyOneSided)) &&
            !Untouchable(row, Replaces(flags)) && !trashed) {
            if (DeletionHeld(i, s)) CountHeldDeletion(i, s);
            else RemoveOneFolder(s, static_cast<int>(i), view);
        }
    }
}

void CopySelection(int s, int r, bool folderOnly, ResultList& view) {
    RunState& run = Run();
    RunHost& host = Host();
    const FileSystem::FolderHandleScope folders;
    run.CancelRequested = false;
    run.TotalBytes = 0;
    ClearRunTally();
    CopyRows(s, r, RunFlag::Counting | RunFlag::AnyDirection, folderOnly, view);
    host.SetBusy(true);
    if (!Switches().DontAsk) host.ProgressInit(run.TotalBytes);
    CopyRows(s, r, RunFlag::AnyDirection, folderOnly, view);
    run.Tally.Cancelled = run.CancelRequested;
    host.SetBusy(false);
    if (host.ProgressVisible()) host.ProgressUnload();
}

bool SyncRun(FileView& files, int r, bool folderOnly) {
    ResultList& view = files.ViewList;
    const std::array<int, 3>& fileCounts = files.FileCounts;
    const std::array<bool, 5>& option = CurrentProfile().profile.View.SyncOptions;
    RunHost& host = Host();
    if (!option[0] && !option[1] && !option[3] && !option[4]) {
        // A run that did nothing says so in the log, where an unattended run's user looks.
        LogRunLine(QStringLiteral("Start"), view, r);
        WriteLogLine({FormatMsg(808)});
        LogRunLine(QStringLiteral("End"), view, r);
        host.AppMessageBox(FormatMsg(808), MsgBox::Information);
        return false;
    }

    // The leftovers of killed copies go wherever this run may write, also when nothing else is
    // left to do there.
    RemoveStaleTemporaries(files, r, folderOnly, option, CurrentProfile().profile);

    RunState& run = Run();
    run.CancelRequested = false;
    const RunGuardScope guards(files.Results, view);
    // Every walk of a one-way mirror replaces the entries whose type changed.
    const int mirror = ReplacesTypeChanges(option) ? RunFlag::ReplacesTypeChanges : 0;
    // The deletions are work too (a mirror whose other side only holds extra entries), and the
    // guards below need their counts before anything changes.
    if (option[3]) DeleteRows(0, r, mirror | RunFlag::Counting | RunFlag::OnlyOneSided, folderOnly, view);
    if (option[4]) DeleteRows(1, r, mirror | RunFlag::Counting | RunFlag::OnlyOneSided, folderOnly, view);
    if (option[0]) DeleteRows(0, r, mirror | RunFlag::Counting | RunFlag::DeleteMatchOnly, folderOnly, view);
    if (option[1]) DeleteRows(1, r, mirror | RunFlag::Counting | RunFlag::DeleteMatchOnly, folderOnly, view);
    const bool deletes = PlannedDeletionCount() > 0;
    if (fileCounts[0] == 0 && fileCounts[2] == 0 && !deletes) {
        host.AppMessageBox(FormatMsg(809), MsgBox::Information);
        return false;
    }
    if (!((option[0] || fileCounts[2] > 0) && (fileCounts[0] > 0 || option[1])) && !deletes) {
        host.AppMessageBox(FormatMsg(810), MsgBox::Information);
        return false;
    }
    if (!SharedRootsAllowed(CurrentProfile().profile)) return false;

    ClearRunTally();
    LogRunLine(QStringLiteral("Start"), view, r);
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    const FileSystem::FolderHandleScope folders;
    DecideDeletions();
    host.SetBusy(true);

    // One-sided entries deleted where they are, instead of being copied.
    if (option[3]) DeleteRows(0, r, mirror | RunFlag::OnlyOneSided, folderOnly, view);
    if (option[4]) DeleteRows(1, r, mirror | RunFlag::OnlyOneSided, folderOnly, view);

    // Per direction: the delete masks on the source side, then the count for the progress window.
    run.TotalBytes = 0;
    if (option[0]) {
        DeleteRows(0, r, mirror | RunFlag::DeleteMatchOnly, folderOnly, view);
        CopyRows(0, r, mirror | RunFlag::Counting | (option[3] ? RunFlag::OnlyOneSided : 0), folderOnly, view);
    }
    if (option[1]) {
        DeleteRows(1, r, mirror | RunFlag::DeleteMatchOnly, folderOnly, view);
        CopyRows(1, r, mirror | RunFlag::Counting | (option[4] ? RunFlag::OnlyOneSided : 0), folderOnly, view);
    }
    if ((option[0] || option[1]) && !Switches().DontAsk) host.ProgressInit(run.TotalBytes);

    // Left to right always before right to left.
    if (option[0]) CopyRows(0, r, mirror | (option[3] ? RunFlag::OnlyOneSided : 0), folderOnly, view);
    if (option[1]) CopyRows(1, r, mirror | (option[4] ? RunFlag::OnlyOneSided : 0), folderOnly, view);

    host.SetBusy(false);
    if (host.ProgressVisible()) host.ProgressUnload();
    run.Tally.Cancelled = run.CancelRequested;
    if (run.Tally.Cancelled) {
        // After the first error of a run without questions: what it stopped with and what is left.
        const int undone = std::max(0, run.Tally.CopiesPlanned - run.Tally.CopiesEnded);
        WriteLogLine({run.StoppedAfterError ? FormatMsg(1231, {QString::number(undone)}) : FormatMsg(1222)});
    }
    LogRunLine(QStringLiteral("End"), view, r);
    return true;
}

void SetRefreshCompare(std::function<void()> compare) { RefreshCompare() = std::move(compare); }

namespace {

// The new compare that shows what is still different after a command.
void Refresh(FileView& files, const CommandHooks& hooks) {
    if (RefreshCompare()) RefreshCompare()();
    else CompareRun(CurrentProfile().profile, files);
    Call(hooks.RestoreScroll);
}

}  // namespace

bool SynchronizeCommand(FileView& files, const CommandHooks& hooks) {
    RunHost& host = Host();
    if (files.ViewList.size() <= 1 && !Switches().DontAsk) {
        // An empty list (a compare that could not read a folder greys it too): the button would
        // seem dead without a word, and "out of date" would name the wrong cause.
        host.AppMessageBox(FormatMsg(1285), MsgBox::Information);
        return false;
    }
    if (files.Stale) {
        // A grey list no longer shows what is on disk. Without questions nothing may wait for a
        // click: the refusal goes to the log and the last error instead.
        if (Switches().DontAsk) RefuseUnattended(FormatMsg(803));
        else host.ShowMsg(FormatMsg(803), MsgBox::Exclamation);
        return false;
    }
    if (files.ViewList.size() <= 1) return false;
    const QString question = WithPlan(FormatMsg(804), PlanSyncRun(files.ViewList, CurrentProfile().profile.View.SyncOptions));
    if (host.AppMessageBox(question, MsgBox::YesNo | MsgBox::Exclamation | MsgBox::DefaultButton2) !=
        MsgBox::Yes)
        return false;

    Call(hooks.Disable);
    ShowWorking(852);
    const bool ok = SyncRun(files, 0, false);
    const StartupSwitches& sw = Switches();
    // The program ends after an automatic hidden run; nothing to refresh or re-enable.
    if (sw.AutoRun && sw.Hidden) return ok;
    if (ok) {
        Refresh(files, hooks);
        host.SetStatus(1, RunOutcomeText());
    }
    Call(hooks.Enable);
    return ok;
}

bool PopupSynchronizeCommand(FileView& files, int row, int entry, const CommandHooks& hooks) {
    Call(hooks.Disable);
    ShowWorking(852);
    const bool ok = SyncRun(files, row, entry == 1);
    if (ok) {
        Refresh(files, hooks);
        Host().SetStatus(1, RunOutcomeText());
    }
    Call(hooks.Enable);
    return ok;
}

bool PopupCopyCommand(FileView& files, int row, int entry, const CommandHooks& hooks) {
    if (Host().AppMessageBox(FormatMsg(811), MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2) != MsgBox::Yes)
        return false;
    Call(hooks.Disable);
    ShowWorking(853);
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    CopySelection(entry & 1, row, (entry & 2) != 0, files.ViewList);
    Refresh(files, hooks);
    Host().SetStatus(1, RunOutcomeText());
    Call(hooks.Enable);
    return true;
}

bool PopupDeleteCommand(FileView& files, int row, int entry, const CommandHooks& hooks) {
    const QString question = WithPlan(FormatMsg(801), PlanPopupDelete(files.ViewList, entry & 1, row, (entry & 2) != 0));
    if (Host().AppMessageBox(question, MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2) != MsgBox::Yes)
        return false;
    Call(hooks.Disable);
    ShowWorking(854);
    Run().CancelRequested = false;
    ClearRunTally();
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    DeleteRows(entry & 1, row, 0, (entry & 2) != 0, files.ViewList);
    Run().Tally.Cancelled = Run().CancelRequested;
    Refresh(files, hooks);
    Host().SetStatus(1, RunOutcomeText());
    Call(hooks.Enable);
    return true;
}
