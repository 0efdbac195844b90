#include "ui/main/dlgMsgBox.h"

#include "support/TempTree.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Check = 0x80000000u;

struct SetCase {
    uint32_t set;
    std::vector<int> results;
    int escapeResult;  // 0: Escape does nothing
};

const std::vector<SetCase> AllSets = {
    {0, {1}, 1},       {1, {1, 2}, 2}, {2, {3, 4, 5}, 0}, {3, {6, 7, 2}, 2},
    {4, {6, 7}, 0},    {5, {4, 2}, 2}, {6, {2}, 2},       {15, {2}, 2},
};

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlgMsgBox::SoundPlayer() = [this](int style) { sounds.push_back(style); };
    }
    void TearDown() override { dlgMsgBox::SoundPlayer() = [](int) { QApplication::beep(); }; }
    IsolatedEnvironment env;
    std::vector<int> sounds;
};

std::vector<int> ResultsOf(const dlgMsgBox& box) {
    std::vector<int> results;
    for (QPushButton* b : box.Buttons()) results.push_back(b->property("result").toInt());
    return results;
}

void PressEscape(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

TEST_F(MsgBoxTest, EverySetHasItsButtonsAndEachButtonReturnsItsCode) {
    for (const SetCase& c : AllSets) {
        for (size_t i = 0; i < c.results.size(); ++i) {
            for (bool tick : {false, true}) {
                dlgMsgBox box;
                box.Prepare(QStringLiteral("Prompt"), c.set | (tick ? Check : 0u));
                ASSERT_EQ(ResultsOf(box), c.results) << "set " << c.set;
                auto* chk = box.findChild<QCheckBox*>(QStringLiteral("chkAgain"));
                ASSERT_TRUE(chk);
                EXPECT_EQ(chk->isHidden(), !tick);
                if (tick) chk->setChecked(true);
                box.Buttons()[static_cast<qsizetype>(i)]->click();
                const uint32_t expected = static_cast<uint32_t>(c.results[i]) | (tick ? Check : 0u);
                EXPECT_EQ(box.Result(), expected) << "set " << c.set << " button " << i;
            }
        }
    }
}

TEST_F(MsgBoxTest, CheckBoxBitNeedsTheBoxShownAndTicked) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Prompt"), 1);
    // A ticked but hidden box (no bit 31 asked for) adds nothing.
    box.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
    box.Buttons()[1]->click();
    EXPECT_EQ(box.Result(), 2u);
}

TEST_F(MsgBoxTest, ExclamationWithCheckBoxTickedAndOkGivesBit31PlusOk) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Something went wrong."), 0x80000030u);
    box.show();
    QApplication::processEvents();
    EXPECT_EQ(box.IconStyle(), 48);
    EXPECT_FALSE(box.findChild<QLabel*>(QStringLiteral("lblIcon"))->isHidden());
    ASSERT_EQ(box.Buttons().size(), 1);
    EXPECT_EQ(sounds, std::vector<int>{48});
    box.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
    box.Buttons()[0]->click();
    EXPECT_EQ(box.Result(), 0x80000001u);
    EXPECT_FALSE(box.isVisible());
}

TEST_F(MsgBoxTest, NoIconNoSound) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Plain"), 0);
    box.show();
    QApplication::processEvents();
    EXPECT_TRUE(box.findChild<QLabel*>(QStringLiteral("lblIcon"))->isHidden());
    EXPECT_TRUE(sounds.empty());
    box.Buttons()[0]->click();
}

TEST_F(MsgBoxTest, EscapeAndWindowClosePerSet) {
    for (const SetCase& c : AllSets) {
        dlgMsgBox box;
        box.Prepare(QStringLiteral("Prompt"), c.set | Check);
        box.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
        box.show();
        QApplication::processEvents();
        PressEscape(&box);
        if (c.escapeResult == 0) {
            EXPECT_TRUE(box.isVisible()) << "set " << c.set;
            EXPECT_FALSE(box.CanClose());
            EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint) << "set " << c.set;
            EXPECT_FALSE(box.close()) << "set " << c.set;
            EXPECT_TRUE(box.isVisible());
            box.Buttons()[0]->click();
        } else {
            EXPECT_FALSE(box.isVisible()) << "set " << c.set;
            // Escape presses the escape button, so the check box counts.
            EXPECT_EQ(box.Result(), static_cast<uint32_t>(c.escapeResult) | Check) << "set " << c.set;
            EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
        }
    }
}

TEST_F(MsgBoxTest, ClosingTheWindowAnswersWithTheLastButton) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Save changes?"), 3 | Check);
    box.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
    box.show();
    QApplication::processEvents();
    EXPECT_TRUE(box.close());
    EXPECT_EQ(box.Result(), 2u);
}

TEST_F(MsgBoxTest, DefaultButtonGetsTheFocus) {
    struct Case {
        uint32_t buttons;
        int focused;
    };
    for (const Case& c : {Case{1 | 512, 1}, Case{4 | 256, 1}, Case{3 | 512, 2}, Case{3 | 256, 1},
                          Case{3, 0}, Case{0 | 512, 0}, Case{2 | 256, 1}, Case{5, 0}}) {
        dlgMsgBox box;
        box.Prepare(QStringLiteral("Prompt"), c.buttons);
        box.show();
        QApplication::processEvents();
        EXPECT_EQ(box.DefaultButton(), box.Buttons()[c.focused]) << c.buttons;
        EXPECT_EQ(box.focusWidget(), box.Buttons()[c.focused]) << c.buttons;
        EXPECT_TRUE(box.Buttons()[c.focused]->isDefault());
        box.Buttons()[0]->click();
    }
}

