// The language a user chooses is stored at once, so that the next start keeps it, and the
// windows are told.
#include "ui/dialogs/dlgLanguage.h"

#include "config/ProgramSettings.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "support/TempTree.h"

#include <QComboBox>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class LanguageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadProgramSettings();
        SetHost(&host);
    }
    void TearDown() override {
        SetHost(nullptr);
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    IsolatedEnvironment env;
    HeadlessRunHost host;
};

TEST_F(LanguageDialogTest, AChoiceIsStoredAtOnceAndTheWindowsAreTold) {
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    dlgLanguage dialog;
    int told = 0;
    dialog.languageChanged = [&] { ++told; };
    auto* box = dialog.findChild<QComboBox*>("cboLanguage");
    ASSERT_NE(box, nullptr);
    box->setCurrentIndex(box->findText(QStringLiteral("Deutsch")));
    dialog.cmdOK_Click();
    EXPECT_EQ(told, 1);
    QFile file(Settings().SettingsFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Language=Deutsch"));
}

}  // namespace
