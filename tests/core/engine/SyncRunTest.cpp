// The synchronisation run on real trees: rows come from the real scan and merge of two
// temporary folders, the run changes the folders, the test reads what is there.

#include "config/Profile.h"
#include "config/ProgramSettings.h"
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

#include <cerrno>
#include <clocale>

namespace {

const QDateTime Old(QDate(2025, 1, 1), QTime(10, 0, 0));
const QDateTime New(QDate(2025, 6, 1), QTime(10, 0, 0));

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
        FileSystem::ClearListingFaultsForTests();
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

}  // namespace

TEST_F(SyncRunTest, LeftToRightBeforeRightToLeftBetweenOneStartAndOneEnd) {
    left.File(QStringLiteral("b.txt"), "left new", New);
    right.File(QStringLiteral("b.txt"), "right old", Old);
    left.File(QStringLiteral("a.txt"), "left old", Old);
    right.File(QStringLiteral("a.txt"), "right new", New);
    Compare();
    ASSERT_EQ(files.ViewList[static_cast<size_t>(RowOf(QStringLiteral("a.txt")))].SyncAction, SyncAction::RightToLeft);
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_EQ(host.filesShown, QStringList({left.Path(QStringLiteral("b.txt")), right.Path(QStringLiteral("a.txt"))}));
    EXPECT_EQ(left.Read(QStringLiteral("a.txt")), QByteArray("right new"));
    EXPECT_EQ(right.Read(QStringLiteral("b.txt")), QByteArray("left new"));
    EXPECT_EQ(host.progressTotal, 17);  // the counting pass: 8 + 9 bytes
    EXPECT_EQ(host.progressDone, 17);
    EXPECT_FALSE(host.ProgressVisible());
    EXPECT_EQ(LogLines(), QStringList({QStringLiteral("2026-04-02 09:00:00\tStart\t/profiles/test.tdp"),
                                       QStringLiteral("2026-04-02 09:00:00\tEnd\t/profiles/test.tdp")}));
    // The copies kept the times, so a new compare finds nothing left to do.
    Compare();
    EXPECT_EQ(files.FileCounts[0] + files.FileCounts[2], 0);
}

TEST_F(SyncRunTest, DeleteOneSidedOnTheLeftRemovesFilesThenFolder) {
    left.File(QStringLiteral("TMP/a.txt"), "a");
    left.File(QStringLiteral("TMP/sub/b.txt"), "b");
    right.File(QStringLiteral("keep.txt"), "k");
    left.File(QStringLiteral("keep.txt"), "k");
    Compare();
    // Option 3 alone does not fit a list whose changes all go left to right (message 810).
    SetOptions({false, false, false, true, false});
    EXPECT_FALSE(SyncRun(files, 0, false));
    EXPECT_EQ(host.messagesShown, QStringList{FormatMsg(810)});
    SetOptions({true, false, false, true, false});
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_EQ(left.List(), QStringList{QStringLiteral("keep.txt")});
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("keep.txt")});
    EXPECT_EQ(host.messagesShown.size(), 1);
    EXPECT_EQ(host.filesShown, QStringList());  // nothing was copied
}

TEST_F(SyncRunTest, OneSidedFolderIsCreatedBeforeItsFiles) {
    left.File(QStringLiteral("TMP/a.txt"), "a");
    left.File(QStringLiteral("TMP/sub/b.txt"), "b");
    left.Folder(QStringLiteral("TMP/empty"));
    Compare();
    SetOptions({true, false, false, false, false});
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_EQ(right.List(), left.List());
    EXPECT_EQ(right.Read(QStringLiteral("TMP/sub/b.txt")), QByteArray("b"));
    EXPECT_FALSE(::Run().ErrorReported);
}

TEST_F(SyncRunTest, OptionThreeWithCopyLeftToRightStillCopiesChangedFiles) {
    left.File(QStringLiteral("only/x.txt"), "x");
    left.File(QStringLiteral("both.txt"), "new", New);
    right.File(QStringLiteral("both.txt"), "old", Old);
    right.File(QStringLiteral("right-only.txt"), "r");
    Compare();
    SetOptions({true, true, false, true, false});
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_EQ(left.List(), QStringList({QStringLiteral("both.txt"), QStringLiteral("right-only.txt")}));
    EXPECT_EQ(right.Read(QStringLiteral("both.txt")), QByteArray("new"));
    EXPECT_FALSE(right.Exists(QStringLiteral("only")));
}

TEST_F(SyncRunTest, DeleteMasksDeleteOnTheSourceInsteadOfCopying) {
    left.File(QStringLiteral("x.tmp"), "left newer", New);
    right.File(QStringLiteral("x.tmp"), "right", Old);
    left.File(QStringLiteral("y.tmp"), "one-sided");
    left.File(QStringLiteral("z.txt"), "normal");
    Compare(QStringLiteral("*.tmp"));
    ASSERT_TRUE(files.ViewList[static_cast<size_t>(RowOf(QStringLiteral("x.tmp")))].DeleteMatch);
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_EQ(left.List(), QStringList{QStringLiteral("z.txt")});
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("z.txt")});
}

