#include "engine/Scanner.h"
#include "platform/CopyNames.h"
#include "platform/FileListing.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"
#include "support/FailingDevice.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

struct Scan {
    ScanList list;
    bool rootFailed = false;
    int error = 0;
};

Scan ScanTree(const QString& root, const QString& files = "*", const QString& excludeFiles = "",
              const QString& dirs = "*", const QString& excludeDirs = "", const QString& deleteMasks = "",
              ScanSwitches switches = {}) {
    Scan s;
    s.rootFailed = ScanFolderTree(root + "/", BuildMaskSet(dirs, excludeDirs), BuildMaskSet(files, excludeFiles),
                                  SplitMasks(deleteMasks), switches, s.list, &s.error);
    return s;
}

// Relative paths of the listed entries after entry 0, folders ending with '/', sorted.
QStringList Listed(const Scan& s, const QString& root) {
    QStringList out;
    for (size_t i = 1; i < s.list.size(); ++i) {
        const ScanEntry& e = s.list[i];
        if (e.Attributes & Attr::Directory) out << e.FolderPath.mid(root.size() + 1) + "/";
        else out << e.FolderPath.mid(root.size() + 1) + e.Name;
    }
    out.sort();
    return out;
}

const ScanEntry* Find(const Scan& s, const QString& name) {
    for (const ScanEntry& e : s.list)
        if (e.Name == name) return &e;
    return nullptr;
}

}  // namespace

TEST(Scanner, ListsTheTreeDepthFirstWithRootEntryAndPathForms) {
    TempTree t;
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    t.File("a.txt", "12345", when);
    t.File("sub/b.txt", "x");
    t.File("sub/deeper/c.txt", "");
    t.Folder("empty");
    const Scan s = ScanTree(t.Path());
    ASSERT_FALSE(s.rootFailed);
    EXPECT_EQ(Listed(s, t.Path()), (QStringList{"a.txt", "empty/", "sub/", "sub/b.txt", "sub/deeper/", "sub/deeper/c.txt"}));

    // Entry 0: the root without '/', no name, a folder.
    EXPECT_EQ(s.list[0].FolderPath, t.Path());
    EXPECT_TRUE(s.list[0].Name.isEmpty());
    EXPECT_TRUE(s.list[0].Attributes & Attr::Directory);

    const ScanEntry* a = Find(s, "a.txt");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->FolderPath, t.Path() + "/");
    EXPECT_EQ(a->Size, 5);
    EXPECT_DOUBLE_EQ(a->Modified, FileTimeToLocalDate(when.toSecsSinceEpoch()));
    const ScanEntry* sub = Find(s, "sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->FolderPath, t.Path() + "/sub");
    EXPECT_EQ(sub->Size, 0);
    EXPECT_EQ(sub->Modified, 0);

    // Depth first: a folder's contents follow its own entry.
    size_t subAt = 0, bAt = 0;
    for (size_t i = 0; i < s.list.size(); ++i) {
        if (s.list[i].Name == "sub") subAt = i;
        if (s.list[i].Name == "b.txt") bAt = i;
    }
    EXPECT_LT(subAt, bAt);
}

TEST(Scanner, FileMasksIncludeAndExclude) {
    TempTree t;
    t.File("readme", "");
    t.File("a.txt", "");
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*.*"), t.Path()), QStringList{"a.txt"});
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*"), t.Path()), (QStringList{"a.txt", "readme"}));
    EXPECT_TRUE(Listed(ScanTree(t.Path(), ""), t.Path()).isEmpty());

    TempTree u;
    u.File("Report.txt", "");
    u.File("~Report.txt", "");
    u.File("report.bak", "");
    EXPECT_EQ(Listed(ScanTree(u.Path(), "*.txt;*.DOC", "~*"), u.Path()), QStringList{"Report.txt"});
}

TEST(Scanner, ExcludedSubfolderHidesEverythingBelowIt) {
    TempTree t;
    t.File("keep/a.txt", "");
    t.File("Temp/b.txt", "");
    t.File("Temp/inner/c.txt", "");
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*", "", "*", "TEMP"), t.Path()), (QStringList{"keep/", "keep/a.txt"}));
    // Folder include masks apply to folder names only.
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*", "", "k*"), t.Path()), (QStringList{"keep/", "keep/a.txt"}));
}

TEST(Scanner, SubfoldersOffListsNoFolderAtAll) {
    TempTree t;
    t.File("a.txt", "");
    t.File("sub/b.txt", "");
    ScanSwitches sw;
    sw.SubDirs = false;
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*", "", "*", "", "", sw), t.Path()), QStringList{"a.txt"});
}

