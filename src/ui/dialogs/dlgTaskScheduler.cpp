#include "ui/dialogs/dlgTaskScheduler.h"

#include "ui_dlgTaskScheduler.h"

#include "config/Profile.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "platform/Clock.h"
#include "platform/LaunchTools.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/dialogs/dlgTaskProperties.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/dlgMsgBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>
#include <QScrollBar>

namespace {

constexpr uint32_t YesNo = 4, SecondDefault = 256;
constexpr uint32_t ErrorIcon = 16, ExclamationIcon = 48, InformationIcon = 64;
constexpr uint32_t Yes = 6;
const QString Ticked = QStringLiteral("\u00fe");
const QString Empty = QStringLiteral("o");
const QString MarkerFont = QStringLiteral("Wingdings");

// The caption of a label as a name to read aloud: without its access key and closing colon.
QString SpokenCaption(QString caption) {
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
    return caption;
}

}  // namespace

std::function<uint32_t(const QString&, uint32_t, QWidget*)>& dlgTaskScheduler::MessageHandler() {
    static std::function<uint32_t(const QString&, uint32_t, QWidget*)> handler =
        [](const QString& text, uint32_t buttons, QWidget* parent) { return dlgMsgBox::ShowMsg(text, buttons, QString(), parent); };
    return handler;
}

std::function<bool(ScheduledTask&, QWidget*)>& dlgTaskScheduler::PropertySheetHandler() {
    static std::function<bool(ScheduledTask&, QWidget*)> handler = &dlgTaskProperties::Edit;
    return handler;
}

void dlgTaskScheduler::ShowWindow(QWidget* owner) {
    auto* dialog = new dlgTaskScheduler(owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (owner) owner->setEnabled(false);
    dialog->setEnabled(true);
    dialog->show();
}

dlgTaskScheduler::dlgTaskScheduler(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::dlgTaskScheduler>()), owner_(owner) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    MakeHelpLabelsClickable(this);  // "Help = F1" and "Assistant = F2" answer a click too
    LocalizeControls(this);

    const bool haveProfile = !CurrentProfile().ProfilePath.isEmpty();
    for (QWidget* w : {static_cast<QWidget*>(ui->fraOptions), static_cast<QWidget*>(ui->lblName),
                       static_cast<QWidget*>(ui->lblDescription), static_cast<QWidget*>(ui->txtName),
                       static_cast<QWidget*>(ui->txtDescription), static_cast<QWidget*>(ui->chkHide),
                       static_cast<QWidget*>(ui->chkDontAsk), static_cast<QWidget*>(ui->chkAuto)})
        w->setEnabled(haveProfile);
    ui->cmdNew->setEnabled(false);
    ui->cmdTaskPlaner->setEnabled(!SchedulerTool().isEmpty());

    connect(ui->txtName, &QLineEdit::textChanged, this,
            [this](const QString& text) { ui->cmdNew->setEnabled(!text.isEmpty() && ui->txtName->isEnabled()); });
    connect(ui->cmdNew, &QPushButton::clicked, this, &dlgTaskScheduler::cmdNew_Click);
    connect(ui->cmdProps, &QPushButton::clicked, this, &dlgTaskScheduler::cmdProps_Click);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &dlgTaskScheduler::cmdDelete_Click);
    connect(ui->cmdRun, &QPushButton::clicked, this, &dlgTaskScheduler::cmdRun_Click);
    connect(ui->cmdRefresh, &QPushButton::clicked, this, &dlgTaskScheduler::Refresh);
    connect(ui->cmdTaskPlaner, &QPushButton::clicked, this, &dlgTaskScheduler::cmdTaskPlaner_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &QDialog::close);

    TOFlexGrid* grid = ui->flexTasks;
    connect(grid, &TOFlexGrid::MouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int, int) {
        lastButton_ = button;
        lastShift_ = shift;
    });
    connect(grid, &TOFlexGrid::Click, this, [this] {
        if (lastButton_ == Qt::LeftButton && !(lastShift_ & Qt::ShiftModifier))
            flexTasks_ClickCell(ui->flexTasks->MouseRow(), ui->flexTasks->MouseCol());
    });
    connect(grid, &TOFlexGrid::DblClick, this, [this] {
        if (lastButton_ == Qt::LeftButton && ui->flexTasks->MouseRow() >= 1) cmdProps_Click();
    });
    // By keyboard: moving the cell selects its task; Space or Enter on a box flips it, Enter on
    // the name opens the properties (as a double click does).
    connect(grid, &TOFlexGrid::RowColChange, this, [this] {
        const int row = ui->flexTasks->Row();
        if (row >= 1 && row - 1 < static_cast<int>(listed_.size())) selectedTask_ = listed_[row - 1].name;
    });
    grid->installEventFilter(this);
    grid->setAccessibleName(SpokenCaption(ui->lblTasks->text()));
    connect(grid, &TOFlexGrid::MouseMove, this, [this](Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {
        UpdateToolTip(ui->flexTasks->MouseRow());
    });
    SetupGrid();
    Refresh();
}

