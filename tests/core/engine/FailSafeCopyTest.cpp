// The fail-safe copy on real files: what arrives (data, mode, time, the user's attributes),
// what stays when any step of it fails or its source or destination changes meanwhile, the
// replacements that wait in a batch, and the temporaries a killed copy leaves.

#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/ReplacementBatch.h"
#include "support/FailingDevice.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"


#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using Point = FailingDevice::Point;
constexpr int64_t kMiB = int64_t{1} << 20;

QByteArray Encoded(const QString& path) { return PathCodec::Encode(path); }
QString Name(int i) { return QStringLiteral("f%1.txt").arg(i); }
QByteArray OldData(int i) { return "old version of " + QByteArray::number(i); }
QByteArray NewData(int i) { return QByteArray(5000 + i, static_cast<char>('a' + i)); }

QByteArray Pattern(qsizetype size, char seed) {
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) data[i] = static_cast<char>(seed + (i * 7) % 251);
    return data;
}

struct stat Stat(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(PathCodec::Encode(path).constData(), &st), 0) << qPrintable(path);
    return st;
}

bool Copy(const QString& from, const QString& to, const FileSystem::CopyProgress& progress = {},
          const std::atomic<bool>* cancel = nullptr, const FileSystem::SeenEntry& seen = {}) {
    return FileSystem::CopyFile(from, to, progress, cancel, seen);
}

}  // namespace

// Data, nanosecond time and mode over an old file and into new ones, whatever the umask strips
// (new files in one folder share the folder's handle during a run); a link arrives as a link.
TEST(FailSafeCopy, CopiesDataModeNanosecondTimeAndLinksAsLinks) {
    TempTree t;
    const QByteArray data = Pattern(3 * 1024 * 1024 + 17, 'a');
    const QString src = t.File(QStringLiteral("src/big.bin"), data);
    const QString dst = t.File(QStringLiteral("dst/big.bin"), "old");
    const struct timespec times[2] = {{1700000000, 123456789}, {1600000000, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, PathCodec::Encode(src).constData(), times, 0), 0);
    const mode_t oldMask = ::umask(077);
    const FileSystem::FolderHandleScope scope;
    for (const mode_t mode : {0640, 0755, 0444, 0644}) {
        ASSERT_EQ(::chmod(PathCodec::Encode(src).constData(), mode), 0);
        const QString to = mode == 0640 ? dst : t.Path(QStringLiteral("dst/new%1").arg(mode));
        int64_t lastCopied = -1;
        ASSERT_TRUE(Copy(src, to, [&](int64_t, int64_t copied) { lastCopied = copied; })) << mode;
        EXPECT_EQ(Stat(to).st_mode & 07777, mode);
        EXPECT_EQ(lastCopied, data.size());
    }
    ::umask(oldMask);
    EXPECT_EQ(t.Read(QStringLiteral("dst/big.bin")), data);
    EXPECT_EQ(Stat(dst).st_mtim.tv_nsec, 987654321);
    ASSERT_EQ(::symlink("big.bin", PathCodec::Encode(t.Path(QStringLiteral("src/link"))).constData()), 0);
    ASSERT_TRUE(Copy(t.Path(QStringLiteral("src/link")), dst));
    EXPECT_TRUE(S_ISLNK(Stat(dst).st_mode));
    EXPECT_EQ(Temporaries(t.Path(QStringLiteral("dst"))), QStringList());
}

