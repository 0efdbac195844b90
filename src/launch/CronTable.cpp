#include "launch/CronTable.h"

#include <QRegularExpression>

#include <cctype>

namespace {

const QByteArray NamePrefix = "# Tandor task: ";
const QByteArray CreatorPrefix = "# Tandor creator: ";
const QByteArray CommentPrefix = "# Tandor comment: ";

// "M H d m w command" or "@daily command" (cron's named schedules).
bool SplitScheduleLine(const QString& line, QString& schedule, QString& command) {
    static const QRegularExpression form(QStringLiteral(
        "^\\s*((?:[0-9*,/-]+\\s+){4}[0-9A-Za-z*,/-]+|@(?:reboot|yearly|annually|monthly|weekly|daily|midnight|hourly))"
        "\\s+(\\S.*)$"));
    const QRegularExpressionMatch m = form.match(line);
    if (!m.hasMatch()) return false;
    schedule = m.captured(1).simplified();
    command = m.captured(2);
    return true;
}

// Whether a line is meant as a job: it starts with a time field or a named schedule (not an
// environment line, a comment or a blank).
bool LooksLikeJobLine(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    return !t.isEmpty() && (std::isdigit(static_cast<unsigned char>(t.at(0))) || t.at(0) == '*' || t.at(0) == '@');
}

// The words of a line the program cannot read back, quotes dropped: enough to show which
// switches it carries.
QStringList LooseWords(const QString& line) {
    QString plain = line;
    plain.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
    return plain.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Reads the block that starts at lines[i] (its name and creator lines are required: the program
// always writes both); on success sets i to its last line. A block whose job line does not read
// back is still the program's: it comes back read-only with the line (if any) as it stands.
std::optional<ScheduledTask> ReadBlock(const QList<QByteArray>& lines, qsizetype& i) {
    ScheduledTask task;
    task.name = QString::fromUtf8(lines.at(i).mid(NamePrefix.size()));
    qsizetype j = i + 1;
    if (task.name.isEmpty() || j >= lines.size() || !lines.at(j).startsWith(CreatorPrefix)) return std::nullopt;
    task.creator = QString::fromUtf8(lines.at(j++).mid(CreatorPrefix.size()));
    if (j < lines.size() && lines.at(j).startsWith(CommentPrefix))
        task.comment = QString::fromUtf8(lines.at(j++).mid(CommentPrefix.size()));
    if (j >= lines.size() || !LooksLikeJobLine(lines.at(j))) {
        task.readOnly = true;
        i = j - 1;
        return task;
    }
    task.jobLine = QString::fromUtf8(lines.at(j));
    i = j;
    QString commandText;
    std::optional<CronCommand> command;
    if (SplitScheduleLine(task.jobLine, task.schedule, commandText)) command = ParseCronCommand(commandText);
    if (command) {
        task.command = *command;
    } else {
        task.readOnly = true;
        task.command.arguments = LooseWords(task.jobLine);
    }
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
    if (task.readOnly) return false;
    for (Entry& entry : entries_)
        if (auto* block = std::get_if<Block>(&entry); block && block->task.name == task.name) {
            if (block->task.readOnly) return false;  // what cannot be read back is not rewritten
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
