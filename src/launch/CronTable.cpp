#include "launch/CronTable.h"

#include <QRegularExpression>

namespace {

const QByteArray NamePrefix = "# Tandor task: ";
const QByteArray CreatorPrefix = "# Tandor creator: ";
const QByteArray CommentPrefix = "# Tandor comment: ";

// "M H d m w command": the five time fields (no @-forms) and the command.
bool SplitScheduleLine(const QString& line, QString& schedule, QString& command) {
    static const QRegularExpression form(QStringLiteral("^\\s*((?:[0-9*,/-]+\\s+){4}[0-9A-Za-z*,/-]+)\\s+(\\S.*)$"));
    const QRegularExpressionMatch m = form.match(line);
    if (!m.hasMatch()) return false;
    schedule = m.captured(1).simplified();
    command = m.captured(2);
    return true;
}

// Reads the block that starts at lines[i]; on success sets i to its last line.
std::optional<ScheduledTask> ReadBlock(const QList<QByteArray>& lines, qsizetype& i) {
    ScheduledTask task;
    task.name = QString::fromUtf8(lines.at(i).mid(NamePrefix.size()));
    qsizetype j = i + 1;
    if (j < lines.size() && lines.at(j).startsWith(CreatorPrefix))
        task.creator = QString::fromUtf8(lines.at(j++).mid(CreatorPrefix.size()));
    if (j < lines.size() && lines.at(j).startsWith(CommentPrefix))
        task.comment = QString::fromUtf8(lines.at(j++).mid(CommentPrefix.size()));
    if (j >= lines.size() || task.name.isEmpty()) return std::nullopt;
    QString commandText;
    if (!SplitScheduleLine(QString::fromUtf8(lines.at(j)), task.schedule, commandText)) return std::nullopt;
    const std::optional<CronCommand> command = ParseCronCommand(commandText);
    if (!command) return std::nullopt;
    task.command = *command;
    i = j;
    return task;
}

QByteArray BlockText(const ScheduledTask& task) {
    QByteArray text = NamePrefix + task.name.toUtf8() + '\n';
    text += CreatorPrefix + task.creator.toUtf8() + '\n';
    text += CommentPrefix + task.comment.toUtf8() + '\n';
    text += (task.schedule + QLatin1Char(' ') + FormatCronCommand(task.command)).toUtf8();
    return text;
}

}  // namespace

CronTable CronTable::Parse(const QByteArray& text) {
    CronTable table;
    if (text.isEmpty()) return table;
    QList<QByteArray> lines = text.split('\n');
    table.endsWithNewline_ = text.endsWith('\n');
    if (table.endsWithNewline_) lines.removeLast();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(NamePrefix)) {
            const qsizetype first = i;
            if (std::optional<ScheduledTask> task = ReadBlock(lines, i)) {
                table.entries_.emplace_back(Block{*task, lines.mid(first, i - first + 1).join('\n')});
                continue;
            }
        }
        table.entries_.emplace_back(lines.at(i));
    }
    return table;
}

QByteArray CronTable::Serialise() const {
    QByteArray text;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (i > 0) text += '\n';
        if (const auto* line = std::get_if<QByteArray>(&entries_[i])) text += *line;
        else if (const Block& block = std::get<Block>(entries_[i]); !block.raw.isEmpty()) text += block.raw;
        else text += BlockText(block.task);
    }
    // cron ignores a last line without its line end: a table that ends with one of our blocks
    // always gets it; a foreign last line keeps what it had.
    const bool lastIsTask = !entries_.empty() && std::holds_alternative<Block>(entries_.back());
    if (!entries_.empty() && (endsWithNewline_ || lastIsTask)) text += '\n';
    return text;
}

std::vector<ScheduledTask> CronTable::Tasks() const {
    std::vector<ScheduledTask> tasks;
    for (const Entry& entry : entries_)
        if (const auto* block = std::get_if<Block>(&entry)) tasks.push_back(block->task);
    return tasks;
}

std::optional<ScheduledTask> CronTable::Find(const QString& name) const {
    for (const Entry& entry : entries_)
        if (const auto* block = std::get_if<Block>(&entry); block && block->task.name == name) return block->task;
    return std::nullopt;
}

bool CronTable::Add(const ScheduledTask& task) {
    if (Find(task.name)) return false;
    entries_.emplace_back(Block{task, {}});
    return true;
}

bool CronTable::Replace(const ScheduledTask& task) {
    for (Entry& entry : entries_)
        if (auto* block = std::get_if<Block>(&entry); block && block->task.name == task.name) {
            *block = Block{task, {}};
            return true;
        }
    return false;
}

bool CronTable::Remove(const QString& name) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (const auto* block = std::get_if<Block>(&*it); block && block->task.name == name) {
            entries_.erase(it);
            return true;
        }
    return false;
}
