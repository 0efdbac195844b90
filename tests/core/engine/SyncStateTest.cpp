// The remembered state of two-way pairs and the names under which a run keeps a replaced
// version: a run that dies while writing leaves the state of the run before, a damaged store is
// refused (the run then works without it), and every conflict name fits where it goes.

#include "config/Profile.h"
#include "engine/ConflictCopies.h"
#include "engine/FileView.h"
#include "platform/PathCodec.h"
#include "platform/SyncStateStore.h"
#include "support/TempTree.h"

#include <QFile>

#include <functional>
#include <map>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using SyncState::StoredEntry;

const QDateTime kWhen(QDate(2026, 12, 7), QTime(9, 5, 59));

struct NameCase {
    const char* name;
    int counter;
    int limit;
    const char* expected;  // nullptr: no name fits
};

const NameCase kNames[] = {
    {"report.odt", 1, 255, "report (conflict 2026-12-07 0905).odt"},
    {"report.odt", 3, 255, "report (conflict 2026-12-07 0905 3).odt"},
    {"archive.tar.gz", 1, 255, "archive.tar (conflict 2026-12-07 0905).gz"},
    {"README", 1, 255, "README (conflict 2026-12-07 0905)"},
    {".bashrc", 1, 255, ".bashrc (conflict 2026-12-07 0905)"},
    // The stem gives way, a whole character at a time; the extension and the tag stay.
    {"abcdefghij.txt", 1, 36, "abcde (conflict 2026-12-07 0905).txt"},
    {"\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f.txt", 1, 36, "\xc3\xa4\xc3\xb6 (conflict 2026-12-07 0905).txt"},
    {"\xf0\x9f\x98\x80\xf0\x9f\x98\x80.txt", 1, 37, "\xf0\x9f\x98\x80 (conflict 2026-12-07 0905).txt"},
    {"ab.txt", 1, 31, nullptr},
};

TEST(SyncStateConflictName, FollowsTheNamingRules) {
    for (const NameCase& c : kNames) {
        const QString name = ConflictName(QString::fromUtf8(c.name), kWhen, c.counter, c.limit);
        if (!c.expected) {
            EXPECT_TRUE(name.isEmpty()) << c.name << " gave " << name.toStdString();
            continue;
        }
        EXPECT_EQ(name, QString::fromUtf8(c.expected)) << c.name;
        EXPECT_LE(PathCodec::Encode(name).size(), c.limit) << c.name;
    }
}

StoredEntry FileEntry(int64_t size, int64_t mtime) {
    StoredEntry e;
    e.size[0] = e.size[1] = size;
    e.mtime[0] = e.mtime[1] = mtime;
    return e;
}

class SyncStateStoreTest : public ::testing::Test {
protected:
    TempTree tree;
    QString Database() const { return SyncState::DatabasePathIn(tree.Path(QStringLiteral("state"))); }
    const QString left = QStringLiteral("/data/left/");
    const QString right = QStringLiteral("/backup/right/");

    void WriteFirstRun() {
        SyncState::Store store;
        ASSERT_TRUE(store.Open(Database())) << store.Error().toStdString();
        SyncState::Writer w = store.Write();
        ASSERT_TRUE(w.SelectPair(left, right));
        ASSERT_TRUE(w.Put(QString(), QStringLiteral("a.txt"), FileEntry(10, 1000)));
        // A name that is no valid UTF-8 comes back exactly.
        ASSERT_TRUE(w.Put(QStringLiteral("sub/"), PathCodec::Decode(QByteArray("caf\xe9.txt")), FileEntry(20, 2000)));
        ASSERT_TRUE(w.Commit()) << store.Error().toStdString();
    }
    SyncState::StoredEntries Read(bool* known = nullptr) {
        SyncState::Store store;
        SyncState::StoredEntries entries;
        EXPECT_TRUE(store.Open(Database())) << store.Error().toStdString();
        const int64_t id = store.PairId(left, right);
        if (known) *known = id >= 0;
        if (id >= 0) {
            EXPECT_TRUE(store.LoadAll(id, entries)) << store.Error().toStdString();
        }
        return entries;
    }
};

