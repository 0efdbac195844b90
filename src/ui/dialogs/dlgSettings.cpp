#include "ui/dialogs/dlgSettings.h"

#include "ui_dlgSettings.h"

#include "config/DefaultSettingsWriter.h"
#include "config/Placeholders.h"
#include "config/ProgramSettings.h"
#include "config/TimeText.h"
#include "engine/LogFile.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/main/HelpKeys.h"
#include "web/UpdateCheck.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QScrollBar>

#include <cerrno>

namespace {
const char* const kTabKeys[] = {"TAB_LISTNAMES", "TAB_INCLUDE", "TAB_OPTIONS1", "TAB_LOGFILE", "TAB_ABOUT"};
constexpr int kLogTab = 3;
constexpr int kZoomEntries = 16;  // 200 down to 50 in steps of 10

// The list position of a zoom: 100 % is position 10. A zoom between two entries shows the
// nearer one; one outside the list its end.
int ZoomRow(int zoom) {
    const int rounded = (qBound(50, zoom, 200) + 5) / 10 * 10;
    return 20 - rounded / 10;
}
}  // namespace

void dlgSettings::ShowModal(QWidget* owner, const QString& tabKey, AppliedHandler onApplied) {
    dlgSettings dialog(owner);
    dialog.applied = std::move(onApplied);
    if (!tabKey.isEmpty()) dialog.SelectTab(tabKey);
    dialog.exec();
}

dlgSettings::dlgSettings(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::dlgSettings>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    LocalizeControls(this);

    ui->lblVersion->setText(QStringLiteral("Tandor %1.%2.%3")
                                .arg(TANDOR_VERSION_MAJOR)
                                .arg(TANDOR_VERSION_MINOR)
                                .arg(TANDOR_VERSION_PATCH));
    const QString homepage = FormatMsg(QStringLiteral("homepage"));
    const QString email = FormatMsg(QStringLiteral("email"));
    ui->lblHomepage->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(homepage.toHtmlEscaped()));
    ui->lblEmail->setText(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(email.toHtmlEscaped()));
    ui->lblHomepage->setOpenExternalLinks(true);
    ui->lblEmail->setOpenExternalLinks(true);
    connect(ui->cmdNews, &QPushButton::clicked, this, [] { OpenNews(); });
    connect(ui->cmdCheckUpdateNow, &QPushButton::clicked, this, [] { CheckForUpdate(true); });

    for (int i = 0; i < kZoomEntries; ++i) {
        const int zoom = 200 - 10 * i;
        ui->lstZoom->addItem(zoom < 100 ? QLatin1Char(' ') + QString::number(zoom) : QString::number(zoom));
    }
    ui->txtSearch_2->setAccessibleName(ui->fraDelete->title().remove(QLatin1Char('*')).trimmed());
    ui->rtfLogFile->setAccessibleName(ui->fraLogFile->title());
    ui->chkResetArchiveAttr_0->setTristate(true);
    ui->chkResetArchiveAttr_1->setTristate(true);

    FillControls();
    ConnectControls();
    ui->cmdApply->setEnabled(false);
}

dlgSettings::~dlgSettings() = default;

void dlgSettings::FillControls() {
    filling_ = true;
    const ProgramSettings& s = Settings();
    const ProfileOptions& o = s.DefaultProfileOptions;
    ui->txtListName_0->setText(o.ListName[0]);
    ui->txtListName_1->setText(o.ListName[1]);
    ui->chkSynchMedium_0->setChecked(o.SynchMedium[0]);
    ui->chkSynchMedium_1->setChecked(o.SynchMedium[1]);
    ui->chkCompOption_0->setChecked(o.CheckArchiveAttr != 0);
    ui->chkCompOption_1->setChecked(o.CompareDate);
    ui->chkCompOption_2->setChecked(o.CompareSize);
    ui->txtTimeLag->setText(o.TimeLag < 1.0 ? TimeLagText(o.TimeLag) : QStringLiteral("00:00:00"));
    const bool medium = o.SynchMedium[0] || o.SynchMedium[1];
    ui->chkResetArchiveAttr_0->setCheckState(medium ? Qt::PartiallyChecked : o.ResetArchiveAttrSource ? Qt::Checked : Qt::Unchecked);
    ui->chkResetArchiveAttr_1->setCheckState(medium ? Qt::PartiallyChecked : o.ResetArchiveAttrDest ? Qt::Checked : Qt::Unchecked);
    ui->chkPropagateDeletions->setChecked(o.PropagateDeletions);

    ui->chkSubDirs->setChecked(s.SubDirs);
    ui->chkSystem_0->setChecked(s.SysDirs);
    ui->chkSystem_1->setChecked(s.SysFiles);
    ui->chkHidden_0->setChecked(s.HiddenDirs);
    ui->chkHidden_1->setChecked(s.HiddenFiles);
    ui->txtSearch_0->setText(s.ExcludeDirs);
    ui->txtSearch_1->setText(s.ExcludeFiles);
    ui->txtSearch_2->setText(s.DeleteFiles);

    ui->chkLogToFile->setChecked(s.LogToFile);
    ui->chkLogChanges->setChecked(s.LogChanges);
    ui->chkButtonBarsWithText->setChecked(s.ButtonBarsWithText);
    ui->chkIgnoreLockedFiles->setChecked(s.IgnoreLockedFiles);
    ui->chkAllowUndo->setChecked(s.AllowUndo);
    ui->chkCancelAfterErrorUnattended->setChecked(s.CancelAfterErrorUnattended);
    ui->chkAutoUpdateCheck->setChecked(s.AutoUpdateCheck);
    ui->chkDontAutoRunAfterError->setChecked(s.DontAutoRunAfterError);
    ui->spnMaxDeletePercent->setValue(s.MaxDeletePercent);
    ui->txtPath_0->setText(s.ProfilesFolder);
    ui->txtPath_1->setText(s.LogfilesFolder);
    ui->lstZoom->setCurrentRow(ZoomRow(s.Zoom));
    UpdateEnabledStates();
    filling_ = false;
}

