#pragma once
// Where the program's own files lie. In a build folder everything is beside the executable; an
// installed program has its executable in <prefix>/bin, its data in <prefix>/share/tandor and
// its browser module in the prefix's library folder. Both are found from the executable's own
// folder, so an install into any prefix works without a path fixed at build time.

#include <QString>
#include <QStringList>

// The folder of the program's data (language files, help pages, examples, settings template,
// restore scripts) for an executable in executableFolder: that folder itself when the English
// language file lies there (a build folder), else the installed data folder relative to it when
// that exists, else the executable's folder (the program then says which file it misses).
QString ProgramDataFolderFor(const QString& executableFolder);

// The folders to look in for the browser module, in this order: beside the executable, then
// the installed module folder relative to it.
QStringList BrowserModuleFoldersFor(const QString& executableFolder);
