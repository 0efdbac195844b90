// What a synchronisation must never do, on real trees: write through a symbolic link or out of
// its roots, overwrite or delete an entry that changed after the compare, or replace a pipe; and
// what the log says about the changes it made.

#include "SyncRunFixture.h"

#include "platform/BeneathRoot.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/FailingDevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using sync_run_test::New;
using sync_run_test::Old;

// The error number a log line of a failed operation starts with (after the time).
QString ErrorLine(int err) { return QStringLiteral("2026-04-02 09:00:00\t") + QString::number(err) + QLatin1Char('\t'); }

// A run over two real trees. The parameter says whether folders are opened with openat2 or by
// the component walk of kernels without it: both must keep every write beneath the roots.
class RunSafetyTest : public sync_run_test::SyncRunTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        SyncRunTest::SetUp();
        // A kernel without openat2 answers ENOSYS.
        if (!GetParam()) oldKernel.emplace().Fail(FailingDevice::Point::OpenBeneath, QString(), ENOSYS, 0, -1);
        Switches().DontAsk = true;
        // What lies outside both trees, where a link of the left tree points.
        outside.File(QStringLiteral("f.txt"), "outside, never to be touched", Old);
        outside.File(QStringLiteral("keep/deep.txt"), "deep outside", Old);
    }
    void TearDown() override {
        oldKernel.reset();
        SyncRunTest::TearDown();
    }

    bool Logged(int err) const {
        for (const QString& line : LogLines())
            if (line.startsWith(ErrorLine(err))) return true;
        return false;
    }
    void Link(const QString& target, const QString& at) {
        ASSERT_EQ(::symlink(PathCodec::Encode(target).constData(), PathCodec::Encode(at).constData()), 0);
    }
    QString LinkTarget(const QString& at) const { return QFileInfo(at).symLinkTarget(); }
    // Everything outside is as it was, byte for byte.
    void ExpectOutsideUntouched() {
        EXPECT_EQ(outside.List(), QStringList({QStringLiteral("f.txt"), QStringLiteral("keep/"),
                                               QStringLiteral("keep/deep.txt")}));
        EXPECT_EQ(outside.Read(QStringLiteral("f.txt")), QByteArray("outside, never to be touched"));
        EXPECT_EQ(outside.Modified(QStringLiteral("f.txt")), Old);
        EXPECT_EQ(outside.Read(QStringLiteral("keep/deep.txt")), QByteArray("deep outside"));
    }

    TempTree outside;
    std::optional<FailingDevice> oldKernel;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(OpenedBy, RunSafetyTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "openat2" : "walk"; });

// ---- links are never written through ----

TEST_P(RunSafetyTest, LinkOppositeAFolderIsAConflictInATwoWayRun) {
    Link(outside.Path(), left.Path(QStringLiteral("X")));
    right.File(QStringLiteral("X/f.txt"), "right, newer", New);
    right.File(QStringLiteral("X/sub/g.txt"), "right g", New);
    left.File(QStringLiteral("plain.txt"), "goes right", New);
    SetOptions({true, true, false, false, false});
    Compare();
    ASSERT_TRUE(Sync());

    ExpectOutsideUntouched();
    EXPECT_EQ(LinkTarget(left.Path(QStringLiteral("X"))), outside.Path());
    EXPECT_EQ(right.Read(QStringLiteral("X/f.txt")), QByteArray("right, newer"));
    EXPECT_TRUE(QFileInfo(right.Path(QStringLiteral("X"))).isDir());
    EXPECT_FALSE(QFileInfo(right.Path(QStringLiteral("X"))).isSymLink());
    // The rest of the run went on.
    EXPECT_EQ(right.Read(QStringLiteral("plain.txt")), QByteArray("goes right"));
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_TRUE(Logged(FileSystem::ErrTypeConflict)) << qPrintable(LogLines().join(u'\n'));
}

