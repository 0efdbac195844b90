#include "ui/dialogs/dlgProfile.h"

#include "ui_dlgProfile.h"

#include "config/TimeText.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/main/HelpKeys.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include <optional>

namespace {

// Passwords show one bullet per character, the bullet of the original code page.
constexpr char16_t PasswordBullet = 0x2022;

// The time of a time lag text when it is one and lies under one day.
std::optional<double> TimeLagOf(const QString& text) {
    const std::optional<double> days = ParseTimeLag(text.trimmed());
    if (!days || *days < 0 || *days >= 1.0) return std::nullopt;
    return days;
}

}  // namespace

void dlgProfile::ShowModal(QWidget* owner, CurrentProfileState& profile,
                           const std::function<void()>& compareOptionsChanged,
                           const std::function<void()>& listNamesChanged) {
    QWidget* window = owner ? owner : QApplication::activeWindow();
    dlgProfile dialog(profile, window);
    if (compareOptionsChanged) connect(&dialog, &dlgProfile::CompareOptionsChanged, &dialog, compareOptionsChanged);
    if (listNamesChanged) connect(&dialog, &dlgProfile::ListNamesChanged, &dialog, listNamesChanged);
    dialog.exec();
    if (window) {
        window->activateWindow();
        window->setFocus();
    }
}

dlgProfile::dlgProfile(CurrentProfileState& profile, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::dlgProfile>()), profile_(profile) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    MakeHelpLabelsClickable(this);  // "Help = F1" and "Assistant = F2" answer a click too
    LocalizeControls(this);
    ui->lblVersion->setText(QStringLiteral("%1.%2.%3").arg(TANDOR_VERSION_MAJOR).arg(TANDOR_VERSION_MINOR).arg(TANDOR_VERSION_PATCH));
    ui->lblVersion->setAccessibleName(FormatMsg(DialogMsg::ProgramVersion));
    ui->txtListName_0->setAccessibleName(FormatMsg(DialogMsg::ListNameLeft));
    ui->txtListName_1->setAccessibleName(FormatMsg(DialogMsg::ListNameRight));
    for (QLineEdit* box : {ui->txtPassword_0, ui->txtPassword_1})
        box->setStyleSheet(QStringLiteral("lineedit-password-character: %1").arg(static_cast<int>(PasswordBullet)));
    for (QLineEdit* box : {ui->txtListName_0, ui->txtListName_1, ui->txtUsername_0, ui->txtUsername_1,
                           ui->txtPassword_0, ui->txtPassword_1, ui->txtTimeLag})
        box->installEventFilter(this);
    Fill();
    ConnectControls();
}

dlgProfile::~dlgProfile() = default;

QCheckBox* dlgProfile::chkSynchMedium(int side) const { return side == 0 ? ui->chkSynchMedium_0 : ui->chkSynchMedium_1; }
QCheckBox* dlgProfile::chkCompOption(int index) const {
    return index == 0 ? ui->chkCompOption_0 : index == 1 ? ui->chkCompOption_1 : ui->chkCompOption_2;
}
QCheckBox* dlgProfile::chkResetArchiveAttr(int index) const {
    return index == 0 ? ui->chkResetArchiveAttr_0 : ui->chkResetArchiveAttr_1;
}
QLineEdit* dlgProfile::txtTimeLag() const { return ui->txtTimeLag; }
QLineEdit* dlgProfile::txtListName(int side) const { return side == 0 ? ui->txtListName_0 : ui->txtListName_1; }
QLineEdit* dlgProfile::txtUsername(int side) const { return side == 0 ? ui->txtUsername_0 : ui->txtUsername_1; }
QLineEdit* dlgProfile::txtPassword(int side) const { return side == 0 ? ui->txtPassword_0 : ui->txtPassword_1; }
QWidget* dlgProfile::cmdOK() const { return ui->cmdOK; }

void dlgProfile::Fill() {
    filling_ = true;
    const ProfileOptions& o = profile_.profile.Options;
    for (int s = 0; s < 2; ++s) {
        const auto side = static_cast<size_t>(s);
        txtListName(s)->setText(o.ListName[side]);
        chkSynchMedium(s)->setChecked(o.SynchMedium[side]);
        txtUsername(s)->setText(o.Username[side]);
        txtPassword(s)->setText(o.Password[side]);
    }
    chkCompOption(0)->setChecked(o.CheckArchiveAttr != 0);
    chkCompOption(1)->setChecked(o.CompareDate);
    chkCompOption(2)->setChecked(o.CompareSize);
    txtTimeLag()->setText(TimeLagText(o.TimeLag < 1.0 && o.TimeLag >= 0 ? o.TimeLag : 0.0));
    chkResetArchiveAttr(0)->setChecked(o.ResetArchiveAttrSource);
    chkResetArchiveAttr(1)->setChecked(o.ResetArchiveAttrDest);
    ui->chkPropagateDeletions->setChecked(o.PropagateDeletions);
    ShowMediumRule();
    CompareDateChanged();
    ui->cmdOK->setEnabled(false);
    filling_ = false;
}