TEST(Scanner, HiddenSwitchesForFilesAndFolders) {
    TempTree t;
    t.File(".secret", "");
    t.File("plain", "");
    t.File(".config/x", "");
    ScanSwitches sw;
    sw.HiddenFiles = false;
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*", "", "*", "", "", sw), t.Path()), (QStringList{".config/", ".config/x", "plain"}));
    sw = {};
    sw.HiddenDirs = false;
    EXPECT_EQ(Listed(ScanTree(t.Path(), "*", "", "*", "", "", sw), t.Path()), (QStringList{".secret", "plain"}));
    const Scan all = ScanTree(t.Path());
    EXPECT_TRUE(Find(all, ".secret")->Attributes & Attr::Hidden);
    EXPECT_FALSE(Find(all, "plain")->Attributes & Attr::Hidden);
    // No file system here keeps a system bit.
    for (const ScanEntry& e : all.list) EXPECT_FALSE(e.Attributes & Attr::System);
}

TEST(Scanner, DeleteMasksFlagFiles) {
    TempTree t;
    t.File("x.tmp", "");
    t.File("x.txt", "");
    const Scan s = ScanTree(t.Path(), "*", "", "*", "", "*.TMP");
    EXPECT_TRUE(Find(s, "x.tmp")->DeleteMatch);
    EXPECT_FALSE(Find(s, "x.txt")->DeleteMatch);
}

TEST(Scanner, MissingRootGivesOneInvalidEntry) {
    TempTree t;
    const Scan s = ScanTree(t.Path("nothing"));
    EXPECT_TRUE(s.rootFailed);
    EXPECT_EQ(s.error, ENOENT);
    ASSERT_EQ(s.list.size(), 1u);
    EXPECT_EQ(s.list[0].Attributes, Attr::Invalid);
    EXPECT_TRUE(FileSystem::IsPathNotFound(FileSystem::LastError()));
}

TEST(Scanner, LinksAreListedAsFilesAndNeverFollowedSpecialFilesNever) {
    TempTree t;
    t.File("target/inside.txt", "abc");
    ASSERT_EQ(::symlink(qPrintable(t.Path("target")), qPrintable(t.Path("link"))), 0);
    ASSERT_EQ(::symlink("missing", qPrintable(t.Path("dangling"))), 0);
    ASSERT_EQ(::symlink(".", qPrintable(t.Path("target/loop"))), 0);
    ASSERT_EQ(::mkfifo(qPrintable(t.Path("pipe")), 0600), 0);
    const Scan s = ScanTree(t.Path());
    EXPECT_EQ(Listed(s, t.Path()), (QStringList{"dangling", "link", "target/", "target/inside.txt", "target/loop"}));
    EXPECT_FALSE(Find(s, "link")->Attributes & Attr::Directory);
    EXPECT_FALSE(Find(s, "loop")->Attributes & Attr::Directory);
}

TEST(Scanner, RootGivenAsLinkIsFollowed) {
    TempTree t;
    t.File("real/a.txt", "");
    ASSERT_EQ(::symlink(qPrintable(t.Path("real")), qPrintable(t.Path("alias"))), 0);
    const Scan s = ScanTree(t.Path("alias"));
    ASSERT_FALSE(s.rootFailed);
    EXPECT_TRUE(s.list[0].Attributes & Attr::Directory);
    EXPECT_EQ(Listed(s, t.Path("alias")), QStringList{"a.txt"});
}

TEST(Scanner, SizesAreSixtyFourBit) {
    TempTree t;
    const QString big = t.File("big.bin", "");
    const qint64 size = (qint64(5) << 30) + 10;  // sparse: takes no room on disk
    ASSERT_TRUE(QFile::resize(big, size));
    EXPECT_EQ(Find(ScanTree(t.Path()), "big.bin")->Size, size);
}

TEST(Scanner, CopyTemporariesAreNeverListedButLookalikesAre) {
    TempTree t;
    // A temporary file of the copy carries the copy's mark; a user's file of that form does not.
    const QString ours = t.File(".~tandor-123-4-a.txt.tmp", "partial");
    ASSERT_EQ(::setxattr(PathCodec::Encode(ours).constData(), FileSystem::CopyTemporaryMark, "1", 1, 0), 0);
    t.File(".~tandor-124-5-b.txt.tmp", "a user's file");
    t.File("a.txt", "");
    EXPECT_EQ(Listed(ScanTree(t.Path()), t.Path()), QStringList({".~tandor-124-5-b.txt.tmp", "a.txt"}));
}

TEST(Scanner, UnlistableSubfolderKeepsItsEntryWithTheError) {
    TempTree t;
    t.File("locked/inside.txt", "");
    t.File("open/x.txt", "");
    std::optional<FailingDevice> device(std::in_place);
    device->Fail(FailingDevice::Point::OpenListing, t.Path("locked"), EACCES);
    const Scan s = ScanTree(t.Path());
    device.reset();
    ASSERT_FALSE(s.rootFailed);
    EXPECT_EQ(Listed(s, t.Path()), (QStringList{"locked/", "open/", "open/x.txt"}));
    EXPECT_EQ(Find(s, "locked")->ListError, EACCES);
    EXPECT_EQ(Find(s, "open")->ListError, 0);

    // The same fault on the root fails the scan.
    device.emplace().Fail(FailingDevice::Point::OpenListing, t.Path(), EACCES);
    const Scan r = ScanTree(t.Path());
    device.reset();
    EXPECT_TRUE(r.rootFailed);
    EXPECT_EQ(r.error, EACCES);
    EXPECT_EQ(r.list.size(), 1u);
}

