// What the compare must never get wrong, on real folder trees: which entries it pairs, which
// rows it keeps away from every walk and reports, and which roots it refuses to scan at all.

#include "CompareRunFixture.h"

#include "engine/FileOperations.h"
#include "engine/SyncRun.h"
#include "platform/NetworkShare.h"
#include "platform/VolumeLabels.h"

#include <sys/stat.h>

namespace {

// The row whose entry on side s has this path below its root ("" for the root row).
const CompareRow* RowOf(const ResultList& rows, int s, const QString& root, const QString& relative) {
    for (size_t i = 1; i < rows.size(); ++i) {
        const CompareRow& r = rows[i];
        if (!r.Exists(s) && !(i == 1 && relative.isEmpty())) continue;
        const QString path = r.IsFolder() && r.Exists(s) ? r.Folder[s] : r.Folder[s] + r.Name[s];
        if (path == root + (relative.isEmpty() ? "" : "/" + relative)) return &r;
    }
    return nullptr;
}

}  // namespace

TEST_F(CompareRunTest, AFolderOppositeAFileLinkOrSpecialEntryIsATypeConflictThatNoWalkTouches) {
    TempTree t;
    t.File("l/d/in.txt", "1");
    t.File("l/d/sub/deep.txt", "2");
    t.File("r/d", "a file where the left has a folder");
    t.Build({"outside/", "r/k/x.txt", "l/p", "l/q/y.txt", "l/ok.txt", "l/dd/z.txt"});
    t.Link("l/k", t.Path("outside"));
    t.Pipe("r/p");  // a pipe where the left has a file
    t.Pipe("r/q");
    AddPair(t.Path("l"), t.Path("r"));

    const CompareRunResult res = Compare();
    EXPECT_EQ(res.outcome, CompareOutcome::Done);
    EXPECT_EQ(res.typeConflicts, 4);
    int flagged = 0;
    for (size_t i = 2; i < view_.Results.size(); ++i) {
        const CompareRow& r = view_.Results[i];
        const int s = r.Exists(0) ? 0 : 1;
        const QString rel = (r.IsFolder() ? r.Folder[s] : r.Folder[s] + r.Name[s]).mid(t.Path("l").size() + 1);
        const bool conflict = rel == "d" || rel.startsWith("d/") || rel == "k" || rel.startsWith("k/") || rel == "p" ||
                              rel == "q" || rel.startsWith("q/");
        EXPECT_EQ(r.TypeConflict, conflict) << qPrintable(rel);
        if (conflict) {
            ++flagged;
            EXPECT_EQ(r.SyncAction, SyncAction::NoAction) << qPrintable(rel);
            EXPECT_FALSE(r.Selected) << qPrintable(rel);
        } else {
            EXPECT_EQ(r.SyncAction, SyncAction::LeftToRight) << qPrintable(rel);
        }
    }
    // d (file), d (folder), d/in.txt, d/sub, d/sub/deep.txt, k (link), k (folder), k/x.txt, p,
    // q, q/y.txt.
    EXPECT_EQ(flagged, 11);
    ASSERT_EQ(host_.messagesShown.size(), 4);
    for (const QString& m : host_.messagesShown) EXPECT_TRUE(m.contains("T872")) << qPrintable(m);
    EXPECT_TRUE(host_.messagesShown.join("\n").contains(t.Path("r/d"))) << qPrintable(host_.messagesShown.join("\n"));

    // No walk touches them, not even through the link, when the user ticks them: copied both
    // ways, one-sided entries deleted on both sides, each row copied and deleted on its own as the
    // row menu does. Only the rows without a conflict (ok.txt, dd) change.
    const auto conflicted = [&] {
        QStringList entries = t.List();
        entries.removeIf([](const QString& e) { return e.contains("ok.txt") || e.contains("dd/"); });
        return entries;
    };
    const QStringList before = conflicted();
    for (CompareRow& row : view_.Results) row.Selected = true;
    const auto request = [](RunRequest::Kind kind, int s, size_t row) {
        RunRequest r;
        r.kind = kind;
        r.side = s;
        r.row = static_cast<int>(row);
        return r;
    };
    for (int s = 0; s < 2; ++s) {
        for (size_t i = 1; i < view_.ViewList.size(); ++i) {
            CopySelection(view_, PlanRun(view_, request(RunRequest::Kind::Copy, s, i)));
            DeleteSelection(view_, PlanRun(view_, request(RunRequest::Kind::Delete, s, i)));
        }
    }
    EXPECT_EQ(conflicted(), before);
    EXPECT_EQ(t.Read("r/d"), QByteArray("a file where the left has a folder"));
    EXPECT_EQ(t.Read("r/k/x.txt"), QByteArray("r/k/x.txt"));
}

