#include "i18n/SizeText.h"

#include "i18n/TextLookup.h"

QLocale ProgramLocale() {
    const QString name = FormatMsg(1210).trimmed();
    if (!name.isEmpty()) {
        const QLocale named(name);
        // QLocale falls back to "C" for a name it does not know.
        if (named.language() != QLocale::C) return named;
    }
    return QLocale::system();
}

QString ExactSize(int64_t bytes) {
    return FormatMsg(1211, {ProgramLocale().toString(static_cast<qlonglong>(bytes))});
}

QString ReadableSize(int64_t bytes) {
    if (bytes < 1024 && bytes > -1024) return ExactSize(bytes);
    return ProgramLocale().formattedDataSize(bytes, 1, QLocale::DataSizeIecFormat);
}
