#include "engine/FileOperations.h"

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/LogFile.h"
#include "engine/RunHost.h"
#include "engine/RunMessages.h"
#include "engine/RunState.h"
#include "engine/SyncJob.h"
#include "engine/TwoWayState.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/CopyNames.h"
#include "platform/CopyWorkers.h"
#include "platform/FileListing.h"
#include "platform/FileSystem.h"
#include "platform/ReplacementBatch.h"

#include <cerrno>
#include <cmath>
#include <deque>
#include <memory>
#include <vector>

namespace {

// Notes what the run did to a row, for the remembered state of two-way pairs.
void NoteDone(SyncJob& job, int row, uint8_t bits) {
    if (row >= 0 && static_cast<size_t>(row) < job.rowDone.size()) job.rowDone[static_cast<size_t>(row)] |= bits;
}

constexpr uint32_t kCleanUpBits = Attr::ReadOnly | Attr::Hidden | Attr::System;

// The paths block of an error text, the same with and without questions.
QString PathsBlock(const QString& first, const QString& second) {
    const QChar lf(u'\n');
    const bool both = !first.isEmpty() && !second.isEmpty();
    QString text;
    if (both) text += FormatMsg(RunMsg::SourceLabel) + lf;
    if (!first.isEmpty()) text += first + lf;
    if (both) text += lf + FormatMsg(RunMsg::DestinationLabel) + lf;
    if (!second.isEmpty()) text += second;
    return text;
}

// The question after a failed operation: which side (or which copy direction) failed, the
// paths, and what OK and Cancel do.
QString ErrorPromptText(int err, const QString& sys, int side, const QString& first, const QString& second) {
    // The system's text follows the headline in any case, also where a language file lacks it.
    const QStringList args{QString::number(err)};
    QString headline;
    if (!first.isEmpty() && !second.isEmpty()) headline = FormatMsg(RunMsg::ErrorCopyingFromLeft + side, args);
    else if (!first.isEmpty()) headline = FormatMsg(RunMsg::ErrorInLeftFolder + side, args);
    else if (!second.isEmpty()) headline = FormatMsg(RunMsg::ErrorInLeftFolder + (1 - side), args);
    else headline = FormatMsg(RunMsg::ErrorWord) + QString::number(err);
    return headline + QStringLiteral(":\n") + sys + QLatin1Char('\n') + PathsBlock(first, second) + QStringLiteral("\n\n") +
           FormatMsg(RunMsg::ErrorPromptButtons);
}

// The system's text for an errno; the language file's for the program's own error numbers.
QString ErrorTextOf(int err) {
    switch (err) {
    case FileSystem::ErrChangedSinceCompare: return FormatMsg(RunMsg::ChangedSinceCompare);
    case FileSystem::ErrUnsafePath: return FormatMsg(RunMsg::UnsafePath);
    case FileSystem::ErrTypeConflict: return FormatMsg(RunMsg::TypeConflict);
    case FileSystem::ErrCaseConflict: return FormatMsg(RunMsg::CaseConflict);
    default: return FileSystem::ErrorText(err);
    }
}

// Days from 30 Dec 1899 (the day count of the compare's times) to 1 Jan 1970.
constexpr int64_t kEpochDays = 25569;

// What the compare saw on one side of a row, for the check right before a change. The compare
// keeps local time in whole seconds; the offset in force now turns it back into file time (a
// change of daylight saving time between compare and run makes the row look changed: it is then
// skipped and reported, never overwritten).
FileSystem::SeenEntry SeenOn(const CompareRow& row, int side) {
    FileSystem::SeenEntry seen;
    using Kind = FileSystem::SeenEntry::Kind;
    if (!row.Exists(side)) {
        seen.kind = Kind::Absent;
    } else if (row.Attributes[side] & Attr::Directory) {
        seen.kind = Kind::Folder;
    } else {
        seen.kind = Kind::File;
        seen.size = row.Size[side];
        const auto localSeconds = static_cast<int64_t>(std::llround((row.Time[side] - kEpochDays) * 86400.0));
        seen.mtimeSeconds = localSeconds - FileSystem::CurrentUtcOffsetSeconds();
    }
    return seen;
}

// With LogChanges on, one line per change made: time, kind, path(s).
void LogChange(const char* kind, const QString& path, const QString& second = QString()) {
    if (!Settings().LogChanges) return;
    QStringList values{QLatin1String(kind), LogPath(path)};
    if (!second.isEmpty()) values << LogPath(second);
    WriteLogLine(values);
}

// A request that the user's Cancel aborted: the run stops, which is what was asked for, and
// nothing failed that needs an answer.
bool CancelledByRequest(int err) { return err == ECANCELED && Run().CancelRequested.load(); }

// Failures that are no failure: something left in a folder that is being removed (EEXIST means
// that only for a folder removal; elsewhere it is a real failure), and a locked file with
// IgnoreLockedFiles.
bool IgnoredFailure(int err, int operationCode) {
    if (err == ENOTEMPTY || (err == EEXIST && operationCode == OpCode::RemoveFolder)) return true;
    return Settings().IgnoreLockedFiles && FileSystem::IsFileInUse(err);
}

// Whether a failed copy ends the run: a run without questions stops at its first error when
// CancelAfterErrorUnattended is on. Asked on the copy workers' threads too, so that no copy
// begins after such a failure; it reads only settings that do not change during a run.
bool EndsUnattendedRun(int err) {
    if (!Switches().DontAsk || !Settings().CancelAfterErrorUnattended) return false;
    if (err == 0) err = EIO;
    return err != ECANCELED && !IgnoredFailure(err, OpCode::CopyFile);
}

// The outcome of one operation that did not happen, by its error number.
void CountNotDone(SyncJob& job, int err) {
    RunTally& tally = job.tally;
    if (CancelledByRequest(err)) return;
    if (FileSystem::IsProgramError(err) || (Settings().IgnoreLockedFiles && FileSystem::IsFileInUse(err)))
        ++tally.Skipped;
    else
        ++tally.Failed;
}

// New files handed to the workers and not yet reported, at most: enough to keep both busy while
// this thread reports, few enough that a cancel or an error question comes soon after its cause.
constexpr size_t kMaxHandedOut = 32;
// Larger files are copied on the walk's own thread, where their progress is shown as they go.
constexpr int64_t kLargestWorkerCopy = int64_t{1} << 20;

void ReportWorkerCopies(SyncJob& job, size_t keepAtMost);

}  // namespace

