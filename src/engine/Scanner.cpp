#include "engine/Scanner.h"

#include "config/Profile.h"
#include "platform/FileListing.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr QChar KeySeparator(u'\x01');
constexpr QChar KeyFileMark(u'\x02');
// Put before a name character that is itself one of the three key characters, so that a name
// such as "x<chr 1>y" never yields the key of the path "x/y": no two paths share a key, and a
// folder's key is a prefix of exactly the keys of what lies below it.
constexpr QChar KeyEscape(u'\x03');
// Days from 30 December 1899 to 1 January 1970.
constexpr int64_t EpochDays = 25569;

inline bool IsKeyCharacter(char16_t u) { return u <= KeyEscape.unicode(); }

inline QChar UpperUnit(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return (u >= u'a' && u <= u'z') ? QChar(static_cast<char16_t>(u - 32)) : c;
    if (QChar::isSurrogate(u)) return c;
    return QChar(static_cast<char16_t>(QChar::toUpper(u)));
}

// Writes the key form of text at out: '/' becomes the separator, key characters are escaped,
// and with fold every character is upper-cased. Returns the end of what was written.
template <bool fold>
QChar* PutKeyPart(QChar* out, QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'/') {
            *out++ = KeySeparator;
        } else if (IsKeyCharacter(u)) {
            *out++ = KeyEscape;
            *out++ = c;
        } else {
            *out++ = fold ? UpperUnit(c) : c;
        }
    }
    return out;
}

QChar* PutKeyPart(QChar* out, QStringView text, KeyCase keyCase) {
    return keyCase == KeyCase::Folded ? PutKeyPart<true>(out, text) : PutKeyPart<false>(out, text);
}

// The length of the key form of text: one more for every key character in it.
qsizetype KeyPartSize(QStringView text) {
    qsizetype n = text.size();
    for (const QChar c : text) n += IsKeyCharacter(c.unicode()) ? 1 : 0;
    return n;
}

// Appends the key form of text.
void AppendKeyPart(QString& key, QStringView text, KeyCase keyCase) {
    const qsizetype at = key.size();
    key.resize(at + KeyPartSize(text));
    PutKeyPart(key.data() + at, text, keyCase);
}

// One scan of one side. The depth and the entry count live here, one instance per scan, so
// that two scans can run at the same time.
class TreeScanner {
public:
    TreeScanner(const MaskSet& dirMasks, const MaskSet& fileMasks, const QStringList& deleteMasks,
                const ScanSwitches& switches, const ScanOptions& options, ScanList& list)
        : dirMasks_(dirMasks), fileMasks_(fileMasks), deleteMasks_(deleteMasks), switches_(switches),
          list_(list), offset_(FileSystem::CurrentUtcOffsetSeconds()), allFiles_(PassesEveryName(fileMasks)),
          allDirs_(PassesEveryName(dirMasks)), noDeletes_(MatchesNoName(deleteMasks)) {
        listOptions_.readArchive = options.readArchive;
        listOptions_.skipFolder = options.skipFolder;
        if (options.specials) listOptions_.specialNames = &specialNames_;
        specials_ = options.specials;
        staleFolders_ = options.staleTemporaryFolders;
        beforeListing_ = options.beforeListing;
    }

