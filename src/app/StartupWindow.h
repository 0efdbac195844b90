#pragma once
// What start-up, the profile commands and shutdown need from the main window. The windowed
// start adapts frmMain to it (the window itself knows nothing of start-up); HeadlessWindow
// stands in for it where there is no display at all. The display steps of loading a profile
// come from ProfileDisplay, which the window implements for its own profile commands.

#include "engine/ProfileLoading.h"

#include <QString>

class StartupWindow : public ProfileDisplay {
public:
    ~StartupWindow() override = default;

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
    // The update check that "-update" asks for (a window-less start has none).
    virtual void CheckForUpdate(bool manual) = 0;

    // The action of the Synchronize button (that of Compare is ProfileDisplay::RunCompare).
    virtual void RunSynchronize() = 0;
    // Whether the last compare ended with a result (false: a root could not be read).
    virtual bool LastCompareSucceeded() const = 0;

    // Closing ends the program (after the shutdown steps).
    virtual void CloseWindow() = 0;
};
