#include "EngineRuns.h"

#include "BenchProcess.h"

#include "config/ProgramSettings.h"
#include "config/Profile.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "engine/Masks.h"
#include "engine/RunState.h"
#include "engine/Scanner.h"
#include "engine/SyncRun.h"
#include "platform/FileListing.h"

namespace bench {

namespace {

// The benchmark's folder pair: every file and folder, hidden and system ones included.
FolderPair BenchPair(const QString& left, const QString& right) {
    FolderPair pair;
    pair.Dir = {left, right};
    pair.SubDirs = true;
    pair.System = {true, true};
    pair.Hidden = {true, true};
    pair.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
    return pair;
}

QString WithSlash(const QString& path) { return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'); }

}  // namespace

void PrepareUnattendedRun(const QString& left, const QString& right, const Directions& directions,
                          bool dontAsk) {
    ResetProgramSettings();
    ProgramSettings& settings = Settings();
    // Deletions are final (as rsync's) and nothing is logged outside the benchmark folder.
    settings.AllowUndo = false;
    settings.LogToFile = false;
    settings.SysDirs = settings.SysFiles = settings.HiddenDirs = settings.HiddenFiles = true;

    ResetStartupSwitches();
    StartupSwitches& sw = Switches();
    sw.AutoRun = true;
    sw.DontAsk = dontAsk;
    sw.Hidden = true;

    ResetRunState();
    ResetFileView();
    ResetCurrentProfile();
    CurrentProfileState& state = CurrentProfile();
    state.profile.Pairs = {BenchPair(left, right)};
    state.profile.Options.CompareDate = true;
    state.profile.Options.CompareSize = true;
    state.profile.Options.CheckArchiveAttr = 0;
    state.profile.Options.TimeLag = 2.0 / 86400.0;
    state.profile.View.SyncOptions = directions;
    state.ProfilePath = QStringLiteral("bench.tdp");
}

SideListing ListOneSide(const QString& root, const QString& otherRoot) {
    SideListing t;
    const FolderPair pair = BenchPair(root, otherRoot);
    const MaskSet dirs = BuildMaskSet(pair.Mask[MaskIncludeDirs], pair.Mask[MaskExcludeDirs]);
    const MaskSet files = BuildMaskSet(pair.Mask[MaskIncludeFiles], pair.Mask[MaskExcludeFiles]);
    const QStringList deletes = SplitMasks(pair.Mask[MaskDeleteFiles]);
    const QString side = WithSlash(root), other = WithSlash(otherRoot);
    ScanRules rules;
    rules.dirs = BuildMaskSet(pair.Mask[MaskIncludeDirs], pair.Mask[MaskExcludeDirs]);
    rules.files = BuildMaskSet(pair.Mask[MaskIncludeFiles], pair.Mask[MaskExcludeFiles]);
    rules.deletes = SplitMasks(pair.Mask[MaskDeleteFiles]);
    rules.switches = SwitchesOf(pair);
    rules.keyCase =
        FileSystem::FolderFoldsCase(side) || FileSystem::FolderFoldsCase(other) ? KeyCase::Folded : KeyCase::Exact;
    FileSystem::FolderIdentity otherIdentity;
    ScanOptions options;
    options.readArchive = false;  // the benchmark's profile has no archive rule
    options.skipFolder = FileSystem::IdentityOfFolder(other, otherIdentity) ? &otherIdentity : nullptr;
    const double start = NowSeconds();
    SideWalk walk(side, rules, options);
    walk.Start();
    ListedNode node;
    t.entries = 1;  // the root
    bool first = true;
    while (walk.Next(node)) {
        if (first) t.ok = !node.errors.empty() && node.errors[0] == 0;
        first = false;
        t.entries += static_cast<int64_t>(node.entries.size());
    }
    t.listSeconds = NowSeconds() - start;
    return t;
}

EngineTiming RunEngine(bool sync, RunHost* host) {
    EngineTiming t;
    HeadlessRunHost headless;
    SetHost(host ? host : &headless);
    const double start = NowSeconds();
    const CompareRunResult result = CompareRun();
    const double compared = NowSeconds();
    t.compareSeconds = compared - start;
    t.compareOk = result.outcome == CompareOutcome::Done;
    FileView& view = CurrentFileView();
    t.rows = static_cast<int64_t>(view.Results.size()) - 1;
    t.viewRows = view.LastIndex();
    if (sync && t.compareOk) {
        // The Synchronize button as the unattended start presses it (no refresh afterwards).
        t.syncRan = SynchronizeCommand(view);
        t.syncSeconds = NowSeconds() - compared;
    }
    t.errors = Run().ErrorReported;
    SetHost(nullptr);
    return t;
}

}  // namespace bench
