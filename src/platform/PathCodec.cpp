#include "platform/PathCodec.h"

namespace {
// Length of the valid UTF-8 sequence at p (1..4), or 0 when the bytes there are not one.
int ValidSequenceLength(const unsigned char* p, qsizetype left) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    int need;
    char32_t min;
    if ((c & 0xE0) == 0xC0) { need = 2; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { need = 3; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { need = 4; min = 0x10000; }
    else return 0;
    if (left < need) return 0;
    char32_t cp = c & (0x7F >> need);
    for (int i = 1; i < need; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return need;
}
}  // namespace

namespace PathCodec {

QString Decode(const char* bytes, qsizetype length) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    // Fast path: plain ASCII, the common case for millions of names.
    qsizetype i = 0;
    while (i < length && p[i] < 0x80) ++i;
    if (i == length) return QString::fromLatin1(bytes, length);

    QString out;
    out.reserve(length);
    qsizetype runStart = 0;
    i = 0;
    while (i < length) {
        const int n = ValidSequenceLength(p + i, length - i);
        if (n > 0) { i += n; continue; }
        out += QString::fromUtf8(bytes + runStart, i - runStart);
        out += QChar(static_cast<char16_t>(0xDC00 + p[i]));
        ++i;
        runStart = i;
    }
    out += QString::fromUtf8(bytes + runStart, length - runStart);
    return out;
}

QByteArray Encode(const QString& path) {
    const QChar* s = path.constData();
    const qsizetype n = path.size();
    bool plain = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i].unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !QChar::isHighSurrogate(s[i - 1].unicode()))) {
            plain = false;
            break;
        }
    }
    if (plain) return path.toUtf8();

    QByteArray out;
    out.reserve(n * 3);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i].unicode();
        const bool lone = u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !QChar::isHighSurrogate(s[i - 1].unicode()));
        if (!lone) continue;
        out += QStringView(s + runStart, i - runStart).toUtf8();
        out += static_cast<char>(u - 0xDC00);
        runStart = i + 1;
    }
    out += QStringView(s + runStart, n - runStart).toUtf8();
    return out;
}

}  // namespace PathCodec
