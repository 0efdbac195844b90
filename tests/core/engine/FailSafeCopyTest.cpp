// The fail-safe copy on real files: what arrives, and what stays when any step of it fails.

#include "platform/BeneathRoot.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/FailingDevice.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

using Point = FailingDevice::Point;

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

TEST(FailSafeCopy, CopiesDataPermissionsNanosecondTimeAndLinksAsLinks) {
    TempTree t;
    const QByteArray data = Pattern(3 * 1024 * 1024 + 17, 'a');
    const QString src = t.File(QStringLiteral("src/big.bin"), data);
    const QString dst = t.File(QStringLiteral("dst/big.bin"), "old");
    ASSERT_EQ(::chmod(PathCodec::Encode(src).constData(), 0640), 0);
    const struct timespec times[2] = {{1700000000, 123456789}, {1600000000, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, PathCodec::Encode(src).constData(), times, 0), 0);
    int64_t lastCopied = -1;
    ASSERT_TRUE(Copy(src, dst, [&](int64_t, int64_t copied) { lastCopied = copied; }));
    EXPECT_EQ(t.Read(QStringLiteral("dst/big.bin")), data);
    EXPECT_EQ(lastCopied, data.size());
    EXPECT_EQ(Stat(dst).st_mode & 07777, 0640u);
    EXPECT_EQ(Stat(dst).st_mtim.tv_nsec, 987654321);

    ASSERT_EQ(::symlink("big.bin", PathCodec::Encode(t.Path(QStringLiteral("src/link"))).constData()), 0);
    ASSERT_TRUE(Copy(t.Path(QStringLiteral("src/link")), dst));
    EXPECT_TRUE(S_ISLNK(Stat(dst).st_mode));
    EXPECT_EQ(Entries(t.Path(QStringLiteral("dst"))), QStringList{QStringLiteral("big.bin")});
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

TEST(FailSafeCopy, AFullDiskOrAReadOnlyFileSystemFailsCleanly) {
    TempTree t;
    const QString src = t.File(QStringLiteral("big.bin"), Pattern(3 * 1024 * 1024, 'd'));
    for (const auto& [options, err] : {std::pair{"size=1m", ENOSPC}, std::pair{"size=1m,ro", EROFS}}) {
        TempTree volume;
        const QByteArray mnt = PathCodec::Encode(volume.Path());
        if (::mount("tmpfs", mnt.constData(), "tmpfs", 0, options) != 0) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
        EXPECT_FALSE(Copy(src, volume.Path(QStringLiteral("big.bin"))));
        EXPECT_EQ(FileSystem::LastError(), err);
        EXPECT_TRUE(Entries(volume.Path()).isEmpty());
        ::umount2(mnt.constData(), MNT_DETACH);
    }
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
        const auto sync = std::find(steps.begin(), steps.end(), Point::Sync);
        EXPECT_LT(sync, std::find(steps.begin(), steps.end(), Point::Name));  // data durable before the name
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

TEST(FailSafeCopy, MissingSourceImpossiblePathsAndUnusualNames) {
    TempTree t;
    const QString out = t.Folder(QStringLiteral("out"));
    EXPECT_FALSE(Copy(t.Path(QStringLiteral("gone.txt")), out + QStringLiteral("/gone.txt")));
    EXPECT_EQ(FileSystem::LastError(), ENOENT);
    const QString src = t.File(QStringLiteral("a.txt"), "a");
    QString deep = out;
    while (deep.size() < 5000) deep += QStringLiteral("/abcdefghij");
    EXPECT_FALSE(Copy(src, deep + QStringLiteral("/a.txt")));
    EXPECT_EQ(FileSystem::LastError(), ENAMETOOLONG);
    t.Folder(QStringLiteral("out/a.txt"));
    EXPECT_FALSE(Copy(src, out + QStringLiteral("/a.txt")));  // onto a folder: refused, the folder stays
    EXPECT_EQ(FileSystem::LastError(), EISDIR);

    // 255 bytes, the most a name may have (the temporary name is shortened to fit), and bytes
    // that are not UTF-8, each over an old file and new.
    const QString longName = QString(253, QChar(u'n')) + QStringLiteral("\u00e9");
    const QString raw = PathCodec::Decode(QByteArray("caf\xe9-\xff.txt"));
    t.File(longName, "long");
    ::close(::open(PathCodec::Encode(t.Path(raw)).constData(), O_WRONLY | O_CREAT, 0644));
    for (const QString& name : {longName, raw}) {
        ASSERT_TRUE(Copy(t.Path(name), out + QLatin1Char('/') + name)) << qPrintable(name);
        ASSERT_TRUE(Copy(src, out + QLatin1Char('/') + name)) << qPrintable(name);
        EXPECT_EQ(Stat(out + QLatin1Char('/') + name).st_size, 1);
    }
    EXPECT_TRUE(Temporaries(out).isEmpty());
    ::unlink(PathCodec::Encode(t.Path(raw)).constData());  // Qt cannot name it to remove it
    ::unlink(PathCodec::Encode(out + QLatin1Char('/') + raw).constData());
}
