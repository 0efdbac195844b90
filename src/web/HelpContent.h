#pragma once
// Where the help pages are: the help folder of the language beside the program, the navigation
// tables the assistant's "go" commands walk, the help page of each window, and which pages are
// the program's own (only those may talk to the program).

#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class QWidget;

using NavigationTable = QList<QPair<QString, QString>>;  // (name, page), in file order

// The first existing folder of programFolder/{HTML<major>, Help<major>, HTML, Help}/language,
// with a trailing '/'; the program folder itself (with '/') when none exists.
QString ChooseHelpFolder(const QString& programFolder, const QString& languageName, int majorVersion);

// Every entry with a non-empty key of every section of the navigation file, in file order.
// A missing file gives an empty table; a table is cut at kMaxNavigationEntries (logged).
NavigationTable ReadLocalNavigation(const QString& path);
// The online list: lines "name=page" (exactly one "="); other lines are skipped.
NavigationTable ParseOnlineNavigation(const QString& bodyText);
constexpr int kMaxNavigationEntries = 5000;

// The help page name of a window ("main", "dirs" ...): its dynamic property "helpPage" when set
// (a dialog with pages names the current page), else the name its object name stands for.
QString HelpPageOf(const QWidget* window);
// Every page name a window of the program can open with F1 (without ".htm").
QStringList AllWindowHelpPages();

// Whether a page may use the page commands: a local file inside one of the help folders beside
// the program, or an address beneath the online help address.
bool IsProgramPage(const QUrl& url, const QString& programFolder, const QString& onlineBase);
