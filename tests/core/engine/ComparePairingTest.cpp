// The compare on real folder trees: its roots (resolved, created, or unreadable and then
// stopping it), how it pairs and orders entries and what it proposes for them: the rules for a
// file on both sides, the order of the rows, letter case, and names holding characters that
// sort before every other (chr 1 to 3).

#include "CompareRunFixture.h"
#include "platform/VolumeLabels.h"
#include "support/FailingDevice.h"

#include <QSet>

#include <map>
#include <optional>
#include <random>

namespace {

const QDateTime kTen(QDate(2026, 1, 12), QTime(10, 0, 0));  // winter: no clock change nearby

// Puts paths below folder: one ending with '/' is a folder, any other a file made at ten o'clock.
void Plant(TempTree& t, const QString& folder, const QStringList& paths) {
    t.Folder(folder);
    for (const QString& p : paths) {
        if (p.endsWith('/')) t.Folder(folder + '/' + p);
        else t.File(folder + '/' + p, "x", kTen);
    }
}

// A compare of one pair made of two trees below t: "l" with the paths left, "r" with right; the
// right side folds letter case when folds.
class PairedTrees : public CompareRunTest {
protected:
    void PlantPair(TempTree& t, const QStringList& left, const QStringList& right, bool folds) {
        Plant(t, "l", left);
        Plant(t, "r", right);
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r"));
        FileSystem::SetCaseFoldingFoldersForTests(folds ? std::vector<QString>{t.Path("r")} : std::vector<QString>{});
    }
};

}  // namespace

// One file on both sides: the archive bit before the time (strict lag, both ways), the size only
// where the times agree (all 64 bits), the delete mask's tick only for equal files whose sizes
// were compared.
TEST_F(CompareRunTest, RulesForAFileOnBothSides) {
    const int64_t big = (int64_t(5) << 32) + 10;  // the low 32 bits equal those of 10
    struct Side { int seconds; int64_t size; bool archive; };  // seconds after ten o'clock
    const struct {
        const char* what;
        Side left, right;
        bool compareDate, compareSize, checkArchive;
        const char* deleteMask;
        int16_t action;
        bool selected;
    } cases[] = {
        {"within the lag", {0, 5, 0}, {2, 5, 0}, true, true, false, "", SyncAction::NoAction, false},
        {"right newer", {0, 5, 0}, {3, 5, 0}, true, true, false, "", SyncAction::RightToLeft, true},
        {"left within the lag", {2, 5, 0}, {0, 5, 0}, true, true, false, "", SyncAction::NoAction, false},
        {"left newer", {3, 5, 0}, {0, 5, 0}, true, true, false, "", SyncAction::LeftToRight, true},
        {"archive bit before time", {0, 5, 1}, {3600, 5, 0}, true, true, true, "", SyncAction::LeftToRight, true},
        {"newer beats larger", {60, 1, 0}, {0, 999, 0}, true, true, false, "", SyncAction::LeftToRight, true},
        {"64-bit left", {0, big, 0}, {0, 10, 0}, true, true, false, "", SyncAction::LeftToRight, true},
        {"sizes off", {0, 100, 0}, {0, 200, 0}, true, false, false, "", SyncAction::NoAction, false},
        {"dates off, sizes", {0, 100, 0}, {-86400 * 900, 200, 0}, false, true, false, "", SyncAction::RightToLeft, true},
        {"delete mask", {0, 5, 0}, {0, 5, 0}, true, true, false, "f", SyncAction::NoAction, true},
        {"delete mask, sizes off", {0, 5, 0}, {0, 5, 0}, true, false, false, "f", SyncAction::NoAction, false},
    };
    profile_.Options.TimeLag = 2 / 86400.0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree t;
        for (const auto& [side, folder] : {std::pair{c.left, "l"}, std::pair{c.right, "r"}}) {
            const QString f = t.File(QString(folder) + "/f", "");
            ASSERT_TRUE(QFile::resize(f, side.size));  // a large one is sparse
            t.SetModified(QString(folder) + "/f", kTen.addSecs(side.seconds));
            if (!side.archive) {
                ASSERT_TRUE(FileSystem::SetAttributes(f, 0));
            }
        }
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r")).Mask[MaskDeleteFiles] = c.deleteMask;
        profile_.Options.CompareDate = c.compareDate;
        profile_.Options.CompareSize = c.compareSize;
        profile_.Options.CheckArchiveAttr = c.checkArchive ? 32 : 0;
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        ASSERT_EQ(view_.Results.size(), 3u);  // unused row 0, the root row, the file
        EXPECT_EQ(view_.Results[2].SyncAction, c.action);
        EXPECT_EQ(view_.Results[2].ProposedMark, c.selected);
    }
}

