// The main window's file list with a million rows built in memory: how long UpdateFilesView
// takes, how long refilling one page takes at the first, a middle and the last page, and how
// much memory the view adds per row beyond the result list. Prints its figures and the targets
// (1 s, 10 ms, 100 bytes per row); it asserts nothing.
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
#include <string>
#include <vector>

namespace {

// Resident memory of this process in bytes (from /proc/self/statm).
long long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4096;
}

// A compare result as the merge builds it: a folder row, then 99 files of mixed kinds.
void BuildResults(ResultList& results, int rows) {
    results.assign(1, CompareRow());
    results.reserve(static_cast<size_t>(rows) + 1);
    QString left, right;
    for (int i = 0; i < rows; ++i) {
        CompareRow row;
        if (i % 100 == 0) {
            left = QStringLiteral("/data/left/folder%1/").arg(i / 100);
            right = QStringLiteral("/data/right/folder%1/").arg(i / 100);
            row.SetFolder(0, left.chopped(1));
            row.SetFolder(1, right.chopped(1));
            row.SetName(0, QStringLiteral("folder%1").arg(i / 100));
            row.SetName(1, row.Name(0));
            row.Attributes[0] = row.Attributes[1] = Attr::Directory;
        } else {
            row.SetFolder(0, left);
            row.SetFolder(1, right);
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
        results.push_back(row);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const int rows = argc > 1 ? std::max(1, std::stoi(argv[1])) : 1000000;
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
    BuildResults(view.Results, rows);
    view.Stale = false;
    const long long before = ResidentBytes();

    QElapsedTimer timer;
    timer.start();
    window.Files().UpdateView(0);
    const double updateMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const long long after = ResidentBytes();
    const double bytesPerRow = static_cast<double>(after - before) / rows;

    // The same once more: the view list and the tree list now replace lists of the same size.
    timer.restart();
    window.Files().UpdateView(0);
    const double updateAgainMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    clsLongScroll* scroll = window.Files().Scroll();
    const int page = window.Files().PageSize();
    const int last = std::max(1, view.LastIndex() - page + 1);
    std::printf("rows %d, page %d rows, view rows %d\n", rows, page, view.LastIndex());
    std::printf("UpdateFilesView: %.1f ms first, %.1f ms again (target < 1000 ms)\n", updateMs, updateAgainMs);
    std::printf("view memory: %.1f bytes per row beyond the result list (RSS %+.1f MiB; target < 100)\n",
                bytesPerRow, static_cast<double>(after - before) / (1024.0 * 1024.0));
    std::printf("  (a view row is an index of %zu bytes into the result rows of %zu bytes; tree list entries %zu bytes)\n",
                sizeof(uint32_t), sizeof(CompareRow), sizeof(TreeRow));

    const struct { const char* name; int value; } positions[] = {{"first", 1}, {"middle", last / 2}, {"last", last}};
    for (const auto& position : positions) {
        std::vector<double> times;
        for (int k = 0; k < 41; ++k) {
            // Alternate between two neighbouring positions so that every refill has new rows.
            const int value = std::clamp(position.value + (k % 2), 1, last);
            timer.restart();
            scroll->SetValue(value);  // the scroll wrapper's change refills the page
            times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("page refill on scroll at the %s page (%d): median %.2f ms, worst %.2f ms (target < 10 ms)\n",
                    position.name, position.value, Median(times), *std::max_element(times.begin(), times.end()));
    }
    // Painting is part of what the user waits for: refill and paint the page once.
    std::vector<double> painted;
    for (int k = 0; k < 21; ++k) {
        timer.restart();
        scroll->SetValue(1 + (k % 2) * (last / 2));
        window.repaint();
        painted.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("page refill and window repaint: median %.2f ms\n", Median(painted));
    return 0;
}
