// Starts the real program the way cron or a scheduled task does: no display, a profile on the
// command line, "-auto -dontask -hide", and checks what it leaves behind.

#include "UnattendedRunFixture.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

const QDateTime kOld(QDate(2026, 1, 1), QTime(10, 0));
const QDateTime kNew(QDate(2026, 6, 1), QTime(10, 0));

// A tree as "path=content" for files and "path/" for folders, below a folder of its own.
void Build(TempTree& tree, const QString& below, const QStringList& entries) {
    for (const QString& e : entries) {
        if (e.endsWith(QLatin1Char('/'))) tree.Folder(below + e);
        else tree.File(below + e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1).toUtf8(), kOld);
    }
}
QStringList Listing(const TempTree& tree, const QString& below) {
    QStringList out;
    for (const QString& name : tree.List()) {
        if (!name.startsWith(below) || name == below) continue;
        const QString rel = name.mid(below.size());
        out << (rel.endsWith(QLatin1Char('/')) ? rel : rel + QLatin1Char('=') + QString::fromUtf8(tree.Read(name)));
    }
    return out;
}

// What a run does to a tree: the rows decide, and nothing else. Folders inside each other are
// no content of one another; one mirror run deletes what folder 1 lacks and nothing of folder 1;
// a run without a direction does nothing and says so; names that differ only in letter case
// are two files, in every run.
struct TreeCase {
    const char* name;
    QStringList before;
    const char* left;
    const char* right;
    const char* syncOptions;
    QStringList after;
    int logLines;  // -1: not counted
    int runs = 1;
};

const TreeCase kTreeCases[] = {
    {"NestedFolders", {"data/a.txt=a", "data/sub/b.txt=b", "data/Backup/"}, "data", "data/Backup", "10000",
     {"data/", "data/Backup/", "data/Backup/a.txt=a", "data/Backup/sub/", "data/Backup/sub/b.txt=b", "data/a.txt=a",
      "data/sub/", "data/sub/b.txt=b"}, 2},
    {"MirrorIntoTheFolderHoldingIt", {"X/backup/archived.txt=only copy", "X/a.txt=a"}, "X/backup", "X", "10001",
     {"X/", "X/archived.txt=only copy", "X/backup/", "X/backup/archived.txt=only copy"}, -1},
    {"MirrorDeletesExtras", {"L/same.txt=same", "R/same.txt=same", "R/extra.txt=x", "R/gone/y.txt=y"}, "L", "R", "10001",
     {"L/", "L/same.txt=same", "R/", "R/same.txt=same"}, 2},
    {"NoDirection", {"L/a.txt=a", "R/"}, "L", "R", "00100", {"L/", "L/a.txt=a", "R/"}, 3},
    {"LetterCase", {"L/html/index.html=lower", "L/html/Index.html=upper", "R/html/index.html=lower"}, "L", "R", "10000",
     {"L/", "L/html/", "L/html/Index.html=upper", "L/html/index.html=lower", "R/", "R/html/",
      "R/html/Index.html=upper", "R/html/index.html=lower"}, -1, 2},
};

// A run that must not delete: it refuses before the first pair (or skips the pair it cannot
// do), changes nothing, and a line of its log says why.
struct RefusalCase {
    const char* name;
    QStringList before;
    QList<QPair<const char*, const char*>> pairs;  // folder 1, folder 2
    int exitCode;
    int logLines;
    int reasonLine;
    QStringList reason;  // texts of the reason line; "@x": the path of x
};

const RefusalCase kRefusals[] = {
    // Folder 1 is created when missing (SA=1): an unplugged disk must not empty the backup.
    {"MirrorOfAMissingRootItWouldCreate", {"R/a.txt=a", "R/d/b.txt=b"}, {{"unplugged", "R"}}, 1, 3, 1,
     {"@unplugged", "@R"}},
    {"MassDeletion", {"L/keep.txt=keep", "R/keep.txt=keep", "R/old/1.txt=1", "R/old/2.txt=2", "R/old/3.txt=3",
      "R/old/4.txt=4", "R/old/5.txt=5", "R/old/6.txt=6", "R/old/7.txt=7", "R/old/8.txt=8", "R/old/9.txt=9",
      "R/old/10.txt=10", "R/old/11.txt=11", "R/old/12.txt=12"}, {{"L", "R"}}, 2, 3, 1, {" 12 ", " 13 "}},
    {"NestedPairs", {"data/a.txt=a", "data/photos/p.jpg=p", "B1/", "B2/"}, {{"data", "B1"}, {"data/photos", "B2"}},
     2, 1, 0, {"@B1", "@B2"}},
};

}  // namespace