TEST_F(CompareRunTest, AShareRootIsMountedThroughGioAndScannedAtItsGvfsFolder) {
    TempTree t;
    ScopedEnvironment env;
    env.Set("XDG_RUNTIME_DIR", t.Path("run").toUtf8());
    env.Set("PATH", t.Path("bin").toUtf8());
    // A stand-in for gio: it records its arguments and what it reads, and mounts as GVfs would.
    t.File("bin/gio",
           "#!/bin/sh\n"
           "PATH=/usr/bin:/bin\n"
           "printf '%s\\n' \"$@\" > \"$XDG_RUNTIME_DIR/../gio-args\"\n"
           "cat > \"$XDG_RUNTIME_DIR/../gio-input\"\n"
           "[ -f \"$XDG_RUNTIME_DIR/../gio-fails\" ] && exit 2\n"
           "mkdir -p \"$XDG_RUNTIME_DIR/gvfs/smb-share:server=srv,share=data/dir\"\n"
           "echo remote > \"$XDG_RUNTIME_DIR/gvfs/smb-share:server=srv,share=data/dir/f.txt\"\n");
    ASSERT_EQ(::chmod(qPrintable(t.Path("bin/gio")), 0755), 0);
    t.Build({"run/", "r/"});
    AddPair("//srv/data/dir", t.Path("r"));
    profile_.Options.Username[0] = "alice";
    profile_.Options.Password[0] = "s3cret pass";

    EXPECT_EQ(FileSystem::GvfsPathOf({"srv", "data", "dir"}), t.Path("run/gvfs/smb-share:server=srv,share=data/dir"));
    // gio that fails (no server, a wrong password): a root that cannot be read.
    t.File("gio-fails", "");
    EXPECT_EQ(Compare().errorFlag, 1);
    ASSERT_TRUE(QFile::remove(t.Path("gio-fails")));
    ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(view_.Results[1].Folder[0], t.Path("run/gvfs/smb-share:server=srv,share=data/dir"));
    const CompareRow* remote = RowOf(view_.Results, 0, t.Path("run/gvfs/smb-share:server=srv,share=data/dir"), "f.txt");
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(remote->SyncAction, SyncAction::LeftToRight);
    EXPECT_EQ(t.Read("gio-args"), QByteArray("mount\nsmb://srv/data\n"));
    EXPECT_EQ(t.Read("gio-input"), QByteArray("alice\n\ns3cret pass\n"));

    // Mounted already: used as it is, also under another spelling GVfs chose, without gio.
    ASSERT_TRUE(QFile::remove(t.Path("gio-args")));
    ASSERT_TRUE(QDir().rename(t.Path("run/gvfs/smb-share:server=srv,share=data"),
                              t.Path("run/gvfs/smb-share:domain=WG,server=SRV,share=data,user=alice")));
    ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
    EXPECT_EQ(view_.Results[1].Folder[0], t.Path("run/gvfs/smb-share:domain=WG,server=SRV,share=data,user=alice/dir"));
    EXPECT_FALSE(t.Exists("gio-args"));
}

TEST_F(CompareRunTest, TheOtherRootInsideARootIsNoContentOfIt) {
    TempTree t;
    t.File("X/a.txt", "a");
    t.File("X/sub/b.txt", "b");
    t.File("X/backup/archived.txt", "only copy");
    // Another spelling of the inner root: a link to it outside the tree.
    t.Link("elsewhere/link", t.Path("X/backup"));
    for (const QString& inner : {t.Path("X/backup"), t.Path("X/sub/../backup"), t.Path("elsewhere/link")}) {
        for (int outerSide = 0; outerSide < 2; ++outerSide) {
            profile_.Pairs.clear();
            if (outerSide == 0) AddPair(t.Path("X"), inner);
            else AddPair(inner, t.Path("X"));
            ASSERT_EQ(Compare().outcome, CompareOutcome::Done);
            QStringList outer, innerRows;
            for (size_t i = 2; i < view_.Results.size(); ++i) {
                const CompareRow& r = view_.Results[i];
                if (r.Exists(outerSide))
                    outer << r.Folder[outerSide].mid(t.Path("X").size()) + (r.IsFolder() ? "" : r.Name[outerSide]);
                if (r.Exists(1 - outerSide)) innerRows << r.Name[1 - outerSide];
            }
            outer.sort();
            EXPECT_EQ(outer, (QStringList{"/a.txt", "/sub", "/sub/b.txt"})) << qPrintable(inner) << outerSide;
            EXPECT_EQ(innerRows, QStringList{"archived.txt"}) << qPrintable(inner) << outerSide;
        }
    }
}
