// The guards of the run on real trees: nothing deleted opposite a missing root, no mass deletion
// without a question, no deleting run over pairs that share folders (nested, or through a link).

#include "SyncRunFixture.h"
#include "engine/RunReport.h"

using namespace sync_run_test;

namespace {
class SyncGuardsTest : public SyncRunTest {};
}  // namespace

TEST_F(SyncGuardsTest, NothingIsDeletedOppositeAMissingRoot) {
    const QString unplugged = outside.Path("unplugged");
    Plant(right, {"a.txt", "d/b.txt"});
    FolderPair pair = Pair(unplugged, right.Path());
    pair.AutoCreate[0] = true;
    ComparePairs({pair});
    SetOptions({true, false, false, false, true});  // a mirror of the missing folder
    Switches().DontAsk = true;

    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List(), QStringList({"a.txt", "d/", "d/b.txt"}));
    EXPECT_FALSE(QFileInfo::exists(unplugged));  // nothing goes toward it in this direction
    const QString why = FormatMsg(880, {unplugged, right.Path(), "2"});
    EXPECT_EQ(LogLines(), QStringList({StartLine(), Stamped(why), EndLine()}));
    EXPECT_EQ(LastErrorMsg(), why);
    EXPECT_TRUE(::Run().ErrorReported);  // a part of the run was left out: exit status 1
    EXPECT_FALSE(::Run().Refused);
}


// Unattended, a deletion over the limit is held (its side untouched) and the run refused.
TEST_F(SyncGuardsTest, TheMassDeletionGuardHoldsExactlyWhatIsOverItsLimit) {
    const struct {
        const char* what;
        std::array<bool, 5> options;
        const char* deleteMasks;
        int percent;
        QStringList left, right;
        int side;  // where the deletions are, and the entry that shows whether they were held
        const char* probe;
        bool held;
    } cases[] = {
        {"ten files are never a mass deletion", {true, false, false, false, true}, "", 50, {}, {"x*10"}, 1, "x01.txt", false},
        {"exactly the limit is allowed", {true, false, false, false, true}, "", 50, {"s*11"}, {"s*11", "x*11"}, 1, "x01.txt", false},
        {"one more than the limit", {true, false, false, false, true}, "", 50, {"s*10"}, {"s*10", "x*11"}, 1, "x01.txt", true},
        {"an empty source root counts as every file gone", {true, false, false, false, true}, "", 99, {}, {"x*11"}, 1, "x01.txt", true},
        {"deletions by the delete masks count", {true, false, false, false, false}, "t*", 50, {"cache/t*12", "w.txt"}, {}, 0,
         "cache/t01.txt", true},
        {"a one-sided file that meets the masks too counts once", {true, false, false, true, false}, "t*", 50, {"s*6", "t*6"},
         {"s*6"}, 0, "t06.txt", false},
        {"a folder replaced by a file counts the files below it", {true, false, false, false, true}, "", 50,
         {"keep.txt", "x=new file"}, {"keep.txt", "x/f*12"}, 1, "x/f01.txt", true},
    };
    Switches().DontAsk = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(left);
        Clear(right);
        Plant(left, c.left);
        Plant(right, c.right);
        Settings().MaxDeletePercent = c.percent;
        SetOptions(c.options);
        deleteMasks_ = c.deleteMasks;
        Compare();
        ASSERT_TRUE(Sync());
        EXPECT_EQ((c.side == 0 ? left : right).Exists(c.probe), c.held);
        EXPECT_EQ(::Run().Refused, c.held);
    }
}

TEST_F(SyncGuardsTest, AMassDeletionUnattendedIsHeldAndSaidWhyAndWithQuestionsAskedOncePerSide) {
    Plant(left, {"keep.txt=new"});
    Plant(right, {"keep.txt=old", "extra/x*12"});
    SetOptions({true, false, false, false, true});
    Compare();
    Switches().DontAsk = true;

    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List().size(), 14);  // keep.txt, the folder and its twelve files
    EXPECT_EQ(right.Read("keep.txt"), QByteArray("new"));
    const QString why = FormatMsg(882, {"12", "13", right.Path(), "50"});
    EXPECT_EQ(LogLines(), QStringList({StartLine(), Stamped(why), EndLine()}));
    EXPECT_EQ(LastErrorMsg(), why);
    EXPECT_TRUE(::Run().Refused);
    EXPECT_EQ(host.messagesShown, QStringList());

    // With questions: asked once per side, No keeps that side.
    Switches().DontAsk = false;
    for (TempTree* t : {&left, &right}) Clear(*t);
    Plant(left, {"both.txt", "l*12"});
    Plant(right, {"both.txt", "r*11"});
    SetOptions({false, false, false, true, true});
    Compare();
    host.queuedAnswers = {MsgBox::No, MsgBox::Yes};  // keep the left, delete on the right

    ASSERT_TRUE(Sync());
    EXPECT_EQ(host.messagesShown, QStringList({FormatMsg(881, {"12", "13", left.Path(), "50"}),
                                               FormatMsg(881, {"11", "12", right.Path(), "50"})}));
    EXPECT_EQ(left.List().size(), 13);
    EXPECT_EQ(right.List(), QStringList{"both.txt"});
    EXPECT_FALSE(::Run().Refused);
    EXPECT_EQ(LogLines().mid(3), QStringList({StartLine(), EndLine()}));  // after the first run's
    // Kept because the user said No: no error, and the status line says so (12 declined).
    EXPECT_EQ(RunOutcomeText(), FormatMsg(1288, {"0", "0", "11", "12"}));
}

