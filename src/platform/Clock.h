#pragma once
// The program's clock. Everything that reads "now" (placeholders, log file names and lines,
// the last-error date, waits) asks here, so a test can set the time.

#include <QDateTime>

#include <functional>

namespace Clock {
QDateTime Now();  // local time
// A test sets a fixed or moving clock; an empty function restores the system clock.
void SetNowForTests(std::function<QDateTime()> now);
// Seconds since midnight of Now(), with fractions.
double SecondsOfDay();
}  // namespace Clock

// Day-based date values: whole days since 30 December 1899, the fraction is the time of day.
double ToDateValue(const QDateTime& local);
QDateTime FromDateValue(double value);
