#include "engine/SyncGuards.h"

#include "config/Placeholders.h"
#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/LogFile.h"
#include "engine/RowRules.h"
#include "engine/RunMessages.h"
#include "engine/RunHost.h"
#include "engine/RunPlan.h"
#include "engine/RunState.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/FolderIdentity.h"
#include "platform/VolumeLabels.h"

#include <QDir>

#include <algorithm>

namespace {

// ---- reports ----

// The record the next interactive start shows. An error this run recorded before (a folder the
// compare could not read, say) is the cause of what follows, so it is kept in front.
void RecordLastError(const QString& text) {
    const RunState& run = Run();
    QString message = text;
    if (run.ErrorReported || run.Refused) {
        const QString earlier =
            ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), QString()).toString();
        if (!earlier.isEmpty()) message = earlier + QLatin1Char('\n') + text;
    }
    WriteUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), message);
    WriteUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorDate"), GeneralDateTimeText(Clock::Now()));
}

// A part of the run that was left out on purpose: logged, recorded or shown, and the run ends
// as one with errors, since it did less than its options say.
// logText: the same message with its paths escaped for the log (LogPath), when it names paths.
void ReportSkippedPart(RunHost& host, const QString& text, const QString& logText) {
    WriteLogLine({logText.isEmpty() ? text : logText});
    if (Switches().DontAsk) RecordLastError(text);
    else host.AppMessageBox(text, MsgBox::Information);
    Run().ErrorReported = true;
}

bool IsMassDeletion(int planned, int filesHeld) {
    // At 100 no run can pass the limit: the guard is off.
    const int limit = Settings().MaxDeletePercent;
    return planned > 10 && int64_t{planned} * 100 > static_cast<int64_t>(std::max(limit, 0)) * filesHeld;
}

// ---- shared and nested roots ----

struct RootPlace {
    QString lexical;  // absolute, cleaned
    // The folder and its ancestors where it exists: links and bind mounts show one folder at
    // several paths, and only its identity tells.
    std::vector<FileSystem::FolderId> ids;
};

RootPlace PlaceOf(const QString& stored) {
    QString path = ExpandPathPlaceholders(stored);
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    path = ResolveVolumeLabelPath(path);
    RootPlace place;
    // A root that does not resolve to an absolute path never runs; nothing to compare.
    if (!path.startsWith(QLatin1Char('/'))) return place;
    place.lexical = QDir::cleanPath(path);
    place.ids = FileSystem::FolderAndAncestorIds(place.lexical);
    return place;
}

bool WithinOrEqual(const QString& inner, const QString& outer) {
    if (inner.isEmpty() || outer.isEmpty()) return false;
    if (inner == outer) return true;
    return inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}

bool Overlap(const RootPlace& a, const RootPlace& b) {
    if (WithinOrEqual(a.lexical, b.lexical) || WithinOrEqual(b.lexical, a.lexical)) return true;
    auto holds = [](const std::vector<FileSystem::FolderId>& chain, const std::vector<FileSystem::FolderId>& other) {
        return !chain.empty() && !other.empty() && std::find(chain.begin(), chain.end(), other.front()) != chain.end();
    };
    return holds(a.ids, b.ids) || holds(b.ids, a.ids);
}

bool PairDeletes(const Profile& profile, const FolderPair& pair) {
    const SyncOptionSet& o = profile.View.SyncOptions;
    if (o.DeletesOneSidedOn(0) || o.DeletesOneSidedOn(1)) return true;
    // Delete masks act in the copy directions only.
    return (o.CopiesFrom(0) || o.CopiesFrom(1)) && !pair.Mask[MaskDeleteFiles].trimmed().isEmpty();
}

QString PairText(const Profile& profile, qsizetype p, bool forLog = false) {
    const FolderPair& pair = profile.Pairs[p];
    if (forLog) return QStringLiteral("%1 (%2 <-> %3)").arg(p + 1).arg(LogPath(pair.Dir[0]), LogPath(pair.Dir[1]));
    return QStringLiteral("%1 (%2 <-> %3)").arg(p + 1).arg(pair.Dir[0], pair.Dir[1]);
}

}  // namespace

RunGuards::RunGuards(const RunPlan& plan) : pairs_(plan.Pairs), decisions_(plan.Pairs.Pairs.size()) {
    // A file is deleted once, whichever pass gets to it first.
    std::vector<uint8_t> counted(plan.Pairs.RowPair.size(), 0);
    for (const PlannedPass& pass : plan.Passes) {
        if (pass.copies) continue;
        const auto bit = static_cast<uint8_t>(1u << pass.side);
        for (size_t a = pass.begin; a < pass.end; ++a) {
            const PlannedAction& action = plan.Actions[a];
            const bool deletesFile =
                action.kind == PlannedKind::DeleteFile || action.kind == PlannedKind::DeleteTravelledFile;
            if (!deletesFile || action.row >= counted.size() || (counted[action.row] & bit))
                continue;
            counted[action.row] |= bit;
            ++decisions_[static_cast<size_t>(plan.Pairs.RowPair[action.row])].PlannedDeletions[pass.side];
        }
    }
}

