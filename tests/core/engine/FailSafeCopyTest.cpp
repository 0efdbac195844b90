// The fail-safe copy on real files: what arrives, what stays when it fails, and its temporary
// files.

#include "platform/CopyNames.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray Pattern(qsizetype size, char seed) {
    QByteArray block(65521, Qt::Uninitialized);  // a prime length, so chunks never line up
    for (qsizetype i = 0; i < block.size(); ++i) block[i] = static_cast<char>(seed + (i * 7) % 251);
    QByteArray data;
    data.reserve(size);
    while (data.size() < size) data.append(block.constData(), std::min(block.size(), size - data.size()));
    return data;
}

struct stat Stat(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(PathCodec::Encode(path).constData(), &st), 0) << qPrintable(path);
    return st;
}

// Names in the folder that look like the copy's temporary files.
QStringList Temporaries(const QString& folder) {
    QStringList out;
    for (const QString& n : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (n.startsWith(QLatin1String(".~tandor-"))) out << n;
    return out;
}

bool Copy(const QString& from, const QString& to, const FileSystem::CopyProgress& progress = {},
          const std::atomic<bool>* cancel = nullptr) {
    return FileSystem::CopyFile(from, to, progress, cancel);
}

// A small tmpfs of our own, for a full disk or a read-only file system; skipped where mounting
// is not permitted.
class SmallVolume {
public:
    explicit SmallVolume(const char* options) {
        path_ = tree_.Folder(QStringLiteral("mnt"));
        mounted_ = ::mount("tmpfs", PathCodec::Encode(path_).constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallVolume() {
        if (mounted_) ::umount2(PathCodec::Encode(path_).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return path_; }

private:
    TempTree tree_;
    QString path_;
    bool mounted_ = false;
};

}  // namespace

TEST(FailSafeCopy, CopiesDataPermissionsAndNanosecondTime) {
    TempTree t;
    const QByteArray data = Pattern(3 * 1024 * 1024 + 17, 'a');
    const QString src = t.File(QStringLiteral("src/big.bin"), data);
    const QString dst = t.File(QStringLiteral("dst/big.bin"), "old");
    ASSERT_EQ(::chmod(PathCodec::Encode(src).constData(), 0640), 0);
    const struct timespec times[2] = {{1700000000, 123456789}, {1600000000, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, PathCodec::Encode(src).constData(), times, 0), 0);

    int64_t lastTotal = -1, lastCopied = -1;
    int calls = 0;
    ASSERT_TRUE(Copy(src, dst, [&](int64_t total, int64_t copied) {
        lastTotal = total;
        lastCopied = copied;
        ++calls;
    }));
    EXPECT_EQ(t.Read(QStringLiteral("dst/big.bin")), data);
    const struct stat st = Stat(dst);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
    EXPECT_EQ(lastTotal, data.size());
    EXPECT_EQ(lastCopied, data.size());
    EXPECT_GE(calls, 1);
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("dst"))).isEmpty());
    EXPECT_EQ(FileSystem::LastError(), 0);
}

TEST(FailSafeCopy, EmptyFileAndNewDestination) {
    TempTree t;
    const QString src = t.File(QStringLiteral("empty"), QByteArray());
    t.Folder(QStringLiteral("out"));
    ASSERT_TRUE(Copy(src, t.Path(QStringLiteral("out/empty"))));
    EXPECT_TRUE(t.Exists(QStringLiteral("out/empty")));
    EXPECT_TRUE(t.Read(QStringLiteral("out/empty")).isEmpty());
}

