#include "CompareRunFixture.h"
#include "platform/VolumeLabels.h"
#include "support/FailingDevice.h"

TEST_F(CompareRunTest, EmptyProfileShowsMessage802AndChangesNothing) {
    view_.Results.resize(5);
    EXPECT_EQ(Compare().outcome, CompareOutcome::EmptyProfile);
    EXPECT_EQ(host_.messagesShown, QStringList{"T802"});
    EXPECT_EQ(view_.Results.size(), 5u);
}

TEST_F(CompareRunTest, PairsFollowEachOtherEachStartingWithItsRootRow) {
    TempTree a, b;
    a.File("l/x.txt", "1");
    a.File("r/x.txt", "1");
    a.File("l/new.txt", "n");
    b.File("l/sub/y.txt", "y");
    b.Folder("r");
    AddPair(a.Path("l"), a.Path("r") + "/");  // with and without the trailing '/'
    AddPair(b.Path("l"), b.Path("r"));
    profile_.View.ShowEmptyFolders = true;
    view_.Stale = true;
    const CompareRunResult res = Compare();
    EXPECT_EQ(res.outcome, CompareOutcome::Done);
    EXPECT_EQ(Rows(), (QStringList{"||0", "new.txt||-1", "x.txt|x.txt|0", "||0", "sub||-1", "y.txt||-1"}));
    EXPECT_EQ(view_.Results[1].Folder[0], a.Path("l"));
    EXPECT_EQ(view_.Results[1].Folder[1], a.Path("r"));
    EXPECT_EQ(view_.Results[2].Folder[1], a.Path("r") + "/");
    EXPECT_EQ(view_.Results[4].Folder[0], b.Path("l"));
    EXPECT_EQ(view_.Results[6].Folder[1], b.Path("r/sub/"));
    // The view list was rebuilt with the profile's own filter and is current.
    EXPECT_FALSE(view_.Stale);
    EXPECT_EQ(view_.LastIndex(), 6);
    EXPECT_EQ(view_.FileCounts[0], 2);
    EXPECT_EQ(host_.status[1], "T851");
    EXPECT_FALSE(::Run().ErrorReported);
}

TEST_F(CompareRunTest, MissingRootWithoutAutoCreateStopsTheRunWithNoRows) {
    TempTree t;
    t.File("l1/a", "");
    t.Folder("r1");
    t.File("l2/b", "");
    AddPair(t.Path("l1"), t.Path("r1"));
    AddPair(t.Path("l2"), t.Path("r2-missing"));
    AddPair(t.Path("l3-missing"), t.Path("r1"));  // never reached, so never reported
    view_.ViewList.resize(4);                     // an earlier result
    const CompareRunResult res = Compare();
    EXPECT_EQ(res.outcome, CompareOutcome::RootUnreadable);
    EXPECT_EQ(res.errorFlag, 2);
    EXPECT_EQ(host_.status[1], "T856");
    EXPECT_EQ(view_.Results.size(), 1u);
    EXPECT_EQ(view_.LastIndex(), 0);
    ASSERT_EQ(host_.messagesShown.size(), 1);
    EXPECT_TRUE(host_.messagesShown[0].contains(t.Path("r2-missing"))) << qPrintable(host_.messagesShown[0]);
    EXPECT_TRUE(::Run().ErrorReported);
}

TEST_F(CompareRunTest, StatusTellsWhichSideFailed) {
    TempTree t;
    t.Folder("r");
    AddPair(t.Path("l-missing"), t.Path("r"));
    EXPECT_EQ(Compare().errorFlag, 1);
    EXPECT_EQ(host_.status[1], "T855");
    profile_.Pairs[0].Dir[1] = t.Path("r-missing");
    EXPECT_EQ(Compare().errorFlag, 3);
    EXPECT_EQ(host_.status[1], "T857");
}

TEST_F(CompareRunTest, AnUnreadableRootIsAnErrorEvenWithAutoCreate) {
    TempTree t;
    t.Folder("l");
    t.Folder("r");
    FolderPair& p = AddPair(t.Path("l"), t.Path("r"));
    p.AutoCreate = {true, true};
    FailingDevice device;
    device.Fail(FailingDevice::Point::OpenListing, t.Path("r"), EACCES, 0, -1);
    EXPECT_EQ(Compare().errorFlag, 2);
    EXPECT_EQ(host_.status[1], "T856");
}

TEST_F(CompareRunTest, AutoCreateTurnsAMissingRootIntoACopyOfTheOtherSide) {
    TempTree t;
    t.File("l1/a", "");
    t.Folder("r1");
    t.File("l2/b", "");
    t.File("l2/sub/c", "");
    AddPair(t.Path("l1"), t.Path("r1"));
    AddPair(t.Path("l2"), t.Path("r2-missing")).AutoCreate = {false, true};
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(Rows(), (QStringList{"||0", "a||-1", "||-1", "b||-1", "sub||-1", "c||-1"}));
    EXPECT_EQ(view_.Results[3].Folder[1], t.Path("r2-missing"));
    EXPECT_EQ(view_.Results[6].Folder[1], t.Path("r2-missing/sub/"));

    // Left missing: the root row copies right to left.
    profile_.Pairs[1].Dir = {t.Path("l2-missing"), t.Path("l2")};
    profile_.Pairs[1].AutoCreate = {true, false};
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(view_.Results[3].SyncAction, SyncAction::RightToLeft);
    EXPECT_EQ(view_.Results[4].SyncAction, SyncAction::RightToLeft);

    // Both missing: the root row goes left to right and there is nothing else.
    profile_.Pairs[1].Dir = {t.Path("x-missing"), t.Path("y-missing")};
    profile_.Pairs[1].AutoCreate = {true, true};
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(view_.Results.size(), 4u);
    EXPECT_EQ(view_.Results[3].SyncAction, SyncAction::LeftToRight);
}

