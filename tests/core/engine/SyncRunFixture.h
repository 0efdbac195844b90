#pragma once
// The fixture of the synchronisation run tests: two real temporary trees, the engine's own scan
// and merge into a view, a log folder, a headless host whose answers a test queues.

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/FileOperations.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "engine/Masks.h"
#include "engine/Merge.h"
#include "engine/RunState.h"
#include "engine/Scanner.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/FileListing.h"
#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <clocale>

namespace sync_run_test {

inline const QDateTime Old(QDate(2025, 1, 1), QTime(10, 0, 0));
inline const QDateTime New(QDate(2025, 6, 1), QTime(10, 0, 0));

class SyncRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_TIME, "C");
        SetHost(&host);
        SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
        Settings().LogToFile = true;
        Settings().LogfilesFolder = logs.Path();
        Clock::SetNowForTests([] { return QDateTime(QDate(2026, 4, 2), QTime(9, 0, 0)); });
        CurrentProfile().ProfilePath = QStringLiteral("/profiles/test.tdp");
        SetOptions({true, true, false, false, false});
        SetRefreshCompare([this] {
            ++refreshes;
            Compare();
        });
    }
    void TearDown() override {
        SetRefreshCompare({});
        Settings().LanguageName.clear();
        ReloadLocalizer();
        SetProgramFolderForTests(QString());
        SetHost(nullptr);
    }

    void SetOptions(std::array<bool, 5> options) { CurrentProfile().profile.View.SyncOptions = options; }

    // Scans and merges the two trees into the view, marks and counts as the view would.
    void Compare(const QString& deleteMasks = QString()) {
        deleteMasks_ = deleteMasks.isNull() ? deleteMasks_ : deleteMasks;
        ScanList sides[2];
        const QString roots[2] = {left.Path() + QLatin1Char('/'), right.Path() + QLatin1Char('/')};
        const MaskSet all = BuildMaskSet(QStringLiteral("*"), QString());
        for (int s = 0; s < 2; ++s) {
            ScanFolderTree(roots[s], all, all, SplitMasks(deleteMasks_), ScanSwitches{}, sides[s]);
            BuildSortKeys(sides[s], roots[s].size() + 1);
            SortScanList(sides[s], 0, static_cast<qsizetype>(sides[s].size()) - 1);
        }
        ProfileOptions options;
        options.TimeLag = 2.0 / 86400;
        files.Results = ResultList(1);
        MergeScanLists(sides[0], sides[1], roots[0], roots[1], MergeOptionsOf(options, true), files.Results);
        files.ViewList = files.Results;
        files.FileCounts = {0, 0, 0};
        for (size_t i = 1; i < files.ViewList.size(); ++i) {
            const CompareRow& r = files.ViewList[i];
            if (r.IsFolder()) continue;
            ++files.FileCounts[static_cast<size_t>(r.SyncAction + 1)];
            if (r.DeleteMatch && r.SyncAction == SyncAction::NoAction) {
                ++files.FileCounts[0];
                ++files.FileCounts[2];
            }
        }
    }
    // The row of a relative path (a folder "d", a file "d/x.txt").
    int RowOf(const QString& relative) const {
        for (size_t i = 1; i < files.ViewList.size(); ++i) {
            const CompareRow& r = files.ViewList[i];
            for (int s = 0; s < 2; ++s) {
                const QString root = (s == 0 ? left : right).Path() + QLatin1Char('/');
                const QString full = r.IsFolder() ? r.Folder[s] : r.Folder[s] + r.Name[s];
                if (!r.Name[s].isEmpty() && full == root + relative) return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << "no row for " << qPrintable(relative);
        return 0;
    }
    static FolderPair Pair(const QString& leftRoot, const QString& rightRoot, const QString& deleteMasks = QString()) {
        FolderPair pair;
        pair.Dir = {leftRoot, rightRoot};
        pair.Mask[MaskIncludeDirs] = QStringLiteral("*");
        pair.Mask[MaskIncludeFiles] = QStringLiteral("*");
        pair.Mask[MaskDeleteFiles] = deleteMasks;
        return pair;
    }
    // The program's own compare of the current profile with these pairs (several pairs,
    // AutoCreate, the view's filters).
    void ComparePairs(const QList<FolderPair>& pairs) {
        CurrentProfile().profile.Pairs = pairs;
        CurrentProfile().profile.Options.TimeLag = 2.0 / 86400;
        ASSERT_EQ(CompareRun(CurrentProfile().profile, files).outcome, CompareOutcome::Done);
    }
    QString LastErrorMsg() const {
        return ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), QString()).toString();
    }
    QStringList LogLines() const {
        QStringList lines = QString::fromUtf8(logs.Read(QStringLiteral("20260402.log"))).split(QStringLiteral("\r\n"));
        lines.removeAll(QString());
        return lines;
    }

    IsolatedEnvironment env;
    HeadlessRunHost host;
    TempTree left, right, logs;
    FileView files;
    QString deleteMasks_;
    int refreshes = 0;
};

}  // namespace sync_run_test