TEST(FailSafeCopy, SymbolicLinkIsCopiedAsLink) {
    TempTree t;
    t.File(QStringLiteral("target.txt"), "x");
    const QString link = t.Path(QStringLiteral("link"));
    ASSERT_EQ(::symlink("target.txt", PathCodec::Encode(link).constData()), 0);
    const QString dst = t.File(QStringLiteral("out/link"), "a regular file that the link replaces");
    ASSERT_TRUE(Copy(link, dst));
    const struct stat st = Stat(dst);
    ASSERT_TRUE(S_ISLNK(st.st_mode));
    char buf[64] = {};
    ASSERT_GT(::readlink(PathCodec::Encode(dst).constData(), buf, sizeof buf - 1), 0);
    EXPECT_STREQ(buf, "target.txt");
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

TEST(FailSafeCopy, CancelMidCopyKeepsOldDestinationAndLeavesNoTemporary) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.bin"), Pattern(9 * 1024 * 1024, 'b'));
    const QString dst = t.File(QStringLiteral("out/dst.bin"), "the old version");
    std::atomic<bool> cancel{false};
    int calls = 0;
    EXPECT_FALSE(Copy(src, dst, [&](int64_t total, int64_t copied) {
        ++calls;
        EXPECT_LT(copied, total);  // cancelled in the middle, not at the end
        cancel = true;
    }, &cancel));
    EXPECT_EQ(FileSystem::LastError(), ECANCELED);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.bin")), QByteArray("the old version"));
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

TEST(FailSafeCopy, FailedWriteMidCopyKeepsOldDestination) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.bin"), Pattern(9 * 1024 * 1024, 'c'));
    const QString dst = t.File(QStringLiteral("out/dst.bin"), "old");
    // 1: the temporary file, 2: the first chunk, 3: the second chunk.
    FileSystem::FailNthWriteForTests(3, ENOSPC);
    int64_t copiedBeforeFailure = 0;
    EXPECT_FALSE(Copy(src, dst, [&](int64_t, int64_t copied) { copiedBeforeFailure = copied; }));
    EXPECT_EQ(FileSystem::LastError(), ENOSPC);
    EXPECT_GT(copiedBeforeFailure, 0);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.bin")), QByteArray("old"));
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
    // The fault fired once; the next copy works.
    EXPECT_TRUE(Copy(src, dst));
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.bin")).size(), 9 * 1024 * 1024);
}

TEST(FailSafeCopy, FailedRenameKeepsOldDestination) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.txt"), "new");
    const QString dst = t.File(QStringLiteral("out/dst.txt"), "old");
    FileSystem::FailNthWriteForTests(3, EIO);  // temporary file, one chunk, then the rename
    EXPECT_FALSE(Copy(src, dst));
    EXPECT_EQ(FileSystem::LastError(), EIO);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.txt")), QByteArray("old"));
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

