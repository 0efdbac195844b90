// The speed benchmark of the program's engine against rsync and cp on the same trees, in one run:
// compare, first synchronisation, incremental synchronisation, one large file, memory per entry,
// cost per entry at several sizes, the cost of progress reporting and a pair with one side on a
// network share. Prints medians, ratios (ours / peer) and the targets. See bench/README.md.

#include "BenchProcess.h"
#include "BenchTrees.h"
#include "EngineRuns.h"

#include "config/Profile.h"
#include "config/ProfileFile.h"
#include "engine/HeadlessRunHost.h"

#include <QCoreApplication>
#include <QString>

#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace bench;

namespace {

struct Options {
    int64_t files = 100000;
    int reps = 5;
    std::string dir;
    std::set<std::string> sections;
    std::vector<int64_t> scaling;
    int64_t largeMiB = 1024;
    bool emptyScaling = false;
    std::string program;
    bool keep = false;
    std::string shareDir;     // a folder on a mounted network share, for the share section
    double shareSettle = 21;  // seconds for the share's client caches to expire before a measurement
};

const char* const AllSections[] = {"compare", "incremental", "first", "large", "progress", "scaling", "e2e", "noop", "share"};

void Usage() {
    std::printf(
        "usage: tandor_bench [--files N] [--reps N] [--dir PATH] [--quick]\n"
        "                    [--sections compare,incremental,first,large,progress,scaling,e2e,noop,share]\n"
        "                    [--scaling N,N,...] [--large-mib N] [--program PATH] [--keep]\n"
        "                    [--share-dir PATH] [--share-settle SECONDS]\n"
        "  --files N     files per tree of the main sections (default 100000)\n"
        "  --reps N      timed repetitions per measurement, median printed (default 5)\n"
        "  --dir PATH    where the trees are built (default $TMPDIR/tandor-bench or /tmp/tandor-bench)\n"
        "  --quick       CI-sized: 10000 files, 3 repetitions, a 128 MiB large file, scaling 1000,10000\n"
        "  --scaling     tree sizes of the cost-per-entry and memory table (default 10000 and --files)\n"
        "  --large-mib   size of the large file (default 1024)\n"
        "  --empty-scaling  the scaling trees hold empty files (changed ones 1 byte): memory and compare\n"
        "                time depend on the entries, not their contents; a million files then fit in RAM\n"
        "  --program     the program binary for the end-to-end run (default: tandor beside this one)\n"
        "  --keep        leave the trees in place at the end\n"
        "  --share-dir   a folder on a mounted network share where the share section puts its right tree\n"
        "                (bench/mount-share.sh mounts one); without it the section is skipped\n"
        "  --share-settle  seconds to wait before each measurement that reads the share, so that its\n"
        "                client caches have expired (default 21: sshfs's folder cache of 20 s; 0: warm)\n");
}

std::vector<int64_t> ParseList(const std::string& text) {
    std::vector<int64_t> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (!item.empty()) out.push_back(std::stoll(item));
    }
    return out;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    bool quick = false;
    bool scalingGiven = false;
    bool filesGiven = false, repsGiven = false, largeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--files") { o.files = std::stoll(next()); filesGiven = true; }
        else if (a == "--reps") { o.reps = std::stoi(next()); repsGiven = true; }
        else if (a == "--dir") o.dir = next();
        else if (a == "--quick") quick = true;
        else if (a == "--sections") {
            std::stringstream in(next());
            std::string s;
            while (std::getline(in, s, ',')) o.sections.insert(s);
        } else if (a == "--scaling") { o.scaling = ParseList(next()); scalingGiven = true; }
        else if (a == "--large-mib") { o.largeMiB = std::stoll(next()); largeGiven = true; }
        else if (a == "--empty-scaling") o.emptyScaling = true;
        else if (a == "--program") o.program = next();
        else if (a == "--keep") o.keep = true;
        else if (a == "--share-dir") o.shareDir = next();
        else if (a == "--share-settle") o.shareSettle = std::stod(next());
        else {
            Usage();
            std::exit(a == "--help" || a == "-h" ? 0 : 2);
        }
    }
    if (quick) {
        if (!filesGiven) o.files = 10000;
        if (!repsGiven) o.reps = 3;
        if (!largeGiven) o.largeMiB = 128;
        if (!scalingGiven) o.scaling = {1000, 10000};
    }
    if (!scalingGiven && !quick) o.scaling = {10000, o.files};
    if (o.sections.empty()) o.sections.insert(std::begin(AllSections), std::end(AllSections));
    if (o.dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        o.dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandor-bench";
    }
    while (o.dir.size() > 1 && o.dir.back() == '/') o.dir.pop_back();
    while (o.shareDir.size() > 1 && o.shareDir.back() == '/') o.shareDir.pop_back();
    if (o.program.empty()) {
        char self[4096];
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) {
            self[n] = 0;
            std::string s(self);
            o.program = s.substr(0, s.rfind('/')) + "/tandor";
        }
    }
    if (o.files < FilesPerFolder || o.reps < 1) {
        Usage();
        std::exit(2);
    }
    return o;
}

