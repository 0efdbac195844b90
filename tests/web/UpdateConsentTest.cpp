// The program asks the update server on its own only with the user's consent, and what it
// sends names the version and the system, nothing that tells one user from another.

#include "BrowserTesting.h"
#include "support/TempTree.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "platform/Clock.h"
#include "web/UpdateCheck.h"
#include "web/module/frmWizard.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

TEST(UpdateConsentTest, ADueCheckStartsOnlyWhenSwitchedOnAndNeverWithoutQuestions) {
    IsolatedEnvironment environment;
    TempTree tree;
    Clock::SetNowForTests([] { return QDateTime(QDate(2024, 3, 1), QTime(12, 0)); });
    const QString missing = QUrl::fromLocalFile(tree.Path(QStringLiteral("missing.htm"))).toString();
    struct Case { bool consent; bool dontAsk; int started; };
    for (const Case c : {Case{false, false, 0}, Case{true, true, 0}, Case{true, false, 1}}) {
        UpdateChecks checks([&](bool) { return missing; });
        Settings().AutoUpdateCheck = c.consent;
        Settings().NextUpdateCheck = 0;  // long past: due
        Switches().DontAsk = c.dontAsk;
        checks.CheckWhenDue();
        EXPECT_EQ(checks.Started(), c.started) << c.consent << c.dontAsk;
        if (frmWizard::Current()) delete frmWizard::Current();
    }
    Switches().DontAsk = false;
}

TEST(UpdateConsentTest, TheQueryNamesTheVersionAndTheSystemOnly) {
    IsolatedEnvironment environment;
    Settings().Runs = 4711;
    const QUrlQuery query(UpdateQueryString().mid(1));
    QStringList keys;
    for (const auto& item : query.queryItems()) keys << item.first;
    EXPECT_EQ(keys, (QStringList{QStringLiteral("v"), QStringLiteral("os")}));
    EXPECT_FALSE(UpdateQueryString().contains(QStringLiteral("4711")));
}

}  // namespace