TEST(FailSafeCopy, FullDiskFailsCleanly) {
    SmallVolume volume("size=1m");
    if (!volume.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    TempTree t;
    const QString src = t.File(QStringLiteral("big.bin"), Pattern(3 * 1024 * 1024, 'd'));
    const QString dst = volume.path() + QStringLiteral("/big.bin");
    {
        QFile f(dst);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    EXPECT_FALSE(Copy(src, dst));
    EXPECT_EQ(FileSystem::LastError(), ENOSPC);
    QFile f(dst);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
    EXPECT_TRUE(Temporaries(volume.path()).isEmpty());
}

TEST(FailSafeCopy, ReadOnlyFileSystemIsAnError) {
    SmallVolume volume("size=1m,ro");
    if (!volume.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    TempTree t;
    const QString src = t.File(QStringLiteral("a.txt"), "a");
    EXPECT_FALSE(Copy(src, volume.path() + QStringLiteral("/a.txt")));
    EXPECT_EQ(FileSystem::LastError(), EROFS);
}

TEST(FailSafeCopy, MissingSourceAndImpossiblePaths) {
    TempTree t;
    t.Folder(QStringLiteral("out"));
    EXPECT_FALSE(Copy(t.Path(QStringLiteral("gone.txt")), t.Path(QStringLiteral("out/gone.txt"))));
    EXPECT_EQ(FileSystem::LastError(), ENOENT);
    EXPECT_FALSE(t.Exists(QStringLiteral("out/gone.txt")));

    const QString src = t.File(QStringLiteral("a.txt"), "a");
    QString deep = t.Path(QStringLiteral("out"));
    while (deep.size() < 5000) deep += QStringLiteral("/abcdefghij");
    EXPECT_FALSE(Copy(src, deep + QStringLiteral("/a.txt")));
    EXPECT_EQ(FileSystem::LastError(), ENAMETOOLONG);

    // Onto a folder of the same name: refused, the folder stays.
    t.Folder(QStringLiteral("out/a.txt"));
    EXPECT_FALSE(Copy(src, t.Path(QStringLiteral("out/a.txt"))));
    EXPECT_EQ(FileSystem::LastError(), EISDIR);
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

TEST(FailSafeCopy, LongAndNonUtf8Names) {
    TempTree t;
    t.Folder(QStringLiteral("out"));
    // 255 bytes, the most a name may have: the temporary name must be shortened to fit.
    const QString longName = QString(253, QChar(u'n')) + QStringLiteral("\u00e9");  // é is 2 bytes
    ASSERT_EQ(PathCodec::Encode(longName).size(), 255);
    const QString src = t.File(longName, "long");
    ASSERT_TRUE(Copy(src, t.Path(QStringLiteral("out/") + longName)));
    EXPECT_EQ(t.Read(QStringLiteral("out/") + longName), QByteArray("long"));

    const QByteArray rawName("caf\xe9-\xff.txt");
    const QByteArray rawSrc = PathCodec::Encode(t.Path()) + "/" + rawName;
    {
        const int fd = ::open(rawSrc.constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "bytes", 5), 5);
        ::close(fd);
    }
    const QString name = PathCodec::Decode(rawName);
    ASSERT_TRUE(Copy(t.Path(name), t.Path(QStringLiteral("out/") + name)));
    struct stat st {};
    EXPECT_EQ(::lstat((PathCodec::Encode(t.Path()) + "/out/" + rawName).constData(), &st), 0);
    EXPECT_EQ(st.st_size, 5);
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
    // Qt cannot name these files to remove them with the temporary folder.
    ::unlink(rawSrc.constData());
    ::unlink((PathCodec::Encode(t.Path()) + "/out/" + rawName).constData());
}

TEST(FailSafeCopy, TemporaryNamesAreRecognised) {
    EXPECT_TRUE(FileSystem::IsCopyTemporaryName(QStringLiteral(".~tandor-123-4-report.doc.tmp")));
    EXPECT_FALSE(FileSystem::IsCopyTemporaryName(QStringLiteral(".~tandor-notes.tmp")));
    EXPECT_FALSE(FileSystem::IsCopyTemporaryName(QStringLiteral(".~tandor-123-4-report.doc")));
    EXPECT_FALSE(FileSystem::IsCopyTemporaryName(QStringLiteral("~tandor-123-4-x.tmp")));
    EXPECT_FALSE(FileSystem::IsCopyTemporaryName(QStringLiteral(".~tandor-x-4-x.tmp")));
    EXPECT_FALSE(FileSystem::IsCopyTemporaryName(QStringLiteral("report.tmp")));
}

TEST(FailSafeCopy, StaleTemporariesAreTheMarkedOnesNoCopyHoldsWhateverPidTheyName) {
    TempTree t;
    // A pid that surely is not running: a child that has ended and been reaped.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::number(child);
    const QString self = QString::number(::getpid());
    using State = FileSystem::CopyTemporaryState;
    enum Kind { File, Folder, Link };
    struct Case {
        QString name;
        Kind kind;
        bool marked;
        bool locked;  // a running copy holds it (here, or another process of this machine)
        State expected;
    };
    const Case cases[] = {
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-1-a.txt.tmp"), File, true, false, State::Stale},
        // The pid in the name says nothing once the lock is free: in a container every run is
        // pid 1, and a running copy of ours holds the lock.
        {QStringLiteral(".~tandor-1-1-c.txt.tmp"), File, true, false, State::Stale},
        {QStringLiteral(".~tandor-") + self + QStringLiteral("-1-b.txt.tmp"), File, true, false, State::Stale},
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-2-d.txt.tmp"), File, true, true, State::Alive},
        {QStringLiteral(".~tandor-1-2-e.txt.tmp"), File, true, true, State::Alive},
        // The folder a killed copy made to hold the link it was about to put in place.
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-4-folder.tmp"), Folder, true, false, State::Stale},
        // A user's entries that merely have the form of our names.
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-9-mine.txt.tmp"), File, false, false, State::NotOurs},
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-5-folder.tmp"), Folder, false, false, State::NotOurs},
        {QStringLiteral(".~tandor-") + dead + QStringLiteral("-3-e.tmp"), Link, false, false, State::NotOurs},
        {QStringLiteral(".~tandor-notes.txt"), File, true, false, State::NotOurs},
        {QStringLiteral("a.txt.tmp"), File, true, false, State::NotOurs},
    };
    std::vector<int> locks;
    for (const Case& c : cases) {
        const QString path = t.Path(c.name);
        if (c.kind == File) t.File(c.name, "data");
        if (c.kind == Folder) t.Folder(c.name);
        if (c.kind == Link) {
            ASSERT_EQ(::symlink("nowhere", PathCodec::Encode(path).constData()), 0);
        }
        if (c.marked) {
            ASSERT_EQ(::setxattr(PathCodec::Encode(path).constData(), FileSystem::CopyTemporaryMark, "1", 1, 0), 0);
        }
        if (c.kind == Folder && c.marked) {
            ASSERT_EQ(::symlink("target", PathCodec::Encode(path + QStringLiteral("/l")).constData()), 0);
        }
        if (c.locked) {
            locks.push_back(::open(PathCodec::Encode(path).constData(), O_RDONLY));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
    }
    for (const Case& c : cases) EXPECT_EQ(FileSystem::CopyTemporaryStateOf(t.Path(), c.name), c.expected) << qPrintable(c.name);

    int removed = 0;
    EXPECT_TRUE(FileSystem::RemoveStaleCopyTemporaries(t.Path(), removed));
    EXPECT_EQ(removed, 4);
    for (int fd : locks) ::close(fd);
    const QStringList left = t.List();
    for (const Case& c : cases) {
        const QString listed = c.kind == Folder ? c.name + QLatin1Char('/') : c.name;
        EXPECT_EQ(left.contains(listed), c.expected != State::Stale) << qPrintable(c.name);
    }
}

TEST(FailSafeCopy, KilledCopyLeavesAMarkedTemporaryThatTheNextRunRemoves) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src/big.bin"), Pattern(24 * 1024 * 1024, 'k'));
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

TEST(FailSafeCopy, TwoProcessesCopyingToOneDestinationNeverMix) {
    TempTree t;
    const QByteArray a = Pattern(2 * 1024 * 1024, 'A');
    const QByteArray b = Pattern(2 * 1024 * 1024, 'B');
    const QString srcA = t.File(QStringLiteral("a.bin"), a);
    const QString srcB = t.File(QStringLiteral("b.bin"), b);
    const QString dst = t.Path(QStringLiteral("out/dst.bin"));
    t.Folder(QStringLiteral("out"));
    const pid_t child = ::fork();
    if (child == 0) {
        bool ok = true;
        for (int i = 0; i < 30; ++i) ok = FileSystem::CopyFile(srcB, dst, {}, nullptr) && ok;
        ::_exit(ok ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    bool ok = true;
    for (int i = 0; i < 30; ++i) ok = Copy(srcA, dst) && ok;
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QByteArray result = t.Read(QStringLiteral("out/dst.bin"));
    EXPECT_TRUE(result == a || result == b);
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

TEST(FailSafeCopy, CaseVariantsFollowTheFolder) {
    TempTree t;
    t.File(QStringLiteral("out/Report.TXT"), "x");
    const QString out = t.Path(QStringLiteral("out"));
    EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("report.txt")), QStringLiteral("Report.TXT"));
    EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("Report.TXT")).isEmpty());
    EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("other.txt")).isEmpty());
    // A name written by the copy, and one created behind its back, are both seen.
    const QString src = t.File(QStringLiteral("new.txt"), "n");
    ASSERT_TRUE(Copy(src, out + QStringLiteral("/new.txt")));
    EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("NEW.txt")), QStringLiteral("new.txt"));
    t.File(QStringLiteral("out/Later.txt"), "l");
    EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("later.txt")), QStringLiteral("Later.txt"));
    EXPECT_TRUE(FileSystem::FindCaseVariant(t.Path(QStringLiteral("missing")), QStringLiteral("a")).isEmpty());
}

