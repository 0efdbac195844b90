#pragma once
// Paths that begin with the label of a file system ("MY DATA/Backup") instead of a mount point,
// so that a profile follows a removable volume wherever it is mounted.

#include <QString>

namespace FileSystem {

// Where the labels (a folder of links named by label, pointing at the devices) and the mounts (a
// table in the form of /proc/self/mountinfo) are read.
struct VolumeSources {
    QString byLabel = QStringLiteral("/dev/disk/by-label");
    QString mountInfo = QStringLiteral("/proc/self/mountinfo");
};

// Reads labels and mounts from sources while it lives (a test's own label folder and mount
// table); scopes do not nest.
class VolumeSourcesScope {
public:
    explicit VolumeSourcesScope(VolumeSources sources);
    ~VolumeSourcesScope();
    VolumeSourcesScope(const VolumeSourcesScope&) = delete;
    VolumeSourcesScope& operator=(const VolumeSourcesScope&) = delete;

private:
    VolumeSources sources_;
};

}  // namespace FileSystem

// A path that starts with neither '/' nor '%' begins with the label of a file system: the label
// is replaced by the mount point of the first mounted file system carrying it (letter case
// ignored). Any other path, or a label that no mounted file system carries, is returned as is.
QString ResolveVolumeLabelPath(const QString& path);
// The reverse, for a chosen folder: "LABEL/rest" when path (absolute) lies on a mounted file
// system that carries a label (the innermost such mount), else an empty string.
QString VolumeLabelFormOf(const QString& path);
