#pragma once
// What a drag from the file manager (or a text) brings onto the folder pair editor's boxes.

#include <QString>
#include <QStringList>

class QMimeData;

// The local paths of a drop, with file names of any bytes kept (not valid UTF-8 included).
// With withText a single line of plain text counts as one path when there are no URLs.
// A URL that is not a local file gives an empty entry, so that the drop can be refused.
QStringList DroppedPaths(const QMimeData* data, bool withText);
bool IsExistingFolder(const QString& path);

// The mask entries for dropped items: empty (refused) unless every item exists and is of the
// kind the box expects (folders or files). An item below one of the roots (comparable folder
// texts) contributes its path below that root, any other item its name; entries are joined
// with ";" and a doubled ";;" is reduced to one.
QString MaskEntriesOf(const QStringList& paths, bool folders, const QString (&roots)[2]);
