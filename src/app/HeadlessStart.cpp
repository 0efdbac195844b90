#include "app/HeadlessStart.h"

#include "app/CommandLine.h"
#include "app/HeadlessWindow.h"
#include "app/Startup.h"
#include "config/Profile.h"
#include "engine/HeadlessRunHost.h"
#include "engine/RunState.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
void Complain(const QString& text) { std::fprintf(stderr, "tandor: %s\n", qPrintable(text)); }
}  // namespace

int HiddenRunStatus(const StartupWindow& window, const QString& commandLine) {
    if (CurrentProfile().ProfilePath.isEmpty()) {
        const QString path = ProfileArgument(commandLine);
        if (path.isEmpty()) Complain(QStringLiteral("no profile named on the command line"));
        else Complain(QStringLiteral("the profile \"%1\" cannot be loaded").arg(path));
        return ExitNothingRan;
    }
    if (!window.LastCompareSucceeded()) {
        Complain(QStringLiteral("a folder of the profile cannot be read; nothing was synchronised"));
        return ExitNothingRan;
    }
    if (Run().Refused) {
        Complain(QStringLiteral("the run refused work it could not ask about; see the log file"));
        return ExitNothingRan;
    }
    if (Run().ErrorReported) {
        Complain(QStringLiteral("the run ended with errors; see the log file and the next start's notice"));
        return ExitWithErrors;
    }
    return ExitDone;
}

int RunHeadless(int argc, char* argv[], const QString& commandLine) {
    QCoreApplication app(argc, argv);
    const StartupSwitches requested = RecognizeSwitches(commandLine);
    if (!requested.Hidden && !requested.RegisterClasses) {
        Complain(QStringLiteral("no display; start with -hide to run a profile without a window"));
        return ExitNothingRan;
    }
    HeadlessRunHost host;
    // With "-dontask" the user asked for silence (cron mails every line); without it, each
    // question that nobody could see is written to stderr with the answer it got.
    host.verbose = !requested.DontAsk;
    SetHost(&host);
    HeadlessWindow window;
    const bool started = RunStartupSequence(window, commandLine, false);
    const int status = started ? HiddenRunStatus(window, commandLine) : ExitDone;
    SetHost(nullptr);
    return status;
}