// One line of the closing table.
struct Result {
    std::string what;
    std::string ours;
    std::string peer;
    std::string ratio;
    std::string cpuRatio;  // of user + system time, which the load of the machine hardly moves
    std::string target;
    std::string verdict;
};
std::vector<Result> g_results;

std::string Fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

void Note(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Timed repetitions of ours and a peer, interleaved so that a drift of the machine hits both.
struct Pairing {
    std::vector<Sample> ours;
    std::vector<Sample> peer;
};

double MedianSeconds(const std::vector<Sample>& samples) {
    std::vector<double> v;
    for (const Sample& s : samples) if (s.ok) v.push_back(s.seconds);
    return Median(v);
}

double MedianCpu(const std::vector<Sample>& samples) {
    std::vector<double> v;
    for (const Sample& s : samples) if (s.ok) v.push_back(s.cpuSeconds);
    return Median(v);
}

// The load-independent companion of a time ratio, for the table.
std::string g_nextCpuRatio;
void CpuRatio(const std::vector<Sample>& ours, const std::vector<Sample>& peer) {
    const double a = MedianCpu(ours), b = MedianCpu(peer);
    std::printf("  cpu time (user + system): ours %.3f s, peer %.3f s\n", a, b);
    g_nextCpuRatio = b > 0 ? Fmt("%.2fx", a / b) : "-";
}

double MedianValue(const std::vector<Sample>& samples, size_t index) {
    std::vector<double> v;
    for (const Sample& s : samples) if (s.ok && s.values.size() > index) v.push_back(s.values[index]);
    return Median(v);
}

bool AllOk(const std::vector<Sample>& samples, const char* label) {
    bool ok = true;
    for (const Sample& s : samples) {
        if (!s.ok || !s.error.empty()) {
            std::printf("  !! %s: %s\n", label, s.error.empty() ? "failed" : s.error.c_str());
            ok = ok && s.ok;
        }
    }
    return ok && !samples.empty();
}

void Verdict(const std::string& what, double oursValue, double peerValue, double ratio, const std::string& unit,
             const std::string& target, bool met, const std::string& ratioText = {}) {
    Result r;
    r.what = what;
    r.ours = Fmt("%.3f", oursValue) + unit;
    r.peer = Fmt("%.3f", peerValue) + unit;
    r.ratio = ratioText.empty() ? Fmt("%.2fx", ratio) : ratioText;
    r.cpuRatio = g_nextCpuRatio.empty() ? "-" : g_nextCpuRatio;
    g_nextCpuRatio.clear();
    r.target = target;
    r.verdict = met ? "met" : "MISSED";
    g_results.push_back(r);
    std::printf("  => %s: ours %s, peer %s, ratio %s (target %s): %s\n", what.c_str(), r.ours.c_str(),
                r.peer.c_str(), r.ratio.c_str(), target.c_str(), r.verdict.c_str());
    std::fflush(stdout);
}

// ---- the trees ----

struct Trees {
    std::string base;   // dir/n<N>
    std::string left;   // 1 % changed
    std::string right;  // 0.5 % added
};

Trees EnsureComparePair(const Options& o, int64_t files, bool emptyFiles = false) {
    Trees t;
    t.base = o.dir + "/n" + std::to_string(files) + (emptyFiles ? "e" : "");
    t.left = t.base + "/left";
    t.right = t.base + "/right";
    TreeShape shape;
    shape.files = files;
    shape.emptyFiles = emptyFiles;
    if (!PathExists(t.left) || !PathExists(t.right)) {
        RemoveTree(t.base, o.dir);
        MakeFolders(t.base);
        const double start = NowSeconds();
        MakeTree(t.left, shape, TreeKind::Changed);
        MakeTree(t.right, shape, TreeKind::Added);
        SyncFileSystem();
        std::printf("  built %lld + %lld files in %lld folders per side in %.1f s\n",
                    static_cast<long long>(files), static_cast<long long>(AddedFileCount(shape)),
                    static_cast<long long>(TotalFolders(shape)), NowSeconds() - start);
    }
    return t;
}

// The engine compare of a pair in a child; values: rows, view rows.
Sample OursCompare(const std::string& left, const std::string& right) {
    return RunInChild([&](Sample& s) {
        PrepareUnattendedRun(Q(left), Q(right), Mirror);
        const EngineTiming t = RunEngine(false);
        s.seconds = t.compareSeconds;
        s.values = {static_cast<double>(t.rows), static_cast<double>(t.viewRows)};
        if (!t.compareOk) s.error = "the compare run could not list a root folder";
    });
}

// The engine compare and synchronisation in a child; values: compare s, sync s, rows, ran, errors.
Sample OursSync(const std::string& left, const std::string& right, const Directions& dirs, RunHost* host = nullptr,
                bool dontAsk = true) {
    return RunInChild([&](Sample& s) {
        int argc = 1;
        char name[] = "tandor_bench";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);  // the unattended program runs with one as well
        PrepareUnattendedRun(Q(left), Q(right), dirs, dontAsk);
        const EngineTiming t = RunEngine(true, host);
        s.seconds = t.compareSeconds + t.syncSeconds;
        s.values = {t.compareSeconds, t.syncSeconds, static_cast<double>(t.rows), t.syncRan ? 1.0 : 0.0,
                    t.errors ? 1.0 : 0.0};
        if (!t.compareOk) s.error = "the compare run could not list a root folder";
        else if (!t.syncRan) s.error = "the synchronisation run did not run";
        if (t.errors) s.error = "the synchronisation run reported errors";
    });
}

