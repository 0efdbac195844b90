#pragma once
// What the default settings dialog writes to the settings file: its keys in file order with
// their written forms, and the one write of those that changed.

#include "config/ProgramSettings.h"

#include <QList>
#include <QString>

struct SettingsKeyText {
    QString section;
    QString key;
    QString text;  // the value as the settings file holds it
};

// The dialog's keys of `s`, in the order the settings file lists them: switches as "0" or "1",
// "CheckArchiveAttr" as its box value, "TimeLag" in its text form, numbers in decimal.
QList<SettingsKeyText> DefaultSettingsKeys(const ProgramSettings& s);

// Writes every key whose written form in `after` differs from the one in `before`, in one
// change of the settings file: all of them or, when the file cannot be written, none (errno
// then tells why). Keys that did not change keep their lines byte for byte. `written` receives
// the keys written.
bool WriteChangedDefaultSettings(const ProgramSettings& before, const ProgramSettings& after,
                                 QStringList* written = nullptr);