dlgTaskScheduler::~dlgTaskScheduler() = default;

TOFlexGrid* dlgTaskScheduler::Grid() const { return ui->flexTasks; }

void dlgTaskScheduler::SetupGrid() {
    TOFlexGrid* grid = ui->flexTasks;
    grid->SetFixedRows(1);
    grid->SetFormatString(FormatMsg(DialogMsg::TaskColumnTitles, {QStringLiteral("|")}));
    grid->SetRows(1);
    grid->SetHighLight(TOFlexGrid::HighlightAlways);
    grid->setFixedHeight(grid->RowHeight(0) * 6);
}

void dlgTaskScheduler::FitNameColumn() {
    TOFlexGrid* grid = ui->flexTasks;
    int width = grid->contentsRect().width() - grid->ColWidth(1) - grid->ColWidth(2) - grid->ColWidth(3);
    if (grid->verticalScrollBar()->isVisible()) width -= grid->verticalScrollBar()->width() + 2;
    grid->SetColWidth(0, std::max(width, 40));
}

void dlgTaskScheduler::Refresh() {
    TOFlexGrid* grid = ui->flexTasks;
    grid->SetRows(1);
    const SchedulerResult result = scheduler_.Refresh();
    if (!result.ok) ShowFailure(result);
    listed_.clear();
    for (const ScheduledTask& task : scheduler_.Tasks()) {
        if (task.creator != QLatin1String(TaskCreator)) continue;  // other programs' tasks are theirs
        listed_.push_back(task);
        const int row = grid->Rows();
        grid->SetRows(row + 1);
        const QString mark = QLatin1Char(' ') + FormatMsg(DialogMsg::ReadOnlyTaskMark);
        grid->SetTextMatrix(row, 0, task.readOnly ? task.name + mark : task.name);
        for (int i = 0; i < 3; ++i) {
            grid->SetCellFontName(row, i + 1, MarkerFont);
            grid->SetTextMatrix(row, i + 1, task.HasSwitch(i) ? Ticked : Empty);
        }
    }
    FitNameColumn();
    selectedTask_.clear();
    toolTipRow_ = -1;
}

void dlgTaskScheduler::ShowFailure(const SchedulerResult& result) {
    MessageHandler()(result.error, ErrorIcon, this);
}

const ScheduledTask* dlgTaskScheduler::ListedTask(int row) const {
    if (row < 1 || row - 1 >= static_cast<int>(listed_.size())) return nullptr;
    return &listed_[row - 1];
}

bool dlgTaskScheduler::RefuseReadOnly(const ScheduledTask& task) {
    if (!task.readOnly) return false;
    const QString line = task.jobLine.isEmpty() ? FormatMsg(DialogMsg::NoScheduleLine) : task.jobLine;
    MessageHandler()(FormatMsg(DialogMsg::TaskLineUnreadable, {task.name, line}), ExclamationIcon, this);
    return true;
}

bool dlgTaskScheduler::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->flexTasks && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const int row = ui->flexTasks->Row();
        const int col = ui->flexTasks->Col();
        if ((enter || key == Qt::Key_Space) && ListedTask(row)) {
            if (col >= 1 && col <= 3) {
                flexTasks_ClickCell(row, col);
                // The keyboard stays on the switch it flipped, as the next Space expects.
                ui->flexTasks->SetRow(row);
                ui->flexTasks->SetCol(col);
            } else {
                flexTasks_ClickCell(row, 0);
                if (enter) cmdProps_Click();
            }
            return true;  // not the dialog's default button
        }
    }
    return QDialog::eventFilter(watched, event);
}

void dlgTaskScheduler::cmdNew_Click() {
    const QString profilePath = CurrentProfile().ProfilePath;
    const QString name = ui->txtName->text();
    // What a crontab line or the program's command line cannot carry is refused before anything is written.
    for (const QString& text : {name, ui->txtDescription->text(), profilePath})
        if (!CronCanCarry(text)) {
            MessageHandler()(FormatMsg(DialogMsg::LineBreakInText, {text}), ExclamationIcon, this);
            return;
        }
    // One task per name: a second block of the same name would be a second job on the profile.
    if (scheduler_.Refresh().ok && scheduler_.Open(name)) {
        MessageHandler()(FormatMsg(DialogMsg::TaskNameTaken, {name}), ExclamationIcon, this);
        Refresh();
        return;
    }
    // cron has no display: without -hide the program wants a window and the task always fails.
    if (!ui->chkHide->isChecked()) {
        const uint32_t answer =
            MessageHandler()(FormatMsg(DialogMsg::TaskWithoutHide), YesNo | SecondDefault | ExclamationIcon, this);
        if ((answer & 0xFF) != Yes) return;
    }
    const QTime start = FirstStartTime(Clock::Now());
    const ScheduledTask task = NewProfileTask(name, ui->txtDescription->text(),
                                              ProgramExecutablePath(), profilePath,
                                              ui->chkHide->isChecked(), ui->chkDontAsk->isChecked(),
                                              ui->chkAuto->isChecked(), start);
    const SchedulerResult result = scheduler_.Create(task);
    if (!result.ok) {
        MessageHandler()(FormatMsg(DialogMsg::TaskNotCreated, {name}) + QStringLiteral("\n\n") + result.error,
                         ExclamationIcon, this);
        return;
    }
    MessageHandler()(FormatMsg(DialogMsg::TaskCreated, {name, QLocale().toString(start, QLocale::ShortFormat), UserName()}),
                     InformationIcon, this);
    ui->cmdNew->setEnabled(false);
    Refresh();
    selectedTask_ = name;
    cmdProps_Click();
}

