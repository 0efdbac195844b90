// The folders the fail-safe copy works in, and the names of destination folders that the
// letter-case check reads.

#include "platform/CopyFolders.h"

#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"
#include "platform/CopyTemporaries.h"
#include "platform/PathCodec.h"

#include <QHash>
#include <QStringList>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace FileSystem {

FolderStamp StampOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_mtim}; }

namespace {

// ---- names of destination folders, for the letter-case check ----

bool StampOfFolder(int dirFd, FolderStamp& stamp) {
    struct stat st {};
    if (::fstat(dirFd, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    stamp = StampOf(st);
    return true;
}

struct FolderNames {
    FolderStamp stamp;
    QHash<QString, QStringList> byFoldedName;
    // Created by the running synchronisation (FileSystem::NoteCreatedFolder): it holds what the
    // run wrote into it, and its names need no stamp.
    bool createdByRun = false;
};

// A handful of folders is enough: a run copies folder by folder.
constexpr qsizetype kCachedFolders = 64;
thread_local QHash<QByteArray, FolderNames> folderNames;

QByteArray FolderKey(const QString& folder) {
    QByteArray key = PathCodec::Encode(folder);
    while (key.size() > 1 && key.endsWith('/')) key.chop(1);
    return key;
}

// The names of the folder open as dirFd (whose stat is st), from the cache while the folder's
// stamp is unchanged. A folder the run has just created is read once, empty, and then kept
// current by the copy itself, so its check costs no listing at all.
FolderNames* ReadFolderNames(const QByteArray& folder, int dirFd, const struct stat& st) {
    const FolderStamp stamp = StampOf(st);
    auto it = folderNames.find(folder);
    if (it != folderNames.end() && it->stamp == stamp) return &*it;

    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return nullptr;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return nullptr;
    }
    FolderNames names;
    names.stamp = stamp;
    while (const dirent* e = ::readdir(dir)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
        const QByteArray raw(n);
        // The copy's temporary entries are no names of the user's; a synchronisation removes
        // the stale ones when it starts.
        if (HasTemporaryNameForm(raw) && ClassifyTemporary(dirFd, raw) != TempState::NotOurs) continue;
        const QString name = PathCodec::Decode(raw);
        names.byFoldedName[name.toCaseFolded()].append(name);
    }
    ::closedir(dir);
    if (folderNames.size() >= kCachedFolders) folderNames.clear();
    return &*folderNames.insert(folder, std::move(names));
}

// ---- the open source and destination folders ----

thread_local OpenFolder sourceFolder;
thread_local OpenFolder destinationFolder;
thread_local int scopeDepth = 0;

bool OpenFolderAt(const QByteArray& path, OpenFolder& out) {
    out.path = path;
    out.handedOver = false;
    out.checkedAbsent = false;
    out.creationKnown = false;
    // Beneath the run's root and through no link (see platform/BeneathRoot.h).
    out.fd.reset(OpenFolderBeneathRoot(path));
    if (out.fd.get() < 0) return false;
    if (::fstat(out.fd.get(), &out.st) != 0) {
        const int err = errno;
        out.fd.reset(-1);
        errno = err;
        return false;
    }
    return true;
}

}  // namespace

void NoteWrittenName(const QByteArray& folder, const FolderStamp& before, int dirFd, const QByteArray& name) {
    auto it = folderNames.find(folder);
    if (it == folderNames.end()) return;
    if (it->createdByRun) {
        it->byFoldedName[PathCodec::Decode(name).toCaseFolded()].append(PathCodec::Decode(name));
        return;
    }
    FolderStamp after;
    if (!(it->stamp == before) || !StampOfFolder(dirFd, after)) {
        folderNames.erase(it);
        return;
    }
    const QString decoded = PathCodec::Decode(name);
    QStringList& same = it->byFoldedName[decoded.toCaseFolded()];
    if (!same.contains(decoded)) same.append(decoded);
    it->stamp = after;
}

bool UseFolder(const QByteArray& path, OpenFolder& folder) {
    const bool reuse = folder.fd.get() >= 0 && folder.path == path && (scopeDepth > 0 || folder.handedOver);
    folder.handedOver = false;
    if (reuse) return true;
    return OpenFolderAt(path, folder);
}

void DoneWithFolders() {
    if (scopeDepth > 0) return;
    sourceFolder.fd.reset(-1);
    destinationFolder.fd.reset(-1);
}

OpenFolder& SourceFolder() { return sourceFolder; }
OpenFolder& DestinationFolder() { return destinationFolder; }

bool FolderNamesKept(const QByteArray& folder) { return folderNames.contains(folder); }

QString FindCaseVariant(const QString& folder, const QString& name) {
    const QByteArray key = FolderKey(folder);
    OpenFolder& open = destinationFolder;
    const auto known = folderNames.constFind(key);
    // A folder the running synchronisation created holds what the run wrote into it: no look.
    const bool ownFolder = scopeDepth > 0 && known != folderNames.constEnd() && known->createdByRun;
    if (scopeDepth > 0 && open.fd.get() >= 0 && open.path == key && !ownFolder) {
        // Kept open by the run: only its stamp is needed, without walking the path.
        if (::fstat(open.fd.get(), &open.st) != 0) open.fd.reset(-1);
    }
    if ((open.fd.get() < 0 || open.path != key) && !OpenFolderAt(key, open)) {
        folderNames.remove(key);
        return {};
    }
    open.handedOver = true;  // for the copy into it that usually follows on this thread
    QString variant;
    open.checkedAbsent = false;
    if (const FolderNames* names = ownFolder ? &*known : ReadFolderNames(key, open.fd.get(), open.st)) {
        const auto it = names->byFoldedName.constFind(name.toCaseFolded());
        if (it != names->byFoldedName.constEnd()) {
            for (const QString& other : *it) {
                if (other != name) {
                    variant = other;
                    break;
                }
            }
        }
        open.checkedAbsent = it == names->byFoldedName.constEnd() || !it->contains(name);
        if (open.checkedAbsent) open.checkedName = PathCodec::Encode(name);
    }
    // A refused copy does not follow.
    if (!variant.isEmpty()) {
        open.handedOver = false;
        open.checkedAbsent = false;
        DoneWithFolders();
    }
    return variant;
}

FolderHandleScope::FolderHandleScope() { ++scopeDepth; }

FolderHandleScope::~FolderHandleScope() {
    if (--scopeDepth != 0) return;
    DoneWithFolders();
    // After the run its folders are like any other: their names are read again when needed.
    folderNames.removeIf([](const auto& entry) { return entry.value().createdByRun; });
}

void NoteCreatedFolder(const QString& folder) {
    if (scopeDepth == 0) return;
    if (folderNames.size() >= kCachedFolders) folderNames.clear();
    FolderNames names;
    names.createdByRun = true;
    folderNames.insert(FolderKey(folder), std::move(names));
}

}  // namespace FileSystem
