#include "web/HelpContent.h"

#include "web/WebLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>
#include <QWidget>

QString ChooseHelpFolder(const QString& programFolder, const QString& languageName, int majorVersion) {
    const QString major = QString::number(majorVersion);
    for (const QString& name : {QStringLiteral("HTML") + major, QStringLiteral("Help") + major,
                                QStringLiteral("HTML"), QStringLiteral("Help")}) {
        const QString folder = programFolder + QLatin1Char('/') + name + QLatin1Char('/') + languageName;
        if (!languageName.isEmpty() && QFileInfo(folder).isDir()) return folder + QLatin1Char('/');
    }
    qCWarning(lcWeb) << "no help folder for language" << languageName << "beside" << programFolder;
    return programFolder + QLatin1Char('/');
}

namespace {
void AddEntry(NavigationTable& table, const QString& name, const QString& page, bool& cut) {
    if (name.isEmpty()) return;
    if (table.size() >= kMaxNavigationEntries) {
        if (!cut) qCWarning(lcWeb) << "navigation list cut after" << kMaxNavigationEntries << "entries";
        cut = true;
        return;
    }
    table.append({name, page});
}
}  // namespace

NavigationTable ReadLocalNavigation(const QString& path) {
    NavigationTable table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCWarning(lcWeb) << "no navigation file" << path;
        return table;
    }
    bool cut = false;
    QTextStream in(&file);
    while (!in.atEnd() && !cut) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('['))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        AddEntry(table, line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), cut);
    }
    return table;
}

NavigationTable ParseOnlineNavigation(const QString& bodyText) {
    NavigationTable table;
    bool cut = false;
    for (const QString& line : bodyText.split(QRegularExpression(QStringLiteral("\r?\n")))) {
        if (line.isEmpty()) continue;
        const QStringList parts = line.split(QLatin1Char('='));
        if (parts.size() == 2) AddEntry(table, parts[0], parts[1], cut);
        if (cut) break;
    }
    return table;
}

namespace {
const QHash<QString, QString>& PagesByWindow() {
    static const QHash<QString, QString> pages{
        {QStringLiteral("frmMain"), QStringLiteral("main")},
        {QStringLiteral("dlgHint"), QStringLiteral("main")},
        {QStringLiteral("dlgMsgBox"), QStringLiteral("main")},
        {QStringLiteral("dlgProgress"), QStringLiteral("main")},
        {QStringLiteral("dlgLanguage"), QStringLiteral("main")},
        {QStringLiteral("dlgDirs"), QStringLiteral("dirs")},
        {QStringLiteral("dlgProfile"), QStringLiteral("profile")},
        {QStringLiteral("dlgTaskScheduler"), QStringLiteral("scheduler")},
        {QStringLiteral("dlgMakeLink"), QStringLiteral("shortcut")},
        {QStringLiteral("dlgSearchFile"), QStringLiteral("searchfile")},
        {QStringLiteral("frmWizard"), QStringLiteral("wizard")},
    };
    return pages;
}
}  // namespace

QString HelpPageOf(const QWidget* window) {
    if (!window) return QStringLiteral("index");
    const QString own = window->property("helpPage").toString();
    if (!own.isEmpty()) return own;
    return PagesByWindow().value(window->objectName(), QStringLiteral("index"));
}

QStringList AllWindowHelpPages() {
    QStringList pages = PagesByWindow().values();
    // The default settings dialog opens the page named by its selected tab.
    pages << QStringLiteral("listnames") << QStringLiteral("include") << QStringLiteral("options1")
          << QStringLiteral("logfile") << QStringLiteral("about") << QStringLiteral("index")
          << QStringLiteral("start") << QStringLiteral("search");
    pages.removeDuplicates();
    pages.sort();
    return pages;
}

bool IsProgramPage(const QUrl& url, const QString& programFolder, const QString& onlineBase) {
    if (url.isLocalFile()) {
        const QString path = QFileInfo(url.toLocalFile()).canonicalFilePath();
        const QString root = QFileInfo(programFolder).canonicalFilePath();
        if (path.isEmpty() || root.isEmpty() || !path.startsWith(root + QLatin1Char('/'))) return false;
        const QString inside = path.mid(root.size() + 1);
        // Only the help folders: HTML, HTML<n>, Help, Help<n>.
        static const QRegularExpression helpFolder(QStringLiteral("^(HTML|Help)[0-9]*/"));
        return helpFolder.match(inside).hasMatch();
    }
    const QUrl base(onlineBase);
    if (onlineBase.isEmpty() || !base.isValid() || base.scheme() != QLatin1String("https")) return false;
    QString basePath = base.path();
    if (!basePath.endsWith(QLatin1Char('/'))) basePath += QLatin1Char('/');
    return url.scheme() == base.scheme() && url.host().compare(base.host(), Qt::CaseInsensitive) == 0 &&
           url.port() == base.port() && url.path().startsWith(basePath) && url.userInfo().isEmpty();
}
