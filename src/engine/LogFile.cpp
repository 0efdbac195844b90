#include "engine/LogFile.h"

#include "config/Placeholders.h"
#include "config/ProgramSettings.h"
#include "platform/Clock.h"
#include "platform/PathCodec.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

QString GeneralDateTimeText(const QDateTime& local) {
    const char* current = std::setlocale(LC_TIME, nullptr);
    const bool plainC = !current || std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0;
    if (plainC) return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QDate d = local.date();
    const QTime t = local.time();
    std::tm tm{};
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    tm.tm_wday = d.dayOfWeek() % 7;
    tm.tm_yday = d.dayOfYear() - 1;
    tm.tm_hour = t.hour();
    tm.tm_min = t.minute();
    tm.tm_sec = t.second();
    tm.tm_isdst = -1;
    char buf[256];
    const size_t n = std::strftime(buf, sizeof buf, "%x %X", &tm);
    if (n == 0) return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return QString::fromLocal8Bit(buf, static_cast<qsizetype>(n));
}

QString FormatLogLine(const QDateTime& now, const QStringList& values) {
    const QChar tab(u'\t');
    QString line = GeneralDateTimeText(now);
    if (!values.isEmpty()) line += tab + values.join(tab);
    while (line.endsWith(tab)) line.chop(1);
    line.remove(QChar(u'\r'));
    line.replace(QChar(u'\n'), tab);
    // One left-to-right pass turning each pair of TABs into one: three in a row become two.
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        out += line[i];
        if (line[i] == tab && i + 1 < line.size() && line[i + 1] == tab) ++i;
    }
    return out;
}

QString LogFilePath(const QDate& day) {
    QString folder = ExpandPathPlaceholders(Settings().LogfilesFolder);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder + QLatin1Char('/') + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
}

void WriteLogLine(const QStringList& values) {
    if (!Settings().LogToFile) return;
    const QDateTime now = Clock::Now();
    if (Settings().LogfilesFolder.isEmpty()) return;
    const QByteArray path = PathCodec::Encode(LogFilePath(now.date()));
    // Through the path codec: a file name whose bytes are not UTF-8 is logged with its own bytes.
    const QByteArray bytes = PathCodec::Encode(FormatLogLine(now, values)) + "\r\n";
    // One open, one write, one close: no handle stays open, so anyone may read or delete the
    // file between lines; O_APPEND keeps lines of two running instances whole.
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    const char* p = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        left -= static_cast<size_t>(n);
    }
    ::close(fd);
}
