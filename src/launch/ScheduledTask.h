#pragma once
// A scheduled task as the program keeps it in the user's crontab: comment lines with its name,
// creator and comment, then one line with the five time fields and the command.

#include "launch/CronCommand.h"

#include <QString>
#include <QStringList>

struct ScheduledTask {
    QString name;
    QString creator;
    QString comment;
    QString schedule;  // the five time fields, "0 11 * * *" for daily at 11:00
    CronCommand command;
    // A block whose schedule line was edited beyond what the program reads back (another shell
    // command, a pipe, a missing line): listed so the user sees it and can delete it, never
    // rewritten. Its command holds only the words of the line, for showing the switches.
    bool readOnly = false;
    QString jobLine;  // the line after the comment lines as it stands; empty when there is none

    // The three switches of a task, in the order the task writes them.
    static const QStringList& SwitchWords();  // "-Hide", "-DontAsk", "-Auto"

    // Whether the switch (index into SwitchWords) stands as an argument of its own, ignoring
    // case; a profile path that merely contains the text does not count.
    bool HasSwitch(int index) const;
    // Removes the three switches wherever they stand and appends the chosen ones in the order
    // Hide, DontAsk, Auto.
    void SetSwitches(bool hide, bool dontAsk, bool autoRun);

    // The daily start time "H:MM" when the schedule is a plain daily one; empty otherwise.
    QString DailyStartTime() const;
};

// "M H * * *" for a daily start at hour:minute.
QString DailySchedule(int hour, int minute);
