#include "ui/main/dlgSearchFile.h"

#include "ui_dlgSearchFile.h"

#include "config/Profile.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "ui/main/SearchTreeModel.h"
#include "ui/main/dlgMsgBox.h"

#include <QApplication>
#include "ui/main/HelpKeys.h"

#include <QKeyEvent>
#include <QScreen>

#include <algorithm>
#include <QRegularExpression>

namespace {

constexpr uint32_t InformationIcon = 64;

// "%1" in a localised option caption stands for the list name, in whatever case it was written.
QString WithListName(QString caption, const QString& listName) {
    caption.replace(QStringLiteral("%1"), listName, Qt::CaseInsensitive);
    return caption;
}

}  // namespace

std::function<void()>& dlgSearchFile::BeepHandler() {
    static std::function<void()> handler = [] { QApplication::beep(); };
    return handler;
}

std::function<void(const QString&)>& dlgSearchFile::NoticeHandler() {
    static std::function<void(const QString&)> handler = [](const QString& text) {
        dlgMsgBox::ShowMsg(text, InformationIcon, QString(), QApplication::activeWindow());
    };
    return handler;
}

void dlgSearchFile::ShowModal(QWidget* owner, const std::function<void(int)>& entryChosen) {
    dlgSearchFile dialog(CurrentFileView().TreeRows(), CurrentProfile().profile.Options.ListName, owner);
    connect(&dialog, &dlgSearchFile::EntryChosen, &dialog, entryChosen);
    // Centred on the main window, but never past the edge of its screen (the main window may
    // stand at one side of a small screen).
    if (owner && owner->screen()) {
        const QRect screen = owner->screen()->availableGeometry();
        QRect frame(QPoint(), dialog.sizeHint().boundedTo(screen.size()));
        frame.moveCenter(owner->frameGeometry().center());
        frame.moveLeft(std::clamp(frame.left(), screen.left(), screen.right() - frame.width()));
        frame.moveTop(std::clamp(frame.top(), screen.top(), screen.bottom() - frame.height()));
        dialog.resize(frame.size());
        dialog.move(frame.topLeft());
    }
    dialog.exec();
    if (owner) {
        owner->activateWindow();
        owner->setFocus();
    }
}

