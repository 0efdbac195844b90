// What the fail-safe copy carries besides the bytes, and what it refuses to call a copy: holes
// of sparse files, the user's extended attributes, a source rewritten while it was read.

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr int64_t kMiB = int64_t{1} << 20;

QByteArray Encoded(const QString& path) { return PathCodec::Encode(path); }

// A file of size bytes whose only data are the given 4 KiB blocks (offsets); the rest are holes.
QString SparseFile(const QString& path, int64_t size, std::initializer_list<int64_t> dataAt) {
    const int fd = ::open(Encoded(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    const QByteArray block(4096, 'd');
    for (const int64_t at : dataAt) EXPECT_EQ(::pwrite(fd, block.constData(), 4096, at), 4096);
    EXPECT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    return path;
}

struct stat Stat(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(Encoded(path).constData(), &st), 0);
    return st;
}

bool FileSystemKeepsHoles(const QString& folder) {
    const QString probe = SparseFile(folder + QStringLiteral("/probe"), 8 * kMiB, {});
    const bool keeps = Stat(probe).st_blocks * 512 < 8 * kMiB;
    ::unlink(Encoded(probe).constData());
    return keeps;
}

}  // namespace

TEST(CopyData, SparseFilesStayTheirSizeWithTheirHolesAndTheirData) {
    TempTree t;
    t.Folder(QStringLiteral("out"));
    if (!FileSystemKeepsHoles(t.Path())) GTEST_SKIP() << "the temporary folder's file system keeps no holes";
    struct Case {
        const char* name;
        int64_t size;
        std::initializer_list<int64_t> dataAt;
    };
    const Case cases[] = {
        {"middle.img", 8 * kMiB, {4 * kMiB}},
        {"ends.img", 6 * kMiB, {0, 6 * kMiB - 4096}},
        {"trailing-hole.img", 5 * kMiB, {0, 3 * kMiB}},
        {"all-hole.img", 4 * kMiB, {}},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString source = SparseFile(t.Path(name), c.size, c.dataAt);
        const QString destination = t.Path(QStringLiteral("out/") + name);
        ASSERT_TRUE(FileSystem::CopyFile(source, destination, {}, nullptr)) << c.name;
        EXPECT_EQ(Stat(destination).st_size, c.size) << c.name;
        // The data blocks and a little file-system overhead, never the holes.
        EXPECT_LE(Stat(destination).st_blocks * 512, static_cast<int64_t>(c.dataAt.size()) * 4096 + 64 * 1024) << c.name;
        EXPECT_EQ(t.Read(QStringLiteral("out/") + name), t.Read(name)) << c.name;
    }
}

TEST(CopyData, TheUsersExtendedAttributesTravelAndTheProgramsOwnMarksDoNot) {
    TempTree t;
    const QString source = t.File(QStringLiteral("a.txt"), "text");
    const QByteArray big(3000, 'v');  // larger than the first buffer the copy tries
    struct Attribute {
        const char* name;
        QByteArray value;
        bool travels;
    };
    const Attribute attributes[] = {
        {"user.xdg.origin.url", "https://example.org/a.txt", true},
        {"user.comment", big, true},
        {"user.empty", QByteArray(), true},
        {"user.tandor.archive", "1", false},
        {"user.tandor.temporary", "1", false},
    };
    for (const Attribute& a : attributes) {
        if (::setxattr(Encoded(source).constData(), a.name, a.value.constData(), static_cast<size_t>(a.value.size()), 0) != 0) {
            GTEST_SKIP() << "the temporary folder keeps no user attributes";
        }
    }
    // A new destination, and one the copy replaces.
    t.File(QStringLiteral("old/a.txt"), "old");
    for (const QString& to : {QStringLiteral("new/a.txt"), QStringLiteral("old/a.txt")}) {
        t.Folder(QStringLiteral("new"));
        ASSERT_TRUE(FileSystem::CopyFile(source, t.Path(to), {}, nullptr)) << qPrintable(to);
        for (const Attribute& a : attributes) {
            char value[8192];
            const ssize_t n = ::getxattr(Encoded(t.Path(to)).constData(), a.name, value, sizeof value);
            EXPECT_EQ(n >= 0, a.travels) << a.name << " on " << qPrintable(to);
            if (a.travels && n >= 0) {
                EXPECT_EQ(QByteArray(value, static_cast<qsizetype>(n)), a.value) << a.name;
            }
        }
    }
}

TEST(CopyData, ASourceRewrittenWhileItIsCopiedIsNeverCalledCopied) {
    TempTree t;
    const QByteArray original(6 * kMiB, 'o');
    struct Case {
        const char* destination;  // empty: a new file
        const char* rewrite;      // what happens to the source after the first chunk
    };
    const Case cases[] = {{"", "grow"}, {"old", "grow"}, {"", "same size"}, {"old", "same size"}};
    int n = 0;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("f%1.bin").arg(++n);
        const QString source = t.File(name, original);
        const QString target = QStringLiteral("out/") + name;
        t.Folder(QStringLiteral("out"));
        if (*c.destination) t.File(target, c.destination);
        bool rewritten = false;
        const auto rewriteOnce = [&](int64_t, int64_t) {
            if (rewritten) return;
            rewritten = true;
            const int fd = ::open(Encoded(source).constData(), O_WRONLY);
            if (std::string(c.rewrite) == "grow") EXPECT_EQ(::pwrite(fd, "more", 4, 6 * kMiB), 4);
            else EXPECT_EQ(::pwrite(fd, "edit", 4, 5 * kMiB), 4);
            // A coarse clock may give the edit the old time stamp: the edit moves it on.
            struct timespec times[2] = {{0, UTIME_OMIT}, {Stat(source).st_mtim.tv_sec + 5, 0}};
            EXPECT_EQ(::futimens(fd, times), 0);
            ::close(fd);
        };
        EXPECT_FALSE(FileSystem::CopyFile(source, t.Path(target), rewriteOnce, nullptr)) << c.rewrite;
        EXPECT_EQ(FileSystem::LastError(), FileSystem::ErrChangedSinceCompare) << c.rewrite;
        EXPECT_TRUE(rewritten);
        EXPECT_EQ(t.Exists(target), *c.destination != 0);
        if (*c.destination) {
            EXPECT_EQ(t.Read(target), QByteArray(c.destination));
        }
        const QStringList left = QDir(t.Path(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_EQ(left.filter(QStringLiteral(".~tandor-")), QStringList()) << c.rewrite;
        ::unlink(Encoded(t.Path(target)).constData());
    }
}
