#include "ui/main/WindowRunHost.h"

#include "config/StartupSwitches.h"
#include "engine/RunState.h"
#include "support/TempTree.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

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

TEST_F(WindowRunHostTest, ProgressCallsDriveTheSharedProgressWindow) {
    EXPECT_FALSE(host.ProgressVisible());
    host.ProgressInit(400);
    ASSERT_TRUE(host.ProgressVisible());
    dlgProgress* p = dlgProgress::Existing();
    host.ProgressShowFile(QStringLiteral("/a/"), QStringLiteral("/b/"), QStringLiteral("f.txt"));
    EXPECT_EQ(p->FileText(), QStringLiteral("f.txt"));
    host.ProgressUpdate(200, 100);
    EXPECT_EQ(p->PercentText(), QStringLiteral("25 %"));
    host.ProgressFileDone(200);
    EXPECT_EQ(p->PercentText(), QStringLiteral("50 %"));
    host.ProgressUnload();
    EXPECT_FALSE(host.ProgressVisible());
    EXPECT_EQ(dlgProgress::Existing(), nullptr);
    // Calls after the window is gone do nothing.
    host.ProgressUpdate(1, 1);
    host.ProgressFileDone(1);
}

TEST_F(WindowRunHostTest, LetEventsRunDeliversPendingEventsButNotOnEveryCall) {
    int delivered = 0;
    QTimer::singleShot(0, [&] { ++delivered; });
    host.LetEventsRun();
    EXPECT_EQ(delivered, 1);
    QTimer::singleShot(0, [&] { ++delivered; });
    host.LetEventsRun();  // right after the last: throttled
    EXPECT_EQ(delivered, 1);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 40) {
    }
    host.LetEventsRun();
    EXPECT_EQ(delivered, 2);
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
            EXPECT_NE(prompt, progress);
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
    // Without a run's progress window the main window owns the box, as before.
    dlgProgress::Unload();
    QTimer::singleShot(50, [&] {
        QWidget* prompt = QApplication::activeModalWidget();
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->parentWidget(), &main);
        if (auto* box = qobject_cast<QMessageBox*>(prompt)) box->buttons().first()->click();
    });
    host.AppMessageBox(QStringLiteral("After the run"), MsgBox::OKOnly);
}

}  // namespace
