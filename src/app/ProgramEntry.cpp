#include "app/ProgramEntry.h"

#include "app/CommandLine.h"
#include "app/HeadlessStart.h"
#include "app/InformationRequest.h"
#include "app/WindowedDisplayProbe.h"
#include "app/WindowedStart.h"

namespace {
// Long enough for a display on a busy machine or across a network, short enough that a cron
// job with a dead display host loses only a moment before it runs without windows.
constexpr int kDisplayAnswerMs = 3000;

QStringList ArgumentsAfterProgram(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}
}  // namespace

int RunProgram(int argc, char* argv[]) {
    // The only place that reads the command line: every later step is handed this record.
    const CommandLine commandLine = ReadCommandLine(ArgumentsAfterProgram(argc, argv));
    // Answered before a display is looked for or anything is read or written.
    const InformationRequest request = RequestedInformation(commandLine.switchText);
    if (request != InformationRequest::None) return AnswerInformationRequest(request, TerminalLanguageName());
    switch (ProbeDisplay(kDisplayAnswerMs)) {
    case DisplayState::Reachable: return RunWindowed(argc, argv, commandLine);
    case DisplayState::Unreachable: return RunHeadless(argc, argv, commandLine, NamedDisplay());
    case DisplayState::None: break;
    }
    return RunHeadless(argc, argv, commandLine, QString());
}