std::vector<std::string> RsyncDryRun(const std::string& l, const std::string& r) {
    return {"rsync", "-an", "--delete", l + "/", r + "/"};
}

// ---- sections ----

double g_compareRatio = -1;

void SectionCompare(const Options& o, const Trees& t) {
    Note("\n== compare: scan both sides, keys, sort, merge, view list  vs  rsync -an --delete ==");
    OursCompare(t.left, t.right);  // warm-up: caches hold both trees
    RunCommand(RsyncDryRun(t.left, t.right));
    Pairing p;
    for (int i = 0; i < o.reps; ++i) {
        p.ours.push_back(OursCompare(t.left, t.right));
        p.peer.push_back(RunCommand(RsyncDryRun(t.left, t.right)));
        std::printf("  rep %d: ours %.3f s, rsync -an --delete %.3f s\n", i + 1, p.ours.back().seconds,
                    p.peer.back().seconds);
    }
    if (!AllOk(p.ours, "ours") || !AllOk(p.peer, "rsync")) return;
    const double ours = MedianSeconds(p.ours), peer = MedianSeconds(p.peer);
    std::printf("  result list rows: %.0f, view list rows: %.0f\n", MedianValue(p.ours, 0), MedianValue(p.ours, 1));
    g_compareRatio = ours / peer;
    CpuRatio(p.ours, p.peer);
    Verdict("compare " + std::to_string(o.files) + " files", ours, peer, ours / peer, " s", "<= 0.50x", ours / peer <= 0.5);
}

void SectionIncremental(const Options& o, const Trees& t) {
    Note("\n== incremental synchronisation (1 % changed left, 0.5 % only right; mirror)  vs  rsync -a --delete ==");
    TreeShape shape;
    shape.files = o.files;
    auto restore = [&] {
        RestoreAddedTree(t.right, shape);
        SyncFileSystem();
    };
    Pairing p;
    for (int i = 0; i < o.reps; ++i) {
        restore();
        p.ours.push_back(OursSync(t.left, t.right, Mirror));
        if (i == 0) {
            const TreeCount c = CountTree(t.right);
            std::printf("  after ours: right holds %lld files (expected %lld)\n", static_cast<long long>(c.files),
                        static_cast<long long>(o.files));
        }
        restore();
        p.peer.push_back(RunCommand({"rsync", "-a", "--delete", t.left + "/", t.right + "/"}));
        std::printf("  rep %d: ours %.3f s (compare %.3f + sync %.3f), rsync -a --delete %.3f s\n", i + 1,
                    p.ours.back().seconds, p.ours.back().values.size() > 1 ? p.ours.back().values[0] : 0.0,
                    p.ours.back().values.size() > 1 ? p.ours.back().values[1] : 0.0, p.peer.back().seconds);
    }
    restore();
    if (!AllOk(p.ours, "ours") || !AllOk(p.peer, "rsync")) return;
    const double ours = MedianSeconds(p.ours), peer = MedianSeconds(p.peer);
    CpuRatio(p.ours, p.peer);
    Verdict("incremental sync " + std::to_string(o.files) + " files", ours, peer, ours / peer, " s", "<= 1.00x",
            ours / peer <= 1.0);
}

// Writes the mirror profile of the two trees for the program binary; false (with a note) when
// the binary or the profile is not to be had.
bool WriteBenchProfile(const Options& o, const Trees& t, const std::string& tdp) {
    if (::access(o.program.c_str(), X_OK) != 0) {
        Note("  skipped: no program binary at " + o.program);
        return false;
    }
    const Sample written = RunInChild([&](Sample& s) {
        Profile prof;
        FolderPair pair;
        pair.Dir = {Q(t.left), Q(t.right)};
        pair.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
        prof.Pairs = {pair};
        prof.Options.TimeLag = 2.0 / 86400.0;
        prof.View.SyncOptions = Mirror;
        if (!WriteProfileFile(Q(tdp), prof)) s.error = "cannot write " + tdp;
    });
    if (!written.ok || !written.error.empty()) {
        Note("  skipped: " + written.error);
        return false;
    }
    return true;
}

std::vector<std::string> ProgramEnvironment(const Options& o) {
    return {"XDG_CONFIG_HOME=" + o.dir + "/xdg-config", "XDG_DATA_HOME=" + o.dir + "/xdg-data",
            "QT_QPA_PLATFORM=offscreen"};
}

