#include "web/UpdateCheck.h"

#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/SystemBrowser.h"
#include "platform/SystemInfo.h"
#include "web/BrowserModule.h"
#include "web/WebLog.h"
#include "web/WebMessages.h"
#include "web/WebNotice.h"

#include <QSysInfo>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <unistd.h>

namespace {
constexpr double kMaxDaysToNextCheck = 36500;  // a hundred years: anything longer is a broken answer

QString Version() {
    return QStringLiteral("%1.%2.%3").arg(TANDOR_VERSION_MAJOR).arg(TANDOR_VERSION_MINOR).arg(TANDOR_VERSION_PATCH);
}
QString ProgramTitle() { return FormatMsg(WebMessage::ProgramTitle); }

// The update page comes from the network, so what it names is opened only as a web address: a
// file address would have the desktop open a local file, folder or launcher on a remote page's
// word, and other schemes start whatever handles them.
bool OpenAddressOfUpdatePage(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        qCWarning(lcWeb) << "update page: address refused, not a web address:" << address;
        return false;
    }
    if (OpenInSystemBrowser(address)) return true;
    qCWarning(lcWeb) << "update page: address not opened:" << address;
    return false;
}

void TellAboutUpdate(const QString& text, const QString& title) { TellUser(text, title, NoticeKind::Information); }
}  // namespace

QString UpdateQueryString() {
    // What the server needs to pick an answer: which version asks and on which system. Nothing
    // that tells one user or machine from another (no stored tokens, no start count) leaves here.
    return QStringLiteral("?v=") + Version() + QStringLiteral("&os=") + QSysInfo::productType();
}

QString UpdateAddress(bool manual) {
    return FormatMsg(QStringLiteral("homepage")) + QStringLiteral("update") +
           (manual ? QStringLiteral("manual") : QString()) + QStringLiteral(".php") + UpdateQueryString();
}

QString NewsAddress() { return FormatMsg(QStringLiteral("homepage")) + QStringLiteral("news.htm") + UpdateQueryString(); }

QString UpdateUserAgent() {
    // The browser's own agent string, then the program's title and version.
    return QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) ") + ProgramTitle() + QLatin1Char(' ') + Version();
}

std::optional<double> RetcodeDays(const QString& content) {
    const QStringList fields = content.split(QLatin1Char(';'));
    if (fields.size() < 2 || fields[1].trimmed().isEmpty()) return 1.0;
    bool ok = false;
    const double days = fields[1].trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(days) || days < 0 || days > kMaxDaysToNextCheck) return std::nullopt;
    return days;
}

UpdateChecks::UpdateChecks(std::function<QString(bool manual)> address) : address_(std::move(address)) {}

UpdateChecks& ProgramUpdateChecks() {
    static UpdateChecks checks;
    return checks;
}

void UpdateChecks::Check(bool manual) {
    if (!manual && started_ >= kMaxAutomaticChecks) return;
    ++started_;
    if (CurrentBrowserWindow()) {
        if (manual) TellAboutUpdate(FormatMsg(WebMessage::BrowserWindowAlreadyOpen), ProgramTitle());
        return;
    }
    QString reason;
    BrowserWindow* wizard = GetBrowserWindow(&reason);
    if (!wizard) {
        // The loader has logged why; an automatic check stays quiet and is tried again later.
        if (manual) TellAboutUpdate(FormatMsg(WebMessage::BrowserCannotOpen, {reason}), ProgramTitle());
        return;
    }
    wizard->SetUpdateAnswerHandler([](const QVariantMap& fields) { ApplyUpdateAnswer(fields); });
    wizard->SetUpdateURL(address_(manual), UpdateUserAgent(), manual);
}

void UpdateChecks::CheckWhenDue() {
    // No contact with the server that the user has not agreed to (a setting, off by default).
    if (!Settings().AutoUpdateCheck || Switches().DontAsk) return;
    if (Settings().NextUpdateCheck <= ToDateValue(Clock::Now())) Check(false);
}

void ApplyUpdateAnswer(const QVariantMap& fields) {
    const QString retcode = fields.value(QStringLiteral("retcode")).toString();
    if (!retcode.isEmpty()) {
        const std::optional<double> days = RetcodeDays(retcode);
        if (!days) {
            qCWarning(lcWeb) << "update page: retcode ignored, impossible days in" << retcode;
        } else {
            ProgramSettings& settings = Settings();
            const double now = ToDateValue(Clock::Now());
            settings.LastUpdateCheck = now;
            settings.NextUpdateCheck = now + *days;
            const QString flags = QStringLiteral("Flags");
            WriteUserRegistryValue(flags, QStringLiteral("LastUpdateCheck"), QString::number(now, 'f', 8));
            WriteUserRegistryValue(flags, QStringLiteral("NextUpdateCheck"),
                                   QString::number(settings.NextUpdateCheck, 'f', 8));
        }
    }
    QString href = fields.value(QStringLiteral("href")).toString();
    href.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    href = href.trimmed();
    if (!href.isEmpty()) OpenAddressOfUpdatePage(href);
    const QString message = fields.value(QStringLiteral("message")).toString();
    if (!message.isEmpty()) {
        QString title = fields.value(QStringLiteral("messageTitle")).toString();
        if (title.isEmpty()) title = ProgramTitle() + QStringLiteral(" Update Information");
        TellAboutUpdate(message, title);
    }
    BrowserWindow* wizard = CurrentBrowserWindow();
    const QString code = fields.value(QStringLiteral("code")).toString();
    if (!code.trimmed().isEmpty()) {
        if (fields.value(QStringLiteral("update")).toBool() && geteuid() != 0) {
            // Code that needs administrator rights is not run by an ordinary user.
            qCWarning(lcWeb) << "update page: code needs administrator rights; not run";
        } else if (!wizard) {
            // The code runs in the browser module's script engine, which only an open window has.
            qCWarning(lcWeb) << "update page: code not run, the browser window is closed";
        } else {
            wizard->tmrUnload().stop();
            wizard->RunUpdateCode(code, {[](const QString& text) { TellAboutUpdate(text, ProgramTitle()); },
                                         [](const QString& address) { OpenAddressOfUpdatePage(address); }});
        }
    }
    if (wizard) wizard->tmrUnload().start();
}

bool OpenNews() { return OpenInSystemBrowser(NewsAddress()); }
