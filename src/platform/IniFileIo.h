#pragma once
// Reading and replacing the small text files of the configuration (settings, profiles,
// language files, the registry store). Shared by the INI reader/writer and the registry store.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace IniFileIo {

// Files larger than this are not configuration files; they are read only up to this size and
// never rewritten (rewriting would cut them).
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

struct RawFile {
    QByteArray bytes;
    bool exists = false;
    bool tooLarge = false;
};
RawFile ReadFile(const QString& path);

// UTF-8 (with or without its byte-order mark) and UTF-16LE with its byte-order mark (files saved
// by the original platform's registry editor). Line by line: a line that is not valid UTF-8 is
// read as Windows-1252, so one stray byte of an old editor (even in a comment) leaves every
// other line as it was meant.
QString DecodeText(const QByteArray& bytes, bool* hadUtf8Bom = nullptr);
// One line without its line feed: UTF-8 when it is valid UTF-8, else Windows-1252.
QString DecodeLine(const QByteArray& line);
bool IsValidUtf8(const QByteArray& bytes);
QString DecodeWindows1252(const QByteArray& bytes);

// Under an exclusive advisory lock (flock on the file itself, or on its folder while the file
// does not exist; no lock file is left anywhere), reads the file,
// lets `change` compute the new contents from the old ones, writes them to a temporary file
// beside it and renames that over the file. `change` returning nothing leaves the file as it is
// (and counts as success). Returns false when the file cannot be written (errno tells why); the
// old file is then untouched. A symbolic link is followed, so the link stays a link.
bool UpdateLocked(const QString& path,
                  const std::function<std::optional<QByteArray>(const RawFile& old)>& change);

// Replaces the whole file (locked and atomic like UpdateLocked).
bool ReplaceLocked(const QString& path, const QByteArray& contents);

}  // namespace IniFileIo
