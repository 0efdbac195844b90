#include "engine/SyncGuards.h"

#include "config/Placeholders.h"
#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/LogFile.h"
#include "engine/RowRules.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/FolderIdentity.h"
#include "platform/VolumeLabels.h"

#include <QDir>

#include <algorithm>

namespace {

// ---- which pair a row belongs to ----

bool SameEntry(const CompareRow& a, const CompareRow& b) {
    return a.Name[0] == b.Name[0] && a.Name[1] == b.Name[1] && a.Folder[0] == b.Folder[0] &&
           a.Folder[1] == b.Folder[1];
}

bool IsFileOn(const CompareRow& row, int s) {
    return row.Exists(s) && (row.Attributes[s] & Attr::Directory) == 0;
}

// The pairs of a list (one per root row; rows before the first root row count to a first pair)
// and the pair of each of its rows.
std::vector<int> SplitIntoPairs(const ResultList& list, std::vector<PairGuard>& pairs) {
    std::vector<int> rowPair(list.size(), 0);
    pairs.clear();
    for (size_t i = 1; i < list.size(); ++i) {
        const CompareRow& row = list[i];
        if (IsRootRow(row) || pairs.empty()) {
            PairGuard& g = pairs.emplace_back();
            if (IsRootRow(row)) {
                for (int s = 0; s < 2; ++s) {
                    g.Root[s] = row.Folder[s];
                    g.RootMissing[s] = row.Attributes[s] == Attr::Invalid;
                }
            }
        }
        const int p = static_cast<int>(pairs.size()) - 1;
        rowPair[i] = p;
        for (int s = 0; s < 2; ++s)
            if (IsFileOn(row, s)) ++pairs[static_cast<size_t>(p)].FilesHeld[s];
    }
    if (pairs.empty()) pairs.emplace_back();
    return rowPair;
}

// The view list is the result list with rows left out, in the same order: each view row is
// found by walking the result list forward. False when a view row is not there (a view that
// was not built from these results).
bool MapViewOntoResults(const ResultList& results, const std::vector<int>& resultPair, const ResultList& view,
                        std::vector<int>& viewPair) {
    // A view of these very rows knows where each of its rows comes from.
    if (view.IsView()) {
        viewPair.assign(view.size(), 0);
        for (size_t i = 1; i < view.size(); ++i) {
            const size_t j = view.ViewedIndex(i);
            if (j >= results.size() || &view[i] != &results[j]) return false;
            viewPair[i] = resultPair[j];
        }
        return true;
    }
    // A view that left nothing out is the result list itself.
    if (view.size() == results.size()) {
        viewPair = resultPair;
        return true;
    }
    viewPair.assign(view.size(), 0);
    size_t j = 1;
    for (size_t i = 1; i < view.size(); ++i) {
        while (j < results.size() && !SameEntry(results[j], view[i])) ++j;
        if (j >= results.size()) return false;
        viewPair[i] = resultPair[j++];
    }
    return true;
}

const PairGuard* PairOfRow(size_t row) {
    const RunState& run = Run();
    if (row >= run.RowPair.size()) return nullptr;
    const size_t p = static_cast<size_t>(run.RowPair[row]);
    return p < run.Pairs.size() ? &run.Pairs[p] : nullptr;
}

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
void ReportSkippedPart(const QString& text, const QString& logText = QString()) {
    WriteLogLine({logText.isEmpty() ? text : logText});
    if (Switches().DontAsk) RecordLastError(text);
    else Host().AppMessageBox(text, MsgBox::Information);
    Run().ErrorReported = true;
}

bool IsMassDeletion(const PairGuard& g, int s) {
    // At 100 no run can pass the limit: the guard is off.
    const int limit = Settings().MaxDeletePercent;
    const int64_t planned = g.PlannedDeletions[s];
    return planned > 10 && planned * 100 > static_cast<int64_t>(std::max(limit, 0)) * g.FilesHeld[s];
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
    const std::array<bool, 5>& o = profile.View.SyncOptions;
    if (o[3] || o[4]) return true;
    // Delete masks act in the copy directions only.
    return (o[0] || o[1]) && !pair.Mask[MaskDeleteFiles].trimmed().isEmpty();
}

QString PairText(const Profile& profile, qsizetype p, bool forLog = false) {
    const FolderPair& pair = profile.Pairs[p];
    if (forLog) return QStringLiteral("%1 (%2 <-> %3)").arg(p + 1).arg(LogPath(pair.Dir[0]), LogPath(pair.Dir[1]));
    return QStringLiteral("%1 (%2 <-> %3)").arg(p + 1).arg(pair.Dir[0], pair.Dir[1]);
}

}  // namespace

