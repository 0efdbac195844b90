// An unattended run with undo allowed: the version a copy replaces is in the trash afterwards.
// (Where the trash cannot take it, tests/core/engine/ReplacedVersionsTest.cpp.)

#include "UnattendedRunFixture.h"

#include <QDateTime>

namespace {

TEST_F(UnattendedRun, WithUndoAllowedAReplacedVersionGoesToTheTrash) {
    const QDateTime older = QDateTime::currentDateTime().addDays(-2);
    const QDateTime newer = QDateTime::currentDateTime().addDays(-1);
    tree.File(QStringLiteral("L/report.odt"), "edited on the laptop", newer);
    tree.File(QStringLiteral("R/report.odt"), "the version before", older);
    extraEnvironment = {{QStringLiteral("XDG_DATA_HOME"), tree.Path(QStringLiteral("data"))}};
    WriteSettings("AllowUndo=1\r\nLogChanges=1\r\n");
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "11000");

    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("R/report.odt")), "edited on the laptop");
    EXPECT_EQ(tree.Read(QStringLiteral("data/Trash/files/report.odt")), "the version before");
    EXPECT_TRUE(tree.Read(QStringLiteral("data/Trash/info/report.odt.trashinfo")).contains("Path="));
    EXPECT_TRUE(TodaysLog().contains(QStringLiteral("\tTrash\t") + tree.Path(QStringLiteral("R/report.odt"))))
        << qPrintable(TodaysLog());
}

}  // namespace
