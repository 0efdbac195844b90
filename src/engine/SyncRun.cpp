#include "engine/SyncRun.h"

#include "config/Profile.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/FileOperations.h"
#include "engine/FileView.h"
#include "engine/LogFile.h"
#include "engine/RunHost.h"
#include "engine/RunMessages.h"
#include "engine/RunReport.h"
#include "engine/RunState.h"
#include "engine/SyncGuards.h"
#include "engine/SyncJob.h"
#include "engine/TemporaryCleanup.h"
#include "engine/TwoWayState.h"
#include "i18n/TextLookup.h"
#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace {

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
        values << LogPath(row.Folder(0)) << LogPath(row.Folder(1));
    }
    WriteLogLine(values);
}

const PlannedPass* FindPass(const RunPlan& plan, bool copies, int side, int flag) {
    for (const PlannedPass& pass : plan.Passes)
        if (pass.copies == copies && pass.side == side && (flag == 0 || (pass.flags & flag))) return &pass;
    return nullptr;
}

// The popup commands walk one side from one row.
RunRequest PopupRequest(RunRequest::Kind kind, int row, int entry) {
    RunRequest request;
    request.kind = kind;
    request.side = entry & 1;
    request.row = row;
    request.folderOnly = (entry & 2) != 0;
    return request;
}

// After a two-way synchronisation (also one that found nothing to do): what is in step now
// becomes the pairs' remembered state. done: per view row, what the run did (null: nothing).
void RememberTwoWayRun(const FileView& files, const RunPlan& plan, const std::vector<uint8_t>* done) {
    if (!files.Memory.Active || !IsTwoWay(plan.request.options)) return;
    QString error;
    if (RememberRun(files, done, error)) return;
    const QString text = FormatMsg(RunMsg::MemoryNotWritten, {error});
    WriteLogLine({FormatMsg(RunMsg::MemoryNotWritten, {LogPath(error)})});
    Run().ErrorReported = true;
    Run().Errors << text;
}

RunRequest SyncRequest(int row, bool folderOnly) {
    RunRequest request;
    request.options = CurrentProfile().profile.View.SyncOptions;
    request.row = row;
    request.folderOnly = folderOnly;
    return request;
}

}  // namespace

bool SyncRun(FileView& files, const RunPlan& plan) {
    ResultList& view = files.ViewList;
    const std::array<int, 3>& fileCounts = files.FileCounts;
    const SyncOptionSet& option = plan.request.options;
    const int r = plan.request.row;
    RunHost& host = Host();
    if (!option.CopiesFrom(0) && !option.CopiesFrom(1) && !option.DeletesOneSidedOn(0) && !option.DeletesOneSidedOn(1)) {
        // A run that did nothing says so in the log, where an unattended run's user looks.
        LogRunLine(QStringLiteral("Start"), view, r);
        WriteLogLine({FormatMsg(RunMsg::NoSyncOption)});
        LogRunLine(QStringLiteral("End"), view, r);
        host.AppMessageBox(FormatMsg(RunMsg::NoSyncOption), MsgBox::Information);
        return false;
    }

    // The leftovers of killed copies go wherever this run may write, also when nothing else is
    // left to do there.
    RemoveStaleTemporaries(files, r, plan.request.folderOnly, option, CurrentProfile().profile);

    RunState& run = Run();
    run.CancelRequested = false;
    SyncJob job(view, host, run.CancelRequested);
    // The deletions are work too (a mirror whose other side only holds extra entries), and the
    // guards below need their counts before anything changes.
    RunGuards& guards = job.Guard(plan);
    const bool deletes = guards.PlannedDeletionCount() > 0;
    if (fileCounts[0] == 0 && fileCounts[2] == 0 && !deletes) {
        RememberTwoWayRun(files, plan, nullptr);
        host.AppMessageBox(FormatMsg(RunMsg::NothingToSynchronize), MsgBox::Information);
        return false;
    }
    if (!((option.CopiesFrom(0) || fileCounts[2] > 0) && (fileCounts[0] > 0 || option.CopiesFrom(1))) && !deletes) {
        RememberTwoWayRun(files, plan, nullptr);
        host.AppMessageBox(FormatMsg(RunMsg::NothingFitsOptions), MsgBox::Information);
        return false;
    }
    if (!SharedRootsAllowed(CurrentProfile().profile)) return false;

    ClearRunTally();
    LogRunLine(QStringLiteral("Start"), view, r);
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    const FileSystem::FolderHandleScope folders;
    guards.DecideDeletions(host);
    host.SetBusy(true);

    // Two-way runs: the versions the copies overwrite are kept first, then what the other side
    // deleted since the last run is deleted here.
    if (const PlannedPass* pass = FindPass(plan, false, 0, RunFlag::KeepsConflicts)) job.RunPass(plan, *pass);
    for (int s = 0; s < 2; ++s)
        if (const PlannedPass* pass = FindPass(plan, false, s, RunFlag::TravellingDeletions)) job.RunPass(plan, *pass);
    // One-sided entries deleted where they are, instead of being copied.
    for (int s = 0; s < 2; ++s)
        if (const PlannedPass* pass = FindPass(plan, false, s, RunFlag::OnlyOneSided)) job.RunPass(plan, *pass);
    // Per direction: the delete masks on the source side, then the count for the progress window.
    for (int s = 0; s < 2; ++s) {
        if (const PlannedPass* pass = FindPass(plan, false, s, RunFlag::DeleteMatchOnly)) job.RunPass(plan, *pass);
        if (const PlannedPass* pass = FindPass(plan, true, s, 0)) job.CountCopies(plan, *pass);
    }
    if ((option.CopiesFrom(0) || option.CopiesFrom(1)) && !Switches().DontAsk) host.ProgressInit(job.totalBytes);
    // Left to right always before right to left.
    for (int s = 0; s < 2; ++s)
        if (const PlannedPass* pass = FindPass(plan, true, s, 0)) job.RunPass(plan, *pass);

    host.SetBusy(false);
    if (host.ProgressVisible()) host.ProgressUnload();
    job.Publish();
    RememberTwoWayRun(files, plan, &job.rowDone);
    // Always in the log, not only with LogChanges: someone should look at the kept versions.
    if (job.tally.Conflicts > 0) WriteLogLine({FormatMsg(RunMsg::ConflictsSummary, {QString::number(job.tally.Conflicts)})});
    if (job.tally.Cancelled) {
        // After the first error of a run without questions: what it stopped with and what is left.
        const int undone = std::max(0, job.tally.CopiesPlanned - job.tally.CopiesEnded);
        WriteLogLine({run.StoppedAfterError ? FormatMsg(RunMsg::StoppedAtFirstError, {QString::number(undone)})
                                            : FormatMsg(RunMsg::CancelledByUser)});
    }
    LogRunLine(QStringLiteral("End"), view, r);
    return true;
}

