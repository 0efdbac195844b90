// --help, -h, --version and unknown "--" options through the real program without a display:
// answered at once, on the right stream, with nothing written.

#include "UnattendedRunFixture.h"

namespace {
struct InformationCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    const char* onStandardOutput;  // empty: nothing expected there
    const char* onStandardError;
};

class InformationRequestTest : public UnattendedRun, public ::testing::WithParamInterface<InformationCase> {};

const QString kProfileWithHelpInIt = QStringLiteral("/nowhere/-h --help --version/p.tdp");

INSTANTIATE_TEST_SUITE_P(
    CommandLine, InformationRequestTest,
    ::testing::Values(
        InformationCase{"Help", {QStringLiteral("--help")}, 0, "Usage: tandor [PROFILE]", ""},
        InformationCase{"ShortHelp", {QStringLiteral("-h")}, 0, "  -dontask", ""},
        InformationCase{"HelpAfterProfile", {QStringLiteral("/p/a.tdp"), QStringLiteral("--HELP")}, 0, "Exit status:", ""},
        InformationCase{"Version", {QStringLiteral("--version")}, 0, "Tandor 1.0.0\n", ""},
        InformationCase{"Unknown", {QStringLiteral("--frobnicate")}, 2, "", "Usage: tandor [PROFILE]"},
        // A profile path that holds the texts is a path, not a request: no display, no -hide.
        InformationCase{"InsideQuotedPath", {kProfileWithHelpInIt}, 2, "", "start with -hide"}),
    [](const ::testing::TestParamInfo<InformationCase>& param) { return std::string(param.param.name); });

TEST_P(InformationRequestTest, AnswersAtOnceWithoutWritingSettings) {
    extraEnvironment = {{QStringLiteral("LC_ALL"), QStringLiteral("C")}};
    const ProgramRun run = Start(GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << qPrintable(run.standardError);
    const QString out = QString::fromUtf8(GetParam().onStandardOutput);
    const QString err = QString::fromUtf8(GetParam().onStandardError);
    if (out.isEmpty()) EXPECT_EQ(run.standardOutput, QString());
    else EXPECT_TRUE(run.standardOutput.contains(out)) << qPrintable(run.standardOutput);
    if (!err.isEmpty()) {
        EXPECT_TRUE(run.standardError.contains(err)) << qPrintable(run.standardError);
    }
    EXPECT_FALSE(QFileInfo::exists(configHome.path() + QStringLiteral("/Tandor")));
}
}  // namespace

TEST_F(UnattendedRun, DoubleDashSwitchesStillRunUnattended) {
    WriteSettings();
    tree.File(QStringLiteral("left/a.txt"), "a");
    tree.Folder(QStringLiteral("right"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("left")), tree.Path(QStringLiteral("right")), "11000");
    const ProgramRun run = Start({profile, QStringLiteral("--auto"), QStringLiteral("--dontask"), QStringLiteral("--hide")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_TRUE(QFileInfo::exists(tree.Path(QStringLiteral("right/a.txt"))));
}
