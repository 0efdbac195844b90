#pragma once
// Looks into a folder of a test tree the way the program's users would: every entry, dot files
// included, and the entries that have the form of the copy's temporary names; and what a compare
// would have seen of a file.

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <sys/stat.h>

inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

inline QStringList Temporaries(const QString& folder) {
    return Entries(folder).filter(QRegularExpression(QStringLiteral("^\\.~tandor-")));
}

// The file at path as a compare that looked at it now saw it.
inline FileSystem::SeenEntry SeenNow(const QString& path) {
    struct stat st {};
    if (::lstat(PathCodec::Encode(path).constData(), &st) != 0) return {FileSystem::SeenEntry::Kind::Absent, 0, 0};
    return {FileSystem::SeenEntry::Kind::File, st.st_size, st.st_mtim.tv_sec};
}