void dlgProfile::ConnectControls() {
    for (int s = 0; s < 2; ++s) {
        connect(chkSynchMedium(s), &QCheckBox::clicked, this, [this, s] { MediumClicked(s); });
        connect(txtListName(s), &QLineEdit::textEdited, this, [this] {
            listNamesChanged_ = true;
            Changed();
        });
        connect(txtUsername(s), &QLineEdit::textEdited, this, &dlgProfile::Changed);
        connect(txtPassword(s), &QLineEdit::textEdited, this, &dlgProfile::Changed);
        connect(chkResetArchiveAttr(s), &QCheckBox::clicked, this, &dlgProfile::Changed);
    }
    connect(ui->chkPropagateDeletions, &QCheckBox::clicked, this, &dlgProfile::Changed);
    for (int i = 0; i < 3; ++i) {
        connect(chkCompOption(i), &QCheckBox::clicked, this, [this] {
            compareOptionsChanged_ = true;
            CompareDateChanged();
            Changed();
        });
    }
    connect(txtTimeLag(), &QLineEdit::textEdited, this, [this] {
        compareOptionsChanged_ = true;
        Changed();
    });
    connect(ui->cmdOK, &QPushButton::clicked, this, &dlgProfile::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &dlgProfile::cmdCancel_Click);
}

void dlgProfile::Changed() {
    if (!filling_) ui->cmdOK->setEnabled(true);
}

void dlgProfile::MediumClicked(int side) {
    // One side at most is the medium.
    if (chkSynchMedium(side)->isChecked()) chkSynchMedium(1 - side)->setChecked(false);
    ShowMediumRule();
    Changed();
}

void dlgProfile::ShowMediumRule() {
    const bool medium = chkSynchMedium(0)->isChecked() || chkSynchMedium(1)->isChecked();
    if (medium) {
        // A medium is recognised by the archive attribute alone, and marks files itself.
        chkCompOption(0)->setChecked(true);
        chkCompOption(0)->setEnabled(false);
        for (int i = 0; i < 2; ++i) {
            chkResetArchiveAttr(i)->setCheckState(Qt::PartiallyChecked);
            chkResetArchiveAttr(i)->setEnabled(false);
        }
        return;
    }
    chkCompOption(0)->setEnabled(true);
    for (int i = 0; i < 2; ++i) {
        QCheckBox* box = chkResetArchiveAttr(i);
        if (box->checkState() == Qt::PartiallyChecked) box->setCheckState(Qt::Unchecked);
        box->setTristate(false);
        box->setEnabled(true);
    }
}

void dlgProfile::CompareDateChanged() {
    const bool on = chkCompOption(1)->isChecked();
    txtTimeLag()->setEnabled(on);
    ui->lblTimeLag->setEnabled(on);
}

bool dlgProfile::ValidateTimeLag() {
    const std::optional<double> days = TimeLagOf(txtTimeLag()->text());
    if (!days) {
        Host().AppMessageBox(FormatMsg(DialogMsg::TimeLagInvalid), MsgBox::OKOnly | MsgBox::Exclamation);
        txtTimeLag()->setFocus();
        txtTimeLag()->selectAll();
        return false;
    }
    const QString normal = TimeLagText(*days);
    if (normal != txtTimeLag()->text()) txtTimeLag()->setText(normal);
    return true;
}

void dlgProfile::cmdOK_Click() {
    // A time lag still being typed is checked as leaving its box would check it.
    if (chkCompOption(1)->isChecked() && !ValidateTimeLag()) return;
    ui->cmdOK->setEnabled(false);
    if (compareOptionsChanged_) emit CompareOptionsChanged();
    ProfileOptions& o = profile_.profile.Options;
    for (int s = 0; s < 2; ++s) {
        const auto side = static_cast<size_t>(s);
        o.ListName[side] = txtListName(s)->text();
        o.Username[side] = txtUsername(s)->text();
        o.Password[side] = txtPassword(s)->text();
        o.SynchMedium[side] = chkSynchMedium(s)->isChecked();
    }
    o.CheckArchiveAttr = chkCompOption(0)->isChecked() ? 32 : 0;
    o.CompareDate = chkCompOption(1)->isChecked();
    o.TimeLag = o.CompareDate ? TimeLagOf(txtTimeLag()->text()).value_or(0.0) : MaxDateValue;
    o.CompareSize = chkCompOption(2)->isChecked();
    o.ResetArchiveAttrSource = chkResetArchiveAttr(0)->checkState() == Qt::Checked;
    o.ResetArchiveAttrDest = chkResetArchiveAttr(1)->checkState() == Qt::Checked;
    o.PropagateDeletions = ui->chkPropagateDeletions->isChecked();
    if (listNamesChanged_) emit ListNamesChanged();
    const QList<FolderPair>& pairs = profile_.profile.Pairs;
    if (!pairs.isEmpty() && !pairs.last().Dir[0].isEmpty()) profile_.ProfileChanged = true;
    accept();
}

void dlgProfile::cmdCancel_Click() { reject(); }

bool dlgProfile::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::FocusIn) QTimer::singleShot(0, box, &QLineEdit::selectAll);
    if (box == txtTimeLag() && event->type() == QEvent::FocusOut && isVisible()) {
        // Leaving for Cancel, for another window (the message box itself) or a closing dialog
        // checks nothing: Cancel must always work.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        const bool towardsCancel = next == ui->cmdCancel || ui->cmdCancel->underMouse();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !towardsCancel)
            QTimer::singleShot(0, this, [this] {
                if (isVisible() && txtTimeLag()->isEnabled()) ValidateTimeLag();
            });
    }
    return QDialog::eventFilter(watched, event);
}

void dlgProfile::keyPressEvent(QKeyEvent* event) {
    if (PassHelpKey(event)) return;
    QDialog::keyPressEvent(event);
}