void SectionEndToEnd(const Options& o, const Trees& t) {
    Note("\n== end to end: the program binary, -auto -dontask -hide (incremental mirror)  vs  rsync -a --delete ==");
    const std::string tdp = o.dir + "/bench.tdp";
    if (!WriteBenchProfile(o, t, tdp)) return;
    TreeShape shape;
    shape.files = o.files;
    const std::vector<std::string> env = ProgramEnvironment(o);
    Pairing p;
    for (int i = 0; i < o.reps; ++i) {
        RestoreAddedTree(t.right, shape);
        SyncFileSystem();
        p.ours.push_back(RunCommand({o.program, tdp, "-auto", "-dontask", "-hide"}, {}, env));
        if (i == 0) {
            const TreeCount c = CountTree(t.right);
            std::printf("  after the program: right holds %lld files (expected %lld)\n",
                        static_cast<long long>(c.files), static_cast<long long>(o.files));
        }
        RestoreAddedTree(t.right, shape);
        SyncFileSystem();
        p.peer.push_back(RunCommand({"rsync", "-a", "--delete", t.left + "/", t.right + "/"}));
        std::printf("  rep %d: program %.3f s (peak %lld KiB), rsync -a --delete %.3f s\n", i + 1,
                    p.ours.back().seconds, static_cast<long long>(p.ours.back().peakKiB), p.peer.back().seconds);
    }
    RestoreAddedTree(t.right, shape);
    if (!AllOk(p.ours, "program") || !AllOk(p.peer, "rsync")) return;
    const double ours = MedianSeconds(p.ours), peer = MedianSeconds(p.peer);
    CpuRatio(p.ours, p.peer);
    Verdict("end-to-end program, incremental " + std::to_string(o.files), ours, peer, ours / peer, " s", "<= 1.00x",
            ours / peer <= 1.0);
}

// The whole program on two trees that are already the same: start, settings, profile, the
// compare of both trees, nothing to copy, the log, the end. The peer lists both trees the same way.
void SectionNoOp(const Options& o, const Trees& t) {
    Note("\n== no-op run: the program binary, -auto -dontask -hide, on trees in step  vs  rsync -an --delete ==");
    const std::string tdp = o.dir + "/bench.tdp";
    if (!WriteBenchProfile(o, t, tdp)) return;
    TreeShape shape;
    shape.files = o.files;
    RunCommand({"rsync", "-a", "--delete", t.left + "/", t.right + "/"});
    SyncFileSystem();
    const std::vector<std::string> env = ProgramEnvironment(o);
    const std::vector<std::string> program = {o.program, tdp, "-auto", "-dontask", "-hide"};
    RunCommand(program, {}, env);
    RunCommand(RsyncDryRun(t.left, t.right));
    Pairing p;
    for (int i = 0; i < o.reps; ++i) {
        p.ours.push_back(RunCommand(program, {}, env));
        p.peer.push_back(RunCommand(RsyncDryRun(t.left, t.right)));
        std::printf("  rep %d: program %.3f s (peak %lld KiB), rsync -an --delete %.3f s (peak %lld KiB)\n", i + 1,
                    p.ours.back().seconds, static_cast<long long>(p.ours.back().peakKiB), p.peer.back().seconds,
                    static_cast<long long>(p.peer.back().peakKiB));
    }
    RestoreAddedTree(t.right, shape);
    SyncFileSystem();
    if (!AllOk(p.ours, "program") || !AllOk(p.peer, "rsync")) return;
    const double ours = MedianSeconds(p.ours), peer = MedianSeconds(p.peer);
    CpuRatio(p.ours, p.peer);
    Verdict("no-op program run " + std::to_string(o.files), ours, peer, ours / peer, " s", "<= 0.45x", ours / peer <= 0.45);
}

// One side walked alone in a child, as the compare walks it; seconds: the walk; values: entries.
Sample OursListing(const std::string& root, const std::string& otherRoot) {
    return RunInChild([&](Sample& s) {
        const SideListing l = ListOneSide(Q(root), Q(otherRoot));
        s.seconds = l.listSeconds;
        s.values = {static_cast<double>(l.entries)};
        if (!l.ok) s.error = "cannot list " + root;
    });
}

// The peer's listing of one tree: every entry with the size and time the compare reads.
std::vector<std::string> FindListing(const std::string& root) { return {"find", root, "-printf", "%s %T@ %p\n"}; }

