#include "config/TimeText.h"

#include "config/Profile.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace {

const QDate& DateBase() {
    static const QDate base(1899, 12, 30);
    return base;
}

QString TwoDigits(qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

QString ClockText(qint64 secondsOfDay) {
    return TwoDigits(secondsOfDay / 3600) + QLatin1Char(':') + TwoDigits(secondsOfDay / 60 % 60) +
           QLatin1Char(':') + TwoDigits(secondsOfDay % 60);
}

std::optional<double> PlainDays(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    QString t = text;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double days = t.toDouble(&ok);
    if (!ok || !std::isfinite(days)) return std::nullopt;
    return days;
}

std::optional<QDate> DatePart(const QRegularExpressionMatch& m) {
    if (!m.captured(QStringLiteral("iy")).isEmpty()) {
        return QDate(m.captured(QStringLiteral("iy")).toInt(), m.captured(QStringLiteral("im")).toInt(),
                     m.captured(QStringLiteral("id")).toInt());
    }
    if (!m.captured(QStringLiteral("dy")).isEmpty()) {  // 31.12.9999: day first
        return QDate(m.captured(QStringLiteral("dy")).toInt(), m.captured(QStringLiteral("dm")).toInt(),
                     m.captured(QStringLiteral("dd")).toInt());
    }
    if (!m.captured(QStringLiteral("sy")).isEmpty()) {  // 12/31/9999: month first, unless it cannot be
        int month = m.captured(QStringLiteral("sa")).toInt();
        int day = m.captured(QStringLiteral("sb")).toInt();
        if (month > 12 && day <= 12) std::swap(month, day);
        return QDate(m.captured(QStringLiteral("sy")).toInt(), month, day);
    }
    return std::nullopt;
}

}  // namespace

QString TimeLagText(double days) {
    if (!std::isfinite(days)) days = 0;
    days = std::clamp(days, -657434.0, MaxDateValue);  // 1 January 100 .. 31 December 9999
    const qint64 total = std::llround(days * 86400.0);
    if (total >= 0 && total < 86400) return ClockText(total);
    qint64 wholeDays = total / 86400;
    qint64 rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --wholeDays;
    }
    const QDate date = DateBase().addDays(wholeDays);
    return QStringLiteral("%1-%2-%3 ").arg(date.year(), 4, 10, QLatin1Char('0')).arg(TwoDigits(date.month()), TwoDigits(date.day())) +
           ClockText(rest);
}

std::optional<double> ParseTimeLag(const QString& input) {
    const QString text = input.trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (const std::optional<double> days = PlainDays(text)) return days;

    static const QRegularExpression form(QStringLiteral(
        "^(?:(?:(?<iy>\\d{4})[-/](?<im>\\d{1,2})[-/](?<id>\\d{1,2})"
        "|(?<dd>\\d{1,2})\\.(?<dm>\\d{1,2})\\.(?<dy>\\d{4})"
        "|(?<sa>\\d{1,2})/(?<sb>\\d{1,2})/(?<sy>\\d{4}))(?:[ T]+|$))?"
        "(?:(?<h>\\d{1,2}):(?<m>\\d{2})(?::(?<s>\\d{2}))?\\s*(?<ap>[AaPp]\\.?[Mm]\\.?)?)?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;

    double value = 0;
    const std::optional<QDate> date = DatePart(m);
    if (date) {
        if (!date->isValid()) return std::nullopt;
        value = static_cast<double>(DateBase().daysTo(*date));
    }
    if (!m.captured(QStringLiteral("h")).isEmpty()) {
        int hour = m.captured(QStringLiteral("h")).toInt();
        const int minute = m.captured(QStringLiteral("m")).toInt();
        const int second = m.captured(QStringLiteral("s")).isEmpty() ? 0 : m.captured(QStringLiteral("s")).toInt();
        const QString ampm = m.captured(QStringLiteral("ap")).toUpper();
        if (!ampm.isEmpty()) {
            if (hour < 1 || hour > 12) return std::nullopt;
            if (hour == 12) hour = 0;
            if (ampm.startsWith(QLatin1Char('P'))) hour += 12;
        }
        if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
        const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
        value += fraction;
    } else if (!date) {
        return std::nullopt;
    }
    return value;
}