void dlgSettings::ConnectControls() {
    const auto changes = [this] { Changed(); };
    for (QCheckBox* box : findChildren<QCheckBox*>()) connect(box, &QCheckBox::toggled, this, changes);
    for (QLineEdit* box : findChildren<QLineEdit*>()) connect(box, &QLineEdit::textChanged, this, changes);
    connect(ui->spnMaxDeletePercent, &QSpinBox::valueChanged, this, changes);
    connect(ui->lstZoom, &QListWidget::currentRowChanged, this, changes);
    connect(ui->lstZoom->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { ZoomScrolled(); });

    connect(ui->chkSynchMedium_0, &QCheckBox::clicked, this, [this] { SynchMediumClicked(0); });
    connect(ui->chkSynchMedium_1, &QCheckBox::clicked, this, [this] { SynchMediumClicked(1); });
    for (QCheckBox* box : {ui->chkCompOption_0, ui->chkCompOption_1, ui->chkCompOption_2})
        connect(box, &QCheckBox::clicked, this, [this] { compareOptionsChanged_ = true; });
    connect(ui->txtTimeLag, &QLineEdit::textEdited, this, [this] { compareOptionsChanged_ = true; });
    connect(ui->chkCompOption_1, &QCheckBox::toggled, this, [this] { UpdateEnabledStates(); });
    connect(ui->chkSubDirs, &QCheckBox::toggled, this, [this] { UpdateEnabledStates(); });
    // A reset box that is clicked goes between ticked and clear; the grey state is the program's.
    for (QCheckBox* box : {ui->chkResetArchiveAttr_0, ui->chkResetArchiveAttr_1})
        connect(box, &QCheckBox::clicked, this, [box] {
            if (box->checkState() == Qt::PartiallyChecked) box->setCheckState(Qt::Checked);
        });
    ui->txtTimeLag->installEventFilter(this);
    ui->txtlblF1->installEventFilter(this);
    for (QLineEdit* box : {ui->txtSearch_0, ui->txtSearch_1, ui->txtSearch_2}) {
        box->setAcceptDrops(true);
        box->installEventFilter(this);
    }

    connect(ui->cmdGetDir_0, &QPushButton::clicked, this, [this] { cmdGetDir_Click(0); });
    connect(ui->cmdGetDir_1, &QPushButton::clicked, this, [this] { cmdGetDir_Click(1); });
    connect(ui->cmdApply, &QPushButton::clicked, this, &dlgSettings::cmdApply_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdOpenLogFile, &QPushButton::clicked, this, &dlgSettings::cmdOpenLogFile_Click);
    connect(ui->cmdDeleteLogFiles, &QPushButton::clicked, this, &dlgSettings::cmdDeleteLogFiles_Click);
    connect(ui->tbsMain, &QTabWidget::currentChanged, this, &dlgSettings::TabChanged);
}

void dlgSettings::Changed() {
    if (!filling_) ui->cmdApply->setEnabled(true);
}