// ---- new destinations (written unnamed, named at the end) and the run's open folders ----

namespace {

// Every entry of the folder, dot files included: a new destination must leave nothing else.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// How many of this process's open files name path (or lie below it).
int OpenHandlesTo(const QString& path) {
    int n = 0;
    const QByteArray target = PathCodec::Encode(path);
    for (const QString& fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)) {
        char buf[4096] = {};
        const QByteArray link = QByteArray("/proc/self/fd/") + fd.toLatin1();
        const ssize_t len = ::readlink(link.constData(), buf, sizeof buf - 1);
        if (len > 0 && QByteArray(buf, len).startsWith(target)) ++n;
    }
    return n;
}

}  // namespace

// A new destination is written unnamed where the file system allows it, else through a named
// temporary file: both ways leave nothing when they fail, and never take a name that appeared.
class NewDestination : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { FileSystem::UseUnnamedFilesForTests(GetParam()); }
    void TearDown() override { FileSystem::UseUnnamedFilesForTests(true); }
};

TEST_P(NewDestination, LeavesNothingWhenCancelledOrFailing) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.bin"), Pattern(9 * 1024 * 1024, 'n'));
    const QString out = t.Folder(QStringLiteral("out"));
    const QString dst = out + QStringLiteral("/new.bin");

    std::atomic<bool> cancel{false};
    EXPECT_FALSE(Copy(src, dst, [&](int64_t, int64_t) { cancel = true; }, &cancel));
    EXPECT_EQ(FileSystem::LastError(), ECANCELED);
    EXPECT_TRUE(Entries(out).isEmpty());

    // 1: the new file, 2..: the chunks; the second chunk fails.
    FileSystem::FailNthWriteForTests(3, ENOSPC);
    EXPECT_FALSE(Copy(src, dst));
    EXPECT_EQ(FileSystem::LastError(), ENOSPC);
    EXPECT_TRUE(Entries(out).isEmpty());

    // Creating the file fails.
    FileSystem::FailNthWriteForTests(1, EROFS);
    EXPECT_FALSE(Copy(src, dst));
    EXPECT_EQ(FileSystem::LastError(), EROFS);
    EXPECT_TRUE(Entries(out).isEmpty());

    // The final naming fails: a small file is the file, one chunk, then the name.
    const QString small = t.File(QStringLiteral("small.txt"), "small");
    FileSystem::FailNthWriteForTests(3, EIO);
    EXPECT_FALSE(Copy(small, out + QStringLiteral("/small.txt")));
    EXPECT_EQ(FileSystem::LastError(), EIO);
    EXPECT_TRUE(Entries(out).isEmpty());

    // Closing the written file reports that its data never arrived (a network file system
    // does so): the name is taken back, or never given.
    FileSystem::FailNextCloseForTests(EIO);
    EXPECT_FALSE(Copy(small, out + QStringLiteral("/small.txt")));
    EXPECT_EQ(FileSystem::LastError(), EIO);
    EXPECT_TRUE(Entries(out).isEmpty());

    ASSERT_TRUE(Copy(small, out + QStringLiteral("/small.txt")));
    EXPECT_EQ(Entries(out), QStringList{QStringLiteral("small.txt")});
    EXPECT_EQ(t.Read(QStringLiteral("out/small.txt")), QByteArray("small"));
    EXPECT_EQ(Stat(out + QStringLiteral("/small.txt")).st_mtim.tv_nsec, Stat(small).st_mtim.tv_nsec);
}