TEST_F(SyncRunTest, UnmarkedRowsStayAndPopupCopyOverridesDirectionNotMark) {
    left.File(QStringLiteral("d/unmarked.txt"), "l", New);
    right.File(QStringLiteral("d/unmarked.txt"), "r", Old);
    left.File(QStringLiteral("d/back.txt"), "left old", Old);
    right.File(QStringLiteral("d/back.txt"), "right new", New);
    Compare();
    files.ViewList[static_cast<size_t>(RowOf(QStringLiteral("d/unmarked.txt")))].Selected = false;
    SetOptions({true, false, false, false, false});
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupCopyCommand(files, RowOf(QStringLiteral("d")), 0));
    EXPECT_EQ(right.Read(QStringLiteral("d/unmarked.txt")), QByteArray("r"));
    // The marked right-to-left row is copied left to right by the popup's copy.
    EXPECT_EQ(right.Read(QStringLiteral("d/back.txt")), QByteArray("left old"));
    EXPECT_EQ(host.status[1], FormatMsg(853));
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(LogLines().isEmpty());  // a plain copy writes no run lines
}

TEST_F(SyncRunTest, PopupDeleteWithoutSubfoldersRemovesFolderOnlyWhenEmpty) {
    left.File(QStringLiteral("d/a.txt"), "a");
    left.File(QStringLiteral("d/sub/b.txt"), "b");
    left.File(QStringLiteral("e/c.txt"), "c");
    Compare();
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupDeleteCommand(files, RowOf(QStringLiteral("d")), 2));
    EXPECT_EQ(left.List(), QStringList({QStringLiteral("d/"), QStringLiteral("d/sub/"), QStringLiteral("d/sub/b.txt"),
                                        QStringLiteral("e/"), QStringLiteral("e/c.txt")}));
    EXPECT_FALSE(::Run().ErrorReported);  // "folder not empty" is not an error

    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupDeleteCommand(files, RowOf(QStringLiteral("e")), 0));
    EXPECT_FALSE(left.Exists(QStringLiteral("e")));
    EXPECT_EQ(host.status[1], FormatMsg(854));

    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(PopupDeleteCommand(files, RowOf(QStringLiteral("d")), 0));
    EXPECT_TRUE(left.Exists(QStringLiteral("d/sub/b.txt")));
}

TEST_F(SyncRunTest, ChecksRefuseWithTheirMessages) {
    left.File(QStringLiteral("a.txt"), "a");
    Compare();
    SetOptions({false, false, true, false, false});
    EXPECT_FALSE(SyncRun(files, 0, false));
    SetOptions({false, true, false, false, false});
    EXPECT_FALSE(SyncRun(files, 0, false));  // only left to right is proposed
    right.File(QStringLiteral("a.txt"), "a");
    left.SetModified(QStringLiteral("a.txt"), Old);
    right.SetModified(QStringLiteral("a.txt"), Old);
    Compare();
    SetOptions({true, true, false, false, false});
    EXPECT_FALSE(SyncRun(files, 0, false));
    EXPECT_EQ(host.messagesShown, QStringList({FormatMsg(808), FormatMsg(810), FormatMsg(809)}));
    EXPECT_FALSE(host.messagesShown[0].isEmpty());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SyncRunTest, CancelDuringALargeCopyStopsTheRunButEndsIt) {
    left.File(QStringLiteral("a-big.bin"), QByteArray(24 * 1024 * 1024, 'b'));
    right.File(QStringLiteral("a-big.bin"), "old", Old);
    left.SetModified(QStringLiteral("a-big.bin"), New);
    left.File(QStringLiteral("b-next.txt"), "next");
    Compare();
    host.onProgress = [](int64_t size, int64_t copied) {
        if (copied < size) ::Run().CancelRequested = true;
    };
    host.queuedAnswers = {MsgBox::Yes, MsgBox::OK};  // 804, then the error report of the cancel
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_EQ(right.Read(QStringLiteral("a-big.bin")), QByteArray("old"));
    EXPECT_FALSE(right.Exists(QStringLiteral("b-next.txt")));
    QStringList rightNames = QDir(right.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(rightNames, QStringList{QStringLiteral("a-big.bin")});  // no temporary file
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tStart\t/profiles/test.tdp")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2026-04-02 09:00:00\t") + QString::number(ECANCELED)));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("\tEnd\t/profiles/test.tdp")));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(host.status[1], FormatMsg(852));
}

