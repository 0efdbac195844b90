#include "ui/main/dlgHint.h"
#include "ui/main/HelpKeys.h"

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "support/TempTree.h"

#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QApplication>
#include <QPlainTextEdit>

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

TEST_F(HintTest, ShowsTheTenHintTextsInOrderAndTheVersion) {
    dlgHint hint;
    QString expected;
    for (int i = 1; i <= 10; ++i) expected += FormatMsg(QString::number(i) + QStringLiteral("hint"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(hint.InfoText(), expected);
    EXPECT_EQ(hint.VersionText(), QStringLiteral("%1.%2.%3").arg(TANDOR_VERSION_MAJOR).arg(TANDOR_VERSION_MINOR).arg(TANDOR_VERSION_PATCH));
    auto* info = hint.findChild<QPlainTextEdit*>(QStringLiteral("txtInfo"));
    EXPECT_TRUE(info->isReadOnly());
}

TEST_F(HintTest, TickingTheBoxWritesTheSettingAtOnce) {
    dlgHint hint;
    auto* box = hint.findChild<QCheckBox*>(QStringLiteral("chkAgain"));
    ASSERT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(Settings().DontShowHint);
    QFile file(Settings().SettingsFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("DontShowHint=1"));
    file.close();
    box->click();
    EXPECT_FALSE(Settings().DontShowHint);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("DontShowHint=0"));
}

TEST_F(HintTest, BoxShowsTheCurrentSettingAndHelpKeysGoToTheHandler) {
    Settings().DontShowHint = true;
    dlgHint hint;
    EXPECT_TRUE(hint.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->isChecked());
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