TEST_P(NewDestination, NeverTakesANameThatAppearedSinceTheCompare) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.txt"), "new");
    const QString out = t.Folder(QStringLiteral("out"));
    FileSystem::SeenEntry absent;
    absent.kind = FileSystem::SeenEntry::Kind::Absent;
    qsizetype namedWhileWriting = -1;
    EXPECT_FALSE(FileSystem::CopyFile(src, out + QStringLiteral("/dst.txt"), [&](int64_t, int64_t) {
        namedWhileWriting = Temporaries(out).size();
        if (!t.Exists(QStringLiteral("out/dst.txt"))) t.File(QStringLiteral("out/dst.txt"), "saved meanwhile");
    }, nullptr, absent));
    EXPECT_EQ(namedWhileWriting, GetParam() ? 0 : 1);  // the path under test was the one taken
    EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrChangedSinceCompare);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.txt")), QByteArray("saved meanwhile"));
    EXPECT_EQ(Entries(out), QStringList{QStringLiteral("dst.txt")});
}

INSTANTIATE_TEST_SUITE_P(FailSafeCopy, NewDestination, ::testing::Values(true, false),
                         [](const auto& param) { return param.param ? "Unnamed" : "NamedTemporary"; });

TEST(FailSafeCopy, AFailedCloseKeepsTheOldDestination) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src.txt"), "new");
    const QString dst = t.File(QStringLiteral("out/dst.txt"), "old");
    FileSystem::FailNextCloseForTests(EIO);
    EXPECT_FALSE(Copy(src, dst));
    EXPECT_EQ(FileSystem::LastError(), EIO);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.txt")), QByteArray("old"));
    EXPECT_EQ(Entries(t.Path(QStringLiteral("out"))), QStringList{QStringLiteral("dst.txt")});
}

