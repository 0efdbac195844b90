#include "ui/dialogs/DroppedPaths.h"

#include "platform/Attributes.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QMimeData>
#include <QUrl>

QStringList DroppedPaths(const QMimeData* data, bool withText) {
    QStringList paths;
    if (!data) return paths;
    if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (!url.isLocalFile()) {
                paths << QString();
                continue;
            }
            // The URL's path carries the name's bytes percent-encoded.
            const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
            paths << PathCodec::Decode(bytes);
        }
        return paths;
    }
    if (withText && data->hasText()) {
        QString text = data->text();
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
        if (!text.isEmpty() && !text.contains(QLatin1Char('\n'))) paths << text;
    }
    return paths;
}

bool IsExistingFolder(const QString& path) {
    return path.startsWith(QLatin1Char('/')) && FileSystem::FolderExists(path);
}

QString MaskEntriesOf(const QStringList& paths, bool folders, const QString (&roots)[2]) {
    if (paths.isEmpty()) return QString();
    QStringList entries;
    for (QString path : paths) {
        if (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
        if (path.isEmpty()) return QString();
        const uint32_t attributes = FileSystem::GetAttributes(path);
        if (attributes == Attr::Invalid) return QString();
        const bool isFolder = (attributes & Attr::Directory) != 0;
        if (isFolder != folders) return QString();
        QString entry = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        for (const QString& root : roots) {
            if (root.isEmpty()) continue;
            const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
            if (path.size() > prefix.size() && path.startsWith(prefix)) {
                entry = path.mid(prefix.size());
                break;
            }
        }
        entries << entry;
    }
    QString joined = entries.join(QLatin1Char(';'));
    while (joined.contains(QStringLiteral(";;"))) joined.replace(QStringLiteral(";;"), QStringLiteral(";"));
    return joined;
}