dlgSearchFile::dlgSearchFile(const std::vector<TreeRow>& rows, const std::array<QString, 2>& listNames,
                             QWidget* owner, int nodeLimit)
    : QDialog(owner), ui(std::make_unique<Ui::dlgSearchFile>()), rows_(rows), nodeLimit_(nodeLimit),
      model_(new SearchTreeModel(this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ScaleForm(this, false);
    MakeHelpLabelsClickable(this);  // "Help = F1" and "Assistant = F2" answer a click too
    LocalizeControls(this);
    ui->optLeftOrRight_0->setText(WithListName(ui->optLeftOrRight_0->text(), listNames[0]));
    ui->optLeftOrRight_1->setText(WithListName(ui->optLeftOrRight_1->text(), listNames[1]));

    ui->tvwFolders->setModel(model_);
    connect(ui->tvwFolders, &QTreeView::expanded, this, [this](const QModelIndex& i) { model_->SetExpanded(i, true); });
    connect(ui->tvwFolders, &QTreeView::collapsed, this, [this](const QModelIndex& i) { model_->SetExpanded(i, false); });
    connect(ui->tvwFolders, &QTreeView::clicked, this, &dlgSearchFile::NodeClicked);
    connect(ui->tvwFolders, &QTreeView::activated, this, &dlgSearchFile::NodeClicked);

    connect(ui->optLeftOrRight_0, &QRadioButton::clicked, this, [this] { optLeftOrRight_Click(0); });
    connect(ui->optLeftOrRight_1, &QRadioButton::clicked, this, [this] { optLeftOrRight_Click(1); });
    connect(ui->chkFiles, &QCheckBox::clicked, this, &dlgSearchFile::chkFiles_Click);
    connect(ui->chkExpand, &QCheckBox::clicked, this, &dlgSearchFile::chkExpand_Click);
    connect(ui->cmdSearch, &QPushButton::clicked, this, &dlgSearchFile::cmdSearch_Click);
    connect(ui->txtSearch, &QLineEdit::textChanged, this, &dlgSearchFile::txtSearch_Change);
    ui->txtSearch->installEventFilter(this);

    FillTree();
}

dlgSearchFile::~dlgSearchFile() = default;

QTreeView* dlgSearchFile::Tree() const { return ui->tvwFolders; }

int dlgSearchFile::Side() const { return ui->optLeftOrRight_1->isChecked() ? 1 : 0; }

void dlgSearchFile::FillTree() {
    QTreeView* view = ui->tvwFolders;
    view->setUpdatesEnabled(false);
    model_->SetTree(BuildSearchTree(rows_, Side(), ui->chkFiles->isChecked(), nodeLimit_));
    if (ui->chkExpand->isChecked()) view->expandAll();
    // The first node is a pair's root; it is always open.
    const QModelIndex first = model_->IndexOfNode(1);
    if (first.isValid()) view->expand(first);
    view->setUpdatesEnabled(true);
    searchPosition_ = 0;
    if (model_->Tree().Truncated && NoticeHandler()) NoticeHandler()(FormatMsg(QStringLiteral("65100")));
    ui->txtSearch->setFocus();
}

void dlgSearchFile::optLeftOrRight_Click(int side) {
    (side == 0 ? ui->optLeftOrRight_0 : ui->optLeftOrRight_1)->setChecked(true);
    FillTree();
}

void dlgSearchFile::chkFiles_Click() { FillTree(); }

void dlgSearchFile::chkExpand_Click() {
    QTreeView* view = ui->tvwFolders;
    view->setUpdatesEnabled(false);
    if (ui->chkExpand->isChecked()) view->expandAll();
    else view->collapseAll();
    // The first node stays as it was: only the nodes after it follow the box.
    const QModelIndex first = model_->IndexOfNode(1);
    if (first.isValid()) {
        view->expand(first);
        view->scrollTo(first);
    }
    view->setUpdatesEnabled(true);
    ui->txtSearch->setFocus();
}

void dlgSearchFile::cmdSearch_Click() {
    const SearchTree& tree = model_->Tree();
    ++searchPosition_;
    if (searchPosition_ > tree.NodeCount()) {
        searchPosition_ = 0;
        if (BeepHandler()) BeepHandler()();
        return;
    }
    const int found = FindNode(tree, SearchPattern(ui->txtSearch->text()), searchPosition_);
    if (found == 0) {
        // Nothing in the whole tree matches: an entry left selected would look like a match.
        if (searchPosition_ == 1) {
            ui->tvwFolders->selectionModel()->clearSelection();
            ui->tvwFolders->setCurrentIndex(QModelIndex());
        }
        searchPosition_ = 0;
        if (BeepHandler()) BeepHandler()();
        return;
    }
    searchPosition_ = found;
    const QModelIndex index = model_->IndexOfNode(found);
    ui->tvwFolders->setCurrentIndex(index);
    ui->tvwFolders->scrollTo(index);
}

void dlgSearchFile::txtSearch_Change(const QString& text) {
    searchPosition_ = 0;
    ui->cmdSearch->setEnabled(!text.isEmpty());
    if (!text.isEmpty()) cmdSearch_Click();
}

void dlgSearchFile::NodeClicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    emit EntryChosen(index.data(SearchTreeModel::TagRole).toInt());
}

bool dlgSearchFile::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->txtSearch) {
        if (event->type() == QEvent::FocusOut) {
            searchPosition_ = 0;
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (ui->cmdSearch->isEnabled()) cmdSearch_Click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void dlgSearchFile::keyPressEvent(QKeyEvent* event) {
    if (!PassHelpKey(event, this)) QDialog::keyPressEvent(event);
}
