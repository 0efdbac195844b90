#pragma once
// The text form of a time value as the settings and profile files keep "TimeLag".
//
// Written: "HH:MM:SS" when the value is under one day, otherwise "yyyy-mm-dd HH:MM:SS" (the
// largest date value, the "don't compare dates" mark, is "9999-12-31 23:59:59").
// Read: those two forms, a date alone, a time with or without seconds, a 12-hour time
// ("2:00:00 PM"), day-first dotted dates ("31.12.9999 23:59:59"), month-first slashed dates
// ("12/31/9999 11:59:59 PM") as files from the original platform hold them, and a plain number
// of days ("0", "1.5").

#include <QString>

#include <optional>

QString TimeLagText(double days);

// Nothing for a text that is none of the forms above. Callers then keep the value they had:
// the settings file's time lag stays at its default, a profile's at the default settings' one.
std::optional<double> ParseTimeLag(const QString& text);