TEST(FailSafeCopy, DestinationThatAppearsMidCopyIsReplacedWhole) {
    TempTree t;
    const QByteArray data = Pattern(20 * 1024 * 1024, 'm');
    const QString src = t.File(QStringLiteral("src.bin"), data);
    const QString out = t.Folder(QStringLiteral("out"));
    bool created = false;
    ASSERT_TRUE(Copy(src, out + QStringLiteral("/dst.bin"), [&](int64_t, int64_t) {
        if (!created) created = !t.File(QStringLiteral("out/dst.bin"), "written by someone else").isEmpty();
    }));
    EXPECT_TRUE(created);
    EXPECT_EQ(t.Read(QStringLiteral("out/dst.bin")), data);
    EXPECT_EQ(Entries(out), QStringList{QStringLiteral("dst.bin")});
}

TEST(FailSafeCopy, RunScopeKeepsFoldersOpenOnlyWhileItLives) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src/a.txt"), "a");
    t.File(QStringLiteral("src/b.txt"), "b");
    const QString out = t.Folder(QStringLiteral("out"));
    {
        const FileSystem::FolderHandleScope scope;
        EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("a.txt")).isEmpty());
        ASSERT_TRUE(Copy(src, out + QStringLiteral("/a.txt")));
        EXPECT_GE(OpenHandlesTo(out), 1);
        // A name created behind the run's back in the folder it keeps open is still seen.
        t.File(QStringLiteral("out/B.TXT"), "other");
        EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("b.txt")), QStringLiteral("B.TXT"));
        // A name the copy wrote is seen without listing again.
        EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("A.txt")), QStringLiteral("a.txt"));
        ASSERT_TRUE(Copy(t.Path(QStringLiteral("src/b.txt")), out + QStringLiteral("/c.txt")));
    }
    EXPECT_EQ(OpenHandlesTo(t.Path(QStringLiteral("out"))), 0);
    EXPECT_EQ(OpenHandlesTo(t.Path(QStringLiteral("src"))), 0);
    EXPECT_EQ(t.Read(QStringLiteral("out/c.txt")), QByteArray("b"));

    // Outside a scope every copy looks at the path again: a folder replaced by a new one of the
    // same name receives the next copy, and nothing stays open.
    ASSERT_TRUE(QDir(out).removeRecursively());
    t.Folder(QStringLiteral("out"));
    EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("a.txt")).isEmpty());
    ASSERT_TRUE(Copy(src, out + QStringLiteral("/a.txt")));
    EXPECT_EQ(Entries(out), QStringList{QStringLiteral("a.txt")});
    EXPECT_EQ(OpenHandlesTo(t.Path(QStringLiteral("out"))), 0);
}