// A sparse file keeps its holes, and the user's extended attributes travel (into a new file and
// over an old one) while the program's own marks stay behind.
TEST(FailSafeCopy, HolesAndTheUsersAttributesArriveTheProgramsMarksDoNot) {
    TempTree t;
    const QString src = t.Path(QStringLiteral("sparse.img"));
    const int fd = ::open(Encoded(src).constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "data", 4, 16 * kMiB), 4);
    ::close(fd);
    const std::pair<const char*, bool> attributes[] = {
        {"user.xdg.origin.url", true}, {"user.tandor.archive", false}, {"user.tandor.temporary", false}};
    for (const auto& [name, travels] : attributes) {
        if (::setxattr(Encoded(src).constData(), name, "v", 1, 0) != 0) {
            GTEST_SKIP() << "no user attributes here";
        }
    }
    const bool keepsHoles = Stat(src).st_blocks * 512 < kMiB;
    t.File(QStringLiteral("old.img"), "old");
    for (const QString& to : {t.Path(QStringLiteral("new.img")), t.Path(QStringLiteral("old.img"))}) {
        ASSERT_TRUE(Copy(src, to)) << qPrintable(to);
        EXPECT_EQ(Stat(to).st_size, 16 * kMiB + 4);
        if (keepsHoles) {
            EXPECT_LT(Stat(to).st_blocks * 512, kMiB) << qPrintable(to);
        }
        for (const auto& [name, travels] : attributes) {
            EXPECT_EQ(::getxattr(Encoded(to).constData(), name, nullptr, 0) >= 0, travels) << name << qPrintable(to);
        }
    }
    EXPECT_EQ(t.Read(QStringLiteral("old.img")), t.Read(QStringLiteral("sparse.img")));
}

// Every step of the copy that can fail, on the three ways a copy goes: over an existing file,
// into a new unnamed file, and into a named temporary file where the file system has no unnamed
// files. The fault is the system's answer at that step; the copy must report it, keep the old
// destination (or none) and leave no temporary file.
TEST(FailSafeCopy, AFailureAtAnyStepKeepsTheOldDestinationAndLeavesNoTemporary) {
    enum Way { Replace, NewUnnamed, NewNamed };
    struct Case {
        const char* what;
        Point point;
        int err;  // ECANCELED: no fault, the copy is cancelled after its first data
    };
    const Case cases[] = {
        {"creating the file", Point::Create, EROFS}, {"the data", Point::Data, ENOSPC},
        {"the sync", Point::Sync, EIO},              {"the checked close", Point::Close, EIO},
        {"the final name", Point::Name, EIO},        {"cancelled", Point::Data, ECANCELED},
    };
    TempTree t;
    const QString src = t.File(QStringLiteral("src.bin"), Pattern(9 * 1024 * 1024, 'c'));
    for (const Way way : {Replace, NewUnnamed, NewNamed}) {
        const QString out = t.Folder(QStringLiteral("out%1").arg(way));
        const QString dst = out + QStringLiteral("/dst.bin");
        if (way == Replace) t.File(QStringLiteral("out0/dst.bin"), "old");
        for (const Case& c : cases) {
            if (c.point == Point::Sync && way != Replace) continue;  // a new file is never synced
            SCOPED_TRACE(std::string(c.what) + ", way " + std::to_string(way));
            FailingDevice device;
            if (way == NewNamed) device.Fail(Point::CreateUnnamed, QString(), EOPNOTSUPP);
            const bool unnamed = way == NewUnnamed && c.point == Point::Create;
            if (c.err != ECANCELED) device.Fail(unnamed ? Point::CreateUnnamed : c.point, dst, c.err);
            std::atomic<bool> cancel{false};
            EXPECT_FALSE(Copy(src, dst, [&](int64_t, int64_t) { cancel = c.err == ECANCELED; }, &cancel));
            EXPECT_EQ(FileSystem::LastError(), c.err);
            EXPECT_EQ(Entries(out), way == Replace ? QStringList{QStringLiteral("dst.bin")} : QStringList());
            if (way == Replace) {
                EXPECT_EQ(t.Read(QStringLiteral("out0/dst.bin")), QByteArray("old"));
            }
            const std::vector<Point> steps = device.Steps(dst);
            const bool namedTemporary = std::find(steps.begin(), steps.end(), Point::Create) != steps.end();
            EXPECT_EQ(namedTemporary, way != NewUnnamed);  // the way under test was the one taken
        }
    }
    // The faults end with their plan, and what the copy learnt under them is forgotten.
    FailingDevice watching;
    ASSERT_TRUE(Copy(src, t.Path(QStringLiteral("out1/dst.bin"))));
    EXPECT_EQ(watching.Steps(QStringLiteral("dst.bin")).front(), Point::CreateUnnamed);
    EXPECT_EQ(t.Read(QStringLiteral("out1/dst.bin")).size(), 9 * 1024 * 1024);
}

