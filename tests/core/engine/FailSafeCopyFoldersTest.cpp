// The folders the copy works in: the names it keeps for the letter-case check, which must follow
// what the run wrote and what others wrote behind its back, the folder handles it keeps open only
// while a run lives, and the modes of the new files it writes there.

#include "platform/CopyNames.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>

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

// In a folder that was there and in one the run made, during a run and outside one: a name the
// copy wrote, and one written behind its back, are seen; a file of exactly the destination's name
// that someone put there meanwhile is replaced whole. A run keeps its folders open while it lives
// and only then; afterwards a folder replaced by a new one of the same name receives the copy.
TEST(FailSafeCopy, CaseVariantsFollowTheFolderAndItsHandlesLiveOnlyWithTheRun) {
    for (const bool inRun : {false, true}) {
        for (const bool made : {false, true}) {
            SCOPED_TRACE(QStringLiteral("in a run %1, made by it %2").arg(inRun).arg(made).toStdString());
            TempTree t;
            const QString src = t.File(QStringLiteral("src/a.txt"), "a");
            const QString out = t.Path(QStringLiteral("out"));
            std::optional<FileSystem::FolderHandleScope> scope;
            if (inRun) scope.emplace();
            if (made) {
                ASSERT_TRUE(FileSystem::CreateFolderFrom(out, t.Path(QStringLiteral("src"))));
            } else {
                t.File(QStringLiteral("out/Report.TXT"), "x");
                EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("report.txt")), QStringLiteral("Report.TXT"));
                EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("Report.TXT")).isEmpty());
            }
            EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("a.txt")).isEmpty());
            ASSERT_TRUE(Copy(src, out + QStringLiteral("/a.txt")));
            EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("A.TXT")), QStringLiteral("a.txt"));
            t.File(QStringLiteral("out/b.txt"), "someone else's");
            EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("b.txt")).isEmpty());
            ASSERT_TRUE(Copy(src, out + QStringLiteral("/b.txt")));
            EXPECT_EQ(t.Read(QStringLiteral("out/b.txt")), QByteArray("a"));
            t.File(QStringLiteral("out/Later.txt"), "l");
            // A folder the run made is known from what the run wrote until the run ends.
            if (!(inRun && made)) {
                EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("later.TXT")), QStringLiteral("Later.txt"));
            }
            EXPECT_EQ(OpenHandlesTo(out) > 0, inRun);
            scope.reset();
            EXPECT_EQ(OpenHandlesTo(t.Path()), 0);
            EXPECT_EQ(FileSystem::FindCaseVariant(out, QStringLiteral("later.TXT")), QStringLiteral("Later.txt"));
            EXPECT_TRUE(Temporaries(out).isEmpty());

            ASSERT_TRUE(QDir(out).removeRecursively());
            t.Folder(QStringLiteral("out"));
            EXPECT_TRUE(FileSystem::FindCaseVariant(out, QStringLiteral("a.txt")).isEmpty());
            ASSERT_TRUE(Copy(src, out + QStringLiteral("/a.txt")));
            EXPECT_EQ(Entries(out), QStringList{QStringLiteral("a.txt")});
        }
    }
    EXPECT_TRUE(FileSystem::FindCaseVariant(QStringLiteral("/nonexistent-folder"), QStringLiteral("a")).isEmpty());
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
