// The guards of the synchronisation run on real trees: nothing deleted opposite a root that was
// missing, no mass deletion without a question, no deleting run over pairs that share folders.

#include "SyncRunFixture.h"
#include "engine/RunReport.h"

#include <QFile>

using namespace sync_run_test;

namespace {

class SyncGuardsTest : public SyncRunTest {
protected:
    // n files "<prefix>01.txt" ... in the folder, each holding its own name.
    static void Files(TempTree& tree, const QString& prefix, int n, const QDateTime& modified = Old) {
        for (int i = 1; i <= n; ++i) {
            const QString name = prefix + QStringLiteral("%1.txt").arg(i, 2, 10, QLatin1Char('0'));
            tree.File(name, name.toUtf8(), modified);
        }
    }
    static void Empty(TempTree& tree) {
        QDir dir(tree.Path());
        for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            QFileInfo info(dir.filePath(name));
            if (info.isDir() && !info.isSymLink()) QDir(info.filePath()).removeRecursively();
            else QFile::remove(info.filePath());
        }
    }
    QString Line(const QString& text) const { return QStringLiteral("2026-04-02 09:00:00\t") + text; }
    QString Start() const { return Line(QStringLiteral("Start\t/profiles/test.tdp")); }
    QString End() const { return Line(QStringLiteral("End\t/profiles/test.tdp")); }
};

}  // namespace

// ---- a root that was missing at the compare ----

TEST_F(SyncGuardsTest, NothingIsDeletedOppositeAMissingRoot) {
    TempTree outer;
    const QString unplugged = outer.Path(QStringLiteral("unplugged"));
    right.File(QStringLiteral("a.txt"), "a");
    right.File(QStringLiteral("d/b.txt"), "b");
    const QStringList before = right.List();
    FolderPair pair = Pair(unplugged, right.Path());
    pair.AutoCreate[0] = true;
    ComparePairs({pair});
    SetOptions({true, false, false, false, true});  // a mirror of the missing folder
    Switches().DontAsk = true;

    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List(), before);
    EXPECT_EQ(right.Read(QStringLiteral("d/b.txt")), QByteArray("b"));
    EXPECT_FALSE(QFileInfo::exists(unplugged));  // nothing goes toward it in this direction
    const QString why = FormatMsg(880, {unplugged, right.Path(), QStringLiteral("2")});
    EXPECT_EQ(LogLines(), QStringList({Start(), Line(why), End()}));
    EXPECT_EQ(LastErrorMsg(), why);
    EXPECT_TRUE(::Run().ErrorReported);  // a part of the run was left out: exit status 1
    EXPECT_FALSE(::Run().Refused);
}

TEST_F(SyncGuardsTest, EntriesOppositeACreatedRootAreCopiedWhereTheDirectionAllows) {
    for (int missing = 0; missing < 2; ++missing) {
        SCOPED_TRACE(missing);
        TempTree outer;
        TempTree& present = missing == 0 ? right : left;
        Empty(present);
        present.File(QStringLiteral("a.txt"), "a");
        present.File(QStringLiteral("d/b.txt"), "b");
        const QString created = outer.Path(QStringLiteral("new"));
        FolderPair pair = missing == 0 ? Pair(created, right.Path()) : Pair(left.Path(), created);
        pair.AutoCreate[static_cast<size_t>(missing)] = true;
        ComparePairs({pair});
        // Copy toward the missing root, and delete one-sided entries on the side that has them.
        if (missing == 0) SetOptions({false, true, false, false, true});
        else SetOptions({true, false, false, true, false});
        host.queuedAnswers = {MsgBox::OK};  // the notice of the deletions left out

        ASSERT_TRUE(Sync());
        EXPECT_EQ(present.List(), QStringList({QStringLiteral("a.txt"), QStringLiteral("d/"), QStringLiteral("d/b.txt")}));
        EXPECT_TRUE(QFileInfo::exists(created + QStringLiteral("/d/b.txt")));
        QFile copy(created + QStringLiteral("/a.txt"));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), QByteArray("a"));
        EXPECT_TRUE(host.queuedAnswers.isEmpty());
    }
}

// ---- mass deletion ----

TEST_F(SyncGuardsTest, UnattendedMassDeletionDeletesNothingOnThatSideAndRefuses) {
    left.File(QStringLiteral("keep.txt"), "new", New);
    right.File(QStringLiteral("keep.txt"), "old", Old);
    Files(right, QStringLiteral("extra/x"), 12);
    const QStringList rightBefore = right.List();
    SetOptions({true, false, false, false, true});
    Compare();
    Switches().DontAsk = true;

    ASSERT_TRUE(Sync());
    // The deletions are held; the copy still ran.
    EXPECT_EQ(right.List(), rightBefore);
    EXPECT_EQ(right.Read(QStringLiteral("keep.txt")), QByteArray("new"));
    EXPECT_EQ(right.Read(QStringLiteral("extra/x12.txt")), QByteArray("extra/x12.txt"));
    const QString why = FormatMsg(882, {QStringLiteral("12"), QStringLiteral("13"), right.Path(), QStringLiteral("50")});
    EXPECT_EQ(LogLines(), QStringList({Start(), Line(why), End()}));
    EXPECT_EQ(LastErrorMsg(), why);
    EXPECT_TRUE(::Run().Refused);
    EXPECT_EQ(host.messagesShown, QStringList());
}

