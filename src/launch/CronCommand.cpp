#include "launch/CronCommand.h"

#include <QRegularExpression>

namespace {

// What cron does to the command before the shell sees it: "\%" becomes "%", an unescaped "%"
// ends the command. nullopt when the command holds such an unescaped "%" (standard input
// lines are not something the program writes).
std::optional<QString> CronUnescape(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool escaped = false;
    for (const QChar c : text) {
        if (escaped) {
            if (c == QLatin1Char('%')) out.chop(1);
            out += c;
            escaped = false;
            continue;
        }
        if (c == QLatin1Char('%')) return std::nullopt;
        escaped = c == QLatin1Char('\\');
        out += c;
    }
    return out;
}

// Splits shell words: blanks separate; '...' is literal; "..." takes \ before " \ $ `; a
// backslash outside quotes takes the next character. nullopt for an unfinished quote or for
// shell syntax other than "&&" (pipes, redirections, expansions, several commands).
std::optional<QStringList> ShellWords(const QString& text) {
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = text.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0) return std::nullopt;
            word += text.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= text.size()) return std::nullopt;
                const QChar d = text.at(i);
                if (d == QLatin1Char('"')) break;
                if (d == QLatin1Char('$') || d == QLatin1Char('`')) return std::nullopt;
                if (d == QLatin1Char('\\') && i + 1 < text.size() &&
                    QStringLiteral("\"\\$`").contains(text.at(i + 1)))
                    ++i;
                word += text.at(i);
            }
        } else if (c == QLatin1Char('\\')) {
            if (++i >= text.size()) return std::nullopt;
            word += text.at(i);
        } else if (c == QLatin1Char('&')) {
            // Only "&&" as a word of its own: the separator after "cd".
            if (!word.isEmpty() || text.mid(i, 3) != QLatin1String("&& ")) return std::nullopt;
            words << QStringLiteral("&&");
            inWord = false;
            i += 2;
        } else if (QStringLiteral("|;<>()$`*?[#~").contains(c) && !(c == QLatin1Char('#') && word.size())) {
            return std::nullopt;
        } else {
            word += c;
        }
    }
    if (inWord) words << word;
    return words;
}

// Splits off redirections of the output at the end of the command: "2>&1", or ">", ">>", "2>",
// "&>" followed by an absolute path in plain characters. Returns the redirections as written
// (empty when there are none) and shortens the text to the command before them.
QString TakeTrailingRedirection(QString& text) {
    static const QRegularExpression tail(QStringLiteral(
        "(?:\\s+(?:[0-9]?>&[0-9]|(?:[0-9]?>>?|&>>?)\\s*/[A-Za-z0-9_./+,:@=-]*))+\\s*$"));
    const QRegularExpressionMatch m = tail.match(text);
    if (!m.hasMatch()) return {};
    const QString redirection = m.captured(0).trimmed();
    text.truncate(m.capturedStart(0));
    return redirection;
}

}  // namespace

bool CronCanCarry(const QString& text) {
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

QString CronQuoteWord(const QString& word) {
    QString out = QStringLiteral("'");
    for (const QChar c : word) {
        if (c == QLatin1Char('\'')) out += QStringLiteral("'\\''");
        else if (c == QLatin1Char('%')) out += QStringLiteral("'\\%'");
        else if (c == QLatin1Char('\\')) out += QStringLiteral("\\''");
        else out += c;
    }
    return out + QLatin1Char('\'');
}

QString FormatCronCommand(const CronCommand& command) {
    QString line;
    if (!command.workingFolder.isEmpty())
        line = QStringLiteral("cd ") + CronQuoteWord(command.workingFolder) + QStringLiteral(" && ");
    line += CronQuoteWord(command.program);
    for (const QString& argument : command.arguments) line += QLatin1Char(' ') + CronQuoteWord(argument);
    if (!command.redirection.isEmpty()) line += QLatin1Char(' ') + command.redirection;
    return line;
}

std::optional<CronCommand> ParseCronCommand(const QString& text) {
    QString commandText = text;
    const QString redirection = TakeTrailingRedirection(commandText);
    const std::optional<QString> shellText = CronUnescape(commandText);
    if (!shellText) return std::nullopt;
    std::optional<QStringList> words = ShellWords(*shellText);
    if (!words || words->isEmpty()) return std::nullopt;
    CronCommand command;
    if (words->first() == QLatin1String("cd")) {
        if (words->size() < 4 || words->at(2) != QLatin1String("&&")) return std::nullopt;
        command.workingFolder = words->at(1);
        *words = words->mid(3);
    }
    if (words->contains(QStringLiteral("&&"))) return std::nullopt;
    command.program = words->takeFirst();
    command.arguments = *words;
    command.redirection = redirection;
    return command;
}
