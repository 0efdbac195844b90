#include "engine/Scanner.h"
#include "platform/CopyNames.h"
#include "platform/FileListing.h"
#include "platform/PathCodec.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"
#include "support/FailingDevice.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <functional>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

struct Scan {
    ScanList list;
    bool rootFailed = false;
    int error = 0;
};

struct Masks {
    Masks(QString f = "*", QString xf = "", QString d = "*", QString xd = "", QString del = "")
        : files(f), excludeFiles(xf), dirs(d), excludeDirs(xd), deletes(del) {}
    QString files, excludeFiles, dirs, excludeDirs, deletes;
};

Scan ScanTree(const QString& root, const Masks& m = {}, ScanSwitches switches = {}, const ScanOptions& options = {}) {
    Scan s;
    s.rootFailed = ScanFolderTree(root + "/", BuildMaskSet(m.dirs, m.excludeDirs), BuildMaskSet(m.files, m.excludeFiles),
                                  SplitMasks(m.deletes), switches, s.list, &s.error, options);
    return s;
}

// Relative paths of the listed entries after entry 0, sorted: folders end with '/', a file that
// a delete mask flags with '!'.
QStringList Listed(const Scan& s, const QString& root) {
    QStringList out;
    for (size_t i = 1; i < s.list.size(); ++i) {
        const ScanEntry& e = s.list[i];
        if (e.Attributes & Attr::Directory) out << e.FolderPath.mid(root.size() + 1) + "/";
        else out << e.FolderPath.mid(root.size() + 1) + e.Name + (e.DeleteMatch ? "!" : "");
    }
    out.sort();
    return out;
}

const ScanEntry* Find(const Scan& s, const QString& name) {
    for (const ScanEntry& e : s.list)
        if (e.Name == name) return &e;
    return nullptr;
}

ScanSwitches Without(bool ScanSwitches::*which) {
    ScanSwitches s;
    s.*which = false;
    return s;
}

}  // namespace

