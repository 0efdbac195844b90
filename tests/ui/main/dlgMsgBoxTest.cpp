// The program's own message box and the platform box the engine asks through: the buttons a
// style word shows and what each answers, with the "do not ask again" tick only where the box
// was asked for; what Escape and closing answer, and which button Enter presses.
#include "ui/main/dlgMsgBox.h"

#include "support/TempTree.h"
#include "ui/main/WindowRunHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace MsgBox;
constexpr uint32_t Check = CheckBoxFlag;

struct StyleCase {
    uint32_t style;
    std::vector<int> results;  // the buttons from left to right
    int escape;                // 0: the box insists on an answer
    int byDefault;             // what Enter on the opened box answers
    int platformDefault = 0;   // where the platform's box differs: a missing third button
};
const StyleCase Styles[] = {
    {OKOnly, {OK}, OK, OK},
    {OKCancel | DefaultButton3, {OK, Cancel}, Cancel, Cancel, OK},
    {AbortRetryIgnore | DefaultButton2, {Abort, Retry, Ignore}, 0, Retry},
    {YesNoCancel | DefaultButton3, {Yes, No, Cancel}, Cancel, Cancel},
    {YesNo | DefaultButton2, {Yes, No}, 0, No},
    {6, {Cancel}, Cancel, Cancel},  // any other set: one Cancel button (own box only)
};

void Press(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override { dlgMsgBox::SoundPlayer() = [](int) {}; }
    void TearDown() override { dlgMsgBox::SoundPlayer() = [](int) { QApplication::beep(); }; }
    IsolatedEnvironment env;
};

TEST_F(MsgBoxTest, EveryStyleWordGivesItsButtonsEscapeAndDefaultInBothBoxes) {
    for (const StyleCase& c : Styles) {
        const std::string at = "style " + std::to_string(c.style);
        // Each button answers its code; a tick counts only where the box was asked for (bit 31).
        for (size_t i = 0; i < c.results.size(); ++i) {
            for (const uint32_t asked : {0u, Check}) {
                dlgMsgBox own;
                own.Prepare(QStringLiteral("Prompt"), c.style | asked);
                ASSERT_EQ(own.Buttons().size(), static_cast<qsizetype>(c.results.size())) << at;
                own.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
                own.Buttons()[static_cast<qsizetype>(i)]->click();
                EXPECT_EQ(own.Result(), static_cast<uint32_t>(c.results[i]) | asked) << at;
            }
        }
        dlgMsgBox own;
        own.Prepare(QStringLiteral("Prompt"), c.style | Check);
        own.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
        own.show();
        QApplication::processEvents();
        EXPECT_EQ(own.focusWidget(), own.DefaultButton()) << at;
        EXPECT_EQ(own.DefaultButton()->property("result").toInt(), c.byDefault) << at;
        Press(&own, Qt::Key_Escape);
        EXPECT_EQ(own.isVisible(), c.escape == 0) << at;
        EXPECT_EQ(bool(own.windowFlags() & Qt::WindowCloseButtonHint), c.escape != 0) << at;
        if (c.escape == 0) {
            EXPECT_FALSE(own.close()) << at;
            Press(own.focusWidget(), Qt::Key_Return);
            EXPECT_EQ(own.Result(), static_cast<uint32_t>(c.byDefault) | Check) << at;
        } else {
            EXPECT_EQ(own.Result(), static_cast<uint32_t>(c.escape) | Check) << at;
        }
        if ((c.style & 15) > RetryCancel) continue;
        AppMessageBoxDialog platform(QStringLiteral("Prompt"), static_cast<int>(c.style), QString(), nullptr);
        std::vector<int> answers;
        for (QAbstractButton* b : platform.buttons()) {
            AppMessageBoxDialog one(QStringLiteral("Prompt"), static_cast<int>(c.style), QString(), nullptr);
            one.buttons()[platform.buttons().indexOf(b)]->click();
            answers.push_back(one.Result());
        }
        std::sort(answers.begin(), answers.end());
        std::vector<int> expected = c.results;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(answers, expected) << at;
        platform.show();
        QApplication::processEvents();
        Press(&platform, Qt::Key_Escape);
        EXPECT_EQ(platform.Result(), c.escape) << at;
        EXPECT_EQ(platform.CanClose(), c.escape != 0) << at;
        if (c.escape == 0) platform.defaultButton()->click();
        AppMessageBoxDialog enter(QStringLiteral("Prompt"), static_cast<int>(c.style), QString(), nullptr);
        enter.defaultButton()->click();
        EXPECT_EQ(enter.Result(), c.platformDefault ? c.platformDefault : c.byDefault) << at;
    }
}

}  // namespace
