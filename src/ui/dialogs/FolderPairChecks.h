#pragma once
// The checks of a folder pair before the folder pair editor accepts it: both folders given, and
// a question for every folder that nests in its partner or that another pair of the profile
// already uses or nests with.
//
// Folders are compared as a run will see them (placeholders expanded, a volume label replaced
// by its mount point) and by the letter case rule of the compare run: names differ by case
// unless one of the two folders lies on a file system that folds case. A folder A lies inside
// a folder B when A starts with B followed by "/".

#include "config/Profile.h"

#include <QList>
#include <QString>

#include <functional>

// The form of a folder text that the checks compare: expanded, resolved, one trailing "/" less.
QString ComparableFolder(const QString& text);
bool SameFolder(const QString& a, const QString& b);
// Whether inner lies strictly inside outer (both comparable forms).
bool FolderInside(const QString& inner, const QString& outer);

// Asks a question (message key, argument for %1, message box style) and returns the answer
// code (MsgBox::Yes, MsgBox::No, ...). A notice without a question is asked the same way.
using PairCheckQuestion = std::function<int(int key, const QString& argument, int style)>;

// Runs the checks in their fixed order on pair, which is to become entry index of pairs (the
// other entries are the profile's other pairs). True when every check passed or was answered
// Yes; false at the first empty folder or the first No.
bool CheckFolderPair(const FolderPair& pair, const QList<FolderPair>& pairs, qsizetype index,
                     const PairCheckQuestion& ask);
