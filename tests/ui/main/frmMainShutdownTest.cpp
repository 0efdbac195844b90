// Closing the main window and changing its language while a compared list is on show: Cancel in
// the close question and a switch of language keep the list and its counts, and the window does
// not close under a dialog.

#include "MainWindowTesting.h"

#include "engine/ProfileLoading.h"
#include "engine/RunHost.h"
#include "engine/SyncRun.h"
#include "i18n/DefaultListNames.h"
#include "i18n/TextLookup.h"
#include "support/CrontabStandIn.h"
#include "ui/dialogs/dlgTaskScheduler.h"

#include <QDialog>

namespace {
struct ShutdownFixture : MainWindowFixture {
    void SetUp() override {
        SetHost(&host);
        window = MakePreparedMainWindow(900, 640, true);
        SetRefreshCompare([this] { window->RunCompare(); });
        tree.File(QStringLiteral("left/a.txt"), "new", QDateTime::currentDateTime());
        tree.File(QStringLiteral("left/b.txt"), "b");
        tree.Folder(QStringLiteral("right"));
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
        ASSERT_GE(CurrentFileView().LastIndex(), 2);
    }
    void TearDown() override {
        SetRefreshCompare(nullptr);
        CurrentProfile().ProfileChanged = false;
        window.reset();
        SetHost(nullptr);
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    std::array<QString, 3> Counts() const {
        return {window->CountBoxText(0), window->CountBoxText(1), window->CountBoxText(2)};
    }
};
}  // namespace

TEST_F(ShutdownFixture, CancelInTheCloseQuestionKeepsTheListAndItsCounts) {
    const int rows = CurrentFileView().LastIndex();
    const auto counts = Counts();
    CurrentProfile().ProfileChanged = true;
    host.queuedAnswers = {MsgBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(host.messagesShown.size(), 1);
    EXPECT_EQ(CurrentFileView().LastIndex(), rows);
    EXPECT_EQ(Counts(), counts);
    EXPECT_FALSE(window->flexFiles()->TextMatrix(1, 1).isEmpty());  // the first row still shows
    // No closes, and only then the lists go.
    host.queuedAnswers = {MsgBox::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(CurrentFileView().LastIndex(), 0);
}

TEST_F(ShutdownFixture, TheWindowDoesNotCloseUnderAnOpenDialog) {
    // The task scheduler is not modal: it disables the window it belongs to.
    CrontabStandIn crontab;
    crontab.SetTable("");
    dlgTaskScheduler::MessageHandler() = [](const QString&, uint32_t, QWidget*) { return 1u; };
    dlgTaskScheduler::ShowWindow(window.get());
    QDialog* scheduler = window->findChild<dlgTaskScheduler*>();
    ASSERT_NE(scheduler, nullptr);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(scheduler->isVisible());
    EXPECT_EQ(host.beeps, 1);
    scheduler->close();
    QApplication::processEvents();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(window->close());
    dlgTaskScheduler::MessageHandler() = nullptr;
}

TEST_F(ShutdownFixture, ALanguageSwitchRenamesEverySideAndKeepsTheCounts) {
    // Start-up's stand-in names in English; the profile carries them as well.
    Settings().DefaultProfileOptions.ListName = {QString(), QStringLiteral("Backup")};
    FillDefaultListNames(Settings().DefaultProfileOptions);
    CurrentProfile().profile.Options.ListName = Settings().DefaultProfileOptions.ListName;
    window->ShowLoadedProfile();
    window->UpdateFilesView(0);
    const auto englishCounts = Counts();
    ASSERT_NE(englishCounts[0], Localizer().ControlText(QStringLiteral("112")));

    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    window->LanguageChanged();

    const clsLocalizeControls german(QStringLiteral("Deutsch"));
    // The stand-in follows the language, the user's own name stays.
    EXPECT_EQ(Settings().DefaultProfileOptions.ListName[0], german.FormatMsg(QStringLiteral("127")));
    EXPECT_EQ(CurrentProfile().profile.Options.ListName[0], german.FormatMsg(QStringLiteral("127")));
    EXPECT_EQ(CurrentProfile().profile.Options.ListName[1], QStringLiteral("Backup"));
    const QStringList dirsTitles =
        german.FormatMsg(QStringLiteral("115"), {QStringLiteral("|"), german.FormatMsg(QStringLiteral("127")), QStringLiteral("Backup")})
            .split(QLatin1Char('|'));
    for (int c = 0; c < 7; ++c) EXPECT_EQ(window->flexDirs()->TextMatrix(0, c), dirsTitles[c]) << c;
    EXPECT_EQ(window->flexDirs()->Rows(), 2);
    EXPECT_TRUE(window->DirsRowSelected());
    EXPECT_TRUE(window->flexFiles()->TextMatrix(0, 1).contains(german.FormatMsg(QStringLiteral("127"))));
    // The counts are counted, not reset to "not yet compared", and the rows are still there.
    for (int b = 0; b < 3; ++b) EXPECT_NE(window->CountBoxText(b), german.ControlText(QStringLiteral("112"))) << b;
    EXPECT_GE(CurrentFileView().LastIndex(), 2);
}
