// The start of an unattended run in every situation that used to hang, crash or pretend: a
// display that is named but gone, a root that cannot be read, a profile without pairs, an
// automatic run withheld after an earlier error. Each run must end by itself, say why on
// standard error and in the log, and give the right exit status, with a display and without.

#include "UnattendedRunFixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QDateTime kOld(QDate(2026, 1, 1), QTime(10, 0));
const QDateTime kNew(QDate(2026, 6, 1), QTime(10, 0));

// Runs each case once without any display and once on a virtual X server (xvfb-run), where the
// program starts its real window classes and keeps them hidden.
class UnattendedStart : public UnattendedRun, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (!GetParam()) return;
        if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
            GTEST_SKIP() << "xvfb-run is not installed";
        tree.Folder(QStringLiteral("tmp"));  // xvfb-run keeps its files in TMPDIR
        // timeout ends the whole group (xvfb-run, the X server, the program) should it hang.
        launcher = {QStringLiteral("timeout"), QStringLiteral("-k"), QStringLiteral("5"), QStringLiteral("45"),
                    QStringLiteral("xvfb-run"), QStringLiteral("-a")};
    }

    void StoreLastError() {
        QDir().mkpath(configHome.path() + QStringLiteral("/Tandor"));
        QFile store(configHome.path() + QStringLiteral("/Tandor/user.reg"));
        ASSERT_TRUE(store.open(QIODevice::WriteOnly));
        store.write("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\Flags]\r\n"
                    "\"LastErrorDate\"=\"2026-12-01 03:00:00\"\r\n\"LastErrorMsg\"=\"disk full\"\r\n\r\n");
    }
};

}  // namespace

TEST_P(UnattendedStart, SynchronisesBothWaysLogsAndExits0) {
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

    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tStart\t") + profile)) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\tEnd\t") + profile)) << qPrintable(lines[1]);
    EXPECT_EQ(UserValue("LastErrorDate"), QString());
}

TEST_P(UnattendedStart, ARootThatCannotBeReadStopsBeforeTheSynchronisationAndExits2) {
    WriteSettings();
    tree.File(QStringLiteral("L/a.txt"), "a", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("gone")), "10000");
    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
    EXPECT_FALSE(tree.Exists(QStringLiteral("gone")));
    // The reason, with the folder, on standard error and in the log; no run was started.
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("cannot be read"))) << qPrintable(run.standardError);
    EXPECT_TRUE(run.standardError.contains(tree.Path(QStringLiteral("gone")))) << qPrintable(run.standardError);
    EXPECT_TRUE(TodaysLog().contains(QStringLiteral("No such file or directory\t") + tree.Path(QStringLiteral("gone"))))
        << qPrintable(TodaysLog());
    EXPECT_FALSE(TodaysLog().contains(QStringLiteral("\tStart\t"))) << qPrintable(TodaysLog());
    EXPECT_TRUE(UserValue("LastErrorMsg").contains(tree.Path(QStringLiteral("gone")))) << qPrintable(UserStore());
}

TEST_P(UnattendedStart, AProfileWithoutFolderPairsSaysSoAndExits2) {
    WriteSettings();
    const QString profile = tree.File(QStringLiteral("Empty.tdp"), "[General]\r\nLeft=Left\r\n[0]\r\nSO0=1\r\n");
    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("holds no folder pair"))) << qPrintable(run.standardError);
    EXPECT_FALSE(run.standardError.contains(QStringLiteral("cannot be read"))) << qPrintable(run.standardError);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[0].contains(QStringLiteral("holds no folder pair"))) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[0].endsWith(QLatin1Char('\t') + profile)) << qPrintable(lines[0]);
}

TEST_P(UnattendedStart, AnAutomaticRunWithheldAfterAnErrorSaysSoAndExits2) {
    WriteSettings("DontAutoRunAfterError=1\r\n");
    StoreLastError();
    tree.File(QStringLiteral("L/a.txt"), "a", kOld);
    tree.Folder(QStringLiteral("R"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");
    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
    EXPECT_FALSE(tree.Exists(QStringLiteral("R/a.txt")));
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("synchronization was skipped"))) << qPrintable(run.standardError);
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("2026-12-01 03:00:00"))) << qPrintable(run.standardError);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1) << qPrintable(TodaysLog());
    EXPECT_TRUE(lines[0].contains(QStringLiteral("synchronization was skipped"))) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[0].endsWith(QLatin1Char('\t') + profile)) << qPrintable(lines[0]);
    // "-dontask": no notice, the record stays for the next interactive start.
    EXPECT_EQ(UserValue("LastErrorMsg"), QStringLiteral("disk full"));
}

TEST_P(UnattendedStart, TheLogStampKeepsAFourDigitYearInALocaleWithTwoDigitYears) {
    // en_GB writes dates as dd/mm/yy. It is compiled into a folder of the test's own, so that
    // the machine's installed locales do not matter.
    const QString locales = tree.Folder(QStringLiteral("locales"));
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("en_GB"), QStringLiteral("-f"),
                                                  QStringLiteral("UTF-8"), locales + QStringLiteral("/en_GB.UTF-8")});
    if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0)
        GTEST_SKIP() << "the en_GB locale cannot be compiled here (package locales)";
    extraEnvironment = {{QStringLiteral("LOCPATH"), locales}, {QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8")}};
    WriteSettings();
    tree.File(QStringLiteral("L/a.txt"), "a", kOld);
    tree.Folder(QStringLiteral("R"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");
    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2) << qPrintable(TodaysLog());
    const QString today = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    const QRegularExpression stamp(QStringLiteral("^(\\d\\d/\\d\\d/\\d{4}) \\d\\d:\\d\\d:\\d\\d\\t"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = stamp.match(line);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(line);
        // Written around midnight, the day may have moved on meanwhile.
        EXPECT_TRUE(m.captured(1) == today ||
                    m.captured(1) == QDate::currentDate().addDays(-1).toString(QStringLiteral("dd/MM/yyyy")))
            << qPrintable(line);
    }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutDisplay, UnattendedStart, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& display) {
                             return display.param ? std::string("VirtualDisplay") : std::string("NoDisplay");
                         });

// A display that is named but not there (a stale DISPLAY from ssh, a Wayland socket that is
// gone, a host that does not answer) is no display: the run goes on without windows.
TEST_F(UnattendedRun, ADisplayThatIsNamedButGoneRunsWithoutWindowsAsWithNone) {
    const QString runtime = tree.Folder(QStringLiteral("runtime"));
    const QList<QList<QPair<QString, QString>>> staleDisplays{
        {{QStringLiteral("DISPLAY"), QStringLiteral(":4711")}},
        {{QStringLiteral("DISPLAY"), QStringLiteral("192.0.2.1:0")}},
        {{QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-4711")}, {QStringLiteral("XDG_RUNTIME_DIR"), runtime}},
        {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}},
    };
    WriteSettings();
    tree.Folder(QStringLiteral("R"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");
    int n = 0;
    for (const auto& display : staleDisplays) {
        SCOPED_TRACE((display.first().first + QLatin1Char('=') + display.first().second).toStdString());
        const QString name = QStringLiteral("L/file %1.txt").arg(++n);
        tree.File(name, "x", kOld);
        extraEnvironment = display;
        QElapsedTimer took;
        took.start();
        const ProgramRun run = StartUnattended(profile);
        // A crash (Qt's abort when it cannot open the display) is no normal exit: -1.
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
        EXPECT_LT(took.elapsed(), 20000);
        EXPECT_EQ(tree.Read(QStringLiteral("R/file %1.txt").arg(n)), QByteArray("x"));
    }
}
