// The program's own message box and the platform box the engine asks through: one table of
// style words with the buttons each shows, what Escape and closing answer and which button is
// the default; then the check box, the keys, the wrapping and the placement of the own box.
#include "ui/main/dlgMsgBox.h"

#include "support/TempTree.h"
#include "ui/main/WindowRunHost.h"
#include "ui/main/clsMousePointer.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

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
    {OKOnly | DefaultButton3, {OK}, OK, OK},
    {OKCancel | DefaultButton3, {OK, Cancel}, Cancel, Cancel, OK},
    {AbortRetryIgnore | DefaultButton2, {Abort, Retry, Ignore}, 0, Retry},
    {YesNoCancel, {Yes, No, Cancel}, Cancel, Yes},
    {YesNoCancel | DefaultButton2, {Yes, No, Cancel}, Cancel, No},
    {YesNoCancel | DefaultButton3, {Yes, No, Cancel}, Cancel, Cancel},
    {YesNo | DefaultButton2, {Yes, No}, 0, No},
    {RetryCancel, {Retry, Cancel}, Cancel, Retry},
    {6, {Cancel}, Cancel, Cancel},  // any other set: one Cancel button (own box only)
};

void Press(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override { dlgMsgBox::SoundPlayer() = [this](int style) { sounds.push_back(style); }; }
    void TearDown() override { dlgMsgBox::SoundPlayer() = [](int) { QApplication::beep(); }; }
    IsolatedEnvironment env;
    std::vector<int> sounds;
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
            dlgMsgBox closed;  // the window's close button answers as Escape, without the tick
            closed.Prepare(QStringLiteral("Prompt"), c.style | Check);
            closed.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
            closed.show();
            EXPECT_TRUE(closed.close());
            EXPECT_EQ(closed.Result(), static_cast<uint32_t>(c.escape)) << at;
        }
        if ((c.style & 15) > RetryCancel) continue;
        AppMessageBoxDialog platform(QStringLiteral("Prompt"), static_cast<int>(c.style), QString(), nullptr);
        EXPECT_EQ(platform.windowTitle(), QStringLiteral("Tandor"));  // untitled boxes carry the program's name
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

// An icon shows and sounds; without one the box is silent.
TEST_F(MsgBoxTest, TheIconShowsAndSounds) {
    for (const uint32_t style : {uint32_t(OKOnly), uint32_t(Exclamation)}) {
        sounds.clear();
        dlgMsgBox box;
        box.Prepare(QStringLiteral("Something went wrong."), style);
        box.show();
        QApplication::processEvents();
        EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblIcon"))->isHidden(), style == OKOnly);
        EXPECT_EQ(sounds, style == OKOnly ? std::vector<int>{} : std::vector<int>{Exclamation});
        box.Buttons()[0]->click();
    }
    EXPECT_EQ(AppMessageBoxDialog(QStringLiteral("Q"), YesNo | Question, QString(), nullptr).icon(), QMessageBox::Question);
    EXPECT_EQ(AppMessageBoxDialog(QStringLiteral("C"), OKOnly | Critical, QString(), nullptr).icon(), QMessageBox::Critical);
}

TEST_F(MsgBoxTest, EnterPressesTheFocusedButtonAndTabReachesTheCheckBox) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Prompt"), YesNo | DefaultButton2 | Check);
    box.show();
    QApplication::processEvents();
    ASSERT_EQ(box.focusWidget(), box.Buttons()[1]);
    EXPECT_EQ(box.focusWidget()->nextInFocusChain(), box.findChild<QCheckBox*>(QStringLiteral("chkAgain")));
    Press(&box, Qt::Key_Return);
    EXPECT_EQ(box.Result(), 7u);
}

TEST_F(MsgBoxTest, LongPromptsWrapAndTheBoxStaysOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    dlgMsgBox box;
    box.Prepare(QStringLiteral("word ").repeated(400), 0);
    auto* prompt = box.findChild<QLabel*>(QStringLiteral("lblPrompt"));
    EXPECT_TRUE(prompt->wordWrap());
    EXPECT_EQ(prompt->width(), screen.width() * 6 / 10);

    QWidget owner;
    owner.setGeometry(screen.left() + 10, screen.top() + 10, 300, 200);
    owner.show();
    dlgMsgBox onScreen(&owner);
    onScreen.Prepare(QStringLiteral("Prompt"), 0, QString(), 0, -2, -2);
    EXPECT_NEAR(onScreen.geometry().center().x(), screen.center().x(), 2);
    dlgMsgBox onOwner(&owner);
    onOwner.Prepare(QStringLiteral("Prompt"), 0, QString(), 0, -1, -1);
    // Centred on the owner, but pushed back inside the screen where it would leave it.
    EXPECT_NEAR(onOwner.x(), std::max(screen.left(), owner.frameGeometry().center().x() - onOwner.width() / 2), 2);
    dlgMsgBox farAway;
    farAway.Prepare(QStringLiteral("Prompt"), 0, QString(), 0, 1440 * 1000, 1440 * 1000);
    EXPECT_LE(farAway.geometry().right(), screen.right());
    EXPECT_LE(farAway.geometry().bottom(), screen.bottom());
}

TEST_F(MsgBoxTest, RightToLeftReadingTurnsThePromptAndTheCheckBox) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Prompt"), RightToLeftReading | Check, QStringLiteral("My title"), 2);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("My title"));
    EXPECT_TRUE(box.findChild<QLabel*>(QStringLiteral("lblPrompt"))->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblPrompt"))->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(box.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->layoutDirection(), Qt::RightToLeft);
}

// A question during a long handler: the box shows the normal pointer, the busy pointer comes back
// after it, and none is left when the handler ends, whichever way it ends.
TEST_F(MsgBoxTest, ShowMsgRunsModallyWithTheNormalPointerAndReturnsTheAnswer) {
    Qt::CursorShape during = Qt::BlankCursor;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget());
        if (!box) return;
        during = QGuiApplication::overrideCursor()->shape();
        box->findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
        box->Buttons()[1]->click();
    });
    // Should the box not be found, nothing may hang: close whatever is still open.
    QTimer::singleShot(3000, [] {
        if (auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget())) box->Buttons()[0]->click();
    });
    auto handler = [&] {
        clsMousePointer busy;
        EXPECT_EQ(dlgMsgBox::ShowMsg(QStringLiteral("Retry?"), RetryCancel | Check), 0x80000002u);
        EXPECT_EQ(during, Qt::ArrowCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        throw 1;
    };
    EXPECT_THROW(handler(), int);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