// The pair with its right tree on a network share, in step with the local left tree: how the
// compare of the pair compares with the slower side's listing alone (both sides are listed at
// once, so the local side should hide behind the share), and the whole program's no-op run.
// Every measurement that reads the share first lets the share's client caches expire
// (--share-settle): a scheduled run meets a share it has not read for a while, with the server's
// own cache warm.
void SectionShare(const Options& o, const Trees& t) {
    Note("\n== network share: left tree local, right tree (in step) on the share: listings, compare, no-op run"
         "  vs  find, rsync -an --delete ==");
    if (o.shareDir.empty()) {
        Note("  skipped: no --share-dir (a folder on a mounted share; bench/mount-share.sh mounts one)");
        return;
    }
    if (!PathExists(o.shareDir)) {
        Note("  skipped: " + o.shareDir + " does not exist (is the share mounted?)");
        return;
    }
    Trees share = t;
    share.base = o.shareDir + "/tandor-bench-n" + std::to_string(o.files);
    share.right = share.base + "/right";
    MakeFolders(share.base);
    const double copyStart = NowSeconds();
    if (!RunCommand({"rsync", "-a", "--delete", t.left + "/", share.right + "/"}).ok) {
        Note("  skipped: cannot copy the left tree to " + share.right);
        return;
    }
    std::printf("  right tree on the share in step with the left one (rsync -a) after %.1f s; settle %.0f s\n",
                NowSeconds() - copyStart, o.shareSettle);
    const std::string tdp = o.dir + "/share.tdp";
    const bool withProgram = WriteBenchProfile(o, share, tdp);
    const std::vector<std::string> env = ProgramEnvironment(o);
    const std::vector<std::string> program = {o.program, tdp, "-auto", "-dontask", "-hide"};
    auto settle = [&] {
        if (o.shareSettle > 0) ::usleep(static_cast<useconds_t>(o.shareSettle * 1e6));
    };
    // Untimed: the server's cache holds the share's tree, the local cache the left tree.
    OursCompare(t.left, share.right);
    RunCommand(FindListing(t.left));
    std::vector<Sample> listLeft, listRight, findLeft, findRight, compare, ours, rsync;
    std::string ratios;  // compare / slower listing of each repetition: the share's own spread
    for (int i = 0; i < o.reps; ++i) {
        // Every measurement of the share follows a full walk of it, as the caches it meets then
        // are in the same state for each (the client's caches hold what a walk leaves).
        findLeft.push_back(RunCommand(FindListing(t.left)));
        listLeft.push_back(OursListing(t.left, share.right));
        settle();
        findRight.push_back(RunCommand(FindListing(share.right)));
        settle();
        listRight.push_back(OursListing(share.right, t.left));
        settle();
        compare.push_back(OursCompare(t.left, share.right));
        if (withProgram) {
            settle();
            ours.push_back(RunCommand(program, {}, env));
        }
        settle();
        rsync.push_back(RunCommand(RsyncDryRun(t.left, share.right)));
        std::printf("  rep %d: listing left %.3f s (find %.3f), right %.3f s (find %.3f); compare %.3f s (%.0f rows,"
                    " %.0f in the view); program %.3f s; rsync -an --delete %.3f s\n",
                    i + 1, listLeft.back().seconds, findLeft.back().seconds, listRight.back().seconds,
                    findRight.back().seconds, compare.back().seconds,
                    compare.back().values.empty() ? 0.0 : compare.back().values[0],
                    compare.back().values.size() > 1 ? compare.back().values[1] : 0.0,
                    ours.empty() ? 0.0 : ours.back().seconds, rsync.back().seconds);
        const double slowerSide = std::max(listLeft.back().seconds, listRight.back().seconds);
        ratios += Fmt(i == 0 ? "%.2fx" : ", %.2fx", slowerSide > 0 ? compare.back().seconds / slowerSide : 0.0);
    }
    if (!o.keep) RemoveTree(share.base, o.shareDir);
    ::unlink(tdp.c_str());
    if (!AllOk(listLeft, "listing left") || !AllOk(listRight, "listing right") || !AllOk(findLeft, "find left") ||
        !AllOk(findRight, "find right") || !AllOk(compare, "compare") || !AllOk(rsync, "rsync"))
        return;
    const double left = MedianSeconds(listLeft), right = MedianSeconds(listRight);
    const double slower = std::max(left, right), both = MedianSeconds(compare);
    std::printf("  walk alone (SideWalk): left %.3f s, right %.3f s; %.0f + %.0f entries\n", left, right,
                MedianValue(listLeft, 0), MedianValue(listRight, 0));
    std::printf("  find -printf: left %.3f s, right %.3f s\n", MedianSeconds(findLeft), MedianSeconds(findRight));
    std::printf("  compare / slower listing, each repetition: %s\n", ratios.c_str());
    Verdict("share: compare vs the slower side's listing alone", both, slower, both / slower, " s", "<= 1.10x",
            both / slower <= 1.10);
    CpuRatio(listRight, findRight);
    Verdict("share: listing of the share vs find -printf", right, MedianSeconds(findRight),
            right / MedianSeconds(findRight), " s", "(info)", true);
    if (withProgram && AllOk(ours, "program")) {
        const double run = MedianSeconds(ours), peer = MedianSeconds(rsync);
        CpuRatio(ours, rsync);
        Verdict("share: no-op program run vs rsync -an --delete", run, peer, run / peer, " s", "(info)", true);
    }
}

