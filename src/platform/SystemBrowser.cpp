#include "platform/SystemBrowser.h"

#include <QProcess>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& Opener() {
    static std::function<bool(const QString&)> opener;
    return opener;
}
}  // namespace

bool OpenInSystemBrowser(const QString& address) {
    // An address from a web page must not become a command or an option of the opener.
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
                           scheme != QLatin1String("file")))
        return false;
    if (Opener()) return Opener()(url.toString());
    // xdg-open hands the address to the desktop's chosen browser, as the desktop services do.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

void SetSystemBrowserForTests(std::function<bool(const QString&)> opener) { Opener() = std::move(opener); }
