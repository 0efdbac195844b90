// What the program says before and after a run: the plan's numbers (question and count boxes)
// and the status line's counts, which come from what the operations did.

#include "SyncRunFixture.h"

#include "engine/RunPlan.h"
#include "engine/RunReport.h"
#include "i18n/SizeText.h"
#include "support/FailingDevice.h"

#include <cerrno>

using namespace sync_run_test;

namespace {

class RunReportTest : public SyncRunTest {
protected:
    // Left: new.txt (5 bytes), sub/x.txt (3 bytes), unticked skip.txt; right: gone/y.txt;
    // both: upd.txt, newer on the right.
    void BuildMixedTree() {
        Plant(left, {"new.txt=12345", "sub/x.txt=xyz", "skip.txt", "upd.txt=old"});
        Plant(right, {"gone/y.txt=y", "upd.txt=newer"});
        Compare();
        files.ViewList[static_cast<size_t>(RowOf("skip.txt"))].Selected = false;
        // Both directions, and entries only on the right are deleted there.
        SetOptions({true, true, false, false, true});
    }
};

TEST_F(RunReportTest, PlanCountsTickedRowsAndDeletionsApartAndMatchesWhatTheRunDid) {
    BuildMixedTree();
    const RunPlan plan = SyncPlan();
    EXPECT_EQ(plan.CopyFiles, (std::array<int, 2>{2, 1}));
    EXPECT_EQ(plan.CreateFolders, (std::array<int, 2>{1, 0}));
    EXPECT_EQ(plan.CopyBytes, (std::array<int64_t, 2>{8, 5}));
    EXPECT_EQ(plan.DeleteFiles, (std::array<int, 2>{0, 1}));
    EXPECT_EQ(plan.DeleteFolders, (std::array<int, 2>{0, 1}));

    // Box 0 tells what folder 2 gets, box 2 what folder 1 gets.
    EXPECT_EQ(PlannedCountText(files, plan, 0),
              FormatMsg(701, {"2"}) + FormatMsg(711, {"1"}) + FormatMsg(1212, {"8 bytes"}) + FormatMsg(1214, {"2"}));
    EXPECT_EQ(PlannedCountText(files, plan, 2), FormatMsg(701, {"1"}) + FormatMsg(710) + FormatMsg(1212, {"5 bytes"}));

    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(SynchronizeCommand(files));
    ASSERT_FALSE(host.messagesShown.isEmpty());
    EXPECT_EQ(host.messagesShown[0], FormatMsg(804) + QStringLiteral("\n\n") +
                                         FormatMsg(1215, {"2", "1", "8 bytes"}) + QLatin1Char('\n') +
                                         FormatMsg(1216, {"1", "0", "5 bytes"}) + QLatin1Char('\n') +
                                         FormatMsg(1218, {"1", "1"}));
    EXPECT_TRUE(right.Exists(QStringLiteral("sub/x.txt")));
    EXPECT_FALSE(right.Exists(QStringLiteral("skip.txt")));
    EXPECT_FALSE(right.Exists(QStringLiteral("gone")));
    const RunTally& done = ::Run().Tally;
    EXPECT_EQ(done.Copied, 3);
    EXPECT_EQ(done.Created, 1);
    EXPECT_EQ(done.Deleted, 2);
    EXPECT_EQ(done.Failed + done.Skipped, 0);
    EXPECT_EQ(host.status[1], FormatMsg(1219, {"3", "1", "2", "0", "0"}));
}

TEST_F(RunReportTest, MaskDeletionsAreDeletionsNotCopiesAndPopupDeleteStatesItsSide) {
    Plant(left, {"d/a.tmp=new", "d/b.txt"});
    Plant(right, {"d/a.tmp=old"});
    SetOptions({true, false, false, false, false});
    Compare(QStringLiteral("*.tmp"));
    const RunPlan plan = SyncPlan();
    EXPECT_EQ(plan.CopyFiles[0], 1);
    EXPECT_EQ(plan.DeleteFiles[0], 1);

    // The popup's deletion on the right of folder d: one file (a.tmp), no folder of its own
    // beyond d itself.
    const int d = RowOf(QStringLiteral("d"));
    const RunPlan del = PlanRun(files, Request(RunRequest::Kind::Delete, 1, d));
    EXPECT_EQ(del.DeleteFiles, (std::array<int, 2>{0, 1}));
    EXPECT_EQ(del.DeleteFolders, (std::array<int, 2>{0, 1}));
    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(PopupDeleteCommand(files, d, 1));
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_EQ(host.messagesShown[0], FormatMsg(801) + QStringLiteral("\n\n") + FormatMsg(1218, {"1", "1"}));
    EXPECT_TRUE(right.Exists(QStringLiteral("d/a.tmp")));
}

TEST_F(RunReportTest, StatusAfterARunWithAFailureAndASkipCountsWhatHappened) {
    Plant(left, {"a.txt", "b.txt", "c.txt"});
    SetOptions({true, false, false, false, false});
    Compare();
    // After the compare something takes the name c.txt on the right: left alone, skipped.
    right.File(QStringLiteral("c.txt"), "someone else's");
    FailingDevice device;
    device.Fail(FailingDevice::Point::Data, QStringLiteral("a.txt"), ENOSPC);
    host.queuedAnswers = {MsgBox::Yes, MsgBox::OK, MsgBox::OK};
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_FALSE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(right.Read(QStringLiteral("c.txt")), QByteArray("someone else's"));
    const RunTally& done = ::Run().Tally;
    EXPECT_EQ(done.Copied, 1);
    EXPECT_EQ(done.Failed, 1);
    EXPECT_EQ(done.Skipped, 1);
    EXPECT_FALSE(done.Cancelled);
    EXPECT_EQ(host.status[1], FormatMsg(1220, {"1", "0", "0", "1", "1"}));
    // The errors stay listed for the window after their prompts are gone.
    ASSERT_EQ(::Run().Errors.size(), 2);
    EXPECT_TRUE(::Run().Errors[0].contains(left.Path(QStringLiteral("a.txt"))));
    EXPECT_TRUE(::Run().Errors[1].contains(left.Path(QStringLiteral("c.txt"))));
}

TEST(SizeText, ReadableUnitsInTheLanguagesNumberFormatAndExactBytes) {
    const struct {
        const char* language;
        int64_t bytes;
        QString readable, exact;
    } cases[] = {
        {"English", 0, "0 bytes", "0 bytes"},
        {"English", 1023, "1,023 bytes", "1,023 bytes"},
        {"English", 1536, "1.5 KiB", "1,536 bytes"},
        {"English", 5LL << 30, "5.0 GiB", "5,368,709,120 bytes"},
        {"Deutsch", 1536, "1,5 KiB", "1.536 Byte"},
        {"Deutsch", 1234567, "1,2 MiB", "1.234.567 Byte"},
    };
    IsolatedEnvironment env;
    SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    for (const auto& c : cases) {
        Settings().LanguageName = c.language;
        ReloadLocalizer();
        EXPECT_EQ(ReadableSize(c.bytes), c.readable);
        EXPECT_EQ(ExactSize(c.bytes), c.exact);
    }
    Settings().LanguageName.clear();
    ReloadLocalizer();
    SetProgramFolderForTests(QString());
}

}  // namespace