TEST_F(SyncGuardsTest, InteractiveMassDeletionAsksOncePerSideAndNoKeepsThatSide) {
    left.File(QStringLiteral("both.txt"), "b", Old);
    right.File(QStringLiteral("both.txt"), "b", Old);
    Files(left, QStringLiteral("l"), 12);
    Files(right, QStringLiteral("r"), 11);
    const QStringList leftBefore = left.List();
    SetOptions({false, false, false, true, true});
    Compare();
    host.queuedAnswers = {MsgBox::No, MsgBox::Yes};  // keep the left, delete on the right

    ASSERT_TRUE(Sync());
    EXPECT_EQ(host.messagesShown,
              QStringList({FormatMsg(881, {QStringLiteral("12"), QStringLiteral("13"), left.Path(), QStringLiteral("50")}),
                           FormatMsg(881, {QStringLiteral("11"), QStringLiteral("12"), right.Path(), QStringLiteral("50")})}));
    EXPECT_EQ(left.List(), leftBefore);
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("both.txt")});
    EXPECT_FALSE(::Run().Refused);
    EXPECT_EQ(LogLines(), QStringList({Start(), End()}));
    // Kept because the user said No: no error, and the status line says so.
    EXPECT_EQ(::Run().Tally.Declined, 12);
    EXPECT_EQ(::Run().Tally.Skipped, 0);
    EXPECT_EQ(RunOutcomeText(), FormatMsg(1288, {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("11"), QStringLiteral("12")}));
}

