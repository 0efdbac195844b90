// The main window's four toolbars: empty folders, the two filters of the file list and the
// five synchronisation options. The buttons show the profile's view options and change them.
#include "ui/main/MainCommands.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "i18n/TextLookup.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainMessages.h"
#include "ui/main/RunLock.h"
#include "ui/main/ToolbarIcons.h"
#include "ui/main/clsMousePointer.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <vector>

namespace {
enum Bar { EmptyFoldersBar = 0, Filter1Bar = 1, Filter2Bar = 2, OptionsBar = 3 };
// Toolbar key numbers; a button's caption and tooltip are found at the toolbar's key plus the
// button's place on the bar (counted from 1).
constexpr int ToolbarKey[4] = {300, 310, 320, 330};
// The buttons of each bar as their keys "#d"; -1 is the keyless separator of toolbar 1.
const std::vector<int> ToolbarDigits[4] = {{0}, {0, 1, 2, 3, -1, 4, 5}, {0, 1, 2}, {0, 1, 2, 3, 4}};
const char* const ToolbarDesign[4][7] = {{"Empty"},
                                         {"All", "Mod", "Src", "Dest", "", "Same", "Conflicts"},
                                         {"All", "Both", "Singles"},
                                         {"Src", "Dest", "Reverse", "Delete in 1", "Delete in 2"}};
}  // namespace

void MainCommands::BuildToolbars() {
    QToolBar* bars[4] = {ui_.tbar_0, ui_.tbar_1, ui_.tbar_2, ui_.tbar_3};
    for (int b = 0; b < 4; ++b) {
        bars_[static_cast<size_t>(b)] = bars[b];
        bars[b]->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        bars[b]->setFloatable(false);
        bars[b]->setMovable(false);
        QActionGroup* group = nullptr;
        if (b == Filter1Bar || b == Filter2Bar) {
            group = new QActionGroup(bars[b]);
            group->setExclusive(true);
        }
        const std::vector<int>& digits = ToolbarDigits[b];
        for (size_t i = 0; i < digits.size(); ++i) {
            if (digits[i] < 0) {
                bars[b]->addSeparator();
                continue;
            }
            QAction* action = bars[b]->addAction(QString::fromLatin1(ToolbarDesign[b][i]));
            action->setCheckable(true);
            action->setIcon(ToolbarIcon(b, digits[i]));
            action->setProperty("buttonKey", QStringLiteral("#%1").arg(digits[i]));
            action->setProperty("key", ToolbarKey[b] + static_cast<int>(i) + 1);
            action->setObjectName(QStringLiteral("tbar_%1_%2").arg(b).arg(i));
            if (group) group->addAction(action);
            const int index = static_cast<int>(i);
            // The action holds the state: a click or Space on the button triggers it, and a
            // screen reader's Toggle, which sets the button's state without a click, reaches it
            // through the button (QToolButton hands a set state on to its action). Only the
            // action's toggled signal sees every way, so the options change there, not on
            // triggered.
            connect(action, &QAction::toggled, this, [this, b, index](bool on) { ToolbarToggled(b, index, on); });
        }
        // In a row of the window a toolbar would otherwise fold its buttons away.
        bars[b]->setMinimumWidth(bars[b]->sizeHint().width());
    }
}

QToolButton* MainCommands::ToolbarButton(int bar, int index) const {
    QToolBar* toolbar = bars_[static_cast<size_t>(bar)];
    const QList<QAction*> actions = toolbar->actions();
    if (index < 0 || index >= actions.size()) return nullptr;
    return qobject_cast<QToolButton*>(toolbar->widgetForAction(actions[index]));
}

