// What the remembered state of two-way runs costs the whole program: the program binary run
// unattended with one two-way profile on two pairs of trees made alike, once with its state
// (read at the compare and written after the run) and once with a state folder that cannot be
// made, so that it runs as two-way runs did before they remembered anything. Both are
// interleaved in one run of this benchmark so that they meet the same machine; a one-way mirror
// on a third pair is printed beside them for scale. Two measurements: a no-op run on trees in
// step, and an incremental run after 1 % of the left files were edited (each repetition edits
// them again, so every profile copies the same files). Target: with state within 1.10x of
// without.
//
//   state_bench [--files N] [--reps N] [--dir PATH] [--program PATH]

#include "BenchProcess.h"
#include "BenchTrees.h"

#include "config/Profile.h"
#include "config/ProfileFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

using namespace bench;

namespace {

struct Options {
    int64_t files = 100000;
    int reps = 5;
    std::string dir;
    std::string program;
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc) std::exit(2);
            return argv[++i];
        };
        if (a == "--files") o.files = std::stoll(next());
        else if (a == "--reps") o.reps = std::stoi(next());
        else if (a == "--dir") o.dir = next();
        else if (a == "--program") o.program = next();
        else {
            std::printf("usage: state_bench [--files N] [--reps N] [--dir PATH] [--program PATH]\n");
            std::exit(a == "--help" ? 0 : 2);
        }
    }
    if (o.dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        o.dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandor-state-bench";
    }
    if (o.program.empty()) {
        const std::string self = argv[0];
        o.program = self.substr(0, self.rfind('/') + 1) + "tandor";
    }
    return o;
}

bool WriteProfile(const std::string& path, const std::string& left, const std::string& right,
                  const SyncOptionSet& options) {
    Profile prof;
    FolderPair pair;
    pair.Dir = {QString::fromStdString(left), QString::fromStdString(right)};
    pair.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
    prof.Pairs = {pair};
    prof.Options.TimeLag = 2.0 / 86400.0;
    prof.View.SyncOptions = options;
    return WriteProfileFile(QString::fromStdString(path), prof);
}

// An edit of a left file: one byte more and a modification time of now plus round seconds, so
// that every round's edit is newer than the last.
void EditLeftFiles(const std::string& left, const TreeShape& shape, int round) {
    const time_t when = ::time(nullptr) + round;
    for (int64_t f : ChangedFiles(shape)) {
        const std::string path = left + "/" + FilePath(f);
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) continue;
        (void)!::write(fd, "+", 1);
        const struct timespec times[2] = {{when, 0}, {when, 0}};
        ::futimens(fd, times);
        ::close(fd);
    }
}

// One measurement's medians: two-way with state, without, and the mirror; the verdict compares
// the first two.
void Report(const std::string& what, const std::array<std::vector<double>, 3>& series) {
    const double with = Median(series[0]), without = Median(series[1]), mirror = Median(series[2]);
    const double ratio = with / without;
    std::printf("| %s | %.3f s | %.3f s | %.3f s | %.2fx | <= 1.10x | %s |\n", what.c_str(), with, without, mirror, ratio,
                ratio <= 1.10 ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    MakeFolders(o.dir);
    const std::string root = o.dir + "/n" + std::to_string(o.files);
    TreeShape shape;
    shape.files = o.files;
    RemoveTree(root, o.dir);
    // Each run has trees of its own, made alike: a run of one kind between two runs with state
    // would be an edit that the remembered state never saw.
    enum { WithState, WithoutState, Mirror, Kinds };
    const char* const names[Kinds] = {"with-state", "without-state", "mirror"};
    std::string left[Kinds], profile[Kinds];
    for (int k = 0; k < Kinds; ++k) {
        left[k] = root + "/" + names[k] + "-left";
        const std::string right = root + "/" + names[k] + "-right";
        MakeTree(left[k], shape, TreeKind::Base);
        MakeTree(right, shape, TreeKind::Base);
        profile[k] = o.dir + "/" + names[k] + ".tdp";
        const SyncOptionSet options = k == Mirror ? SyncOptionSet(true, false, false, false, true)
                                                  : SyncOptionSet(true, true, false, false, false);
        if (!WriteProfile(profile[k], left[k], right, options)) {
            std::printf("cannot write the profiles in %s\n", o.dir.c_str());
            return 2;
        }
    }
    // Settings, logs and the remembered state stay inside the benchmark folder. The run without
    // state gets a state folder below a plain file, which it cannot make: it then works as two-way
    // runs did before they remembered anything.
    const std::string blocker = o.dir + "/no-state-folder";
    if (int fd = ::open(blocker.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644); fd >= 0) ::close(fd);
    const auto run = [&](int kind) {
        const std::string state = kind == WithoutState ? blocker + "/xdg-state" : o.dir + "/xdg-state";
        const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + o.dir + "/xdg-config",
                                              "XDG_DATA_HOME=" + o.dir + "/xdg-data", "XDG_STATE_HOME=" + state};
        const Sample s = RunCommand({o.program, profile[kind], "-auto", "-dontask", "-hide"}, {}, env);
        if (!s.ok) std::printf("  the program failed on %s\n", profile[kind].c_str());
        return s.seconds;
    };
    std::printf("state_bench: %lld files, %d repetitions, program %s\n", static_cast<long long>(o.files), o.reps,
                o.program.c_str());
    for (int k = 0; k < Kinds; ++k) run(k);  // the first run with state writes what the others read

    std::array<std::vector<double>, Kinds> noop, incremental;
    for (int i = 0; i < o.reps; ++i) {
        for (int k = 0; k < Kinds; ++k) {
            SyncFileSystem();
            noop[k].push_back(run(k));
        }
        for (int k = 0; k < Kinds; ++k) {
            EditLeftFiles(left[k], shape, i + 10);
            SyncFileSystem();
            incremental[k].push_back(run(k));
        }
        std::printf("  rep %d: no-op %.3f / %.3f / %.3f s, incremental %.3f / %.3f / %.3f s (with state / without / mirror)\n",
                    i + 1, noop[0].back(), noop[1].back(), noop[2].back(), incremental[0].back(),
                    incremental[1].back(), incremental[2].back());
    }
    std::printf("\n| measurement | two-way with state | two-way without | mirror | ratio with / without | target | verdict |\n"
                "|---|---|---|---|---|---|---|\n");
    Report("no-op run, " + std::to_string(o.files) + " files", noop);
    Report("incremental run (1 % edited), " + std::to_string(o.files) + " files", incremental);
    RemoveTree(root, o.dir);
    ::unlink(blocker.c_str());
    return 0;
}
