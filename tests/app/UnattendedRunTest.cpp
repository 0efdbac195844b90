// Starts the real program the way cron or a scheduled task does: no display, a profile on the
// command line, "-auto -dontask -hide", and checks what it leaves behind.

#include "UnattendedRunFixture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QDateTime kOld(QDate(2026, 1, 1), QTime(10, 0));
const QDateTime kNew(QDate(2026, 6, 1), QTime(10, 0));

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

TEST_F(UnattendedRun, NoDisplayAndNoHideEndsWithAReason) {
    ProgramRun run = Start({});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("display")));
}

TEST_F(UnattendedRun, SynchronisesBothWaysLogsAndExits0) {
    WriteSettings();
    tree.File(QStringLiteral("L/a.txt"), "new left", kNew);
    tree.File(QStringLiteral("R/a.txt"), "old", kOld);
    tree.File(QStringLiteral("R/b.txt"), "new right", kNew);
    tree.File(QStringLiteral("L/b.txt"), "old", kOld);
    tree.File(QStringLiteral("L/sub/only left.txt"), "left only", kOld);
    tree.File(QStringLiteral("R/deep/er/only right.txt"), "right only", kOld);
    tree.File(QStringLiteral("L/scratch.tmp"), "to delete", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "11000");

    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("R/a.txt")), QByteArray("new left"));
    EXPECT_EQ(tree.Read(QStringLiteral("L/b.txt")), QByteArray("new right"));
    EXPECT_EQ(tree.Read(QStringLiteral("R/sub/only left.txt")), QByteArray("left only"));
    EXPECT_EQ(tree.Read(QStringLiteral("L/deep/er/only right.txt")), QByteArray("right only"));
    EXPECT_EQ(tree.Modified(QStringLiteral("R/a.txt")), kNew);
    EXPECT_FALSE(tree.Exists(QStringLiteral("L/scratch.tmp"))) << "the delete mask was not applied";
    EXPECT_FALSE(tree.Exists(QStringLiteral("R/scratch.tmp")));

    const QStringList lines = TodaysLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tStart\t") + profile)) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\tEnd\t") + profile)) << qPrintable(lines[1]);
    EXPECT_EQ(UserValue("LastErrorDate"), QString());
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

TEST_F(UnattendedRun, AMissingRootRunsNothingAndExits2) {
    WriteSettings();
    tree.File(QStringLiteral("L/a.txt"), "a", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("missing")), "10000");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(tree.Exists(QStringLiteral("missing")));
    EXPECT_TRUE(UserValue("LastErrorMsg").contains(QStringLiteral("/missing"))) << qPrintable(UserStore());
}

TEST_F(UnattendedRun, NestedFoldersDoExactlyWhatTheRowsSay) {
    WriteSettings();
    // Folder 2 lies inside folder 1: it is no content of folder 1, so nothing is copied into
    // itself, and the compare is a snapshot: the run copies what it listed once and ends.
    tree.File(QStringLiteral("data/a.txt"), "a", kOld);
    tree.File(QStringLiteral("data/sub/b.txt"), "b", kOld);
    tree.Folder(QStringLiteral("data/Backup"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("data")), tree.Path(QStringLiteral("data/Backup")), "10000");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(tree.List().join(QLatin1Char('\n')), (QStringList{
        QStringLiteral("My Profile.tdp"), QStringLiteral("data/"), QStringLiteral("data/Backup/"),
        QStringLiteral("data/Backup/a.txt"),
        QStringLiteral("data/Backup/sub/"), QStringLiteral("data/Backup/sub/b.txt"),
        QStringLiteral("data/a.txt"), QStringLiteral("data/sub/"), QStringLiteral("data/sub/b.txt")})
                                             .join(QLatin1Char('\n')));
}

TEST_F(UnattendedRun, AMirrorOfAFolderIntoTheFolderHoldingItKeepsIt) {
    WriteSettings();
    // Folder 1 lies inside folder 2, and folder 2 is mirrored from it: folder 1 is not a
    // one-sided entry of folder 2, so neither it nor the only copy in it is deleted.
    tree.File(QStringLiteral("X/backup/archived.txt"), "only copy", kOld);
    tree.File(QStringLiteral("X/a.txt"), "a", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("X/backup")), tree.Path(QStringLiteral("X")), "10001");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("X/backup/archived.txt")), QByteArray("only copy"));
    EXPECT_EQ(tree.Read(QStringLiteral("X/archived.txt")), QByteArray("only copy"));
    EXPECT_FALSE(tree.Exists(QStringLiteral("X/a.txt"))) << "the mirror did not delete what folder 1 lacks";
}

