// The hint window: the box that stops it for good, and the help keys.
#include "ui/main/dlgHint.h"
#include "ui/main/HelpKeys.h"

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

class HintTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadProgramSettings();
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    void TearDown() override { ReloadLocalizer(); }
    IsolatedEnvironment env;
};

// The box shows the setting, and each click writes it at once.
TEST_F(HintTest, TheBoxWritesTheSettingAtOnceAndHelpKeysGoToTheHandler) {
    Settings().DontShowHint = true;
    dlgHint hint;
    auto* box = hint.findChild<QCheckBox*>(QStringLiteral("chkAgain"));
    ASSERT_TRUE(box->isChecked());
    for (const bool ticked : {false, true}) {
        box->click();
        EXPECT_EQ(Settings().DontShowHint, ticked);
        QFile file(Settings().SettingsFilePath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains(ticked ? "DontShowHint=1" : "DontShowHint=0"));
    }
    int pressed = 0;
    QWidget* from = nullptr;
    HelpKeyHandler() = [&](int key, QWidget* window) {
        pressed = key;
        from = window;
    };
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(&hint, &f2);
    EXPECT_EQ(pressed, Qt::Key_F2);
    EXPECT_EQ(from, &hint);
    HelpKeyHandler() = nullptr;
}

}  // namespace
