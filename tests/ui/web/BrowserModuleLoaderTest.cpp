// The browser module missing or no module: a help request tells the user the reason and logs it,
// a manual update check says so, an automatic one stays quiet.

#include "support/TempTree.h"
#include "support/WebLogCapture.h"

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "web/BrowserModule.h"
#include "web/HelpPages.h"
#include "web/UpdateCheck.h"
#include "web/WebNotice.h"

#include <gtest/gtest.h>

namespace {

TEST(BrowserModuleLoader, AModuleThatCannotBeLoadedIsReportedToWhoeverAskedAndLoadsNothing) {
    IsolatedEnvironment environment;
    TempTree tree;
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    QStringList told;
    WebNoticeHandler() = [&](const QString& text, const QString&, NoticeKind) { told << text; };
    const struct {
        QString file;
        QString reason;
    } cases[] = {
        {tree.Path(BrowserModuleFileName()), tree.Path(BrowserModuleFileName()) + QStringLiteral(" does not exist")},
        {tree.File(QStringLiteral("broken/") + BrowserModuleFileName(), "not a shared library"),
         tree.Path(QStringLiteral("broken/")) + BrowserModuleFileName()},
    };
    for (const auto& c : cases) {
        WebLogCapture log;
        told.clear();
        UseBrowserSource(std::make_unique<BrowserModuleFiles>(QStringList{c.file}));
        OpenHelpForKey(Qt::Key_F2, nullptr);
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].startsWith(FormatMsg(1250, {QString()}).trimmed())) << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(c.reason)) << told[0].toStdString();
        EXPECT_TRUE(log.Contains(QStringLiteral("browser module cannot be loaded")) && log.Contains(c.reason));

        UpdateChecks checks;
        checks.Check(false);
        EXPECT_EQ(told.size(), 1);  // an automatic check stays quiet
        checks.Check(true);
        ASSERT_EQ(told.size(), 2);
        EXPECT_TRUE(told[1].contains(c.reason)) << told[1].toStdString();
        EXPECT_EQ(CurrentBrowserWindow(), nullptr);
    }
    UseBrowserSource(std::make_unique<BrowserModuleFiles>());
    WebNoticeHandler() = nullptr;
}

}  // namespace
