#pragma once
// File names on Linux are bytes. The program holds them as QString; a name whose bytes are not
// valid UTF-8 must still reach the same file again, so every byte that is not part of a valid
// UTF-8 sequence is kept as the lone surrogate U+DC80..U+DCFF and turned back into that byte
// on the way out. Valid UTF-8 names decode as usual.

#include <QByteArray>
#include <QString>

namespace PathCodec {
QString Decode(const char* bytes, qsizetype length);
inline QString Decode(const QByteArray& bytes) { return Decode(bytes.constData(), bytes.size()); }
QByteArray Encode(const QString& path);
}  // namespace PathCodec