// A folder's row first, then its files, then each subfolder followed by its tree (the separator
// sorts before a blank); code units are compared, not by locale; letter case is folded where a
// side folds it and kept elsewhere. Names holding the separator, the file mark or the escape
// character of a path key never give the key of another path ("x<1>y/f" is not "x/y/f"):
// a row pairs only the same path, and every subtree stays together.
TEST_F(PairedTrees, RowsComeFolderFirstAndAKeyCharacterInANameNeverPairsAnotherPath) {
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80.png");
    const QString one(QChar(1)), two(QChar(2)), three(QChar(3));
    const struct { QStringList left, right; bool folds; QStringList order; } cases[] = {
        {{"a b/", "a/b/", "a/z.txt", "a/b/c.txt", smiley, "m.txt", "a/", "émile", "a b/q", "A.txt", "_"}, {}, true,
         {"A.txt", "m.txt", "_", "émile", smiley, "a/", "a/z.txt", "a/b/", "a/b/c.txt", "a b/", "a b/q"}},
        {{"_", "a", "Z"}, {}, false, {"Z", "_", "a"}},
        {{"x/", "x/y/", "x/y/f", "x" + one + "y/", "x" + one + "y/f", "x" + two + "y", "x/y" + one, "x" + three + "/",
          "x" + three + one + "y/", "x" + three + one + "y/f", "x/" + two + "y"},
         {"x/", "x/y/", "x/y/g", "x" + three + "/", "x" + three + "/y/", "x" + three + "/y/f", "x" + one + "/",
          "x" + one + "/" + one + "y", "x/y/" + two}, false, {}},
    };
    for (const auto& c : cases) {
        TempTree t;
        PlantPair(t, c.left, c.right, c.folds);
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        QStringList order;
        for (size_t i = 2; i < view_.Results.size(); ++i) {
            const CompareRow& r = view_.Results[i];
            QString path[2];
            for (int s = 0; s < 2; ++s)
                if (r.Exists(s)) path[s] = r.Folder(s).mid(t.Path(s ? "r" : "l").size() + 1) + (r.IsFolder() ? "/" : r.Name(s));
            order << (path[0].isEmpty() ? path[1] : path[0]);
            EXPECT_FALSE(r.CaseConflict) << qPrintable(order.last());
            if (r.Exists(0) && r.Exists(1)) {
                EXPECT_EQ(path[0], path[1]);
            } else {
                EXPECT_FALSE(c.left.contains(order.last()) && c.right.contains(order.last())) << qPrintable(order.last());
            }
        }
        if (!c.order.isEmpty()) {
            EXPECT_EQ(order, c.order);
        }
        EXPECT_EQ(order.size(), QSet<QString>(c.left.begin(), c.left.end()).unite(QSet<QString>(c.right.begin(), c.right.end())).size());
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (!order[i].endsWith('/')) continue;
            qsizetype j = i + 1;
            while (j < order.size() && order[j].startsWith(order[i])) ++j;
            for (qsizetype k = j; k < order.size(); ++k) EXPECT_FALSE(order[k].startsWith(order[i])) << qPrintable(order[k]);
        }
    }
}

