#include "ui/dialogs/dlgLanguage.h"

#include "ui_dlgLanguage.h"

#include "config/ProgramSettings.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "platform/IniFile.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/main/HelpKeys.h"

#include <QCloseEvent>
#include <QDir>
#include <QLocale>

bool dlgLanguage::ShowModal(QWidget* owner, std::function<void()> onLanguageChanged) {
    dlgLanguage dialog(owner);
    dialog.languageChanged = std::move(onLanguageChanged);
    dialog.exec();
    return dialog.Confirmed();
}

QStringList dlgLanguage::LanguageNames() {
    const QString suffix = QStringLiteral(".lang");
    QStringList names;
    const QStringList files = QDir(ProgramFolder()).entryList({QStringLiteral("*.lang")},
                                                              QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QString& file : files)
        if (file.endsWith(suffix)) names << file.left(file.size() - suffix.size());
    return names;
}

// On a first start the list offers the language of the locale (each language file names
// its code under 1246), else English, so that Enter alone starts the program in a language the
// user reads.
QString dlgLanguage::FirstStartSuggestion() {
    const QString wanted = QLocale().name().section(QLatin1Char('_'), 0, 0);
    QString english;
    for (const QString& name : LanguageNames()) {
        const QString file = ProgramFolder() + QLatin1Char('/') + name + QStringLiteral(".lang");
        const QString code = IniFile::GetString(file, QString(), QString::number(DialogMsg::LanguageCode), QString());
        if (code == wanted) return name;
        if (code == QLatin1String("en")) english = name;
    }
    return english;
}

dlgLanguage::dlgLanguage(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::dlgLanguage>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    // Only the very name of the current language is chosen beforehand; one that differs in
    // letter case is listed but not taken for it.
    const QString current = Settings().LanguageName;
    int selected = -1;
    for (const QString& name : LanguageNames()) {
        ui->cboLanguage->addItem(name);
        if (name == current) selected = ui->cboLanguage->count() - 1;
    }
    if (current.isEmpty()) selected = ui->cboLanguage->findText(FirstStartSuggestion());
    ui->cboLanguage->setCurrentIndex(selected);
    // Before any language is chosen the label keeps its design text, which asks in two languages.
    if (!current.isEmpty()) LocalizeControls(this);
    connect(ui->cmdOK, &QPushButton::clicked, this, &dlgLanguage::cmdOK_Click);
    ui->cboLanguage->setFocus();
}

dlgLanguage::~dlgLanguage() = default;

void dlgLanguage::cmdOK_Click() {
    const int index = ui->cboLanguage->currentIndex();
    if (index < 0) {
        close();  // refused while nothing is chosen
        return;
    }
    ProgramSettings& settings = Settings();
    settings.LanguageName = ui->cboLanguage->itemText(index);
    // A settings file that cannot be written leaves the choice for this run only.
    WriteSettingsString(QStringLiteral("General"), QStringLiteral("Language"), settings.LanguageName);
    ReloadLocalizer();
    LocalizeControls(this);
    if (languageChanged) languageChanged();
    confirmed_ = true;
    accept();
}

bool dlgLanguage::MayClose() {
    if (confirmed_ || ui->cboLanguage->count() == 0 || ui->cboLanguage->currentIndex() >= 0) return true;
    Host().Beep();
    return false;
}

void dlgLanguage::closeEvent(QCloseEvent* event) {
    if (!MayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void dlgLanguage::reject() {
    if (MayClose()) QDialog::reject();
}

void dlgLanguage::keyPressEvent(QKeyEvent* event) {
    if (!PassHelpKey(event)) QDialog::keyPressEvent(event);
}