TEST_F(SyncStateStoreTest, ARunKilledWhileWritingLeavesTheStateBeforeIt) {
    WriteFirstRun();
    // The second run dies after it wrote its changes and before it committed them.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SyncState::Store store;
        if (!store.Open(Database())) _exit(3);
        SyncState::Writer w = store.Write();
        if (!w.SelectPair(left, right) || !w.Remove(QString(), QStringLiteral("a.txt")) ||
            !w.Put(QString(), QStringLiteral("b.txt"), FileEntry(30, 3000)))
            _exit(4);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    bool known = false;
    const SyncState::StoredEntries entries = Read(&known);
    EXPECT_TRUE(known);
    EXPECT_EQ(entries.size(), 2);
    ASSERT_TRUE(entries.Find(QStringLiteral("a.txt")));
    EXPECT_EQ(*entries.Find(QStringLiteral("a.txt")), FileEntry(10, 1000));
    ASSERT_TRUE(entries.Find(QStringLiteral("sub/") + PathCodec::Decode(QByteArray("caf\xe9.txt"))));
    EXPECT_EQ(*entries.Find(QStringLiteral("sub/") + PathCodec::Decode(QByteArray("caf\xe9.txt"))), FileEntry(20, 2000));
    EXPECT_FALSE(entries.Find(QStringLiteral("b.txt")));
}

TEST_F(SyncStateStoreTest, PairsAreKeptApartAndADamagedStoreIsRefused) {
    WriteFirstRun();
    SyncState::Store store;
    ASSERT_TRUE(store.Open(Database()));
    EXPECT_LT(store.PairId(right, left), 0) << "the same folders the other way round are another pair";

    QFile damaged(Database());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    SyncState::Store reopened;
    EXPECT_FALSE(reopened.Open(Database()));
    EXPECT_FALSE(reopened.Error().isEmpty());
    // Set aside: the next run begins a new state (without any pair's entries).
    EXPECT_TRUE(QFile::exists(Database() + QStringLiteral(".damaged")));
    SyncState::Store fresh;
    ASSERT_TRUE(fresh.Open(Database())) << fresh.Error().toStdString();
    EXPECT_LT(fresh.PairId(left, right), 0);
}

// The window's conflict filter (toolbar 1, "#5") lists the conflicts with their folders.
// The state of an older form of the program is begun anew (its pairs run as for the first
// time); that of a newer one is left as it is, and this run works without state.
TEST_F(SyncStateStoreTest, AnOlderFormIsBegunAnewANewerOneIsLeftAlone) {
    for (const int step : {-1, 1}) {
        WriteFirstRun();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Database().toUtf8().constData(), &db), SQLITE_OK);
        const auto exec = [db](const QByteArray& sql) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
            const int result = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : 0;
            sqlite3_finalize(st);
            return result;
        };
        exec("PRAGMA user_version = " + QByteArray::number(exec("PRAGMA user_version") + step));
        sqlite3_close(db);
        SyncState::Store store;
        const bool opened = store.Open(Database());
        EXPECT_EQ(opened, step < 0) << step << ": " << store.Error().toStdString();
        if (opened) EXPECT_LT(store.PairId(left, right), 0) << "an older form's pairs are forgotten";
        else EXPECT_TRUE(store.Error().contains(QLatin1String("newer"))) << store.Error().toStdString();
        EXPECT_TRUE(QFile::exists(Database()));
        EXPECT_FALSE(QFile::exists(Database() + QStringLiteral(".damaged")));
        QFile::remove(Database());
    }
}