void dlgSettings::SynchMediumClicked(int index) {
    QCheckBox* boxes[2] = {ui->chkSynchMedium_0, ui->chkSynchMedium_1};
    QCheckBox* resets[2] = {ui->chkResetArchiveAttr_0, ui->chkResetArchiveAttr_1};
    if (boxes[index]->isChecked()) {
        boxes[1 - index]->setChecked(false);
        // A medium is told by its archive attributes: the attribute check is on and the
        // program marks files itself, so neither switch may be chosen.
        ui->chkCompOption_0->setChecked(true);
        ui->chkCompOption_0->setEnabled(false);
        for (QCheckBox* reset : resets) {
            reset->setCheckState(Qt::PartiallyChecked);
            reset->setEnabled(false);
        }
    } else if (resets[0]->checkState() == Qt::PartiallyChecked) {
        ui->chkCompOption_0->setEnabled(true);
        for (QCheckBox* reset : resets) {
            reset->setEnabled(true);
            reset->setCheckState(Qt::Unchecked);
        }
    }
}

void dlgSettings::UpdateEnabledStates() {
    const bool compareDate = ui->chkCompOption_1->isChecked();
    ui->txtTimeLag->setEnabled(compareDate);
    ui->lblTimeLag->setEnabled(compareDate);
    const bool medium = ui->chkSynchMedium_0->isChecked() || ui->chkSynchMedium_1->isChecked();
    ui->chkCompOption_0->setEnabled(!medium);
    ui->chkResetArchiveAttr_0->setEnabled(!medium);
    ui->chkResetArchiveAttr_1->setEnabled(!medium);
    const bool subDirs = ui->chkSubDirs->isChecked();
    ui->chkSystem_0->setEnabled(subDirs);
    ui->chkHidden_0->setEnabled(subDirs);
}

bool dlgSettings::ValidateTimeLag() {
    if (!ui->chkCompOption_1->isChecked()) return true;
    const std::optional<double> lag = ParseTimeLag(ui->txtTimeLag->text().trimmed());
    if (!lag || *lag < 0.0 || *lag >= 1.0) {
        Host().AppMessageBox(FormatMsg(DialogMsg::TimeLagInvalid), MsgBox::Exclamation);
        ui->tbsMain->setCurrentIndex(0);
        ui->txtTimeLag->setFocus();
        ui->txtTimeLag->selectAll();
        return false;
    }
    const QString text = TimeLagText(*lag);
    if (text != ui->txtTimeLag->text()) ui->txtTimeLag->setText(text);
    return true;
}

int dlgSettings::SelectedZoom() const {
    const int row = ui->lstZoom->currentRow();
    return row < 0 ? Settings().Zoom : 200 - 10 * row;
}

void dlgSettings::ZoomScrolled() {
    const int top = ui->lstZoom->indexAt(QPoint(1, 1)).row();
    if (top >= 0 && top != ui->lstZoom->currentRow()) ui->lstZoom->setCurrentRow(top, QItemSelectionModel::ClearAndSelect);
}

void dlgSettings::ControlsToSettings(ProgramSettings& s) const {
    ProfileOptions& o = s.DefaultProfileOptions;
    o.ListName = {ui->txtListName_0->text(), ui->txtListName_1->text()};
    o.SynchMedium = {ui->chkSynchMedium_0->isChecked(), ui->chkSynchMedium_1->isChecked()};
    o.CheckArchiveAttr = ui->chkCompOption_0->isChecked() ? 32 : 0;
    o.CompareDate = ui->chkCompOption_1->isChecked();
    o.TimeLag = o.CompareDate ? ParseTimeLag(ui->txtTimeLag->text().trimmed()).value_or(0.0) : MaxDateValue;
    o.CompareSize = ui->chkCompOption_2->isChecked();
    // The grey state of a medium counts as off.
    o.ResetArchiveAttrSource = ui->chkResetArchiveAttr_0->checkState() == Qt::Checked;
    o.ResetArchiveAttrDest = ui->chkResetArchiveAttr_1->checkState() == Qt::Checked;
    o.PropagateDeletions = ui->chkPropagateDeletions->isChecked();
    s.SubDirs = ui->chkSubDirs->isChecked();
    s.SysDirs = ui->chkSystem_0->isChecked();
    s.SysFiles = ui->chkSystem_1->isChecked();
    s.HiddenDirs = ui->chkHidden_0->isChecked();
    s.HiddenFiles = ui->chkHidden_1->isChecked();
    s.ExcludeDirs = ui->txtSearch_0->text();
    s.ExcludeFiles = ui->txtSearch_1->text();
    s.DeleteFiles = ui->txtSearch_2->text();
    s.LogToFile = ui->chkLogToFile->isChecked();
    s.LogChanges = ui->chkLogChanges->isChecked();
    s.ButtonBarsWithText = ui->chkButtonBarsWithText->isChecked();
    s.IgnoreLockedFiles = ui->chkIgnoreLockedFiles->isChecked();
    s.AllowUndo = ui->chkAllowUndo->isChecked();
    s.CancelAfterErrorUnattended = ui->chkCancelAfterErrorUnattended->isChecked();
    s.AutoUpdateCheck = ui->chkAutoUpdateCheck->isChecked();
    s.DontAutoRunAfterError = ui->chkDontAutoRunAfterError->isChecked();
    s.MaxDeletePercent = ui->spnMaxDeletePercent->value();
    s.ProfilesFolder = ui->txtPath_0->text();
    s.LogfilesFolder = ui->txtPath_1->text();
    s.Zoom = SelectedZoom();
}

