#pragma once
// The command line as the program reads it: one string after the program name, searched for
// switch texts outside its profile path. It is read once, at the program's entry, into a
// CommandLine record that every later step of the start is handed.

#include "config/StartupSwitches.h"

#include <QString>
#include <QStringList>

struct CommandLine {
    QString switchText;        // the joined line without its profile path: where switches are
    StartupSwitches switches;  // as the user gave them; start-up's own rules change a copy
    QString profilePath;       // empty when the line names none
};

// Reads the arguments after the program name. They are joined into one line, an argument that
// holds a blank or a double quote wrapped in double quotes. The profile path is the text between
// the line's first and last double quote when it holds one, else its first word unless that is a switch ("-..."). Each switch is found as a
// substring of the rest, ignoring case ("-AUTO", "--auto", "-automatic"); with "-regclasses"
// the switches -wizard, -auto, -dontask and -hide are not looked for.
CommandLine ReadCommandLine(const QStringList& arguments);

// After an unattended run that ended with an error, "-auto" does not synchronise again when
// the setting says so.
void ApplyLastErrorRule(StartupSwitches& switches, const QString& lastErrorDate,
                        bool dontAutoRunAfterError);
// Whether the last-error notice is shown at this start.
bool ShowsLastErrorNotice(const StartupSwitches& switches, const QString& lastErrorDate);
