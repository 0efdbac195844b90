#pragma once
// The default settings: what new profiles and folder pairs start with, the program's general
// switches and folders, the zoom, the day's log file and the about page. Apply writes what
// changed to the settings file at once; Exit drops what was not applied.

#include <QDate>
#include <QDialog>

#include <functional>
#include <memory>

struct ProgramSettings;
class QDropEvent;
class QLineEdit;

namespace Ui {
class dlgSettings;
}

class dlgSettings : public QDialog {
    Q_OBJECT
public:
    // What an Apply changed that other windows show: the main window greys its file list when
    // a compare option changed and rescales itself when the zoom changed.
    using AppliedHandler = std::function<void(bool compareOptionsChanged, bool zoomChanged)>;

    // Shows the dialog modally over its owner, on the page of tabKey ("TAB_LOGFILE" ...) when
    // one is given; the dialog is released when it closes.
    static void ShowModal(QWidget* owner, const QString& tabKey = QString(), AppliedHandler onApplied = {});

    explicit dlgSettings(QWidget* owner = nullptr);
    ~dlgSettings() override;

    // Selects the tab with that key; an unknown key leaves the selection.
    void SelectTab(const QString& tabKey);
    QString SelectedTabKey() const;

    void cmdApply_Click();
    void cmdGetDir_Click(int index);
    void cmdOpenLogFile_Click();
    void cmdDeleteLogFiles_Click();
    // Loads a log file into the view; the frame caption names the day.
    void ShowLogFile(const QString& path, const QString& dayText);
    QString LogFrameCaption() const;
    QString LogViewText() const;

    // The system's dialogs; a test replaces them.
    std::function<QString(const QString& title, const QString& start)> folderDialog;
    std::function<QStringList(const QString& title, const QString& filter, const QString& start, bool multiple)>
        fileDialog;
    AppliedHandler applied;

    // Bytes of a log file's end that the view shows at most.
    static constexpr qint64 LogViewBytes = 1024 * 1024;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillControls();
    void ConnectControls();
    void ControlsToSettings(ProgramSettings& s) const;
    void Changed();
    void SynchMediumClicked(int index);
    void UpdateEnabledStates();
    bool ValidateTimeLag();
    void TabChanged(int index);
    void ZoomScrolled();
    int SelectedZoom() const;
    bool DropOnMask(QLineEdit* box, int index, QDropEvent* event, bool onlyAsk);
    QStringList AskFiles(const QString& title, bool multiple);

    std::unique_ptr<Ui::dlgSettings> ui;
    bool compareOptionsChanged_ = false;
    bool filling_ = false;
    QDate shownLogDay_;  // the day whose log the view shows, invalid for another file
    QString shownLogPath_;
};
