#pragma once
// The command set of the main window: its buttons, the four toolbars (the filters and the
// synchronisation options), the menus of both lists and the options menu, the profile
// commands, and compare, synchronise and the popup actions with the controls they turn off
// while they run.

#include "ui/main/FilesMenu.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <functional>

class MainFileList;
class MainPairList;
class ProfileDisplay;
class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;
class RunLock;
struct CommandHooks;

namespace Ui {
class frmMain;
}

class MainCommands : public QObject {
    Q_OBJECT
public:
    // workingStatus: the status field of the run's working texts.
    MainCommands(QWidget* window, Ui::frmMain& ui, ProfileDisplay& display, MainPairList& pairs, MainFileList& files,
                 RunLock& lock, QLabel* workingStatus);

    // ---- Toolbars (MainToolbars.cpp) ----
    QToolBar* Toolbar(int bar) const { return bars_[static_cast<size_t>(bar)]; }
    QToolButton* ToolbarButton(int bar, int index) const;
    // What a click on a button does: the filters and the options follow its state.
    void ToolbarClick(int bar, int button);
    // The buttons show the profile's view options, without acting on them.
    void ApplyToolbarStates();
    // "All" on both filter bars, shown and not clicked.
    void ShowAllFilters();
    // The captions, tooltips and accessible names of the bars, the menus and the error button.
    void LocaliseTexts();
    // Each button's accessible name names its bar too: two bars have an "All", two a "Src".
    void NameToolbars();

    // ---- Menus (MainMenus.cpp) ----
    QMenu* PairMenu() const { return mnuPop1_; }
    QMenu* PairListMenu() const { return mnuPop2_; }
    QMenu* RowMenu() const { return mnuPop3_; }
    QMenu* OptionsMenu() const { return mnuPop4_; }
    void ShowOptionsMenu(const QPoint& globalPos);
    // The file list's row menu as a plan says; shown at globalPos unless it is null.
    void ShowRowMenu(const FilesMenuPlan& plan, const QPoint& globalPos);
    // A pair's menu (row >= 1) or the profile list's (row 0).
    void ShowPairMenu(int row, const QPoint& globalPos);

    // ---- Profile commands (MainProfileCommands.cpp) ----
    void OpenProfile();
    bool SaveProfileAs();
    // Asks to save a changed profile; false when the user cancelled or the save failed.
    bool AskSaveChanges(bool withCancel);
    // A file dropped on the profile list: a profile to open, or with Ctrl one whose pairs join.
    bool DropProfileFile(const QStringList& paths, bool ctrl);
    void OpenExampleProfile(int index);
    void RestoreExampleFiles();
    void DeleteExampleFiles();
    // The default settings dialog on the page of tabKey (empty: the first page).
    void ShowDefaultSettings(const QString& tabKey);
    void ShowProfileSettings();
    bool ChooseLanguage();
    // The file-dialog filter: the language's text with its separator turned into Qt's form.
    static QString ProfileFilter();
    // The file dialogs; a test replaces them.
    std::function<QString(const QString& title, const QString& filter, const QString& start)> openDialog;
    std::function<QString(const QString& title, const QString& filter, const QString& start)> saveDialog;

    // ---- Runs (MainCommands.cpp) ----
    void RunCompare();
    void RunSynchronize();
    // Popup actions of the file list on the menu's row; item 0 is the whole list.
    void PopupSync(int item);
    void PopupCopy(int item);
    void PopupDelete(int item);
    // Compare and Synchronize on, unless a run works.
    void EnableRuns();
    // Edit and Remove act on the selected pair: off while none is selected or a run works.
    void UpdatePairButtons();
    // "Show errors..." in the status bar: shown after a command that reported errors.
    QToolButton* RunErrorsButton() const { return cmdRunErrors_; }
    void ShowRunErrors();
    // The window closes: a command that ends now leaves the list alone.
    void WindowClosing() { closing_ = true; }

signals:
    void LanguageChosen();
    void DefaultSettingsApplied(bool compareOptionsChanged, bool zoomChanged);

private:
    void ConnectButtons();
    void BuildToolbars();
    void BuildMenus();
    void UpdateToolbarsEnabled();
    // Every way of pressing a toolbar button (mouse, keyboard, a screen reader's Toggle) ends here.
    void ToolbarToggled(int bar, int button, bool on);
    void RebuildExampleList();
    void SetRunning(bool running);
    void RunPopupAction(int statusKey, const std::function<void()>& action);
    // The command hooks of the synchronisation and the popup actions: the buttons off and the
    // scroll position kept while they run, the refreshed list scrolled back afterwards.
    CommandHooks MakeCommandHooks(int* scroll);

    QWidget* window_;
    Ui::frmMain& ui_;
    ProfileDisplay& display_;
    MainPairList& pairs_;
    MainFileList& files_;
    RunLock& lock_;
    QLabel* workingStatus_;
    std::array<QToolBar*, 4> bars_{};
    QMenu* mnuPop1_ = nullptr;
    QMenu* mnuPop2_ = nullptr;
    QMenu* mnuPop3_ = nullptr;
    QMenu* mnuPop4_ = nullptr;
    QMenu* mnuExamples_ = nullptr;
    std::array<QAction*, 2> mnuPop3_Sync_{};
    std::array<QAction*, 4> mnuPop3_Copy_{};
    std::array<QAction*, 4> mnuPop3_Del_{};
    QAction* mnuPop3_Sep0_ = nullptr;
    QAction* mnuPop3_Sep1_ = nullptr;
    QAction* mnuPop1_SubDirs_ = nullptr;
    std::array<QAction*, 4> mnuPop1_Attr_{};
    QAction* mnuPop2_Save_ = nullptr;
    QAction* mnuPop4_MakeShortcut_ = nullptr;
    QList<QAction*> exampleEntries_;
    QToolButton* cmdRunErrors_ = nullptr;
    // Set while the program itself sets the toolbar buttons, whose signals then change nothing.
    bool syncingToolbars_ = false;
    bool closing_ = false;
};
