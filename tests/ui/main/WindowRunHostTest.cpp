// The windowed host during a run: no question shown when the user said not to ask, a question
// above the progress window with the focus, and the progress window's Cancel.
#include "ui/main/WindowRunHost.h"

#include "config/StartupSwitches.h"
#include "engine/RunState.h"
#include "support/TempTree.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class WindowRunHostTest : public ::testing::Test {
protected:
    void TearDown() override { dlgProgress::Unload(); }
    IsolatedEnvironment env;
    WindowRunHost host;
};

TEST_F(WindowRunHostTest, DontAskAnswersYesWithoutShowingAnything) {
    Switches().DontAsk = true;
    EXPECT_EQ(host.AppMessageBox(QStringLiteral("Delete?"), MsgBox::YesNo | MsgBox::Question), MsgBox::Yes);
    EXPECT_EQ(host.AppMessageBox(QStringLiteral("Notice"), MsgBox::OKOnly), MsgBox::Yes);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A question asked while the progress window is up belongs to that window, comes up as the
// active window with the focus, and the progress window's timer does not raise itself over it;
// the run gets the answer of the button pressed, from the platform's box and from the own one.
TEST_F(WindowRunHostTest, PromptDuringARunStandsAboveTheProgressWindowWithTheFocus) {
    QWidget main;
    main.resize(400, 300);
    main.show();
    host.owner = [&main] { return &main; };
    host.ProgressInit(100);
    dlgProgress* progress = dlgProgress::Existing();
    ASSERT_TRUE(progress && progress->isVisible());

    bool checked = false;
    for (int kind = 0; kind < 2; ++kind) {
        QTimer::singleShot(50, [&] {
            QWidget* prompt = QApplication::activeModalWidget();
            ASSERT_NE(prompt, nullptr);
            EXPECT_EQ(prompt->parentWidget(), progress);
            EXPECT_EQ(QApplication::activeWindow(), prompt);
            progress->KeepInSight();  // a tick of its display timer
            EXPECT_EQ(QApplication::activeWindow(), prompt);
            checked = true;
            if (auto* box = qobject_cast<QMessageBox*>(prompt)) box->button(QMessageBox::No)->click();
            else if (auto* own = qobject_cast<dlgMsgBox*>(prompt)) own->cmdAction_Click(2);
        });
        checked = false;
        if (kind == 0) {
            EXPECT_EQ(host.AppMessageBox(QStringLiteral("Question during the run"), MsgBox::YesNoCancel), MsgBox::No);
        } else {
            EXPECT_EQ(host.ShowMsg(QStringLiteral("Error during the run"), MsgBox::AbortRetryIgnore | MsgBox::Critical),
                      uint32_t(MsgBox::Ignore));
        }
        EXPECT_TRUE(checked) << kind;
    }
}

// Cancel, Escape and the close button each raise the flag; the window stays until the run ends.
TEST_F(WindowRunHostTest, CancelInTheProgressWindowOnlyRaisesTheFlagAndTheWindowStays) {
    dlgProgress* p = dlgProgress::Instance();
    p->show();
    p->Init(10);
    const std::function<void()> ways[] = {
        [p] { p->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click(); },
        [p] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(p, &escape);
        },
        [p] { EXPECT_FALSE(p->close()); },
    };
    for (const auto& cancel : ways) {
        ::Run().CancelRequested = false;
        cancel();
        EXPECT_TRUE(::Run().CancelRequested);
        EXPECT_TRUE(p->isVisible());
    }
    ::Run().CancelRequested = false;
}

}  // namespace