TEST_P(RunSafetyTest, MirrorsInEitherDirectionNeverReachThroughTheLink) {
    // The link on the side that receives. A mirror may replace the link by the folder (the
    // link is an entry of the tree like any other); it never fills the folder it points at.
    Link(outside.Path(), right.Path(QStringLiteral("X")));
    left.File(QStringLiteral("X/f.txt"), "left f", New);
    left.File(QStringLiteral("X/keep/deep.txt"), "left deep", New);
    left.File(QStringLiteral("X/new.txt"), "left new", New);
    SetOptions({true, false, false, false, true});  // left to right, delete what is only right
    Compare();
    ASSERT_TRUE(Sync());
    ExpectOutsideUntouched();

    // The link on the side that is mirrored from.
    ASSERT_TRUE(QDir(right.Path()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(right.Path()));
    Link(outside.Path(), right.Path(QStringLiteral("X")));
    SetOptions({false, true, false, false, false});  // right to left
    Compare();
    EXPECT_FALSE(Sync());  // the link opposite the folder is a conflict, and nothing else differs
    ExpectOutsideUntouched();
    EXPECT_EQ(LinkTarget(right.Path(QStringLiteral("X"))), outside.Path());
    EXPECT_TRUE(Logged(FileSystem::ErrTypeConflict)) << qPrintable(LogLines().join(u'\n'));
}

TEST_P(RunSafetyTest, AFolderReplacedByALinkAfterTheCompareIsNotEntered) {
    left.File(QStringLiteral("d/f.txt"), "left newer", New);
    right.File(QStringLiteral("d/f.txt"), "right older", Old);
    left.File(QStringLiteral("d/other.txt"), "left only", New);
    Compare();
    // Between compare and run the right folder becomes a link to the outside.
    ASSERT_TRUE(QDir(right.Path(QStringLiteral("d"))).removeRecursively());
    Link(outside.Path(), right.Path(QStringLiteral("d")));
    SetOptions({true, false, false, false, false});
    ASSERT_TRUE(Sync());
    ExpectOutsideUntouched();
    EXPECT_FALSE(QFileInfo::exists(outside.Path(QStringLiteral("other.txt"))));
    EXPECT_TRUE(Logged(FileSystem::ErrUnsafePath));
}

// ---- nothing changed after the compare is overwritten or deleted unseen ----

TEST_P(RunSafetyTest, EntriesChangedAfterTheCompareAreSkippedAndReported) {
    left.File(QStringLiteral("edited.txt"), "left version", New);
    right.File(QStringLiteral("edited.txt"), "right, old", Old);
    left.File(QStringLiteral("appeared.txt"), "left only", New);
    left.File(QStringLiteral("pipe.txt"), "left only", New);
    right.File(QStringLiteral("only-right.txt"), "right only", Old);
    left.File(QStringLiteral("fine.txt"), "left, unchanged since", New);
    right.File(QStringLiteral("fine.txt"), "right, old", Old);
    Compare();

    // The user works on while the list is shown.
    right.File(QStringLiteral("edited.txt"), "saved by the user after the compare", Old.addSecs(60));
    right.File(QStringLiteral("appeared.txt"), "created by the user after the compare", Old);
    ASSERT_EQ(::mkfifo(PathCodec::Encode(right.Path(QStringLiteral("pipe.txt"))).constData(), 0600), 0);
    right.File(QStringLiteral("only-right.txt"), "edited before the delete", Old.addSecs(5));

    SetOptions({true, false, false, false, true});
    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.Read(QStringLiteral("edited.txt")), QByteArray("saved by the user after the compare"));
    EXPECT_EQ(right.Read(QStringLiteral("appeared.txt")), QByteArray("created by the user after the compare"));
    struct stat st {};
    ASSERT_EQ(::lstat(PathCodec::Encode(right.Path(QStringLiteral("pipe.txt"))).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(right.Read(QStringLiteral("only-right.txt")), QByteArray("edited before the delete"));
    EXPECT_EQ(right.Read(QStringLiteral("fine.txt")), QByteArray("left, unchanged since"));
    EXPECT_TRUE(::Run().ErrorReported);
    int changed = 0;
    for (const QString& line : LogLines()) changed += line.startsWith(ErrorLine(FileSystem::ErrChangedSinceCompare));
    EXPECT_EQ(changed, 3) << qPrintable(LogLines().join(u'\n'));
    EXPECT_TRUE(Logged(FileSystem::ErrTypeConflict));
}

TEST_P(RunSafetyTest, EntriesAsTheCompareSawThemAreReplacedAndDeleted) {
    left.File(QStringLiteral("a.txt"), "left new", New);
    right.File(QStringLiteral("a.txt"), "right old", Old);
    right.File(QStringLiteral("gone.txt"), "right only", Old);
    SetOptions({true, false, false, false, true});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("a.txt")});
    EXPECT_EQ(right.Read(QStringLiteral("a.txt")), QByteArray("left new"));
    EXPECT_FALSE(::Run().ErrorReported) << qPrintable(LogLines().join(u'\n'));
}

// ---- what the log says ----

