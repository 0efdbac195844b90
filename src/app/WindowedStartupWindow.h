#pragma once
// Start-up's view of the main window: hands each step on to frmMain, so that start-up drives
// the window while the window itself knows nothing of start-up.

#include "app/StartupWindow.h"
#include "ui/main/frmMain.h"
#include "web/UpdateCheck.h"

class WindowedStartupWindow : public StartupWindow {
public:
    explicit WindowedStartupWindow(frmMain& window) : window_(window) {}

    void SetBusyPointer(bool busy) override { window_.SetBusyPointer(busy); }
    void ScaleAndLocalise() override { window_.ScaleAndLocalise(); }
    void HideNoStartupInfoBox(int value) override { window_.HideNoStartupInfoBox(value); }
    bool ChooseLanguage() override { return window_.ChooseLanguage(); }
    void ExtendSystemMenu() override { window_.ExtendSystemMenu(); }
    void Prepare() override { window_.Prepare(); }
    void StartTimer() override { window_.StartTimer(); }
    void RestorePosition(const QString& formPos) override { window_.RestorePosition(formPos); }
    void ShowWindow(bool hidden, int formState) override { window_.ShowWindow(hidden, formState); }
    void ShowHint() override { window_.ShowHint(); }
    void EnableCompare() override { window_.EnableCompare(); }
    void CheckForUpdate(bool manual) override { ::CheckForUpdate(manual); }

    void ClearLists() override { window_.ClearLists(); }
    void ShowLoadedProfile() override { window_.ShowLoadedProfile(); }
    void SetProfileTitle(const QString& profileName) override { window_.SetProfileTitle(profileName); }

    void RunCompare() override { window_.RunCompare(); }
    void RunSynchronize() override { window_.RunSynchronize(); }
    bool LastCompareSucceeded() const override { return window_.LastCompareSucceeded(); }

    void CloseWindow() override { window_.CloseWindow(); }

private:
    frmMain& window_;
};