TEST_F(UnattendedRun, HiddenStartWithoutProfileCountsTheRunCopiesTheTemplateAndExits2) {
    ProgramRun first = Start({QStringLiteral("-hide")});
    EXPECT_EQ(first.exitCode, 2);
    EXPECT_TRUE(first.standardError.contains(QStringLiteral("profile"))) << qPrintable(first.standardError);
    ProgramRun second = Start({QStringLiteral("-hide")});
    EXPECT_EQ(second.exitCode, 2);
    EXPECT_TRUE(QFile::exists(SettingsFile())) << "the settings template was not copied";
    QFile tmpl(QStringLiteral(TANDOR_DATA_DIR) + QStringLiteral("/Tandor.ini"));
    QFile copied(SettingsFile());
    ASSERT_TRUE(tmpl.open(QIODevice::ReadOnly));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), tmpl.readAll());
    EXPECT_EQ(UserValue("Runs"), QStringLiteral("2")) << qPrintable(UserStore());
}

TEST_F(UnattendedRun, WithoutADisplayAndWithoutHideNothingRunsAndTheReasonIsSaid) {
    for (const auto& [display, reason] : {std::pair{QString(), QStringLiteral("no display")},
                                          {QStringLiteral(":4711"), QStringLiteral("\":4711\" cannot be opened")}}) {
        if (!display.isEmpty()) extraEnvironment = {{QStringLiteral("DISPLAY"), display}};
        const ProgramRun run = Start({});
        EXPECT_EQ(run.exitCode, 2) << qPrintable(display);
        EXPECT_TRUE(run.standardError.contains(reason)) << qPrintable(run.standardError);
    }
}

TEST_F(UnattendedRun, TreesBecomeWhatTheRowsSay) {
    WriteSettings();
    for (const TreeCase& c : kTreeCases) {
        SCOPED_TRACE(c.name);
        const QString below = QString::fromLatin1(c.name) + QLatin1Char('/');
        Build(tree, below, c.before);
        const QString profile = WriteProfile(tree.Path(below + QString::fromUtf8(c.left)),
                                             tree.Path(below + QString::fromUtf8(c.right)), c.syncOptions);
        QFile::remove(TodaysLogPath());
        for (int run = 0; run < c.runs; ++run) {
            const ProgramRun result = StartUnattended(profile);
            EXPECT_EQ(result.exitCode, 0) << run << qPrintable(result.standardError);
        }
        EXPECT_EQ(Listing(tree, below), c.after);
        if (c.logLines >= 0) {
            EXPECT_EQ(LogLines().size(), c.logLines) << qPrintable(TodaysLog());
        }
        EXPECT_EQ(UserValue("LastErrorMsg"), QString());
    }
}

TEST_F(UnattendedRun, ARunThatWouldDeleteWhatItMustNotChangesNothingAndSaysWhy) {
    WriteSettings();
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.name);
        const QString below = QString::fromLatin1(c.name) + QLatin1Char('/');
        Build(tree, below, c.before);
        QList<QByteArray> pairs;
        for (const auto& [left, right] : c.pairs)
            pairs << PairSection(tree.Path(below + QString::fromUtf8(left)), tree.Path(below + QString::fromUtf8(right)),
                                 "SA=1\r\n");
        const QString profile = WriteProfilePairs(pairs, "10001");
        const QStringList before = Listing(tree, below);
        QFile::remove(TodaysLogPath());
        QFile::remove(configHome.path() + QStringLiteral("/Tandor/user.reg"));  // no last error of the case before
        const ProgramRun run = StartUnattended(profile);
        EXPECT_EQ(run.exitCode, c.exitCode) << qPrintable(run.standardError);
        EXPECT_EQ(Listing(tree, below), before);
        const QStringList lines = LogLines();
        ASSERT_EQ(lines.size(), c.logLines) << qPrintable(TodaysLog());
        for (const QString& text : c.reason) {
            const QString wanted = text.startsWith(QLatin1Char('@')) ? tree.Path(below + text.mid(1)) : text;
            EXPECT_TRUE(lines[c.reasonLine].contains(wanted)) << qPrintable(lines[c.reasonLine]) << qPrintable(wanted);
        }
        EXPECT_FALSE(UserValue("LastErrorMsg").isEmpty());
    }
    // The mass deletion runs once the setting allows it.
    WriteSettings("MaxDeletePercent=100\r\n");
    const QString below = QStringLiteral("MassDeletion/");
    const QString profile = WriteProfile(tree.Path(below + QStringLiteral("L")), tree.Path(below + QStringLiteral("R")), "10001");
    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(Listing(tree, below), (QStringList{"L/", "L/keep.txt=keep", "R/", "R/keep.txt=keep"}));
}

