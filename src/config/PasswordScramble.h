#pragma once
// Passwords in profile files are not kept as plain text: each character is combined with the
// character at the same position of a key text and written as two hexadecimal digits.

#include <QString>

// The key text, joined at run time from the program's version-information strings.
QString PasswordKeyText();
// "abc" -> six upper-case hexadecimal digits; empty stays empty. A password with a character
// that Windows-1252 lacks (Greek, Cyrillic, an emoji ...) cannot take that form without losing
// it: its UTF-8 bytes are combined with the key instead, and the text starts with "U8:" so that
// the reader tells the two forms apart. Windows-1252 passwords keep the original form.
QString ScrambleProfilePassword(const QString& password);
// Reverses ScrambleProfilePassword. A text that is not an even number of hexadecimal digits
// (a hand-edited file) is returned as it is.
QString UnscrambleProfilePassword(const QString& scrambled);
