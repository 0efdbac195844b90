#pragma once
// The property sheet of a scheduled task: its comment and daily start time, and the command
// it runs. A start time that is not a time of day is refused and the sheet stays open.

#include "launch/ScheduledTask.h"

#include <QDialog>

#include <memory>

namespace Ui {
class dlgTaskProperties;
}

class dlgTaskProperties : public QDialog {
    Q_OBJECT
public:
    // Edits the task; true when the user confirmed a valid change.
    static bool Edit(ScheduledTask& task, QWidget* parent);

    dlgTaskProperties(const ScheduledTask& task, QWidget* parent = nullptr);
    ~dlgTaskProperties() override;

    const ScheduledTask& Task() const { return task_; }
    void cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::dlgTaskProperties> ui;
    ScheduledTask task_;
};
