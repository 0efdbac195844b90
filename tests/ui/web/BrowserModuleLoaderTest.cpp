// The browser module loader when the module is missing or is not a module: a help request shows
// the program's message box with the reason and logs it, a manual update check says so, an
// automatic one stays quiet, nothing crashes, and asking for the open window loads nothing.

#include "support/TempTree.h"
#include "support/WebLogCapture.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "ui/main/dlgMsgBox.h"
#include "web/BrowserModule.h"
#include "web/HelpPages.h"
#include "web/UpdateCheck.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class BrowserModuleLoader : public ::testing::Test {
protected:
    void SetUp() override {
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
        previousHandler = UpdateMessageHandler();
        UpdateMessageHandler() = [this](const QString& text, const QString&) { updateMessages << text; };
        ResetUpdateChecksForTests();
    }
    void TearDown() override {
        SetBrowserModulePathForTests(QString());
        UpdateMessageHandler() = previousHandler;
    }
    // Presses a help key and returns the prompt of the message box it opened (empty when none).
    QString HelpRequestPrompt(int key = Qt::Key_F1) {
        QString prompt;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget())) {
                prompt = box->findChild<QLabel*>(QStringLiteral("lblPrompt"))->text();
                box->Buttons()[0]->click();
            }
        });
        OpenHelpForKey(key, nullptr);
        return prompt;
    }

    IsolatedEnvironment environment;
    TempTree tree;
    WebLogCapture log;
    QStringList updateMessages;
    std::function<void(const QString&, const QString&)> previousHandler;
};

TEST_F(BrowserModuleLoader, AMissingModuleIsReportedToWhoeverAskedForHelpAndLoadsNothing) {
    const QString missing = tree.Path(BrowserModuleFileName());
    SetBrowserModulePathForTests(missing);
    EXPECT_EQ(CurrentBrowserWindow(), nullptr);
    EXPECT_TRUE(log.Lines().isEmpty());  // asking for the open window tries no load

    const QString prompt = HelpRequestPrompt();
    EXPECT_TRUE(prompt.startsWith(FormatMsg(1250, {QString()}).trimmed())) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(missing + QStringLiteral(" does not exist"))) << prompt.toStdString();
    EXPECT_TRUE(log.Contains(QStringLiteral("browser module cannot be loaded")));
    EXPECT_TRUE(log.Contains(missing));
    EXPECT_EQ(CurrentBrowserWindow(), nullptr);

    // The next request, the assistant's, tries again and says so again; no assistant counts as open.
    EXPECT_FALSE(HelpRequestPrompt(Qt::Key_F2).isEmpty());
    EXPECT_FALSE(Switches().WizardRequested);
}

TEST_F(BrowserModuleLoader, AFileThatIsNoModuleFailsToLoadWithTheLoadersReasonAndOnlyAManualCheckSaysSo) {
    const QString broken = tree.File(BrowserModuleFileName(), "not a shared library");
    SetBrowserModulePathForTests(broken);
    const QString prompt = HelpRequestPrompt();
    EXPECT_TRUE(prompt.contains(broken)) << prompt.toStdString();
    EXPECT_FALSE(prompt.contains(QStringLiteral("does not exist")));

    CheckForUpdate(false);
    EXPECT_TRUE(updateMessages.isEmpty());
    CheckForUpdate(true);
    ASSERT_EQ(updateMessages.size(), 1);
    EXPECT_TRUE(updateMessages[0].contains(broken)) << updateMessages[0].toStdString();
    EXPECT_EQ(CurrentBrowserWindow(), nullptr);
}

}  // namespace
