// The main window's events: its own keys, the wheel over either list, the splitter between
// them, the layout of the command buttons and the tab order.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "engine/RunHost.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainPairList.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int WheelNotch = 120;  // the wheel's angle of one notch, in eighths of a degree
}  // namespace

void frmMain::SetTabOrder() {
    // In reading order: the pairs and their buttons, the four toolbars, the commands, the
    // counts, the file list.
    QList<QWidget*> order{ui->flexDirs, ui->cmdLoad, ui->cmdSave, ui->cmdAdd, ui->cmdEdit, ui->cmdRemove};
    for (QToolBar* bar : {ui->tbar_0, ui->tbar_1, ui->tbar_2, ui->tbar_3})
        for (QAction* action : bar->actions())
            if (QWidget* button = bar->widgetForAction(action); qobject_cast<QToolButton*>(button)) {
                button->setFocusPolicy(Qt::TabFocus);
                order << button;
            }
    order << ui->cmdCompare << ui->cmdSynch << ui->cmdTreeAndSearch << ui->cmdExtras << ui->lblFilesAndDirs_0
          << ui->lblFilesAndDirs_1 << ui->lblFilesAndDirs_2 << ui->flexFiles;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}


bool frmMain::HandleKey(QKeyEvent* event) {
    if (handlingKey_) return false;
    handlingKey_ = true;
    bool used = true;
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_F1:
        case Qt::Key_F2:
        case Qt::Key_F3:
        case Qt::Key_F12: PassHelpKey(event, this); break;
        case Qt::Key_F5:
            if (ui->cmdCompare->isEnabled()) ui->cmdCompare->click();
            break;
        case Qt::Key_F11: {
            const QRect frame = geometry();
            setWindowFlag(Qt::FramelessWindowHint, !(windowFlags() & Qt::FramelessWindowHint));
            setGeometry(frame);
            show();
            break;
        }
        case Qt::Key_Insert: pairs_->AddPair(); break;
        case Qt::Key_Delete: ui->cmdRemove->click(); break;
        default: used = false;
        }
    } else if (mods == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_E: ui->cmdEdit->click(); break;
        case Qt::Key_F:
            if (ui->cmdTreeAndSearch->isEnabled()) ui->cmdTreeAndSearch->click();
            else Host().Beep();
            break;
        case Qt::Key_O: ui->cmdLoad->click(); break;
        case Qt::Key_S: ui->cmdSave->click(); break;
        default: used = false;
        }
    } else {
        used = false;
    }
    handlingKey_ = false;
    return used;
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event)) QMainWindow::keyPressEvent(event);
}

void frmMain::MouseWheel(int notches, const QPoint& globalPos) {
    if (Settings().WheelScrollLines == 0 || notches == 0) return;
    const QPoint p = mapFromGlobal(globalPos);
    const QRect files(ui->flexFiles->mapTo(this, QPoint(0, 0)), ui->flexFiles->size());
    const QRect dirs(ui->flexDirs->mapTo(this, QPoint(0, 0)), ui->flexDirs->size());
    if (p.y() >= files.top() && p.y() <= files.bottom()) files_->Wheel(notches);
    else if (p.y() >= dirs.top() && p.y() <= dirs.bottom()) pairs_->Wheel(notches);
}

void frmMain::SetDirsVisibleRows(int rows) {
    dirsVisibleRows_ = qMax(1, rows);
    LayoutLists();
}

void frmMain::LayoutLists() {
    const int title = ui->flexDirs->RowHeight(0);
    const int height = title * (dirsVisibleRows_ + 1) + 2 * ui->flexDirs->frameWidth();
    ui->flexDirs->setFixedHeight(height);
}

