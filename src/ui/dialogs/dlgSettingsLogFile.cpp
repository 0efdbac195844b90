// The log-file page of the default settings: the day's log, another chosen log, deleting logs.
#include "ui/dialogs/dlgSettings.h"

#include "ui_dlgSettings.h"

#include "config/Placeholders.h"
#include "config/ProgramSettings.h"
#include "engine/LogFileTail.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "platform/FileSystem.h"
#include "ui/dialogs/DialogMessages.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCursor>

namespace {
// The language's filter holds name and pattern pairs separated by %1; Qt wants
// "Name (pattern);;Name (pattern)".
QString LogFileFilter() {
    const QStringList parts = FormatMsg(DialogMsg::LogFileFilter, {QString(QChar(0))}).split(QChar(0), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    if (filters.isEmpty()) filters << QStringLiteral("*.log");
    return filters.join(QStringLiteral(";;"));
}

// "20240131.log" is the log of 2024-01-31; another name is shown as it is.
QString DayOfLogName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d{4})(\\d{2})(\\d{2})")).match(name);
    return m.hasMatch() ? m.captured(1) + QLatin1Char('-') + m.captured(2) + QLatin1Char('-') + m.captured(3) : name;
}
}  // namespace

void dlgSettings::ShowLogFile(const QString& path, const QString& dayText) {
    shownLogPath_ = path;
    ui->fraLogFile->setTitle(FormatMsg(DialogMsg::LogFrameTitle, {dayText}));
    const LogFileTail tail = ReadLogFileTail(path, LogViewBytes);
    QString text;
    if (!tail.readable) {
        text = FormatMsg(DialogMsg::LogNotReadable, {path});
    } else {
        if (tail.skipped > 0)
            text = FormatMsg(DialogMsg::LogShownInPart, {QString::number((tail.size + 1024 * 1024 - 1) / (1024 * 1024)),
                                    QString::number((tail.size - tail.skipped + 1023) / 1024)}) + QLatin1Char('\n');
        text += tail.text;
    }
    ui->rtfLogFile->setPlainText(text);
    // The newest lines are at the end.
    ui->rtfLogFile->moveCursor(QTextCursor::End);
}

QString dlgSettings::LogFrameCaption() const { return ui->fraLogFile->title(); }
QString dlgSettings::LogViewText() const { return ui->rtfLogFile->toPlainText(); }

QStringList dlgSettings::AskFiles(const QString& title, bool multiple) {
    const QString start = ExpandPathPlaceholders(Settings().LogfilesFolder);
    if (fileDialog) return fileDialog(title, LogFileFilter(), start, multiple);
    if (multiple) return QFileDialog::getOpenFileNames(this, title, start, LogFileFilter());
    const QString chosen = QFileDialog::getOpenFileName(this, title, start, LogFileFilter());
    return chosen.isEmpty() ? QStringList() : QStringList{chosen};
}

void dlgSettings::cmdOpenLogFile_Click() {
    const QStringList chosen = AskFiles(FormatMsg(DialogMsg::SelectLogTitle), false);
    if (chosen.isEmpty()) return;
    ShowLogFile(chosen.first(), DayOfLogName(chosen.first()));
    shownLogDay_ = QDate();  // coming back to the page shows the day's log again
}

void dlgSettings::cmdDeleteLogFiles_Click() {
    const QStringList chosen = AskFiles(FormatMsg(DialogMsg::DeleteLogsTitle), true);
    QStringList failed;
    for (const QString& path : chosen) {
        if (!FileSystem::DeleteFile(path)) {
            failed << path + QStringLiteral(": ") + FileSystem::ErrorText(FileSystem::LastError());
        } else if (path == shownLogPath_) {
            ui->rtfLogFile->clear();
            shownLogPath_.clear();
            shownLogDay_ = QDate();
        }
    }
    if (!failed.isEmpty())
        Host().AppMessageBox(FormatMsg(DialogMsg::LogsNotDeleted, {failed.join(QLatin1Char('\n'))}), MsgBox::Exclamation);
}
