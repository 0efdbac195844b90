#include "app/HeadlessStart.h"

#include "app/AppMessages.h"
#include "app/CommandLine.h"
#include "app/HeadlessWindow.h"
#include "app/Startup.h"
#include "app/UnattendedReport.h"
#include "config/Profile.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/HeadlessRunHost.h"
#include "engine/LogFile.h"
#include "engine/RunState.h"
#include "i18n/TextLookup.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
void Complain(const QString& text) { std::fprintf(stderr, "tandor: %s\n", qPrintable(text)); }

// Pointing to the log for the details is only honest when its lines were written.
QString LogNotWritten() {
    const std::optional<LogWriteFailure> failure = LastLogWriteFailure();
    if (!failure) return QString();
    return QStringLiteral("the log file could not be written: %1: %2")
        .arg(failure->folder, FileSystem::ErrorText(failure->error));
}
}  // namespace

int HiddenRunStatus(const StartupWindow& window, const CommandLine& commandLine) {
    if (CurrentProfile().ProfilePath.isEmpty()) {
        const QString& path = commandLine.profilePath;
        if (path.isEmpty()) Complain(QStringLiteral("no profile named on the command line"));
        else Complain(QStringLiteral("the profile \"%1\" cannot be loaded").arg(path));
        return ExitNothingRan;
    }
    if (CurrentProfile().profile.Pairs.isEmpty()) {
        ReportUnattended(FormatMsg(AppMessage::ProfileWithoutPairs), CurrentProfile().ProfilePath);
        return ExitNothingRan;
    }
    if (!window.LastCompareSucceeded()) {
        QString reason;
        // Without questions the compare recorded its error for the next start: say it here too.
        if (Switches().DontAsk)
            reason = QStringLiteral(": ") + ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), QString())
                                                .toString()
                                                .replace(QLatin1Char('\n'), QLatin1Char(' '));
        Complain(QStringLiteral("a folder of the profile cannot be read; nothing was synchronised") + reason);
        return ExitNothingRan;
    }
    if (AutoRunWithheldAfterError()) return ExitNothingRan;  // said so at start-up
    if (Run().Refused) {
        const QString notWritten = LogNotWritten();
        Complain(QStringLiteral("the run refused work it could not ask about; ") +
                 (notWritten.isEmpty() ? QStringLiteral("see the log file") : notWritten));
        return ExitNothingRan;
    }
    if (Run().ErrorReported) {
        const QString notWritten = LogNotWritten();
        Complain(QStringLiteral("the run ended with errors; ") +
                 (notWritten.isEmpty() ? QStringLiteral("see the log file and the next start's notice")
                                       : notWritten + QStringLiteral("; see the next start's notice")));
        return ExitWithErrors;
    }
    if (Run().ConflictsKept > 0) {
        // No error, but a run whose caller should look: both versions of some files are kept.
        Complain(QStringLiteral("%1 file(s) changed on both sides since the last run; both versions are kept; see the log file")
                     .arg(Run().ConflictsKept));
        return ExitWithErrors;
    }
    return ExitDone;
}

int RunHeadless(int argc, char* argv[], const CommandLine& commandLine, const QString& unreachableDisplay) {
    QCoreApplication app(argc, argv);
    const StartupSwitches& requested = commandLine.switches;
    if (!requested.Hidden && !requested.RegisterClasses) {
        const QString noDisplay = unreachableDisplay.isEmpty()
                                      ? QStringLiteral("no display")
                                      : QStringLiteral("the display \"%1\" cannot be opened").arg(unreachableDisplay);
        Complain(noDisplay + QStringLiteral("; start with -hide to run a profile without a window"));
        return ExitNothingRan;
    }
    if (!unreachableDisplay.isEmpty() && !requested.DontAsk)
        Complain(QStringLiteral("the display \"%1\" cannot be opened; running without a window").arg(unreachableDisplay));
    HeadlessRunHost host;
    // With "-dontask" the user asked for silence (cron mails every line); without it, each
    // question that nobody could see is written to stderr with the answer it got.
    host.verbose = !requested.DontAsk;
    SetHost(&host);
    HeadlessWindow window;
    const std::optional<ExitStatus> ended = RunStartupSequence(window, commandLine, false);
    const int status = ended ? *ended : HiddenRunStatus(window, commandLine);
    SetHost(nullptr);
    return status;
}
