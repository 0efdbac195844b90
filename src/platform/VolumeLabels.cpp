// Volume labels: the label links udev keeps (/dev/disk/by-label) and the mount table of the
// process (/proc/self/mountinfo), read afresh at each call, since media come and go.

#include "platform/VolumeLabels.h"

#include "platform/PathCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// The sources in force: the system's unless a VolumeSourcesScope lives, which a test sets up
// before the code it tests reads any label.
const FileSystem::VolumeSources*& Installed() {
    static const FileSystem::VolumeSources* installed = nullptr;
    return installed;
}

const FileSystem::VolumeSources& Sources() {
    static const FileSystem::VolumeSources system;
    return Installed() ? *Installed() : system;
}

// udev writes unsafe characters of a label as "\xHH".
QString DecodeLabel(const QString& name) {
    QByteArray raw = PathCodec::Encode(name);
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            const int v = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(v));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QString::fromUtf8(out);
}

// mountinfo writes blanks and backslashes in paths as octal escapes ("\040").
QByteArray DecodeMountField(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int v = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(v));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

// The mount point of the first mount (in mount order) of the device, or empty.
QString MountPointOf(const QString& device) {
    QFile f(Sources().mountInfo);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    const QByteArray dev = PathCodec::Encode(device);
    QByteArray devNumber;
    struct stat st {};
    if (::stat(dev.constData(), &st) == 0 && S_ISBLK(st.st_mode))
        devNumber = QByteArray::number(major(st.st_rdev)) + ':' + QByteArray::number(minor(st.st_rdev));
    QString fallback;
    for (const QByteArray& line : f.readAll().split('\n')) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 10) continue;
        const qsizetype dash = fields.indexOf("-");
        if (dash < 0 || dash + 2 >= fields.size()) continue;
        const QByteArray source = DecodeMountField(fields[dash + 2]);
        const bool match = source == dev || (!devNumber.isEmpty() && fields[2] == devNumber);
        if (!match) continue;
        const QString mountPoint = PathCodec::Decode(DecodeMountField(fields[4]));
        // A mount of the file system's own root is what the label names; a bind mount of a
        // folder inside it only serves when nothing else does.
        if (fields[3] == "/") return mountPoint;
        if (fallback.isEmpty()) fallback = mountPoint;
    }
    return fallback;
}

}  // namespace

namespace FileSystem {

VolumeSourcesScope::VolumeSourcesScope(VolumeSources sources) : sources_(std::move(sources)) { Installed() = &sources_; }

VolumeSourcesScope::~VolumeSourcesScope() { Installed() = nullptr; }

}  // namespace FileSystem

QString ResolveVolumeLabelPath(const QString& path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('%'))) return path;
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    const QString label = slash < 0 ? path : path.left(slash);
    const QString rest = slash < 0 ? QString() : path.mid(slash + 1);
    if (label.isEmpty()) return path;
    const QDir byLabel(Sources().byLabel);
    const QStringList names = byLabel.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : names) {
        if (DecodeLabel(name).compare(label, Qt::CaseInsensitive) != 0) continue;
        const QString device = QFileInfo(byLabel.filePath(name)).canonicalFilePath();
        if (device.isEmpty()) continue;
        const QString mountPoint = MountPointOf(device);
        if (mountPoint.isEmpty()) continue;
        return (mountPoint.endsWith(QLatin1Char('/')) ? mountPoint : mountPoint + QLatin1Char('/')) + rest;
    }
    return path;
}

QString VolumeLabelFormOf(const QString& path) {
    if (!path.startsWith(QLatin1Char('/')) || path.startsWith(QStringLiteral("//"))) return QString();
    const QDir byLabel(Sources().byLabel);
    const QStringList names = byLabel.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    QString best;
    qsizetype bestLength = -1;
    for (const QString& name : names) {
        const QString label = DecodeLabel(name);
        // A label that a path cannot carry as its first component is of no use here.
        if (label.isEmpty() || label.contains(QLatin1Char('/')) || label.startsWith(QLatin1Char('%'))) continue;
        const QString device = QFileInfo(byLabel.filePath(name)).canonicalFilePath();
        if (device.isEmpty()) continue;
        QString mountPoint = MountPointOf(device);
        if (mountPoint.isEmpty()) continue;
        if (mountPoint.size() > 1 && mountPoint.endsWith(QLatin1Char('/'))) mountPoint.chop(1);
        const QString prefix = mountPoint == QStringLiteral("/") ? mountPoint : mountPoint + QLatin1Char('/');
        const bool onIt = path == mountPoint || path.startsWith(prefix);
        if (!onIt || mountPoint.size() <= bestLength) continue;
        bestLength = mountPoint.size();
        const QString rest = path.size() > prefix.size() ? path.mid(prefix.size()) : QString();
        best = rest.isEmpty() ? label : label + QLatin1Char('/') + rest;
    }
    return best;
}
