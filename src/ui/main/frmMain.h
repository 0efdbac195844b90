#pragma once
// The main window: the profile's folder pairs above, the compared files below, the toolbars
// and buttons of its commands between them, and the status bar. The window owns the three
// collaborators that do the work (MainPairList, MainFileList, MainCommands), lays them out,
// hands them the events of their controls, and serves the start-up steps.

#include "engine/ProfileLoading.h"
#include "ui/main/RunLock.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class MainCommands;
class MainFileList;
class MainPairList;
class QFrame;
class QHBoxLayout;
class QLabel;

namespace Ui {
class frmMain;
}

class frmMain : public QMainWindow, public ProfileDisplay {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    MainPairList& Pairs() { return *pairs_; }
    MainFileList& Files() { return *files_; }
    MainCommands& Commands() { return *commands_; }

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
    bool LastCompareSucceeded() const;
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

    // The commands the help pages call.
    void OpenExampleProfile(int index);
    void RestoreExampleFiles();

    // The new language's texts on the window, without a restart.
    void LanguageChanged();
    // What the windows show of the default settings after an Apply.
    void DefaultSettingsApplied(bool compareOptionsChanged, bool zoomChanged);

    // How many pairs the profile list shows (the splitter below it sets it).
    void SetDirsVisibleRows(int rows);
    int DirsVisibleRows() const { return dirsVisibleRows_; }

    // Status bar and busy animation, driven by the run host.
    void SetStatus(int field, const QString& text);
    void SetCompareStage(int stage);
    void SetBusy(bool busy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetUpGrids();
    void BuildStatusBar();
    void LocaliseAccessibleNames();
    void SetTabOrder();
    void LayoutLists();
    // One row of toolbars and command buttons where the width allows, two rows otherwise.
    void ArrangeCommandButtons();
    void tmrMain_Timer();
    void FirstActivationNow();
    // The window's own keys (F5, Insert, Ctrl+O ...), before its controls see them.
    bool HandleKey(QKeyEvent* event);
    void MouseWheel(int notches, const QPoint& globalPos);
    // Whether a dialog (or a run with its progress window) is open over this window.
    bool UnderOpenDialog() const;

    std::unique_ptr<Ui::frmMain> ui;
    RunLock lock_;
    MainPairList* pairs_ = nullptr;
    MainFileList* files_ = nullptr;
    MainCommands* commands_ = nullptr;
    std::array<QLabel*, 3> status_{};
    QFrame* picSplit_ = nullptr;
    QHBoxLayout* layCommands_ = nullptr;
    QTimer tmrMain_;

    int dirsVisibleRows_ = 4;
    bool splitterDragging_ = false;
    int splitGrab_ = 0;
    int wheelRest_ = 0;
    bool handlingKey_ = false;
    bool activatedOnce_ = false;
    bool commandLinePending_ = false;
    bool firstTickDone_ = false;
    int ticks_ = 0;
    bool closing_ = false;
    std::function<void()> firstActivation_;
};
