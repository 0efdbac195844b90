#include "ui/dialogs/dlgDirs.h"

#include "ui_dlgDirs.h"

#include "config/Placeholders.h"
#include "engine/CompareRun.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "platform/VolumeLabels.h"
#include "ui/dialogs/DialogMessages.h"
#include "ui/dialogs/FolderPairChecks.h"
#include "ui/dialogs/DroppedPaths.h"
#include "ui/main/HelpKeys.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

// Mask boxes: 0 and 1 take subfolders, 2 to 4 files.
bool MaskTakesFolders(int box) { return box <= 1; }

// Texts longer than a line edit's usual limit (a mask of many entries) must survive unchanged.
constexpr int NoLengthLimit = 1 << 24;

// A folder text stored in the volume-label form ("LABEL/rest") rather than as a path.
bool InLabelForm(const QString& text) {
    const QString expanded = ExpandPathPlaceholders(text);
    return !expanded.isEmpty() && !expanded.startsWith(QLatin1Char('/')) && !expanded.startsWith(QLatin1Char('%'));
}

}  // namespace

std::function<QString(QWidget*, const QString&, const QString&)>& dlgDirs::FolderBrowser() {
    static std::function<QString(QWidget*, const QString&, const QString&)> browser =
        [](QWidget* owner, const QString& title, const QString& start) {
            return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
        };
    return browser;
}

bool dlgDirs::ShowModal(QWidget* owner, QList<FolderPair>& pairs, int index) {
    if (index < 0 || index >= pairs.size()) return false;
    dlgDirs dialog(owner ? owner : QApplication::activeWindow());
    dialog.Init(pairs, index);
    const bool stored = dialog.exec() == QDialog::Accepted;
    if (QWidget* window = dialog.parentWidget()) window->activateWindow();
    return stored;
}

dlgDirs::dlgDirs(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::dlgDirs>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    txtPath_ = {ui->txtPath_0, ui->txtPath_1};
    txtSearch_ = {ui->txtSearch_0, ui->txtSearch_1, ui->txtSearch_2, ui->txtSearch_3, ui->txtSearch_4};
    chkAutoCreate_ = {ui->chkAutoCreate_0, ui->chkAutoCreate_1};
    chkLabel_ = {ui->chkReplaceDriveLetterByVolumeLabel_0, ui->chkReplaceDriveLetterByVolumeLabel_1};
    chkSystem_ = {ui->chkSystem_0, ui->chkSystem_1};
    chkHidden_ = {ui->chkHidden_0, ui->chkHidden_1};
    QFont bold = ui->lblSelectFolders->font();
    bold.setBold(true);
    ui->lblSelectFolders->setFont(bold);
    ScaleForm(this, false);
    MakeHelpLabelsClickable(this);  // "Help = F1" and "Assistant = F2" answer a click too
    LocalizeControls(this);
    // Screen readers hear each box by its own name: the frames' "Subfolders:" and "Files:"
    // labels alone would not tell include from exclude.
    for (int box = 0; box < 5; ++box)
        txtSearch_[static_cast<size_t>(box)]->setAccessibleName(FormatMsg(DialogMsg::MaskBoxNames + box));
    // The browse buttons have a tooltip but no caption in the language file: they keep their
    // design caption and are announced by the tooltip.
    for (QToolButton* browse : {ui->cmdGetDir_0, ui->cmdGetDir_1}) {
        if (browse->text().isEmpty()) browse->setText(QStringLiteral("..."));
        browse->setAccessibleName(browse->toolTip());
    }
    for (QLineEdit* box : txtPath_) {
        box->setMaxLength(NoLengthLimit);
        box->installEventFilter(this);
    }
    for (QLineEdit* box : txtSearch_) {
        box->setMaxLength(NoLengthLimit);
        box->installEventFilter(this);
    }
    ConnectControls();
}

dlgDirs::~dlgDirs() = default;

QLineEdit* dlgDirs::txtPath(int side) const { return txtPath_[static_cast<size_t>(side)]; }
QLineEdit* dlgDirs::txtSearch(int box) const { return txtSearch_[static_cast<size_t>(box)]; }

void dlgDirs::ConnectControls() {
    for (int box = 0; box < 5; ++box) {
        connect(txtSearch(box), &QLineEdit::textChanged, this,
                [this, box](const QString& text) { pair_.Mask[static_cast<size_t>(box)] = text; });
    }
    for (int s = 0; s < 2; ++s) {
        const auto side = static_cast<size_t>(s);
        connect(chkAutoCreate_[side], &QCheckBox::toggled, this, [this, side](bool on) {
            pair_.AutoCreate[side] = on;
            // At most one side is created automatically.
            if (on) chkAutoCreate_[1 - side]->setChecked(false);
        });
        connect(chkSystem_[side], &QCheckBox::toggled, this, [this, side](bool on) { pair_.System[side] = on; });
        connect(chkHidden_[side], &QCheckBox::toggled, this, [this, side](bool on) { pair_.Hidden[side] = on; });
    }
    connect(ui->chkSubDirs, &QCheckBox::toggled, this, [this](bool on) {
        pair_.SubDirs = on;
        SubDirsChanged();
    });
    connect(ui->cmdGetDir_0, &QToolButton::clicked, this, [this] { cmdGetDir_Click(0); });
    connect(ui->cmdGetDir_1, &QToolButton::clicked, this, [this] { cmdGetDir_Click(1); });
    connect(ui->cmdOK, &QPushButton::clicked, this, &dlgDirs::cmdOK_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &dlgDirs::cmdExit_Click);
}