void dlgTaskScheduler::cmdProps_Click() {
    if (selectedTask_.isEmpty()) return;
    SchedulerResult result = scheduler_.Refresh();
    std::optional<ScheduledTask> task = scheduler_.Open(selectedTask_);
    if (result.ok && !task) result = SchedulerResult::Failed(FormatMsg(DialogMsg::TaskGone, {selectedTask_}));
    if (result.ok && RefuseReadOnly(*task)) return;
    if (result.ok && PropertySheetHandler()(*task, this)) result = scheduler_.Save(*task);
    if (!result.ok) ShowFailure(result);
    Refresh();
}

void dlgTaskScheduler::cmdDelete_Click() {
    if (selectedTask_.isEmpty()) return;
    const uint32_t answer = MessageHandler()(FormatMsg(DialogMsg::DeleteTaskQuestion, {selectedTask_}),
                                             YesNo | SecondDefault | ExclamationIcon, this);
    if ((answer & 0xFF) != Yes) return;
    const SchedulerResult result = scheduler_.Delete(selectedTask_);
    if (!result.ok) ShowFailure(result);
    Refresh();
}

void dlgTaskScheduler::cmdRun_Click() {
    if (selectedTask_.isEmpty()) return;
    if (const std::optional<ScheduledTask> task = scheduler_.Open(selectedTask_); task && RefuseReadOnly(*task)) return;
    const SchedulerResult result = scheduler_.Run(selectedTask_);
    if (!result.ok) ShowFailure(result);
    Refresh();
}

void dlgTaskScheduler::cmdTaskPlaner_Click() {
    const QStringList tool = SchedulerTool();
    if (!tool.isEmpty()) StartDetached(tool.first(), tool.mid(1), QString());
}

void dlgTaskScheduler::flexTasks_ClickCell(int row, int col) {
    TOFlexGrid* grid = ui->flexTasks;
    if (row < 1 || row >= grid->Rows()) return;
    grid->SetRow(row);
    grid->SetCol(0);
    grid->SetColSel(grid->Cols() - 1);
    grid->selectRow(row);
    const ScheduledTask* listed = ListedTask(row);
    if (!listed) return;
    selectedTask_ = listed->name;
    if (col < 1 || col > 3 || RefuseReadOnly(*listed)) return;

    grid->SetTextMatrix(row, col, grid->TextMatrix(row, col) == Ticked ? Empty : Ticked);
    SchedulerResult result = scheduler_.Refresh();
    std::optional<ScheduledTask> task = scheduler_.Open(selectedTask_);
    if (result.ok && !task) result = SchedulerResult::Failed(FormatMsg(DialogMsg::TaskGone, {selectedTask_}));
    if (result.ok) {
        task->SetSwitches(grid->TextMatrix(row, 1) == Ticked, grid->TextMatrix(row, 2) == Ticked,
                          grid->TextMatrix(row, 3) == Ticked);
        result = scheduler_.Save(*task);
    }
    if (!result.ok) {
        // The box shows what the table holds, not what the click wished for.
        ShowFailure(result);
        const QString selected = selectedTask_;
        Refresh();
        selectedTask_ = selected;
    }
}

void dlgTaskScheduler::UpdateToolTip(int row) {
    if (row == toolTipRow_) return;
    toolTipRow_ = row;
    TOFlexGrid* grid = ui->flexTasks;
    QString tip;
    if (const ScheduledTask* listed = ListedTask(row)) {
        const QString name = listed->name;
        tip = name;
        if (const std::optional<ScheduledTask> task = scheduler_.Open(name); task && !task->comment.isEmpty())
            tip += QStringLiteral(" \u00b7 ") + task->comment;
    }
    grid->setToolTip(tip);
}

void dlgTaskScheduler::keyPressEvent(QKeyEvent* event) {
    if (!PassHelpKey(event)) QDialog::keyPressEvent(event);
}

void dlgTaskScheduler::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);  // ends in done(), which gives the owner back
}

void dlgTaskScheduler::done(int result) {
    // Every way out (Exit, Escape, the close button) passes here; Escape never sends a close
    // event, and an owner left disabled would be a dead main window.
    if (owner_) {
        owner_->setEnabled(true);
        owner_->activateWindow();
        owner_->setFocus();
    }
    QDialog::done(result);
}
