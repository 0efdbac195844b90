#include "EngineRuns.h"

#include "BenchProcess.h"

#include "config/ProgramSettings.h"
#include "config/Profile.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"

namespace bench {

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
    FolderPair pair;
    pair.Dir = {left, right};
    pair.SubDirs = true;
    pair.System = {true, true};
    pair.Hidden = {true, true};
    pair.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
    state.profile.Pairs = {pair};
    state.profile.Options.CompareDate = true;
    state.profile.Options.CompareSize = true;
    state.profile.Options.CheckArchiveAttr = 0;
    state.profile.Options.TimeLag = 2.0 / 86400.0;
    state.profile.View.SyncOptions = directions;
    state.ProfilePath = QStringLiteral("bench.tdp");
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
