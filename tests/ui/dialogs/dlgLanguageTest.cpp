// The language choice: the files it lists, what it offers beforehand, and a choice that is
// stored at once and handed to the windows.
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

// Only the exact name of the set language is chosen beforehand; on a first start (no language
// set) the system's language where a file has it, else English. Without a choice OK and Cancel
// beep and the dialog stays; without any language file it just closes.
TEST_F(LanguageDialogTest, OffersTheSetLanguageOrOnAFirstStartTheSystemsElseEnglish) {
    TempTree program;
    program.File("Deutsch.lang", "1246=de\n");
    program.File("English.lang", "1246=en\n");
    program.File("Klingon.lang", "1246=tlh\n");
    program.File("notes.LANG", "");
    program.File("Tandor.ini", "");
    TempTree empty;
    const struct {
        TempTree* folder;
        const char* setting;
        const char* locale;
        const char* offered;
    } rows[] = {{&program, "Deutsch", "fr_FR", "Deutsch"}, {&program, "deutsch", "de_AT", ""}, {&program, "", "de_AT", "Deutsch"},
                {&program, "", "fr_FR", "English"},        {&empty, "", "de_AT", ""}};
    const QLocale before;
    for (const auto& r : rows) {
        SetProgramFolderForTests(r.folder->Path());
        Settings().LanguageName = QString::fromLatin1(r.setting);
        QLocale::setDefault(QLocale(QString::fromLatin1(r.locale)));
        host.beeps = 0;
        dlgLanguage dialog;
        auto* box = dialog.findChild<QComboBox*>("cboLanguage");
        EXPECT_EQ(box->currentText(), QString::fromLatin1(r.offered)) << r.setting << ' ' << r.locale;
        dialog.show();
        const bool refused = box->count() > 0 && !*r.offered;
        if (refused) {
            dialog.reject();
            EXPECT_TRUE(dialog.isVisible());
        }
        dialog.findChild<QPushButton*>("cmdOK")->click();
        EXPECT_EQ(dialog.isVisible(), refused) << r.setting << ' ' << r.locale;
        EXPECT_EQ(host.beeps, refused ? 2 : 0) << r.setting << ' ' << r.locale;
        EXPECT_EQ(dialog.Confirmed(), *r.offered != 0);
        if (refused) {
            box->setCurrentIndex(box->findText(QStringLiteral("Klingon")));
            dialog.findChild<QPushButton*>("cmdOK")->click();
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(Settings().LanguageName, QStringLiteral("Klingon"));
        }
    }
    EXPECT_EQ(dlgLanguage::LanguageNames(), QStringList());
    SetProgramFolderForTests(program.Path());
    EXPECT_EQ(dlgLanguage::LanguageNames(), QStringList({"Deutsch", "English", "Klingon"}));
    QLocale::setDefault(before);
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
