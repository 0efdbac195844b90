#include "app/CommandLine.h"

namespace {
QString JoinArguments(const QStringList& arguments) {
    QStringList parts;
    parts.reserve(arguments.size());
    for (const QString& a : arguments)
        parts << (a.contains(QLatin1Char(' ')) || a.contains(QLatin1Char('"')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

// The joined line wraps an argument that holds a double quote in quotes, so a quoted path comes
// with at least two: from the first to the last, a path that itself holds quotes comes through
// whole (the switches after it hold none).
QString ProfileArgument(const QString& line) {
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    if (open >= 0) return line.mid(open + 1, line.lastIndexOf(QLatin1Char('"')) - open - 1);
    const QString first = line.section(QLatin1Char(' '), 0, 0);
    return first.startsWith(QLatin1Char('-')) ? QString() : first;
}

// The line without its profile path. A folder or file name that holds a switch's text
// ("/backups/x-hide/p.tdp", "photo-autosave.tdp") must not change how the program runs: a
// profile opened by double click would otherwise synchronise and delete unasked.
QString WithoutProfileArgument(const QString& line) {
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    if (open >= 0) return line.left(open) + QLatin1Char(' ') + line.mid(line.lastIndexOf(QLatin1Char('"')) + 1);
    const QString first = line.section(QLatin1Char(' '), 0, 0);
    if (first.startsWith(QLatin1Char('-'))) return line;  // no path, only switches
    return line.mid(first.size());
}

StartupSwitches RecognizeSwitches(const QString& switchText) {
    auto has = [&](const char* sw) { return switchText.contains(QLatin1String(sw), Qt::CaseInsensitive); };
    StartupSwitches s;
    s.UpdateRequested = has("-update");
    s.RegisterClasses = has("-regclasses");
    if (!s.RegisterClasses) {
        s.WizardRequested = has("-wizard");
        s.AutoRun = has("-auto");
        s.DontAsk = has("-dontask");
        s.Hidden = has("-hide");
    }
    return s;
}
}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
    const QString line = JoinArguments(arguments);
    CommandLine commandLine;
    commandLine.profilePath = ProfileArgument(line);
    commandLine.switchText = WithoutProfileArgument(line);
    commandLine.switches = RecognizeSwitches(commandLine.switchText);
    return commandLine;
}

void ApplyLastErrorRule(StartupSwitches& switches, const QString& lastErrorDate,
                        bool dontAutoRunAfterError) {
    if (switches.AutoRun && !lastErrorDate.isEmpty() && dontAutoRunAfterError) switches.AutoRun = false;
}

bool ShowsLastErrorNotice(const StartupSwitches& switches, const QString& lastErrorDate) {
    return !switches.DontAsk && !lastErrorDate.isEmpty();
}
