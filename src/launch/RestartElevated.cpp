#include "launch/RestartElevated.h"

#include <QProcessEnvironment>

bool RestartElevated(const QStringList& arguments, const QString& elevationTool, bool hasAdministratorRights,
                     const QString& programPath, const ElevationHooks& hooks) {
    if (elevationTool.isEmpty() || hasAdministratorRights) return false;
    if (!hooks.askRestart()) return true;
    // The tool starts the program with a clean environment: the window needs its display back.
    QStringList toolArguments = {QStringLiteral("env")};
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        const QString value = environment.value(QString::fromLatin1(name));
        if (!value.isEmpty()) toolArguments << QString::fromLatin1(name) + QLatin1Char('=') + value;
    }
    toolArguments << programPath << arguments;
    if (hooks.start(elevationTool, toolArguments)) hooks.quit();
    return true;
}
