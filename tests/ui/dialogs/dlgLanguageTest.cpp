#include "ui/dialogs/dlgLanguage.h"

#include "config/ProgramSettings.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "platform/SystemInfo.h"
#include "support/TempTree.h"
#include "ui/main/MainCommands.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>

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
        SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    IsolatedEnvironment env;
    HeadlessRunHost host;
};

TEST_F(LanguageDialogTest, ListsTheLanguageFilesAndPreselectsOnlyTheExactName) {
    TempTree program;
    program.File("Deutsch.lang", "93000=Sprache\n");
    program.File("English.lang", "93000=Language\n");
    program.File("notes.LANG", "");
    program.File("Tandor.ini", "");
    SetProgramFolderForTests(program.Path());
    EXPECT_EQ(dlgLanguage::LanguageNames(), QStringList({"Deutsch", "English"}));
    Settings().LanguageName = QStringLiteral("Deutsch");
    {
        dlgLanguage dialog;
        EXPECT_EQ(dialog.findChild<QComboBox*>("cboLanguage")->currentText(), QStringLiteral("Deutsch"));
    }
    Settings().LanguageName = QStringLiteral("deutsch");
    dlgLanguage dialog;
    EXPECT_EQ(dialog.findChild<QComboBox*>("cboLanguage")->currentIndex(), -1);
    // Without a choice the dialog stays open and beeps.
    dialog.show();
    dialog.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(host.beeps, 2);
    dialog.findChild<QComboBox*>("cboLanguage")->setCurrentIndex(1);
    dialog.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Settings().LanguageName, QStringLiteral("English"));
}

// A first start offers the system's language where a file has it, else English.
TEST_F(LanguageDialogTest, AFirstStartOffersTheSystemsLanguageElseEnglish) {
    TempTree program;
    program.File("Deutsch.lang", "1246=de\n");
    program.File("English.lang", "1246=en\n");
    program.File("Klingon.lang", "1246=tlh\n");
    SetProgramFolderForTests(program.Path());
    Settings().LanguageName.clear();
    const QLocale before;
    for (const auto& [locale, offered] : {std::pair{"de_AT", "Deutsch"}, std::pair{"fr_FR", "English"}}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        dlgLanguage dialog;
        EXPECT_EQ(dialog.findChild<QComboBox*>("cboLanguage")->currentText(), QString::fromLatin1(offered)) << locale;
    }
    QLocale::setDefault(before);
}

TEST_F(LanguageDialogTest, WithoutLanguageFilesTheDialogCloses) {
    TempTree empty;
    SetProgramFolderForTests(empty.Path());
    Settings().LanguageName.clear();
    dlgLanguage dialog;
    dialog.show();
    dialog.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Confirmed());
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(LanguageDialogTest, ChoosingALanguageStoresItAndRelocalisesTheOpenMainWindow) {
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    frmMain window;
    window.ScaleAndLocalise();
    window.Prepare();
    auto* compare = window.findChild<QPushButton*>("cmdCompare");
    ASSERT_EQ(compare->text(), FormatMsg(107));
    const QString englishCompare = compare->text();
    QAction* language = window.Commands().OptionsMenu()->findChild<QAction*>("mnuPop4_Language");
    ASSERT_NE(language, nullptr);
    ASSERT_TRUE(language->isEnabled());

    dlgLanguage dialog(&window);
    dialog.languageChanged = [&] { window.LanguageChanged(); };
    auto* box = dialog.findChild<QComboBox*>("cboLanguage");
    box->setCurrentIndex(box->findText(QStringLiteral("Deutsch")));
    dialog.cmdOK_Click();

    EXPECT_EQ(Settings().LanguageName, QStringLiteral("Deutsch"));
    QFile file(Settings().SettingsFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Language=Deutsch"));
    const clsLocalizeControls german(QStringLiteral("Deutsch"));
    EXPECT_EQ(compare->text(), german.ControlText(QStringLiteral("107")));
    EXPECT_NE(compare->text(), englishCompare);
    EXPECT_EQ(language->text(), german.ControlText(QStringLiteral("606")));
    EXPECT_EQ(dialog.windowTitle(), german.ControlText(QStringLiteral("93000")));
}

}  // namespace
