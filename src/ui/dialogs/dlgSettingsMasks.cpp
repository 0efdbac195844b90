// Dropping onto the mask boxes of the default settings: the names of dropped items join the
// mask list.
#include "ui/dialogs/dlgSettings.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

// Box 0 holds folder masks and takes folders only; boxes 1 and 2 hold file masks and take files
// only. A drop of the wrong kind is refused as a whole. Plain text is taken as it is.
bool dlgSettings::DropOnMask(QLineEdit* box, int index, QDropEvent* event, bool onlyAsk) {
    const QMimeData* dropped = event->mimeData();
    QStringList names;
    if (dropped->hasUrls()) {
        for (const QUrl& url : dropped->urls()) {
            if (!url.isLocalFile()) return false;
            const QFileInfo item(url.toLocalFile());
            const bool folder = item.isDir() && !item.isSymLink();
            if (folder != (index == 0)) return false;
            QString path = url.toLocalFile();
            while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
            names << path.section(QLatin1Char('/'), -1);
        }
    } else if (dropped->hasText()) {
        names << dropped->text();
    } else {
        return false;
    }
    if (onlyAsk) return true;
    QString text = box->text();
    for (const QString& name : names) text += QLatin1Char(';') + name;
    while (text.contains(QStringLiteral(";;"))) text.replace(QStringLiteral(";;"), QStringLiteral(";"));
    if (text.startsWith(QLatin1Char(';'))) text.remove(0, 1);
    box->setText(text);
    return true;
}
