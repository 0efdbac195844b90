#include "web/HelpPages.h"

#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/frmMain.h"
#include "web/BrowserModule.h"
#include "web/HelpContent.h"
#include "web/PageProtocol.h"

#include <QApplication>

namespace {
constexpr uint32_t ExclamationIcon = 48;
}  // namespace

void SetUrl(const QString& page, bool online) {
    QString reason;
    if (BrowserWindow* browser = GetBrowserWindow(&reason)) {
        browser->SetUrl(page, online);
        return;
    }
    // No assistant is open, as after the browser window has closed.
    Switches().WizardRequested = false;
    // The loader has logged the reason; the user who asked for help is told it too.
    dlgMsgBox::ShowMsg(FormatMsg(1250, {reason}), ExclamationIcon, FormatMsg(101), QApplication::activeWindow());
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

void InstallHelpKeys() { HelpKeyHandler() = OpenHelpForKey; }

void RegisterMainWindowPageCommands(frmMain& window) {
    const QString name = window.objectName();
    PageProtocol& protocol = PageProtocol::Instance();
    protocol.UnregisterWindow(name);
    for (const char* button : {"cmdLoad", "cmdSave", "cmdAdd", "cmdEdit", "cmdCompare", "cmdSynch",
                               "cmdTreeAndSearch", "cmdExtras"})
        protocol.RegisterButton(name, QString::fromLatin1(button));
    // The assistant opens an example profile and restores the example folders first.
    protocol.RegisterMethod(name, QStringLiteral("OpenExampleProfile"), [&window](const QVariantList& args) {
        if (args.size() == 1 && args[0].typeId() == QMetaType::Int) window.OpenExampleProfile(args[0].toInt());
    });
    // "Don't show this at start" on the start-up page: 1 keeps the start-up information away,
    // 0 brings it back.
    protocol.RegisterMethod(name, QStringLiteral("NoStartupInfo"), [&window](const QVariantList& args) {
        if (args.size() == 1 && args[0].typeId() == QMetaType::Int) window.SetNoStartupInfo(args[0].toInt() != 0);
    });
    protocol.RegisterMethod(name, QStringLiteral("RestoreExampleFiles"),
                            [&window](const QVariantList& args) {
                                if (args.isEmpty()) window.RestoreExampleFiles();
                            });
}
