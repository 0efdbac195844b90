#include "app/CommandLine.h"

QString BuildCommandLine(const QStringList& arguments) {
    QStringList parts;
    parts.reserve(arguments.size());
    for (const QString& a : arguments)
        parts << (a.contains(QLatin1Char(' ')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

StartupSwitches RecognizeSwitches(const QString& commandLine) {
    auto has = [&](const char* sw) {
        return commandLine.contains(QLatin1String(sw), Qt::CaseInsensitive);
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
    if (commandLine.contains(QLatin1Char('"'))) {
        const QStringList pieces = commandLine.split(QLatin1Char('"'));
        return pieces.size() > 1 ? pieces.at(1) : QString();
    }
    return commandLine.split(QLatin1Char(' ')).first();
}