RunGuardScope::RunGuardScope(const ResultList& results, const ResultList& view) {
    RunState& run = Run();
    const std::vector<int> resultPair = SplitIntoPairs(results, run.Pairs);
    if (!MapViewOntoResults(results, resultPair, view, run.RowPair)) run.RowPair = SplitIntoPairs(view, run.Pairs);
    run.PlannedDelete.assign(view.size(), 0);
}

RunGuardScope::~RunGuardScope() {
    RunState& run = Run();
    run.Pairs.clear();
    run.RowPair.clear();
    run.PlannedDelete.clear();
}

void PlanDeletion(size_t row, int side) {
    RunState& run = Run();
    if (row >= run.PlannedDelete.size() || row >= run.RowPair.size()) return;
    const uint8_t bit = static_cast<uint8_t>(1u << side);
    // A file is deleted once, whichever pass gets to it first.
    if (run.PlannedDelete[row] & bit) return;
    run.PlannedDelete[row] |= bit;
    ++run.Pairs[static_cast<size_t>(run.RowPair[row])].PlannedDeletions[side];
}

int PlannedDeletionCount() {
    int total = 0;
    for (const PairGuard& g : Run().Pairs) total += g.PlannedDeletions[0] + g.PlannedDeletions[1];
    return total;
}

bool DeletionHeld(size_t row, int side) {
    const PairGuard* g = PairOfRow(row);
    return g && g->KeepSide[side];
}

void CountHeldDeletion(size_t row, int side) {
    const PairGuard* g = PairOfRow(row);
    if (g && g->Declined[side]) ++Run().Tally.Declined;
    else ++Run().Tally.Skipped;
}

bool CreatesRootOf(size_t row, int side) {
    const PairGuard* g = PairOfRow(row);
    return g && g->RootMissing[side];
}

void DecideDeletions() {
    const int limit = Settings().MaxDeletePercent;
    for (PairGuard& g : Run().Pairs) {
        for (int s = 0; s < 2; ++s) {
            const int planned = g.PlannedDeletions[s];
            if (planned == 0) continue;
            const QStringList counts{QString::number(planned), QString::number(g.FilesHeld[s]), g.Root[s],
                                     QString::number(limit)};
            if (g.RootMissing[1 - s]) {
                // The other side is empty because its folder was missing, not because its
                // entries were deleted: everything here would look one-sided.
                g.KeepSide[s] = true;
                ReportSkippedPart(FormatMsg(880, {g.Root[1 - s], g.Root[s], QString::number(planned)}),
                                  FormatMsg(880, {LogPath(g.Root[1 - s]), LogPath(g.Root[s]), QString::number(planned)}));
            } else if (IsMassDeletion(g, s)) {
                if (Switches().DontAsk) {
                    g.KeepSide[s] = true;
                    QStringList logCounts = counts;
                    logCounts[2] = LogPath(g.Root[s]);
                    RefuseUnattended(FormatMsg(882, counts), FormatMsg(882, logCounts));
                } else if (Host().AppMessageBox(FormatMsg(881, counts),
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
                RefuseUnattended(FormatMsg(883, names),
                                 FormatMsg(883, {PairText(profile, p, true), PairText(profile, q, true)}));
                return false;
            }
            return Host().AppMessageBox(FormatMsg(884, names),
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
