// The language choice: the files it lists, what a first start offers, and a choice that
// is stored at once and handed to the windows.
#include "ui/dialogs/dlgLanguage.h"

#include "config/ProgramSettings.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
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
    EXPECT_EQ(dlgLanguage().findChild<QComboBox*>("cboLanguage")->currentText(), QStringLiteral("Deutsch"));
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

// A first start offers the system's language where a file has it, else English; without any
// language file the dialog just closes.
TEST_F(LanguageDialogTest, AFirstStartOffersTheSystemsLanguageElseEnglish) {
    TempTree program;
    program.File("Deutsch.lang", "1246=de\n");
    program.File("English.lang", "1246=en\n");
    program.File("Klingon.lang", "1246=tlh\n");
    TempTree empty;
    const QLocale before;
    for (const auto& [folder, locale, offered] : {std::tuple{&program, "de_AT", "Deutsch"}, std::tuple{&program, "fr_FR", "English"},
                                                  std::tuple{&empty, "de_AT", ""}}) {
        Settings().LanguageName.clear();
        SetProgramFolderForTests(folder->Path());
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        dlgLanguage dialog;
        EXPECT_EQ(dialog.findChild<QComboBox*>("cboLanguage")->currentText(), QString::fromLatin1(offered)) << locale;
        dialog.show();
        dialog.findChild<QPushButton*>("cmdOK")->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.Confirmed(), *offered != 0);
    }
    QLocale::setDefault(before);
    EXPECT_EQ(host.beeps, 0);
}

// The choice is written at once and handed to the windows, which relocalise themselves (the main
// window's own tests follow a language change through it).
TEST_F(LanguageDialogTest, ChoosingALanguageStoresItAndTellsTheWindows) {
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    dlgLanguage dialog;
    int told = 0;
    dialog.languageChanged = [&] { ++told; };
    auto* box = dialog.findChild<QComboBox*>("cboLanguage");
    box->setCurrentIndex(box->findText(QStringLiteral("Deutsch")));
    dialog.cmdOK_Click();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(Settings().LanguageName, QStringLiteral("Deutsch"));
    QFile file(Settings().SettingsFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Language=Deutsch"));
    EXPECT_EQ(dialog.windowTitle(), clsLocalizeControls(QStringLiteral("Deutsch")).ControlText(QStringLiteral("93000")));
}

}  // namespace
