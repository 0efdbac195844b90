#include "ui/main/ToolbarIcons.h"

#include "platform/SystemInfo.h"

#include <QFileInfo>

namespace {
struct Picture {
    int bar;
    int digit;
    const char* themeName;  // null: no theme icon says what this button does
    const char* file;
};

// Theme icons only where their meaning is the button's: a folder for the empty folders and
// the arrows of the two copy directions. Filters and deletions per side have no such icon.
constexpr Picture kPictures[] = {
    {0, 0, "folder", "empty-folders.svg"},
    {1, 0, nullptr, "show-all.svg"},
    {1, 1, nullptr, "show-modified.svg"},
    {1, 2, nullptr, "show-source.svg"},
    {1, 3, nullptr, "show-destination.svg"},
    {1, 4, nullptr, "show-identical.svg"},
    {1, 5, nullptr, "show-conflicts.svg"},
    {2, 0, nullptr, "sides-all.svg"},
    {2, 1, nullptr, "sides-both.svg"},
    {2, 2, nullptr, "sides-single.svg"},
    {3, 0, "go-next", "sync-right.svg"},
    {3, 1, "go-previous", "sync-left.svg"},
    {3, 2, nullptr, "sync-reverse.svg"},
    {3, 3, nullptr, "delete-left.svg"},
    {3, 4, nullptr, "delete-right.svg"},
};

const Picture* Find(int bar, int digit) {
    for (const Picture& p : kPictures)
        if (p.bar == bar && p.digit == digit) return &p;
    return nullptr;
}
}  // namespace

QString ToolbarIconFile(int bar, int digit) {
    const Picture* p = Find(bar, digit);
    if (!p) return QString();
    return ProgramFolder() + QStringLiteral("/icons/") + QString::fromLatin1(p->file);
}

QIcon ToolbarIcon(int bar, int digit) {
    const Picture* p = Find(bar, digit);
    if (!p) return QIcon();
    const QString file = ToolbarIconFile(bar, digit);
    QIcon shipped = QFileInfo::exists(file) ? QIcon(file) : QIcon();
    if (p->themeName && QIcon::hasThemeIcon(QString::fromLatin1(p->themeName)))
        return QIcon::fromTheme(QString::fromLatin1(p->themeName), shipped);
    return shipped;
}
