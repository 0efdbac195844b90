#include "ui/dialogs/dlgMakeLink.h"

#include "ui_dlgMakeLink.h"

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "launch/DesktopEntry.h"
#include "launch/ShortcutCommand.h"
#include "platform/LaunchTools.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/dlgMsgBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>

namespace {
constexpr uint32_t ExclamationIcon = 48;

QString ProgramPath() { return ProgramExecutablePath(); }
}  // namespace

std::function<uint32_t(const QString&, uint32_t, QWidget*)>& dlgMakeLink::MessageHandler() {
    static std::function<uint32_t(const QString&, uint32_t, QWidget*)> handler =
        [](const QString& text, uint32_t buttons, QWidget* parent) { return dlgMsgBox::ShowMsg(text, buttons, QString(), parent); };
    return handler;
}

std::function<QString(const QString&, const QString&, QWidget*)>& dlgMakeLink::FolderBrowser() {
    static std::function<QString(const QString&, const QString&, QWidget*)> browser =
        [](const QString& title, const QString& start, QWidget* parent) {
            return QFileDialog::getExistingDirectory(parent, title, start);
        };
    return browser;
}

void dlgMakeLink::ShowModal(QWidget* owner) {
    dlgMakeLink dialog(owner);
    if (owner) owner->setEnabled(false);
    dialog.setEnabled(true);
    dialog.exec();
    if (owner) {
        owner->setEnabled(true);
        owner->activateWindow();
    }
}

dlgMakeLink::dlgMakeLink(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::dlgMakeLink>()), shortcutFolder_(Settings().ShortcutFolder),
      runAsTool_(RunAsTool()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    MakeHelpLabelsClickable(this);  // "Help = F1" and "Assistant = F2" answer a click too
    LocalizeControls(this);

    ui->chkAuto->setEnabled(!CurrentProfile().ProfilePath.isEmpty());
    // Run-as goes through pkexec; without it the option is withheld. pkexec keeps no password
    // for later, so the saved-password box stays off.
    ui->chkRunAs->setEnabled(!runAsTool_.isEmpty());
    ui->txtUser->setEnabled(false);
    ui->chkRunAsPassword->setEnabled(false);
    ui->cmdOK->setEnabled(false);
    ui->cmdGetDir->setAccessibleName(ui->cmdGetDir->toolTip());

    connect(ui->txtName, &QLineEdit::textChanged, this, [this](const QString& t) { ui->cmdOK->setEnabled(!t.isEmpty()); });
    connect(ui->chkRunAs, &QCheckBox::clicked, this, &dlgMakeLink::chkRunAs_Click);
    connect(ui->cmdGetDir, &QToolButton::clicked, this, &dlgMakeLink::cmdGetDir_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, [this] {
        if (cmdOK_Click()) accept();
    });
    connect(ui->cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    ShowFolder();
}

dlgMakeLink::~dlgMakeLink() = default;

void dlgMakeLink::ShowFolder() {
    const QFontMetrics metrics(ui->txtPath->font());
    ui->txtPath->setText(metrics.elidedText(shortcutFolder_, Qt::ElideMiddle, ui->txtPath->width() - 8));
    ui->txtPath->setToolTip(shortcutFolder_);
}

void dlgMakeLink::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowFolder();
}

void dlgMakeLink::chkRunAs_Click() {
    const bool on = ui->chkRunAs->isChecked();
    ui->txtUser->setEnabled(on);
    ui->txtUser->clear();
    ui->chkRunAsPassword->setChecked(false);
}

void dlgMakeLink::cmdGetDir_Click() {
    setEnabled(false);
    const QString folder = FolderBrowser()(FormatMsg(DialogMsg::SelectShortcutFolder), shortcutFolder_, this);
    if (!folder.isEmpty()) {
        shortcutFolder_ = folder;
        ShowFolder();
    }
    setEnabled(true);
    raise();
    activateWindow();
}

bool dlgMakeLink::cmdOK_Click() {
    const bool runAs = ui->chkRunAs->isChecked();
    if (runAs && ui->txtUser->text().isEmpty()) {
        MessageHandler()(FormatMsg(DialogMsg::ShortcutUserMissing), ExclamationIcon, this);
        ui->txtUser->setFocus();
        return false;
    }
    const QString fileName = ShortcutFileName(ui->txtName->text());
    if (fileName.isEmpty()) {
        MessageHandler()(FormatMsg(DialogMsg::NoShortcutName, {ui->txtName->text()}), ExclamationIcon, this);
        return false;
    }
    const QString profilePath = CurrentProfile().ProfilePath;
    for (const QString& text : {profilePath, ui->txtDescription->text(), ui->txtUser->text()})
        if (!DesktopCanCarry(text)) {
            MessageHandler()(FormatMsg(DialogMsg::LineBreakInText, {text}), ExclamationIcon, this);
            return false;
        }

    ShortcutChoice choice;
    choice.programPath = ProgramPath();
    choice.profilePath = profilePath;
    choice.autoRun = ui->chkAuto->isEnabled() && ui->chkAuto->isChecked();
    choice.dontAsk = ui->chkDontAsk->isChecked();
    choice.hide = ui->chkHide->isChecked();
    if (runAs) {
        choice.runAsUser = ui->txtUser->text();
        choice.runAsTool = runAsTool_;
    }
    const ShortcutCommand command = BuildShortcutCommand(choice);

    ShortcutSpec shortcut;
    shortcut.filePath = shortcutFolder_ + QLatin1Char('/') + fileName;
    shortcut.name = ui->txtName->text();
    shortcut.target = command.target;
    shortcut.arguments = command.arguments;
    shortcut.workingFolder = ProgramFolder();
    shortcut.iconPath = QString::fromLatin1(ApplicationId);
    shortcut.description = ui->txtDescription->text();
    // The default folder (the desktop or the applications menu) may not exist yet.
    QDir().mkpath(shortcutFolder_);
    if (const QString error = CreateShortcut(shortcut); !error.isEmpty()) {
        MessageHandler()(FormatMsg(DialogMsg::ShortcutNotWritten, {shortcut.filePath, error}), ExclamationIcon, this);
        return false;
    }
    // The program's own menu entry and icon, so that the shortcut's icon shows and the desktop's
    // menu finds the program too; only now that there is a shortcut that needs them. The
    // shortcut is written either way, so a failure here does not undo it.
    InstallProgramMenuEntry(UserDataHome(), SystemDataFolders(), ProgramPath(),
                            ProgramFolder() + QStringLiteral("/tandor.svg"));
    Settings().ShortcutFolder = shortcutFolder_;
    WriteUserRegistryValue(QStringLiteral("CurrentVersion"), QStringLiteral("ShortcutFolder"), shortcutFolder_);
    return true;
}

void dlgMakeLink::keyPressEvent(QKeyEvent* event) {
    if (!PassHelpKey(event)) QDialog::keyPressEvent(event);
}