// Names pair by exact spelling unless a side folds letter case (as in a documentation folder
// holding index.html and Index.html). Where one does, two different files are never paired: an
// exact match wins, anything ambiguous is flagged, proposes nothing and is reported in every
// compare, down to a whole folder's subtree.
TEST_F(PairedTrees, CaseCollisionsNeverPairTwoDifferentFiles) {
    const struct {
        QStringList left, right;
        bool folds;        // the right side folds letter case
        QStringList rows;  // "left|right|action|selected|c for a case conflict", in any order
        int reported;
    } cases[] = {
        {{"h/index.html", "h/Index.html", "Readme"}, {"h/index.html", "README"}, false,
         {"|README|1|1|", "Readme||-1|1|", "h|h|0|1|", "Index.html||-1|1|", "index.html|index.html|0|0|"}, 0},
        {{"h/index.html", "h/Index.html", "Readme"}, {"h/index.html", "README"}, true,
         {"Readme|README|0|0|", "h|h|0|1|", "index.html|index.html|0|0|", "Index.html||0|0|c"}, 1},
        {{"a.txt", "A.txt"}, {"A.TXT"}, true, {"A.txt||0|0|c", "a.txt||0|0|c", "|A.TXT|0|0|c"}, 3},
        {{"Docs/x", "docs/y", "e.txt"}, {"DOCS/x", "DOCS/z", "e.txt"}, true,
         {"e.txt|e.txt|0|0|", "Docs||0|0|c", "x||0|0|c", "docs||0|0|c", "y||0|0|c", "|DOCS|0|0|c", "|x|0|0|c",
          "|z|0|0|c"}, 3},
    };
    for (const auto& c : cases) {
        TempTree t;
        PlantPair(t, c.left, c.right, c.folds);
        for (int compare = 0; compare < 2; ++compare) {
            host_.messagesShown.clear();
            ::Run().ErrorReported = false;
            EXPECT_EQ(Compare().caseConflicts, c.reported) << qPrintable(c.left.join(' '));
            EXPECT_EQ(host_.messagesShown.filter("T873").size(), c.reported);
            EXPECT_EQ(::Run().ErrorReported, c.reported != 0);
        }
        QStringList rows, expected = c.rows;
        for (size_t i = 2; i < view_.Results.size(); ++i) {
            const CompareRow& r = view_.Results[i];
            rows << QString("%1|%2|%3|%4|%5").arg(r.Name(0), r.Name(1)).arg(r.SyncAction).arg(r.Selected ? 1 : 0)
                        .arg(r.CaseConflict ? "c" : "");
        }
        rows.sort();
        expected.sort();
        EXPECT_EQ(rows, expected);
    }
}

namespace {

// The order and pairing rules told plainly: a path's key is its path below the root with '/' as
// chr(1), a key character in a name escaped by chr(3), and letters in upper case where a side
// folds case; a folder's key ends with chr(1), a file's has chr(2) before its name. Rows are the
// keys of both sides in ordinal order, a key on both sides one row.
QString ModelKey(const QString& path, bool folder, bool fold) {
    const auto part = [fold](QStringView text) {
        QString out;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == u'/') out += QChar(1);
            else if (u <= 3) out += QChar(3), out += c;
            else if (!fold || QChar::isSurrogate(u)) out += c;
            else out += u < 0x80 ? QChar(u >= u'a' && u <= u'z' ? char16_t(u - 32) : u) : QChar(QChar::toUpper(u));
        }
        return out;
    };
    if (folder) return part(path) + QChar(1);
    const qsizetype cut = path.lastIndexOf('/') + 1;
    return part(QStringView(path).left(cut)) + QChar(2) + part(QStringView(path).mid(cut));
}

// A random name from pieces that stress the rules: letter case, key characters, a separator of
// another system, non-ASCII letters, a character outside the basic plane, now and then a long one.
QString RandomName(std::mt19937& random) {
    static const QStringList pieces = {"a", "A", "b", "z", "Z", "_", "~", " ", ".", "0", "\\", QString(QChar(1)),
                                       QString(QChar(2)), QString(QChar(3)), QString(QChar(4)), "é", "É", "ä", "ÿ", "ā",
                                       QString::fromUtf8("\xF0\x9F\x98\x80")};
    if (random() % 20 == 0) return QString(200, QChar(static_cast<char16_t>(u'a' + random() % 3)));
    QString name;
    for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) name += pieces[static_cast<qsizetype>(random() % pieces.size())];
    return name == "." || name == ".." ? name + "x" : name;
}

// The same name with some letters in the other case.
QString CaseVariant(const QString& name, std::mt19937& random) {
    QString out = name;
    for (QChar& c : out)
        if (!c.isSurrogate() && c.isLetter() && random() % 2) c = c.isUpper() ? c.toLower() : c.toUpper();
    return out;
}

}  // namespace

