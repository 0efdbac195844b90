#include "app/CommandLine.h"

QString BuildCommandLine(const QStringList& arguments) {
    QStringList parts;
    parts.reserve(arguments.size());
    for (const QString& a : arguments)
        parts << (a.contains(QLatin1Char(' ')) || a.contains(QLatin1Char('"')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

// The command line without its profile path. A folder or file name that holds a switch's text
// ("/backups/x-hide/p.tdp", "photo-autosave.tdp") must not change how the program runs: a
// profile opened by double click would otherwise synchronise and delete unasked.
QString WithoutProfileArgument(const QString& commandLine) {
    const qsizetype open = commandLine.indexOf(QLatin1Char('"'));
    if (open >= 0) {
        const qsizetype close = commandLine.lastIndexOf(QLatin1Char('"'));
        if (close == open) return commandLine.left(open);  // the rest of the line is the path
        return commandLine.left(open) + QLatin1Char(' ') + commandLine.mid(close + 1);
    }
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    const QString first = blank < 0 ? commandLine : commandLine.left(blank);
    if (first.startsWith(QLatin1Char('-'))) return commandLine;  // no path, only switches
    return blank < 0 ? QString() : commandLine.mid(blank);
}

StartupSwitches RecognizeSwitches(const QString& commandLine) {
    const QString switchPart = WithoutProfileArgument(commandLine);
    auto has = [&](const char* sw) {
        return switchPart.contains(QLatin1String(sw), Qt::CaseInsensitive);
    };
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

void ApplyLastErrorRule(StartupSwitches& switches, const QString& lastErrorDate,
                        bool dontAutoRunAfterError) {
    if (switches.AutoRun && !lastErrorDate.isEmpty() && dontAutoRunAfterError) switches.AutoRun = false;
}

bool ShowsLastErrorNotice(const StartupSwitches& switches, const QString& lastErrorDate) {
    return !switches.DontAsk && !lastErrorDate.isEmpty();
}

QString ProfileArgument(const QString& commandLine) {
    if (commandLine.isEmpty()) return {};
    // From the first quote to the last: the switches after the path hold none, so a path that
    // itself holds a double quote comes through whole.
    const qsizetype open = commandLine.indexOf(QLatin1Char('"'));
    if (open >= 0) {
        const qsizetype close = commandLine.lastIndexOf(QLatin1Char('"'));
        return close == open ? commandLine.mid(open + 1) : commandLine.mid(open + 1, close - open - 1);
    }
    return commandLine.split(QLatin1Char(' ')).first();
}
