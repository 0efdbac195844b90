// The main window's file list with many rows built in memory, timed as a user meets it: a
// refresh (UpdateFilesView, the count boxes and the page, as after a compare), a filter change,
// a change of a sync option (the counts again), a tick of one file row, a tick of a folder with
// its subfolders, a tick of the pair's root with everything below it, and paging. Prints its
// figures and the targets; it asserts nothing.
//
//   view_bench [rows]        (default 1000000; runs on Qt's offscreen platform)

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/MainFileList.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int FilesPerFolder = 99;
constexpr int FoldersPerTop = 100;  // a top folder holds this many subfolders with their files

// Resident memory of this process in bytes (from /proc/self/statm).
long long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4096;
}

// A compare result as the merge builds it: the pair's root row, then top folders, each with
// subfolders of 99 files of mixed kinds (equal, newer on one side, one side only).
void BuildResults(ResultList& results, int rows) {
    results.assign(1, CompareRow());
    CompareRow root;
    root.SetFolder(0, QStringLiteral("/data/left"));
    root.SetFolder(1, QStringLiteral("/data/right"));
    root.Attributes[0] = root.Attributes[1] = Attr::Directory;
    results.push_back(root);
    QString left, right;
    CompareRow inFolder;  // the folders of the current folder's files, shared as the merge shares them
    for (int i = 1; i < rows; ++i) {
        CompareRow row;
        const int block = (i - 1) / (FilesPerFolder + 1);
        if ((i - 1) % (FilesPerFolder + 1) == 0) {
            // Every hundredth folder is a top folder; the others lie in the last top folder.
            const QString name = QStringLiteral("folder%1").arg(block);
            const QString top = QStringLiteral("folder%1/").arg(block - block % FoldersPerTop);
            const QString path = block % FoldersPerTop == 0 ? name : top + name;
            left = QStringLiteral("/data/left/") + path + u'/';
            right = QStringLiteral("/data/right/") + path + u'/';
            row.SetFolder(0, left.chopped(1));
            row.SetFolder(1, right.chopped(1));
            row.SetNames(name, name);
            row.Attributes[0] = row.Attributes[1] = Attr::Directory;
            row.SyncAction = static_cast<int16_t>(block % 3 == 0 ? -1 : 0);
            inFolder = CompareRow();
            inFolder.SetFolder(0, left);
            inFolder.SetFolder(1, right);
        } else {
            row = inFolder;
            const QString name = QStringLiteral("file number %1.txt").arg(i);
            const int kind = i % 7;
            if (kind != 5) row.SetName(0, name);
            if (kind != 6) row.SetName(1, name);
            row.Size[0] = i;
            row.Size[1] = i + kind;
            row.Time[0] = 40000.0 + i / 86400.0;
            row.Time[1] = 40000.0 + (i - kind) / 86400.0;
            row.SyncAction = static_cast<int16_t>(kind == 0 ? 0 : (kind % 2 == 0 ? 1 : -1));
            if (kind == 5) row.SyncAction = 1;
            if (kind == 6) row.SyncAction = -1;
            row.DeleteMatch = i % 97 == 0;
        }
        row.ProposedMark = row.SyncAction != 0 || row.DeleteMatch || row.IsFolder();
        row.Selected = row.ProposedMark;
        results.push_back(row);
    }
}

