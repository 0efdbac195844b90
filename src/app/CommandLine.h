#pragma once
// The command line as the program reads it: one string after the program name, searched for
// switch texts, and the profile argument taken from it.

#include "config/StartupSwitches.h"

#include <QString>
#include <QStringList>

// Joins the arguments after the program name into one line: an argument that holds a blank or a
// double quote is wrapped in double quotes, arguments are joined by one blank. "/my files/a.tdp" -auto  ->  "\"/my files/a.tdp\" -auto".
QString BuildCommandLine(const QStringList& arguments);

// The command line with its profile path taken out: the part where switches are looked for.
QString WithoutProfileArgument(const QString& commandLine);

// Searches the command line outside its profile path for each switch as a substring, ignoring
// case. With
// "-regclasses" the switches -wizard, -auto, -dontask and -hide are not looked for.
StartupSwitches RecognizeSwitches(const QString& commandLine);

// After an unattended run that ended with an error, "-auto" does not synchronise again when
// the setting says so.
void ApplyLastErrorRule(StartupSwitches& switches, const QString& lastErrorDate,
                        bool dontAutoRunAfterError);
// Whether the last-error notice is shown at this start.
bool ShowsLastErrorNotice(const StartupSwitches& switches, const QString& lastErrorDate);

// The profile path of the command line: the text between the first and the last double quote
// when the line holds a quote (the rest of the line after a single quote), else its first
// blank-separated word. Empty for an empty line.
QString ProfileArgument(const QString& commandLine);
