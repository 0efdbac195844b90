// The ways a move to the trash can fail, on real folders: each one reports an error, leaves the
// file where it was and leaves no info file behind.

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Encoded(const QString& path) { return PathCodec::Encode(path); }

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<gone>");
}

// Points the home trash into a temporary folder while it lives.
class TrashTest : public ::testing::Test {
protected:
    void SetUp() override { environment_.Set("XDG_DATA_HOME", dataHome.Path().toUtf8()); }
    void TearDown() override { Clock::SetNowForTests({}); }
    // The file is where it was, and no info file is left behind.
    void ExpectKept(const QString& file) {
        EXPECT_EQ(ReadFile(file), QByteArray("mine"));
        const QStringList infos = QDir(dataHome.Path(QStringLiteral("Trash/info"))).entryList(QDir::Files);
        EXPECT_TRUE(infos.isEmpty()) << qPrintable(infos.join(u' '));
    }

    TempTree dataHome, tree;

private:
    ScopedEnvironment environment_;
};

}  // namespace

// Each way the home trash can fail: the move itself, and the info file that cannot be created
// or, when no file may grow (as on a full disk), not written and so removed again.
TEST_F(TrashTest, EveryFailureOfTheHomeTrashKeepsTheFileAndReportsIt) {
    const struct { const char* what; const char* fileInTrash; bool noGrowth; int err; } cases[] = {
        {"the info folder is a file", "Trash/info", false, ENOTDIR},
        {"the files folder is a file, so the move itself fails", "Trash/files", false, ENOTDIR},
        {"the info file cannot be written", nullptr, true, EFBIG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dataHome.Path(QStringLiteral("Trash"))).removeRecursively();
        for (const char* folder : {"Trash/files", "Trash/info"}) {
            if (QLatin1String(c.fileInTrash) == QLatin1String(folder)) dataHome.File(folder, "x");
            else dataHome.Folder(folder);
        }
        const QString file = tree.File(QStringLiteral("a.txt"), "mine");
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit none = old;
        none.rlim_cur = c.noGrowth ? 0 : old.rlim_cur;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
        const bool moved = FileSystem::MoveToTrash(file);
        const int err = FileSystem::LastError();
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(moved);
        EXPECT_EQ(err, c.err);
        ExpectKept(file);
    }
}

// The file keeps its data and mode; its info names it percent-encoded with the time of the move;
// a file in the trash without info (another program's) is never overwritten.
TEST_F(TrashTest, AFileMovesUnchangedBesideOneOfTheSameNameWithoutInfo) {
    Clock::SetNowForTests([] { return QDateTime(QDate(2026, 3, 1), QTime(8, 30, 0)); });
    dataHome.File(QStringLiteral("Trash/files/ro file%.txt"), "left by another program");
    dataHome.Folder(QStringLiteral("Trash/info"));
    const QString file = tree.File(QStringLiteral("sub/ro file%.txt"), "mine");
    ASSERT_EQ(::chmod(Encoded(file).constData(), 0444), 0);
    ASSERT_TRUE(FileSystem::MoveToTrash(file));
    EXPECT_FALSE(tree.Exists(QStringLiteral("sub/ro file%.txt")));
    EXPECT_EQ(dataHome.Read(QStringLiteral("Trash/files/ro file%.txt")), QByteArray("left by another program"));
    const QString moved = dataHome.Path(QStringLiteral("Trash/files/ro file%.2.txt"));
    EXPECT_EQ(ReadFile(moved), QByteArray("mine"));
    struct stat st {};
    ASSERT_EQ(::lstat(Encoded(moved).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(QDir(dataHome.Path(QStringLiteral("Trash/info"))).entryList(QDir::Files),
              QStringList{QStringLiteral("ro file%.2.txt.trashinfo")});
    EXPECT_EQ(dataHome.Read(QStringLiteral("Trash/info/ro file%.2.txt.trashinfo")),
              "[Trash Info]\nPath=" + Encoded(file).toPercentEncoding("/") + "\nDeletionDate=2026-03-01T08:30:00\n");
}

// A file on another volume goes to that volume's own trash, named relative to the volume's top;
// a trash there that cannot be used keeps the file, which is never copied to the home trash on
// another file system instead.
TEST_F(TrashTest, AFileOnAnotherVolumeGoesToItsOwnTrashOrStays) {
    TempTree mountPoint;
    const QByteArray mnt = Encoded(mountPoint.Path());
    if (::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    const QString own = QStringLiteral(".Trash-") + QString::number(::getuid());
    ASSERT_TRUE(FileSystem::MoveToTrash(mountPoint.File(QStringLiteral("d/x.txt"), "on the volume")));
    EXPECT_FALSE(mountPoint.Exists(QStringLiteral("d/x.txt")));
    EXPECT_EQ(mountPoint.Read(own + QStringLiteral("/files/x.txt")), QByteArray("on the volume"));
    EXPECT_TRUE(mountPoint.Read(own + QStringLiteral("/info/x.txt.trashinfo"))
                    .startsWith("[Trash Info]\nPath=d/x.txt\nDeletionDate="));

    ASSERT_TRUE(QDir(mountPoint.Path(own)).removeRecursively());
    mountPoint.File(own, "not a folder");
    EXPECT_FALSE(FileSystem::MoveToTrash(mountPoint.File(QStringLiteral("d/a.txt"), "mine")));
    EXPECT_EQ(FileSystem::LastError(), EXDEV);
    ExpectKept(mountPoint.Path(QStringLiteral("d/a.txt")));
    EXPECT_FALSE(dataHome.Exists(QStringLiteral("Trash/files/a.txt")));
    ::umount2(mnt.constData(), MNT_DETACH);
}