QString FolderWithoutSlash(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

QStringList RootsOfRows(const ResultList& view) {
    QStringList roots;
    for (size_t i = 1; i < view.size(); ++i) {
        const CompareRow& row = view[i];
        if (row.Exists(0) || row.Exists(1)) continue;
        for (int s = 0; s < 2; ++s) {
            const QString root = FolderWithoutSlash(row.Folder(s));
            if (!root.isEmpty() && !roots.contains(root)) roots << root;
        }
    }
    return roots;
}

QString CopyDestinationPath(const CompareRow& row, int s) {
    const int d = 1 - s;
    // On a case-sensitive file system "a.txt" and "A.txt" are two files. When the compare
    // matched them as one entry, the copy replaces the file that is there (as a copy onto a
    // case-insensitive file system would) rather than adding a second file beside it.
    if (row.Exists(d) && row.Name(d) != row.Name(s) && row.Name(d).compare(row.Name(s), Qt::CaseInsensitive) == 0)
        return row.Folder(d) + row.Name(d);
    return row.Folder(d) + row.Name(s);
}

void SetArchiveSwitches(SyncJob& job, int s) {
    const ProfileOptions& o = CurrentProfile().profile.Options;
    if (o.SynchMedium[0]) {
        job.resetSource = true;
        job.resetDestination = s == 0;
    } else if (o.SynchMedium[1]) {
        job.resetSource = true;
        job.resetDestination = s == 1;
    } else {
        job.resetSource = o.ResetArchiveAttrSource;
        job.resetDestination = o.ResetArchiveAttrDest;
    }
}

int ReportOperationError(int result, int operationCode, int side, int row, ResultList& view) {
    if (result > 0) return 0;
    int err = FileSystem::LastError();
    // A failure without an error number must never pass for success.
    if (err == 0) err = EIO;
    if (IgnoredFailure(err, operationCode)) return 0;

    RunState& run = Run();
    const QString sys = ErrorTextOf(err).left(1024);
    QString first, second;
    if (row >= 0 && static_cast<size_t>(row) < view.size() && (side == 0 || side == 1)) {
        const CompareRow& r = view[static_cast<size_t>(row)];
        if (operationCode & OpCode::FirstFolder) first = r.Folder(side);
        if (operationCode & OpCode::FirstName) first += r.Name(side);
        if (operationCode & OpCode::SecondFolder) second = r.Folder(1 - side);
        if (operationCode & OpCode::SecondName) second += r.Name(side);
    }
    if (CancelledByRequest(err)) {
        // The user's Cancel is no error to acknowledge; the log still shows where it stopped.
        WriteLogLine({QString::number(err), sys, LogPath(first), LogPath(second)});
        return err;
    }
    run.ErrorReported = true;
    constexpr qsizetype kMaxListedErrors = 10000;
    if (run.Errors.size() < kMaxListedErrors) {
        QString line = sys;
        if (!first.isEmpty()) line += QStringLiteral(": ") + first;
        if (!second.isEmpty()) line += QStringLiteral(" \u2192 ") + second;
        run.Errors << line;
    }

    if (result == 0) {
        if (Switches().DontAsk) {
            const QString text = sys + QLatin1Char('\n') + PathsBlock(first, second);
            WriteUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), text);
            WriteUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorDate"),
                                   GeneralDateTimeText(Clock::Now()));
            // Never clears a cancel that is already under way.
            if (Settings().CancelAfterErrorUnattended && !run.CancelRequested) {
                run.CancelRequested = true;
                run.StoppedAfterError = true;
            }
        } else if (!run.IgnoredErrors.count(err)) {
            const QString text = ErrorPromptText(err, sys, side, first, second);
            const uint32_t answer =
                Host().ShowMsg(text, MsgBox::CheckBoxFlag | MsgBox::Critical | MsgBox::OKCancel);
            if (answer & MsgBox::CheckBoxFlag) run.IgnoredErrors.insert(err);
            else if (answer == MsgBox::Cancel) run.CancelRequested = true;
        }
    }
    WriteLogLine({QString::number(err), sys, LogPath(first), LogPath(second)});
    return err;
}