TEST_F(SyncGuardsTest, EachPairIsCountedOnItsOwnEvenWhereTheListHidesItsRootRow) {
    Plant(left, {"one/keep/k*40", "two/"});
    Plant(right, {"one/keep/k*40", "two/old/x*12"});
    ComparePairs({Pair(left.Path("one"), right.Path("one")), Pair(left.Path("two"), right.Path("two"))});
    // Neither root holds a file of its own: the view drops both root rows as empty folders.
    for (size_t i = 1; i < files.ViewList.size(); ++i)
        ASSERT_FALSE(files.ViewList[i].Name(0).isEmpty() && files.ViewList[i].Name(1).isEmpty()) << "a root row is shown";
    SetOptions({true, false, false, false, true});
    Switches().DontAsk = true;

    ASSERT_TRUE(Sync());
    // 12 of the second pair's 12 files, not of both pairs' 52 or of the first pair's 40.
    EXPECT_TRUE(right.Exists("two/old/x12.txt"));
    EXPECT_TRUE(::Run().Refused);
}


TEST_F(SyncGuardsTest, PairsThatShareFoldersWithADeleteOptionRefuseUnattendedAndAskOtherwise) {
    Plant(left, {"data/a.txt", "data/inner/b.txt", "data2/c.txt"});
    Plant(right, {"one/", "two/", "three/"});
    const QList<FolderPair> pairs{Pair(left.Path("data"), right.Path("one")), Pair(left.Path("data2"), right.Path("three")),
                                  Pair(left.Path("data/inner"), right.Path("two"))};
    ComparePairs(pairs);
    SetOptions({true, false, false, false, true});
    const QStringList rightBefore = right.List();

    Switches().DontAsk = true;
    EXPECT_FALSE(Sync());
    EXPECT_EQ(right.List(), rightBefore);
    // "data2" beside "data" shares nothing: pairs 1 and 3 are named.
    const QStringList names{QStringLiteral("1 (%1 <-> %2)").arg(pairs[0].Dir[0], pairs[0].Dir[1]),
                            QStringLiteral("3 (%1 <-> %2)").arg(pairs[2].Dir[0], pairs[2].Dir[1])};
    EXPECT_EQ(LogLines(), QStringList{Stamped(FormatMsg(883, names))});
    EXPECT_EQ(LastErrorMsg(), FormatMsg(883, names));
    EXPECT_TRUE(::Run().Refused);

    ResetRunState();
    Switches().DontAsk = false;
    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(Sync());
    EXPECT_EQ(right.List(), rightBefore);
    EXPECT_EQ(host.messagesShown, QStringList{FormatMsg(884, names)});
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_TRUE(Sync());
    EXPECT_EQ(right.Read("two/b.txt"), QByteArray("data/inner/b.txt"));
    EXPECT_EQ(right.Read("three/c.txt"), QByteArray("data2/c.txt"));
    EXPECT_EQ(host.messagesShown.size(), 2);  // asked once per run
    EXPECT_FALSE(::Run().Refused);

    // Shared through a link: copies only harm nothing; a delete mask on one pair refuses.
    ResetRunState();
    Switches().DontAsk = true;
    SetOptions({true, false, false, false, false});
    Link(left.Path("data"), outside.Path("alias"));
    right.Folder("four");
    ComparePairs({Pair(left.Path("data"), right.Path("one")), Pair(outside.Path("alias"), right.Path("four"))});
    EXPECT_TRUE(Sync());
    EXPECT_TRUE(right.Exists("four/a.txt"));
    Plant(left, {"data/new.txt"});
    ComparePairs({Pair(left.Path("data"), right.Path("one")), Pair(outside.Path("alias"), right.Path("four"), "*.tmp")});
    EXPECT_FALSE(Sync());
    EXPECT_FALSE(right.Exists("one/new.txt"));
    EXPECT_TRUE(::Run().Refused);
}
