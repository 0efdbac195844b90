// What a compare lists of a folder tree (masks, switches, links, temporaries, folders that cannot
// be listed), what the scanner does when a folder changes under it, and what the listing reports
// of a file (archive bit, read-only, names that are not UTF-8).

#include "CompareRunFixture.h"
#include "engine/Scanner.h"
#include "platform/CopyNames.h"
#include "platform/FileListing.h"
#include "platform/PathCodec.h"
#include "support/FailingDevice.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <functional>
#include <optional>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// What a compare of root against an empty folder listed: relative paths, sorted, folders ending
// with '/', a file that a delete mask flags with '!'.
QStringList Listed(const FileView& view, const QString& root) {
    QStringList out;
    for (size_t i = 2; i < view.Results.size(); ++i) {
        const CompareRow& r = view.Results[i];
        const QString relative = r.Folder[0].mid(root.size() + 1);
        out << (r.IsFolder() ? relative + "/" : relative + r.Name[0]) + (r.DeleteMatch ? "!" : "");
    }
    out.sort();
    return out;
}

}  // namespace

// Masks and switches of a pair on one tree: include and exclude masks of files and folders (an
// excluded folder hides its subtree), the subfolder and hidden switches, and the delete mask's
// flag. A temporary file of the copy (it carries the copy's mark) is never listed, a user's file
// of that form is.
TEST_F(CompareRunTest, MasksAndSwitchesChooseWhatIsListed) {
    TempTree t;
    t.Build({"l/.s", "l/.h/x", "l/a.txt", "l/~a.txt", "l/readme", "l/k/b.doc", "l/T/c.txt", "l/T/i/d.txt",
             "l/.h/.~tandor-124-5-b.txt.tmp", "r/"});
    const QString ours = t.File("l/.h/.~tandor-123-4-a.txt.tmp", "partial");
    ASSERT_EQ(::setxattr(PathCodec::Encode(ours).constData(), FileSystem::CopyTemporaryMark, "1", 1, 0), 0);
    struct Case {
        const char* what;
        std::array<QString, 5> masks;  // folders, excluded folders, files, excluded files, deletes
        bool subfolders, hiddenFolders, hiddenFiles;
        const char* listed;
    } cases[] = {
        {"everything", {"*", "", "*", "", ""}, true, true, true,
         ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc readme ~a.txt"},
        {"*.* wants a dot", {"*", "", "*.*", "", ""}, true, true, true,
         ".h/ .h/.~tandor-124-5-b.txt.tmp .s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc ~a.txt"},
        {"no file mask, no file", {"*", "", "", "", ""}, true, true, true, ".h/ T/ T/i/ k/"},
        {"list and exclusion", {"*", "", "*.TXT;*.doc", "~*", ""}, true, true, true,
         ".h/ T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc"},
        {"excluded folder", {"*", "t", "*", "", ""}, true, true, true,
         ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s a.txt k/ k/b.doc readme ~a.txt"},
        {"folder mask", {"k*", "", "*", "", ""}, true, true, true, ".s a.txt k/ k/b.doc readme ~a.txt"},
        {"delete mask", {"*", "", "*", "", "*.TXT"}, true, true, true,
         ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s T/ T/c.txt! T/i/ T/i/d.txt! a.txt! k/ k/b.doc readme ~a.txt!"},
        {"no subfolders", {"*", "", "*", "", ""}, false, true, true, ".s a.txt readme ~a.txt"},
        {"no hidden files", {"*", "", "*", "", ""}, true, true, false,
         ".h/ .h/x T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc readme ~a.txt"},
        {"no hidden folders", {"*", "", "*", "", ""}, true, false, true,
         ".s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc readme ~a.txt"},
    };
    profile_.View.ShowEmptyFolders = true;
    for (const Case& c : cases) {
        profile_.Pairs.clear();
        FolderPair& pair = AddPair(t.Path("l"), t.Path("r"));
        pair.Mask = c.masks;
        pair.SubDirs = c.subfolders;
        pair.Hidden = {c.hiddenFolders, c.hiddenFiles};
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done) << c.what;
        EXPECT_EQ(Listed(view_, t.Path("l")), QString(c.listed).split(' ')) << c.what;
    }
}

// A link is listed as what it is and never followed below the root, a pipe is never listed; a
// link named as the root was the user's choice and is followed.
TEST_F(CompareRunTest, LinksAreListedAsFilesAndNeverFollowedBelowTheRootSpecialFilesNever) {
    TempTree t;
    t.File("l/target/inside.txt", "abc");
    t.Link("l/link", t.Path("l/target"));
    t.Link("l/dangling", "missing");
    t.Link("l/target/loop", ".");
    t.Pipe("l/pipe");
    t.Folder("r");
    const QStringList fromTheTree{"dangling", "link", "target/", "target/inside.txt", "target/loop"};
    const QStringList throughTheLink{"inside.txt", "loop"};
    for (const QString& root : {t.Path("l"), t.Path("l/link")}) {
        profile_.Pairs.clear();
        AddPair(root, t.Path("r"));
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        EXPECT_EQ(Listed(view_, root), root == t.Path("l") ? fromTheTree : throughTheLink);
    }
}

// A folder the listing refuses keeps its row and is reported once; it and everything below it, on
// both sides, are flagged and left alone. An ordinary user meets the folder's mode, the
// administrator (whom no mode stops) the system's answer injected. A root that cannot be listed
// fails the compare.
TEST_F(CompareRunTest, AnUnlistableFolderIsReportedAndLeftAloneAnUnlistableRootFailsTheCompare) {
    TempTree t;
    t.Build({"l/locked/inside.txt", "l/open/x.txt", "r/locked/other.txt", "r/locked/deep/more.txt"});
    AddPair(t.Path("l"), t.Path("r"));
    profile_.View.ShowEmptyFolders = true;
    for (const bool root : {false, true}) {
        const QString denied = root ? t.Path("l") : t.Path("l/locked");
        std::optional<FailingDevice> device;
        if (::geteuid() == 0) {
            device.emplace().Fail(FailingDevice::Point::OpenListing, denied, EACCES, 0, -1);
        } else {
            ASSERT_EQ(::chmod(qPrintable(denied), 0), 0);
        }
        host_.messagesShown.clear();
        const CompareRunResult res = Compare();
        device.reset();
        ::chmod(qPrintable(denied), 0700);
        EXPECT_TRUE(::Run().ErrorReported);
        ASSERT_EQ(host_.messagesShown.size(), 1);
        EXPECT_TRUE(host_.messagesShown[0].contains(denied)) << qPrintable(host_.messagesShown[0]);
        if (root) {
            EXPECT_EQ(res.outcome, CompareOutcome::RootUnreadable);
            continue;
        }
        EXPECT_EQ(res.unreadableFolders, 1);
        QStringList flagged;
        for (size_t i = 2; i < view_.Results.size(); ++i) {
            const CompareRow& r = view_.Results[i];
            const int s = r.Exists(0) ? 0 : 1;
            const QString path = r.IsFolder() ? r.Folder[s] : r.Folder[s] + r.Name[s];
            EXPECT_EQ(r.Unreadable, path.contains("/locked")) << qPrintable(path);
            if (!r.Unreadable) continue;
            flagged << r.Name[s];
            EXPECT_EQ(r.SyncAction, SyncAction::NoAction);
            EXPECT_FALSE(r.Selected);
        }
        EXPECT_EQ(flagged, (QStringList{"locked", "other.txt", "deep", "more.txt"}));
    }
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
    ScanList list;
    int error = 0;
    ASSERT_FALSE(ScanFolderTree(t.Path("root/"), BuildMaskSet("*", ""), BuildMaskSet("*", ""), {}, {}, list, &error, options));
    ASSERT_EQ(list.size(), 2u);  // the root and sub, nothing below it
    EXPECT_EQ(list[1].Name, "sub");
    EXPECT_NE(list[1].ListError, 0);
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
