// What a compare lists of a folder tree and what it must never get wrong: masks, switches and
// the copy's temporaries; links, special entries and type conflicts; a folder that changes under
// the scanner; the other root inside a root. (An unreadable folder is the run's own test.)

#include "CompareRunFixture.h"
#include "engine/Merge.h"
#include "engine/Scanner.h"
#include "platform/CopyNames.h"
#include "platform/PathCodec.h"

#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <thread>

#include <sys/xattr.h>

namespace {

// What side s of a compare listed below root: relative paths, folders ending with '/', a file
// that a delete mask flags with '!'; sorted.
QStringList Listed(const FileView& view, const QString& root, int s = 0) {
    QStringList out;
    for (size_t i = 2; i < view.Results.size(); ++i) {
        const CompareRow& r = view.Results[i];
        if (!r.Exists(s)) continue;
        const QString relative = r.Folder(s).mid(root.size() + 1);
        out << (r.IsFolder() ? relative + "/" : relative + r.Name(s)) + (r.DeleteMatch ? "!" : "");
    }
    out.sort();
    return out;
}

}  // namespace

// Masks and switches of a pair on one tree: include and exclude masks of files and folders (an
// excluded folder hides its subtree; '*', '?' and ranges, letter case ignored), the subfolder and
// hidden switches, and the delete mask's flag. A temporary file of the copy (it carries the copy's mark) is never listed, a user's file
// of that form is.
TEST_F(CompareRunTest, MasksAndSwitchesChooseWhatIsListed) {
    TempTree t;
    t.Build({"l/.s", "l/.h/x", "l/a.txt", "l/~a.txt", "l/k/b.doc", "l/T/c.txt", "l/T/i/d.txt", "l/.h/.~tandor-124-5-b.txt.tmp", "r/"});
    const QString ours = t.File("l/.h/.~tandor-123-4-a.txt.tmp", "partial");
    ASSERT_EQ(::setxattr(PathCodec::Encode(ours).constData(), FileSystem::CopyTemporaryMark, "1", 1, 0), 0);
    const struct {
        std::array<QString, 5> masks;  // folders, excluded folders, files, excluded files, deletes
        bool subfolders, hiddenFolders, hiddenFiles;
        const char* listed;
    } cases[] = {
        {{"*", "", "*", "", ""}, true, true, true, ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc ~a.txt"},
        {{"*", "", "?.TXT;[!c-j]*.doc", "~*", ""}, true, true, true, ".h/ T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc"},
        {{"*", "t", "*", "~*", "*.TXT"}, true, true, true, ".h/ .h/.~tandor-124-5-b.txt.tmp .h/x .s a.txt! k/ k/b.doc"},
        {{"[k-m]*", "", "*.*", "", ""}, true, true, true, ".s a.txt k/ k/b.doc ~a.txt"},
        {{"*", "", "*", "", ""}, false, true, true, ".s a.txt ~a.txt"},
        {{"*", "", "*", "", ""}, true, true, false, ".h/ .h/x T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc ~a.txt"},
        {{"*", "", "*", "", ""}, true, false, true, ".s T/ T/c.txt T/i/ T/i/d.txt a.txt k/ k/b.doc ~a.txt"},
    };
    profile_.View.ShowEmptyFolders = true;
    for (const auto& c : cases) {
        profile_.Pairs.clear();
        FolderPair& pair = AddPair(t.Path("l"), t.Path("r"));
        pair.Mask = c.masks;
        pair.SubDirs = c.subfolders;
        pair.Hidden = {c.hiddenFolders, c.hiddenFiles};
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        EXPECT_EQ(Listed(view_, t.Path("l")), QString(c.listed).split(' ')) << c.masks[0].toStdString() << c.subfolders;
    }
}

// A link is listed as what it is and never followed below the root, a pipe is never listed; a
// link named as the root was the user's choice and is followed. A folder opposite a file, a link
// or a pipe is a type conflict: flagged with its subtree, proposes nothing and is reported (that
// no run touches it is the run's own test).
TEST_F(CompareRunTest, LinksAndTypeConflictsAreListedAsWhatTheyAreAndFlagged) {
    TempTree t;
    t.Build({"outside/", "r/k/x.txt", "l/p", "l/q/y.txt", "l/ok.txt", "l/d/in.txt", "l/d/sub/deep.txt", "l/target/inside.txt"});
    t.File("r/d", "a file where the left has a folder");
    t.Link("l/k", t.Path("outside"));
    t.Link("l/link", t.Path("l/target"));
    t.Link("l/dangling", "missing");
    t.Link("l/target/loop", ".");
    t.Pipe("l/pipe");
    t.Pipe("r/p");  // a pipe where the left has a file
    t.Pipe("r/q");
    AddPair(t.Path("l/link"), t.Path("outside"));
    ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(Listed(view_, t.Path("l/link")), (QStringList{"inside.txt", "loop"}));
    profile_.Pairs.clear();
    AddPair(t.Path("l"), t.Path("r"));
    const CompareRunResult res = Compare();
    EXPECT_EQ(res.outcome, CompareOutcome::Done);
    EXPECT_EQ(res.typeConflicts, 4);
    EXPECT_EQ(Listed(view_, t.Path("l")), (QStringList{"d/", "d/in.txt", "d/sub/", "d/sub/deep.txt", "dangling", "k", "link",
                                                       "ok.txt", "p", "q/", "q/y.txt", "target/", "target/inside.txt", "target/loop"}));
    int flagged = 0;
    for (size_t i = 2; i < view_.Results.size(); ++i) {
        const CompareRow& r = view_.Results[i];
        const int s = r.Exists(0) ? 0 : 1;
        const QString rel = (r.IsFolder() ? r.Folder(s) : r.Folder(s) + r.Name(s)).mid(t.Path("l").size() + 1);
        const bool conflict = QRegularExpression("^([dkq](/.*)?|p)$").match(rel).hasMatch();
        EXPECT_EQ(r.TypeConflict, conflict) << qPrintable(rel);
        EXPECT_EQ(r.SyncAction, conflict ? SyncAction::NoAction : SyncAction::LeftToRight) << qPrintable(rel);
        if (conflict) {
            EXPECT_FALSE(r.Selected) << qPrintable(rel);
        }
        flagged += conflict;
    }
    EXPECT_EQ(flagged, 11);  // d twice, d/in.txt, d/sub, d/sub/deep.txt, k twice, k/x.txt, p, q, q/y.txt
    ASSERT_EQ(host_.messagesShown.filter("T872").size(), 4);
    EXPECT_TRUE(host_.messagesShown.join("\n").contains(t.Path("r/d"))) << qPrintable(host_.messagesShown.join("\n"));
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
    ScanRules rules;
    rules.dirs = rules.files = BuildMaskSet("*", "");
    SideWalk walk(t.Path("root/"), rules, options);
    walk.Start();
    std::vector<ListedNode> nodes(1);
    while (walk.Next(nodes.back())) nodes.emplace_back();
    nodes.pop_back();
    ASSERT_EQ(nodes.size(), 2u);  // the root and sub, nothing below it
    ASSERT_EQ(nodes[0].entries.size(), 1u);
    EXPECT_EQ(nodes[0].entries[0].Name, "sub");
    EXPECT_TRUE(nodes[1].entries.empty());
    ASSERT_EQ(nodes[1].errors.size(), 1u);
    EXPECT_NE(nodes[1].errors[0], 0);
}

// A walk lists ahead of the merge only up to its bound, whatever the size of the tree, and
// hands every node in order once the merge takes them: the tree is never held whole.
TEST(Scanner, AWalkWaitsForTheMergeOnceItIsFarEnoughAhead) {
    TempTree t;
    for (int f = 0; f < 40; ++f)
        for (int i = 0; i < 5; ++i) t.File(QString("root/d%1/f%2").arg(f, 2, 10, QChar('0')).arg(i), "");
    std::atomic<int> listed = 0;
    ScanOptions options;
    options.beforeListing = [&](const QString&) { ++listed; };
    ScanRules rules;
    rules.dirs = rules.files = BuildMaskSet("*", "");
    SideWalk walk(t.Path("root/"), rules, options, 10);
    walk.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(listed.load(), 4);  // the root's 40 entries alone are past the bound
    EXPECT_FALSE(walk.Finished());
    QStringList order;
    ListedNode node;
    while (walk.Next(node))
        for (const ScanEntry& e : node.entries) order << e.FolderPath.mid(t.Path("root").size()) + (e.IsFolder() ? "/" : e.Name);
    EXPECT_EQ(listed.load(), 40);
    ASSERT_EQ(order.size(), 240);
    EXPECT_EQ(order.mid(38, 4), (QStringList{"/d38/", "/d39/", "/d00/f0", "/d00/f1"}));
}

// A walk that ends before the merge has a folder's node (it was stopped) never passes for an
// empty folder: the folder counts as unreadable, and nothing below it on the other side is
// proposed for deletion or copy.
TEST(Scanner, AFolderWhoseNodeNeverCameIsUnreadableNotEmpty) {
    auto entry = [](const QString& folder, const QString& name, bool isFolder) {
        ScanEntry e;
        e.FolderPath = isFolder ? folder + name : folder;
        e.Name = name;
        e.Attributes = isFolder ? Attr::Directory : 0;
        return e;
    };
    MergeSide sides[2];
    for (int s = 0; s < 2; ++s) {
        sides[s].root = s == 0 ? "/l/" : "/r/";
        sides[s].rootEntry = entry(sides[s].root.chopped(1), QString(), true);
        sides[s].rootNode.entries = {entry(sides[s].root, "d", true)};
        sides[s].rootNode.errors = {0};
    }
    sides[0].next = [](ListedNode&) { return false; };  // the left walk was stopped
    sides[1].next = [&](ListedNode& node) {
        node.entries = {entry("/r/d/", "x", false)};
        node.firstFolder = 1;  // x is a file
        node.errors = {0};
        return true;
    };
    ResultList rows;
    const std::vector<RowProblem> problems = MergePair(sides, MergeOptions(), rows);
    ASSERT_EQ(rows.size(), 4u);  // row 0, the root, d, x
    EXPECT_TRUE(rows[2].Unreadable && rows[3].Unreadable);
    EXPECT_EQ(rows[3].SyncAction, SyncAction::NoAction);
    EXPECT_FALSE(rows[3].Selected);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].side, 0);
    EXPECT_NE(problems[0].error, 0);
}

// The other root of a pair inside a root, under any spelling (a link outside the tree included),
// is no content of it, whichever side it is on.
TEST_F(CompareRunTest, TheOtherRootInsideARootIsNoContentOfIt) {
    TempTree t;
    t.Build({"X/a.txt", "X/sub/b.txt", "X/backup/archived.txt"});
    t.Link("elsewhere/link", t.Path("X/backup"));
    for (const QString& inner : {t.Path("X/backup"), t.Path("X/sub/../backup"), t.Path("elsewhere/link")}) {
        for (int outerSide = 0; outerSide < 2; ++outerSide) {
            profile_.Pairs.clear();
            AddPair(outerSide ? inner : t.Path("X"), outerSide ? t.Path("X") : inner);
            ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
            EXPECT_EQ(Listed(view_, t.Path("X"), outerSide), (QStringList{"a.txt", "sub/", "sub/b.txt"})) << qPrintable(inner);
            EXPECT_EQ(Listed(view_, view_.Results[1].Folder(1 - outerSide), 1 - outerSide), QStringList{"archived.txt"});
        }
    }
}
