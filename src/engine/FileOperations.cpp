#include "engine/FileOperations.h"

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/LogFile.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"
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

constexpr uint32_t kCleanUpBits = Attr::ReadOnly | Attr::Hidden | Attr::System;

QString FolderWithoutSlash(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

// The paths block of an error text, the same with and without questions.
QString PathsBlock(const QString& first, const QString& second) {
    const QChar lf(u'\n');
    const bool both = !first.isEmpty() && !second.isEmpty();
    QString text;
    if (both) text += FormatMsg(812) + lf;
    if (!first.isEmpty()) text += first + lf;
    if (both) text += lf + FormatMsg(813) + lf;
    if (!second.isEmpty()) text += second;
    return text;
}

// The question after a failed operation: which side (or which copy direction) failed, the
// paths, and what OK and Cancel do.
QString ErrorPromptText(int err, const QString& sys, int side, const QString& first, const QString& second) {
    // The system's text follows the headline in any case, also where a language file lacks it.
    const QStringList args{QString::number(err)};
    QString headline;
    if (!first.isEmpty() && !second.isEmpty()) headline = FormatMsg(1282 + side, args);
    else if (!first.isEmpty()) headline = FormatMsg(1280 + side, args);
    else if (!second.isEmpty()) headline = FormatMsg(1280 + (1 - side), args);
    else headline = FormatMsg(814) + QString::number(err);
    return headline + QStringLiteral(":\n") + sys + QLatin1Char('\n') + PathsBlock(first, second) + QStringLiteral("\n\n") +
           FormatMsg(1284);
}

// The system's text for an errno; the language file's for the program's own error numbers.
QString ErrorTextOf(int err) {
    switch (err) {
    case FileSystem::ErrChangedSinceCompare: return FormatMsg(870);
    case FileSystem::ErrUnsafePath: return FormatMsg(871);
    case FileSystem::ErrTypeConflict: return FormatMsg(872);
    case FileSystem::ErrCaseConflict: return FormatMsg(873);
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
void CountNotDone(int err) {
    RunTally& tally = Run().Tally;
    if (CancelledByRequest(err)) return;
    if (FileSystem::IsProgramError(err) || (Settings().IgnoreLockedFiles && FileSystem::IsFileInUse(err)))
        ++tally.Skipped;
    else
        ++tally.Failed;
}

// The copies of the walk in progress whose report is still to come: replacements waiting in its
// batch, and new files handed to its copy workers (started with the walk's first new file).
struct WaitingCopy {
    int side;
    int row;
    ResultList* view;
};
struct CopyBatchState {
    std::unique_ptr<FileSystem::ReplacementBatch> batch;
    std::vector<WaitingCopy> waiting;
    std::unique_ptr<FileSystem::CopyWorkers> workers;
    std::deque<WaitingCopy> handedOut;  // in the order handed out, which is that of the results
};

// New files handed to the workers and not yet reported, at most: enough to keep both busy while
// this thread reports, few enough that a cancel or an error question comes soon after its cause.
constexpr size_t kMaxHandedOut = 32;
// Larger files are copied on the walk's own thread, where their progress is shown as they go.
constexpr int64_t kLargestWorkerCopy = int64_t{1} << 20;

void ReportWorkerCopies(size_t keepAtMost);
CopyBatchState& Batch() {
    static CopyBatchState state;
    return state;
}

}  // namespace

QStringList RootsOfRows(const ResultList& view) {
    QStringList roots;
    for (size_t i = 1; i < view.size(); ++i) {
        const CompareRow& row = view[i];
        if (row.Exists(0) || row.Exists(1)) continue;
        for (const QString& folder : row.Folder) {
            const QString root = FolderWithoutSlash(folder);
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
    if (row.Exists(d) && row.Name[d] != row.Name[s] && row.Name[d].compare(row.Name[s], Qt::CaseInsensitive) == 0)
        return row.Folder[d] + row.Name[d];
    return row.Folder[d] + row.Name[s];
}

void SetArchiveSwitches(int s) {
    const ProfileOptions& o = CurrentProfile().profile.Options;
    RunState& run = Run();
    if (o.SynchMedium[0]) {
        run.ResetSource = true;
        run.ResetDestination = s == 0;
    } else if (o.SynchMedium[1]) {
        run.ResetSource = true;
        run.ResetDestination = s == 1;
    } else {
        run.ResetSource = o.ResetArchiveAttrSource;
        run.ResetDestination = o.ResetArchiveAttrDest;
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
        if (operationCode & OpCode::FirstFolder) first = r.Folder[side];
        if (operationCode & OpCode::FirstName) first += r.Name[side];
        if (operationCode & OpCode::SecondFolder) second = r.Folder[1 - side];
        if (operationCode & OpCode::SecondName) second += r.Name[side];
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

void DeleteOneFile(int side, int row, ResultList& view) {
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString path = r.Folder[side] + r.Name[side];
    const FileSystem::SeenEntry seen = SeenOn(r, side);
    if (Settings().AllowUndo) {
        const bool ok = FileSystem::MoveToTrash(path, seen);
        if (ok) ++Run().Tally.Deleted;
        else CountNotDone(FileSystem::LastError());
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
            ++Run().Tally.Skipped;
            return;
        }
    }
    const bool ok = FileSystem::DeleteFile(path, seen);
    const int err = FileSystem::LastError();
    if (ok) ++Run().Tally.Deleted;
    else CountNotDone(err == 0 ? EIO : err);
    if (!ok && readOnly && !FileSystem::IsProgramError(err)) {
        // The file stays: it keeps the read-only mark it had.
        (void)FileSystem::SetAttributes(path, r.Attributes[side]);
        FileSystem::SetLastError(err);
    }
    ReportOperationError(ok ? 1 : 0, OpCode::DeleteFile, side, row, view);
    if (ok) LogChange("Delete", path);
}

void RemoveOneFolder(int side, int row, ResultList& view) {
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString folder = FolderWithoutSlash(r.Folder[side]);
    const bool ok = FileSystem::RemoveFolder(folder);
    const int err = FileSystem::LastError();
    // A folder that still holds something stays, and that is no failure.
    if (ok) ++Run().Tally.Deleted;
    else if (err != ENOTEMPTY && err != EEXIST) CountNotDone(err == 0 ? EIO : err);
    ReportOperationError(ok ? 1 : 0, OpCode::RemoveFolder, side, row, view);
    if (ok) LogChange("RemoveFolder", folder);
}

bool TrashWholeFolder(int side, int row, int entriesBelow, ResultList& view) {
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString folder = FolderWithoutSlash(r.Folder[side]);
    const bool ok = FileSystem::MoveToTrash(folder, SeenOn(r, side));
    if (ok) Run().Tally.Deleted += 1 + entriesBelow;
    else CountNotDone(FileSystem::LastError() == 0 ? EIO : FileSystem::LastError());
    ReportOperationError(ok ? 1 : 0, OpCode::RemoveFolder, side, row, view);
    if (ok) LogChange("Trash", folder);
    return ok;
}

bool CreateDestinationFolder(int s, int row, int flags, ResultList& view) {
    if (flags & RunFlag::Counting) return true;
    // The files handed to the workers before are reported first: the log keeps the walk's order.
    // One of them may have ended the run.
    ReportWorkerCopies(0);
    if (Run().CancelRequested) return false;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString target = FolderWithoutSlash(r.Folder[1 - s]);
    bool ok = FileSystem::CreateFolderFrom(target, FolderWithoutSlash(r.Folder[s]));
    const bool created = ok;
    if (!ok && FileSystem::LastError() == EEXIST) {
        // Someone created it since the compare: the folder the run wants is there.
        ok = FileSystem::FolderExists(target);
        if (!ok) FileSystem::SetLastError(EEXIST);
    }
    if (created) ++Run().Tally.Created;
    else if (!ok) CountNotDone(FileSystem::LastError() == 0 ? EIO : FileSystem::LastError());
    ReportOperationError(ok ? 1 : 0, OpCode::CreateFolder, s, row, view);
    if (created) LogChange("CreateFolder", target);
    return ok;
}

bool CopyProgressCallback(int64_t totalSize, int64_t copied, int reason) {
    if (reason != 0) return true;
    try {
        RunHost& host = Host();
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
void FinishCopy(int s, int row, bool ok, ResultList& view) {
    const CompareRow& r = view[static_cast<size_t>(row)];
    const QString source = r.Folder[s] + r.Name[s];
    const QString destination = CopyDestinationPath(r, s);
    RunState& run = Run();
    ++run.Tally.CopiesEnded;
    if (ok) ++run.Tally.Copied;
    else CountNotDone(FileSystem::LastError() == 0 ? EIO : FileSystem::LastError());
    const int err = ReportOperationError(ok ? 1 : 0, OpCode::CopyFile, s, row, view);
    if (ok) LogChange("Copy", source, destination);
    if (run.CancelRequested) return;
    // The archive resets only follow a copy that happened: a copy skipped because the file was
    // locked (ignored error) must keep the source's "not yet backed up" mark.
    if (err == 0 && ok) {
        if (run.ResetSource) {
            const bool done = FileSystem::SetAttributes(source, r.Attributes[s] & ~Attr::Archive);
            ReportOperationError(done ? 1 : 0, OpCode::SetSourceAttributes, s, row, view);
        }
        if (run.CancelRequested) return;
        if (run.ResetDestination) {
            const bool done = FileSystem::SetAttributes(destination, r.Attributes[s] & ~Attr::Archive);
            ReportOperationError(done ? 1 : 0, OpCode::SetDestinationAttributes, s, row, view);
        }
    }
    if (!Switches().DontAsk) Host().ProgressFileDone(r.Size[s]);
}

// Reports the new files the workers finished, in the order they were handed out, until at most
// keepAtMost are still out. When more are out, it waits until only half that many are, so that
// this thread sleeps once for many files instead of once for each; while waiting, the window
// stays alive (a Cancel there reaches the workers through the run's cancel flag).
void ReportWorkerCopies(size_t keepAtMost) {
    CopyBatchState& state = Batch();
    if (!state.workers) return;
    for (;;) {
        const size_t pending = state.workers->Pending();
        const size_t wanted = pending > keepAtMost ? pending - keepAtMost / 2 : 0;
        const std::vector<FileSystem::CopyWorkers::Result> done = state.workers->TakeFinished(wanted > 0 ? 50 : 0, wanted);
        for (const FileSystem::CopyWorkers::Result& result : done) {
            const WaitingCopy copy = state.handedOut.front();
            state.handedOut.pop_front();
            // Dropped by a cancel before it began: as in a walk that stopped before this file.
            if (!result.started) continue;
            const int64_t size = (*copy.view)[static_cast<size_t>(copy.row)].Size[copy.side];
            if (result.ok) CopyProgressCallback(size, size, 0);
            FileSystem::SetLastError(result.error);
            FinishCopy(copy.side, copy.row, result.ok, *copy.view);
        }
        if (state.workers->Pending() <= keepAtMost) return;
        Host().LetEventsRun();  // the wait timed out: the window stays alive
    }
}

// Whether the copy of row may go to the walk's workers: a new small file in a walk. A copy that
// needs this thread stays here: a replacement (with its batch), a destination that folds letter
// case (with its check), a large file (with its progress).
bool QualifiesForWorkers(int s, const CompareRow& r) {
    const int d = 1 - s;
    return Batch().batch && !r.Exists(d) && !r.SideFoldsCase(d) && r.Size[s] < kLargestWorkerCopy;
}

// Hands the copy of a qualifying file to the walk's workers, started with the first one; false
// when there are none (a single core).
bool HandToWorkers(int s, int row, const QString& source, const QString& destination,
                   const FileSystem::SeenEntry& seen, ResultList& view) {
    CopyBatchState& state = Batch();
    if (!state.workers) {
        const int threads = FileSystem::CopyWorkers::DefaultThreads();
        if (threads == 0) return false;
        state.workers = std::make_unique<FileSystem::CopyWorkers>(threads, &Run().CancelRequested, EndsUnattendedRun);
    }
    state.handedOut.push_back({s, row, &view});
    state.workers->Add({source, destination, seen});
    ReportWorkerCopies(kMaxHandedOut);
    return true;
}

// Puts the waiting replacements in place and reports them.
void FinishBatch() {
    CopyBatchState& state = Batch();
    if (!state.batch || state.waiting.empty()) return;
    std::vector<WaitingCopy> waiting;
    waiting.swap(state.waiting);
    std::vector<int> results;
    if (Run().CancelRequested) {
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
        FinishCopy(waiting[i].side, waiting[i].row, result == 0, *waiting[i].view);
    }
}

}  // namespace

void CopyOneFile(int s, int row, int flags, ResultList& view) {
    const int d = 1 - s;
    const CompareRow& r = view[static_cast<size_t>(row)];
    const bool counting = flags & RunFlag::Counting;
    const QString source = r.Folder[s] + r.Name[s];
    const QString destination = CopyDestinationPath(r, s);
    RunState& run = Run();
    RunHost& host = Host();

    // A copy made here is reported after those handed out before it: the log keeps the walk's order.
    const bool toWorkers = !counting && QualifiesForWorkers(s, r);
    if (!toWorkers && !counting) {
        ReportWorkerCopies(0);
        if (run.CancelRequested) return;  // one of them ended the run: this copy never begins
    }

    const FileSystem::SeenEntry destinationSeen = SeenOn(r, d);
    if (r.Exists(d) && (r.Attributes[d] & kCleanUpBits) && !counting) {
        const bool ok = FileSystem::SetAttributes(destination, r.Attributes[d] & ~kCleanUpBits, destinationSeen);
        const int err = FileSystem::LastError();
        ReportOperationError(ok ? 1 : 0, OpCode::SetDestinationAttributes, s, row, view);
        // A destination that is not what the compare saw, or lies beyond a link, is left alone.
        if (!ok && FileSystem::IsProgramError(err)) {
            ++run.Tally.Skipped;
            ++run.Tally.CopiesEnded;
            return;
        }
    }
    if (counting) {
        run.TotalBytes += r.Size[s];
        ++run.Tally.CopiesPlanned;
        return;
    }
    if (host.ProgressVisible()) host.ProgressShowFile(r.Folder[s], r.Folder[d], r.Name[s]);
    if (toWorkers && HandToWorkers(s, row, source, destination, destinationSeen, view)) return;

    bool ok;
    // Where the destination folds letter case, checked at copy time as well as in the compare:
    // the folder may have changed since. Where it does not, "a.txt" and "A.txt" are two files
    // and the copy of one never touches the other.
    QString variant;
    if (r.SideFoldsCase(d)) {
        const QString destinationName = destination.mid(destination.lastIndexOf(QLatin1Char('/')) + 1);
        variant = FileSystem::FindCaseVariant(FolderWithoutSlash(r.Folder[d]), destinationName);
    }
    if (!variant.isEmpty() && variant != r.Name[d]) {
        // Another file whose name differs only in case: writing would leave two files where
        // the user sees one, or replace the wrong one on a case-insensitive file system.
        FileSystem::SetLastError(EEXIST);
        ok = false;
    } else {
        ok = FileSystem::CopyFile(
            source, destination,
            [](int64_t total, int64_t copied) { CopyProgressCallback(total, copied, 0); },
            &run.CancelRequested, destinationSeen);
    }
    // A replacement waiting in the batch is reported once it is in place (or not).
    if (ok && FileSystem::LastCopyWaits() && Batch().batch) {
        Batch().waiting.push_back({s, row, &view});
        if (Batch().batch->Full()) FinishBatch();
        return;
    }
    FinishCopy(s, row, ok, view);
}

CopyBatchScope::CopyBatchScope() {
    CopyBatchState& state = Batch();
    if (state.batch) return;  // an outer scope collects already
    state.batch = std::make_unique<FileSystem::ReplacementBatch>();
    owner_ = true;
}

CopyBatchScope::~CopyBatchScope() {
    if (!owner_) return;
    // Normally empty: the walk finished its copies. Whatever still waits is discarded, so that
    // no old destination changes without its report.
    CopyBatchState& state = Batch();
    state.waiting.clear();
    state.batch.reset();
    // Likewise empty after a walk that ended normally; after one left by an exception the
    // workers drop what they have not begun.
    state.workers.reset();
    state.handedOut.clear();
}

void FinishWaitingCopies() {
    ReportWorkerCopies(0);
    FinishBatch();
}