TEST_F(SyncGuardsTest, MassDeletionLimits) {
    SetOptions({true, false, false, false, true});
    Switches().DontAsk = true;
    struct Case {
        const char* what;
        int shared, extra, percent;
        bool held;
    };
    const Case cases[] = {
        {"ten files are never a mass deletion", 0, 10, 50, false},
        {"exactly the limit is allowed", 11, 11, 50, false},
        {"one more than the limit", 10, 11, 50, true},
        {"100 turns the guard off", 0, 30, 100, false},
        {"an empty source root counts as every file gone", 0, 11, 99, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Empty(left);
        Empty(right);
        ResetRunState();
        Files(left, QStringLiteral("s"), c.shared);
        Files(right, QStringLiteral("s"), c.shared);
        Files(right, QStringLiteral("x"), c.extra);
        Settings().MaxDeletePercent = c.percent;
        Compare();
        ASSERT_TRUE(Sync());
        EXPECT_EQ(right.Exists(QStringLiteral("x01.txt")), c.held);
        EXPECT_EQ(::Run().Refused, c.held);
    }
}

TEST_F(SyncGuardsTest, DeleteMaskDeletionsCountTowardTheGuard) {
    Files(left, QStringLiteral("cache/t"), 12);
    for (int i = 1; i <= 12; ++i)
        QFile::rename(left.Path(QStringLiteral("cache/t%1.txt").arg(i, 2, 10, QLatin1Char('0'))),
                      left.Path(QStringLiteral("cache/t%1.tmp").arg(i, 2, 10, QLatin1Char('0'))));
    left.File(QStringLiteral("work.txt"), "w");
    const QStringList leftBefore = left.List();
    SetOptions({true, false, false, false, false});
    Compare(QStringLiteral("*.tmp"));
    host.queuedAnswers = {MsgBox::No};

    ASSERT_TRUE(Sync());
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_EQ(host.messagesShown[0],
              FormatMsg(881, {QStringLiteral("12"), QStringLiteral("13"), left.Path(), QStringLiteral("50")}));
    EXPECT_EQ(left.List(), leftBefore);
    EXPECT_EQ(right.Read(QStringLiteral("work.txt")), QByteArray("w"));

    // A one-sided file that also matches the masks is deleted once, so it counts once: 6 of
    // 12 files, no question.
    Empty(left);
    Empty(right);
    Files(left, QStringLiteral("s"), 6);
    Files(right, QStringLiteral("s"), 6);
    for (int i = 1; i <= 6; ++i) left.File(QStringLiteral("t%1.tmp").arg(i), "t", Old);
    SetOptions({true, false, false, true, false});
    Compare(QStringLiteral("*.tmp"));
    host.messagesShown.clear();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(host.messagesShown, QStringList());
    EXPECT_FALSE(left.Exists(QStringLiteral("t6.tmp")));
}

TEST_F(SyncGuardsTest, EachPairIsCountedOnItsOwnEvenWhereTheListHidesItsRootRow) {
    // Enough files in the first pair that its 12 deletions, were they counted there, would
    // stay under the limit.
    Files(left, QStringLiteral("one/keep/k"), 40);
    Files(right, QStringLiteral("one/keep/k"), 40);
    left.Folder(QStringLiteral("two"));
    Files(right, QStringLiteral("two/old/x"), 12);
    ComparePairs({Pair(left.Path(QStringLiteral("one")), right.Path(QStringLiteral("one"))),
                  Pair(left.Path(QStringLiteral("two")), right.Path(QStringLiteral("two")))});
    // Neither root holds a file of its own: the view drops both root rows as empty folders.
    for (size_t i = 1; i < files.ViewList.size(); ++i)
        ASSERT_FALSE(files.ViewList[i].Name[0].isEmpty() && files.ViewList[i].Name[1].isEmpty()) << "a root row is shown";
    SetOptions({true, false, false, false, true});
    Switches().DontAsk = true;

    ASSERT_TRUE(Sync());
    // 12 of the second pair's 12 files, not 12 of both pairs' 52 or of the first pair's 40.
    EXPECT_TRUE(right.Exists(QStringLiteral("two/old/x12.txt")));
    EXPECT_TRUE(::Run().Refused);
}

// ---- pairs that share folders ----

TEST_F(SyncGuardsTest, NestedPairsWithADeleteOptionRefuseUnattendedAndAskOtherwise) {
    left.File(QStringLiteral("data/a.txt"), "a");
    left.File(QStringLiteral("data/inner/b.txt"), "b");
    left.File(QStringLiteral("data2/c.txt"), "c");
    right.Folder(QStringLiteral("one"));
    right.Folder(QStringLiteral("two"));
    right.Folder(QStringLiteral("three"));
    const QList<FolderPair> pairs{Pair(left.Path(QStringLiteral("data")), right.Path(QStringLiteral("one"))),
                                  Pair(left.Path(QStringLiteral("data2")), right.Path(QStringLiteral("three"))),
                                  Pair(left.Path(QStringLiteral("data/inner")), right.Path(QStringLiteral("two")))};
    ComparePairs(pairs);
    SetOptions({true, false, false, false, true});
    const QStringList rightBefore = right.List();

    Switches().DontAsk = true;
    EXPECT_FALSE(Sync());
    EXPECT_EQ(right.List(), rightBefore);
    // "data2" beside "data" shares nothing: pairs 1 and 3 are named.
    const QStringList names{QStringLiteral("1 (%1 <-> %2)").arg(pairs[0].Dir[0], pairs[0].Dir[1]),
                            QStringLiteral("3 (%1 <-> %2)").arg(pairs[2].Dir[0], pairs[2].Dir[1])};
    const QString why = FormatMsg(883, names);
    EXPECT_EQ(LogLines(), QStringList{Line(why)});
    EXPECT_EQ(LastErrorMsg(), why);
    EXPECT_TRUE(::Run().Refused);

    ResetRunState();
    Switches().DontAsk = false;
    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(Sync());
    EXPECT_EQ(right.List(), rightBefore);
    EXPECT_EQ(host.messagesShown, QStringList{FormatMsg(884, names)});
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_TRUE(Sync());
    EXPECT_EQ(right.Read(QStringLiteral("two/b.txt")), QByteArray("b"));
    EXPECT_EQ(right.Read(QStringLiteral("three/c.txt")), QByteArray("c"));
    EXPECT_EQ(host.messagesShown.size(), 2);  // asked once per run
    EXPECT_FALSE(::Run().Refused);
}

TEST_F(SyncGuardsTest, ASharedFolderIsFoundThroughALinkAndOnlyMattersWhenSomethingIsDeleted) {
    TempTree outer;
    left.File(QStringLiteral("data/a.txt"), "a");
    ASSERT_TRUE(QFile::link(left.Path(QStringLiteral("data")), outer.Path(QStringLiteral("alias"))));
    right.Folder(QStringLiteral("one"));
    right.Folder(QStringLiteral("two"));
    Switches().DontAsk = true;
    SetOptions({true, false, false, false, false});

    // Copies only: two pairs reading one folder harm nothing.
    ComparePairs({Pair(left.Path(QStringLiteral("data")), right.Path(QStringLiteral("one"))),
                  Pair(outer.Path(QStringLiteral("alias")), right.Path(QStringLiteral("two")))});
    EXPECT_TRUE(Sync());
    EXPECT_TRUE(right.Exists(QStringLiteral("two/a.txt")));
    EXPECT_FALSE(::Run().Refused);

    // A delete mask on one of them: the run refuses.
    left.File(QStringLiteral("data/b.txt"), "b");
    ComparePairs({Pair(left.Path(QStringLiteral("data")), right.Path(QStringLiteral("one"))),
                  Pair(outer.Path(QStringLiteral("alias")), right.Path(QStringLiteral("two")), QStringLiteral("*.tmp"))});
    EXPECT_FALSE(Sync());
    EXPECT_FALSE(right.Exists(QStringLiteral("one/b.txt")));
    EXPECT_TRUE(::Run().Refused);
}
