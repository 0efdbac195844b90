#pragma once
// The small window a synchronisation run shows while it copies: the file, its folders, a bar
// measured in bytes, the percentage and Cancel. It copies nothing and never ends the run:
// Cancel only raises the run's CancelRequested flag, which the run polls.

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>

namespace Ui {
class dlgProgress;
}

class dlgProgress : public QDialog {
    Q_OBJECT
public:
    // The one shared window, created (scaled and localised) on first use, owned by the owner
    // given then (the active window when none is given).
    static dlgProgress* Instance(QWidget* owner = nullptr);
    // The shared window if one exists, else null.
    static dlgProgress* Existing();
    // Stops the timer, closes and releases the shared window; the next run gets a fresh one.
    static void Unload();
    // The main window calls this when it repaints, so that the progress stays in sight.
    static void BringToFrontIfVisible();

    explicit dlgProgress(QWidget* owner = nullptr);
    ~dlgProgress() override;

    void Init(int64_t total);
    void ShowFile(const QString& fromFolder, const QString& toFolder, const QString& fileName);
    void FileDone(int64_t size);
    // The progress of the current file on top of the finished ones. fileSize is not needed: the
    // bar measures bytes of the whole run.
    void Update(int64_t fileSize, int64_t bytesCopied);

    // What the window shows (tests and accessibility).
    QString PercentText() const;
    int BarWidth() const;
    int FullWidth() const { return fullWidth_; }
    QString FileText() const;
    QString FromText() const;
    QString ToText() const;
    bool DisplayTimerActive() const { return tmrDisplay.isActive(); }

    void cmdCancel_Click();
    // Brings the window to the front unless a question of the run is open.
    void KeepInSight();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape is Cancel too; the window stays until the run unloads it.
    void reject() override { cmdCancel_Click(); }

private:
    void tmrDisplay_Timer();
    void LetEventsRun();

    std::unique_ptr<Ui::dlgProgress> ui;
    QTimer tmrDisplay;
    int64_t total_ = 0;
    int64_t done_ = 0;
    int64_t current_ = 0;
    int fullWidth_ = 0;
    int lastPercent_ = 0;
    int lastBarWidth_ = 0;
    int nameWidth_ = 0;
    QString lastFrom_;
    QString lastTo_;
    bool haveFrom_ = false;
    bool haveTo_ = false;
};
