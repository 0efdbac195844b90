// The main window's commands: compare, synchronise and the popup actions on the file list.

#include "ui/main/frmMain.h"
#include "ui_frmMain.h"
#include "config/StartupSwitches.h"
#include "engine/FileView.h"
#include "engine/RunReport.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "ui/main/RunErrorsList.h"
#include "ui/main/clsLongScroll.h"
#include "engine/CompareRun.h"
#include <QApplication>
#include <QToolButton>

// ---- Compare, synchronise and the popup actions ---------------------------------------------

void frmMain::RunCompare() {
    // No guard against running_: the synchronisation refreshes the list through here.
    const bool wasRunning = running_;
    SetButtonsRunning(true);
    const CompareRunResult result = CompareRun();
    lastCompareOk_ = result.outcome == CompareOutcome::Done;
    SetButtonsRunning(wasRunning);
    SetCompareStage(0);
    if (lastCompareOk_) {
        // The run rebuilt the view list; the page starts at its top again.
        CurrentFileView().Stale = false;
        ui->flexFiles->SetBackColor(FilesColor::Current);
        UpdateToolbarsEnabled();
        const int page = qMax(1, vlsbFiles_->LargeChange());
        vlsbFiles_->SetMin(1);
        vlsbFiles_->SetMax(qMax(CurrentFileView().LastIndex() - page + 1, 1));
        vlsbFiles_->SetSmallChange(1);
        vlsbFiles_->SetValue(1);
        // The run's working texts are done with; an error text (855-857) stays.
        SetStatus(1, QString());
        ShowCounts();
        DisplayFiles();
    } else {
        ShowCounts();
        DisplayFiles();
    }
}

CommandHooks frmMain::MakeCommandHooks(int* scroll) {
    CommandHooks hooks;
    hooks.Disable = [this, scroll] {
        *scroll = vlsbFiles_->Value();
        SetButtonsRunning(true);
    };
    hooks.RestoreScroll = [this, scroll] { vlsbFiles_->SetValue(*scroll); };
    hooks.Enable = [this] { SetButtonsRunning(false); };
    return hooks;
}

void frmMain::RunSynchronize() {
    RunPopupAction(852, [this] {
        int scroll = 1;
        SynchronizeCommand(CurrentFileView(), MakeCommandHooks(&scroll));
    });
}

void frmMain::RunPopupAction(int statusKey, const std::function<void()>& action) {
    if (running_) return;
    ClearRunTally();
    action();
    // A command that stopped at one of its checks ran no compare: its working text goes.
    if (StatusText(1) == FormatMsg(statusKey)) SetStatus(1, QString());
    // The errors of the run stay reachable after its prompts are gone.
    cmdRunErrors_->setVisible(!Run().Errors.isEmpty());
    if (!closing_) DisplayFiles();
}

void frmMain::ShowRunErrors() {
    auto* list = new RunErrorsList(Run().Errors, this);
    list->setAttribute(Qt::WA_DeleteOnClose);
    list->show();
}

void frmMain::PopupSync(int item) {
    RunPopupAction(852, [this, item] {
        int scroll = 1;
        PopupSynchronizeCommand(CurrentFileView(), currentViewIndex_, item, MakeCommandHooks(&scroll));
    });
}

void frmMain::PopupCopy(int item) {
    RunPopupAction(853, [this, item] {
        int scroll = 1;
        PopupCopyCommand(CurrentFileView(), currentViewIndex_, item, MakeCommandHooks(&scroll));
    });
}

void frmMain::PopupDelete(int item) {
    RunPopupAction(854, [this, item] {
        int scroll = 1;
        PopupDeleteCommand(CurrentFileView(), currentViewIndex_, item, MakeCommandHooks(&scroll));
    });
}