void MainCommands::LocaliseTexts() {
    const bool withText = Settings().ButtonBarsWithText;
    for (QToolBar* bar : bars_) {
        // The caption under the picture when the setting asks for it; the picture alone
        // otherwise (a button without a picture keeps its caption so that it is not blank).
        bool allPictures = true;
        for (QAction* action : bar->actions())
            if (!action->isSeparator() && action->icon().isNull()) allPictures = false;
        bar->setToolButtonStyle(withText || !allPictures ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        for (QAction* action : bar->actions()) {
            const int key = action->property("key").toInt();
            if (key == 0) continue;
            const QString text = FormatMsg(key);
            const QString tip = FormatToolTip(QString::number(key));
            // The action keeps its caption in both styles: a screen reader reads it, and the
            // style decides whether it is drawn.
            if (!text.isEmpty()) action->setText(text);
            action->setToolTip(tip.isEmpty() ? action->text().remove(QLatin1Char('&')) : tip);
            bar->setMinimumWidth(bar->sizeHint().width());
            if (QWidget* w = bar->widgetForAction(action)) w->setAccessibleDescription(tip);
        }
    }
    for (QMenu* menu : {mnuPop1_, mnuPop2_, mnuPop3_, mnuPop4_, mnuExamples_}) {
        for (QAction* action : menu->actions()) {
            const int key = action->property("key").toInt();
            if (key == 0) continue;
            const QString text = Localizer().ControlText(QString::number(key));
            if (!text.isEmpty()) action->setText(text);
        }
    }
    cmdRunErrors_->setText(FormatMsg(MainMsg::ShowRunErrors));
    cmdRunErrors_->setToolTip(FormatToolTip(QString::number(MainMsg::ShowRunErrors)));
    cmdRunErrors_->setAccessibleName(FormatMsg(MainMsg::ShowRunErrors));
    NameToolbars();
}

void MainCommands::NameToolbars() {
    for (QToolBar* bar : bars_) {
        // Two bars have an "All" button and two a "Src": each button's name also names its bar.
        const QString barName = FormatMsg(bar->property("key").toInt());
        if (!barName.isEmpty()) bar->setAccessibleName(barName);
        // The button that a narrow window shows for the buttons that do not fit (Qt names it so).
        if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
            more->setAccessibleName(FormatMsg(MainMsg::ToolbarOverflow, {bar->accessibleName()}));
        for (QAction* action : bar->actions())
            if (QWidget* button = bar->widgetForAction(action); button && !action->isSeparator())
                button->setAccessibleName(QStringLiteral("%1 (%2)").arg(QString(action->text()).remove(QLatin1Char('&')),
                                                                        bar->accessibleName()));
    }
}

void MainCommands::ApplyToolbarStates() {
    const ViewOptions& view = CurrentProfile().profile.View;
    const bool wasSyncing = syncingToolbars_;
    syncingToolbars_ = true;
    auto setChecked = [this](int bar, int digit, bool on) {
        for (QAction* action : bars_[static_cast<size_t>(bar)]->actions())
            if (action->property("buttonKey").toString() == QStringLiteral("#%1").arg(digit)) action->setChecked(on);
    };
    setChecked(EmptyFoldersBar, 0, view.ShowEmptyFolders);
    setChecked(Filter1Bar, view.Filter1, true);
    setChecked(Filter2Bar, view.Filter2, true);
    for (const SyncOptionInfo& o : kSyncOptionTable) setChecked(OptionsBar, o.toolbarButton, view.SyncOptions[o.option]);
    syncingToolbars_ = wasSyncing;
    UpdateToolbarsEnabled();
}

void MainCommands::ShowAllFilters() {
    syncingToolbars_ = true;
    bars_[static_cast<size_t>(Filter1Bar)]->actions().first()->setChecked(true);
    bars_[static_cast<size_t>(Filter2Bar)]->actions().first()->setChecked(true);
    syncingToolbars_ = false;
}

void MainCommands::UpdateToolbarsEnabled() {
    const int filter = CurrentProfile().profile.View.Filter1;
    for (size_t b = 0; b < bars_.size(); ++b)
        bars_[b]->setEnabled(!lock_.Running() && (b != static_cast<size_t>(Filter2Bar) || FileView::Filter2Applies(filter)));
}

void MainCommands::ToolbarToggled(int bar, int button, bool on) {
    if (syncingToolbars_) return;
    if ((bar == Filter1Bar || bar == Filter2Bar) && !on) {
        // Choosing another filter unticks the old button first, while the new one is already
        // ticked. A button unticked on its own (a screen reader's Toggle on the current filter)
        // would leave the bar showing no filter while one applies: it is ticked again.
        bool anyTicked = false;
        for (QAction* action : bars_[static_cast<size_t>(bar)]->actions()) anyTicked = anyTicked || action->isChecked();
        if (!anyTicked) ApplyToolbarStates();
        return;
    }
    ToolbarClick(bar, button);
}

void MainCommands::ToolbarClick(int bar, int button) {
    const QList<QAction*> actions = bars_[static_cast<size_t>(bar)]->actions();
    if (button < 0 || button >= actions.size()) return;
    QAction* action = actions[button];
    const QString key = action->property("buttonKey").toString();
    if (key.isEmpty()) return;
    if (lock_.Refused()) {
        // The run goes on with the options it started with, and the buttons say so.
        ApplyToolbarStates();
        return;
    }
    clsMousePointer busy;
    const int digit = key.right(1).toInt();
    ViewOptions& view = CurrentProfile().profile.View;
    switch (bar) {
    case EmptyFoldersBar:
        view.ShowEmptyFolders = action->isChecked();
        files_.UpdateView(view.Filter1);
        break;
    case Filter1Bar:
        files_.UpdateView(digit);
        break;
    case Filter2Bar:
        view.Filter2 = digit;
        files_.UpdateView(view.Filter1);
        break;
    case OptionsBar:
        for (const SyncOptionInfo& o : kSyncOptionTable)
            if (o.toolbarButton == digit) view.SyncOptions[o.option] = action->isChecked();
        // The count boxes count what the run will do, which the options decide.
        files_.ShowCounts();
        files_.Display();
        break;
    default:
        return;
    }
    // The buttons show what the program will do, however the change came.
    ApplyToolbarStates();
    // The toolbar states are part of the profile.
    if (!CurrentProfile().profile.Pairs.isEmpty()) CurrentProfile().ProfileChanged = true;
}
