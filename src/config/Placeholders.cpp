#include "config/Placeholders.h"

#include "platform/Clock.h"
#include "platform/SystemInfo.h"

#include <QProcessEnvironment>

#include <ctime>

namespace {

constexpr qsizetype kMaxExpandedChars = 32767;

void ReplaceAll(QString& text, QLatin1String placeholder, const QString& value) {
    text.replace(placeholder, value, Qt::CaseInsensitive);
}

// Known folders are only asked for when their placeholder is there: asking may create them.
void ReplaceKnownFolder(QString& text, QLatin1String placeholder, KnownFolder folder) {
    if (!text.contains(placeholder, Qt::CaseInsensitive)) return;
    ReplaceAll(text, placeholder, GetKnownFolder(folder, true, false));
}

// The C library's formats of the current LC_TIME locale ("%x" date, "%X" time).
QString LocaleTimeText(const QDateTime& moment, const char* format) {
    std::tm tm{};
    const QDate d = moment.date();
    const QTime t = moment.time();
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    tm.tm_hour = t.hour();
    tm.tm_min = t.minute();
    tm.tm_sec = t.second();
    tm.tm_wday = d.dayOfWeek() % 7;
    tm.tm_yday = d.dayOfYear() - 1;
    tm.tm_isdst = -1;
    char buffer[256];
    const size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(n));
}

QString TwoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

QString UserProfileName() {
    QString home = qEnvironmentVariable("HOME");
    while (home.size() > 1 && home.endsWith(QLatin1Char('/'))) home.chop(1);
    return home.mid(home.lastIndexOf(QLatin1Char('/')) + 1);
}

// %NAME% from the process environment. Names the environment does not hold stay as written,
// percent signs included, and the scan goes on after their closing percent sign.
QString ExpandEnvironment(const QString& text) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), i);
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            out += QStringView(text).mid(open);
            break;
        }
        const QString name = text.mid(open + 1, close - open - 1);
        if (!name.isEmpty() && env.contains(name)) {
            out += env.value(name);
        } else {
            out += QStringView(text).mid(open, close - open + 1);
        }
        i = close + 1;
    }
    return out.left(kMaxExpandedChars);
}

// "//" anywhere but at the very start becomes "/", so a network path keeps its leading pair.
QString CollapseDoubledSlashes(const QString& text) {
    if (text.isEmpty()) return text;
    QString out(text.at(0));
    for (qsizetype i = 1; i < text.size(); ++i) {
        // The second character may repeat a leading "/"; later ones may not.
        if (text[i] == QLatin1Char('/') && out.size() > 1 && out.back() == QLatin1Char('/')) continue;
        out += text[i];
    }
    return out;
}

QString TrimBlanks(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == QLatin1Char(' ')) ++start;
    while (end > start && text[end - 1] == QLatin1Char(' ')) --end;
    return text.mid(start, end - start);
}

}  // namespace

QString ExpandPathPlaceholders(const QString& input) {
    QString text = TrimBlanks(input);
    if (!text.contains(QLatin1Char('%')) && !text.contains(QLatin1String("//"))) return text;

    // On this system the user's "Temp" and "Tmp" values are the temporary folder itself.
    ReplaceAll(text, QLatin1String("%Temp%"), TempFolder());
    ReplaceAll(text, QLatin1String("%Tmp%"), TempFolder());
    ReplaceKnownFolder(text, QLatin1String("%AppData%"), KnownFolder::AppData);
    ReplaceKnownFolder(text, QLatin1String("%MyDocuments%"), KnownFolder::Documents);
    ReplaceKnownFolder(text, QLatin1String("%MyMusic%"), KnownFolder::Music);
    ReplaceKnownFolder(text, QLatin1String("%MyPictures%"), KnownFolder::Pictures);
    ReplaceKnownFolder(text, QLatin1String("%MyVideo%"), KnownFolder::Videos);
    if (text.contains(QLatin1String("%AppDir%"), Qt::CaseInsensitive)) {
        ReplaceAll(text, QLatin1String("%AppDir%"), ProgramFolder());
    }

    // One moment for every date and time placeholder of this call.
    const QDateTime now = Clock::Now();
    if (text.contains(QLatin1String("%Now%"), Qt::CaseInsensitive)) {
        ReplaceAll(text, QLatin1String("%Now%"), LocaleTimeText(now, "%x %X"));
    }
    if (text.contains(QLatin1String("%Date%"), Qt::CaseInsensitive)) {
        ReplaceAll(text, QLatin1String("%Date%"), LocaleTimeText(now, "%x"));
    }
    ReplaceAll(text, QLatin1String("%Day%"), TwoDigits(now.date().day()));
    ReplaceAll(text, QLatin1String("%Month%"), TwoDigits(now.date().month()));
    ReplaceAll(text, QLatin1String("%Year%"), QStringLiteral("%1").arg(now.date().year(), 4, 10, QLatin1Char('0')));
    ReplaceAll(text, QLatin1String("%Year2%"), TwoDigits(now.date().year() % 100));
    if (text.contains(QLatin1String("%Time%"), Qt::CaseInsensitive)) {
        ReplaceAll(text, QLatin1String("%Time%"), LocaleTimeText(now, "%X"));
    }
    ReplaceAll(text, QLatin1String("%Hour%"), TwoDigits(now.time().hour()));
    ReplaceAll(text, QLatin1String("%Min%"), TwoDigits(now.time().minute()));
    ReplaceAll(text, QLatin1String("%Sec%"), TwoDigits(now.time().second()));
    ReplaceAll(text, QLatin1String("%UserProfileName%"), UserProfileName());
    ReplaceAll(text, QLatin1String("%LF%"), QStringLiteral("\r\n"));

    text = ExpandEnvironment(text);
    return CollapseDoubledSlashes(text);
}
