#include "platform/Clock.h"

#include <QTimeZone>

#include <cmath>

namespace {
std::function<QDateTime()>& NowOverride() {
    static std::function<QDateTime()> now;
    return now;
}
const QDate& DateBase() {
    static const QDate base(1899, 12, 30);
    return base;
}
}  // namespace

namespace Clock {
QDateTime Now() {
    auto& now = NowOverride();
    return now ? now() : QDateTime::currentDateTime();
}

void SetNowForTests(std::function<QDateTime()> now) { NowOverride() = std::move(now); }

double SecondsOfDay() {
    const QTime t = Now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}
}  // namespace Clock

double ToDateValue(const QDateTime& local) {
    const qint64 days = DateBase().daysTo(local.date());
    const double fraction = local.time().msecsSinceStartOfDay() / 86400000.0;
    return static_cast<double>(days) + fraction;
}

QDateTime FromDateValue(double value) {
    const double whole = std::floor(value);
    const qint64 ms = std::llround((value - whole) * 86400000.0);
    QDate date = DateBase().addDays(static_cast<qint64>(whole));
    if (ms >= 86400000) return QDateTime(date.addDays(1), QTime(0, 0));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}