void DeleteOneFile(SyncJob& job, int side, int row) {
    ResultList& view = job.view;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString path = r.Folder(side) + r.Name(side);
    const FileSystem::SeenEntry seen = SeenOn(r, side);
    if (Settings().AllowUndo) {
        const bool ok = FileSystem::MoveToTrash(path, seen);
        if (ok) NoteDone(job, row, static_cast<uint8_t>(RowDone::DeletedOn << side));
        if (ok) ++job.tally.Deleted;
        else CountNotDone(job, FileSystem::LastError());
        ReportOperationError(ok ? 1 : 0, OpCode::DeleteFile, side, row, view);
        if (ok) LogChange("Trash", path);
        return;
    }
    const bool readOnly = (r.Attributes[side] & Attr::ReadOnly) != 0;
    if (readOnly) {
        const bool ok = FileSystem::SetAttributes(path, r.Attributes[side] & ~Attr::ReadOnly, seen);
        const int err = FileSystem::LastError();
        ReportOperationError(ok ? 1 : 0, OpCode::SetSourceAttributes, side, row, view);
        // A file that is not what the compare saw, or lies beyond a link, is left alone.
        if (!ok && FileSystem::IsProgramError(err)) {
            ++job.tally.Skipped;
            return;
        }
    }
    const bool ok = FileSystem::DeleteFile(path, seen);
    const int err = FileSystem::LastError();
    if (ok) NoteDone(job, row, static_cast<uint8_t>(RowDone::DeletedOn << side));
    if (ok) ++job.tally.Deleted;
    else CountNotDone(job, err == 0 ? EIO : err);
    if (!ok && readOnly && !FileSystem::IsProgramError(err)) {
        // The file stays: it keeps the read-only mark it had.
        (void)FileSystem::SetAttributes(path, r.Attributes[side]);
        FileSystem::SetLastError(err);
    }
    ReportOperationError(ok ? 1 : 0, OpCode::DeleteFile, side, row, view);
    if (ok) LogChange("Delete", path);
}

