// What the main window shows before there is anything to compare: the empty file list tells a
// new user where to begin.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "config/Profile.h"
#include "engine/FileView.h"
#include "i18n/TextLookup.h"
#include "ui/main/TOFlexGrid.h"

#include <QLabel>
#include <QVBoxLayout>

void frmMain::BuildFirstStartGuide() {
    lblStartGuide_ = new QLabel(ui->flexFiles->viewport());
    lblStartGuide_->setObjectName(QStringLiteral("lblStartGuide"));
    lblStartGuide_->setAlignment(Qt::AlignCenter);
    lblStartGuide_->setWordWrap(true);
    lblStartGuide_->setForegroundRole(QPalette::PlaceholderText);
    // The list below stays the list: clicks and the wheel pass through the text.
    lblStartGuide_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(ui->flexFiles->viewport());
    layout->addWidget(lblStartGuide_);
    lblStartGuide_->hide();
}

void frmMain::UpdateFirstStartGuide() {
    if (!lblStartGuide_) return;
    // Only while the profile has no pair and no compare has listed anything.
    const bool empty = CurrentProfile().profile.Pairs.isEmpty() && CurrentFileView().LastIndex() < 1;
    const QString text = empty ? FormatMsg(1240) : QString();
    lblStartGuide_->setText(text);
    lblStartGuide_->setVisible(!text.isEmpty());
}

QString frmMain::StartGuideText() const {
    return lblStartGuide_ && !lblStartGuide_->isHidden() ? lblStartGuide_->text() : QString();
}
