#include "ui/main/FilesPage.h"

#include "i18n/SizeText.h"
#include "platform/Clock.h"

#include <langinfo.h>

#include <ctime>
#include <string>

QString FormatFileTime(double dateValue) {
    const QDateTime when = FromDateValue(dateValue);
    std::tm parts{};
    parts.tm_year = when.date().year() - 1900;
    parts.tm_mon = when.date().month() - 1;
    parts.tm_mday = when.date().day();
    parts.tm_hour = when.time().hour();
    parts.tm_min = when.time().minute();
    parts.tm_sec = when.time().second();
    parts.tm_isdst = -1;
    // The C library's short date and long time of LC_TIME: what the user reads elsewhere on
    // the system, except that the year has four digits (a list of backups spans decades, and
    // "05" could be 1905 or 2005).
    std::string format = nl_langinfo(D_FMT);
    for (size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at + 2)) format[at + 1] = 'Y';
    format += " %X";
    char text[128];
    const size_t length = std::strftime(text, sizeof text, format.c_str(), &parts);
    return QString::fromLocal8Bit(text, static_cast<qsizetype>(length));
}

namespace {

bool ArchiveOnlyOn(uint32_t from, uint32_t to, uint32_t mask) {
    return (from & mask) != 0 && (to & mask) == 0;
}

void FormatFileCells(const CompareRow& row, const std::array<bool, 5>& options, uint32_t mask,
                     FilesPageRow& out) {
    QColor colour;
    QString marker;
    switch (row.SyncAction) {
    case SyncAction::NoAction:
        if (row.DeleteMatch) {
            colour = FilesColor::DeleteMatch;
            marker = Marker::Delete;
        } else {
            // Exact comparison: names that differ in case only are a difference worth seeing.
            colour = row.Name(0) != row.Name(1) ? FilesColor::CaseOnly : FilesColor::Same;
        }
        break;
    case SyncAction::LeftToRight:
        if (row.DeleteMatch) {
            colour = FilesColor::DeleteMatch;
            marker = Marker::Delete;
            break;
        }
        colour = ArchiveOnlyOn(row.Attributes[0], row.Attributes[1], mask) ? FilesColor::ToRightArchive
                                                                           : FilesColor::ToRight;
        if (row.Name(1).isEmpty() && (IsOn(options, SyncOption::DeleteInLeft) || row.DeletionTravels))
            marker = Marker::Delete;
        else if (IsOn(options, SyncOption::CopyToRight)) marker = Marker::ToRight;
        break;
    case SyncAction::RightToLeft:
        if (row.DeleteMatch) {
            colour = FilesColor::DeleteMatch;
            marker = Marker::Delete;
            break;
        }
        colour = ArchiveOnlyOn(row.Attributes[1], row.Attributes[0], mask) ? FilesColor::ToLeftArchive
                                                                           : FilesColor::ToLeft;
        if (row.Name(0).isEmpty() && (IsOn(options, SyncOption::DeleteInRight) || row.DeletionTravels))
            marker = Marker::Delete;
        else if (IsOn(options, SyncOption::CopyToLeft)) marker = Marker::ToLeft;
        break;
    default:
        break;  // an unknown direction gets neither colour nor marker
    }
    if (row.DeletionTravels) colour = FilesColor::DeleteMatch;
    // A conflict keeps its arrow (the newer version goes that way) and gets a look of its own.
    if (row.Conflict) colour = FilesColor::Conflict;
    for (int c = 1; c < 8; ++c) {
        out.cells[c].fore = colour;
        if (row.Conflict && c != 4) out.cells[c].bold = true;
    }
    out.cells[4].text = marker;
    if (!row.Name(0).isEmpty()) {
        out.cells[1].text = row.Name(0);
        out.cells[2].text = ReadableSize(row.Size[0]);
        out.cells[3].text = FormatFileTime(row.Time[0]);
    }
    if (!row.Name(1).isEmpty()) {
        out.cells[7].text = row.Name(1);
        out.cells[6].text = ReadableSize(row.Size[1]);
        out.cells[5].text = FormatFileTime(row.Time[1]);
    }
}

void FormatFolderCells(const CompareRow& row, const std::array<bool, 5>& options, FilesPageRow& out) {
    for (int c = 0; c < 8; ++c) out.cells[c].back = FilesColor::FolderBack;
    for (int c = 1; c < 8; ++c) out.cells[c].bold = true;
    QColor colour;
    QString marker;
    switch (row.SyncAction) {
    case SyncAction::NoAction:
        colour = FilesColor::FolderSame;
        break;
    case SyncAction::LeftToRight:
        colour = FilesColor::ToRight;
        marker = IsOn(options, SyncOption::DeleteInLeft) || row.DeletionTravels ? Marker::Delete
                 : IsOn(options, SyncOption::CopyToRight) ? Marker::ToRight
                                                          : QString();
        out.cells[4].bold = false;
        break;
    case SyncAction::RightToLeft:
        colour = FilesColor::ToLeft;
        marker = IsOn(options, SyncOption::DeleteInRight) || row.DeletionTravels ? Marker::Delete
                 : IsOn(options, SyncOption::CopyToLeft)  ? Marker::ToLeft
                                                          : QString();
        out.cells[4].bold = false;
        break;
    default:
        break;
    }
    for (int c = 1; c < 8; ++c) out.cells[c].fore = colour;
    out.cells[4].text = marker;
    for (int c = 1; c <= 3; ++c) out.cells[c].text = row.Folder(0);
    for (int c = 5; c <= 7; ++c) out.cells[c].text = row.Folder(1);
}

}  // namespace

FilesPageRow FormatFilesRow(const CompareRow& row, const std::array<bool, 5>& syncOptions,
                            uint32_t archiveMask) {
    FilesPageRow out;
    out.folder = row.IsFolder();
    out.cells[0].text = Marker::Check(row.Selected);
    out.cells[0].marker = true;
    out.cells[4].marker = true;
    if (out.folder) FormatFolderCells(row, syncOptions, out);
    else FormatFileCells(row, syncOptions, archiveMask, out);
    if (!row.Selected) out.cells[4].greyText = true;
    return out;
}

QString FilesRowSentence(const CompareRow& row, const std::array<bool, 5>& syncOptions, uint32_t archiveMask,
                         const FilesRowWords& words) {
    const FilesPageRow shown = FormatFilesRow(row, syncOptions, archiveMask);
    QStringList parts;
    if (shown.folder) {
        parts << (row.Folder(0).isEmpty() ? row.Folder(1) : row.Folder(0)) << words.folder;
    } else {
        parts << (row.Name(0).isEmpty() ? row.Name(1) : row.Name(0));
        if (row.Name(0).isEmpty()) parts << words.notLeft;
        else parts << words.leftSide.arg(shown.cells[2].text, shown.cells[3].text);
        if (row.Name(1).isEmpty()) parts << words.notRight;
        else parts << words.rightSide.arg(shown.cells[6].text, shown.cells[5].text);
    }
    const QString& marker = shown.cells[4].text;
    if (marker == Marker::ToRight) parts << words.toRight;
    else if (marker == Marker::ToLeft) parts << words.toLeft;
    else if (marker == Marker::Delete) parts << words.deleteMark;
    else parts << words.nothing;
    if (row.Conflict) parts << words.conflict;
    parts << (row.Selected ? words.ticked : words.notTicked);
    return parts.join(QStringLiteral(", "));
}