    // Lists path (ending with '/'); false when it cannot be listed (error in err).
    bool ScanFolder(const QString& path, int& err) {
        std::vector<FileSystem::ListedEntry> names;
        FileSystem::ListOptions opts = listOptions_;
        opts.followLink = depth_ == 0;  // the root was named by the user; below it no link is followed
        specialNames_.clear();
        if (beforeListing_ && depth_ > 0) beforeListing_(path);
        if (!FileSystem::ListFolder(path, names, opts)) {
            err = FileSystem::LastError();
            return false;
        }
        if (specials_) {
            for (QString& name : specialNames_) {
                ScanEntry& s = specials_->emplace_back();
                s.FolderPath = path;
                s.Name = std::move(name);
            }
            specialNames_.clear();
        }
        ++depth_;
        for (FileSystem::ListedEntry& e : names) {
            const bool hidden = (e.attributes & Attr::Hidden) != 0;
            const bool system = (e.attributes & Attr::System) != 0;
            if ((e.attributes & Attr::Directory) == 0) {
                if ((hidden && !switches_.HiddenFiles) || (system && !switches_.SysFiles)) continue;
                if (FileSystem::IsCopyTemporaryName(e.name) && IsCopyTemporary(path, e.name)) continue;
                // The usual masks ("*", no exclusion, no delete mask) need no upper-case copy.
                QString upper;
                if (!allFiles_ || !noDeletes_) upper = UpperName(e.name);
                if (!allFiles_ && !MatchesMaskSet(upper, fileMasks_)) continue;
                ScanEntry& s = list_.emplace_back();
                s.FolderPath = path;  // shared by every file of the folder
                s.Name = std::move(e.name);
                s.Attributes = e.attributes;
                s.Size = e.size;
                s.Modified = FileTimeToLocalDate(e.mtimeSeconds, offset_);
                s.DeleteMatch = !noDeletes_ && MatchesDeleteMasks(upper, deleteMasks_);
            } else {
                if ((hidden && !switches_.HiddenDirs) || (system && !switches_.SysDirs)) continue;
                if (!switches_.SubDirs) continue;
                if (!allDirs_ && !MatchesMaskSet(UpperName(e.name), dirMasks_)) continue;
                const size_t index = list_.size();
                ScanEntry& s = list_.emplace_back();
                s.FolderPath = path + e.name;
                s.Name = std::move(e.name);
                s.Attributes = e.attributes;
                const QString sub = s.FolderPath + QLatin1Char('/');
                int subErr = 0;
                // The reference s may not survive the recursion (the list grows).
                if (!ScanFolder(sub, subErr)) list_[index].ListError = subErr != 0 ? subErr : EIO;
            }
        }
        --depth_;
        return true;
    }

private:
    // Whether the entry is a temporary file of the copy (never listed); a stale one's folder is
    // noted for the synchronisation that removes it.
    bool IsCopyTemporary(const QString& folder, const QString& name) {
        const FileSystem::CopyTemporaryState state = FileSystem::CopyTemporaryStateOf(folder, name);
        if (state == FileSystem::CopyTemporaryState::NotOurs) return false;
        std::vector<QString>* noted = staleFolders_;
        if (state == FileSystem::CopyTemporaryState::Stale && noted && (noted->empty() || noted->back() != folder))
            noted->push_back(folder);
        return true;
    }

    const MaskSet& dirMasks_;
    const MaskSet& fileMasks_;
    const QStringList& deleteMasks_;
    ScanSwitches switches_;
    FileSystem::ListOptions listOptions_;
    ScanList& list_;
    ScanList* specials_ = nullptr;
    std::vector<QString>* staleFolders_ = nullptr;
    std::vector<QString> specialNames_;
    std::function<void(const QString&)> beforeListing_;
    int64_t offset_;
    bool allFiles_;
    bool allDirs_;
    bool noDeletes_;
    int depth_ = 0;
};

}  // namespace

ScanSwitches SwitchesOf(const FolderPair& pair) {
    ScanSwitches s;
    s.SubDirs = pair.SubDirs;
    s.SysDirs = pair.System[0];
    s.SysFiles = pair.System[1];
    s.HiddenDirs = pair.Hidden[0];
    s.HiddenFiles = pair.Hidden[1];
    return s;
}

bool ScanFolderTree(const QString& rootPath, const MaskSet& subfolderMasks, const MaskSet& fileMasks,
                    const QStringList& deleteMasks, const ScanSwitches& switches, ScanList& list,
                    int* rootError, const ScanOptions& options) {
    list.clear();
    list.reserve(1000);
    if (options.specials) options.specials->clear();
    ScanEntry& root = list.emplace_back();
    root.FolderPath = rootPath;
    while (root.FolderPath.size() > 1 && root.FolderPath.endsWith(QLatin1Char('/'))) root.FolderPath.chop(1);
    root.Attributes = FileSystem::GetRootAttributes(root.FolderPath);

    TreeScanner scanner(subfolderMasks, fileMasks, deleteMasks, switches, options, list);
    int err = 0;
    const bool failed = !scanner.ScanFolder(rootPath, err);
    if (rootError) *rootError = failed ? err : 0;
    if (failed) {
        list.resize(1);
        if (options.specials) options.specials->clear();
        FileSystem::SetLastError(err);
    }
    // No shrink_to_fit: it would copy the whole list once more at the moment memory peaks; the
    // unused tail of the last growth was never touched and costs no resident memory.
    return failed;
}

double FileTimeToLocalDate(int64_t utcSeconds) {
    return FileTimeToLocalDate(utcSeconds, FileSystem::CurrentUtcOffsetSeconds());
}

double FileTimeToLocalDate(int64_t utcSeconds, int64_t offsetSeconds) {
    const int64_t local = utcSeconds + offsetSeconds;
    // Floor division, so that times before 1970 land on the right day.
    int64_t days = local / 86400;
    int64_t secondOfDay = local % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    return static_cast<double>(days + EpochDays) + static_cast<double>(secondOfDay) / 86400.0;
}

