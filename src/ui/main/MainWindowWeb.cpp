#include "ui/main/MainWindowWeb.h"

#include "engine/RunHost.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/frmMain.h"
#include "web/HelpPages.h"
#include "web/PageProtocol.h"
#include "web/WebNotice.h"

#include <QApplication>

namespace {
void ShowWebNotice(const QString& text, const QString& title, NoticeKind kind) {
    const uint32_t icon = kind == NoticeKind::Warning ? MsgBox::Exclamation : MsgBox::Information;
    dlgMsgBox::ShowMsg(text, icon, title, QApplication::activeWindow());
}

void RegisterPageCommands(frmMain& window) {
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
    protocol.RegisterMethod(name, QStringLiteral("RestoreExampleFiles"), [&window](const QVariantList& args) {
        if (args.isEmpty()) window.RestoreExampleFiles();
    });
}
}  // namespace

void ConnectMainWindowToWeb(frmMain& window) {
    HelpKeyHandler() = OpenHelpForKey;
    WebNoticeHandler() = ShowWebNotice;
    RegisterPageCommands(window);
}
