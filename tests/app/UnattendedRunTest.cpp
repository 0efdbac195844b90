// Starts the real program the way cron or a scheduled task does: no display, a profile on the
// command line, "-auto -dontask -hide", and checks what it leaves behind.

#include "UnattendedRunFixture.h"

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

    ProgramRun run = Start({profile, QStringLiteral("-auto"), QStringLiteral("-dontask"), QStringLiteral("-hide")});
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

    ProgramRun run = Start({profile, QStringLiteral("-auto"), QStringLiteral("-dontask"), QStringLiteral("-hide")});
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
    ProgramRun run = Start({profile, QStringLiteral("-auto"), QStringLiteral("-dontask"), QStringLiteral("-hide")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(tree.Exists(QStringLiteral("missing")));
    EXPECT_TRUE(UserValue("LastErrorMsg").contains(QStringLiteral("/missing"))) << qPrintable(UserStore());
}

TEST_F(UnattendedRun, NestedFoldersDoExactlyWhatTheRowsSay) {
    WriteSettings();
    // Folder 2 lies inside folder 1: the compare is a snapshot, so the run copies what it listed
    // once and ends, however the copies change folder 1 meanwhile.
    tree.File(QStringLiteral("data/a.txt"), "a", kOld);
    tree.File(QStringLiteral("data/sub/b.txt"), "b", kOld);
    tree.Folder(QStringLiteral("data/Backup"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("data")), tree.Path(QStringLiteral("data/Backup")), "10000");
    ProgramRun run = Start({profile, QStringLiteral("-auto"), QStringLiteral("-dontask"), QStringLiteral("-hide")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(tree.List().join(QLatin1Char('\n')), (QStringList{
        QStringLiteral("My Profile.tdp"), QStringLiteral("data/"), QStringLiteral("data/Backup/"),
        QStringLiteral("data/Backup/Backup/"), QStringLiteral("data/Backup/a.txt"),
        QStringLiteral("data/Backup/sub/"), QStringLiteral("data/Backup/sub/b.txt"),
        QStringLiteral("data/a.txt"), QStringLiteral("data/sub/"), QStringLiteral("data/sub/b.txt")})
                                             .join(QLatin1Char('\n')));
}
