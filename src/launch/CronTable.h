#pragma once
// The user's crontab as the program edits it. Lines the program did not write (other
// programs' lines, environment lines, comments, blank and malformed lines) are kept as raw
// bytes and written back unchanged; only the blocks of the program's own tasks are read and
// rewritten. A block is:
//   # Tandor task: <name>
//   # Tandor creator: <creator>
//   # Tandor comment: <comment>
//   <minute> <hour> <day> <month> <weekday> <command>
// The schedule may also be one of cron's named ones ("@daily"), and the command may end in
// output redirections. A block whose job line the program cannot read back is read-only: listed,
// deletable as a whole, never rewritten. Lines without the creator line are not a block.

#include "launch/ScheduledTask.h"

#include <QByteArray>

#include <optional>
#include <variant>
#include <vector>

class CronTable {
public:
    static CronTable Parse(const QByteArray& text);
    QByteArray Serialise() const;

    // The tasks in the order of the table.
    std::vector<ScheduledTask> Tasks() const;
    std::optional<ScheduledTask> Find(const QString& name) const;
    // Appends a task; false when a task of that name exists already.
    bool Add(const ScheduledTask& task);
    // Replaces the task of the same name in its place; false when there is none or it is
    // read-only.
    bool Replace(const ScheduledTask& task);
    bool Remove(const QString& name);

private:
    struct Block {
        ScheduledTask task;
        QByteArray raw;  // the lines as read, written back while the task is unchanged
    };
    using Entry = std::variant<QByteArray, Block>;  // a foreign line or a task block
    std::vector<Entry> entries_;
    bool endsWithNewline_ = true;
};