TEST_F(UnattendedRun, AFailedCopyIsRecordedLoggedAndExits1) {
    WriteSettings();
    // A folder on the left where the right holds a file of the same name: the folder cannot be
    // created there and the files below it cannot be copied.
    tree.File(QStringLiteral("L/box/inside.txt"), "x", kOld);
    tree.File(QStringLiteral("R/box"), "a file, not a folder", kOld);
    tree.File(QStringLiteral("L/fine.txt"), "fine", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");

    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("R/fine.txt")), QByteArray("fine"));
    EXPECT_EQ(tree.Read(QStringLiteral("R/box")), QByteArray("a file, not a folder"));
    EXPECT_TRUE(UserValue("LastErrorMsg").contains(QStringLiteral("/R/box"))) << qPrintable(UserValue("LastErrorMsg"));
    EXPECT_FALSE(UserValue("LastErrorDate").isEmpty());
    const QString log = TodaysLog();
    EXPECT_TRUE(log.contains(QStringLiteral("\tStart\t")));
    EXPECT_TRUE(log.contains(QStringLiteral("box")));
    EXPECT_TRUE(log.contains(QStringLiteral("\tEnd\t")));
}

TEST_F(UnattendedRun, ALinkOppositeAFolderIsReportedAndNothingIsWrittenThroughIt) {
    WriteSettings();
    tree.File(QStringLiteral("L/d/in.txt"), "newer, from the left", kNew);
    tree.File(QStringLiteral("outside/in.txt"), "precious, outside both folders", kOld);
    tree.Folder(QStringLiteral("R"));
    ASSERT_TRUE(QFile::link(tree.Path(QStringLiteral("outside")), tree.Path(QStringLiteral("R/d"))));
    tree.File(QStringLiteral("L/fine.txt"), "fine", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "11001");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("outside/in.txt")), QByteArray("precious, outside both folders"));
    EXPECT_TRUE(QFileInfo(tree.Path(QStringLiteral("R/d"))).isSymLink()) << "the link was deleted or replaced";
    EXPECT_EQ(tree.Read(QStringLiteral("L/d/in.txt")), QByteArray("newer, from the left"));
    EXPECT_FALSE(tree.Exists(QStringLiteral("L/d/d")));
    EXPECT_EQ(tree.Read(QStringLiteral("R/fine.txt")), QByteArray("fine"));
    EXPECT_TRUE(UserValue("LastErrorMsg").contains(tree.Path(QStringLiteral("R/d")))) << qPrintable(UserValue("LastErrorMsg"));
    const QString log = TodaysLog();
    EXPECT_TRUE(log.contains(tree.Path(QStringLiteral("R/d")))) << qPrintable(log);
}

TEST_F(UnattendedRun, ARootThatIsNoAbsoluteFolderRunsNothingAndExits2) {
    WriteSettings();
    // A name of this test's own, so that a run that wrote into "/" is seen and cleaned up.
    const QString name = QStringLiteral("tandor-root-test-%1.txt").arg(QCoreApplication::applicationPid());
    const QString inRoot = QStringLiteral("/") + name;
    tree.File(QStringLiteral("R/") + name, "a", kOld);
    tree.Folder(QStringLiteral("cwd"));
    workingDirectory = tree.Path(QStringLiteral("cwd"));
    // A gio that cannot mount: no test may reach out to a network share.
    tree.File(QStringLiteral("bin/gio"), "#!/bin/sh\ncat > /dev/null\nexit 2\n");
    ASSERT_TRUE(QFile::setPermissions(tree.Path(QStringLiteral("bin/gio")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    pathPrefix = tree.Path(QStringLiteral("bin"));
    for (const QString& left : {QString(), QStringLiteral("relative/folder"), QStringLiteral("NO-SUCH-LABEL/Backup"),
                                QStringLiteral("//server/share/dir")}) {
        const QString profile = WriteProfile(left, tree.Path(QStringLiteral("R")), "01000");
        ProgramRun run = StartUnattended(profile);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(left) << qPrintable(run.standardError);
        EXPECT_EQ(QDir(workingDirectory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList())
            << qPrintable(left);
        EXPECT_FALSE(QFileInfo::exists(inRoot)) << "the run wrote into /";
        QFile::remove(inRoot);
        EXPECT_FALSE(UserValue("LastErrorMsg").isEmpty()) << qPrintable(left);
    }
}

TEST_F(UnattendedRun, WithADisplayAndDontAskARunThatCannotGoOnNeverWaitsForAClick) {
    WriteSettings();
    tree.File(QStringLiteral("L/a.txt"), "a", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("missing")), "10000");
    ProgramRun run = StartUnattended(profile, true);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
    EXPECT_FALSE(tree.Exists(QStringLiteral("missing")));
    EXPECT_FALSE(UserValue("LastErrorMsg").isEmpty());
}