// A replacement outside a batch (no run holds one, or the run's is full) is synced on its own
// and checked once more right before its rename.
TEST(FailSafeCopy, AReplacementOnItsOwnIsSyncedAndCheckedRightBeforeItsRename) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.txt"), "new");
    const QString dst = t.File(QStringLiteral("out/dst.txt"), "old");
    {
        FailingDevice device;
        ASSERT_TRUE(Copy(src, dst, {}, nullptr, SeenNow(dst)));
        const std::vector<Point> steps = device.Steps(dst);
        // The data is durable before the name.
        EXPECT_LT(std::find(steps.begin(), steps.end(), Point::Sync), std::find(steps.begin(), steps.end(), Point::Name));
    }
    t.File(QStringLiteral("src.txt"), Pattern(4 * 1024 * 1024, 'e'));
    const FileSystem::SeenEntry seen = SeenNow(dst);
    bool saved = false;
    EXPECT_FALSE(Copy(src, dst, [&](int64_t, int64_t) {
        if (!std::exchange(saved, true)) t.File(QStringLiteral("out/dst.txt"), "saved by the user meanwhile");
    }, nullptr, seen));
    EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrChangedSinceCompare);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.txt")), QByteArray("saved by the user meanwhile"));
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

TEST(FailSafeCopy, ANameThatAppearedSinceTheCompareIsNeverTakenAndOneThatAppearsUnseenIsReplacedWhole) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.bin"), Pattern(2 * 1024 * 1024, 'm'));
    for (const QString& folder : {QStringLiteral("unnamed"), QStringLiteral("named")}) {
        t.Folder(folder);
        FailingDevice device;
        if (folder == QStringLiteral("named")) device.Fail(Point::CreateUnnamed, QString(), EOPNOTSUPP, 0, -1);
        for (const QString& name : {QStringLiteral("/seen.bin"), QStringLiteral("/unseen.bin")}) {
            const bool seen = name == QStringLiteral("/seen.bin");
            const bool copied = Copy(src, t.Path(folder + name), [&](int64_t, int64_t) {
                if (!t.Exists(folder + name)) t.File(folder + name, "saved meanwhile");
            }, nullptr, seen ? FileSystem::SeenEntry{FileSystem::SeenEntry::Kind::Absent, 0, 0} : FileSystem::SeenEntry{});
            // What the compare saw absent is never taken; without a look of the compare, a file
            // that appears is replaced whole, never mixed with.
            EXPECT_EQ(copied, !seen) << qPrintable(folder + name);
            EXPECT_EQ(t.Read(folder + name).size(), seen ? 15 : 2 * 1024 * 1024) << qPrintable(folder + name);
        }
        EXPECT_EQ(Entries(t.Path(folder)), (QStringList{QStringLiteral("seen.bin"), QStringLiteral("unseen.bin")}));
    }
}

// A root "/x/a" holds "/x/a/..." and never "/x/abc/...": a name that merely begins like the root
// is another folder, and nothing of the run may be written there.
TEST(FailSafeCopy, NothingIsWrittenBesideTheRootInAFolderWhoseNameBeginsLikeIt) {
    TempTree t;
    const QString src = t.File(QStringLiteral("s/src.txt"), "s");
    t.Folder(QStringLiteral("a/c"));
    t.File(QStringLiteral("abc/keep.txt"), "k");
    const FileSystem::RootScope roots({t.Path(QStringLiteral("s")), t.Path(QStringLiteral("a"))});
    EXPECT_FALSE(Copy(src, t.Path(QStringLiteral("abc/x.txt"))));
    EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrUnsafePath);
    EXPECT_FALSE(FileSystem::DeleteFile(t.Path(QStringLiteral("abc/keep.txt"))));
    EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrUnsafePath);
    EXPECT_EQ(t.List(), (QStringList{"a/", "a/c/", "abc/", "abc/keep.txt", "s/", "s/src.txt"}));
    ASSERT_TRUE(Copy(src, t.Path(QStringLiteral("a/c/x.txt"))));  // beneath the root it works
}