void RemoveOneFolder(SyncJob& job, int side, int row) {
    ResultList& view = job.view;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString folder = FolderWithoutSlash(r.Folder(side));
    const bool ok = FileSystem::RemoveFolder(folder);
    const int err = FileSystem::LastError();
    // A folder that still holds something stays, and that is no failure.
    if (ok) NoteDone(job, row, static_cast<uint8_t>(RowDone::DeletedOn << side));
    if (ok) ++job.tally.Deleted;
    else if (err != ENOTEMPTY && err != EEXIST) CountNotDone(job, err == 0 ? EIO : err);
    ReportOperationError(ok ? 1 : 0, OpCode::RemoveFolder, side, row, view);
    if (ok) LogChange("RemoveFolder", folder);
}

bool TrashWholeFolder(SyncJob& job, int side, int row, int entriesBelow) {
    ResultList& view = job.view;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString folder = FolderWithoutSlash(r.Folder(side));
    const bool ok = FileSystem::MoveToTrash(folder, SeenOn(r, side));
    if (ok) job.tally.Deleted += 1 + entriesBelow;
    else CountNotDone(job, FileSystem::LastError() == 0 ? EIO : FileSystem::LastError());
    ReportOperationError(ok ? 1 : 0, OpCode::RemoveFolder, side, row, view);
    if (ok) LogChange("Trash", folder);
    return ok;
}

bool CreateDestinationFolder(SyncJob& job, int s, int row) {
    ResultList& view = job.view;
    // The files handed to the workers before are reported first: the log keeps the walk's order.
    // One of them may have ended the run.
    ReportWorkerCopies(job, 0);
    if (job.Cancelled()) return false;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString target = FolderWithoutSlash(r.Folder(1 - s));
    bool ok = FileSystem::CreateFolderFrom(target, FolderWithoutSlash(r.Folder(s)));
    const bool created = ok;
    if (!ok && FileSystem::LastError() == EEXIST) {
        // Someone created it since the compare: the folder the run wants is there.
        ok = FileSystem::FolderExists(target);
        if (!ok) FileSystem::SetLastError(EEXIST);
    }
    if (ok) NoteDone(job, row, static_cast<uint8_t>(RowDone::CreatedFrom << s));
    if (created) ++job.tally.Created;
    else if (!ok) CountNotDone(job, FileSystem::LastError() == 0 ? EIO : FileSystem::LastError());
    ReportOperationError(ok ? 1 : 0, OpCode::CreateFolder, s, row, view);
    if (created) LogChange("CreateFolder", target);
    return ok;
}

bool CopyProgressCallback(RunHost& host, int64_t totalSize, int64_t copied, int reason) {
    if (reason != 0) return true;
    try {
        if (host.ProgressVisible()) host.ProgressUpdate(totalSize, copied);
        else host.LetEventsRun();
    } catch (...) {
        // A failing progress display must not break the copy.
    }
    return true;
}