TEST_F(CompareRunTest, UnreadableSubfolderIsReportedOnceAndNothingBelowItIsTouched) {
    TempTree t;
    t.File("l/locked/inside.txt", "");
    t.File("r/locked/other.txt", "");
    t.File("r/locked/deep/more.txt", "");
    t.File("l/fine.txt", "new");
    FailingDevice device;
    device.Fail(FailingDevice::Point::OpenListing, t.Path("l/locked"), EACCES, 0, -1);
    AddPair(t.Path("l"), t.Path("r"));
    profile_.View.ShowEmptyFolders = true;
    const CompareRunResult res = Compare();
    EXPECT_EQ(res.outcome, CompareOutcome::Done);
    EXPECT_EQ(res.unreadableFolders, 1);
    ASSERT_EQ(host_.messagesShown.size(), 1);
    EXPECT_TRUE(host_.messagesShown[0].contains(t.Path("l/locked"))) << qPrintable(host_.messagesShown[0]);
    EXPECT_TRUE(::Run().ErrorReported);
    int flagged = 0;
    for (size_t i = 1; i < view_.ViewList.size(); ++i) {
        const CompareRow& r = view_.ViewList[i];
        const bool below = r.Folder[1].contains("/locked");
        EXPECT_EQ(r.Unreadable, below) << i;
        if (below) {
            ++flagged;
            EXPECT_FALSE(r.Selected);
            EXPECT_EQ(r.SyncAction, SyncAction::NoAction);
        }
    }
    EXPECT_EQ(flagged, 4);  // locked, other.txt, deep, more.txt
}

TEST_F(CompareRunTest, PlaceholdersAndVolumeLabelsAreResolvedBeforeScanning) {
    TempTree t;
    t.File("mnt/Backup/f.txt", "");
    t.File("r/f.txt", "");
    t.File("dev/sdz1", "");
    // A label link as udev writes it (a blank as \x20) and a mount table naming the device.
    t.Folder("by-label");
    ASSERT_EQ(::symlink(qPrintable(t.Path("dev/sdz1")), qPrintable(t.Path("by-label/My\\x20Data"))), 0);
    QString mnt = t.Path("mnt");
    t.File("mountinfo", QString("22 1 8:1 / /somewhere rw - ext4 /dev/other rw\n"
                                "23 1 0:99 / %1 rw,relatime shared:1 - ext4 %2 rw\n")
                            .arg(mnt, t.Path("dev/sdz1")).toUtf8());
    const FileSystem::VolumeSourcesScope labels({t.Path("by-label"), t.Path("mountinfo")});
    EXPECT_EQ(ResolveVolumeLabelPath("my data/Backup/"), mnt + "/Backup/");
    EXPECT_EQ(ResolveVolumeLabelPath("MY DATA/"), mnt + "/");
    EXPECT_EQ(ResolveVolumeLabelPath("Other/Backup/"), "Other/Backup/");
    EXPECT_EQ(ResolveVolumeLabelPath("/abs/path/"), "/abs/path/");
    EXPECT_EQ(ResolveVolumeLabelPath("//server/share/"), "//server/share/");

    qputenv("TANDOR_TEST_RIGHT", t.Path("r").toUtf8());
    AddPair("My Data/Backup", "%TANDOR_TEST_RIGHT%");
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(Rows(), (QStringList{"||0", "f.txt|f.txt|0"}));
    EXPECT_EQ(view_.Results[1].Folder[0], mnt + "/Backup");
    qunsetenv("TANDOR_TEST_RIGHT");
}

TEST_F(CompareRunTest, TheViewIsBuiltWithTheStoredToolbarStates) {
    TempTree t;
    t.File("l/same.txt", "s");
    t.File("r/same.txt", "s");
    t.SetModified("r/same.txt", t.Modified("l/same.txt"));
    t.File("l/new.txt", "n");
    t.Folder("l/empty");
    t.Folder("r/empty");
    AddPair(t.Path("l"), t.Path("r"));
    profile_.View.Filter1 = 1;  // modified only
    profile_.View.ShowEmptyFolders = false;
    Compare();
    EXPECT_EQ(view_.Results.size(), 5u);
    QStringList shown;
    for (size_t i = 1; i < view_.ViewList.size(); ++i) shown << view_.ViewList[i].Name[0];
    EXPECT_EQ(shown, (QStringList{"", "new.txt"}));
    EXPECT_TRUE(view_.ViewList[2].Selected);
}
