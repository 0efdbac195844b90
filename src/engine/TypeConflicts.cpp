#include "engine/TypeConflicts.h"

#include <QSet>

namespace {

constexpr char16_t KeySeparator = u'\x01';
constexpr char16_t KeyFileMark = u'\x02';
constexpr char16_t KeyEscape = u'\x03';

bool IsFolder(const ScanEntry& e) { return (e.Attributes & Attr::Directory) != 0; }

}  // namespace

QString FileFormOfFolderKey(QStringView folderKey) {
    // "A<sep>B<sep>" -> "A<sep><mark>B": the last separator before the final one ends the
    // holding folder's part. Escaped characters of names are skipped with their escape.
    const qsizetype end = folderKey.size() - 1;  // the final separator
    qsizetype nameStart = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const char16_t u = folderKey[i].unicode();
        if (u == KeyEscape) ++i;
        else if (u == KeySeparator) nameStart = i + 1;
    }
    QString out;
    out.reserve(folderKey.size());
    out.append(folderKey.left(nameStart));
    out.append(QChar(KeyFileMark));
    out.append(folderKey.mid(nameStart, end - nameStart));
    return out;
}

TypeConflictKeys FindTypeConflicts(const ScanList& left, const ScanList& right, const ScanList& leftSpecials,
                                   const ScanList& rightSpecials) {
    const ScanList* lists[2] = {&left, &right};
    const ScanList* specials[2] = {&leftSpecials, &rightSpecials};
    // Per side: the folders below the root (in file form) and the special entries.
    QSet<QString> folders[2];
    QSet<QString> others[2];
    for (int s = 0; s < 2; ++s) {
        for (size_t i = 1; i < lists[s]->size(); ++i)
            if (IsFolder((*lists[s])[i])) folders[s].insert(FileFormOfFolderKey((*lists[s])[i].SortKey));
        for (const ScanEntry& e : *specials[s]) others[s].insert(e.SortKey);
    }
    TypeConflictKeys conflicts;
    for (int s = 0; s < 2; ++s) {
        const int o = 1 - s;
        if (folders[o].isEmpty() && others[o].isEmpty()) continue;
        // A folder meets a special entry opposite; a file or link meets a folder or a special
        // entry. (A folder opposite a file is found from the file's side.)
        if (!others[o].isEmpty()) {
            for (const QString& folder : folders[s])
                if (others[o].contains(folder)) conflicts.insert(folder, TypeConflictKind::SpecialEntry);
        }
        for (size_t i = 1; i < lists[s]->size(); ++i) {
            const ScanEntry& e = (*lists[s])[i];
            if (IsFolder(e)) continue;
            if (others[o].contains(e.SortKey)) conflicts.insert(e.SortKey, TypeConflictKind::SpecialEntry);
            // A special entry at the same path (names that fold to one key) outweighs a file.
            else if (folders[o].contains(e.SortKey) && !conflicts.contains(e.SortKey))
                conflicts.insert(e.SortKey, TypeConflictKind::FileOrLink);
        }
    }
    return conflicts;
}
