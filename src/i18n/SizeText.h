#pragma once
// Sizes as people read them, in the number format of the program's language (not of the
// system's locale): a size below 1 KiB in bytes, larger ones in KiB, MiB, GiB ... with one
// decimal, and the exact byte count with digit grouping for tooltips.

#include <QLocale>
#include <QString>

#include <cstdint>

// The locale the active language file names (message 1210), else the system's.
QLocale ProgramLocale();
// "512 bytes", "1.5 KiB", "3.2 GiB" (German: "512 Byte", "1,5 KiB").
QString ReadableSize(int64_t bytes);
// "1,234,567 bytes" (German: "1.234.567 Byte").
QString ExactSize(int64_t bytes);
