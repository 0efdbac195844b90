#pragma once
// Names that are a folder on one side of a pair and a file, symbolic link, socket, pipe or
// device on the other. The merge takes a folder's files before its subfolders, so on its own it
// would make two unrelated one-sided rows of such a name, and a run would then create a folder
// where a link stands, or copy a file over a pipe.

#include "engine/Scanner.h"

#include <QHash>
#include <QString>

// What stands against the folder of a conflicting path: a file or symbolic link (a listed entry,
// which a one-way mirror may delete to put the other side's entry in its place), or a socket,
// pipe or device (never listed, never touched).
enum class TypeConflictKind : uint8_t { FileOrLink, SpecialEntry };

// The conflicting names of one folder, by key (see NameKey).
using TypeConflictKeys = QHash<QString, TypeConflictKind>;

// Finds the conflicts among the entries of the same folder on both sides (either may be null
// where the folder is on one side only). The parts of a node are in key order, so each check is
// one walk along two ordered lists.
TypeConflictKeys FindTypeConflicts(const ListedNode* left, const ListedNode* right);
