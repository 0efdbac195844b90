#pragma once
// Paths that are a folder on one side of a pair and a file, symbolic link, socket, pipe or
// device on the other. Their keys differ (a folder's key ends with the separator, a file's
// carries the file mark), so the merge alone would make two unrelated one-sided rows of them,
// and a run would then create a folder where a link stands, or copy a file over a pipe.

#include "engine/CompareTypes.h"

#include <QHash>
#include <QString>

// What stands against the folder of a conflicting path: a file or symbolic link (a listed entry,
// which a one-way mirror may delete to put the other side's entry in its place), or a socket,
// pipe or device (never listed, never touched).
enum class TypeConflictKind : uint8_t { FileOrLink, SpecialEntry };

// The conflicting paths, each as the key a file of that path has.
using TypeConflictKeys = QHash<QString, TypeConflictKind>;

// The key a file of the same path as the folder of folderKey would have.
QString FileFormOfFolderKey(QStringView folderKey);

// Finds the conflicts of one pair from both sides' sorted lists (keys built alike) and the
// sockets, pipes and devices of each side (with keys built the same way). One hash set of the
// folders and special entries of each side; each entry of the other side is looked up there.
TypeConflictKeys FindTypeConflicts(const ScanList& left, const ScanList& right, const ScanList& leftSpecials,
                                   const ScanList& rightSpecials);
