#pragma once
// What one row of the file list's page shows: texts, colours, markers and fonts of its eight
// cells, worked out from a compare row and the synchronisation toggles. The window copies
// these into the grid; keeping the rules here lets them be checked without any grid.

#include "config/SyncOptions.h"
#include "engine/CompareTypes.h"

#include <QColor>
#include <QString>

#include <array>

// The marker characters of the check and direction columns. The cells keep these values; the
// grid's delegate draws them as boxes and arrows.
namespace Marker {
inline const QString Ticked = QString(QChar(0x00FE));
inline const QString Empty = QStringLiteral("o");
inline const QString ToRight = QString(QChar(0x00E8));
inline const QString ToLeft = QString(QChar(0x00E7));
inline const QString Delete = QStringLiteral("M");
inline const QString& Check(bool selected) { return selected ? Ticked : Empty; }
}  // namespace Marker

namespace FilesColor {
inline const QColor DeleteMatch{255, 0, 255};
// Changed on both sides since the last run: drawn in bold too, so that it does not rest on colour.
inline const QColor Conflict{176, 0, 96};
inline const QColor CaseOnly{0, 128, 255};
inline const QColor Same{0, 0, 0};
inline const QColor ToRight{255, 0, 0};
inline const QColor ToRightArchive{255, 160, 0};
inline const QColor ToLeft{0, 0, 255};
inline const QColor ToLeftArchive{0, 160, 160};
inline const QColor FolderBack{192, 192, 255};
inline const QColor FolderSame{255, 255, 255};
inline const QColor Stale{224, 224, 224};
inline const QColor Current{255, 255, 255};
}  // namespace FilesColor

struct FilesCell {
    QString text;
    QColor fore;          // invalid: the grid's own text colour
    QColor back;          // invalid: the grid's own background
    bool bold = false;
    bool marker = false;  // drawn in the marker font
    bool greyText = false;  // the system's grey-text colour (an unselected row's direction)
};

struct FilesPageRow {
    bool folder = false;
    std::array<FilesCell, 8> cells;
};

// The list's date and time form: the short date and the long time of the user's locale.
QString FormatFileTime(double dateValue);

// syncOptions are the five toggles of toolbar 3; archiveMask is 32 when the profile checks the
// archive attribute, else 0.
FilesPageRow FormatFilesRow(const CompareRow& row, const std::array<bool, 5>& syncOptions,
                            uint32_t archiveMask);

// The words of a row read aloud, in the program's language.
struct FilesRowWords {
    QString folder = QStringLiteral("folder");
    QString leftSide = QStringLiteral("left: %1, %2");    // size, time
    QString rightSide = QStringLiteral("right: %1, %2");
    QString notLeft = QStringLiteral("not in folder 1");
    QString notRight = QStringLiteral("not in folder 2");
    QString toRight = QStringLiteral("copy to the right");
    QString toLeft = QStringLiteral("copy to the left");
    QString deleteMark = QStringLiteral("delete");
    QString nothing = QStringLiteral("nothing to do");
    QString ticked = QStringLiteral("ticked");
    QString notTicked = QStringLiteral("not ticked");
    QString conflict = QStringLiteral("conflict: changed on both sides since the last run, both versions are kept");
};

// One row as a sentence for a screen reader: its name, each side's size and time (or that the
// side lacks it), what the synchronisation will do with it, and whether it is ticked. The
// texts and the direction are those the row shows on the page.
QString FilesRowSentence(const CompareRow& row, const std::array<bool, 5>& syncOptions, uint32_t archiveMask,
                         const FilesRowWords& words);
