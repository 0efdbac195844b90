// The update check on a real browser engine: a local update page's answer fields set the next
// check, open the address and show the message; only web addresses are opened; a second check
// while the window is open is refused; update code runs without reach into the system and is
// stopped when it runs away. The server is asked on the program's own only with the user's
// consent, and the query names the version and the system, nothing that tells users apart.

#include "BrowserTesting.h"
#include "support/TempTree.h"
#include "support/WebLogCapture.h"

#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/SystemBrowser.h"
#include "web/UpdateCheck.h"
#include "web/WebNotice.h"
#include "web/module/UpdateScript.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clock::SetNowForTests([] { return QDateTime(QDate(2024, 3, 1), QTime(12, 0)); });
        SetSystemBrowserForTests([this](const QString& address) {
            opened << address;
            return true;
        });
        WebNoticeHandler() = [this](const QString& text, const QString& title, NoticeKind) {
            messages << title + QStringLiteral(": ") + text;
        };
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    void TearDown() override {
        delete frmWizard::Current();
        SetSystemBrowserForTests(nullptr);
        WebNoticeHandler() = nullptr;
    }
    // Update checks that ask the given local page.
    UpdateChecks ChecksOf(const QString& page) {
        const QString address = QUrl::fromLocalFile(page).toString();
        return UpdateChecks([address](bool) { return address; });
    }

    IsolatedEnvironment environment;
    TempTree tree;
    WebLogCapture log;
    QStringList opened;
    QStringList messages;
};

TEST_F(UpdateCheckTest, ALocalUpdatePageSetsTheNextCheckOpensOnlyWebAddressesAndShowsItsMessages) {
    // The address field and the code name local files, script and other schemes: only the web
    // addresses reach the system's opener.
    UpdateChecks checks = ChecksOf(tree.File(QStringLiteral("update.htm"),
        "<html><head><meta name=\"retcode\" content=\"0;7\">"
        "<meta name=\"href\" content=\"\r\n https://tandor.example.org/download \">"
        "<meta name=\"message\" content=\"Version 2 is out\" title=\"\"></head><body><div id=\"code\">"
        "function Main() { var all = ['javascript:alert(1)', 'FILE:///home', 'file:/etc', 'file://localhost/etc/passwd',"
        " 'http:/etc/passwd', 'smb://server/share', 'data:text/html,x', '/etc/passwd', 'https://tandor.example.org/new'];"
        " all.forEach(function (a) { Program.openAddress(a); }); Program.message('from the code'); }"
        "</div></body></html>"));
    checks.Check(false);
    ASSERT_TRUE(WaitFor([&] { return messages.size() == 2; })) << messages.join(QLatin1Char('|')).toStdString();

    const double now = ToDateValue(Clock::Now());
    EXPECT_DOUBLE_EQ(Settings().LastUpdateCheck, now);
    EXPECT_NEAR(Settings().NextUpdateCheck, now + 7, 1e-9);
    EXPECT_NEAR(ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("NextUpdateCheck"), 0).toDouble(), now + 7, 1e-6);
    EXPECT_EQ(opened, (QStringList{QStringLiteral("https://tandor.example.org/download"), QStringLiteral("https://tandor.example.org/new")}));
    EXPECT_TRUE(log.Contains(QStringLiteral("javascript:alert(1)")) && log.Contains(QStringLiteral("file://localhost/etc/passwd")));
    EXPECT_EQ(messages[0], QStringLiteral("Tandor Update Information: Version 2 is out"));
    EXPECT_EQ(messages[1], QStringLiteral("Tandor: from the code"));
    ASSERT_NE(frmWizard::Current(), nullptr);
    EXPECT_TRUE(frmWizard::Current()->isVisible());  // an answering page is shown
    EXPECT_TRUE(frmWizard::Current()->tmrUnload().isActive());

    // While the window is open a manual check is refused with a message.
    checks.Check(true);
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[2].contains(QStringLiteral("already open")));
    EXPECT_EQ(checks.Started(), 2);
}

TEST_F(UpdateCheckTest, AnUnreachablePageLeavesTheCheckDueAndAutomaticChecksStopAfterThree) {
    UpdateChecks checks = ChecksOf(tree.Path(QStringLiteral("missing.htm")));
    for (int i = 0; i < UpdateChecks::kMaxAutomaticChecks; ++i) {
        checks.Check(false);
        ASSERT_NE(frmWizard::Current(), nullptr);
        EXPECT_FALSE(frmWizard::Current()->isVisible());  // nothing flashes up while the page loads
        ASSERT_TRUE(WaitFor([] { return frmWizard::Current() == nullptr; }));  // it closed itself
    }
    EXPECT_EQ(Settings().NextUpdateCheck, 0.0);
    checks.Check(false);
    EXPECT_EQ(frmWizard::Current(), nullptr);
    EXPECT_EQ(checks.Started(), UpdateChecks::kMaxAutomaticChecks);
    EXPECT_TRUE(messages.isEmpty());
}

TEST(UpdateScript, CodeHasNoReachIntoTheSystemAndARunawayScriptIsStopped) {
    QStringList shown;
    const UpdateScriptServices services{[&](const QString& text) { shown << text; }, nullptr};
    const UpdateScriptResult sandbox = RunUpdateScript(
        QStringLiteral("function Main() { Program.message([typeof XMLHttpRequest, typeof require, typeof Qt,"
                       " typeof console, typeof fetch, typeof print].join(',')); }"),
        services);
    EXPECT_TRUE(sandbox.ran) << sandbox.error.toStdString();
    EXPECT_EQ(shown, QStringList{QStringLiteral("undefined,undefined,undefined,undefined,undefined,undefined")});

    QElapsedTimer clock;
    clock.start();
    const UpdateScriptResult runaway = RunUpdateScript(QStringLiteral("function Main() { for (;;) {} }"), services, 300);
    EXPECT_TRUE(runaway.interrupted);
    EXPECT_FALSE(runaway.ran);
    EXPECT_LT(clock.elapsed(), 3000);

    EXPECT_FALSE(RunUpdateScript(QStringLiteral("var x = 1;"), services).ran);  // no Main
    EXPECT_FALSE(RunUpdateScript(QStringLiteral("function Main() { throw 1; }"), services).ran);
}

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
