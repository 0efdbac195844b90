#pragma once
// File and folder masks of a folder pair: "?" one character, "*" any run, "#" one digit,
// "[A-Z]" one character of a list, "[!A-Z]" one character not in it. Masks and names are
// compared in upper case, so matching ignores letter case. "*" matches every name, "*.*" only
// names with a dot.

#include <QString>
#include <QStringList>

#include <array>

// Index 0 the include list, index 1 the exclude list.
struct MaskSet {
    std::array<QStringList, 2> Lists;
};

// Upper case as the program compares names: one code unit at a time (simple mapping), so a
// name and its key have the same length and no name turns into another by expansion.
QString UpperName(const QString& name);

// The masks of a mask text: upper-cased, split at ";", nothing trimmed (blanks belong to the
// mask; an empty piece is an empty mask that matches only the empty name).
QStringList SplitMasks(const QString& text);
MaskSet BuildMaskSet(const QString& includeText, const QString& excludeText);

// One mask against an upper-cased name.
bool MatchesMask(QStringView upperName, QStringView mask);
// True when the name matches an include mask and no exclude mask.
bool MatchesMaskSet(QStringView upperName, const MaskSet& masks);
bool MatchesDeleteMasks(QStringView upperName, const QStringList& deleteMasks);

// Shortcuts for a scan, decided once per mask set: every non-empty name passes (an include "*"
// and no exclude mask but empty ones), or no non-empty name can match (only empty masks).
bool PassesEveryName(const MaskSet& masks);
bool MatchesNoName(const QStringList& masks);
