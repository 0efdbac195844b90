// The main window on real folders: loading a profile compares it, a changed switch greys the
// compared list, a save that fails keeps the edits, and the close question keeps them too.

#include "MainWindowTesting.h"
#include "engine/ProfileLoading.h"
#include "engine/SyncRun.h"

#include <QPushButton>

namespace {

struct WindowFixture : MainWindowFixture {
    void SetUp() override {
        MainWindowFixture::SetUp();
        OpenWindow(900, 640);
        SetRefreshCompare([this] { window->RunCompare(); });
    }
    void TearDown() override {
        SetRefreshCompare(nullptr);
        MainWindowFixture::TearDown();
    }
    void Load() {
        tree.Folder(QStringLiteral("right"));
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
    }
    bool Enabled(const char* button) const { return window->findChild<QPushButton*>(QString::fromLatin1(button))->isEnabled(); }
    std::array<QString, 3> Counts() const {
        return {window->Files().CountText(0), window->Files().CountText(1), window->Files().CountText(2)};
    }
};

}  // namespace

TEST_F(WindowFixture, LoadingComparesSelectsTheFirstPairAndAChangedSwitchGreysTheList) {
    EXPECT_FALSE(Enabled("cmdEdit") || Enabled("cmdRemove"));  // no pair selected yet
    tree.File(QStringLiteral("left/a.txt"), "new");
    Load();
    MainPairList& pairs = window->Pairs();
    MainFileList& files = window->Files();
    EXPECT_TRUE(window->LastCompareSucceeded());
    EXPECT_FALSE(files.IsStale());
    EXPECT_GT(ViewIndexOf(QStringLiteral("a.txt")), 0);
    EXPECT_TRUE(pairs.RowSelected() && Enabled("cmdEdit") && Enabled("cmdRemove"));
    // A click on a switch cell flips it, marks the profile changed and greys the file list.
    pairs.Click(1, 2, Qt::LeftButton, Qt::NoModifier, true, QPoint());
    EXPECT_FALSE(CurrentProfile().profile.Pairs[0].SubDirs);
    EXPECT_EQ(pairs.Grid()->TextMatrix(1, 2), Marker::Empty);
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_TRUE(files.IsStale());
    EXPECT_EQ(files.Grid()->BackColor(), FilesColor::Stale);
}

TEST_F(WindowFixture, ASaveThatFailsIsShownAndClosingKeepsTheEditsUntilTheUserSaysNo) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    Load();
    const QString original = CurrentProfile().ProfilePath;
    const QByteArray originalBytes = tree.Read(QStringLiteral("p.tdp"));
    window->Pairs().ToggleSwitch(1, 2);
    // A path below a regular file cannot be written, not even by root.
    tree.File(QStringLiteral("blocker"), "a file where a folder should be");
    const QString blocked = tree.Path(QStringLiteral("blocker/mine.tdp"));
    MainCommands& commands = window->Commands();
    commands.saveDialog = [&](const QString&, const QString&, const QString&) { return blocked; };
    EXPECT_FALSE(commands.SaveProfileAs());
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_TRUE(host.messagesShown.last().contains(blocked)) << qPrintable(host.messagesShown.last());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_EQ(CurrentProfile().ProfilePath, original);
    EXPECT_EQ(tree.Read(QStringLiteral("p.tdp")), originalBytes);
    // Closing asks; "Yes" saves, which fails again, so the window stays open with the edits.
    const int rows = CurrentFileView().LastIndex();
    const auto counts = Counts();
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    // Cancel keeps the window and its list; No closes without writing the profile.
    host.queuedAnswers = {MsgBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(CurrentFileView().LastIndex(), rows);
    EXPECT_EQ(Counts(), counts);
    host.queuedAnswers = {MsgBox::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(CurrentFileView().LastIndex(), 0);
    EXPECT_EQ(tree.Read(QStringLiteral("p.tdp")), originalBytes);
}