namespace {

// The report of a copy that happened or failed: tally, error report, log line, the archive
// resets after a copy that happened, progress.
void FinishCopy(SyncJob& job, int s, int row, bool ok) {
    ResultList& view = job.view;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString source = r.Folder(s) + r.Name(s);
    const QString destination = CopyDestinationPath(r, s);
    ++job.tally.CopiesEnded;
    if (ok) NoteDone(job, row, static_cast<uint8_t>(RowDone::CopiedFrom << s));
    if (ok) ++job.tally.Copied;
    else CountNotDone(job, FileSystem::LastError() == 0 ? EIO : FileSystem::LastError());
    const int err = ReportOperationError(ok ? 1 : 0, OpCode::CopyFile, s, row, view);
    // The version the copy replaced went to the trash with it (undo allowed).
    if (ok && Settings().AllowUndo && r.Exists(1 - s)) LogChange("Trash", destination);
    if (ok) LogChange("Copy", source, destination);
    if (job.Cancelled()) return;
    // The archive resets only follow a copy that happened: a copy skipped because the file was
    // locked (ignored error) must keep the source's "not yet backed up" mark.
    if (err == 0 && ok) {
        if (job.resetSource) {
            const bool done = FileSystem::SetAttributes(source, r.Attributes[s] & ~Attr::Archive);
            ReportOperationError(done ? 1 : 0, OpCode::SetSourceAttributes, s, row, view);
        }
        if (job.Cancelled()) return;
        if (job.resetDestination) {
            const bool done = FileSystem::SetAttributes(destination, r.Attributes[s] & ~Attr::Archive);
            ReportOperationError(done ? 1 : 0, OpCode::SetDestinationAttributes, s, row, view);
        }
    }
    if (!Switches().DontAsk) job.host.ProgressFileDone(r.Size[s]);
}

// Reports the new files the workers finished, in the order they were handed out, until at most
// keepAtMost are still out. When more are out, it waits until only half that many are, so that
// this thread sleeps once for many files instead of once for each; while waiting, the window
// stays alive (a Cancel there reaches the workers through the run's cancel flag).
void ReportWorkerCopies(SyncJob& job, size_t keepAtMost) {
    CopyQueue& state = job.copies;
    if (!state.workers) return;
    for (;;) {
        const size_t pending = state.workers->Pending();
        const size_t wanted = pending > keepAtMost ? pending - keepAtMost / 2 : 0;
        const std::vector<FileSystem::CopyWorkers::Result> done = state.workers->TakeFinished(wanted > 0 ? 50 : 0, wanted);
        for (const FileSystem::CopyWorkers::Result& result : done) {
            const CopyQueue::Waiting copy = state.handedOut.front();
            state.handedOut.pop_front();
            // Dropped by a cancel before it began: as in a walk that stopped before this file.
            if (!result.started) continue;
            const int64_t size = job.view[static_cast<size_t>(copy.row)].Size[copy.side];
            if (result.ok) CopyProgressCallback(job.host, size, size, 0);
            FileSystem::SetLastError(result.error);
            FinishCopy(job, copy.side, copy.row, result.ok);
        }
        if (state.workers->Pending() <= keepAtMost) return;
        job.host.LetEventsRun();  // the wait timed out: the window stays alive
    }
}

// Whether the copy of row may go to the walk's workers: a new small file in a walk. A copy that
// needs this thread stays here: a replacement (with its batch), a destination that folds letter
// case (with its check), a large file (with its progress).
bool QualifiesForWorkers(const SyncJob& job, int s, const CompareRow& r) {
    const int d = 1 - s;
    return job.copies.batch && !r.Exists(d) && !r.SideFoldsCase(d) && r.Size[s] < kLargestWorkerCopy;
}

// Hands the copy of a qualifying file to the walk's workers, started with the first one; false
// when there are none (a single core).
bool HandToWorkers(SyncJob& job, int s, int row, const QString& source, const QString& destination,
                   const FileSystem::SeenEntry& seen) {
    CopyQueue& state = job.copies;
    if (!state.workers) {
        const int threads = FileSystem::CopyWorkers::DefaultThreads();
        if (threads == 0) return false;
        state.workers = std::make_unique<FileSystem::CopyWorkers>(threads, &job.cancel, EndsUnattendedRun);
    }
    state.handedOut.push_back({s, row});
    state.workers->Add({source, destination, seen});
    ReportWorkerCopies(job, kMaxHandedOut);
    return true;
}

// Puts the waiting replacements in place and reports them.
void FinishBatch(SyncJob& job) {
    CopyQueue& state = job.copies;
    if (!state.batch || state.waiting.empty()) return;
    std::vector<CopyQueue::Waiting> waiting;
    waiting.swap(state.waiting);
    std::vector<int> results;
    if (job.Cancelled()) {
        // A cancel leaves every old destination as it was: the waiting copies did not happen.
        state.batch->Discard();
        results.assign(waiting.size(), ECANCELED);
    } else {
        results = state.batch->PutInPlace();
    }
    for (size_t i = 0; i < waiting.size(); ++i) {
        // A copy the batch has no result for was not put in place: never counted as done.
        const int result = i < results.size() ? results[i] : EIO;
        FileSystem::SetLastError(result);
        FinishCopy(job, waiting[i].side, waiting[i].row, result == 0);
    }
}

}  // namespace

