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
#include <langinfo.h>
#include <unistd.h>

QByteArray WithFourDigitYear(const QByteArray& format) {
    QByteArray out;
    out.reserve(format.size() + 8);
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        // One conversion: "%", flags and width, an E or O modifier, the letter.
        qsizetype j = i + 1;
        while (j < format.size() && format[j] != '\0' && std::strchr("_-0^#123456789", format[j])) ++j;
        const bool era = j < format.size() && format[j] == 'E';
        if (j < format.size() && (format[j] == 'E' || format[j] == 'O')) ++j;
        if (j >= format.size()) {
            out += format.mid(i);
            break;
        }
        const char letter = format[j];
        if (letter == 'y') out += era ? "%EY" : "%Y";
        else if (letter == 'D') out += "%m/%d/%Y";
        else out += format.mid(i, j - i + 1);
        i = j;
    }
    return out;
}

QString GeneralDateTimeText(const QDateTime& local) {
    const char* current = std::setlocale(LC_TIME, nullptr);
    // The C locale (also its UTF-8 twin, the usual locale of cron and containers) writes dates
    // month first with a two-digit year; the ISO form says the same unambiguously.
    const bool plainC = !current || std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0 ||
                        std::strncmp(current, "C.", 2) == 0;
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
    // The user's own date and time forms, but never a two-digit year: a log is read for years.
    const QByteArray format = WithFourDigitYear(QByteArray(::nl_langinfo(D_FMT)) + ' ' + ::nl_langinfo(T_FMT));
    char buf[256];
    const size_t n = std::strftime(buf, sizeof buf, format.constData(), &tm);
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

QString LogPath(const QString& path) {
    QString out;
    out.reserve(path.size());
    for (const QChar c : path) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        default:
            // C0, DEL and C1 controls; the line and paragraph separators end a line for many
            // readers. Lone surrogates (bytes that are not UTF-8) pass: they are written as the
            // name's own bytes.
            if (c.category() == QChar::Other_Control)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

namespace {
QString LogFolder() {
    QString folder = ExpandPathPlaceholders(Settings().LogfilesFolder);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

std::optional<LogWriteFailure>& LastFailure() {
    static std::optional<LogWriteFailure> failure;
    return failure;
}
}  // namespace

std::optional<LogWriteFailure> LastLogWriteFailure() { return LastFailure(); }
void ForgetLogWriteFailureForTests() { LastFailure().reset(); }

QString LogFilePath(const QDate& day) {
    return LogFolder() + QLatin1Char('/') + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
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
    int error = fd < 0 ? errno : 0;
    const char* p = bytes.constData();
    size_t left = fd < 0 ? 0 : static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (fd >= 0 && ::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    // The run goes on without its log; the end of an unattended run says where it failed.
    if (error != 0) LastFailure() = LogWriteFailure{LogFolder(), error};
}