// A source rewritten while it is copied (grown, or edited in place with its size kept) fails the
// copy as changed since the compare: a new file is not made, an old one keeps its data.
TEST(CopyData, ASourceRewrittenWhileItIsCopiedIsNeverCalledCopied) {
    TempTree t;
    int n = 0;
    for (const bool old : {false, true}) {
        for (const bool grow : {false, true}) {
            SCOPED_TRACE(std::string(old ? "over an old file, " : "new, ") + (grow ? "grown" : "same size"));
            const QString name = QStringLiteral("f%1.bin").arg(++n);
            const QString source = t.File(name, QByteArray(6 * kMiB, 'o'));
            const QString target = QStringLiteral("out/") + name;
            t.Folder(QStringLiteral("out"));
            if (old) t.File(target, "old");
            bool rewritten = false;
            const auto rewriteOnce = [&](int64_t, int64_t) {
                if (std::exchange(rewritten, true)) return;
                const int fd = ::open(Encoded(source).constData(), O_WRONLY);
                EXPECT_EQ(::pwrite(fd, "edit", 4, grow ? 6 * kMiB : 5 * kMiB), 4);
                // A coarse clock may give the edit the old time stamp: the edit moves it on.
                struct timespec times[2] = {{0, UTIME_OMIT}, {Stat(source).st_mtim.tv_sec + 5, 0}};
                EXPECT_EQ(::futimens(fd, times), 0);
                ::close(fd);
            };
            EXPECT_FALSE(FileSystem::CopyFile(source, t.Path(target), rewriteOnce, nullptr));
            EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrChangedSinceCompare);
            EXPECT_TRUE(rewritten);
            EXPECT_EQ(t.Exists(target), old);
            EXPECT_EQ(t.Read(target), QByteArray(old ? "old" : ""));
            EXPECT_EQ(Temporaries(t.Path(QStringLiteral("out"))), QStringList());
        }
    }
}

// Three replacements in one batch, with a fault at one step of the second file's way (or, with
// no fault, the batch abandoned before it is put in place); what each destination holds
// afterwards, whole: o its old data, n its new data. A waiting file carries the copy's mark, so
// that a killed run leaves it recognisable as ours; what the batch reports for each file it took
// is what happened to it.
TEST(ReplacementBatch, AFailureAtAnyStepLeavesEveryDestinationWholeAndNoTemporary) {
    TempTree from, to;
    const struct { Point point; const char* after; } cases[] = {
        {Point::Create, "non"}, {Point::Data, "non"}, {Point::Close, "non"}, {Point::Name, "non"}, {Point::Sync, "ooo"}};
    for (const auto& c : cases) {
        const bool abandon = c.point == Point::Sync;
        SCOPED_TRACE(abandon ? std::string("abandoned") : std::to_string(static_cast<int>(c.point)));
        std::vector<bool> copied;
        std::vector<int> results;
        {
            FailingDevice device;
            if (!abandon) device.Fail(c.point, Name(1), EIO);
            FileSystem::ReplacementBatch batch;
            for (int i = 0; i < 3; ++i) {
                from.File(Name(i), NewData(i));
                to.File(Name(i), OldData(i));
                copied.push_back(FileSystem::CopyFile(from.Path(Name(i)), to.Path(Name(i)), {}, nullptr, SeenNow(to.Path(Name(i)))));
                EXPECT_EQ(to.Read(Name(i)), OldData(i));  // nothing is replaced before the batch is put in place
            }
            EXPECT_EQ(batch.Waiting(), static_cast<size_t>(std::count(copied.begin(), copied.end(), true)));
            const QStringList waiting = Temporaries(to.Path());
            ASSERT_EQ(waiting.size(), static_cast<qsizetype>(batch.Waiting()));
            EXPECT_TRUE(FileSystem::IsCopyTemporary(to.Path(), waiting[0]));
            if (!abandon) results = batch.PutInPlace();
        }
        std::string after;
        for (int i = 0; i < 3; ++i) after += to.Read(Name(i)) == OldData(i) ? 'o' : to.Read(Name(i)) == NewData(i) ? 'n' : '?';
        EXPECT_EQ(after, c.after);
        EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
        EXPECT_FALSE(FileSystem::IsCopyTemporary(to.Path(), Name(0)));  // the new files carry no mark
        size_t waiting = 0;
        for (size_t i = 0; i < copied.size(); ++i)
            if (copied[i] && !abandon) {
                EXPECT_EQ(results.at(waiting++) == 0, c.after[i] == 'n') << i;
            }
        EXPECT_EQ(waiting, results.size());
    }
}

