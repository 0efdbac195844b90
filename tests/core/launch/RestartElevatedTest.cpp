// Restarting with administrator rights: asked only where a tool exists and the rights are
// missing; Yes starts the program again through the tool and ends this one, No does nothing.

#include "launch/RestartElevated.h"

#include <gtest/gtest.h>

namespace {

struct Recorder {
    bool answer = true;
    int asked = 0;
    int quits = 0;
    QString tool;
    QStringList arguments;
    ElevationHooks Hooks() {
        return {[this] { ++asked; return answer; },
                [this](const QString& program, const QStringList& args) {
                    tool = program;
                    arguments = args;
                    return true;
                },
                [this] { ++quits; }};
    }
};

TEST(RestartElevated, AsksOnlyWithAToolAndWithoutRightsAndRestartsOnYes) {
    Recorder none;
    EXPECT_FALSE(RestartElevated({QStringLiteral("-update")}, QString(), false, QStringLiteral("/opt/t/tandor"), none.Hooks()));
    EXPECT_FALSE(RestartElevated({QStringLiteral("-update")}, QStringLiteral("/usr/bin/pkexec"), true,
                                 QStringLiteral("/opt/t/tandor"), none.Hooks()));
    EXPECT_EQ(none.asked, 0);

    Recorder yes;
    EXPECT_TRUE(RestartElevated({QStringLiteral("-update")}, QStringLiteral("/usr/bin/pkexec"), false,
                                QStringLiteral("/opt/t/tandor"), yes.Hooks()));
    EXPECT_EQ(yes.asked, 1);
    EXPECT_EQ(yes.tool, QStringLiteral("/usr/bin/pkexec"));
    ASSERT_GE(yes.arguments.size(), 3);
    EXPECT_EQ(yes.arguments.first(), QStringLiteral("env"));
    EXPECT_EQ(yes.arguments.mid(yes.arguments.size() - 2), QStringList({QStringLiteral("/opt/t/tandor"), QStringLiteral("-update")}));
    EXPECT_EQ(yes.quits, 1);

    Recorder no;
    no.answer = false;
    EXPECT_TRUE(RestartElevated({QStringLiteral("-update")}, QStringLiteral("/usr/bin/pkexec"), false,
                                QStringLiteral("/opt/t/tandor"), no.Hooks()));
    EXPECT_TRUE(no.tool.isEmpty());
    EXPECT_EQ(no.quits, 0);
}

}  // namespace