// A run's changes are kept apart and folded into the entries now and then: every read gives the
// same before and after the fold, an entry forgotten since included.
TEST_F(SyncStateStoreTest, ChangesReadTheSameWhetherFoldedOrNot) {
    const QString d = QStringLiteral("d/");
    for (const int64_t foldAfter : {1000, 2}) {  // never folded; folded at every commit
        QFile::remove(Database());
        SyncState::Store store(foldAfter);
        ASSERT_TRUE(store.Open(Database())) << store.Error().toStdString();
        const auto run = [&](const std::function<void(SyncState::Writer&)>& changes) {
            SyncState::Writer w = store.Write();
            ASSERT_TRUE(w.SelectPair(left, right));
            changes(w);
            ASSERT_TRUE(w.Commit()) << store.Error().toStdString();
        };
        run([&](SyncState::Writer& w) {
            ASSERT_TRUE(w.Put(QString(), QStringLiteral("a.txt"), FileEntry(1, 1)));
            ASSERT_TRUE(w.Put(d, QStringLiteral("b.txt"), FileEntry(2, 2)));
            ASSERT_TRUE(w.Put(d, QStringLiteral("c.txt"), FileEntry(3, 3)));
        });
        run([&](SyncState::Writer& w) {
            ASSERT_TRUE(w.Put(d, QStringLiteral("b.txt"), FileEntry(20, 20)));
            ASSERT_TRUE(w.Remove(d, QStringLiteral("c.txt")));
            ASSERT_TRUE(w.Put(d, QStringLiteral("e.txt"), FileEntry(5, 5)));
        });
        const int64_t pair = store.PairId(left, right);
        SyncState::StoredEntries all, folder;
        ASSERT_TRUE(store.LoadAll(pair, all));
        ASSERT_TRUE(store.LoadFolder(pair, d, folder));
        std::map<QString, StoredEntry> read;
        for (int64_t e = 0; e < all.size(); ++e) read[all.PathAt(e).toString()] = all.At(e);
        for (int64_t e = 0; e < folder.size(); ++e) read[QStringLiteral("in d: ").append(folder.PathAt(e))] = folder.At(e);
        for (const QString& name : {QStringLiteral("b.txt"), QStringLiteral("c.txt")}) {
            StoredEntry found;
            bool there = false;
            ASSERT_TRUE(store.Find(pair, d, name, found, there));
            if (there) read[QStringLiteral("found ") + name] = found;
        }
        const std::map<QString, StoredEntry> expected = {
            {QStringLiteral("a.txt"), FileEntry(1, 1)},          {QStringLiteral("d/b.txt"), FileEntry(20, 20)},
            {QStringLiteral("d/e.txt"), FileEntry(5, 5)},        {QStringLiteral("in d: b.txt"), FileEntry(20, 20)},
            {QStringLiteral("in d: e.txt"), FileEntry(5, 5)},    {QStringLiteral("found b.txt"), FileEntry(20, 20)}};
        EXPECT_EQ(read, expected) << "folded after " << foldAfter;
    }
}

TEST(SyncStateEntries, EveryPathIsFoundWholeOrInItsTwoPieces) {
    SyncState::StoredEntries entries;
    const auto pathOf = [](int i) { return QStringLiteral("d%1/sub/file%2.txt").arg(i % 37).arg(i); };
    constexpr int kPaths = 5000;  // enough to grow the table many times
    for (int i = 0; i < kPaths; ++i) entries.Add(pathOf(i), FileEntry(i, i));
    entries.Add(pathOf(7), FileEntry(1, 1));  // a path that is there keeps its first entry
    ASSERT_EQ(entries.size(), kPaths);
    for (int i = 0; i < kPaths; ++i) {
        const QString path = pathOf(i);
        const qsizetype cut = path.lastIndexOf(QLatin1Char('/')) + 1;
        const int64_t whole = entries.IndexOf(path);
        ASSERT_NE(whole, SyncState::StoredEntries::kNone) << i;
        EXPECT_EQ(entries.IndexOf(QStringView(path).left(cut), QStringView(path).mid(cut)), whole) << i;
        EXPECT_EQ(entries.PathAt(whole), path);
        EXPECT_EQ(entries.At(whole), FileEntry(i, i));
    }
    for (const QString& absent : {QStringLiteral("d2/sub/file38.txt"), QStringLiteral("d1/sub/"), QString()})
        EXPECT_EQ(entries.IndexOf(absent), SyncState::StoredEntries::kNone) << absent.toStdString();
}

TEST(SyncStateView, TheConflictFilterShowsConflictsOnly) {
    FileView view;
    auto add = [&view](const char* name, bool folder, bool conflict) {
        CompareRow& row = view.Results.emplace_back();
        row.SetName(0, QString::fromLatin1(name));
        row.SetName(1, row.Name(0));
        row.SetFolder(0, QStringLiteral("/r/"));
        row.SetFolder(1, row.Folder(0));
        if (folder) row.Attributes[0] = row.Attributes[1] = Attr::Directory;
        row.SyncAction = conflict || !folder ? SyncAction::LeftToRight : SyncAction::NoAction;
        row.Conflict = conflict;
    };
    add("sub", true, false);
    add("edited.txt", false, false);
    add("both.txt", false, true);
    ViewOptions options;
    options.ShowEmptyFolders = true;
    view.UpdateFilesView(5, options);
    QStringList shown;
    for (size_t i = 1; i < view.ViewList.size(); ++i) shown << view.ViewList[i].Name(0);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("sub"), QStringLiteral("both.txt")}));
}

}  // namespace