void SectionFirstSync(const Options& o, const Trees& t) {
    Note("\n== first full synchronisation into an empty folder, until a final sync  vs  cp -a and rsync -a ==");
    const std::string dest = o.dir + "/first/dest";
    MakeFolders(o.dir + "/first");
    auto fresh = [&](bool create) {
        RemoveTree(dest, o.dir);
        if (create) MakeFolders(dest);
        SyncFileSystem();
    };
    // The final sync is inside the timed span: on a disk, what a tool leaves in the cache is
    // written after it ends, and the next repetition would pay for it otherwise.
    auto synced = [](Sample s) {
        const auto start = std::chrono::steady_clock::now();
        SyncFileSystem();
        s.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return s;
    };
    std::vector<Sample> ours, cp, rsync;
    for (int i = 0; i < o.reps; ++i) {
        fresh(true);
        ours.push_back(synced(OursSync(t.left, dest, BothWays)));
        if (i == 0) {
            const TreeCount c = CountTree(dest);
            std::printf("  after ours: %lld files, %lld folders, %lld bytes\n", static_cast<long long>(c.files),
                        static_cast<long long>(c.folders), static_cast<long long>(c.bytes));
        }
        fresh(false);
        cp.push_back(synced(RunCommand({"cp", "-a", t.left, dest})));
        fresh(false);
        rsync.push_back(synced(RunCommand({"rsync", "-a", t.left + "/", dest + "/"})));
        std::printf("  rep %d: ours %.3f s (compare %.3f + sync %.3f), cp -a %.3f s, rsync -a %.3f s\n", i + 1,
                    ours.back().seconds, ours.back().values.size() > 1 ? ours.back().values[0] : 0.0,
                    ours.back().values.size() > 1 ? ours.back().values[1] : 0.0, cp.back().seconds,
                    rsync.back().seconds);
    }
    fresh(false);
    if (!AllOk(ours, "ours") || !AllOk(cp, "cp") || !AllOk(rsync, "rsync")) return;
    const double o1 = MedianSeconds(ours), c = MedianSeconds(cp), r = MedianSeconds(rsync);
    CpuRatio(ours, cp);
    // In memory the copies are pure processor work, which the program's two copy workers share
    // out; on a disk every tool waits for the same writeback.
    struct statfs fs {};
    const bool inMemory = ::statfs(o.dir.c_str(), &fs) == 0 && fs.f_type == TMPFS_MAGIC;
    const double target = inMemory ? 0.7 : 1.0;
    Verdict("first sync " + std::to_string(o.files) + " files vs cp -a", o1, c, o1 / c, " s",
            inMemory ? "<= 0.70x" : "<= 1.00x", o1 / c <= target);
    CpuRatio(ours, rsync);
    Verdict("first sync " + std::to_string(o.files) + " files vs rsync -a", o1, r, o1 / r, " s", "(info)", true);
}

// Counts every call that a progress window or status line would serve, and forwards it.
class CountingHost : public HeadlessRunHost {
public:
    int64_t calls = 0;
    int64_t updates = 0;
    void ProgressInit(int64_t total) override { ++calls; HeadlessRunHost::ProgressInit(total); }
    void ProgressShowFile(const QString& a, const QString& b, const QString& n) override {
        ++calls;
        HeadlessRunHost::ProgressShowFile(a, b, n);
    }
    void ProgressUpdate(int64_t size, int64_t copied) override {
        ++calls;
        ++updates;
        HeadlessRunHost::ProgressUpdate(size, copied);
    }
    void ProgressFileDone(int64_t size) override { ++calls; HeadlessRunHost::ProgressFileDone(size); }
    void SetStatus(int field, const QString& text) override { ++calls; HeadlessRunHost::SetStatus(field, text); }
    void SetCompareStage(int stage) override { ++calls; HeadlessRunHost::SetCompareStage(stage); }
    void LetEventsRun() override { ++calls; HeadlessRunHost::LetEventsRun(); }
};

// Progress switched off: every hook returns at once.
class SilentHost : public RunHost {
public:
    int AppMessageBox(const QString&, int, const QString&) override { return MsgBox::Yes; }
    uint32_t ShowMsg(const QString&, uint32_t buttons, const QString&) override {
        return (buttons & 0x0F) == MsgBox::YesNo ? MsgBox::Yes : MsgBox::OK;
    }
    void ProgressInit(int64_t) override {}
    bool ProgressVisible() const override { return false; }
    void ProgressShowFile(const QString&, const QString&, const QString&) override {}
    void ProgressUpdate(int64_t, int64_t) override {}
    void ProgressFileDone(int64_t) override {}
    void ProgressUnload() override {}
    void SetStatus(int, const QString&) override {}
    void SetCompareStage(int) override {}
    void SetBusy(bool) override {}
    void LetEventsRun() override {}
    void Beep() override {}
};