TEST_P(RunSafetyTest, LogChangesAddsOneLinePerChangeAndOffLeavesTheLogAsItWas) {
    auto build = [this] {
        left.File(QStringLiteral("a.txt"), "a", New);
        left.File(QStringLiteral("new/b.txt"), "b", New);
        right.File(QStringLiteral("old/c.txt"), "c", Old);
    };
    build();
    SetOptions({true, false, false, false, true});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(logs.Read(QStringLiteral("20260402.log")),
              QByteArray("2026-04-02 09:00:00\tStart\t/profiles/test.tdp\r\n"
                         "2026-04-02 09:00:00\tEnd\t/profiles/test.tdp\r\n"));

    ASSERT_TRUE(QDir(right.Path(QStringLiteral("new"))).removeRecursively());
    QFile::remove(right.Path(QStringLiteral("a.txt")));
    QFile::remove(logs.Path(QStringLiteral("20260402.log")));
    build();
    Settings().LogChanges = true;
    Compare();
    ASSERT_TRUE(Sync());
    Settings().LogChanges = false;
    const QString t = QStringLiteral("2026-04-02 09:00:00\t");
    EXPECT_EQ(LogLines(),
              QStringList({t + QStringLiteral("Start\t/profiles/test.tdp"),
                           t + QStringLiteral("Delete\t") + right.Path(QStringLiteral("old/c.txt")),
                           t + QStringLiteral("RemoveFolder\t") + right.Path(QStringLiteral("old")),
                           t + QStringLiteral("Copy\t") + left.Path(QStringLiteral("a.txt")) + QLatin1Char('\t') +
                               right.Path(QStringLiteral("a.txt")),
                           t + QStringLiteral("CreateFolder\t") + right.Path(QStringLiteral("new")),
                           t + QStringLiteral("Copy\t") + left.Path(QStringLiteral("new/b.txt")) + QLatin1Char('\t') +
                               right.Path(QStringLiteral("new/b.txt")),
                           t + QStringLiteral("End\t/profiles/test.tdp")}));
}

TEST_P(RunSafetyTest, LogChangesNamesFilesMovedToTheTrash) {
    TempTree dataHome;
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    const bool hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.Path().toUtf8());
    right.File(QStringLiteral("c.txt"), "c", Old);
    left.File(QStringLiteral("a.txt"), "a", New);
    Compare();
    Settings().AllowUndo = true;
    Settings().LogChanges = true;
    SetOptions({true, false, false, false, true});
    ASSERT_TRUE(Sync());
    Settings().AllowUndo = false;
    Settings().LogChanges = false;
    if (hadDataHome) qputenv("XDG_DATA_HOME", oldDataHome);
    else qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(dataHome.Read(QStringLiteral("Trash/files/c.txt")), QByteArray("c"));
    EXPECT_TRUE(LogLines().contains(QStringLiteral("2026-04-02 09:00:00\tTrash\t") + right.Path(QStringLiteral("c.txt"))))
        << qPrintable(LogLines().join(u'\n')) << qPrintable(dataHome.List().join(u' '));
}

// ---- the root scope itself ----

TEST(BeneathRoot, OnlyRegisteredRootsAreWrittenAndARootMayBeALink) {
    TempTree t;
    const QString real = t.Folder(QStringLiteral("real"));
    const QString elsewhere = t.Folder(QStringLiteral("elsewhere"));
    ASSERT_EQ(::symlink(PathCodec::Encode(real).constData(), PathCodec::Encode(t.Path(QStringLiteral("root"))).constData()), 0);
    const QString root = t.Path(QStringLiteral("root"));
    {
        const FileSystem::RootScope scope({root + QLatin1Char('/')});
        // The root was named by the user: a link there is followed.
        EXPECT_TRUE(FileSystem::CreateFolderFrom(root + QStringLiteral("/made"), QString()));
        EXPECT_TRUE(QFileInfo(real + QStringLiteral("/made")).isDir());
        // A path beneath no registered root is refused.
        EXPECT_FALSE(FileSystem::CreateFolderFrom(elsewhere + QStringLiteral("/nope"), QString()));
        EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrUnsafePath);
        // ".." does not lead out of the root either.
        EXPECT_FALSE(FileSystem::CreateFolderFrom(root + QStringLiteral("/made/../../elsewhere/nope"), QString()));
        EXPECT_FALSE(QFileInfo::exists(elsewhere + QStringLiteral("/nope")));
    }
    // Outside any scope the platform works on paths as given.
    EXPECT_TRUE(FileSystem::CreateFolderFrom(elsewhere + QStringLiteral("/free"), QString()));
}
