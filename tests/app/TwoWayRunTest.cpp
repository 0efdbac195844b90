// Two-way runs of the real program, unattended, with the state it remembers between runs: an
// edit made on either side since the last run is never overwritten, and what one side deleted
// travels only when the profile says so.

#include "UnattendedRunFixture.h"

#include <QRegularExpression>

namespace {

const QDateTime kBase(QDate(2026, 1, 1), QTime(10, 0));
const QDateTime kEarlier(QDate(2025, 6, 1), QTime(10, 0));  // an edit that kept an old time
const QDateTime kLater(QDate(2026, 3, 1), QTime(10, 0));
const QDateTime kLatest(QDate(2026, 3, 2), QTime(10, 0));

// One change a "user" makes between two runs: content (nullptr deletes) and time of path.
struct Edit {
    const char* path;  // below the tree: "L/..." or "R/..." (ending with '/': a folder)
    const char* content;
    QDateTime modified;
};

struct TwoWayCase {
    const char* name;
    QStringList base;  // "name=content" on both sides before the first run (nothing: no first run)
    QList<Edit> edits;
    bool propagateDeletions;
    int exitCode;           // of the run after the edits
    QStringList after;      // both sides after it, "(conflict)" standing for the name's time part
    int conflictLogLines;   // lines of that run's log that report a conflict
};

const TwoWayCase kCases[] = {
    {"BothSidesEdited", {"a.txt=base", "b.txt=same"},
     {{"L/a.txt", "left edit", kLater}, {"R/a.txt", "right edit", kLatest}}, false, 1,
     {"L/a (conflict).txt=left edit", "L/a.txt=right edit", "L/b.txt=same", "R/a (conflict).txt=left edit",
      "R/a.txt=right edit", "R/b.txt=same"}, 1},
    {"OneSideEditedIsCopied", {"a.txt=base"}, {{"R/a.txt", "right edit", kLater}}, false, 0,
     {"L/a.txt=right edit", "R/a.txt=right edit"}, 0},
    // The edit carries an older time than the untouched other side: it still wins.
    {"OneSideEditedWithOlderTime", {"a.txt=base"}, {{"L/a.txt", "left edit", kEarlier}}, false, 0,
     {"L/a.txt=left edit", "R/a.txt=left edit"}, 0},
    {"DeletionCopiedBackWithoutOption", {"a.txt=base", "d/b.txt=b"}, {{"L/a.txt", nullptr, {}}, {"L/d/b.txt", nullptr, {}}},
     false, 0, {"L/a.txt=base", "L/d/", "L/d/b.txt=b", "R/a.txt=base", "R/d/", "R/d/b.txt=b"}, 0},
    {"DeletionTravelsWithOption", {"a.txt=base", "keep.txt=k", "d/b.txt=b"},
     {{"L/a.txt", nullptr, {}}, {"R/d/", nullptr, {}}}, true, 0, {"L/keep.txt=k", "R/keep.txt=k"}, 0},
    {"DeletedThereEditedHereIsKept", {"a.txt=base"}, {{"L/a.txt", nullptr, {}}, {"R/a.txt", "right edit", kLater}},
     true, 1, {"L/a.txt=right edit", "R/a.txt=right edit"}, 1},
    // Deletions that travel pass the deletion guard like any: 12 of 13 files, nothing deleted.
    {"TravellingMassDeletionIsRefused", {"1=1", "2=2", "3=3", "4=4", "5=5", "6=6", "7=7", "8=8", "9=9", "10=10", "11=11", "12=12", "13=13"},
     {{"L/1", nullptr, {}}, {"L/2", nullptr, {}}, {"L/3", nullptr, {}}, {"L/4", nullptr, {}}, {"L/5", nullptr, {}},
      {"L/6", nullptr, {}}, {"L/7", nullptr, {}}, {"L/8", nullptr, {}}, {"L/9", nullptr, {}}, {"L/10", nullptr, {}},
      {"L/11", nullptr, {}}, {"L/12", nullptr, {}}},
     true, 2, {"L/13=13", "R/1=1", "R/10=10", "R/11=11", "R/12=12", "R/13=13", "R/2=2", "R/3=3", "R/4=4", "R/5=5", "R/6=6",
               "R/7=7", "R/8=8", "R/9=9"}, 0},
    // Without remembered state the newer file wins, as it always did.
    {"FirstRunWithoutState", {}, {{"L/a.txt", "left", kLater}, {"R/a.txt", "right", kLatest}}, false, 0,
     {"L/a.txt=right", "R/a.txt=right"}, 0},
};

QStringList Listing(const TempTree& tree) {
    static const QRegularExpression time(QStringLiteral(" \\(conflict \\d{4}-\\d\\d-\\d\\d \\d{4}\\)"));
    QStringList out;
    for (const QString& name : tree.List()) {
        if (!name.startsWith(QLatin1String("L/")) && !name.startsWith(QLatin1String("R/"))) continue;
        QString shown = name;
        shown.replace(time, QStringLiteral(" (conflict)"));
        out << (name.endsWith(QLatin1Char('/')) ? shown : shown + QLatin1Char('=') + QString::fromUtf8(tree.Read(name)));
    }
    out.removeAll(QStringLiteral("L/"));
    out.removeAll(QStringLiteral("R/"));
    return out;
}

class TwoWayRun : public UnattendedRun, public ::testing::WithParamInterface<TwoWayCase> {
protected:
    QString Profile(bool propagateDeletions) {
        const QByteArray text = "[General]\r\nTimeLag=00:00:02\r\nCompareSize=1\r\nPropagateDeletions=" +
                                QByteArray(propagateDeletions ? "1" : "0") + "\r\n[0]\r\nSO0=1\r\nSO1=1\r\n[1]\r\nS=" +
                                tree.Path(QStringLiteral("L")).toUtf8() + "\r\nD=" + tree.Path(QStringLiteral("R")).toUtf8() +
                                "\r\nIS=*\r\nIF=*\r\n";
        return tree.File(QStringLiteral("two-way.tdp"), text);
    }
    int ConflictLines() const {
        int n = 0;
        for (const QString& line : LogLines())
            if (line.contains(QLatin1String("since the last run: "))) ++n;
        return n;
    }
};

TEST_P(TwoWayRun, KeepsEveryEditAndEndsInStep) {
    const TwoWayCase& c = GetParam();
    WriteSettings();
    tree.Folder(QStringLiteral("L"));
    tree.Folder(QStringLiteral("R"));
    const QString profile = Profile(c.propagateDeletions);
    for (const QString& e : c.base)
        for (const char* side : {"L/", "R/"})
            tree.File(QLatin1String(side) + e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1).toUtf8(), kBase);
    if (!c.base.isEmpty()) {
        const ProgramRun first = StartUnattended(profile);
        ASSERT_EQ(first.exitCode, 0) << first.standardError.toStdString();
    }
    for (const Edit& e : c.edits) {
        if (e.content) tree.File(QLatin1String(e.path), e.content, e.modified);
        else if (QByteArray(e.path).endsWith('/')) ASSERT_TRUE(QDir(tree.Path(QLatin1String(e.path))).removeRecursively());
        else ASSERT_TRUE(QFile::remove(tree.Path(QLatin1String(e.path))));
    }
    QFile::remove(TodaysLogPath());

    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.standardError.toStdString();
    EXPECT_EQ(Listing(tree), c.after);
    EXPECT_EQ(ConflictLines(), c.conflictLogLines) << TodaysLog().toStdString();
    if (c.exitCode == 2) return;  // refused: the last error is recorded, and the next run refuses again
    // Kept conflicts are no error: nothing is recorded that would hold back the next run.
    EXPECT_TRUE(UserValue("LastErrorDate").isEmpty());

    // The next run finds both sides in step and both versions where they were.
    const ProgramRun next = StartUnattended(profile);
    EXPECT_EQ(next.exitCode, 0) << next.standardError.toStdString();
    EXPECT_EQ(Listing(tree), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoWayRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TwoWayCase>& c) { return std::string(c.param.name); });

}  // namespace
