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

// UTF-8 (with or without its byte-order mark), UTF-16LE with its byte-order mark (files saved by
// the original platform's registry editor), and Windows-1252 for anything that is not valid UTF-8.
QString DecodeText(const QByteArray& bytes, bool* hadUtf8Bom = nullptr);
bool IsValidUtf8(const QByteArray& bytes);
QString DecodeWindows1252(const QByteArray& bytes);

// Line-end style of a text: CR LF when the first line ends in CR LF, LF when it ends in LF alone;
// a text without any line end (new or one-line files) gets CR LF, because profile and settings
// files travel between systems.
QString LineEndOf(const QString& text);

// Under an exclusive advisory lock (flock on ".<name>.lock" beside the file), reads the file,
// lets `change` compute the new contents from the old ones, writes them to a temporary file
// beside it and renames that over the file. `change` returning nothing leaves the file as it is
// (and counts as success). Returns false when the file cannot be written; the old file is then
// untouched. A symbolic link is followed, so the link stays a link.
bool UpdateLocked(const QString& path,
                  const std::function<std::optional<QByteArray>(const RawFile& old)>& change);

// Replaces the whole file (locked and atomic like UpdateLocked).
bool ReplaceLocked(const QString& path, const QByteArray& contents);

}  // namespace IniFileIo
