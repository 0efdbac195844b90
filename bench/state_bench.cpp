// What the remembered state of two-way runs costs the whole program: the program binary run
// unattended on two trees, once with a one-way mirror profile (no state) and once with a two-way
// profile (the state read at the compare and written after the run), interleaved in one run of
// this benchmark so that both meet the same machine. Two measurements: a no-op run on trees in
// step, and an incremental run after 1 % of the left files were edited (each repetition edits
// them again, so both profiles copy the same files). Target: two-way within 1.10x of the mirror.
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

void Report(const char* what, const std::vector<double>& mirror, const std::vector<double>& twoWay) {
    const double m = Median(mirror), t = Median(twoWay);
    std::printf("| %s | %.3f s | %.3f s | %.2fx | <= 1.10x | %s |\n", what, t, m, t / m, t / m <= 1.10 ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    MakeFolders(o.dir);
    const std::string root = o.dir + "/n" + std::to_string(o.files);
    // Each profile has trees of its own, made alike: a mirror run between two two-way runs would
    // be an edit on the right that the remembered state never saw.
    const std::string left = root + "/left", right = root + "/right";
    const std::string left2 = root + "/left2", right2 = root + "/right2";
    TreeShape shape;
    shape.files = o.files;
    RemoveTree(root, o.dir);
    for (const std::string& tree : {left, right, left2, right2}) MakeTree(tree, shape, TreeKind::Base);
    const std::string mirror = o.dir + "/mirror.tdp", twoWay = o.dir + "/two-way.tdp";
    if (!WriteProfile(mirror, left, right, std::array<bool, 5>{true, false, false, false, true}) ||
        !WriteProfile(twoWay, left2, right2, std::array<bool, 5>{true, true, false, false, false})) {
        std::printf("cannot write the profiles in %s\n", o.dir.c_str());
        return 2;
    }
    // Settings, logs and the remembered state stay inside the benchmark folder.
    const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + o.dir + "/xdg-config",
                                          "XDG_DATA_HOME=" + o.dir + "/xdg-data",
                                          "XDG_STATE_HOME=" + o.dir + "/xdg-state"};
    const auto run = [&](const std::string& profile) {
        const Sample s = RunCommand({o.program, profile, "-auto", "-dontask", "-hide"}, {}, env);
        if (!s.ok) std::printf("  the program failed on %s\n", profile.c_str());
        return s.seconds;
    };
    std::printf("state_bench: %lld files, %d repetitions, program %s\n", static_cast<long long>(o.files), o.reps,
                o.program.c_str());
    run(mirror);
    run(twoWay);  // the first two-way run writes the state the others read

    std::vector<double> noopMirror, noopTwoWay, incMirror, incTwoWay;
    for (int i = 0; i < o.reps; ++i) {
        SyncFileSystem();
        noopMirror.push_back(run(mirror));
        noopTwoWay.push_back(run(twoWay));
        EditLeftFiles(left, shape, i + 10);
        SyncFileSystem();
        incMirror.push_back(run(mirror));
        EditLeftFiles(left2, shape, i + 10);
        SyncFileSystem();
        incTwoWay.push_back(run(twoWay));
        std::printf("  rep %d: no-op mirror %.3f s, two-way %.3f s; incremental mirror %.3f s, two-way %.3f s\n", i + 1,
                    noopMirror.back(), noopTwoWay.back(), incMirror.back(), incTwoWay.back());
    }
    std::printf("\n| measurement | two-way with state | mirror | ratio | target | verdict |\n|---|---|---|---|---|---|\n");
    Report(("no-op run, " + std::to_string(o.files) + " files").c_str(), noopMirror, noopTwoWay);
    Report(("incremental run (1 % edited), " + std::to_string(o.files) + " files").c_str(), incMirror, incTwoWay);
    RemoveTree(root, o.dir);
    return 0;
}