TEST_F(UnattendedRun, NamesThatDifferOnlyInLetterCaseAreBothBackedUpInEveryRun) {
    WriteSettings();
    tree.File(QStringLiteral("L/html/index.html"), "lower", kOld);
    tree.File(QStringLiteral("L/html/Index.html"), "upper", kNew);
    tree.File(QStringLiteral("R/html/index.html"), "lower", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");
    for (int runNumber = 0; runNumber < 2; ++runNumber) {
        ProgramRun run = StartUnattended(profile);
        EXPECT_EQ(run.exitCode, 0) << runNumber << qPrintable(run.standardError);
        EXPECT_EQ(tree.Read(QStringLiteral("R/html/index.html")), QByteArray("lower"));
        EXPECT_EQ(tree.Read(QStringLiteral("R/html/Index.html")), QByteArray("upper"));
        EXPECT_EQ(tree.Modified(QStringLiteral("R/html/Index.html")), kNew);
    }
    EXPECT_EQ(UserValue("LastErrorMsg"), QString());
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

// ---- what a run must not delete, and runs that say what they did not do ----

TEST_F(UnattendedRun, AMirrorOfAMissingRootThatItWouldCreateDeletesNothingAndExits1) {
    WriteSettings();
    tree.File(QStringLiteral("R/a.txt"), "a", kOld);
    tree.File(QStringLiteral("R/d/b.txt"), "b", kOld);
    const QString profile = WriteProfilePairs(
        {PairSection(tree.Path(QStringLiteral("unplugged")), tree.Path(QStringLiteral("R")), "SA=1\r\n")}, "10001");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("R/a.txt")), QByteArray("a"));
    EXPECT_EQ(tree.Read(QStringLiteral("R/d/b.txt")), QByteArray("b"));
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 3) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[1].contains(tree.Path(QStringLiteral("unplugged"))) && lines[1].contains(tree.Path(QStringLiteral("R"))))
        << qPrintable(lines[1]);
    EXPECT_TRUE(UserValue("LastErrorMsg").contains(tree.Path(QStringLiteral("unplugged"))));
}

TEST_F(UnattendedRun, AMassDeletionIsRefusedWithExit2UnlessTheSettingAllowsIt) {
    WriteSettings();
    tree.File(QStringLiteral("L/keep.txt"), "keep", kOld);
    tree.File(QStringLiteral("R/keep.txt"), "keep", kOld);
    for (int i = 1; i <= 12; ++i) tree.File(QStringLiteral("R/old/%1.txt").arg(i), QByteArray::number(i), kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10001");
    const QStringList before = tree.List();
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
    EXPECT_EQ(tree.List(), before);
    EXPECT_EQ(tree.Read(QStringLiteral("R/old/12.txt")), QByteArray("12"));
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 3) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" 12 ")) && lines[1].contains(QStringLiteral(" 13 "))) << qPrintable(lines[1]);
    EXPECT_FALSE(UserValue("LastErrorMsg").isEmpty());

    WriteSettings("MaxDeletePercent=100\r\n");
    run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_FALSE(tree.Exists(QStringLiteral("R/old")));
    EXPECT_EQ(tree.Read(QStringLiteral("R/keep.txt")), QByteArray("keep"));
}

TEST_F(UnattendedRun, NestedPairsWithADeleteOptionRefuseBeforeTheFirstPair) {
    WriteSettings();
    tree.File(QStringLiteral("data/a.txt"), "a", kOld);
    tree.File(QStringLiteral("data/photos/p.jpg"), "p", kOld);
    tree.Folder(QStringLiteral("B1"));
    tree.Folder(QStringLiteral("B2"));
    const QString profile = WriteProfilePairs(
        {PairSection(tree.Path(QStringLiteral("data")), tree.Path(QStringLiteral("B1"))),
         PairSection(tree.Path(QStringLiteral("data/photos")), tree.Path(QStringLiteral("B2")))},
        "10001");
    const QStringList before = tree.List();
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
    EXPECT_EQ(tree.List(), before);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[0].contains(tree.Path(QStringLiteral("B1"))) && lines[0].contains(tree.Path(QStringLiteral("B2"))))
        << qPrintable(lines[0]);
}

TEST_F(UnattendedRun, AMirrorDeletesExtraEntriesWhenNothingNeedsCopying) {
    WriteSettings();
    tree.File(QStringLiteral("L/same.txt"), "same", kOld);
    tree.File(QStringLiteral("R/same.txt"), "same", kOld);
    tree.File(QStringLiteral("R/extra.txt"), "x", kOld);
    tree.File(QStringLiteral("R/gone/y.txt"), "y", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10001");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(tree.List(), (QStringList{QStringLiteral("L/"), QStringLiteral("L/same.txt"), QStringLiteral("My Profile.tdp"),
                                        QStringLiteral("R/"), QStringLiteral("R/same.txt")}));
    EXPECT_EQ(LogLines().size(), 2) << qPrintable(TodaysLog());
}

TEST_F(UnattendedRun, ARunWithNoDirectionLogsThatNothingWasDone) {
    WriteSettings();
    tree.File(QStringLiteral("L/a.txt"), "a", kOld);
    tree.Folder(QStringLiteral("R"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "00100");
    ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_FALSE(tree.Exists(QStringLiteral("R/a.txt")));
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 3) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tStart\t") + profile));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("\tEnd\t") + profile));
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