TEST_F(MsgBoxTest, EnterPressesTheFocusedButtonAndTabReachesTheCheckBox) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Prompt"), 4 | 256 | Check);
    box.show();
    QApplication::processEvents();
    QWidget* w = box.focusWidget();
    ASSERT_EQ(w, box.Buttons()[1]);
    EXPECT_EQ(w->nextInFocusChain(), box.findChild<QCheckBox*>(QStringLiteral("chkAgain")));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&box, &enter);
    EXPECT_EQ(box.Result(), 7u);
}

TEST_F(MsgBoxTest, CaptionsAreThePlatformTextsAndAccessibleNames) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Prompt"), 2 | Check);
    for (QPushButton* b : box.Buttons()) {
        EXPECT_FALSE(b->text().isEmpty());
        EXPECT_EQ(b->text(), b->text().trimmed());
        EXPECT_FALSE(b->accessibleName().contains(QLatin1Char('&')));
        EXPECT_FALSE(b->accessibleName().isEmpty());
    }
    auto* chk = box.findChild<QCheckBox*>(QStringLiteral("chkAgain"));
    EXPECT_FALSE(chk->accessibleName().isEmpty());
    // Buttons share one size, wide enough for the longest caption.
    const QSize size = box.Buttons()[0]->size();
    for (QPushButton* b : box.Buttons()) {
        EXPECT_EQ(b->size(), size);
        EXPECT_GE(b->width(), b->sizeHint().width());
    }
}

TEST_F(MsgBoxTest, LongPromptWrapsAtSixtyPercentOfTheScreen) {
    const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    dlgMsgBox box;
    box.Prepare(QStringLiteral("word ").repeated(400), 0);
    auto* prompt = box.findChild<QLabel*>(QStringLiteral("lblPrompt"));
    EXPECT_TRUE(prompt->wordWrap());
    EXPECT_EQ(prompt->width(), screenWidth * 6 / 10);
    EXPECT_GT(prompt->height(), 3 * prompt->fontMetrics().height());

    dlgMsgBox shortBox;
    shortBox.Prepare(QStringLiteral("Short"), 0);
    EXPECT_FALSE(shortBox.findChild<QLabel*>(QStringLiteral("lblPrompt"))->wordWrap());
}

TEST_F(MsgBoxTest, PlacementCentresOnScreenOrOwnerAndStaysOnScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setGeometry(screen.left() + 10, screen.top() + 10, 300, 200);
    owner.show();

    dlgMsgBox onScreen(&owner);
    onScreen.Prepare(QStringLiteral("Prompt"), 0, QString(), 0, -2, -2);
    EXPECT_NEAR(onScreen.geometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(onScreen.geometry().center().y(), screen.center().y(), 2);

    dlgMsgBox onOwner(&owner);
    onOwner.Prepare(QStringLiteral("Prompt"), 0, QString(), 0, -1, -1);
    // Centred on the owner, but pushed back inside the screen where it would leave it.
    const int expectedX = std::max(screen.left(), owner.frameGeometry().center().x() - onOwner.width() / 2);
    EXPECT_NEAR(onOwner.x(), expectedX, 2);

    dlgMsgBox farAway;
    farAway.Prepare(QStringLiteral("Prompt"), 0, QString(), 0, 1440 * 1000, 1440 * 1000);
    EXPECT_LE(farAway.geometry().right(), screen.right());
    EXPECT_LE(farAway.geometry().bottom(), screen.bottom());
}

TEST_F(MsgBoxTest, TitleAlignmentAndRightToLeft) {
    dlgMsgBox box;
    box.Prepare(QStringLiteral("Prompt"), 0x100000u | Check, QStringLiteral("My title"), 2);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("My title"));
    auto* prompt = box.findChild<QLabel*>(QStringLiteral("lblPrompt"));
    EXPECT_TRUE(prompt->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(prompt->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(box.findChild<QCheckBox*>(QStringLiteral("chkAgain"))->layoutDirection(), Qt::RightToLeft);

    dlgMsgBox keep;
    keep.Prepare(QStringLiteral("Prompt"), 0, QString(), 1);
    EXPECT_FALSE(keep.windowTitle().isEmpty());
    EXPECT_TRUE(keep.findChild<QLabel*>(QStringLiteral("lblPrompt"))->alignment() & Qt::AlignRight);
}

TEST_F(MsgBoxTest, ShowMsgRunsModallyAndReturnsTheAnswer) {
    bool clicked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget());
        if (!box) return;
        box->findChild<QCheckBox*>(QStringLiteral("chkAgain"))->setChecked(true);
        box->Buttons()[1]->click();
        clicked = true;
    });
    // Should the box not be found, nothing may hang: close whatever is still open.
    QTimer::singleShot(3000, [] {
        if (auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget())) box->Buttons()[0]->click();
    });
    const uint32_t result = dlgMsgBox::ShowMsg(QStringLiteral("Retry?"), 5 | Check);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(result, 0x80000002u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
