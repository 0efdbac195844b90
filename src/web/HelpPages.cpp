#include "web/HelpPages.h"

#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "web/BrowserModule.h"
#include "web/HelpContent.h"
#include "web/WebMessages.h"
#include "web/WebNotice.h"

#include <QWidget>

void SetUrl(const QString& page, bool online) {
    QString reason;
    if (BrowserWindow* browser = GetBrowserWindow(&reason)) {
        browser->SetUrl(page, online);
        return;
    }
    // No assistant is open, as after the browser window has closed.
    Switches().WizardRequested = false;
    // The loader has logged the reason; the user who asked for help is told it too.
    TellUser(FormatMsg(WebMessage::BrowserCannotOpen, {reason}), FormatMsg(WebMessage::ProgramTitle), NoticeKind::Warning);
}

void OpenAssistant() {
    Switches().WizardRequested = true;
    SetUrl(QStringLiteral("wizard.htm"), false);
}

QString StartupInformationPage() { return QStringLiteral("wizard.htm&startup=1"); }

void OpenStartupInformation() {
    Switches().WizardRequested = true;
    SetUrl(StartupInformationPage(), false);
}

void OpenHelpForKey(int key, QWidget* window) {
    // The browser window handles its own keys.
    BrowserWindow* browser = CurrentBrowserWindow();
    if (window && browser && window == browser->Widget()) return;
    const QString ownPage = HelpPageOf(window) + QStringLiteral(".htm");
    switch (key) {
    case Qt::Key_F1: SetUrl(ownPage, false); break;
    case Qt::Key_F2: OpenAssistant(); break;
    case Qt::Key_F3: SetUrl(QStringLiteral("search.htm"), true); break;
    case Qt::Key_F12: SetUrl(ownPage, true); break;
    default: break;
    }
}
