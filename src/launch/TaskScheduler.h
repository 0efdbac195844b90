#pragma once
// The scheduler behind the scheduled-task window: the user's crontab, read afresh before every
// change and replaced in one step, so that a change never loses an edit made meanwhile.

#include "launch/ScheduledTask.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// The product name that marks the tasks the program created.
inline constexpr char TaskCreator[] = "Tandor";

struct SchedulerResult {
    bool ok = true;
    QString error;  // the failure's own description
    static SchedulerResult Failed(const QString& why) { return {false, why}; }
};

class TaskScheduler {
public:
    // Reads the table; Tasks() then lists every task block the program can read (of any creator).
    SchedulerResult Refresh();
    const std::vector<ScheduledTask>& Tasks() const { return tasks_; }
    std::optional<ScheduledTask> Open(const QString& name) const;

    // Adds a task; fails when one of that name exists or the table cannot be written.
    SchedulerResult Create(const ScheduledTask& task);
    // Writes a changed task back under its name.
    SchedulerResult Save(const ScheduledTask& task);
    SchedulerResult Delete(const QString& name);
    // Starts the task's command at once, in its working folder, without waiting for it.
    SchedulerResult Run(const QString& name);

private:
    std::vector<ScheduledTask> tasks_;
};

// The first start of a new daily task: the full hour of the time 75 minutes after now, so the
// first run lies more than 15 and at most 75 minutes ahead (10:44 gives 11:00, 10:45 12:00).
QTime FirstStartTime(const QDateTime& now);

// A start time typed by the user, "H:MM" or "HH:MM" from 0:00 to 23:59; nullopt for anything
// else ("24:00", "abc").
std::optional<QTime> ParseStartTime(const QString& text);

// A new task for the profile: the program by its absolute path, started in its own folder with
// the quoted profile path and the switches in the order Hide, DontAsk, Auto. An empty comment
// is stored as "-".
ScheduledTask NewProfileTask(const QString& name, const QString& comment, const QString& programPath,
                             const QString& profilePath, bool hide, bool dontAsk, bool autoRun, QTime start);

// The first of name, comment and profile path that a crontab line cannot carry; empty when
// all can be carried.
QString UncarriableText(const ScheduledTask& task);
