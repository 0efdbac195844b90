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
    a.Build({"l/x.txt", "r/x.txt", "l/new.txt"});
    b.Build({"l/sub/y.txt", "r/"});
    AddPair(a.Path("l"), a.Path("r") + "/");  // with and without the trailing '/'
    AddPair(b.Path("l"), b.Path("r"));
    profile_.View.ShowEmptyFolders = true;
    view_.Stale = true;
    ::Run().IgnoredErrors.insert(EACCES);  // errors ignored in the last run are asked about again
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_TRUE(::Run().IgnoredErrors.empty());
    EXPECT_EQ(Rows(), (QStringList{"||0", "new.txt||-1", "x.txt|x.txt|0", "||0", "sub||-1", "y.txt||-1"}));
    EXPECT_EQ(view_.Results[1].Folder[1], a.Path("r"));
    EXPECT_EQ(view_.Results[2].Folder[1], a.Path("r") + "/");
    EXPECT_EQ(view_.Results[4].Folder[0], b.Path("l"));
    EXPECT_EQ(view_.Results[6].Folder[1], b.Path("r/sub/"));
    // The view list was rebuilt with the profile's own filter and is current.
    EXPECT_FALSE(view_.Stale);
    EXPECT_EQ(view_.LastIndex(), 6);
    EXPECT_EQ(host_.status[1], "T851");
    EXPECT_FALSE(::Run().ErrorReported);
}

// A root that cannot be read stops the whole compare with no rows, one message and a status that
// names the side: missing without AutoCreate, unlistable even with it, and every root that is no
// absolute folder (empty, blank, relative, an unknown label, a placeholder that names nothing, a
// share that cannot be mounted).
TEST_F(CompareRunTest, ARootThatCannotBeReadStopsTheCompareAndNamesItsSide) {
    TempTree t;
    t.Build({"l/a", "r/", "r2/", "labels/"});
    t.File("mountinfo", "");
    const FileSystem::VolumeSourcesScope labels({t.Path("labels"), t.Path("mountinfo")});
    ScopedEnvironment env;  // no gio to mount a share with
    env.Set("PATH", t.Path("labels").toUtf8());
    env.Set("XDG_RUNTIME_DIR", t.Path("r2").toUtf8());
    const auto at = [&](const QString& p) { return p.startsWith('@') ? t.Path(p.mid(1)) : p; };
    const struct {
        const char* left;
        const char* right;
        bool autoCreate;
        bool unlistableRight;
        int errorFlag;
        const char* status;
    } cases[] = {
        {"@l-missing", "@r", false, false, 1, "T855"},
        {"@l", "@r-missing", false, false, 2, "T856"},
        {"@l-missing", "@r-missing", false, false, 3, "T857"},
        {"@l", "@r2", true, true, 2, "T856"},
        {"", "@r", true, false, 1, "T855"},
        {"  ", "@r", true, false, 1, "T855"},
        {"backup/here", "@r", true, false, 1, "T855"},
        {"NoSuchLabel/Backup", "@r", true, false, 1, "T855"},
        {"%TANDOR_TEST_UNSET%", "@r", true, false, 1, "T855"},
        {"@l", "", true, false, 2, "T856"},
        {"@l", "//srv/data/dir", true, false, 2, "T856"},
        {"@l", "//srv", true, false, 2, "T856"},
    };
    for (const auto& c : cases) {
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r"));
        AddPair(at(c.left), at(c.right)).AutoCreate = {c.autoCreate, c.autoCreate};
        AddPair(t.Path("never-reached"), t.Path("r"));
        std::optional<FailingDevice> device;
        if (c.unlistableRight) device.emplace().Fail(FailingDevice::Point::OpenListing, at(c.right), EACCES, 0, -1);
        view_.ViewList.resize(4);  // an earlier result
        host_.messagesShown.clear();
        ::Run().ErrorReported = false;
        const CompareRunResult res = Compare();
        device.reset();
        EXPECT_EQ(res.outcome, CompareOutcome::RootUnreadable) << c.left << " " << c.right;
        EXPECT_EQ(res.errorFlag, c.errorFlag) << c.left << " " << c.right;
        EXPECT_EQ(host_.status[1], c.status) << c.left << " " << c.right;
        EXPECT_EQ(view_.Results.size(), 1u) << c.left << " " << c.right;
        EXPECT_EQ(view_.LastIndex(), 0);
        // Both sides missing: one message for each.
        ASSERT_EQ(host_.messagesShown.size(), c.errorFlag == 3 ? 2 : 1) << c.left << " " << c.right;
        if (c.errorFlag == 2 && *c.right) {
            EXPECT_TRUE(host_.messagesShown[0].contains(at(c.right))) << qPrintable(host_.messagesShown[0]);
        }
        EXPECT_TRUE(::Run().ErrorReported);
    }
}

TEST_F(CompareRunTest, AutoCreateTurnsAMissingRootIntoACopyOfTheOtherSide) {
    TempTree t;
    t.Build({"l1/a", "r1/", "l2/b", "l2/sub/c"});
    AddPair(t.Path("l1"), t.Path("r1"));
    AddPair(t.Path("l2"), t.Path("r2-missing")).AutoCreate = {false, true};
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(Rows(), (QStringList{"||0", "a||-1", "||-1", "b||-1", "sub||-1", "c||-1"}));
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

TEST_F(CompareRunTest, PlaceholdersAndVolumeLabelsAreResolvedBeforeScanning) {
    TempTree t;
    t.Build({"dev/sdz1"});
    t.File("mnt/Backup/f.txt", "");
    t.File("r/f.txt", "");
    // A label link as udev writes it (a blank as \x20) and a mount table naming the device.
    t.Link("by-label/My\\x20Data", t.Path("dev/sdz1"));
    const QString mnt = t.Path("mnt");
    t.File("mountinfo", QString("22 1 8:1 / /somewhere rw - ext4 /dev/other rw\n"
                                "23 1 0:99 / %1 rw,relatime shared:1 - ext4 %2 rw\n")
                            .arg(mnt, t.Path("dev/sdz1")).toUtf8());
    const FileSystem::VolumeSourcesScope labels({t.Path("by-label"), t.Path("mountinfo")});
    qputenv("TANDOR_TEST_RIGHT", t.Path("r").toUtf8());
    AddPair("my data/Backup", "%TANDOR_TEST_RIGHT%");
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(Rows(), (QStringList{"||0", "f.txt|f.txt|0"}));
    EXPECT_EQ(view_.Results[1].Folder[0], mnt + "/Backup");
    EXPECT_EQ(view_.Results[1].Folder[1], t.Path("r"));
    qunsetenv("TANDOR_TEST_RIGHT");
}

TEST_F(CompareRunTest, TheViewIsBuiltWithTheStoredToolbarStates) {
    TempTree t;
    t.Build({"l/same.txt", "r/same.txt", "l/new.txt", "l/empty/", "r/empty/"});
    t.SetModified("r/same.txt", t.Modified("l/same.txt"));
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
