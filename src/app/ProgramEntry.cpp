#include "app/ProgramEntry.h"

#include "app/CommandLine.h"
#include "app/HeadlessStart.h"
#include "app/WindowedStart.h"

namespace {
bool HasDisplay() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;  // offscreen, vnc, ...
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QStringList ArgumentsAfterProgram(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}
}  // namespace

int RunProgram(int argc, char* argv[]) {
    const QString commandLine = BuildCommandLine(ArgumentsAfterProgram(argc, argv));
    if (HasDisplay()) return RunWindowed(argc, argv, commandLine);
    return RunHeadless(argc, argv, commandLine);
}
