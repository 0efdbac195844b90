// The copy's temporary files: which entries are ours, which a killed copy left behind, and that
// removing those never touches a user's file or one a running copy holds.

#include "platform/CopyNames.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <gtest/gtest.h>

#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

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
        // Marked, but not of the form of our names.
        {QStringLiteral(".~tandor-notes.txt"), File, true, false, State::NotOurs},
        {QStringLiteral(".~tandor-notes.tmp"), File, true, false, State::NotOurs},
        {QStringLiteral(".~tandor-123-4-report.doc"), File, true, false, State::NotOurs},
        {QStringLiteral("~tandor-123-4-x.tmp"), File, true, false, State::NotOurs},
        {QStringLiteral(".~tandor-x-4-x.tmp"), File, true, false, State::NotOurs},
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

TEST(FailSafeCopy, TwoProcessesCopyingToOneDestinationNeverMix) {
    TempTree t;
    const QByteArray a = QByteArray(2 * 1024 * 1024, 'A');
    const QByteArray b = QByteArray(2 * 1024 * 1024, 'B');
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
    for (int i = 0; i < 30; ++i) ok = FileSystem::CopyFile(srcA, dst, {}, nullptr) && ok;
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QByteArray result = t.Read(QStringLiteral("out/dst.bin"));
    EXPECT_TRUE(result == a || result == b);
    EXPECT_TRUE(Temporaries(t.Path(QStringLiteral("out"))).isEmpty());
}

