#include "ui/dialogs/dlgTaskProperties.h"

#include "ui_dlgTaskProperties.h"

#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "launch/TaskScheduler.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/main/HelpKeys.h"

#include <QKeyEvent>

namespace {
constexpr uint32_t ExclamationIcon = 48;
}

bool dlgTaskProperties::Edit(ScheduledTask& task, QWidget* parent) {
    dlgTaskProperties sheet(task, parent);
    if (sheet.exec() != QDialog::Accepted) return false;
    task = sheet.Task();
    return true;
}

dlgTaskProperties::dlgTaskProperties(const ScheduledTask& task, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::dlgTaskProperties>()), task_(task) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    LocalizeControls(this);
    ui->txtName->setText(task.name);
    ui->txtComment->setText(task.comment);
    // A schedule edited by hand (weekdays, several hours) is shown as it is and kept.
    const QString start = task.DailyStartTime();
    ui->txtStartTime->setText(start.isEmpty() ? task.schedule : start);
    ui->txtStartTime->setEnabled(!start.isEmpty());
    ui->txtCommand->setPlainText(task.schedule + QLatin1Char(' ') + FormatCronCommand(task.command));
    connect(ui->cmdOK, &QPushButton::clicked, this, &dlgTaskProperties::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

dlgTaskProperties::~dlgTaskProperties() = default;

void dlgTaskProperties::cmdOK_Click() {
    if (ui->txtStartTime->isEnabled()) {
        const std::optional<QTime> start = ParseStartTime(ui->txtStartTime->text());
        if (!start) {
            dlgTaskScheduler::MessageHandler()(FormatMsg(DialogMsg::NoStartTime, {ui->txtStartTime->text()}), ExclamationIcon,
                                               this);
            ui->txtStartTime->setFocus();
            return;
        }
        task_.schedule = DailySchedule(start->hour(), start->minute());
    }
    task_.comment = ui->txtComment->text().isEmpty() ? QStringLiteral("-") : ui->txtComment->text();
    if (!CronCanCarry(task_.comment)) {
        dlgTaskScheduler::MessageHandler()(FormatMsg(DialogMsg::LineBreakInText, {task_.comment}), ExclamationIcon, this);
        return;
    }
    accept();
}

void dlgTaskProperties::keyPressEvent(QKeyEvent* event) {
    if (!PassHelpKey(event)) QDialog::keyPressEvent(event);
}
