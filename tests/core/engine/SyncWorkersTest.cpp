// New small files of a run are copied on worker threads. What the run reports must not change:
// the log keeps the walk's order, a failure is reported for its own file, and after a cancel the
// tally and the log name exactly the files that are on the disk.

#include "SyncRunFixture.h"

#include "platform/CopyWorkers.h"

using namespace sync_run_test;

namespace {

QString Name(int i) { return QStringLiteral("d/f%1.txt").arg(i, 3, 10, QLatin1Char('0')); }
QByteArray Data(int i) { return "contents of file " + QByteArray::number(i); }

class SyncWorkersTest : public SyncRunTest {
protected:
    void SetUp() override {
        SyncRunTest::SetUp();
        // Workers even on a machine with one core.
        FileSystem::SetCopyWorkersForTests(2);
        Switches().DontAsk = true;
        Settings().LogChanges = true;
        SetOptions({true, false, false, false, false});
    }
    void TearDown() override {
        FileSystem::SetCopyWorkersForTests(-1);
        SyncRunTest::TearDown();
    }
    void NewFiles(int n, int size = 0) {
        for (int i = 0; i < n; ++i) left.File(Name(i), size ? QByteArray(size, char('a' + i % 26)) : Data(i), New);
        right.Folder("d");
    }
    // The changes the log names, in its order: "Copy d/f000.txt", "CreateFolder e".
    QStringList LoggedChanges() const {
        QStringList changes;
        for (const QString& line : LogLines()) {
            const QStringList fields = line.split('\t');
            if (fields.size() > 2 && (fields[1] == "Copy" || fields[1] == "CreateFolder"))
                changes << fields[1] + ' ' + fields[2].mid((fields[1] == "Copy" ? left : right).Path().size() + 1);
        }
        return changes;
    }
};

}  // namespace

// The walk's order across folders, a large file copied on the walk's own thread between files
// handed to the workers, and a name something takes after the compare: that copy alone is
// refused, reported for its own file, and the others go on.
TEST_F(SyncWorkersTest, TheLogKeepsTheWalksOrderAndAFailedCopyIsReportedForItsOwnFile) {
    NewFiles(60);
    left.File("d/f020.txu", QByteArray(3 << 20, 'L'), New);
    for (int i = 0; i < 30; ++i) left.File(QStringLiteral("e/g%1.txt").arg(i), Data(100 + i), New);
    Compare();
    right.File(Name(33), "taken meanwhile", Old);
    QStringList walk;
    for (size_t i = 1; i < files.ViewList.size(); ++i) {
        const CompareRow& r = files.ViewList[i];
        if (!r.Exists(0)) continue;  // the pair's own row
        if (r.IsFolder() && !r.Exists(1)) walk << "CreateFolder " + r.Folder[1].mid(right.Path().size() + 1);
        if (!r.IsFolder() && r.Name[0] != "f033.txt") walk << "Copy " + r.Folder[0].mid(left.Path().size() + 1) + r.Name[0];
    }
    ASSERT_TRUE(Sync());

    EXPECT_EQ(LoggedChanges().join(u'\n'), walk.join(u'\n'));
    EXPECT_EQ(::Run().Tally.Copied, 90);
    EXPECT_EQ(::Run().Tally.Skipped + ::Run().Tally.Failed, 1);
    ASSERT_EQ(::Run().Errors.size(), 1) << qPrintable(::Run().Errors.join(u'\n'));
    EXPECT_TRUE(::Run().Errors[0].contains(Name(33))) << qPrintable(::Run().Errors[0]);
    EXPECT_EQ(right.Read(Name(33)), QByteArray("taken meanwhile"));
    for (int i = 0; i < 60; ++i) EXPECT_TRUE(i == 33 || right.Read(Name(i)) == Data(i)) << qPrintable(Name(i));
    for (int i = 0; i < 30; ++i) EXPECT_EQ(right.Read(QStringLiteral("e/g%1.txt").arg(i)), Data(100 + i));
    EXPECT_EQ(right.Read("d/f020.txu"), QByteArray(3 << 20, 'L'));
    EXPECT_EQ(right.Modified(Name(7)), New);
}

TEST_F(SyncWorkersTest, ACancelAmongHandedOutCopiesCountsAndLogsExactlyTheFilesOnDisk) {
    // Files large enough that the walk hands out many before the first is done, small enough
    // for the workers: the cancel finds copies in work and copies not yet begun.
    const int n = 60;
    NewFiles(n, 256 << 10);
    Compare();
    Switches().DontAsk = false;  // with the progress window, whose Cancel this is
    host.onProgress = [&](int64_t, int64_t) { ::Run().CancelRequested = true; };
    ASSERT_TRUE(Sync());

    EXPECT_TRUE(::Run().Tally.Cancelled);
    // The files never begun are neither copies nor failures.
    EXPECT_EQ(::Run().Tally.Failed, 0);
    EXPECT_TRUE(::Run().Errors.isEmpty()) << qPrintable(::Run().Errors.join(u'\n'));
    const QStringList onDisk = Entries(right.Path("d"));  // temporaries included
    EXPECT_LT(onDisk.size(), n);
    EXPECT_EQ(::Run().Tally.Copied, onDisk.size());
    EXPECT_EQ(LoggedChanges().filter(QRegularExpression("^Copy ")).size(), onDisk.size());
    for (const QString& name : onDisk) EXPECT_EQ(right.Read("d/" + name), left.Read("d/" + name));
}