// Seeded random trees compared against the plain rules: every row in its place, every pair of
// entries in one row, with and without a side that folds letter case.
TEST_F(PairedTrees, RandomTreesFollowThePlainOrderRules) {
    for (const unsigned seed : {3u, 17u, 2026u, 4096u}) {
        std::mt19937 random(seed);
        const bool folds = seed % 2 == 1;
        // The universe of entries: a path per side (the right one maybe in another case), a kind.
        struct Node { QString path[2]; bool folder; bool on[2]; };
        std::vector<Node> nodes;
        std::vector<int> folders = {-1};  // -1: the root
        QSet<QString> taken;              // folded paths, so that no side holds two that fold alike
        for (int n = 0; n < 200; ++n) {
            const int parent = folders[random() % folders.size()];
            const QString name = RandomName(random);
            Node node;
            node.folder = random() % 3 == 0;
            for (int s = 0; s < 2; ++s) {
                const QString base = parent < 0 ? QString() : nodes[static_cast<size_t>(parent)].path[s] + '/';
                node.path[s] = base + (s == 1 && random() % 3 == 0 ? CaseVariant(name, random) : name);
                node.on[s] = (parent < 0 || nodes[static_cast<size_t>(parent)].on[s]) && random() % 4 != 0;
            }
            if (taken.contains(ModelKey(node.path[0], false, true))) continue;
            taken.insert(ModelKey(node.path[0], false, true));
            if (node.folder) folders.push_back(static_cast<int>(nodes.size()));
            nodes.push_back(node);
        }
        QStringList planted[2];
        std::map<QString, QString[2]> model;
        for (const Node& node : nodes)
            for (int s = 0; s < 2; ++s) {
                if (!node.on[s]) continue;
                const QString shown = node.path[s] + (node.folder ? "/" : "");
                planted[s] << shown;
                model[ModelKey(node.path[s], node.folder, folds)][s] = shown;
            }
        TempTree t;
        PlantPair(t, planted[0], planted[1], folds);
        ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
        QStringList rows, expected;
        for (const auto& [key, paths] : model) expected << paths[0] + " | " + paths[1];
        for (size_t i = 2; i < view_.Results.size(); ++i) {
            const CompareRow& r = view_.Results[i];
            QString path[2];
            for (int s = 0; s < 2; ++s)
                if (r.Exists(s)) path[s] = r.Folder(s).mid(t.Path(s ? "r" : "l").size() + 1) + (r.IsFolder() ? "/" : r.Name(s));
            rows << path[0] + " | " + path[1];
        }
        EXPECT_EQ(rows, expected) << "seed " << seed;
    }
}

// The rows of one folder share its folders: a row given another folder or name keeps the
// others where they are (a run then never writes beside the wrong folder).
TEST_F(PairedTrees, ARowGivenAnotherFolderOrNameLeavesItsNeighboursAlone) {
    TempTree t;
    PlantPair(t, {"d/a", "d/b", "d/c"}, {"d/a", "d/b"}, false);
    ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
    ResultList& rows = view_.Results;
    ASSERT_EQ(rows.size(), 6u);  // row 0, the root, d, a, b, c
    const QString folders[2] = {rows[4].Folder(0), rows[4].Folder(1)};
    rows[3].SetFolder(1, "/elsewhere/");
    rows[3].SetName(1, "A");
    rows[5].SetName(1, "c");
    for (size_t i : {4u, 5u}) {
        EXPECT_EQ(rows[i].Folder(0), folders[0]);
        EXPECT_EQ(rows[i].Folder(1), folders[1]);
    }
    EXPECT_EQ(rows[3].Folder(0), folders[0]);
    EXPECT_EQ(rows[4].Name(1), "b");
    EXPECT_EQ(rows[3].Name(0) + rows[3].Name(1) + rows[5].Name(0) + rows[5].Name(1), "aAcc");
}

