#include "engine/CompareRun.h"

#include "config/Placeholders.h"
#include "config/Profile.h"
#include "engine/FileOperations.h"
#include "engine/FileView.h"
#include "engine/Merge.h"
#include "engine/RunHost.h"
#include "engine/RowRules.h"
#include "engine/RunState.h"
#include "engine/Scanner.h"
#include "i18n/TextLookup.h"
#include "engine/TwoWayState.h"
#include "engine/LogFile.h"
#include "engine/RunMessages.h"
#include "platform/FileListing.h"
#include "platform/FileSystem.h"
#include "platform/NetworkShare.h"
#include "platform/PathCodec.h"
#include "platform/VolumeLabels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// ---- the two walks of a pair ----

struct SideScan {
    QString root;  // ending with '/'
    FileSystem::FolderIdentity otherRoot;  // the other side's root, left out of this walk
    bool otherRootKnown = false;
    std::unique_ptr<SideWalk> walk;
    ListedNode rootNode;
    int error = 0;  // the root could not be listed (the error number), else 0
};

// Starts the walks of both sides (each on a thread of its own: a walk is pure file-system work,
// and the two sides usually live on different disks) and waits for their roots' listings.
void StartWalks(SideScan sides[2], const ScanRules& rules, const ScanOptions& options) {
    for (int s = 0; s < 2; ++s) {
        ScanOptions own = options;
        own.skipFolder = sides[s].otherRootKnown ? &sides[s].otherRoot : nullptr;
        sides[s].walk = std::make_unique<SideWalk>(sides[s].root, rules, own);
        sides[s].walk->Start();
    }
    for (int s = 0; s < 2; ++s) {
        SideScan& side = sides[s];
        if (!side.walk->Next(side.rootNode, [] { Host().LetEventsRun(); })) side.rootNode.errors.assign(1, EIO);
        side.error = side.rootNode.errors.empty() ? EIO : side.rootNode.errors[0];
    }
}

// Merges the walks of both sides into results on a thread of its own while this (the
// user-interface) thread keeps the window alive; only this thread talks to the host.
std::vector<RowProblem> MergeWalks(SideScan sides[2], const MergeOptions& options, ResultList& results) {
    MergeSide merge[2];
    for (int s = 0; s < 2; ++s) {
        SideWalk& walk = *sides[s].walk;
        merge[s].root = sides[s].root;
        merge[s].rootEntry = walk.RootEntry();
        merge[s].rootNode = std::move(sides[s].rootNode);
        merge[s].next = [&walk](ListedNode& node) { return walk.Next(node); };
    }
    std::vector<RowProblem> problems;
    std::mutex mutex;
    std::condition_variable done;
    bool merged = false;
    auto work = [&] {
        problems = MergePair(merge, options, results);
        std::lock_guard<std::mutex> lock(mutex);
        merged = true;
        done.notify_all();
    };
    std::thread worker;
    try {
        worker = std::thread(work);
    } catch (const std::system_error&) {
        work();  // no thread to be had: merge here
    }
    int stage = 1;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            if (done.wait_for(lock, std::chrono::milliseconds(20), [&] { return merged; })) break;
        }
        const int now = sides[1].walk->Finished() && sides[0].walk->Finished() ? 3 : sides[0].walk->Finished() ? 2 : 1;
        if (now > stage) Host().SetCompareStage(stage = now);
        Host().LetEventsRun();
    }
    if (worker.joinable()) worker.join();
    return problems;
}

// How long the mount of a network share may take before the root counts as unreadable: an
// unattended run must end even where the server does not answer.
constexpr int ShareMountTimeoutMs = 30000;

// The memory of a compare for a two-way run: the store opened (a store that cannot be opened
// is said in the log, and the compare goes on as without memory).
TwoWayMemory OpenMemory(const Profile& profile) {
    TwoWayMemory memory;
    if (!IsTwoWay(profile.View.SyncOptions)) return memory;
    memory.DatabasePath = SyncState::DatabasePathIn(SyncState::DefaultStateFolder());
    auto store = std::make_shared<SyncState::Store>();
    if (!store->Open(memory.DatabasePath)) {
        WriteLogLine({FormatMsg(RunMsg::MemoryUnusable, {LogPath(store->Error())})});
        return memory;
    }
    memory.Store = std::move(store);
    memory.Active = true;
    return memory;
}