TEST_F(SyncRunTest, SynchronizeButtonRefusesStaleListAndHonoursNo) {
    left.File(QStringLiteral("a.txt"), "a");
    Compare();
    files.Stale = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown, QStringList{FormatMsg(803)});
    files.Stale = false;
    host.queuedAnswers = {MsgBox::No};
    int disabled = 0, enabled = 0;
    CommandHooks hooks;
    hooks.Disable = [&] { ++disabled; };
    hooks.Enable = [&] { ++enabled; };
    EXPECT_FALSE(SynchronizeCommand(files, hooks));
    EXPECT_FALSE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(disabled + enabled + refreshes, 0);
    // Yes: the run, the refresh, the buttons.
    EXPECT_TRUE(SynchronizeCommand(files, hooks));
    EXPECT_TRUE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SyncRunTest, UnattendedHiddenRunEndsWithoutRefresh) {
    left.File(QStringLiteral("a.txt"), "a");
    Compare();
    Switches().AutoRun = Switches().DontAsk = Switches().Hidden = true;
    EXPECT_TRUE(SynchronizeCommand(files));  // 804 is answered Yes without asking
    EXPECT_TRUE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(host.filesShown, QStringList());  // no progress window without questions
}

TEST_F(SyncRunTest, NothingBelowAnUnreadableFolderIsCopiedOrDeleted) {
    left.File(QStringLiteral("locked/only-left.txt"), "l");
    right.File(QStringLiteral("locked/only-right.txt"), "r");
    left.File(QStringLiteral("fine.txt"), "f");
    // The right side of "locked" cannot be listed: what it holds is unknown.
    FileSystem::FailListingForTests(right.Path(QStringLiteral("locked")), EACCES);
    Compare();
    SetOptions({true, true, false, true, true});
    Switches().DontAsk = true;
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_TRUE(left.Exists(QStringLiteral("locked/only-left.txt")));
    EXPECT_TRUE(right.Exists(QStringLiteral("locked/only-right.txt")));
    EXPECT_FALSE(right.Exists(QStringLiteral("locked/only-left.txt")));
    EXPECT_FALSE(left.Exists(QStringLiteral("fine.txt")));  // option 3: deleted where it is alone
}

TEST_F(SyncRunTest, PopupSynchronizeOfOneFolderWithoutSubfolders) {
    left.File(QStringLiteral("d/a.txt"), "a");
    left.File(QStringLiteral("d/sub/b.txt"), "b");
    left.File(QStringLiteral("other.txt"), "o");
    Compare();
    right.Folder(QStringLiteral("d"));  // the folder exists already; its files are copied
    ASSERT_TRUE(PopupSynchronizeCommand(files, RowOf(QStringLiteral("d")), 1));
    EXPECT_TRUE(right.Exists(QStringLiteral("d/a.txt")));
    EXPECT_FALSE(right.Exists(QStringLiteral("d/sub")));
    EXPECT_FALSE(right.Exists(QStringLiteral("other.txt")));
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("2026-04-02 09:00:00\tStart\t/profiles/test.tdp\t") + left.Path(QStringLiteral("d")) +
                            QLatin1Char('\t') + right.Path(QStringLiteral("d")));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SyncRunTest, VanishedRootIsReportedPerItemAndCreatesNothing) {
    TempTree outer;
    const QString rightRoot = outer.Folder(QStringLiteral("right"));
    left.File(QStringLiteral("a.txt"), "a");
    left.File(QStringLiteral("d/b.txt"), "b");
    Compare();
    // Point the rows at a right root that then disappears, as an unplugged disk would.
    for (CompareRow& r : files.ViewList) r.Folder[1].replace(right.Path(), rightRoot);
    ASSERT_TRUE(QDir(rightRoot).removeRecursively());
    Switches().DontAsk = true;
    ASSERT_TRUE(SyncRun(files, 0, false));
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_FALSE(QFileInfo::exists(rightRoot));
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 3);
    for (qsizetype i = 1; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("2026-04-02 09:00:00\t") + QString::number(ENOENT) + QLatin1Char('\t')))
            << qPrintable(lines[i]);
    EXPECT_TRUE(lines.last().contains(QStringLiteral("\tEnd\t")));
}

TEST_F(SyncRunTest, SynchronizeButtonWithTheRealCompareRefresh) {
    SetRefreshCompare({});
    left.File(QStringLiteral("d/a.txt"), "a", New);
    right.File(QStringLiteral("d/a.txt"), "old", Old);
    right.File(QStringLiteral("r.txt"), "r");
    FolderPair pair;
    pair.Dir = {left.Path(), right.Path()};
    pair.Mask[MaskIncludeDirs] = QStringLiteral("*");
    pair.Mask[MaskIncludeFiles] = QStringLiteral("*");
    CurrentProfile().profile.Pairs = {pair};
    CurrentProfile().profile.Options.TimeLag = 2.0 / 86400;
    ASSERT_EQ(CompareRun(CurrentProfile().profile, files).outcome, CompareOutcome::Done);
    ASSERT_EQ(files.FileCounts[0], 1);
    ASSERT_EQ(files.FileCounts[2], 1);
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_EQ(right.Read(QStringLiteral("d/a.txt")), QByteArray("a"));
    EXPECT_EQ(left.Read(QStringLiteral("r.txt")), QByteArray("r"));
    // The list was compared again: nothing is left to copy.
    EXPECT_EQ(files.FileCounts[0], 0);
    EXPECT_EQ(files.FileCounts[2], 0);
}
