#include "launch/TaskScheduler.h"

#include "launch/CronTable.h"
#include "i18n/TextLookup.h"
#include "launch/LaunchMessages.h"
#include "platform/Crontab.h"
#include "platform/LaunchTools.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Reads the table, lets the change work on it and writes it back in one step.
template <typename Change>
SchedulerResult ChangeTable(Change change) {
    if (!CrontabInstalled()) return SchedulerResult::Failed(FormatMsg(LaunchMessage::CrontabNotInstalled));
    const CrontabText current = ReadCrontab();
    if (!current.ok) return SchedulerResult::Failed(current.error);
    CronTable table = CronTable::Parse(current.text);
    if (SchedulerResult result = change(table); !result.ok) return result;
    const QString error = WriteCrontab(table.Serialise());
    return error.isEmpty() ? SchedulerResult{} : SchedulerResult::Failed(error);
}

SchedulerResult NoSuchTask(const QString& name) {
    return SchedulerResult::Failed(FormatMsg(LaunchMessage::NoSuchTask, {name}));
}

}  // namespace

SchedulerResult TaskScheduler::Refresh() {
    tasks_.clear();
    if (!CrontabInstalled()) return SchedulerResult::Failed(FormatMsg(LaunchMessage::CrontabNotInstalled));
    const CrontabText current = ReadCrontab();
    if (!current.ok) return SchedulerResult::Failed(current.error);
    tasks_ = CronTable::Parse(current.text).Tasks();
    return {};
}

std::optional<ScheduledTask> TaskScheduler::Open(const QString& name) const {
    for (const ScheduledTask& task : tasks_)
        if (task.name == name) return task;
    return std::nullopt;
}

SchedulerResult TaskScheduler::Create(const ScheduledTask& task) {
    if (const QString bad = UncarriableText(task); !bad.isEmpty())
        return SchedulerResult::Failed(FormatMsg(LaunchMessage::LineBreakInCronLine, {bad}));
    return ChangeTable([&](CronTable& table) {
        return table.Add(task) ? SchedulerResult{}
                               : SchedulerResult::Failed(FormatMsg(LaunchMessage::TaskExists, {task.name}));
    });
}

SchedulerResult TaskScheduler::Save(const ScheduledTask& task) {
    if (const QString bad = UncarriableText(task); !bad.isEmpty())
        return SchedulerResult::Failed(FormatMsg(LaunchMessage::LineBreakInCronLine, {bad}));
    return ChangeTable([&](CronTable& table) { return table.Replace(task) ? SchedulerResult{} : NoSuchTask(task.name); });
}

SchedulerResult TaskScheduler::Delete(const QString& name) {
    return ChangeTable([&](CronTable& table) { return table.Remove(name) ? SchedulerResult{} : NoSuchTask(name); });
}

SchedulerResult TaskScheduler::Run(const QString& name) {
    // The table as it is now, not as the list last showed it.
    if (SchedulerResult result = Refresh(); !result.ok) return result;
    const std::optional<ScheduledTask> task = Open(name);
    if (!task) return NoSuchTask(name);
    const CronCommand& command = task->command;
    if (!StartDetached(command.program, command.arguments, command.workingFolder))
        return SchedulerResult::Failed(FormatMsg(LaunchMessage::CouldNotStart, {command.program}));
    return {};
}

QTime FirstStartTime(const QDateTime& now) {
    return QTime(now.addSecs(75 * 60).time().hour(), 0);
}

std::optional<QTime> ParseStartTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || minute > 59) return std::nullopt;
    return QTime(hour, minute);
}

ScheduledTask NewProfileTask(const QString& name, const QString& comment, const QString& programPath,
                             const QString& profilePath, bool hide, bool dontAsk, bool autoRun, QTime start) {
    ScheduledTask task;
    task.name = name;
    task.creator = QString::fromLatin1(TaskCreator);
    task.comment = comment.isEmpty() ? QStringLiteral("-") : comment;
    task.schedule = DailySchedule(start.hour(), start.minute());
    task.command.program = programPath;
    task.command.workingFolder = QFileInfo(programPath).absolutePath();
    // cron starts in the home folder: a relative path would name another file there.
    task.command.arguments = {QFileInfo(profilePath).absoluteFilePath()};
    task.SetSwitches(hide, dontAsk, autoRun);
    return task;
}

QString UncarriableText(const ScheduledTask& task) {
    for (const QString& text : {task.name, task.comment, task.command.program, task.command.workingFolder})
        if (!CronCanCarry(text)) return text;
    for (const QString& text : task.command.arguments)
        if (!CronCanCarry(text)) return text;
    return {};
}