double Milliseconds(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Times an action n times (k is the repetition) and prints its median and worst.
void Time(const char* what, int n, const std::function<void(int k)>& action, const char* target) {
    std::vector<double> times;
    QElapsedTimer timer;
    for (int k = 0; k < n; ++k) {
        timer.restart();
        action(k);
        times.push_back(Milliseconds(timer));
    }
    std::printf("%-44s median %9.2f ms, worst %9.2f ms  (%s)\n", what, Median(times),
                *std::max_element(times.begin(), times.end()), target);
}

// The first view row at or after start that is a folder (0: none).
int FolderRowFrom(int start) {
    const FileView& view = CurrentFileView();
    for (int i = std::max(start, 1); i <= view.LastIndex(); ++i)
        if (view.ViewList[static_cast<size_t>(i)].IsFolder()) return i;
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const int rows = argc > 1 ? std::max(2, std::stoi(argv[1])) : 1000000;
    QApplication app(argc, argv);
    Settings().LanguageName = QStringLiteral("English");

    frmMain window;
    window.resize(1200, 900);
    window.Prepare();
    window.show();
    QApplication::processEvents();

    FileView& view = CurrentFileView();
    ViewOptions& options = CurrentProfile().profile.View;
    options.ShowEmptyFolders = true;
    options.SyncOptions = {true, true, false, false, false};
    BuildResults(view.Results, rows);
    view.Stale = false;
    MainFileList& files = window.Files();
    const long long before = ResidentBytes();

    QElapsedTimer timer;
    timer.start();
    files.UpdateView(0);
    const double firstMs = Milliseconds(timer);
    const long long after = ResidentBytes();
    const double bytesPerRow = static_cast<double>(after - before) / rows;
    // Heavy actions are repeated fewer times at ten million rows.
    const int heavy = rows > 2000000 ? 3 : 7;

    std::printf("rows %d, page %d rows, view rows %d\n", rows, files.PageSize(), view.LastIndex());
    std::printf("%-44s %9.2f ms\n", "refresh, first (view list grows)", firstMs);
    Time("refresh (UpdateFilesView, counts, page)", heavy, [&](int) { files.UpdateView(0); }, "1M rows: < 186 ms");
    Time("UpdateFilesView alone", heavy, [&](int) { view.UpdateFilesView(0, options); }, "part of refresh");
    files.UpdateView(0);
    Time("count boxes alone", heavy, [&](int) { files.ShowCounts(); }, "part of refresh");
    Time("filter change (All / Src)", heavy * 2, [&](int k) { files.UpdateView(k % 2 == 0 ? 2 : 0); }, "< 1 s");
    Time("filter change (Both / All, one side only)", heavy * 2,
         [&](int k) {
             options.Filter2 = k % 2 == 0 ? 1 : 0;
             files.UpdateView(0);
         },
         "< 1 s");
    options.Filter2 = 0;
    files.UpdateView(0);
    Time("sync option changed (counts, page)", heavy * 2,
         [&](int k) {
             options.SyncOptions[4] = k % 2 == 0;
             files.ShowCounts();
             files.Display();
         },
         "< 1 s");
    options.SyncOptions[4] = false;
    files.ShowCounts();
    const int fileRow = std::min(view.LastIndex(), 3 + view.LastIndex() / 2);
    Time("tick of one file row", heavy * 3, [&](int) { files.TickRow(fileRow, false); }, "< 1 s");
    const int top = FolderRowFrom(2);
    if (top > 0) {
        Time("tick of a top folder with its subfolders", heavy * 2, [&](int) { files.TickRow(top, true); }, "< 1 s");
        std::printf("  (view row %d; %d rows of %d subfolders of %d files below it)\n", top,
                    std::min(FoldersPerTop * (FilesPerFolder + 1) - 1, view.LastIndex() - top), FoldersPerTop, FilesPerFolder);
    }
    Time("tick of the root with everything below it", heavy * 2, [&](int) { files.TickRow(1, true); }, "< 1 s");
    std::printf("view memory: %.1f bytes per row beyond the result list (RSS %+.1f MiB; target < 100)\n",
                bytesPerRow, static_cast<double>(after - before) / (1024.0 * 1024.0));
    std::printf("  (a view row is an index of %zu bytes into the result rows of %zu bytes; tree list entries %zu bytes)\n",
                sizeof(uint32_t), sizeof(CompareRow), sizeof(TreeRow));

    files.UpdateView(0);
    clsLongScroll* scroll = files.Scroll();
    const int last = std::max(1, view.LastIndex() - files.PageSize() + 1);
    const struct { const char* name; int value; } positions[] = {{"first", 1}, {"middle", last / 2}, {"last", last}};
    for (const auto& position : positions) {
        const std::string what = std::string("page refill at the ") + position.name + " page";
        // Alternate between two neighbouring positions so that every refill has new rows; the
        // scroll wrapper's change refills the page.
        Time(what.c_str(), 41, [&](int k) { scroll->SetValue(std::clamp(position.value + (k % 2), 1, last)); },
             "< 0.6 ms");
    }
    // Painting is part of what the user waits for: refill and paint the page once.
    Time("page refill and window repaint", 21,
         [&](int k) {
             scroll->SetValue(1 + (k % 2) * (last / 2));
             window.repaint();
         },
         "no target");
    return 0;
}