// Pairs follow each other, each starting with its root row, once their roots are resolved (a
// trailing '/', a placeholder; volume labels are the unreadable roots' and the folder dialog's); a missing root with AutoCreate
// becomes a copy of the other side (what a run copies into it is the run's own test).
TEST_F(CompareRunTest, PairsFollowEachOtherWithTheirRootsResolvedOrCreated) {
    TempTree t;
    t.Build({"l/x.txt", "r/x.txt", "l/new.txt", "l3/f.txt", "r3/f.txt", "l2/b", "l2/sub/c"});
    ScopedEnvironment env;
    env.Set("TANDOR_TEST_RIGHT", t.Path("r3").toUtf8());
    AddPair(t.Path("l"), t.Path("r") + "/");
    AddPair(t.Path("l3"), "%TANDOR_TEST_RIGHT%");
    AddPair(t.Path("l2"), t.Path("r2-missing")).AutoCreate = {false, true};
    ::Run().IgnoredErrors.insert(EACCES);  // errors ignored in the last run are asked about again
    EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_TRUE(::Run().IgnoredErrors.empty());
    EXPECT_EQ(Rows(), (QStringList{"||0", "new.txt||-1", "x.txt|x.txt|0", "||0", "f.txt|f.txt|0", "||-1", "b||-1", "sub||-1", "c||-1"}));
    EXPECT_EQ(view_.Results[1].Folder(1), t.Path("r"));
    EXPECT_EQ(view_.Results[3].Folder(1), t.Path("r/"));
    EXPECT_EQ(view_.Results[4].Folder(1), t.Path("r3"));
    EXPECT_EQ(view_.Results[9].Folder(1), t.Path("r2-missing/sub/"));
    EXPECT_EQ(view_.LastIndex(), 9);
    EXPECT_FALSE(::Run().ErrorReported);
}

// A root that cannot be read stops the whole compare with no rows, one message and a status that
// names the side: missing without AutoCreate, unlistable even with it, and every root that is no
// absolute folder (relative, an unknown label, a share that cannot be mounted).
TEST_F(CompareRunTest, ARootThatCannotBeReadStopsTheCompareAndNamesItsSide) {
    TempTree t;
    t.Build({"l/a", "r/", "r2/", "labels/", "mountinfo"});
    const FileSystem::VolumeSourcesScope labels({t.Path("labels"), t.Path("mountinfo")});
    ScopedEnvironment env;  // no gio to mount a share with
    env.Set("PATH", t.Path("labels").toUtf8());
    env.Set("XDG_RUNTIME_DIR", t.Path("r2").toUtf8());
    const auto at = [&](const QString& p) { return p.startsWith('@') ? t.Path(p.mid(1)) : p; };
    const struct { const char* left; const char* right; bool autoCreate, unlistableRight; int errorFlag; const char* status; } cases[] = {
        {"@l-missing", "@r", false, false, 1, "T855"}, {"@l", "@r-missing", false, false, 2, "T856"},
        {"@l-missing", "@r-missing", false, false, 3, "T857"}, {"@l", "@r2", true, true, 2, "T856"},
        {"backup/here", "@r", true, false, 1, "T855"},
        {"NoSuchLabel/Backup", "@r", true, false, 1, "T855"}, {"@l", "//srv/data/dir", true, false, 2, "T856"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.left) + " " + c.right);
        profile_.Pairs.clear();
        AddPair(t.Path("l"), t.Path("r"));
        AddPair(at(c.left), at(c.right)).AutoCreate = {c.autoCreate, c.autoCreate};
        AddPair(t.Path("never-reached"), t.Path("r"));
        std::optional<FailingDevice> device;
        if (c.unlistableRight) device.emplace().Fail(FailingDevice::Point::OpenListing, at(c.right), EACCES, 0, -1);
        view_.ViewList.resize(4);  // an earlier result
        host_.messagesShown.clear();
        ::Run().ErrorReported = false;
        const CompareRunResult res = Compare();
        device.reset();
        EXPECT_EQ(res.outcome, CompareOutcome::RootUnreadable);
        EXPECT_EQ(res.errorFlag, c.errorFlag);
        EXPECT_EQ(host_.status[1], c.status);
        EXPECT_EQ(view_.Results.size(), 1u);
        EXPECT_EQ(view_.LastIndex(), 0);
        ASSERT_EQ(host_.messagesShown.size(), c.errorFlag == 3 ? 2 : 1);  // both missing: one for each
        if (c.errorFlag == 2) {
            EXPECT_TRUE(host_.messagesShown[0].contains(at(c.right))) << qPrintable(host_.messagesShown[0]);
        }
        EXPECT_TRUE(::Run().ErrorReported);
    }
}
