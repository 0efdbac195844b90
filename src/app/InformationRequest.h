#pragma once
// The requests a terminal user makes of the program itself (--help, -h, --version) and the
// "--" options it does not know. They are answered before any window, display or settings
// exist, so that asking never opens a window, counts a run or writes a file.

#include <QString>

enum class InformationRequest { None, Help, Version, UnknownOption };

// Looks at the blank-separated words of the command line outside its profile path (its
// switchText), in order; the first word that is --help, -h, --version or an unknown "--" option
// decides. A "--" word that holds a switch's text ("--hide", "--AUTO") is that switch, as it has
// always been.
InformationRequest RequestedInformation(const QString& switchText);

// Prints the usage or the version as the request asks and returns the exit status: 0 for help
// and version (on standard output), 2 for an unknown option (the usage on standard error).
// languageName picks the language file of the usage text.
int AnswerInformationRequest(InformationRequest request, const QString& languageName);

// The language of the terminal's locale (LC_ALL, LC_MESSAGES, LANG): German for "de...", else
// English. The settings are not read: asking for help must work before there are any.
QString TerminalLanguageName();
