#pragma once
// The main window: the profile's folder pairs above, the compared files below, the toolbars
// that filter the list and set the synchronisation options, and the commands of the profile.

#include "config/Profile.h"
#include "engine/ProfileLoading.h"
#include "engine/SyncRun.h"
#include "ui/main/FilesListAccessible.h"
#include "ui/main/FilesMenu.h"
#include "ui/main/FilesPage.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QFrame;
class QHBoxLayout;
class TOFlexGrid;
class clsLongScroll;
class FileView;

namespace Ui {
class frmMain;
}

class frmMain : public QMainWindow, public ProfileDisplay, private FilesAccessibleSource {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The steps start-up drives (through the windowed start's adapter).
    void SetBusyPointer(bool busy);
    void ScaleAndLocalise();
    void HideNoStartupInfoBox(int value);
    // "Don't show this at start" of the start-up page: ticks the hidden box and keeps the choice
    // in the settings, so that the start-up information stays away from the next start on.
    void SetNoStartupInfo(bool on);
    bool NoStartupInfo() const;
    bool ChooseLanguage();
    void ExtendSystemMenu();
    void Prepare();
    void StartTimer();
    void RestorePosition(const QString& formPos);
    void ShowWindow(bool hidden, int formState);
    void ShowHint();
    void EnableCompare();
    void RunSynchronize();
    // Whether the last compare ended with a result (false: a root could not be read).
    bool LastCompareSucceeded() const { return lastCompareOk_; }
    void CloseWindow();

    // ProfileDisplay: the display steps of loading a profile.
    void ClearLists() override;
    void ShowLoadedProfile() override;
    void SetProfileTitle(const QString& profileName) override;
    void RunCompare() override;

    // What the first activation runs (start-up supplies it with the command line).
    // Compare and Synchronize stay off until it has run.
    void SetFirstActivationHandler(std::function<void()> handler) {
        firstActivation_ = std::move(handler);
        commandLinePending_ = firstActivation_ != nullptr && !activatedOnce_;
    }

    // Profile list.
    void PrepareDirsTitle();
    void PrepareDirsWidth();
    void FormatDirsRow(int row);
    void ToggleDirsSwitch(int row, int col);
    void AddPair();
    void EditPair(int row);
    void RemovePair(int row);
    void ClickDirs(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers keys, bool onData,
                   const QPoint& globalPos);
    bool DropProfileFile(const QStringList& paths, bool ctrl);
    int HighlightedDirsRow() const { return highlightedRow_; }
    bool DirsRowSelected() const { return dirsRowSelected_; }

    // File list.
    void PrepareFilesTitle();
    void DisplayFiles();
    void UpdateFilesView(int filter);
    void MarkStale();
    bool IsStale() const;
    void ClickFiles(int mouseRow, int mouseCol, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                    const QPoint& globalPos);
    void DoubleClickFiles(int mouseRow, int mouseCol);
    FilesMenuPlan ShowFilesMenu(int mouseRow, int mouseCol, const QPoint& globalPos);
    void MouseWheel(int notches, const QPoint& globalPos);
    void ToolbarClick(int bar, int button);
    int PageSize() const;
    int CurrentViewIndex() const { return currentViewIndex_; }
    // The row cursor of the file list (a ViewList index, 0: none) and the side (0 left,
    // 1 right) that Enter opens and the row's menu is about. Keys move it through the whole
    // list, scrolling the page along.
    int FilesCursor() const { return currentViewIndex_; }
    int FilesCursorSide() const { return cursorSide_; }
    void MoveFilesCursor(int viewIndex);
    // Ticks or unticks a ViewList row as a click on its mark does: every way of ticking ends here.
    void TickViewRow(int viewIndex, bool extendToSubfolders);
    // The entry handed over by the tree and search window: its page comes into view and its
    // row becomes the current, selected row of the file list.
    void ShowViewRow(int viewIndex);

    // Popup actions of the file list; row 0 is the whole list.
    void PopupSync(int item);
    void PopupCopy(int item);
    void PopupDelete(int item);

    // Profile commands.
    void OpenProfile();
    bool SaveProfileAs();
    void OpenExampleProfile(int index);
    void RestoreExampleFiles();
    void DeleteExampleFiles();
    void RebuildExampleList();
    // The default settings dialog on the page of tabKey (empty: the first page).
    void ShowDefaultSettings(const QString& tabKey);
    // What the windows show of the default settings after an Apply.
    void DefaultSettingsApplied(bool compareOptionsChanged, bool zoomChanged);
    // The new language's texts on the window, without a restart.
    void LanguageChanged();
    // Options menu "Profile settings": the profile settings dialog over this window.
    void ShowProfileSettings();

    // Layout of the two lists.
    void SetDirsVisibleRows(int rows);
    int DirsVisibleRows() const { return dirsVisibleRows_; }

    // The file dialogs; a test replaces them.
    std::function<QString(const QString& title, const QString& filter, const QString& start)> openDialog;
    std::function<QString(const QString& title, const QString& filter, const QString& start)> saveDialog;
    // Opening a file or folder with its program; a test replaces it.
    std::function<bool(const QString& path)> openWithShell;

    TOFlexGrid* flexDirs() const;
    TOFlexGrid* flexFiles() const;
    clsLongScroll* vlsbFiles() const { return vlsbFiles_; }
    QToolBar* toolbar(int index) const { return tbar_[static_cast<size_t>(index)]; }
    QToolButton* toolbarButton(int bar, int index) const;
    QMenu* mnuPop1() const { return mnuPop1_; }
    QMenu* mnuPop3() const { return mnuPop3_; }
    QMenu* mnuPop4() const { return mnuPop4_; }
    QString CountBoxText(int box) const;
    QString StatusText(int field) const;
    // "Show errors..." in the status bar: shown after a command that reported errors; opens the
    // list of them.
    QToolButton* runErrorsButton() const { return cmdRunErrors_; }
    void ShowRunErrors();
    bool CompareEnabled() const;
    bool EditEnabled() const;
    bool RemoveEnabled() const;
    // The text the empty file list shows; empty while it is hidden.
    QString StartGuideText() const;
    bool SynchEnabled() const;

    // Status bar and busy animation, driven by the run host.
    void SetStatus(int field, const QString& text);
    void SetCompareStage(int stage);
    void SetBusy(bool busy);

    // The file-dialog filter: the language's text with its separator turned into Qt's form.
    static QString ProfileFilter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildToolbars();
    void BuildMenus();
    void ConnectControls();
    void LocaliseComputedTexts();
    void ApplyToolbarStates();
    void UpdateToolbarsEnabled();
    // Every way of pressing a toolbar button (mouse, keyboard, a screen reader's Toggle) ends here.
    void ToolbarToggled(int bar, int button, bool on);
    // A tick asked of a grid cell other than by a click: the same path as the click.
    void RequestFilesTick(int row, int col, bool checked);
    void ShowCounts();
    void SetButtonsRunning(bool running);
    // True (with a beep) while a compare or a synchronisation works: the plan must not change.
    bool RefusedWhileRunning() const;
    bool AskSaveChanges(bool withCancel, bool* cancelled);
    // Whether a dialog (or a run with its progress window) is open over this window.
    bool UnderOpenDialog() const;
    void RunPopupAction(int statusKey, const std::function<void()>& action);
    void ShowOptionsMenu(const QPoint& globalPos);
    void PaintDirsRow(int row, bool highlighted);
    void LayoutLists();
    // One row of toolbars and command buttons where the width allows, two rows otherwise.
    void ArrangeCommandButtons();
    void tmrMain_Timer();
    void FirstActivationNow();
    void tmrProgress_Timer();
    void StartSplitDrag(int y);
    bool HandleKey(QKeyEvent* event);
    void ConnectGrids();
    bool FilesToolTip(QEvent* event);
    // Keys on the file list: the cursor, Space, Enter, the Menu key and Shift+F10.
    bool FilesKey(QKeyEvent* event);
    void TickCursorRows(bool extendToSubfolders);
    void OpenFilesMenuAtCursor();
    // Opens a row's file or folder on one side with its program (a double-click, or Enter).
    void OpenViewRow(int viewIndex, size_t side);
    void SetTabOrder();
    void LocaliseAccessibleNames();
    // FilesAccessibleSource: the whole list for a screen reader.
    int AccessibleRowCount() const override;
    int AccessibleColumnCount() const override { return 8; }
    QString AccessibleHeader(int col) const override;
    QString AccessibleCell(int index, int col) const override;
    bool AccessibleTicked(int index) const override;
    int AccessibleCursor() const override;
    int AccessiblePageRow(int index) const override;
    int AccessibleIndexAt(int pageRow) const override;
    void AccessibleToggle(int index) override { TickViewRow(index, false); }
    // The switch columns' titles (Su, SD ...) say in words what they switch.
    bool DirsTitleToolTip(QEvent* event);
    // Makes a pair the current, highlighted and selected row of the profile list.
    void SelectDirsRow(int row, int col);
    // Edit and Remove act on the selected pair: off while none is selected or a run works.
    void UpdatePairButtons();
    // What a first start shows: the empty file list says where to begin.
    void BuildFirstStartGuide();
    void UpdateFirstStartGuide();
    void SetFilesCell(int row, int col, const struct FilesCell& cell);
    // The command hooks of the synchronisation and the popup actions: the buttons off and the
    // scroll position kept while they run, the refreshed list scrolled back afterwards.
    CommandHooks MakeCommandHooks(int* scroll);
    bool dirsSuppressClick_ = false;
    bool filesSuppressClick_ = false;
    QString DirsMark(bool on) const;

    std::unique_ptr<Ui::frmMain> ui;
    clsLongScroll* vlsbFiles_ = nullptr;
    std::array<QToolBar*, 4> tbar_{};
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
    std::array<QLabel*, 3> status_{};
    QToolButton* cmdRunErrors_ = nullptr;
    QFrame* picSplit_ = nullptr;
    QTimer tmrMain_;
    QTimer tmrProgress_;

    int highlightedRow_ = 0;
    bool dirsRowSelected_ = false;
    int currentDirsRow_ = 0;
    int currentViewIndex_ = 0;
    int cursorSide_ = 0;
    // The other end of a range marked with Shift and the cursor keys (0: none).
    int filesAnchor_ = 0;
    FilesRowWords rowWords_;
    int dirsVisibleRows_ = 4;
    bool splitterDragging_ = false;
    int splitGrab_ = 0;
    bool handlingKey_ = false;
    bool activatedOnce_ = false;
    bool commandLinePending_ = false;
    QLabel* lblStartGuide_ = nullptr;
    QHBoxLayout* layCommands_ = nullptr;
    bool firstTickDone_ = false;
    int ticks_ = 0;
    bool lastCompareOk_ = false;
    bool running_ = false;
    // Set while the program itself sets the toolbar buttons, whose signals then change nothing.
    bool syncingToolbars_ = false;
    bool closing_ = false;
    int busyCounter_ = 1;
    int busyStep_ = 1;
    bool busySide_[2] = {false, false};
    std::function<void()> firstActivation_;
    // Last mouse-down on the lists: the click handlers decide by these.
    Qt::MouseButton dirsButton_ = Qt::NoButton;
    Qt::KeyboardModifiers dirsKeys_;
    Qt::MouseButton filesButton_ = Qt::NoButton;
    Qt::KeyboardModifiers filesKeys_;
};
