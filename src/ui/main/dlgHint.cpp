#include "ui/main/dlgHint.h"

#include "ui_dlgHint.h"

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"

#include "ui/main/HelpKeys.h"

#include <QKeyEvent>

void dlgHint::ShowModal(QWidget* owner) {
    dlgHint hint(owner);
    hint.exec();
}

dlgHint::dlgHint(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::dlgHint>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    LocalizeControls(this);

    ui->lblVersion->setText(QStringLiteral("%1.%2.%3")
                                .arg(TANDOR_VERSION_MAJOR)
                                .arg(TANDOR_VERSION_MINOR)
                                .arg(TANDOR_VERSION_PATCH));
    // The hint is the ten texts in order; each brings its own line breaks.
    QString info;
    for (int i = 1; i <= 10; ++i) info += FormatMsg(QString::number(i) + QStringLiteral("hint"));
    ui->txtInfo->setPlainText(info);
    ui->txtInfo->setAccessibleName(windowTitle());
    ui->chkAgain->setChecked(Settings().DontShowHint);

    connect(ui->chkAgain, &QCheckBox::toggled, this, &dlgHint::chkAgain_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    ui->cmdOK->setFocus();
}

dlgHint::~dlgHint() = default;

QString dlgHint::InfoText() const { return ui->txtInfo->toPlainText(); }
QString dlgHint::VersionText() const { return ui->lblVersion->text(); }

void dlgHint::chkAgain_Click(bool checked) {
    Settings().DontShowHint = checked;
    WriteSettingsString(QStringLiteral("General"), QStringLiteral("DontShowHint"),
                        checked ? QStringLiteral("1") : QStringLiteral("0"));
}

void dlgHint::keyPressEvent(QKeyEvent* event) {
    if (!PassHelpKey(event, this)) QDialog::keyPressEvent(event);
}