TEST(FailSafeCopy, NewFilesInOneFolderKeepEachSourceModeWhateverTheUmask) {
    TempTree t;
    const QString out = t.Folder(QStringLiteral("out"));
    const mode_t oldMask = ::umask(077);  // strips bits the sources have: the copy must set them again
    const mode_t modes[] = {0644, 0644, 0600, 0755, 0444, 0644};
    const FileSystem::FolderHandleScope scope;
    for (size_t i = 0; i < std::size(modes); ++i) {
        const QString name = QStringLiteral("f%1").arg(i);
        const QString src = t.File(QStringLiteral("src/") + name, QByteArray::number(static_cast<int>(i)));
        ASSERT_EQ(::chmod(PathCodec::Encode(src).constData(), modes[i]), 0);
        EXPECT_TRUE(FileSystem::FindCaseVariant(out, name).isEmpty());
        ASSERT_TRUE(Copy(src, out + QLatin1Char('/') + name)) << i;
        EXPECT_EQ(Stat(out + QLatin1Char('/') + name).st_mode & 07777, modes[i]) << i;
    }
    ::umask(oldMask);
    EXPECT_EQ(t.Read(QStringLiteral("out/f4")), QByteArray("4"));
}

TEST(FailSafeCopy, FolderCreatedByTheRunIsCheckedFromWhatTheRunWrote) {
    TempTree t;
    const QString src = t.File(QStringLiteral("src/a.txt"), "a");
    const QString made = t.Path(QStringLiteral("made"));
    {
        const FileSystem::FolderHandleScope scope;
        ASSERT_TRUE(FileSystem::CreateFolderFrom(made, t.Path(QStringLiteral("src"))));
        EXPECT_TRUE(FileSystem::FindCaseVariant(made, QStringLiteral("a.txt")).isEmpty());
        ASSERT_TRUE(Copy(src, made + QStringLiteral("/a.txt")));
        // What the run wrote is known: a second file differing only in case is refused.
        EXPECT_EQ(FileSystem::FindCaseVariant(made, QStringLiteral("A.TXT")), QStringLiteral("a.txt"));
        // A file of exactly the destination's name that someone else puts there meanwhile is
        // replaced whole, never mixed with.
        t.File(QStringLiteral("made/b.txt"), "someone else's");
        EXPECT_TRUE(FileSystem::FindCaseVariant(made, QStringLiteral("b.txt")).isEmpty());
        ASSERT_TRUE(Copy(src, made + QStringLiteral("/b.txt")));
        EXPECT_EQ(t.Read(QStringLiteral("made/b.txt")), QByteArray("a"));
        EXPECT_TRUE(Temporaries(made).isEmpty());
    }
    // After the run the folder is read like any other: names written behind its back count.
    t.File(QStringLiteral("made/Later.txt"), "l");
    EXPECT_EQ(FileSystem::FindCaseVariant(made, QStringLiteral("later.TXT")), QStringLiteral("Later.txt"));
    EXPECT_EQ(FileSystem::FindCaseVariant(made, QStringLiteral("A.txt")), QStringLiteral("a.txt"));
}
