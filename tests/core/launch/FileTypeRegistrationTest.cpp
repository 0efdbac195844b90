// "-regclasses" on a home folder of its own: the profile type reaches the user's MIME database,
// a menu entry exists for the default, and every failing step is named, never reported as done.

#include "launch/DesktopEntry.h"
#include "launch/FileTypeRegistration.h"
#include "launch/ProfileMimePackage.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

struct Recorder {
    QStringList calls;
    QMap<QString, int> statusOf;  // program -> exit status; 0 when not named
    ToolRunner Runner() {
        return [this](const QString& program, const QStringList& arguments, QString* error) {
            calls << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
            const int status = statusOf.value(program, 0);
            if (status > 0) *error = QStringLiteral("told to fail\n");
            return status;
        };
    }
};

const QByteArray kPackage(ProfileMimePackage);

FileTypeRegistration Where(const TempTree& tree, const QByteArray& package = kPackage) {
    return {tree.Path(QStringLiteral("home")), {tree.Path(QStringLiteral("system"))}, QStringLiteral("/opt/tandor/tandor"),
            QStringLiteral("/opt/tandor/share/tandor/tandor.svg"), package};  // installed: no icon there
}

TEST(FileTypeRegistrationTest, InstallsThePackageRunsTheDatabaseAndMakesTandorTheDefault) {
    TempTree tree;
    Recorder tools;
    const FileTypeRegistrationResult result = RegisterProfileFileType(Where(tree), tools.Runner());
    EXPECT_TRUE(result.failure.isEmpty()) << result.failure.toStdString();
    EXPECT_EQ(tree.Read(QStringLiteral("home/mime/packages/org.tandor.Tandor.xml")), kPackage);
    EXPECT_TRUE(tree.Read(QStringLiteral("home/applications/org.tandor.Tandor.desktop")).contains("MimeType=application/x-tandor-profile;"));
    EXPECT_EQ(tools.calls, (QStringList{QStringLiteral("update-mime-database ") + tree.Path(QStringLiteral("home/mime")),
                                        QStringLiteral("xdg-mime default org.tandor.Tandor.desktop application/x-tandor-profile")}));
    EXPECT_EQ(result.done.size(), 4);
}

TEST(FileTypeRegistrationTest, AFailingStepIsNamedAndStopsTheStepsAfterIt) {
    struct Case { const char* name; QByteArray package; QString failingTool; int status; const char* failureHas; int callsMade; };
    const Case cases[] = {
        {"package without the type", "<mime-info/>", {}, 0, "does not declare", 0},
        {"database tool missing", kPackage, QStringLiteral("update-mime-database"), -1, "could not be started", 1},
        {"default refused", kPackage, QStringLiteral("xdg-mime"), 3, "exit status 3: told to fail", 2},
    };
    for (const Case& c : cases) {
        TempTree tree;
        Recorder tools;
        if (!c.failingTool.isEmpty()) tools.statusOf[c.failingTool] = c.status;
        const FileTypeRegistrationResult result = RegisterProfileFileType(Where(tree, c.package), tools.Runner());
        EXPECT_TRUE(result.failure.contains(QLatin1String(c.failureHas))) << c.name << ": " << result.failure.toStdString();
        EXPECT_EQ(tools.calls.size(), c.callsMade) << c.name;
        EXPECT_FALSE(result.done.join(QLatin1Char('\n')).contains(QStringLiteral("xdg-mime"))) << c.name;
    }
}

}  // namespace
