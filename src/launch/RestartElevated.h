#pragma once
// Restarting the program with administrator rights through the elevation tool, for a step
// that needs them.

#include <QString>
#include <QStringList>

#include <functional>

struct ElevationHooks {
    std::function<bool()> askRestart;  // shows the question; true for Yes
    std::function<bool(const QString& program, const QStringList& arguments)> start;
    std::function<void()> quit;        // ends the program at once
};

// When the program lacks administrator rights and an elevation tool is installed, asks
// whether to restart; on Yes starts the program again through the tool with the given
// arguments and ends this instance. Returns true when it asked (the caller then skips its own
// action), false when it did nothing. Without an elevation tool it never asks.
bool RestartElevated(const QStringList& arguments, const QString& elevationTool, bool hasAdministratorRights,
                     const QString& programPath, const ElevationHooks& hooks);