int RunGuards::PlannedDeletionCount() const {
    int total = 0;
    for (const PairDecision& g : decisions_) total += g.PlannedDeletions[0] + g.PlannedDeletions[1];
    return total;
}

bool RunGuards::DeletionHeld(size_t row, int side) const {
    if (row >= pairs_.RowPair.size()) return false;
    return decisions_[static_cast<size_t>(pairs_.RowPair[row])].KeepSide[side];
}

bool RunGuards::DeletionDeclined(size_t row, int side) const {
    if (row >= pairs_.RowPair.size()) return false;
    return decisions_[static_cast<size_t>(pairs_.RowPair[row])].Declined[side];
}

void RunGuards::DecideDeletions(RunHost& host) {
    const int limit = Settings().MaxDeletePercent;
    for (size_t p = 0; p < decisions_.size(); ++p) {
        PairDecision& g = decisions_[p];
        const FolderPairRows::Pair& pair = pairs_.Pairs[p];
        for (int s = 0; s < 2; ++s) {
            const int planned = g.PlannedDeletions[s];
            if (planned == 0) continue;
            const QStringList counts{QString::number(planned), QString::number(pair.FilesHeld[s]), pair.Root[s],
                                     QString::number(limit)};
            if (pair.RootMissing[1 - s]) {
                // The other side is empty because its folder was missing, not because its
                // entries were deleted: everything here would look one-sided.
                g.KeepSide[s] = true;
                ReportSkippedPart(host, FormatMsg(RunMsg::DeletionsHeldMissingRoot, {pair.Root[1 - s], pair.Root[s], QString::number(planned)}),
                                  FormatMsg(RunMsg::DeletionsHeldMissingRoot,
                                            {LogPath(pair.Root[1 - s]), LogPath(pair.Root[s]), QString::number(planned)}));
            } else if (IsMassDeletion(planned, pair.FilesHeld[s])) {
                if (Switches().DontAsk) {
                    g.KeepSide[s] = true;
                    QStringList logCounts = counts;
                    logCounts[2] = LogPath(pair.Root[s]);
                    RefuseUnattended(FormatMsg(RunMsg::MassDeletionRefused, counts), FormatMsg(RunMsg::MassDeletionRefused, logCounts));
                } else if (host.AppMessageBox(FormatMsg(RunMsg::MassDeletionQuestion, counts),
                                              MsgBox::YesNo | MsgBox::Exclamation | MsgBox::DefaultButton2) !=
                           MsgBox::Yes) {
                    g.KeepSide[s] = true;
                    g.Declined[s] = true;
                }
            }
        }
    }
}

bool SharedRootsAllowed(const Profile& profile) {
    const qsizetype n = profile.Pairs.size();
    if (n < 2) return true;
    std::vector<std::array<RootPlace, 2>> places;
    places.reserve(static_cast<size_t>(n));
    for (const FolderPair& pair : profile.Pairs) places.push_back({PlaceOf(pair.Dir[0]), PlaceOf(pair.Dir[1])});
    for (qsizetype p = 0; p < n; ++p) {
        for (qsizetype q = p + 1; q < n; ++q) {
            if (!PairDeletes(profile, profile.Pairs[p]) && !PairDeletes(profile, profile.Pairs[q])) continue;
            bool overlap = false;
            for (const RootPlace& a : places[static_cast<size_t>(p)])
                for (const RootPlace& b : places[static_cast<size_t>(q)]) overlap = overlap || Overlap(a, b);
            if (!overlap) continue;
            const QStringList names{PairText(profile, p), PairText(profile, q)};
            if (Switches().DontAsk) {
                RefuseUnattended(FormatMsg(RunMsg::SharedRootsRefused, names),
                                 FormatMsg(RunMsg::SharedRootsRefused, {PairText(profile, p, true), PairText(profile, q, true)}));
                return false;
            }
            return Host().AppMessageBox(FormatMsg(RunMsg::SharedRootsQuestion, names),
                                        MsgBox::YesNo | MsgBox::Exclamation | MsgBox::DefaultButton2) == MsgBox::Yes;
        }
    }
    return true;
}

void RefuseUnattended(const QString& text, const QString& logText) {
    WriteLogLine({logText.isEmpty() ? text : logText});
    RecordLastError(text);
    Run().Refused = true;
}
