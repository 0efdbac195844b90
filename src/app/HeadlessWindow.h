#pragma once
// The main window's stand-in where there is no display: it keeps the program's one file list
// and runs the compare and the Synchronize button's logic exactly as the window does, with the
// profile's stored toolbar states, but draws nothing.

#include "app/StartupWindow.h"

class HeadlessWindow : public StartupWindow {
public:
    HeadlessWindow();
    ~HeadlessWindow() override;

    void SetBusyPointer(bool) override {}
    void ScaleAndLocalise() override {}
    void HideNoStartupInfoBox(int) override {}
    bool ChooseLanguage() override { return false; }
    void ExtendSystemMenu() override {}
    void Prepare() override;
    void StartTimer() override {}
    void RestorePosition(const QString&) override {}
    void ShowWindow(bool, int) override {}
    void ShowHint() override {}
    void EnableCompare() override {}
    void CheckForUpdate(bool) override {}

    void ClearLists() override;
    void ShowLoadedProfile() override;
    void SetProfileTitle(const QString&) override {}

    void RunCompare() override;
    void RunSynchronize() override;
    bool LastCompareSucceeded() const override { return lastCompareSucceeded_; }

    // Nothing to close: the window-less start ends when the start-up sequence returns.
    void CloseWindow() override {}

private:
    bool lastCompareSucceeded_ = false;
};