TEST(FailSafeCopy, StaleTemporariesAreTheMarkedOnesNoCopyHoldsWhateverPidTheyName) {
    TempTree t;
    // A pid that surely is not running: a child that has ended and been reaped.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::number(child);
    using State = FileSystem::CopyTemporaryState;
    enum Kind { File, Folder, Link };
    // locked: a running copy holds it (here, or another process of this machine)
    struct Case { QString name; Kind kind; bool marked, locked; State expected; };
    const Case cases[] = {
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-1-a.txt.tmp"), File, true, false, State::Stale},
        // The pid in the name says nothing once the lock is free: in a container every run is
        // pid 1, and a running copy of ours holds the lock.
        {QStringLiteral(".~tandor-1-1-c.txt.tmp"), File, true, false, State::Stale},
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-2-d.txt.tmp"), File, true, true, State::Alive},
        // The folder a killed copy made to hold the link it was about to put in place.
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-4-folder.tmp"), Folder, true, false, State::Stale},
        // A user's entries that merely have the form of our names.
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-9-mine.txt.tmp"), File, false, false, State::NotOurs},
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-3-e.tmp"), Link, false, false, State::NotOurs},
        // Marked, but not of the form of our names.
        {QStringLiteral(".~tandor-notes.tmp"), File, true, false, State::NotOurs},
        {QStringLiteral(".~tandor-123-4-report.doc"), File, true, false, State::NotOurs},
    };
    std::vector<int> locks;
    for (const Case& c : cases) {
        const QString path = c.kind == File ? t.File(c.name, "data") : c.kind == Folder ? t.Folder(c.name) : t.Link(c.name, "nowhere");
        if (c.marked) {
            ASSERT_EQ(::setxattr(PathCodec::Encode(path).constData(), FileSystem::CopyTemporaryMark, "1", 1, 0), 0);
            if (c.kind == Folder) t.Link(c.name + QStringLiteral("/l"), "target");
        }
        if (c.locked) {
            locks.push_back(::open(PathCodec::Encode(path).constData(), O_RDONLY));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
    }
    for (const Case& c : cases) EXPECT_EQ(FileSystem::CopyTemporaryStateOf(t.Path(), c.name), c.expected) << qPrintable(c.name);

    int removed = 0;
    EXPECT_TRUE(FileSystem::RemoveStaleCopyTemporaries(t.Path(), removed));
    EXPECT_EQ(removed, 3);
    for (int fd : locks) ::close(fd);
    const QStringList left = t.List();
    for (const Case& c : cases) {
        const QString listed = c.kind == Folder ? c.name + QLatin1Char('/') : c.name;
        EXPECT_EQ(left.contains(listed), c.expected != State::Stale) << qPrintable(c.name);
    }
}

TEST(FailSafeCopy, KilledCopyLeavesAMarkedTemporaryThatTheNextRunRemoves) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src/big.bin"), QByteArray(24 * 1024 * 1024, 'k'));
    t.File(QStringLiteral("out/big.bin"), "old version");
    t.File(QStringLiteral("out/.~tandor-1-1-lookalike.tmp"), "a user's file");
    // The copy replaces the old version through a named temporary file; the child dies after
    // the first chunk, as a killed run would.
    const pid_t child = ::fork();
    if (child == 0) {
        FileSystem::CopyFile(src, t.Path(QStringLiteral("out/big.bin")), [](int64_t, int64_t) { ::_exit(0); }, nullptr);
        ::_exit(1);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const QString out = t.Path(QStringLiteral("out"));
    const QStringList left = Temporaries(out);
    ASSERT_EQ(left.size(), 2) << qPrintable(left.join(u' '));
    for (const QString& name : left)
        EXPECT_EQ(FileSystem::IsCopyTemporary(out, name), name != QStringLiteral(".~tandor-1-1-lookalike.tmp"));
    int removed = 0;
    EXPECT_TRUE(FileSystem::RemoveStaleCopyTemporaries(out, removed));
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(Temporaries(out), QStringList{QStringLiteral(".~tandor-1-1-lookalike.tmp")});
    EXPECT_EQ(t.Read(QStringLiteral("out/big.bin")), QByteArray("old version"));
}
