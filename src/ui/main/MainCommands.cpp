#include "ui/main/MainCommands.h"

#include "ui_frmMain.h"

#include "engine/CompareRun.h"
#include "config/Profile.h"
#include "engine/FileView.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainMessages.h"
#include "ui/main/MainPairList.h"
#include "ui/main/RunErrorsList.h"
#include "ui/main/RunLock.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/dlgSearchFile.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>

MainCommands::MainCommands(QWidget* window, Ui::frmMain& ui, ProfileDisplay& display, MainPairList& pairs,
                           MainFileList& files, RunLock& lock, QLabel* workingStatus)
    : QObject(window), window_(window), ui_(ui), display_(display), pairs_(pairs), files_(files), lock_(lock),
      workingStatus_(workingStatus) {
    cmdRunErrors_ = new QToolButton(window_);
    cmdRunErrors_->setObjectName(QStringLiteral("cmdRunErrors"));
    cmdRunErrors_->hide();  // its texts come with the others' (LocaliseTexts)
    connect(cmdRunErrors_, &QToolButton::clicked, this, &MainCommands::ShowRunErrors);
    BuildToolbars();
    BuildMenus();
    ConnectButtons();
    NameToolbars();
    connect(&files_, &MainFileList::RowMenuRequested, this, &MainCommands::ShowRowMenu);
    connect(&pairs_, &MainPairList::MenuRequested, this, &MainCommands::ShowPairMenu);
    connect(&pairs_, &MainPairList::FilesDropped, this, &MainCommands::DropProfileFile);
    connect(&pairs_, &MainPairList::SelectionChanged, this, &MainCommands::UpdatePairButtons);
    ui_.cmdCompare->setEnabled(false);
    // Until the profile of the command line has loaded, a synchronisation would find no pair.
    ui_.cmdSynch->setEnabled(false);
    ui_.cmdTreeAndSearch->setEnabled(false);  // nothing to show before the first compare
    UpdatePairButtons();
}

void MainCommands::ConnectButtons() {
    connect(ui_.cmdLoad, &QPushButton::clicked, this, [this] { OpenProfile(); });
    connect(ui_.cmdSave, &QPushButton::clicked, this, [this] {
        if (CurrentProfile().profile.Pairs.isEmpty()) Host().Beep();
        else SaveProfileAs();
    });
    connect(ui_.cmdAdd, &QPushButton::clicked, this, [this] { pairs_.AddPair(); });
    connect(ui_.cmdEdit, &QPushButton::clicked, this, [this] { pairs_.EditSelected(); });
    connect(ui_.cmdRemove, &QPushButton::clicked, this, [this] { pairs_.RemoveSelected(); });
    connect(ui_.cmdCompare, &QPushButton::clicked, this, [this] { RunCompare(); });
    connect(ui_.cmdSynch, &QPushButton::clicked, this, [this] { RunSynchronize(); });
    connect(ui_.cmdTreeAndSearch, &QPushButton::clicked, this,
            [this] { dlgSearchFile::ShowModal(window_, [this](int viewIndex) { files_.ShowRow(viewIndex); }); });
    connect(ui_.cmdExtras, &QPushButton::clicked, this, [this] {
        ShowOptionsMenu(ui_.cmdExtras->mapToGlobal(QPoint(0, ui_.cmdExtras->height())));
    });
}

void MainCommands::EnableRuns() {
    ui_.cmdCompare->setEnabled(!lock_.Running());
    ui_.cmdSynch->setEnabled(!lock_.Running());
}

void MainCommands::UpdatePairButtons() {
    const bool selected = pairs_.HasSelection();
    ui_.cmdEdit->setEnabled(selected && !lock_.Running());
    ui_.cmdRemove->setEnabled(selected && !lock_.Running());
}

void MainCommands::SetRunning(bool running) {
    lock_.SetRunning(running);
    ui_.cmdCompare->setEnabled(!running);
    ui_.cmdSynch->setEnabled(!running);
    // The tree needs a compared list with at least one row besides the root.
    ui_.cmdTreeAndSearch->setEnabled(!running && CurrentFileView().ViewList.size() >= 2);
    // The windows let events run while a compare or a synchronisation works, and the run works
    // on the list, its ticks, the options and the profile as they were when it started: whatever
    // would change them is off (and shown so) until the run ends.
    for (QWidget* control : {static_cast<QWidget*>(ui_.cmdLoad), static_cast<QWidget*>(ui_.cmdSave),
                             static_cast<QWidget*>(ui_.cmdAdd), static_cast<QWidget*>(ui_.cmdEdit),
                             static_cast<QWidget*>(ui_.cmdRemove), static_cast<QWidget*>(ui_.flexDirs),
                             static_cast<QWidget*>(ui_.flexFiles)})
        control->setEnabled(!running);
    if (mnuExamples_) mnuExamples_->setEnabled(!running);
    UpdatePairButtons();
    UpdateToolbarsEnabled();
}

// ---- Compare, synchronise and the popup actions ---------------------------------------------

void MainCommands::RunCompare() {
    // No guard against a working run: the synchronisation refreshes the list through here.
    const bool wasRunning = lock_.Running();
    SetRunning(true);
    const CompareRunResult result = CompareRun();
    const bool succeeded = result.outcome == CompareOutcome::Done;
    SetRunning(wasRunning);
    // The run's working texts are done with; an error text (855-857) stays.
    if (succeeded) workingStatus_->clear();
    files_.ShowCompareResult(succeeded);
}

CommandHooks MainCommands::MakeCommandHooks(int* scroll) {
    CommandHooks hooks;
    hooks.Disable = [this, scroll] {
        *scroll = files_.Scroll()->Value();
        SetRunning(true);
    };
    hooks.RestoreScroll = [this, scroll] { files_.Scroll()->SetValue(*scroll); };
    hooks.Enable = [this] { SetRunning(false); };
    return hooks;
}

void MainCommands::RunSynchronize() {
    RunPopupAction(MainMsg::SyncWorking, [this] {
        int scroll = 1;
        SynchronizeCommand(CurrentFileView(), MakeCommandHooks(&scroll));
    });
}

void MainCommands::RunPopupAction(int statusKey, const std::function<void()>& action) {
    if (lock_.Running()) return;
    ClearRunTally();
    action();
    // A command that stopped at one of its checks ran no compare: its working text goes.
    if (workingStatus_->text() == FormatMsg(statusKey)) workingStatus_->clear();
    // The errors of the run stay reachable after its prompts are gone.
    cmdRunErrors_->setVisible(!Run().Errors.isEmpty());
    if (!closing_) files_.Display();
}

void MainCommands::ShowRunErrors() {
    auto* list = new RunErrorsList(Run().Errors, window_);
    list->setAttribute(Qt::WA_DeleteOnClose);
    list->show();
}

void MainCommands::PopupSync(int item) {
    RunPopupAction(MainMsg::SyncWorking, [this, item] {
        int scroll = 1;
        PopupSynchronizeCommand(CurrentFileView(), files_.Cursor(), item, MakeCommandHooks(&scroll));
    });
}

void MainCommands::PopupCopy(int item) {
    RunPopupAction(MainMsg::CopyWorking, [this, item] {
        int scroll = 1;
        PopupCopyCommand(CurrentFileView(), files_.Cursor(), item, MakeCommandHooks(&scroll));
    });
}

void MainCommands::PopupDelete(int item) {
    RunPopupAction(MainMsg::DeleteWorking, [this, item] {
        int scroll = 1;
        PopupDeleteCommand(CurrentFileView(), files_.Cursor(), item, MakeCommandHooks(&scroll));
    });
}
