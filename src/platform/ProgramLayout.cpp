#include "platform/ProgramLayout.h"

#include <QDir>
#include <QFileInfo>

// The build passes the install folders relative to the folder of the executable; a build
// without install rules (the sanitizer build) has the program beside its data only.
#ifndef TANDOR_DATA_FROM_BINDIR
#define TANDOR_DATA_FROM_BINDIR "../share/tandor"
#endif
#ifndef TANDOR_MODULE_FROM_BINDIR
#define TANDOR_MODULE_FROM_BINDIR "../lib/tandor"
#endif

namespace {
// Every data folder, built or installed, holds the English language file.
constexpr char kDataMarker[] = "/English.lang";

QString Beside(const QString& executableFolder, const char* relative) {
    return QDir::cleanPath(executableFolder + QLatin1Char('/') + QString::fromUtf8(relative));
}
}  // namespace

QString ProgramDataFolderFor(const QString& executableFolder) {
    if (QFileInfo::exists(executableFolder + QLatin1String(kDataMarker))) return executableFolder;
    const QString installed = Beside(executableFolder, TANDOR_DATA_FROM_BINDIR);
    if (QFileInfo::exists(installed + QLatin1String(kDataMarker))) return installed;
    return executableFolder;
}

QStringList BrowserModuleFoldersFor(const QString& executableFolder) {
    return {executableFolder, Beside(executableFolder, TANDOR_MODULE_FROM_BINDIR)};
}