void dlgDirs::Init(QList<FolderPair>& pairs, int index) {
    pairs_ = &pairs;
    index_ = index;
    pair_ = pairs[index];
    if (pair_.Dir[0].isEmpty() && index >= 1) pair_.Dir = pairs[index - 1].Dir;
    ShowPair();
}

void dlgDirs::ShowPair() {
    const FolderPair pair = pair_;  // the boxes' signals write into pair_ while they are filled
    for (size_t s = 0; s < 2; ++s) {
        txtPath_[s]->setText(pair.Dir[s]);
        chkAutoCreate_[s]->setChecked(pair.AutoCreate[s]);
        chkSystem_[s]->setChecked(pair.System[s]);
        chkHidden_[s]->setChecked(pair.Hidden[s]);
        chkLabel_[s]->setChecked(InLabelForm(pair.Dir[s]));
    }
    ui->chkSubDirs->setChecked(pair.SubDirs);
    for (size_t box = 0; box < 5; ++box) txtSearch_[box]->setText(pair.Mask[box]);
    pair_ = pair;
    SubDirsChanged();
}

void dlgDirs::SubDirsChanged() {
    const bool on = ui->chkSubDirs->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ui->txtSearch_0), static_cast<QWidget*>(ui->txtSearch_1),
                       static_cast<QWidget*>(ui->lblSearch_0), static_cast<QWidget*>(ui->lblSearch_1),
                       static_cast<QWidget*>(ui->chkSystem_0), static_cast<QWidget*>(ui->chkHidden_0)})
        w->setEnabled(on);
}

void dlgDirs::cmdGetDir_Click(int side) {
    QLineEdit* box = txtPath(side);
    const QString start = ResolveVolumeLabelPath(ExpandPathPlaceholders(box->text()));
    const int sideName = side == 0 ? DialogMsg::FolderOneName : DialogMsg::FolderTwoName;
    const QString title = FormatMsg(DialogMsg::SelectFolderTitle, {FormatMsg(sideName)});
    const QString chosen = FolderBrowser()(this, title, start);
    if (chosen.isEmpty()) return;
    QString text = chosen;
    if (chkLabel_[static_cast<size_t>(side)]->isChecked()) {
        const QString labelForm = VolumeLabelFormOf(chosen);
        if (!labelForm.isEmpty()) text = labelForm;
    }
    box->setText(text);
}

bool dlgDirs::DropOnFolder(int side, const QMimeData* dropped) {
    const QStringList paths = DroppedPaths(dropped, true);
    if (paths.size() != 1 || !IsExistingFolder(paths.first())) return false;
    txtPath(side)->setText(paths.first());
    return true;
}

bool dlgDirs::DropOnMask(int box, const QMimeData* dropped) {
    const QStringList paths = DroppedPaths(dropped, false);
    const QString roots[2] = {ComparableFolder(txtPath(0)->text()), ComparableFolder(txtPath(1)->text())};
    const QString entries = MaskEntriesOf(paths, MaskTakesFolders(box), roots);
    if (entries.isEmpty()) return false;
    QLineEdit* target = txtSearch(box);
    target->setText(target->text().isEmpty() ? entries : target->text() + QLatin1Char(';') + entries);
    return true;
}

void dlgDirs::cmdOK_Click() {
    for (size_t s = 0; s < 2; ++s) {
        QString text = txtPath_[s]->text();
        if (text.trimmed().isEmpty()) text.clear();
        if (text.size() > 1 && text.endsWith(QLatin1Char('/'))) text.chop(1);
        if (text != txtPath_[s]->text()) txtPath_[s]->setText(text);
        pair_.Dir[s] = text;
    }
    const bool passed = CheckFolderPair(pair_, *pairs_, index_, [](int key, const QString& argument, int style) {
        return Host().AppMessageBox(FormatMsg(key, {argument}), style);
    });
    if (!passed) {
        for (QLineEdit* box : txtPath_) {
            if (box->text().isEmpty()) {
                box->setFocus();
                break;
            }
        }
        return;
    }
    (*pairs_)[index_] = pair_;
    accept();
}

void dlgDirs::cmdExit_Click() { reject(); }

bool dlgDirs::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    const int side = box ? static_cast<int>(std::find(txtPath_.begin(), txtPath_.end(), box) - txtPath_.begin()) : 2;
    const int mask = box ? static_cast<int>(std::find(txtSearch_.begin(), txtSearch_.end(), box) - txtSearch_.begin()) : 5;
    if (!box || (side >= 2 && mask >= 5)) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        // Entering a box selects its whole text, also by mouse.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
        break;
    case QEvent::MouseButtonDblClick:
        if (side < 2) {
            cmdGetDir_Click(side);
            return true;
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const QMimeData* dragged = drag->mimeData();
        const bool acceptable = side < 2 ? DroppedPaths(dragged, true).size() == 1 : dragged->hasUrls();
        if (acceptable) drag->acceptProposedAction();
        else drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const bool taken = side < 2 ? DropOnFolder(side, drop->mimeData()) : DropOnMask(mask, drop->mimeData());
        if (taken) drop->acceptProposedAction();
        else drop->ignore();
        return true;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void dlgDirs::keyPressEvent(QKeyEvent* event) {
    if (PassHelpKey(event)) return;
    QDialog::keyPressEvent(event);
}
