// What a synchronisation must never do, on real trees: write through a symbolic link or out of
// its roots, overwrite or delete an entry that changed after the compare, or replace a pipe.

#include "SyncRunFixture.h"

#include "platform/BeneathRoot.h"
#include "platform/FileSystem.h"
#include "support/FailingDevice.h"

#include <optional>

#include <sys/stat.h>

using sync_run_test::Old;

namespace {

// Folders opened with openat2 or by the component walk of kernels without it (ENOSYS).
class RunSafetyTest : public sync_run_test::SyncRunTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        SyncRunTest::SetUp();
        if (!GetParam()) oldKernel.emplace().Fail(FailingDevice::Point::OpenBeneath, QString(), ENOSYS, 0, -1);
        Switches().DontAsk = true;
    }
    void TearDown() override {
        oldKernel.reset();
        SyncRunTest::TearDown();
    }
    QString LinkTarget(const QString& at) const { return QFileInfo(at).symLinkTarget(); }

    std::optional<FailingDevice> oldKernel;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(OpenedBy, RunSafetyTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "openat2" : "walk"; });


TEST_P(RunSafetyTest, LinkOppositeAFolderIsAConflictInATwoWayRun) {
    Link(outside.Path(), left.Path("X"));
    Plant(right, {"X/f.txt=new right", "X/sub/g.txt=new g"});
    Plant(left, {"plain.txt=new left"});
    Compare();
    ASSERT_TRUE(Sync());

    ExpectOutsideUntouched();
    EXPECT_EQ(LinkTarget(left.Path("X")), outside.Path());
    EXPECT_EQ(Contents(right), QStringList({"X/", "X/f.txt=new right", "X/sub/", "X/sub/g.txt=new g", "plain.txt=new left"}));
    EXPECT_FALSE(QFileInfo(right.Path("X")).isSymLink());
    EXPECT_TRUE(::Run().ErrorReported);  // the rest of the run went on
    EXPECT_EQ(LoggedErrors(FileSystem::ErrTypeConflict), 1) << qPrintable(LogLines().join(u'\n'));
}

TEST_P(RunSafetyTest, MirrorsInEitherDirectionNeverReachThroughTheLink) {
    // The link on the side that receives. A mirror may replace the link by the folder (the
    // link is an entry of the tree like any other); it never fills the folder it points at.
    Link(outside.Path(), right.Path("X"));
    Plant(left, {"X/f.txt=new f", "X/keep/deep.txt=new deep", "X/new.txt=new"});
    SetOptions({true, false, false, false, true});  // left to right, delete what is only right
    Compare();
    ASSERT_TRUE(Sync());
    ExpectOutsideUntouched();

    // The link on the side that is mirrored from.
    Clear(right);
    Link(outside.Path(), right.Path("X"));
    SetOptions({false, true, false, false, false});  // right to left
    Compare();
    EXPECT_FALSE(Sync());  // the link opposite the folder is a conflict, and nothing else differs
    ExpectOutsideUntouched();
    EXPECT_EQ(LinkTarget(right.Path("X")), outside.Path());
    EXPECT_EQ(LoggedErrors(FileSystem::ErrTypeConflict), 1) << qPrintable(LogLines().join(u'\n'));
}

TEST_P(RunSafetyTest, AFolderReplacedByALinkAfterTheCompareIsNotEntered) {
    Plant(left, {"d/f.txt=new left", "d/other.txt=new"});
    Plant(right, {"d/f.txt=old right"});
    Compare();
    // Between compare and run the right folder becomes a link to the outside.
    ASSERT_TRUE(QDir(right.Path("d")).removeRecursively());
    Link(outside.Path(), right.Path("d"));
    SetOptions({true, false, false, false, false});
    ASSERT_TRUE(Sync());
    ExpectOutsideUntouched();
    EXPECT_GE(LoggedErrors(FileSystem::ErrUnsafePath), 1);
}


TEST_P(RunSafetyTest, EntriesChangedAfterTheCompareAreSkippedAndReportedTheOthersReplaced) {
    Plant(left, {"edited.txt=new left", "appeared.txt=new left", "pipe.txt=new left", "fine.txt=new left"});
    Plant(right, {"edited.txt=old right", "only-right.txt=old right", "gone.txt=old", "fine.txt=old right"});
    SetOptions({true, false, false, false, true});
    Compare();

    // The user works on while the list is shown.
    right.File("edited.txt", "saved by the user after the compare", Old.addSecs(60));
    right.File("appeared.txt", "created by the user after the compare", Old);
    ASSERT_EQ(::mkfifo(PathCodec::Encode(right.Path("pipe.txt")).constData(), 0600), 0);
    right.File("only-right.txt", "edited before the delete", Old.addSecs(5));

    ASSERT_TRUE(Sync());
    // Read one by one: reading the pipe would wait for a writer.
    for (const auto& [name, text] : {std::pair{"appeared.txt", "created by the user after the compare"},
                                     {"edited.txt", "saved by the user after the compare"}, {"fine.txt", "new left"},
                                     {"only-right.txt", "edited before the delete"}})
        EXPECT_EQ(right.Read(name), QByteArray(text)) << name;
    EXPECT_FALSE(right.Exists("gone.txt"));
    struct stat st {};
    ASSERT_EQ(::lstat(PathCodec::Encode(right.Path("pipe.txt")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(LoggedErrors(FileSystem::ErrChangedSinceCompare), 3) << qPrintable(LogLines().join(u'\n'));
    EXPECT_EQ(LoggedErrors(FileSystem::ErrTypeConflict), 1);
}


TEST(BeneathRoot, OnlyRegisteredRootsAreWrittenAndARootMayBeALink) {
    TempTree t;
    const QString real = t.Folder("real");
    // Beside the root, with a name that begins with the root's own.
    const QString elsewhere = t.Folder("root-elsewhere");
    ASSERT_EQ(::symlink(PathCodec::Encode(real).constData(), PathCodec::Encode(t.Path("root")).constData()), 0);
    const QString root = t.Path("root");
    {
        const FileSystem::RootScope scope({root + '/'});
        // The root was named by the user: a link there is followed.
        EXPECT_TRUE(FileSystem::CreateFolderFrom(root + "/made", QString()));
        EXPECT_TRUE(QFileInfo(real + "/made").isDir());
        // A path beneath no registered root is refused.
        EXPECT_FALSE(FileSystem::CreateFolderFrom(elsewhere + "/nope", QString()));
        EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrUnsafePath);
        // ".." does not lead out of the root either.
        EXPECT_FALSE(FileSystem::CreateFolderFrom(root + "/made/../../root-elsewhere/nope", QString()));
        EXPECT_EQ(Entries(elsewhere) + Entries(real), QStringList{"made"});
    }
    // Outside any scope the platform works on paths as given.
    EXPECT_TRUE(FileSystem::CreateFolderFrom(elsewhere + "/free", QString()));
}
