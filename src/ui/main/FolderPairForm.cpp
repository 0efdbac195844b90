#include "ui/main/FolderPairForm.h"

#include "config/Placeholders.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QCheckBox* NewCheck(const QString& caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}
}  // namespace

std::function<bool(FolderPair&)>& FolderPairForm::EditHook() {
    static std::function<bool(FolderPair&)> hook;
    return hook;
}

bool FolderPairForm::EditPair(QWidget* owner, FolderPair& pair) {
    if (EditHook()) return EditHook()(pair);
    FolderPairForm form(owner);
    form.SetPair(pair);
    if (form.exec() != QDialog::Accepted) return false;
    pair = form.Pair();
    return true;
}

FolderPairForm::FolderPairForm(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FolderPairForm"));
    setWindowTitle(tr("Folder pair"));
    auto* layout = new QVBoxLayout(this);
    auto* folders = new QGridLayout;
    const char* sideNames[2] = {"Folder 1 (left):", "Folder 2 (right):"};
    for (int s = 0; s < 2; ++s) {
        const auto side = static_cast<size_t>(s);
        auto* label = new QLabel(tr(sideNames[s]), this);
        txtPath_[side] = new QLineEdit(this);
        txtPath_[side]->setObjectName(QStringLiteral("txtPath_%1").arg(s));
        txtPath_[side]->setMinimumWidth(420);
        label->setBuddy(txtPath_[side]);
        auto* browse = new QPushButton(tr("Browse..."), this);
        browse->setObjectName(QStringLiteral("cmdBrowse_%1").arg(s));
        browse->setAccessibleName(tr("Browse for folder %1").arg(s + 1));
        connect(browse, &QPushButton::clicked, this, [this, s] { Browse(s); });
        chkAutoCreate_[side] = NewCheck(tr("Create this folder if it doesn't yet exist"),
                                        s == 0 ? "chkAutoCreate_0" : "chkAutoCreate_1", this);
        folders->addWidget(label, s * 2, 0);
        folders->addWidget(txtPath_[side], s * 2, 1);
        folders->addWidget(browse, s * 2, 2);
        folders->addWidget(chkAutoCreate_[side], s * 2 + 1, 1);
    }
    layout->addLayout(folders);

    auto* switches = new QHBoxLayout;
    chkSubDirs_ = NewCheck(tr("&Subfolders"), "chkSubDirs", this);
    chkSystem_[0] = NewCheck(tr("System folders"), "chkSystem_0", this);
    chkHidden_[0] = NewCheck(tr("Hidden folders"), "chkHidden_0", this);
    chkSystem_[1] = NewCheck(tr("System files"), "chkSystem_1", this);
    chkHidden_[1] = NewCheck(tr("Hidden files"), "chkHidden_1", this);
    for (QCheckBox* box : {chkSubDirs_, chkSystem_[0], chkHidden_[0], chkSystem_[1], chkHidden_[1]})
        switches->addWidget(box);
    layout->addLayout(switches);

    auto* masks = new QFormLayout;
    const char* maskNames[5] = {"Include subfolders:", "Exclude subfolders:", "Include files:",
                                "Exclude files:", "Files to delete:"};
    for (int m = 0; m < 5; ++m) {
        const auto index = static_cast<size_t>(m);
        txtMask_[index] = new QLineEdit(this);
        txtMask_[index]->setObjectName(QStringLiteral("txtMask_%1").arg(m));
        masks->addRow(tr(maskNames[m]), txtMask_[index]);
        txtMask_[index]->setAccessibleName(tr(maskNames[m]).chopped(1));
    }
    layout->addLayout(masks);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderPairForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FolderPairForm::reject);
    layout->addWidget(buttons);
}

void FolderPairForm::SetPair(const FolderPair& pair) {
    original_ = pair;
    for (size_t s = 0; s < 2; ++s) {
        txtPath_[s]->setText(pair.Dir[s]);
        chkSystem_[s]->setChecked(pair.System[s]);
        chkHidden_[s]->setChecked(pair.Hidden[s]);
        chkAutoCreate_[s]->setChecked(pair.AutoCreate[s]);
    }
    chkSubDirs_->setChecked(pair.SubDirs);
    for (size_t m = 0; m < 5; ++m) txtMask_[m]->setText(pair.Mask[m]);
}

FolderPair FolderPairForm::Pair() const {
    FolderPair pair = original_;
    for (size_t s = 0; s < 2; ++s) {
        pair.Dir[s] = txtPath_[s]->text().trimmed();
        pair.System[s] = chkSystem_[s]->isChecked();
        pair.Hidden[s] = chkHidden_[s]->isChecked();
        pair.AutoCreate[s] = chkAutoCreate_[s]->isChecked();
    }
    pair.SubDirs = chkSubDirs_->isChecked();
    for (size_t m = 0; m < 5; ++m) pair.Mask[m] = txtMask_[m]->text();
    return pair;
}

void FolderPairForm::Browse(int side) {
    QLineEdit* field = txtPath_[static_cast<size_t>(side)];
    const QString start = ExpandPathPlaceholders(field->text());
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Choose folder %1").arg(side + 1), start);
    if (!chosen.isEmpty()) field->setText(chosen);
}

void FolderPairForm::accept() {
    // Both folders are needed for a pair; an empty one keeps the form open.
    for (QLineEdit* field : txtPath_) {
        if (field->text().trimmed().isEmpty()) {
            QApplication::beep();
            field->setFocus();
            return;
        }
    }
    QDialog::accept();
}