void SectionLarge(const Options& o) {
    const int64_t size = o.largeMiB << 20;
    Note("\n== one large file (" + std::to_string(o.largeMiB) + " MiB) through the synchronisation run  vs  cp ==");
    const std::string src = o.dir + "/large/src", dst = o.dir + "/large/dst";
    RemoveTree(o.dir + "/large", o.dir);
    MakeFolders(src);
    WriteLargeFile(src + "/big.bin", size, 42);
    auto fresh = [&] {
        RemoveTree(dst, o.dir);
        MakeFolders(dst);
        SyncFileSystem();
    };
    std::vector<Sample> ours, cp;
    for (int i = 0; i < o.reps; ++i) {
        fresh();
        ours.push_back(RunInChild([&](Sample& s) {
            int argc = 1;
            char name[] = "tandor_bench";
            char* argv[] = {name, nullptr};
            QCoreApplication app(argc, argv);
            CountingHost host;
            // Questions allowed, so the progress window is open and every chunk reports to it.
            PrepareUnattendedRun(Q(src), Q(dst), BothWays, false);
            const EngineTiming t = RunEngine(true, &host);
            s.seconds = t.compareSeconds + t.syncSeconds;
            s.values = {static_cast<double>(host.updates), t.syncSeconds};
            if (!t.syncRan || t.errors) s.error = "the synchronisation run failed";
        }));
        if (i == 0) {
            const TreeCount c = CountTree(dst);
            std::printf("  after ours: %lld bytes copied, %.0f progress updates\n", static_cast<long long>(c.bytes),
                        ours.back().values.empty() ? 0.0 : ours.back().values[0]);
        }
        fresh();
        cp.push_back(RunCommand({"cp", src + "/big.bin", dst + "/big.bin"}));
        std::printf("  rep %d: ours %.3f s, cp %.3f s\n", i + 1, ours.back().seconds, cp.back().seconds);
    }
    RemoveTree(o.dir + "/large", o.dir);
    if (!AllOk(ours, "ours") || !AllOk(cp, "cp")) return;
    CpuRatio(ours, cp);
    const double mib = static_cast<double>(o.largeMiB);
    const double oursRate = mib / MedianSeconds(ours), cpRate = mib / MedianSeconds(cp);
    Verdict(std::to_string(o.largeMiB) + " MiB file throughput", oursRate, cpRate, oursRate / cpRate, " MiB/s",
            ">= 0.95x", oursRate / cpRate >= 0.95);
}

void SectionProgress(const Options& o, const Trees& t) {
    Note("\n== progress is not a cost: first sync with counted progress hooks  vs  progress switched off ==");
    const std::string dest = o.dir + "/progress/dest";
    MakeFolders(o.dir + "/progress");
    auto fresh = [&] {
        RemoveTree(dest, o.dir);
        MakeFolders(dest);
        SyncFileSystem();
    };
    std::vector<Sample> counted, silent;
    for (int i = 0; i < o.reps; ++i) {
        fresh();
        counted.push_back(RunInChild([&](Sample& s) {
            int argc = 1;
            char name[] = "tandor_bench";
            char* argv[] = {name, nullptr};
            QCoreApplication app(argc, argv);
            CountingHost host;
            // Questions allowed, so the progress window is opened as in a run with a window.
            PrepareUnattendedRun(Q(t.left), Q(dest), BothWays, false);
            const EngineTiming e = RunEngine(true, &host);
            s.seconds = e.compareSeconds + e.syncSeconds;
            // The cost of one round of the hooks, measured apart, scaled to the calls of the run.
            const int64_t calls = host.calls;
            CountingHost probe;
            const QString folder = Q(t.left) + QStringLiteral("/d000/s00/"), other = Q(dest) + "/d000/s00/";
            const double start = NowSeconds();
            constexpr int Rounds = 20000;
            for (int k = 0; k < Rounds; ++k) {
                probe.ProgressShowFile(folder, other, QStringLiteral("f0000000.dat"));
                probe.ProgressUpdate(4096, 4096);
                probe.ProgressFileDone(4096);
                probe.LetEventsRun();
            }
            const double perCall = (NowSeconds() - start) / (Rounds * 4.0);
            s.values = {static_cast<double>(calls), perCall, e.errors ? 1.0 : 0.0};
        }));
        fresh();
        SilentHost silentHost;
        silent.push_back(OursSync(t.left, dest, BothWays, &silentHost, false));
        std::printf("  rep %d: with progress %.3f s (%.0f hook calls), progress off %.3f s\n", i + 1,
                    counted.back().seconds, counted.back().values.empty() ? 0.0 : counted.back().values[0],
                    silent.back().seconds);
    }
    RemoveTree(o.dir + "/progress", o.dir);
    if (!AllOk(counted, "with progress") || !AllOk(silent, "progress off")) return;
    const double with = MedianSeconds(counted), without = MedianSeconds(silent);
    const double calls = MedianValue(counted, 0), perCall = MedianValue(counted, 1);
    const double estimated = calls * perCall / with;
    std::printf("  hook calls %.0f, %.2f us per call: estimated share %.2f %% of the run\n", calls, perCall * 1e6,
                estimated * 100);
    const double diff = (with - without) / without;
    Verdict("progress cost (first sync " + std::to_string(o.files) + ")", with, without, with / without, " s",
            "<= 2 % more", diff <= 0.02 || estimated <= 0.02,
            Fmt("%+.1f %% measured", diff * 100) + Fmt(", %.2f %% by calls", estimated * 100));
}

