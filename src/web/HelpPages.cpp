#include "web/HelpPages.h"

#include "config/StartupSwitches.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/frmMain.h"
#include "web/HelpContent.h"
#include "web/PageProtocol.h"
#include "web/frmWizard.h"

void SetUrl(const QString& page, bool online) { frmWizard::Get()->SetUrl(page, online); }

void OpenAssistant() {
    Switches().WizardRequested = true;
    SetUrl(QStringLiteral("wizard.htm"), false);
}

void OpenHelpForKey(int key, QWidget* window) {
    // The browser window handles its own keys.
    if (window && window == frmWizard::Current()) return;
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
    protocol.RegisterMethod(name, QStringLiteral("RestoreExampleFiles"),
                            [&window](const QVariantList& args) {
                                if (args.isEmpty()) window.RestoreExampleFiles();
                            });
}
