#pragma once
// The scheduled-task window: lists the tasks the program created in the user's crontab,
// creates a daily task for the current profile, switches a listed task's -Hide, -DontAsk and
// -Auto by clicking its boxes, and shows, runs and deletes a task.

#include "launch/TaskScheduler.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class dlgTaskScheduler;
}
class TOFlexGrid;

class dlgTaskScheduler : public QDialog {
    Q_OBJECT
public:
    // Opens the window without blocking; the owner stays disabled until it closes.
    static void ShowWindow(QWidget* owner);

    explicit dlgTaskScheduler(QWidget* owner = nullptr);
    ~dlgTaskScheduler() override;

    // How messages reach the user (the program's message box); tests answer them.
    static std::function<uint32_t(const QString& text, uint32_t buttons, QWidget* parent)>& MessageHandler();
    // The property sheet: edits the task and returns true when it is to be saved.
    static std::function<bool(ScheduledTask& task, QWidget* parent)>& PropertySheetHandler();

    TOFlexGrid* Grid() const;
    QString SelectedTask() const { return selectedTask_; }

    void Refresh();
    void cmdNew_Click();
    void cmdProps_Click();
    void cmdDelete_Click();
    void cmdRun_Click();
    void cmdTaskPlaner_Click();
    // A left click on a cell of the list: selects a task row; on a box, flips that switch.
    void flexTasks_ClickCell(int row, int col);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void SetupGrid();
    void FitNameColumn();
    void ShowFailure(const SchedulerResult& result);
    void UpdateToolTip(int row);
    // The task shown in a row of the list; nullptr for the heading or past the end.
    const ScheduledTask* ListedTask(int row) const;
    // Tells why a task the user edited by hand is not changed or run here; false for others.
    bool RefuseReadOnly(const ScheduledTask& task);

    std::unique_ptr<Ui::dlgTaskScheduler> ui;
    TaskScheduler scheduler_;
    std::vector<ScheduledTask> listed_;  // the tasks of the list's rows, in order
    QString selectedTask_;
    Qt::MouseButton lastButton_ = Qt::NoButton;
    Qt::KeyboardModifiers lastShift_;
    int toolTipRow_ = -1;
    QPointer<QWidget> owner_;
};
