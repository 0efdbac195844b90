// A path whose type changed (a folder opposite a file or link) on real trees: a one-way mirror
// deletes the destination's entry (or trashes it whole) and copies the source's in its place;
// every other run leaves both and reports the conflict.

#include "SyncRunFixture.h"

#include "support/FailingDevice.h"

#include <cerrno>
#include <string>

using namespace sync_run_test;

namespace {

class MirrorTypeChangeTest : public SyncRunTest {
protected:
    void SetUp() override {
        SyncRunTest::SetUp();
        Switches().DontAsk = true;
        Settings().LogChanges = true;
        environment.Set("XDG_DATA_HOME", dataHome.Path().toUtf8());
    }
    CompareRunResult CompareWith(std::array<bool, 5> options) {
        SetOptions(options);
        ::Run().ErrorReported = false;
        return ComparePairs({Pair(left.Path(), right.Path())});
    }

    TempTree dataHome;
    ScopedEnvironment environment;
};

const struct TypeChange {
    const char* name;
    QStringList source, destination;
    const char* link;  // the destination's "x" is a link to this ("" none; "outside": the outside tree)
    // What the mirror deletes on the destination and copies from the source.
    int deleteFiles, deleteFolders, copyFiles, createFolders;
} kTypeChanges[] = {
    {"a source folder that became a file", {"x=new file"}, {"x/a.txt", "x/sub/b.txt"}, "", 2, 2, 1, 0},
    {"a source file that became a folder", {"x/a.txt=new", "x/sub/b.txt=new"}, {"x=was a file"}, "", 1, 0, 2, 2},
    {"a dangling link where the source has a folder", {"x/a.txt=new"}, {}, "nowhere", 1, 0, 1, 1},
    {"a link to a folder outside where the source has a folder", {"x/a.txt=new"}, {}, "outside", 1, 0, 1, 1},
};

}  // namespace

// Left to right the mirror deletes; right to left it moves to the trash (undo allowed), where
// the folder goes as one entry and a link as a link.
TEST_F(MirrorTypeChangeTest, AOneWayMirrorReplacesEachTypeChangeAndNoOtherRunTouchesIt) {
    for (const TypeChange& c : kTypeChanges) {
        for (int s = 0; s < 2; ++s) {
            // A one-way mirror; a copy without the delete option; a two-way run that deletes.
            for (const std::string run : {"mirror", "no delete", "two-way"}) {
                SCOPED_TRACE(std::string(c.name) + (s == 0 ? ", left to right, " : ", right to left, ") + run);
                const bool deletes = run == "mirror";
                for (TempTree* t : {&left, &right, &dataHome}) Clear(*t);
                TempTree& src = s == 0 ? left : right;
                TempTree& dst = s == 0 ? right : left;
                Plant(src, c.source);
                Plant(dst, c.destination);
                if (*c.link) Link(c.link == std::string("outside") ? outside.Path() : QString(c.link), dst.Path("x"));
                const QStringList sourceBefore = Contents(src), destinationBefore = dst.List();
                Settings().AllowUndo = s == 1;
                std::array<bool, 5> options{};
                options[static_cast<size_t>(s)] = true;
                options[static_cast<size_t>(4 - s)] = run != "no delete";
                options[static_cast<size_t>(1 - s)] = run == "two-way";
                EXPECT_EQ(CompareWith(options).typeConflicts, deletes ? 0 : 1);
                const RunPlan plan = SyncPlan();
                EXPECT_EQ(plan.DeleteFiles[1 - s] + plan.DeleteFolders[1 - s] + plan.CopyFiles[s] + plan.CreateFolders[s],
                          deletes ? c.deleteFiles + c.deleteFolders + c.copyFiles + c.createFolders : 0);
                Sync();

                EXPECT_EQ(Contents(src), sourceBefore);
                EXPECT_EQ(::Run().Tally.Copied, deletes ? c.copyFiles : 0);
                EXPECT_EQ(deletes ? Contents(dst) : dst.List(), deletes ? sourceBefore : destinationBefore);
                EXPECT_EQ(::Run().ErrorReported, !deletes) << qPrintable(::Run().Errors.join(u'\n'));
                ExpectOutsideUntouched();
                if (!deletes || s == 0) continue;
                QStringList trashed = dataHome.List().filter(QRegularExpression("^Trash/files/."));
                trashed.replaceInStrings("Trash/files/", "");
                EXPECT_EQ(trashed, destinationBefore);
                EXPECT_EQ(QDir(dataHome.Path("Trash/info")).entryList(QDir::Files).size(), 1);
                EXPECT_EQ(::Run().Tally.Deleted, c.deleteFiles + c.deleteFolders);
                EXPECT_TRUE(LogLines().contains(Stamped("Trash\t" + dst.Path("x")))) << qPrintable(LogLines().join(u'\n'));
            }
        }
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
        Plant(left, kTypeChanges[c.typeChange].source);
        Plant(right, kTypeChanges[c.typeChange].destination);
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
        EXPECT_EQ(QFileInfo(right.Path("x")).isDir(), !QFileInfo(left.Path("x")).isDir());
        for (const QString& entry : right.List()) EXPECT_TRUE(rightBefore.contains(entry)) << qPrintable(entry);
        EXPECT_EQ(::Run().Tally.Copied, 0);
        EXPECT_EQ(::Run().Tally.Cancelled, c.cancel);
        EXPECT_EQ(::Run().Errors.size(), c.errors) << qPrintable(::Run().Errors.join(u'\n'));
    }
}
