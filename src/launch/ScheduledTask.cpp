#include "launch/ScheduledTask.h"

#include <QRegularExpression>

const QStringList& ScheduledTask::SwitchWords() {
    static const QStringList words = {QStringLiteral("-Hide"), QStringLiteral("-DontAsk"), QStringLiteral("-Auto")};
    return words;
}

bool ScheduledTask::HasSwitch(int index) const {
    return command.arguments.contains(SwitchWords().at(index), Qt::CaseInsensitive);
}

void ScheduledTask::SetSwitches(bool hide, bool dontAsk, bool autoRun) {
    QStringList& arguments = command.arguments;
    arguments.erase(std::remove_if(arguments.begin(), arguments.end(),
                                   [](const QString& a) { return SwitchWords().contains(a, Qt::CaseInsensitive); }),
                    arguments.end());
    const bool wanted[3] = {hide, dontAsk, autoRun};
    for (int i = 0; i < 3; ++i)
        if (wanted[i]) arguments << SwitchWords().at(i);
}

QString ScheduledTask::DailyStartTime() const {
    static const QRegularExpression daily(QStringLiteral("^(\\d{1,2}) (\\d{1,2}) \\* \\* \\*$"));
    const QRegularExpressionMatch m = daily.match(schedule);
    if (!m.hasMatch()) return {};
    const int minute = m.captured(1).toInt();
    const int hour = m.captured(2).toInt();
    if (minute > 59 || hour > 23) return {};
    return QStringLiteral("%1:%2").arg(hour).arg(minute, 2, 10, QLatin1Char('0'));
}

QString DailySchedule(int hour, int minute) {
    return QStringLiteral("%1 %2 * * *").arg(minute).arg(hour);
}
