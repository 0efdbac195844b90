#pragma once
// Looks into a folder of a test tree the way the program's users would: every entry, dot files
// included, and the entries that have the form of the copy's temporary names.

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

inline QStringList Temporaries(const QString& folder) {
    return Entries(folder).filter(QRegularExpression(QStringLiteral("^\\.~tandor-")));
}
