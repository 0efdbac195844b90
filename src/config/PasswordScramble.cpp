#include "config/PasswordScramble.h"

#include "platform/IniFileIo.h"

namespace {

// The version-information strings of the program. They make up the key of every password
// stored in a profile file: they must never change between versions, or the passwords of
// existing profiles can no longer be read.
constexpr const char* kCompanyName = "Vellmark";
constexpr const char* kProductName = "Tandor";
constexpr const char* kFileDescription = "Tandor folder synchroniser";
constexpr const char* kLegalCopyright = "Copyright (C) Vellmark. All rights reserved.";
constexpr const char* kSeparator = " - ";

// The character codes are those of Windows-1252, so that passwords written by the original
// platform read back; a character that code page does not have counts as "?".
int Cp1252Code(QChar c) {
    if (c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF)) return c.unicode();
    for (int b = 0x80; b < 0xA0; ++b) {
        const QString decoded = IniFileIo::DecodeWindows1252(QByteArray(1, static_cast<char>(b)));
        if (decoded.at(0) == c) return b;
    }
    return -1;
}

int Cp1252CodeOrQuestionMark(QChar c) {
    const int code = Cp1252Code(c);
    return code < 0 ? '?' : code;
}

bool FitsWindows1252(const QString& text) {
    for (QChar c : text)
        if (Cp1252Code(c) < 0) return false;
    return true;
}

constexpr QLatin1StringView kUtf8Mark("U8:");

QChar Cp1252Char(int code) {
    return IniFileIo::DecodeWindows1252(QByteArray(1, static_cast<char>(code))).at(0);
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

}  // namespace

QString PasswordKeyText() {
    const QString sep = QString::fromLatin1(kSeparator);
    return QString::fromLatin1(kCompanyName) + sep + QString::fromLatin1(kProductName) + sep +
           QString::fromLatin1(kFileDescription) + sep + QString::fromLatin1(kLegalCopyright);
}

// A password longer than the key text goes on with the key from its start, instead of being
// cut or failing; shorter passwords are unaffected by this.
QString ScrambleProfilePassword(const QString& password) {
    const QString key = PasswordKeyText();
    const bool utf8 = !FitsWindows1252(password);
    const QByteArray bytes = utf8 ? password.toUtf8() : QByteArray();
    const qsizetype count = utf8 ? bytes.size() : password.size();
    QString out = utf8 ? QString(kUtf8Mark) : QString();
    out.reserve(out.size() + count * 2);
    for (qsizetype i = 0; i < count; ++i) {
        const int plain = utf8 ? static_cast<unsigned char>(bytes[i]) : Cp1252CodeOrQuestionMark(password[i]);
        const int code = plain ^ Cp1252CodeOrQuestionMark(key[i % key.size()]);
        out += QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString UnscrambleProfilePassword(const QString& scrambled) {
    const bool utf8 = scrambled.startsWith(kUtf8Mark);
    const QString digits = utf8 ? scrambled.mid(kUtf8Mark.size()) : scrambled;
    if (digits.size() % 2 != 0) return scrambled;
    const QString key = PasswordKeyText();
    QString out;
    QByteArray bytes;
    for (qsizetype i = 0; i < digits.size() / 2; ++i) {
        const int high = HexDigit(digits[i * 2]);
        const int low = HexDigit(digits[i * 2 + 1]);
        if (high < 0 || low < 0) return scrambled;
        const int code = (high * 16 + low) ^ Cp1252CodeOrQuestionMark(key[i % key.size()]);
        if (utf8) bytes.append(static_cast<char>(code));
        else out += Cp1252Char(code);
    }
    return utf8 ? QString::fromUtf8(bytes) : out;
}