void SectionScaling(const Options& o) {
    Note("\n== cost per entry and memory per entry by tree size (compare run; n log n) ==");
    const std::string emptyBase = o.dir + "/empty";
    MakeFolders(emptyBase + "/left");
    MakeFolders(emptyBase + "/right");
    std::vector<double> baseline;
    for (int i = 0; i < 3; ++i) baseline.push_back(static_cast<double>(OursCompare(emptyBase + "/left", emptyBase + "/right").peakKiB));
    const double baseKiB = Median(baseline);
    std::printf("  empty pair: peak resident %.0f KiB\n", baseKiB);
    struct Row {
        int64_t n;
        double ours, peer, rows, perEntryNs, bytesPerEntry;
    };
    std::vector<Row> rows;
    for (int64_t n : o.scaling) {
        const Trees t = EnsureComparePair(o, n, o.emptyScaling);
        const int reps = n >= 1000000 ? std::min(o.reps, 3) : o.reps;
        OursCompare(t.left, t.right);
        RunCommand(RsyncDryRun(t.left, t.right));
        Pairing p;
        for (int i = 0; i < reps; ++i) {
            p.ours.push_back(OursCompare(t.left, t.right));
            p.peer.push_back(RunCommand(RsyncDryRun(t.left, t.right)));
        }
        if (!AllOk(p.ours, "ours") || !AllOk(p.peer, "rsync")) continue;
        Row r;
        r.n = n;
        r.ours = MedianSeconds(p.ours);
        r.peer = MedianSeconds(p.peer);
        r.rows = MedianValue(p.ours, 0);
        std::vector<double> peaks;
        for (const Sample& s : p.ours) peaks.push_back(static_cast<double>(s.peakKiB));
        r.perEntryNs = r.ours / r.rows * 1e9;
        r.bytesPerEntry = (Median(peaks) - baseKiB) * 1024.0 / r.rows;
        rows.push_back(r);
        std::printf("  %8lld files: %8.0f rows, ours %.3f s (%.0f ns/entry, %.0f ns/(entry*log2 n)), rsync -an %.3f s"
                    " (ratio %.2fx), %.0f bytes/entry\n",
                    static_cast<long long>(n), r.rows, r.ours, r.perEntryNs, r.perEntryNs / std::log2(r.rows), r.peer,
                    r.ours / r.peer, r.bytesPerEntry);
        if (n != o.files && !o.keep) RemoveTree(t.base, o.dir);
    }
    if (rows.empty()) return;
    const Row& big = *std::max_element(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.n < b.n; });
    Verdict("memory per entry (" + std::to_string(big.n) + " files, compare run)", big.bytesPerEntry, 200, big.bytesPerEntry / 200,
            " B", "<= 200 B/entry", big.bytesPerEntry <= 200);
    if (rows.size() >= 2) {
        const Row& small = *std::min_element(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.n < b.n; });
        // Growth of the time per entry against what n log n allows.
        const double growth = big.perEntryNs / small.perEntryNs;
        const double allowed = std::log2(big.rows) / std::log2(small.rows);
        Verdict("time per entry " + std::to_string(small.n) + " -> " + std::to_string(big.n), big.perEntryNs,
                small.perEntryNs, growth, " ns", Fmt("<= %.2fx (n log n)", allowed * 1.25), growth <= allowed * 1.25);
    }
}

void PrintTable() {
    Note("\n== summary (medians; ratio = ours / peer, throughput ratio = ours / cp) ==");
    std::printf("| measurement | ours | peer | ratio | cpu ratio | target | verdict |\n|---|---|---|---|---|---|---|\n");
    for (const Result& r : g_results)
        std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", r.what.c_str(), r.ours.c_str(), r.peer.c_str(),
                    r.ratio.c_str(), r.cpuRatio.c_str(), r.target.c_str(), r.verdict.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    try {
        MakeFolders(o.dir);
        // Settings, logs and the trash of every run stay inside the benchmark folder; no window.
        ::setenv("XDG_CONFIG_HOME", (o.dir + "/xdg-config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (o.dir + "/xdg-data").c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        std::printf("tandor_bench: %lld files, %d repetitions, trees in %s\n", static_cast<long long>(o.files), o.reps,
                    o.dir.c_str());
        const bool needTrees = o.sections.count("compare") || o.sections.count("incremental") || o.sections.count("first") ||
                               o.sections.count("progress") || o.sections.count("e2e") || o.sections.count("noop") ||
                               o.sections.count("share");
        Trees t;
        if (needTrees) t = EnsureComparePair(o, o.files);
        if (o.sections.count("compare")) SectionCompare(o, t);
        if (o.sections.count("incremental")) SectionIncremental(o, t);
        if (o.sections.count("e2e")) SectionEndToEnd(o, t);
        if (o.sections.count("noop")) SectionNoOp(o, t);
        if (o.sections.count("share")) SectionShare(o, t);
        if (o.sections.count("first")) SectionFirstSync(o, t);
        if (o.sections.count("progress")) SectionProgress(o, t);
        if (o.sections.count("large")) SectionLarge(o);
        if (o.sections.count("scaling")) SectionScaling(o);
        PrintTable();
        if (!o.keep) {
            RemoveTree(o.dir + "/first", o.dir);
            RemoveTree(o.dir + "/empty", o.dir);
            for (int64_t n : o.scaling) RemoveTree(o.dir + "/n" + std::to_string(n) + (o.emptyScaling ? "e" : ""), o.dir);
            RemoveTree(o.dir + "/n" + std::to_string(o.files), o.dir);
            RemoveTree(o.dir + "/xdg-config", o.dir);
            RemoveTree(o.dir + "/xdg-data", o.dir);
            ::unlink((o.dir + "/bench.tdp").c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tandor_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
