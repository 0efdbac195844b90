#pragma once
// What start-up, the profile commands and shutdown need from the main window. frmMain
// implements it; HeadlessWindow stands in for it where there is no display at all.

#include <QString>

class StartupWindow {
public:
    virtual ~StartupWindow() = default;

    virtual void SetBusyPointer(bool busy) = 0;
    virtual void ScaleAndLocalise() = 0;
    // Moves the check box that holds the NoStartupInfo setting out of sight and sets its value.
    virtual void HideNoStartupInfoBox(int value) = 0;
    // Shows the language selection modally; false when it cannot be shown.
    virtual bool ChooseLanguage() = 0;
    virtual void ExtendSystemMenu() = 0;
    // Toolbars, the scroll handler of the file list, an empty pair list and empty file lists.
    virtual void Prepare() = 0;
    virtual void StartTimer() = 0;
    virtual void RestorePosition(const QString& formPos) = 0;
    // Hidden: minimised and never shown; otherwise shown in the stored state.
    virtual void ShowWindow(bool hidden, int formState) = 0;
    virtual void ShowHint() = 0;
    virtual void EnableCompare() = 0;

    // The window steps of loading a profile.
    virtual void ClearLists() = 0;
    virtual void ShowLoadedProfile() = 0;  // toolbar states and one pair row per folder pair
    virtual void SetProfileTitle(const QString& profileName) = 0;

    // The actions of the Compare and Synchronize buttons.
    virtual void RunCompare() = 0;
    virtual void RunSynchronize() = 0;
    // Whether the last compare ended with a result (false: a root could not be read).
    virtual bool LastCompareSucceeded() const = 0;

    // Closing ends the program (after the shutdown steps).
    virtual void CloseWindow() = 0;
};