void CopyOneFile(SyncJob& job, int s, int row) {
    const int d = 1 - s;
    ResultList& view = job.view;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString source = r.Folder(s) + r.Name(s);
    const QString destination = CopyDestinationPath(r, s);
    RunHost& host = job.host;

    // A copy made here is reported after those handed out before it: the log keeps the walk's order.
    const bool toWorkers = QualifiesForWorkers(job, s, r);
    if (!toWorkers) {
        ReportWorkerCopies(job, 0);
        if (job.Cancelled()) return;  // one of them ended the run: this copy never begins
    }

    const FileSystem::SeenEntry destinationSeen = SeenOn(r, d);
    if (r.Exists(d) && (r.Attributes[d] & kCleanUpBits)) {
        const bool ok = FileSystem::SetAttributes(destination, r.Attributes[d] & ~kCleanUpBits, destinationSeen);
        const int err = FileSystem::LastError();
        ReportOperationError(ok ? 1 : 0, OpCode::SetDestinationAttributes, s, row, view);
        // A destination that is not what the compare saw, or lies beyond a link, is left alone.
        if (!ok && FileSystem::IsProgramError(err)) {
            ++job.tally.Skipped;
            ++job.tally.CopiesEnded;
            return;
        }
    }
    if (host.ProgressVisible()) host.ProgressShowFile(r.Folder(s), r.Folder(d), r.Name(s));
    if (toWorkers && HandToWorkers(job, s, row, source, destination, destinationSeen)) return;

    bool ok;
    // Where the destination folds letter case, checked at copy time as well as in the compare:
    // the folder may have changed since. Where it does not, "a.txt" and "A.txt" are two files
    // and the copy of one never touches the other.
    QString variant;
    if (r.SideFoldsCase(d)) {
        const QString destinationName = destination.mid(destination.lastIndexOf(QLatin1Char('/')) + 1);
        variant = FileSystem::FindCaseVariant(FolderWithoutSlash(r.Folder(d)), destinationName);
    }
    if (!variant.isEmpty() && variant != r.Name(d)) {
        // Another file whose name differs only in case: writing would leave two files where
        // the user sees one, or replace the wrong one on a case-insensitive file system.
        FileSystem::SetLastError(EEXIST);
        ok = false;
    } else {
        ok = FileSystem::CopyFile(
            source, destination,
            [&host](int64_t total, int64_t copied) { CopyProgressCallback(host, total, copied, 0); }, &job.cancel,
            destinationSeen,
            // With undo allowed, a replaced version goes to the trash like a deleted one.
            Settings().AllowUndo ? FileSystem::Replaced::ToTrash : FileSystem::Replaced::Discard);
    }
    // A replacement waiting in the batch is reported once it is in place (or not).
    if (ok && FileSystem::LastCopyWaits() && job.copies.batch) {
        job.copies.waiting.push_back({s, row});
        if (job.copies.batch->Full()) FinishBatch(job);
        return;
    }
    FinishCopy(job, s, row, ok);
}

CopyBatchScope::CopyBatchScope(SyncJob& job) : job_(job) {
    job_.copies.batch = std::make_unique<FileSystem::ReplacementBatch>();
}

CopyBatchScope::~CopyBatchScope() {
    // Normally empty: the pass finished its copies. Whatever still waits is discarded, so that
    // no old destination changes without its report.
    CopyQueue& state = job_.copies;
    state.waiting.clear();
    state.batch.reset();
    // Likewise empty after a pass that ended normally; after one left by an exception the
    // workers drop what they have not begun.
    state.workers.reset();
    state.handedOut.clear();
}

void FinishWaitingCopies(SyncJob& job) {
    ReportWorkerCopies(job, 0);
    FinishBatch(job);
}
