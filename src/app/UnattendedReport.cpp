#include "app/UnattendedReport.h"

#include "engine/LogFile.h"

#include <cstdio>

void ReportUnattended(const QString& text, const QString& profilePath) {
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "tandor: %s\n", qPrintable(oneLine));
    WriteLogLine({oneLine, LogPath(profilePath)});
}
