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
#include "engine/RunState.h"
#include "engine/RunPlan.h"
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

    // The program's own compare of the two trees, every row in the view (the delete masks stay
    // for later compares).
    void Compare(const QString& deleteMasks = QString()) {
        deleteMasks_ = deleteMasks.isNull() ? deleteMasks_ : deleteMasks;
        CurrentProfile().profile.View.ShowEmptyFolders = true;
        ComparePairs({Pair(left.Path(), right.Path(), deleteMasks_)});
    }
    // The plan of the Synchronize button with these options (the profile's when not given).
    RunPlan SyncPlan() const { return PlanRun(files, Request(RunRequest::Kind::Synchronize, 0, 0)); }
    static RunRequest Request(RunRequest::Kind kind, int side, int row, bool folderOnly = false) {
        RunRequest request;
        request.kind = kind;
        request.options = CurrentProfile().profile.View.SyncOptions;
        request.side = side;
        request.row = row;
        request.folderOnly = folderOnly;
        return request;
    }
    // A synchronisation of the subtree of view row r by its plan, as the Synchronize button and
    // the popup menu run it.
    bool Sync(int r = 0, bool folderOnly = false) {
        return SyncRun(files, PlanRun(files, Request(RunRequest::Kind::Synchronize, 0, r, folderOnly)));
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
