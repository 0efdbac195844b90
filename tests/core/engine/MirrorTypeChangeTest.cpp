// A path whose type changed (a folder opposite a file or link) on real trees: a one-way mirror
// deletes the destination's entry and copies the source's in its place; every other run leaves
// both and reports the conflict. The question, the guards and the run agree on what goes.

#include "SyncRunFixture.h"

#include "support/FailingDevice.h"

#include <QFile>

#include <cerrno>
#include <string>

#include <sys/stat.h>

using namespace sync_run_test;

namespace {

struct TypeChange;

class MirrorTypeChangeTest : public SyncRunTest {
protected:
    void SetUp() override {
        SyncRunTest::SetUp();
        Switches().DontAsk = true;
        environment.Set("XDG_DATA_HOME", dataHome.Path().toUtf8());
    }
    // Plants a type change with the source on one side.
    void Build(const TypeChange& c, TempTree& source, TempTree& destination);
    // The program's own compare, with the options of the run that follows.
    CompareRunResult CompareWith(std::array<bool, 5> options) {
        SetOptions(options);
        ::Run().ErrorReported = false;
        return ComparePairs({Pair(left.Path(), right.Path())});
    }

    TempTree dataHome;
    ScopedEnvironment environment;
};

struct TypeChange {
    const char* name;
    QStringList source, destination;
    const char* link;  // the destination's "x" is a link to this ("" none; "outside": the outside tree)
    // What the question states for the mirror: on the destination, from the source.
    int deleteFiles, deleteFolders, copyFiles, createFolders;
};

const TypeChange kTypeChanges[] = {
    {"a source folder that became a file", {"x=new file"}, {"x/a.txt", "x/sub/b.txt"}, "", 2, 2, 1, 0},
    {"a source file that became a folder", {"x/a.txt=new", "x/sub/b.txt=new"}, {"x=was a file"}, "", 1, 0, 2, 2},
    {"a dangling link where the source has a folder", {"x/a.txt=new"}, {}, "nowhere", 1, 0, 1, 1},
    {"a link to a folder outside where the source has a folder", {"x/a.txt=new"}, {}, "outside", 1, 0, 1, 1},
};

void MirrorTypeChangeTest::Build(const TypeChange& c, TempTree& source, TempTree& destination) {
    Plant(source, c.source);
    Plant(destination, c.destination);
    if (*c.link) Link(c.link == std::string("outside") ? outside.Path() : QString(c.link), destination.Path("x"));
}

}  // namespace

TEST_F(MirrorTypeChangeTest, AOneWayMirrorReplacesEachTypeChangeAndNoOtherRunTouchesIt) {
    for (const TypeChange& c : kTypeChanges) {
        for (int s = 0; s < 2; ++s) {
            // A one-way mirror; a copy without the delete option; a two-way run that deletes.
            for (const char* run : {"mirror", "no delete", "two-way"}) {
                SCOPED_TRACE(std::string(c.name) + (s == 0 ? ", left to right, " : ", right to left, ") + run);
                const bool deletes = run == std::string("mirror");
                for (TempTree* t : {&left, &right}) Clear(*t);
                TempTree& src = s == 0 ? left : right;
                TempTree& dst = s == 0 ? right : left;
                Build(c, src, dst);
                const QStringList sourceBefore = src.List(), destinationBefore = dst.List();
                std::array<bool, 5> options{};
                options[static_cast<size_t>(s)] = true;
                options[static_cast<size_t>(4 - s)] = run != std::string("no delete");
                options[static_cast<size_t>(1 - s)] = run == std::string("two-way");
                EXPECT_EQ(CompareWith(options).typeConflicts, deletes ? 0 : 1);

                const RunPlan plan = SyncPlan();
                const auto from = static_cast<size_t>(s), on = static_cast<size_t>(1 - s);
                EXPECT_EQ(plan.DeleteFiles[on], deletes ? c.deleteFiles : 0);
                EXPECT_EQ(plan.DeleteFolders[on], deletes ? c.deleteFolders : 0);
                EXPECT_EQ(plan.CopyFiles[from], deletes ? c.copyFiles : 0);
                EXPECT_EQ(plan.CreateFolders[from], deletes ? c.createFolders : 0);
                Sync();

                EXPECT_EQ(src.List(), sourceBefore);
                EXPECT_EQ(dst.List(), deletes ? sourceBefore : destinationBefore);
                EXPECT_EQ(::Run().ErrorReported, !deletes);
                ExpectOutsideUntouched();
                if (!deletes) continue;
                for (const QString& entry : sourceBefore) {
                    if (entry.endsWith(u'/')) continue;
                    EXPECT_EQ(dst.Read(entry), src.Read(entry)) << qPrintable(entry);
                }
                // The mirror converges: the next compare finds nothing to do.
                EXPECT_EQ(CompareWith(options).typeConflicts, 0);
                EXPECT_TRUE(SyncPlan().Empty());
            }
        }
    }
}

