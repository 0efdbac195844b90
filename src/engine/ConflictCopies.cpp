#include "engine/ConflictCopies.h"

#include "engine/FileOperations.h"
#include "engine/LogFile.h"
#include "engine/RunMessages.h"
#include "engine/RunState.h"
#include "engine/SyncJob.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/NameLimit.h"
#include "platform/PathCodec.h"

#include <algorithm>

namespace {

// More conflict copies of one name within the same minute than anyone keeps apart by hand.
constexpr int kMaxConflictCounter = 99;

// A conflict name that neither side's folder holds, within both folders' name limits.
QString FreeConflictName(const CompareRow& r, int kept, const QDateTime& now) {
    const int limit = std::min(FileSystem::NameLimitBytes(FolderWithoutSlash(r.Folder(0))),
                               FileSystem::NameLimitBytes(FolderWithoutSlash(r.Folder(1))));
    for (int counter = 1; counter <= kMaxConflictCounter; ++counter) {
        const QString name = ConflictName(r.Name(kept), now, counter, limit);
        if (name.isEmpty()) return QString();
        if (FileSystem::GetAttributes(r.Folder(0) + name) == Attr::Invalid &&
            FileSystem::GetAttributes(r.Folder(1) + name) == Attr::Invalid)
            return name;
    }
    return QString();
}

}  // namespace

QString ConflictName(const QString& name, const QDateTime& when, int counter, int limitBytes) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    QString tag = QStringLiteral(" (conflict ") + when.toString(QStringLiteral("yyyy-MM-dd HHmm"));
    if (counter > 1) tag += QLatin1Char(' ') + QString::number(counter);
    tag += QLatin1Char(')');
    auto bytes = [&] { return PathCodec::Encode(stem + tag + extension).size(); };
    while (bytes() > limitBytes && stem.size() > 1) {
        // A whole character: never half of a surrogate pair.
        stem.chop(stem.size() >= 2 && stem.back().isLowSurrogate() && stem[stem.size() - 2].isHighSurrogate() ? 2 : 1);
    }
    return bytes() > limitBytes ? QString() : stem + tag + extension;
}

bool KeepConflictVersions(SyncJob& job, int row) {
    ResultList& view = job.view;
    const CompareRow& r = view[static_cast<size_t>(row)];
    if (!r.Exists(0) || !r.Exists(1)) {
        // Deleted on one side, changed on the other: the copy pass brings it back.
        const int s = r.Exists(0) ? 0 : 1;
        WriteLogLine({FormatMsg(RunMsg::ConflictCopiedBack, {LogPath(r.Folder(s) + r.Name(s))})});
        ++Run().ConflictsKept;
        return true;
    }
    const int s = r.SyncAction == SyncAction::LeftToRight ? 0 : 1;  // the side the run copies from
    const int kept = 1 - s;                                          // the version it overwrites
    const QString older = r.Folder(kept) + r.Name(kept);
    const QString name = FreeConflictName(r, kept, Clock::Now());
    if (name.isEmpty()) {
        FileSystem::SetLastError(EEXIST);
        ++job.tally.Failed;
        ReportOperationError(0, OpCode::CopyFile, kept, row, view);
        WriteLogLine({FormatMsg(RunMsg::ConflictNotKept, {LogPath(older), LogPath(r.Folder(kept) + r.Name(kept))})});
        return false;
    }
    // Beside the version itself first, then on the other side; the original stays in place
    // until the run's copy replaces it (and only if both of these exist).
    for (const int side : {kept, s}) {
        const QString target = r.Folder(side) + name;
        FileSystem::SeenEntry absent;
        absent.kind = FileSystem::SeenEntry::Kind::Absent;
        RunHost& host = job.host;
        const bool ok = FileSystem::CopyFile(
            older, target, [&host](int64_t total, int64_t copied) { CopyProgressCallback(host, total, copied, 0); },
            &job.cancel, absent);
        if (!ok) {
            const int err = FileSystem::LastError();
            ++job.tally.Failed;
            FileSystem::SetLastError(err == 0 ? EIO : err);
            ReportOperationError(0, OpCode::CopyFile, kept, row, view);
            WriteLogLine({FormatMsg(RunMsg::ConflictNotKept, {LogPath(older), LogPath(target)})});
            return false;
        }
    }
    WriteLogLine({FormatMsg(RunMsg::ConflictKept, {LogPath(r.Folder(s) + r.Name(s)), name})});
    ++Run().ConflictsKept;
    return true;
}
