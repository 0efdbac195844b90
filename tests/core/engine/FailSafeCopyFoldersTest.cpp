// The folders the copy works in: the names it keeps for the letter-case check, which must follow
// what the run wrote and what others wrote behind its back, and the folder handles it keeps open
// only while a run lives.

#include "platform/CopyNames.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <gtest/gtest.h>

#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Copy(const QString& from, const QString& to) { return FileSystem::CopyFile(from, to, {}, nullptr); }

mode_t ModeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(PathCodec::Encode(path).constData(), &st), 0);
    return st.st_mode & 07777;
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
        EXPECT_EQ(ModeOf(out + QLatin1Char('/') + name), modes[i]) << i;
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
