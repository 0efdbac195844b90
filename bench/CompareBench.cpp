// Times a compare of two trees of many small files against "rsync -an --delete" over the same
// trees, and measures the memory the compare's lists hold afterwards.
//   CompareBench [files=100000] [folders=2000] [folder to keep the trees in between runs]
// Prints the times, their ratio (the target is at most 0.5) and bytes per listed entry.

#include "config/Profile.h"
#include "engine/CompareRun.h"
#include "engine/FileView.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <malloc.h>

namespace {

void MakeTree(const QString& root, int files, int folders, bool variant) {
    const int perFolder = files / folders;
    for (int d = 0; d < folders; ++d) {
        const QString folder = QString("%1/group%2/folder%3").arg(root).arg(d / 50).arg(d);
        QDir().mkpath(folder);
        for (int f = 0; f < perFolder; ++f) {
            QFile file(QString("%1/document-%2.txt").arg(folder).arg(f));
            if (!file.open(QIODevice::WriteOnly)) std::exit(2);
            // Every hundredth file differs on the right.
            file.write(variant && f % 100 == 0 ? "changed" : "same");
        }
    }
}

double Seconds(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 2000;
    QTemporaryDir temporary;
    const QString base = argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path();
    const QString left = base + "/left", right = base + "/right";
    if (!QFile::exists(right)) {
        std::printf("building two trees of %d files in %d folders...\n", files, folders);
        MakeTree(left, files, folders, false);
        MakeTree(right, files, folders, true);
    }

    double rsyncBest = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start("rsync", {"-an", "--delete", left + "/", right + "/"});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            std::printf("rsync is not available\n");
            rsyncBest = 0;
            break;
        }
        rsyncBest = std::min(rsyncBest, Seconds(t));
    }

    Profile profile;
    FolderPair pair;
    pair.Dir = {left, right};
    pair.Mask = {"*", "", "*", "", ""};
    profile.Pairs.append(pair);
    for (int archive = 0; archive < 2; ++archive) {
    profile.Options.CheckArchiveAttr = archive ? 32 : 0;
    double compareBest = 1e9;
    size_t heldBytes = 0, rows = 0;
    for (int run = 0; run < 3; ++run) {
        FileView view;
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        QElapsedTimer t;
        t.start();
        CompareRun(profile, view);
        compareBest = std::min(compareBest, Seconds(t));
        malloc_trim(0);
        heldBytes = mallinfo2().uordblks - before;
        rows = view.Results.size() - 1;
    }
    std::printf("rsync -an --delete: %.3f s\n", rsyncBest);
    std::printf("compare (%s): %.3f s\n", archive ? "with the archive bit" : "without the archive bit", compareBest);
    if (rsyncBest > 0) std::printf("ratio compare/rsync: %.2f (target <= 0.50)\n", compareBest / rsyncBest);
    std::printf("held lists: %zu rows, %.0f bytes per row, %.0f bytes per listed entry\n", rows,
                static_cast<double>(heldBytes) / static_cast<double>(rows),
                static_cast<double>(heldBytes) / static_cast<double>(2 * rows));
    }
    return 0;
}
