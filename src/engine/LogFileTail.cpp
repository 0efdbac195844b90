#include "engine/LogFileTail.h"

#include "platform/IniFileIo.h"

#include <QFile>

LogFileTail ReadLogFileTail(const QString& path, qint64 maxBytes) {
    LogFileTail tail;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return tail;
    tail.readable = true;
    tail.size = file.size();
    qint64 start = tail.size > maxBytes ? tail.size - maxBytes : 0;
    if (start > 0 && !file.seek(start)) {
        tail.readable = false;
        return tail;
    }
    QByteArray bytes = file.read(tail.size - start);
    if (start > 0) {
        // Begin at a whole line; the cut line belongs to the part left out.
        const qsizetype lf = bytes.indexOf('\n');
        const qsizetype from = lf < 0 ? bytes.size() : lf + 1;
        bytes.remove(0, from);
        start += from;
    }
    tail.skipped = start;
    tail.text = IniFileIo::DecodeText(bytes);
    return tail;
}