// Masks and switches on one tree: include and exclude masks of files and folders (an excluded
// folder hides its subtree), the subfolder and hidden switches, and the delete mask's flag. A
// temporary file of the copy (it carries the copy's mark) is never listed, a user's file of that
// form is.
TEST(Scanner, MasksAndSwitchesChooseWhatIsListed) {
    TempTree t;
    t.Build({".s", ".h/x", "a.txt", "~a.txt", "readme", "k/b.doc", "T/c.txt", "T/i/d.txt", ".h/.~tandor-124-5-b.txt.tmp"});
    const QString ours = t.File(".h/.~tandor-123-4-a.txt.tmp", "partial");
    ASSERT_EQ(::setxattr(PathCodec::Encode(ours).constData(), FileSystem::CopyTemporaryMark, "1", 1, 0), 0);
    struct Case {
        const char* what;
        Masks masks;
        ScanSwitches switches;
        const char* listed;
    } cases[] = {
        {"everything", {}, {}, ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc readme ~a.txt"},
        {"*.* wants a dot", {"*.*"}, {}, ".h/ .h/.~tandor-124-5-b.txt.tmp .s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc ~a.txt"},
        {"no file mask, no file", {""}, {}, ".h/ T/ T/i/ k/"},
        {"list and exclusion", {"*.TXT;*.doc", "~*"}, {}, ".h/ T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc"},
        {"excluded folder", {"*", "", "*", "t"}, {}, ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s a.txt k/ k/b.doc readme ~a.txt"},
        {"folder mask", {"*", "", "k*"}, {}, ".s a.txt k/ k/b.doc readme ~a.txt"},
        {"delete mask", {"*", "", "*", "", "*.TXT"}, {},
         ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s T/ T/c.txt! T/i/ T/i/d.txt! a.txt! k/ k/b.doc readme ~a.txt!"},
        {"no subfolders", {}, Without(&ScanSwitches::SubDirs), ".s a.txt readme ~a.txt"},
        {"no hidden files", {}, Without(&ScanSwitches::HiddenFiles),
         ".h/ .h/x T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc readme ~a.txt"},
        {"no hidden folders", {}, Without(&ScanSwitches::HiddenDirs),
         ".s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc readme ~a.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Listed(ScanTree(t.Path(), c.masks, c.switches), t.Path()), QString(c.listed).split(' ')) << c.what;
    const Scan all = ScanTree(t.Path());
    EXPECT_TRUE(Find(all, ".s")->Attributes & Attr::Hidden);
    EXPECT_FALSE(Find(all, "readme")->Attributes & Attr::Hidden);
}

TEST(Scanner, LinksAreListedAsFilesAndNeverFollowedBelowTheRootSpecialFilesNever) {
    TempTree t;
    t.File("target/inside.txt", "abc");
    t.Link("link", t.Path("target"));
    t.Link("dangling", "missing");
    t.Link("target/loop", ".");
    t.Pipe("pipe");
    const Scan s = ScanTree(t.Path());
    EXPECT_EQ(Listed(s, t.Path()), (QStringList{"dangling", "link", "target/", "target/inside.txt", "target/loop"}));
    // The root was named by the user: a link there is followed.
    const Scan viaLink = ScanTree(t.Path("link"));
    ASSERT_FALSE(viaLink.rootFailed);
    EXPECT_EQ(Listed(viaLink, t.Path("link")), (QStringList{"inside.txt", "loop"}));
}

TEST(Scanner, AFolderSwappedForALinkAfterItsParentWasListedIsNotFollowed) {
    TempTree t;
    t.File("root/sub/own.txt", "");
    t.File("outside/secret.txt", "");
    ScanOptions options;
    options.beforeListing = [&](const QString& folder) {
        if (folder != t.Path("root/sub/")) return;
        ASSERT_TRUE(QDir().rename(t.Path("root/sub"), t.Path("moved")));
        t.Link("root/sub", t.Path("outside"));
    };
    const Scan s = ScanTree(t.Path("root"), {}, {}, options);
    EXPECT_EQ(Listed(s, t.Path("root")), QStringList{"sub/"});
    EXPECT_NE(Find(s, "sub")->ListError, 0);
}

TEST(Scanner, AnUnlistableSubfolderKeepsItsEntryWithTheErrorAnUnlistableRootFailsTheScan) {
    TempTree t;
    t.File("locked/inside.txt", "");
    t.File("open/x.txt", "");
    // Denied by its mode to an ordinary user; the administrator passes any mode, so there the
    // system's answer is injected.
    std::optional<FailingDevice> device;
    if (::geteuid() == 0) {
        device.emplace().Fail(FailingDevice::Point::OpenListing, t.Path("locked"), EACCES);
    } else {
        ASSERT_EQ(::chmod(qPrintable(t.Path("locked")), 0), 0);
    }
    const Scan s = ScanTree(t.Path());
    device.reset();
    ::chmod(qPrintable(t.Path("locked")), 0700);
    ASSERT_FALSE(s.rootFailed);
    EXPECT_EQ(Listed(s, t.Path()), (QStringList{"locked/", "open/", "open/x.txt"}));
    EXPECT_EQ(Find(s, "locked")->ListError, EACCES);
    EXPECT_EQ(Find(s, "open")->ListError, 0);

    for (const int err : {EACCES, ENOENT}) {
        std::optional<FailingDevice> rootDevice;
        if (err == EACCES) rootDevice.emplace().Fail(FailingDevice::Point::OpenListing, t.Path(), EACCES);
        const Scan r = ScanTree(err == EACCES ? t.Path() : t.Path("missing"));
        rootDevice.reset();
        EXPECT_TRUE(r.rootFailed);
        EXPECT_EQ(r.error, err);
        ASSERT_EQ(r.list.size(), 1u);
        EXPECT_EQ(r.list[0].Attributes == Attr::Invalid, err == ENOENT);
    }
}

// The archive bit as the listing and GetAttributes report it after each step of a file's life.
TEST(FileListing, TheArchiveBitIsSetOnNewAndChangedFilesAndClearedOnlyByTheProgram) {
    TempTree t;
    const QString f = t.File("f.txt", "one");
    const auto clear = [&] { ASSERT_TRUE(FileSystem::SetAttributes(f, 0)); };
    const struct Step {
        const char* what;
        std::function<void()> act;
        bool archive;
    } steps[] = {
        {"a new file", [] {}, true},
        {"cleared by the program", clear, false},
        {"read again", [] {}, false},
        {"contents changed", [&] { t.File("f.txt", "two, longer", QDateTime::currentDateTime().addSecs(5)); }, true},
        {"cleared again", clear, false},
        {"a new file with the same time and size in its place",
         [&] {
             const QDateTime m = t.Modified("f.txt");
             ASSERT_TRUE(QFile::remove(f));
             t.File("f.txt", "two, longer", m);
         },
         true},
        {"set on purpose", [&] { clear(); ASSERT_TRUE(FileSystem::SetAttributes(f, Attr::Archive)); }, true},
    };
    for (const Step& step : steps) {
        step.act();
        std::vector<FileSystem::ListedEntry> listed;
        ASSERT_TRUE(FileSystem::ListFolder(t.Path(), listed));
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ((listed[0].attributes & Attr::Archive) != 0, step.archive) << step.what;
        EXPECT_EQ((FileSystem::GetAttributes(f) & Attr::Archive) != 0, step.archive) << step.what;
    }
}

TEST(FileListing, ReadOnlyRemovesEveryWritePermissionAndClearingItRestoresTheOwners) {
    TempTree t;
    const QString f = t.File("f.txt", "x");
    struct stat st {};
    for (const bool readOnly : {true, false}) {
        ASSERT_TRUE(FileSystem::SetAttributes(f, readOnly ? Attr::ReadOnly : 0));
        ASSERT_EQ(::stat(qPrintable(f), &st), 0);
        EXPECT_EQ(st.st_mode & 0222, readOnly ? 0u : unsigned(S_IWUSR)) << readOnly;
        EXPECT_EQ((FileSystem::GetAttributes(f) & Attr::ReadOnly) != 0, readOnly);
    }
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