TEST(Scanner, PermissionDeniedIsReportedByTheRealListing) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the administrator";
    TempTree t;
    t.File("locked/inside.txt", "");
    ASSERT_EQ(::chmod(qPrintable(t.Path("locked")), 0), 0);
    const Scan s = ScanTree(t.Path());
    ::chmod(qPrintable(t.Path("locked")), 0700);
    EXPECT_EQ(Find(s, "locked")->ListError, EACCES);
}

TEST(Scanner, FileTimeToLocalDateKeepsWholeSecondsAndTheOffset) {
    EXPECT_DOUBLE_EQ(FileTimeToLocalDate(0, 0), 25569.0);
    EXPECT_DOUBLE_EQ(FileTimeToLocalDate(86400 + 3600, 0), 25570.0 + 1.0 / 24);
    EXPECT_DOUBLE_EQ(FileTimeToLocalDate(0, 7200), 25569.0 + 2.0 / 24);
    EXPECT_DOUBLE_EQ(FileTimeToLocalDate(-1, 0), 25568.0 + 86399.0 / 86400);
}

TEST(FileListing, ReadOnlyHiddenAndDirectoryBits) {
    TempTree t;
    const QString f = t.File("f.txt", "x");
    t.Folder("d");
    EXPECT_EQ(FileSystem::GetAttributes(t.Path("missing")), Attr::Invalid);
    EXPECT_TRUE(FileSystem::GetAttributes(t.Path("d")) & Attr::Directory);
    EXPECT_FALSE(FileSystem::GetAttributes(f) & Attr::ReadOnly);
    ASSERT_TRUE(FileSystem::SetAttributes(f, Attr::ReadOnly | Attr::Archive));
    struct stat st {};
    ASSERT_EQ(::stat(qPrintable(f), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);  // every write permission removed
    EXPECT_TRUE(FileSystem::GetAttributes(f) & Attr::ReadOnly);
    ASSERT_TRUE(FileSystem::SetAttributes(f, Attr::Archive));
    ASSERT_EQ(::stat(qPrintable(f), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR);  // the owner's write permission is back
    EXPECT_FALSE(FileSystem::GetAttributes(f) & Attr::ReadOnly);
}

TEST(FileListing, ArchiveBitIsSetOnNewAndChangedFilesAndClearedOnlyByTheProgram) {
    TempTree t;
    const QString f = t.File("f.txt", "one");
    EXPECT_TRUE(FileSystem::GetAttributes(f) & Attr::Archive);  // new file
    ASSERT_TRUE(FileSystem::SetAttributes(f, 0));
    EXPECT_FALSE(FileSystem::GetAttributes(f) & Attr::Archive);
    // Read again by a listing: still clear, and it stays clear across reads.
    std::vector<FileSystem::ListedEntry> out;
    ASSERT_TRUE(FileSystem::ListFolder(t.Path(), out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].attributes & Attr::Archive);

    // A change of the contents sets it again.
    t.File("f.txt", "two, longer", QDateTime::currentDateTime().addSecs(5));
    EXPECT_TRUE(FileSystem::GetAttributes(f) & Attr::Archive);

    // So does a new file put in its place with the same time and size.
    ASSERT_TRUE(FileSystem::SetAttributes(f, 0));
    const QDateTime m = t.Modified("f.txt");
    ASSERT_TRUE(QFile::remove(f));
    t.File("f.txt", "two, longer", m);
    EXPECT_TRUE(FileSystem::GetAttributes(f) & Attr::Archive);

    // And the program can set it on purpose.
    ASSERT_TRUE(FileSystem::SetAttributes(f, 0));
    ASSERT_TRUE(FileSystem::SetAttributes(f, Attr::Archive));
    EXPECT_TRUE(FileSystem::GetAttributes(f) & Attr::Archive);
}

TEST(FileListing, NamesThatAreNotUtf8RoundTrip) {
    TempTree t;
    const QByteArray raw = QFile::encodeName(t.Path()) + "/caf\xe9.txt";
    FILE* fp = std::fopen(raw.constData(), "w");
    ASSERT_TRUE(fp);
    std::fclose(fp);
    std::vector<FileSystem::ListedEntry> out;
    ASSERT_TRUE(FileSystem::ListFolder(t.Path(), out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(PathCodec::Encode(t.Path() + "/" + out[0].name), raw);
    EXPECT_NE(FileSystem::GetAttributes(t.Path() + "/" + out[0].name), Attr::Invalid);
}

TEST(FileListing, ErrorChecks) {
    EXPECT_TRUE(FileSystem::IsPathNotFound(ENOENT));
    EXPECT_TRUE(FileSystem::IsPathNotFound(ENOTDIR));
    EXPECT_FALSE(FileSystem::IsPathNotFound(EACCES));
    EXPECT_TRUE(FileSystem::IsFolderNotEmpty(ENOTEMPTY));
    EXPECT_TRUE(FileSystem::IsFileInUse(ETXTBSY));
    EXPECT_FALSE(FileSystem::ErrorText(EACCES).isEmpty());
}