void frmMain::ArrangeCommandButtons() {
    QToolBar* bars[4] = {ui->tbar_0, ui->tbar_1, ui->tbar_2, ui->tbar_3};
    QPushButton* commands[4] = {ui->cmdCompare, ui->cmdSynch, ui->cmdTreeAndSearch, ui->cmdExtras};
    const int spacing = ui->layBars->spacing();
    int barsWidth = 0, buttons = 0, buttonHeight = 0;
    for (QToolBar* bar : bars) barsWidth += bar->minimumWidth() + spacing;
    for (QPushButton* b : commands) {
        buttons += b->sizeHint().width() + spacing;
        buttonHeight = qMax(buttonHeight, b->sizeHint().height());
    }
    const QMargins m = ui->layMain->contentsMargins();
    const bool oneRow = width() - m.left() - m.right() >= barsWidth + buttons;
    if (oneRow != (ui->layBars->indexOf(ui->cmdCompare) >= 0)) {
        QBoxLayout* to = oneRow ? ui->layBars : layCommands_;
        for (QPushButton* b : commands) to->addWidget(b);
        // Tab goes on from the toolbars to Compare in either arrangement.
        setTabOrder(ui->tbar_3, ui->cmdCompare);
    }
    // The window may be as small as the two-row arrangement needs; the layout must not hold
    // it at the width of one row, or it would never get narrow enough to take two.
    const QSize laidOut = ui->layMain->minimumSize();
    int narrow = qMax(barsWidth, buttons);
    for (QLayout* row : {static_cast<QLayout*>(ui->layDirs), static_cast<QLayout*>(ui->layCounts),
                         static_cast<QLayout*>(ui->layFiles)})
        narrow = qMax(narrow, row->minimumSize().width());
    ui->centralwidget->setMinimumSize(narrow + m.left() + m.right(),
                                      laidOut.height() + (oneRow ? buttonHeight + ui->layMain->spacing() : 0));
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!commands_) return;
    ArrangeCommandButtons();
    pairs_->PrepareWidth();
    files_->PageResized();
}

void frmMain::contextMenuEvent(QContextMenuEvent* event) {
    // A right-click on the window background opens the options menu.
    if (QApplication::keyboardModifiers() == Qt::NoModifier) commands_->ShowOptionsMenu(event->globalPos());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // The grids report events while the window still builds its collaborators.
    if (!commands_) return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // The window sees keys before its controls, but not those meant for another window.
        if (widget && widget->window() == this && isActiveWindow()) {
            if (HandleKey(static_cast<QKeyEvent*>(event))) return true;
        }
        if (watched == ui->flexFiles && files_->Key(static_cast<QKeyEvent*>(event))) return true;
        return false;
    }
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && watched == ui->flexFiles) {
        files_->FocusChanged(event->type() == QEvent::FocusIn);
        return false;
    }
    if (watched == ui->lblSplit) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && me->button() == Qt::LeftButton &&
            me->modifiers() == Qt::NoModifier) {
            splitterDragging_ = true;
            splitGrab_ = qRound(me->position().y());
            picSplit_->setGeometry(0, ui->lblSplit->y(), ui->centralwidget->width(), 3);
            picSplit_->raise();
            picSplit_->show();
            return true;
        }
        if (event->type() == QEvent::MouseMove && splitterDragging_) {
            picSplit_->move(0, ui->lblSplit->y() + qRound(me->position().y()) - splitGrab_);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && splitterDragging_) {
            splitterDragging_ = false;
            picSplit_->hide();
            const int top = picSplit_->y() - ui->flexDirs->y();
            const int title = qMax(1, ui->flexDirs->RowHeight(0));
            SetDirsVisibleRows(qRound(static_cast<double>(top) / title - 1));
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress && me->button() == Qt::RightButton) {
            commands_->ShowOptionsMenu(me->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::Wheel &&
        (watched == ui->flexFiles->viewport() || watched == ui->flexDirs->viewport() ||
         watched == ui->flexFiles->horizontalHeader()->viewport())) {
        auto* we = static_cast<QWheelEvent*>(event);
        wheelRest_ += we->angleDelta().y();
        const int notches = wheelRest_ / WheelNotch;
        wheelRest_ %= WheelNotch;
        MouseWheel(notches, we->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::Resize && watched == ui->flexFiles->viewport()) {
        // The page holds as many rows as the grid shows.
        files_->Scroll()->SetLargeChange(files_->PageSize());
        QTimer::singleShot(0, this, [this] { files_->Display(); });
        return false;
    }
    if (event->type() == QEvent::Resize && watched == ui->flexDirs->viewport()) {
        QTimer::singleShot(0, this, [this] { pairs_->PrepareWidth(); });
        return false;
    }
    if (event->type() == QEvent::Show && watched == ui->centralwidget && !activatedOnce_) {
        // Without a window manager the window may never become active: the first showing
        // stands in for the first activation then.
        QTimer::singleShot(300, this, [this] {
            if (!activatedOnce_) {
                FirstActivationNow();
            }
        });
    }
    if (event->type() == QEvent::ToolTip && watched == ui->flexFiles->viewport()) return files_->ToolTip(event);
    if (event->type() == QEvent::ToolTip && watched == ui->flexDirs->viewport()) return pairs_->TitleToolTip(event);
    return QMainWindow::eventFilter(watched, event);
}