TEST_F(MirrorTypeChangeTest, WithUndoTheReplacedEntryGoesToTheTrashWholeAndALinkAsALink) {
    Settings().AllowUndo = true;
    Settings().LogChanges = true;
    for (const TypeChange& c : kTypeChanges) {
        SCOPED_TRACE(c.name);
        for (TempTree* t : {&left, &right, &dataHome}) Clear(*t);
        QFile::remove(logs.Path("20260402.log"));
        Build(c, left, right);
        const QStringList replaced = right.List();
        CompareWith({true, false, false, false, true});
        ASSERT_TRUE(Sync());
        EXPECT_EQ(right.List(), left.List());
        QStringList trashed;
        for (const QString& entry : dataHome.List())
            if (entry.startsWith(QStringLiteral("Trash/files/")) && entry.size() > 12) trashed << entry.mid(12);
        EXPECT_EQ(trashed, replaced);
        // The folder went as one: one info file, and the tally counts what the question did.
        EXPECT_EQ(QDir(dataHome.Path("Trash/info")).entryList(QDir::Files).size(), 1);
        EXPECT_EQ(::Run().Tally.Deleted, c.deleteFiles + c.deleteFolders);
        EXPECT_TRUE(LogLines().contains(Stamped("Trash\t" + right.Path("x")))) << qPrintable(LogLines().join(u'\n'));
        ExpectOutsideUntouched();
    }
}

TEST_F(MirrorTypeChangeTest, ADeletionThatFailsOrIsCancelledLeavesTheSourceUncopied) {
    struct Case {
        const char* name;
        int typeChange;  // index in kTypeChanges
        bool allowUndo;
        bool cancel;  // the user answers the failure with Cancel
        int errors;   // the failed deletion and the entry that could not take its place
    } cases[] = {
        {"file kept", 1, false, false, 2},
        {"file kept, cancelled", 1, false, true, 1},
        {"part of the folder kept", 0, false, false, 2},
        {"folder not moved to the trash", 0, true, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (TempTree* t : {&left, &right}) Clear(*t);
        Build(kTypeChanges[c.typeChange], left, right);
        const QStringList rightBefore = right.List();
        Settings().AllowUndo = c.allowUndo;
        Switches().DontAsk = !c.cancel;
        host.queuedAnswers = {MsgBox::Cancel};
        CompareWith({true, false, false, false, true});
        {
            FailingDevice device;
            device.FailFirstChange(EACCES);
            ASSERT_TRUE(Sync());
        }
        // The source's entry never lands where the destination's could not go.
        const bool sourceIsFile = !QFileInfo(left.Path("x")).isDir();
        EXPECT_EQ(QFileInfo(right.Path("x")).isDir(), sourceIsFile);
        for (const QString& entry : right.List()) EXPECT_TRUE(rightBefore.contains(entry)) << qPrintable(entry);
        EXPECT_EQ(::Run().Tally.Copied, 0);
        EXPECT_EQ(::Run().Tally.Cancelled, c.cancel);
        EXPECT_EQ(::Run().Errors.size(), c.errors) << qPrintable(::Run().Errors.join(u'\n'));
    }
}

TEST_F(MirrorTypeChangeTest, APipeOppositeAFolderStaysAConflictInAMirror) {
    left.File("x/a.txt", "a", New);
    ASSERT_EQ(::mkfifo(PathCodec::Encode(right.Path(QStringLiteral("x"))).constData(), 0600), 0);
    EXPECT_EQ(CompareWith({true, false, false, false, true}).typeConflicts, 1);
    EXPECT_TRUE(SyncPlan().Empty());
    Sync();
    struct stat st {};
    ASSERT_EQ(::lstat(PathCodec::Encode(right.Path(QStringLiteral("x"))).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(::Run().ErrorReported);
}
