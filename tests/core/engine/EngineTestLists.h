#pragma once
// Scan lists written by hand for the merge tests: "a/b.txt" is a file, "a/" a folder.

#include "engine/Scanner.h"

#include <QString>

#include <vector>

struct EntryDef {
    QString path;
    double time = 45000.5;  // a day-based local time
    int64_t size = 0;
    uint32_t attributes = 0;
    bool deleteMatch = false;
    int listError = 0;
};

// root ends with '/'. Returns a sorted list with keys, entry 0 the root.
inline ScanList MakeList(const QString& root, const std::vector<EntryDef>& entries) {
    ScanList list(1);
    list[0].FolderPath = root.chopped(1);
    list[0].Attributes = Attr::Directory;
    for (const EntryDef& s : entries) {
        ScanEntry e;
        if (s.path.endsWith('/')) {
            const QString rel = s.path.chopped(1);
            e.FolderPath = root + rel;
            e.Name = rel.section('/', -1);
            e.Attributes = Attr::Directory | s.attributes;
            e.ListError = s.listError;
        } else {
            const qsizetype slash = s.path.lastIndexOf('/');
            e.FolderPath = root + s.path.left(slash + 1);
            e.Name = s.path.mid(slash + 1);
            e.Attributes = s.attributes;
            e.Modified = s.time;
            e.Size = s.size;
            e.DeleteMatch = s.deleteMatch;
        }
        list.push_back(e);
    }
    BuildSortKeys(list, root.size() + 1);
    SortScanList(list, 0, static_cast<qsizetype>(list.size()) - 1);
    return list;
}
