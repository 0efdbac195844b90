#include "app/WindowedStart.h"

#include "app/CommandLine.h"
#include "app/HeadlessStart.h"
#include "app/Startup.h"
#include "app/WindowedStartupWindow.h"
#include "config/StartupSwitches.h"
#include "engine/SyncRun.h"
#include "launch/DesktopEntry.h"
#include "ui/main/WindowRunHost.h"
#include "ui/main/frmMain.h"

#include <QApplication>

#include <clocale>
#include <unistd.h>

int RunWindowed(int argc, char* argv[], const CommandLine& commandLine) {
    // The browser window shares its drawing context with the other windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's own sandbox refuses to start as root; its pages are only the program's own
    // help and update pages then.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The desktop matches the window to the menu entry by these: the window class (X11) is the
    // application name, which the entry names as StartupWMClass; Wayland takes the entry's id.
    QCoreApplication::setApplicationName(QString::fromLatin1(WindowClass));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ApplicationId));
    QApplication app(argc, argv);
    // The list shows dates and times in the user's own formats.
    std::setlocale(LC_TIME, "");
    // Qt's own file and folder dialogs, whose texts follow the program's language (the desktop's
    // would follow the system's); the main window applies the language once it is known.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    WindowRunHost host;
    SetHost(&host);
    int status = ExitDone;
    {
        frmMain window;
        host.owner = [&window]() -> QWidget* { return &window; };
        host.onStatus = [&window](int field, const QString& text) { window.SetStatus(field, text); };
        host.onCompareStage = [&window](int stage) { window.SetCompareStage(stage); };
        host.onBusy = [&window](bool busy) { window.SetBusy(busy); };
        SetRefreshCompare([&window] { window.RunCompare(); });
        WindowedStartupWindow startupWindow(window);
        window.SetFirstActivationHandler(
            [&startupWindow, &commandLine] { FirstActivation(startupWindow, commandLine); });
        if (const std::optional<ExitStatus> ended = RunStartupSequence(startupWindow, commandLine, true)) {
            status = *ended;
        } else if (Switches().Hidden) {
            // A hidden start never shows the window: it ends once the command-line profile has run.
            status = HiddenRunStatus(startupWindow, commandLine);
        } else {
            status = app.exec();
        }
        SetRefreshCompare(nullptr);
        window.SetFirstActivationHandler(nullptr);  // it names the adapter, which ends first
        host.owner = nullptr;
        host.onStatus = nullptr;
        host.onCompareStage = nullptr;
        host.onBusy = nullptr;
    }
    SetHost(nullptr);
    return status;
}
