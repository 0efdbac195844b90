// "-regclasses" through the real program with no display: the profile type reaches the user's
// MIME database and Tandor becomes its default, or the run says which step failed and ends with
// status 1, never with the words of success.

#include "UnattendedRunFixture.h"

#include <QFile>
#include <QStandardPaths>

namespace {

class RegisterClasses : public UnattendedRun {
protected:
    void SetUp() override {
        extraEnvironment = {{QStringLiteral("XDG_DATA_HOME"), tree.Path(QStringLiteral("data"))},
                            {QStringLiteral("XDG_DATA_DIRS"), tree.Path(QStringLiteral("system"))}};
    }
};

TEST_F(RegisterClasses, TheTypeReachesTheUsersDatabaseAndOpensWithTandor) {
    for (const char* tool : {"update-mime-database", "xdg-mime"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) GTEST_SKIP() << tool << " is not installed";
    const ProgramRun run = Start({QStringLiteral("-regclasses")});
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("Tandor has registered its file types."))) << run.standardError.toStdString();
    EXPECT_TRUE(tree.Read(QStringLiteral("data/mime/globs2")).contains("application/x-tandor-profile:*.tdp"));
    EXPECT_TRUE(tree.Read(QStringLiteral("data/applications/org.tandor.Tandor.desktop")).contains("MimeType=application/x-tandor-profile;"));
    QFile defaults(configHome.path() + QStringLiteral("/mimeapps.list"));
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    EXPECT_TRUE(defaults.readAll().contains("application/x-tandor-profile=org.tandor.Tandor.desktop"));
}

TEST_F(RegisterClasses, AStepThatFailsIsNamedAndTheStatusIsOne) {
    tree.File(QStringLiteral("bin/xdg-mime"), "#!/bin/sh\necho 'no desktop here' >&2\nexit 4\n");
    QFile::setPermissions(tree.Path(QStringLiteral("bin/xdg-mime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    pathPrefix = tree.Path(QStringLiteral("bin"));
    const ProgramRun run = Start({QStringLiteral("-regclasses")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("could not register"))) << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("exit status 4: no desktop here"))) << run.standardError.toStdString();
    EXPECT_FALSE(run.standardError.contains(QStringLiteral("has registered")));
}

}  // namespace