// Reads a pair's last run and judges its new rows against it.
void RememberPair(TwoWayMemory& memory, const SideScan sides[2], ResultList& results,
                  size_t firstRow, const MergeOptions& options, const ProfileOptions& profileOptions) {
    if (!memory.Active) return;
    SyncState::Store& store = *memory.Store;
    PairMemory& pair = memory.Pairs.emplace_back();
    for (int s = 0; s < 2; ++s) pair.Root[s] = sides[s].root;
    pair.FirstRow = firstRow;
    pair.EndRow = results.size();
    pair.Id = store.PairId(pair.Root[0], pair.Root[1]);
    if (!store.Error().isEmpty() || !ReadMemory(store, results, pair)) {
        WriteLogLine({FormatMsg(RunMsg::MemoryUnusable, {LogPath(store.Error())})});
        memory.Active = false;  // a run that cannot read its memory must not rewrite it
        memory.Store.reset();
        return;
    }
    JudgeAgainstMemory(results, pair, options, profileOptions.PropagateDeletions);
}

void ClearStatusAround(const QString& middle) {
    Host().SetStatus(0, QString());
    Host().SetStatus(2, QString());
    Host().SetStatus(1, middle);
}

}  // namespace

QString ConnectSideCredentials(const Profile& profile, int side, const QString& root) {
    FileSystem::ShareAddress address;
    if (!FileSystem::ParseSharePath(root, address)) return QString();
    const size_t s = static_cast<size_t>(side);
    const QString folder = FileSystem::MountShare(address, profile.Options.Username[s], profile.Options.Password[s], ShareMountTimeoutMs);
    if (folder.isEmpty()) return QString();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString ResolvedRoot(const Profile& profile, int side, const QString& stored) {
    const QString expanded = ExpandPathPlaceholders(stored);
    if (expanded.trimmed().isEmpty()) return QString();
    if (expanded.startsWith(QLatin1String("//"))) return ConnectSideCredentials(profile, side, expanded);
    QString root = expanded;
    if (!root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');
    root = ResolveVolumeLabelPath(root);
    // A label that no mounted file system carries comes back unchanged, as a relative path.
    return root.startsWith(QLatin1Char('/')) ? root : QString();
}

namespace {
// Whether no entry at all has the root's name (looked at without following a link).
bool NothingNamedAsRoot(const QString& root) { return FileSystem::GetAttributes(root) == Attr::Invalid; }
}  // namespace

CompareRunResult CompareRun(Profile& profile, FileView& view) {
    CompareRunResult result;
    if (profile.Pairs.isEmpty()) {
        Host().AppMessageBox(FormatMsg(802), MsgBox::Exclamation);
        result.outcome = CompareOutcome::EmptyProfile;
        return result;
    }
    Host().SetBusy(true);
    // The new rows are built apart: the window shows the view of the old ones meanwhile.
    ResultList results(1);
    std::array<std::vector<QString>, 2> staleTemporaries;
    const MergeOptions mergeOptions = MergeOptionsOf(profile.Options, Run().DefaultMark);
    TwoWayMemory memory = OpenMemory(profile);

    for (qsizetype p = 0; p < profile.Pairs.size(); ++p) {
        const FolderPair& pair = profile.Pairs[p];
        ClearStatusAround(FormatMsg(850));
        Host().SetCompareStage(1);
        int missingRoot = 0;

        SideScan sides[2];
        for (int s = 0; s < 2; ++s) {
            sides[s].root = ResolvedRoot(profile, s, pair.Dir[static_cast<size_t>(s)]);
            if (!sides[s].root.isEmpty()) continue;
            // Not a folder at all: reported as a root that cannot be read, with the text the
            // user wrote, and never scanned (AutoCreate does not apply either).
            CompareRow& quote = view.ViewList.empty() ? view.ViewList.emplace_back() : view.ViewList[0];
            quote.SetFolder(s, pair.Dir[static_cast<size_t>(s)]);
            FileSystem::SetLastError(ENOENT);
            ReportOperationError(0, s == 0 ? OpCode::FirstFolder : OpCode::SecondFolder, 0, 0, view.ViewList);
            result.errorFlag += s + 1;
        }
        if (result.errorFlag != 0) break;
        ScanRules rules;
        rules.dirs = BuildMaskSet(pair.Mask[MaskIncludeDirs], pair.Mask[MaskExcludeDirs]);
        rules.files = BuildMaskSet(pair.Mask[MaskIncludeFiles], pair.Mask[MaskExcludeFiles]);
        rules.deletes = SplitMasks(pair.Mask[MaskDeleteFiles]);
        rules.switches = SwitchesOf(pair);
        ScanOptions options;
        // The archive bit costs a call per file; without the archive rule nothing reads it.
        options.readArchive = profile.Options.CheckArchiveAttr != 0;
        // Names pair by exact spelling unless a side's file system folds letter case.
        uint8_t foldsCase = 0;
        for (int s = 0; s < 2; ++s)
            if (FileSystem::FolderFoldsCase(sides[s].root)) foldsCase |= static_cast<uint8_t>(1u << s);
        rules.keyCase = foldsCase != 0 ? KeyCase::Folded : KeyCase::Exact;
        // A root inside the other side's root is left out of that side's walk.
        for (int s = 0; s < 2; ++s)
            sides[s].otherRootKnown = FileSystem::IdentityOfFolder(sides[1 - s].root, sides[s].otherRoot);
        StartWalks(sides, rules, options);

        for (int s = 0; s < 2; ++s) {
            if (sides[s].error == 0) continue;
            if (FileSystem::IsPathNotFound(sides[s].error) && pair.AutoCreate[static_cast<size_t>(s)] &&
                NothingNamedAsRoot(sides[s].root)) {
                // Missing root to be created: the root row proposes the copy toward it. A link
                // that leads nowhere or a file in its place is no missing root: no folder can
                // be made there, so it is reported as a root that cannot be used.
                missingRoot = s == 0 ? SyncAction::RightToLeft : SyncAction::LeftToRight;
                sides[s].rootNode = ListedNode();
                continue;
            }
            // Row 0 of the view list quotes the root in the report: the left one as folder 1
            // (code 1), the right one as folder 2 (code 4).
            CompareRow& quote = view.ViewList.empty() ? view.ViewList.emplace_back() : view.ViewList[0];
            quote.SetFolder(s, sides[s].root);
            FileSystem::SetLastError(sides[s].error);
            ReportOperationError(0, s == 0 ? OpCode::FirstFolder : OpCode::SecondFolder, 0, 0, view.ViewList);
            result.errorFlag += s + 1;
        }
        Host().SetStatus(0, QString());
        if (result.errorFlag != 0) break;

        Host().SetStatus(1, FormatMsg(851));
        Host().LetEventsRun();
        const size_t before = results.size();
        MergeOptions pairOptions = mergeOptions;
        pairOptions.foldsCase = foldsCase;
        pairOptions.replacesTypeChanges = ReplacesTypeChanges(profile.View.SyncOptions);
        const std::vector<RowProblem> problems = MergeWalks(sides, pairOptions, results);
        Run().IgnoredErrors.clear();
        for (size_t s = 0; s < 2; ++s) {
            const std::vector<QString> stale = sides[s].walk->StaleTemporaryFolders();
            staleTemporaries[s].insert(staleTemporaries[s].end(), stale.begin(), stale.end());
        }
        if (results.size() > before && missingRoot != 0)
            results[before].SyncAction = static_cast<int16_t>(missingRoot);
        RememberPair(memory, sides, results, before, pairOptions, profile.Options);
        // Reported in every compare, so that what a run leaves alone is never passed over in
        // silence: a log line, the last error of an unattended run, a question otherwise.
        for (const RowProblem& u : problems) {
            const CompareRow& row = results[u.row];
            FileSystem::SetLastError(u.error);
            const int code = row.IsFolder() ? OpCode::FirstFolder : OpCode::FirstFolder | OpCode::FirstName;
            ReportOperationError(0, code, u.side, static_cast<int>(u.row), results);
            if (u.error == FileSystem::ErrCaseConflict) ++result.caseConflicts;
            else if (u.error == FileSystem::ErrTypeConflict) ++result.typeConflicts;
            else ++result.unreadableFolders;
        }
        Host().LetEventsRun();
    }

    if (result.errorFlag != 0) {
        ClearStatusAround(FormatMsg(854 + result.errorFlag));
        // No result at all: neither the new rows nor the old list, whose roots may be the
        // very folders that can no longer be read.
        view.Clear();
        result.outcome = CompareOutcome::RootUnreadable;
    } else {
        view.ViewList.assign(1, CompareRow());
        view.Results = std::move(results);
        view.StaleTemporaryFolders = std::move(staleTemporaries);
        view.Memory = std::move(memory);
        view.UpdateFilesView(profile.View.Filter1, profile.View);
        view.Stale = false;
    }
    Host().SetCompareStage(0);
    Host().SetBusy(false);
    return result;
}

CompareRunResult CompareRun() { return CompareRun(CurrentProfile().profile, CurrentFileView()); }