void CopySelection(FileView& files, const RunPlan& plan) {
    RunState& run = Run();
    RunHost& host = Host();
    const FileSystem::FolderHandleScope folders;
    run.CancelRequested = false;
    ClearRunTally();
    SyncJob job(files.ViewList, host, run.CancelRequested);
    for (const PlannedPass& pass : plan.Passes) job.CountCopies(plan, pass);
    host.SetBusy(true);
    if (!Switches().DontAsk) host.ProgressInit(job.totalBytes);
    for (const PlannedPass& pass : plan.Passes) job.RunPass(plan, pass);
    job.Publish();
    host.SetBusy(false);
    if (host.ProgressVisible()) host.ProgressUnload();
}

void DeleteSelection(FileView& files, const RunPlan& plan) {
    RunState& run = Run();
    run.CancelRequested = false;
    ClearRunTally();
    SyncJob job(files.ViewList, Host(), run.CancelRequested);
    for (const PlannedPass& pass : plan.Passes) job.RunPass(plan, pass);
    job.Publish();
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
        host.AppMessageBox(FormatMsg(RunMsg::ListEmpty), MsgBox::Information);
        return false;
    }
    if (files.Stale) {
        // A grey list no longer shows what is on disk. Without questions nothing may wait for a
        // click: the refusal goes to the log and the last error instead.
        if (Switches().DontAsk) RefuseUnattended(FormatMsg(RunMsg::ListOutOfDate));
        else host.ShowMsg(FormatMsg(RunMsg::ListOutOfDate), MsgBox::Exclamation);
        return false;
    }
    if (files.ViewList.size() <= 1) return false;
    const RunPlan plan = PlanRun(files, SyncRequest(0, false));
    const QString question = WithPlan(FormatMsg(RunMsg::SynchronizeQuestion), plan);
    if (host.AppMessageBox(question, MsgBox::YesNo | MsgBox::Exclamation | MsgBox::DefaultButton2) != MsgBox::Yes)
        return false;

    Call(hooks.Disable);
    ShowWorking(RunMsg::Synchronizing);
    const bool ok = SyncRun(files, plan);
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
    ShowWorking(RunMsg::Synchronizing);
    const bool ok = SyncRun(files, PlanRun(files, SyncRequest(row, entry == 1)));
    if (ok) {
        Refresh(files, hooks);
        Host().SetStatus(1, RunOutcomeText());
    }
    Call(hooks.Enable);
    return ok;
}

bool PopupCopyCommand(FileView& files, int row, int entry, const CommandHooks& hooks) {
    if (Host().AppMessageBox(FormatMsg(RunMsg::CopyQuestion), MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2) !=
        MsgBox::Yes)
        return false;
    Call(hooks.Disable);
    ShowWorking(RunMsg::Copying);
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    CopySelection(files, PlanRun(files, PopupRequest(RunRequest::Kind::Copy, row, entry)));
    Refresh(files, hooks);
    Host().SetStatus(1, RunOutcomeText());
    Call(hooks.Enable);
    return true;
}

bool PopupDeleteCommand(FileView& files, int row, int entry, const CommandHooks& hooks) {
    const RunPlan plan = PlanRun(files, PopupRequest(RunRequest::Kind::Delete, row, entry));
    const QString question = WithPlan(FormatMsg(RunMsg::DeleteQuestion), plan);
    if (Host().AppMessageBox(question, MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2) != MsgBox::Yes)
        return false;
    Call(hooks.Disable);
    ShowWorking(RunMsg::Deleting);
    const FileSystem::RootScope roots(RootsOfRows(files.Results));
    DeleteSelection(files, plan);
    Refresh(files, hooks);
    Host().SetStatus(1, RunOutcomeText());
    Call(hooks.Enable);
    return true;
}
