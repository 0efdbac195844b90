#include "platform/FolderIdentity.h"

#include "platform/PathCodec.h"

#include <climits>
#include <cstdlib>

#include <sys/stat.h>

namespace FileSystem {

namespace {

// The absolute path of an existing folder with every link resolved, or empty.
QByteArray ResolvedFolderPath(const QString& path) {
    if (path.isEmpty()) return QByteArray();
    char resolved[PATH_MAX];
    if (!::realpath(PathCodec::Encode(path).constData(), resolved)) return QByteArray();
    struct stat st {};
    if (::stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode)) return QByteArray();
    return QByteArray(resolved);
}

}  // namespace

std::vector<FolderId> FolderAndAncestorIds(const QString& path) {
    std::vector<FolderId> ids;
    QByteArray folder = ResolvedFolderPath(path);
    if (folder.isEmpty()) return ids;
    for (;;) {
        struct stat st {};
        if (::stat(folder.constData(), &st) != 0) break;
        ids.push_back({static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)});
        if (folder == "/") break;
        const qsizetype slash = folder.lastIndexOf('/');
        folder.truncate(slash > 0 ? slash : 1);
    }
    return ids;
}

}  // namespace FileSystem
