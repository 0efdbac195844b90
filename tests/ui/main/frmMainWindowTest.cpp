// The main window on real folders: loading a profile, the profile list's switches, selection
// and drops, saving, closing with and without the question, and a switch of language while a
// compared list is on show.

#include "MainWindowTesting.h"
#include "engine/ProfileLoading.h"
#include "engine/SyncRun.h"
#include "i18n/DefaultListNames.h"
#include "i18n/TextLookup.h"
#include "support/CrontabStandIn.h"
#include "ui/dialogs/dlgTaskScheduler.h"

#include <QDialog>
#include <QPushButton>

namespace {

struct WindowFixture : MainWindowFixture {
    void SetUp() override {
        SetHost(&host);
        window = MakePreparedMainWindow(900, 640, true);
        SetRefreshCompare([this] { window->RunCompare(); });
    }
    void TearDown() override {
        SetRefreshCompare(nullptr);
        CurrentProfile().ProfileChanged = false;
        window.reset();
        SetHost(nullptr);
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
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

TEST_F(WindowFixture, LoadingComparesSelectsTheFirstPairAndAProfileChangeGreysTheList) {
    EXPECT_FALSE(Enabled("cmdEdit") || Enabled("cmdRemove"));  // no pair selected yet
    tree.File(QStringLiteral("left/a.txt"), "new", QDateTime::currentDateTime());
    tree.File(QStringLiteral("right/a.txt"), "old", QDateTime::currentDateTime().addDays(-1));
    Load();
    MainPairList& pairs = window->Pairs();
    MainFileList& files = window->Files();
    EXPECT_TRUE(window->LastCompareSucceeded());
    EXPECT_FALSE(files.IsStale());
    EXPECT_EQ(files.Grid()->BackColor(), FilesColor::Current);
    EXPECT_GT(ViewIndexOf(QStringLiteral("a.txt")), 0);
    EXPECT_EQ(pairs.Grid()->Rows(), 2);
    EXPECT_EQ(pairs.Grid()->TextMatrix(1, 2), Marker::Ticked);
    EXPECT_TRUE(pairs.RowSelected() && pairs.HighlightedRow() == 1);
    EXPECT_TRUE(Enabled("cmdEdit") && Enabled("cmdRemove"));
    // A click on a switch cell flips it, marks the profile changed and greys the file list;
    // with Shift the row is highlighted but nothing toggles.
    pairs.Click(1, 2, Qt::LeftButton, Qt::NoModifier, true, QPoint());
    EXPECT_FALSE(CurrentProfile().profile.Pairs[0].SubDirs);
    EXPECT_EQ(pairs.Grid()->TextMatrix(1, 2), Marker::Empty);
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_TRUE(files.IsStale());
    EXPECT_EQ(files.Grid()->BackColor(), FilesColor::Stale);
    pairs.Click(1, 2, Qt::LeftButton, Qt::ShiftModifier, true, QPoint());
    EXPECT_FALSE(CurrentProfile().profile.Pairs[0].SubDirs);
    // A switch ticked through the model (a screen reader) changes the pair as its click does.
    TOFlexGridModel* model = pairs.Grid()->Model();
    const QModelIndex hiddenFiles = model->index(1 - model->HeaderRows(), 6);
    EXPECT_TRUE(model->setData(hiddenFiles, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(CurrentProfile().profile.Pairs[0].Hidden[1]);
    EXPECT_EQ(model->data(hiddenFiles, Qt::CheckStateRole).toInt(), Qt::Checked);
    // Removing the only pair leaves a title-only list, an unchanged profile, nothing selected.
    pairs.RemovePair(1);
    EXPECT_EQ(pairs.Grid()->Rows(), 1);
    EXPECT_FALSE(CurrentProfile().ProfileChanged);
    EXPECT_FALSE(Enabled("cmdEdit") || Enabled("cmdRemove"));
}

TEST_F(WindowFixture, ASaveThatCannotBeWrittenIsShownAndTheEditsStay) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    Load();
    const QString original = CurrentProfile().ProfilePath;
    const QByteArray originalBytes = tree.Read(QStringLiteral("p.tdp"));
    const QString title = window->windowTitle();
    window->Pairs().ToggleSwitch(1, 2);
    // A path below a regular file cannot be written, not even by root.
    tree.File(QStringLiteral("blocker"), "a file where a folder should be");
    const QString blocked = tree.Path(QStringLiteral("blocker/mine.tdp"));
    MainCommands& commands = window->Commands();
    commands.saveDialog = [&](const QString&, const QString&, const QString&) { return blocked; };
    EXPECT_FALSE(commands.SaveProfileAs());
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_TRUE(host.messagesShown.last().contains(blocked)) << qPrintable(host.messagesShown.last());
    EXPECT_TRUE(host.messagesShown.last().contains(QStringLiteral("Not a directory"))) << qPrintable(host.messagesShown.last());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_EQ(CurrentProfile().ProfilePath, original);
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(tree.Read(QStringLiteral("p.tdp")), originalBytes);
    // Closing asks; "Yes" saves, which fails again, so the window stays open with the edits.
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    // Saved to a place that can be written, the profile is saved and takes that name.
    commands.saveDialog = [&](const QString&, const QString&, const QString&) { return tree.Path(QStringLiteral("kept.tdp")); };
    EXPECT_TRUE(commands.SaveProfileAs());
    EXPECT_FALSE(CurrentProfile().ProfileChanged);
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("kept"))) << qPrintable(window->windowTitle());
    EXPECT_TRUE(tree.Read(QStringLiteral("kept.tdp")).contains("Su=0\r\n"));
}

TEST_F(WindowFixture, OnlyOneDroppedProfileFileIsTakenAndCtrlAddsItsPairs) {
    const QString path = WriteLeftRightProfile(tree);
    const QString other = tree.File(QStringLiteral("notes.txt"), "x");
    MainCommands& commands = window->Commands();
    for (const QStringList& rejected : {QStringList{path, path}, QStringList{other},
                                        QStringList{tree.Folder(QStringLiteral("dir.tdp"))}, QStringList{}})
        EXPECT_FALSE(commands.DropProfileFile(rejected, false)) << rejected.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(CurrentProfile().ProfilePath.isEmpty());
    EXPECT_TRUE(commands.DropProfileFile({path}, false));
    EXPECT_EQ(CurrentProfile().ProfilePath, path);
    EXPECT_EQ(CurrentProfile().profile.Pairs.size(), 1);
    EXPECT_TRUE(commands.DropProfileFile({path}, true));
    EXPECT_EQ(CurrentProfile().profile.Pairs.size(), 2);
    EXPECT_EQ(window->Pairs().Grid()->Rows(), 3);
    EXPECT_TRUE(window->Files().IsStale());
}

TEST_F(WindowFixture, CancelInTheCloseQuestionKeepsTheListAndNoWindowClosesUnderADialog) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    Load();
    const int rows = CurrentFileView().LastIndex();
    const auto counts = Counts();
    CurrentProfile().ProfileChanged = true;
    host.queuedAnswers = {MsgBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(CurrentFileView().LastIndex(), rows);
    EXPECT_EQ(Counts(), counts);
    EXPECT_FALSE(window->Files().Grid()->TextMatrix(1, 1).isEmpty());
    // The task scheduler is not modal: it disables the window it belongs to.
    CrontabStandIn crontab;
    crontab.SetTable("");
    dlgTaskScheduler::MessageHandler() = [](const QString&, uint32_t, QWidget*) { return 1u; };
    dlgTaskScheduler::ShowWindow(window.get());
    QDialog* scheduler = window->findChild<dlgTaskScheduler*>();
    ASSERT_NE(scheduler, nullptr);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(scheduler->isVisible());
    EXPECT_EQ(host.beeps, 1);
    scheduler->close();
    QApplication::processEvents();
    dlgTaskScheduler::MessageHandler() = nullptr;
    // No closes, and only then the lists go.
    host.queuedAnswers = {MsgBox::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(CurrentFileView().LastIndex(), 0);
}

TEST_F(WindowFixture, ALanguageSwitchRenamesEverySideAndKeepsTheSelectionAndTheCounts) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    Load();
    // Start-up's stand-in names in English; the profile carries them as well.
    Settings().DefaultProfileOptions.ListName = {QString(), QStringLiteral("Backup")};
    FillDefaultListNames(Settings().DefaultProfileOptions);
    CurrentProfile().profile.Options.ListName = Settings().DefaultProfileOptions.ListName;
    window->ShowLoadedProfile();
    window->Files().UpdateView(0);
    ASSERT_NE(Counts()[0], Localizer().ControlText(QStringLiteral("112")));
    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    window->LanguageChanged();
    const clsLocalizeControls german(QStringLiteral("Deutsch"));
    const QString standIn = german.FormatMsg(QStringLiteral("127"));
    // The stand-in follows the language, the user's own name stays.
    EXPECT_EQ(CurrentProfile().profile.Options.ListName, (std::array<QString, 2>{standIn, QStringLiteral("Backup")}));
    const QStringList dirsTitles = german.FormatMsg(QStringLiteral("115"), {QStringLiteral("|"), standIn, QStringLiteral("Backup")})
                                       .split(QLatin1Char('|'));
    for (int c = 0; c < 7; ++c) EXPECT_EQ(window->Pairs().Grid()->TextMatrix(0, c), dirsTitles[c]) << c;
    EXPECT_TRUE(window->Pairs().RowSelected());
    EXPECT_TRUE(window->Files().Grid()->TextMatrix(0, 1).contains(standIn));
    for (const QString& count : Counts()) EXPECT_NE(count, german.ControlText(QStringLiteral("112")));
    EXPECT_GE(CurrentFileView().LastIndex(), 2);
}
