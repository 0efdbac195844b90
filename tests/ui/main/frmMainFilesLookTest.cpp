// How the file list looks to a user (the title's check box is drawn as TOFlexGridTest checks, and
// follows select-all as frmMainGridTest checks): folder rows stay readable on their light blue, sizes line up on the right and long paths
// keep their ends.

#include "MainWindowTesting.h"
#include "support/TempTree.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesPage.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace {

CompareRow FolderRow(int16_t action, const QString& left, const QString& right) {
    CompareRow row;
    row.SyncAction = action;
    row.Folder[0] = left;
    row.Folder[1] = right;
    row.Attributes[0] = row.Attributes[1] = Attr::Directory;
    row.Name[0] = row.Name[1] = QStringLiteral("d");
    return row;
}

CompareRow FileRow(int16_t action, const QString& name) {
    CompareRow row;
    row.SyncAction = action;
    row.Folder[0] = QStringLiteral("/l/");
    row.Folder[1] = QStringLiteral("/r/");
    row.Name[0] = row.Name[1] = name;
    row.Size[0] = 12345;
    row.Size[1] = 7;
    row.Time[0] = row.Time[1] = 40000.5;
    return row;
}

struct FilesLook : FileListFixture {
    void SetUp() override {
        OpenWindow(1000, 700);
        FileView& view = CurrentFileView();
        view.Results = ResultList(1);
        view.Results.push_back(FolderRow(0, QStringLiteral("/home/user/Documents"), QStringLiteral("/media/backup/Documents")));
        view.Results.push_back(FileRow(-1, QStringLiteral("report.txt")));
        view.Stale = false;
        CurrentProfile().profile.View.ShowEmptyFolders = true;
        window->UpdateFilesView(0);
        QApplication::processEvents();
    }
};

}  // namespace

TEST_F(FilesLook, UnchangedFolderRowsAreReadableOnTheirBlue) {
    ASSERT_EQ(grid->Model()->Cell(1, 1).fore, FilesColor::FolderSame);
    const QImage cell = grid->grab(grid->CellRect(1, 1)).toImage();
    double best = 1.0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) best = std::max(best, TOFlexGrid::Contrast(cell.pixelColor(x, y), FilesColor::FolderBack));
    EXPECT_GE(best, TOFlexGrid::MinimumTextContrast - 0.2);
}

TEST_F(FilesLook, SizesAlignRightUnderTheirTitlesAndLongTextsKeepTheirEnds) {
    for (int c : {2, 6}) {
        EXPECT_TRUE(grid->ColAlignment(c) & Qt::AlignRight) << c;
        EXPECT_TRUE(grid->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight) << c;
    }
    for (int c : {1, 3, 5, 7}) EXPECT_TRUE(grid->ColAlignment(c) & Qt::AlignLeft) << c;
    EXPECT_EQ(grid->TextMatrix(2, 2), QStringLiteral("12.1 KiB"));
    EXPECT_EQ(grid->textElideMode(), Qt::ElideMiddle);
    // The switch titles of the folder pair list stand centred over their boxes.
    for (int c = 2; c < 7; ++c)
        EXPECT_TRUE(window->flexDirs()->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                    Qt::AlignHCenter) << c;
    // The time columns hold a whole date and time, the size columns the size of the title.
    const QFontMetrics metrics(grid->font());
    EXPECT_GE(grid->ColWidth(3), metrics.horizontalAdvance(grid->TextMatrix(2, 3)) + 6);
    EXPECT_GE(grid->ColWidth(5), metrics.horizontalAdvance(grid->TextMatrix(2, 5)) + 6);
}