void dlgSettings::cmdApply_Click() {
    if (!ui->cmdApply->isEnabled()) return;
    if (!ValidateTimeLag()) return;
    ui->cmdApply->setEnabled(false);
    ProgramSettings after = Settings();
    ControlsToSettings(after);
    if (!WriteChangedDefaultSettings(Settings(), after)) {
        // Nothing was written and nothing changes: the settings stay as the file has them, and
        // Apply stays available for another try.
        const int why = errno;
        Host().AppMessageBox(FormatMsg(DialogMsg::SettingsNotWritten, {Settings().SettingsFilePath, FileSystem::ErrorText(why)}),
                             MsgBox::Critical);
        ui->cmdApply->setEnabled(true);
        return;
    }
    const bool zoomChanged = after.Zoom != Settings().Zoom;
    const bool compareChanged = compareOptionsChanged_;
    Settings() = after;
    compareOptionsChanged_ = false;
    if (zoomChanged) ScaleForm(this, true);
    if (applied) applied(compareChanged, zoomChanged);
}

void dlgSettings::cmdGetDir_Click(int index) {
    QLineEdit* box = index == 0 ? ui->txtPath_0 : ui->txtPath_1;
    const QString title = FormatMsg(DialogMsg::SelectSettingsFolder, {FormatMsg(DialogMsg::SettingsFolderNames + index)});
    const QString start = ExpandPathPlaceholders(box->text());
    const QString chosen = folderDialog ? folderDialog(title, start)
                                        : QFileDialog::getExistingDirectory(this, title, start);
    if (!chosen.isEmpty()) box->setText(chosen);
}

void dlgSettings::SelectTab(const QString& tabKey) {
    for (int i = 0; i < ui->tbsMain->count(); ++i)
        if (tabKey.compare(QLatin1String(kTabKeys[i]), Qt::CaseInsensitive) == 0) ui->tbsMain->setCurrentIndex(i);
}

QString dlgSettings::SelectedTabKey() const {
    return QLatin1String(kTabKeys[ui->tbsMain->currentIndex()]);
}

void dlgSettings::TabChanged(int index) {
    if (index == kLogTab) {
        const QDate today = Clock::Now().date();
        if (shownLogDay_ != today) {
            ShowLogFile(LogFilePath(today), today.toString(QStringLiteral("yyyy-MM-dd")));
            shownLogDay_ = today;
        }
    }
}

bool dlgSettings::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->txtTimeLag && event->type() == QEvent::FocusOut) {
        // Leaving the box with a time that is none, or a day or more, is refused.
        const auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::ActiveWindowFocusReason && focus->reason() != Qt::PopupFocusReason &&
            ui->txtTimeLag->isEnabled() && isVisible())
            ValidateTimeLag();
        return false;
    }
    if (watched == ui->txtlblF1 && event->type() == QEvent::MouseButtonRelease) {
        if (HelpKeyHandler()) HelpKeyHandler()(Qt::Key_F1, this);
        return true;
    }
    QLineEdit* masks[3] = {ui->txtSearch_0, ui->txtSearch_1, ui->txtSearch_2};
    for (int i = 0; i < 3; ++i) {
        if (watched != masks[i]) continue;
        const bool drop = event->type() == QEvent::Drop;
        if (drop || event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* dropEvent = static_cast<QDropEvent*>(event);
            if (DropOnMask(masks[i], i, dropEvent, !drop)) dropEvent->acceptProposedAction();
            else dropEvent->ignore();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void dlgSettings::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Tab and Ctrl+Shift+Tab go round the tabs; inside a page the tab strip itself does
    // this, here it is done for the buttons below the pages.
    const bool tabKey = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tabKey && (event->modifiers() & Qt::ControlModifier)) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        const int count = ui->tbsMain->count();
        ui->tbsMain->setCurrentIndex((ui->tbsMain->currentIndex() + (back ? count - 1 : 1)) % count);
        return;
    }
    if (!PassHelpKey(event)) QDialog::keyPressEvent(event);
}