void BuildSortKeys(ScanList& list, qsizetype startPosition, KeyCase keyCase) {
    const qsizetype from = startPosition - 1;
    const QChar* lastFolder = nullptr;
    QString folderPart;  // key of the last file folder, without the file mark
    for (ScanEntry& e : list) {
        const QStringView rel = e.FolderPath.size() > from ? QStringView(e.FolderPath).mid(from) : QStringView();
        QString key;
        if (e.Attributes & Attr::Directory) {
            AppendKeyPart(key, rel, keyCase);
            key.append(KeySeparator);
        } else {
            // Every file of a folder shares one FolderPath: convert it once per folder.
            if (e.FolderPath.constData() != lastFolder || lastFolder == nullptr) {
                folderPart.clear();
                AppendKeyPart(folderPart, rel, keyCase);
                lastFolder = e.FolderPath.constData();
            }
            key.reserve(folderPart.size() + 1 + e.Name.size());
            key.append(folderPart);
            key.append(KeyFileMark);
            AppendKeyPart(key, e.Name, keyCase);
        }
        e.SortKey = std::move(key);
    }
}

void BuildSortKeys(ScanList& list, qsizetype startPosition, std::vector<QChar>& buffer, KeyCase keyCase) {
    const qsizetype from = startPosition - 1;
    auto relative = [from](const ScanEntry& e) {
        return e.FolderPath.size() > from ? QStringView(e.FolderPath).mid(from) : QStringView();
    };
    // Size the buffer exactly first, since the keys point into it and it must never move: every
    // key has the length of its relative path (plus one), one more per escaped character. The
    // files of one folder share its FolderPath, which is measured once.
    size_t total = 0;
    const QChar* lastMeasured = nullptr;
    size_t lastFolderSize = 0;
    for (const ScanEntry& e : list) {
        if (e.Attributes & Attr::Directory) {
            total += static_cast<size_t>(KeyPartSize(relative(e))) + 1;
            continue;
        }
        if (e.FolderPath.constData() != lastMeasured || lastMeasured == nullptr) {
            lastFolderSize = static_cast<size_t>(KeyPartSize(relative(e)));
            lastMeasured = e.FolderPath.constData();
        }
        total += lastFolderSize + 1 + static_cast<size_t>(KeyPartSize(e.Name));
    }
    buffer.clear();
    buffer.shrink_to_fit();
    buffer.resize(total);
    QChar* out = buffer.data();
    const QChar* lastFolder = nullptr;
    const QChar* folderPart = nullptr;  // key of the last file folder inside the buffer
    qsizetype folderPartSize = 0;
    for (ScanEntry& e : list) {
        QChar* const start = out;
        if (e.Attributes & Attr::Directory) {
            out = PutKeyPart(out, relative(e), keyCase);
            *out++ = KeySeparator;
        } else {
            // Every file of a folder shares one FolderPath: convert it once per folder and copy
            // the converted part for the next files.
            if (e.FolderPath.constData() != lastFolder || lastFolder == nullptr) {
                out = PutKeyPart(out, relative(e), keyCase);
                folderPart = start;
                folderPartSize = out - start;
                lastFolder = e.FolderPath.constData();
            } else {
                std::copy(folderPart, folderPart + folderPartSize, out);
                out += folderPartSize;
            }
            *out++ = KeyFileMark;
            out = PutKeyPart(out, e.Name, keyCase);
        }
        e.SortKey = QString::fromRawData(start, out - start);
    }
}

namespace {

// Ordinal comparison of UTF-16 code units, as QString's operator< compares, inlined: keys of
// one folder share a long prefix, and the sort makes about n log n of these comparisons.
inline bool KeyLess(const QString& a, const QString& b) {
    const QChar* p = a.constData();
    const QChar* q = b.constData();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype k = 0; k < n; ++k)
        if (p[k] != q[k]) return p[k].unicode() < q[k].unicode();
    return a.size() < b.size();
}

}  // namespace

void SortScanList(ScanList& list, qsizetype low, qsizetype high) {
    // Quicksort with the middle element as pivot (the middle of an odd span rounded to the even
    // index). The smaller part is sorted by recursion and the larger one by the loop, so that
    // the stack stays shallow; the partitions, and so the result, are the same either way.
    while (low < high) {
        const qsizetype sum = low + high;
        qsizetype mid = sum / 2;
        if (sum % 2 != 0 && mid % 2 != 0) ++mid;
        const QString pivot = list[static_cast<size_t>(mid)].SortKey;
        qsizetype i = low, j = high;
        while (i <= j) {
            while (KeyLess(list[static_cast<size_t>(i)].SortKey, pivot) && i < high) ++i;
            while (KeyLess(pivot, list[static_cast<size_t>(j)].SortKey) && j > low) --j;
            if (i <= j) {
                std::swap(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (j - low < high - i) {
            if (low < j) SortScanList(list, low, j);
            low = i;
        } else {
            if (i < high) SortScanList(list, i, high);
            high = j;
        }
    }
}
