#pragma once
// The command of a crontab line. cron hands the text after the five time fields to /bin/sh,
// but first cuts it at the first "%" that no backslash precedes (the rest becomes standard
// input). Every word is therefore single-quoted for the shell, with "%" written as '\%'
// outside the quotes (cron drops the backslash) and a backslash always followed by a quote,
// so that no cron variant mistakes it for an escape.

#include <QString>
#include <QStringList>

#include <optional>

struct CronCommand {
    QString workingFolder;   // empty: cron's own (the user's home)
    QString program;         // absolute path
    QStringList arguments;
    // Redirections a user put after the command, most often ">/dev/null 2>&1" to silence
    // cron's mail: kept as written and put back after the arguments.
    QString redirection;
};

// A line break cannot be carried by a crontab line: such a text is refused.
bool CronCanCarry(const QString& text);

// One word, quoted as above. The text must not hold a line break.
QString CronQuoteWord(const QString& word);

// cd '<folder>' && '<program>' '<argument>' ... [redirection]  (without the cd when the folder is
// empty)
QString FormatCronCommand(const CronCommand& command);

// Reads back a command in the form FormatCronCommand writes (also hand-edited ones in plain
// shell words, single or double quotes, output redirected to absolute paths at the end);
// nullopt for anything else.
std::optional<CronCommand> ParseCronCommand(const QString& text);
