#include "ui/main/frmMain.h"

#include "i18n/forms/LocalizeControls.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "engine/FileView.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/clsMousePointer.h"
#include "ui/main/dlgSearchFile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

namespace {
double TwipsPerPixel(const QWidget* w) { return 1440.0 / qMax(1, w->logicalDpiX()); }

// Localised caption of an element by its key, or the design text when the language lacks it.
QString Caption(int key, const QString& design) {
    if (key == 0) return design;
    const QString text = Localizer().ControlText(QString::number(key));
    return text.isEmpty() ? design : text;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()) {
    ui->setupUi(this);
    // The file list takes the height the window has to spare; the profile list sits at the top
    // beside its buttons.
    ui->layMain->setStretchFactor(ui->layFiles, 1);
    ui->layDirs->setAlignment(ui->flexDirs, Qt::AlignTop);
    vlsbFiles_ = new clsLongScroll(this);
    vlsbFiles_->SetClient(ui->vsbFiles);
    for (int i = 0; i < 3; ++i) {
        status_[static_cast<size_t>(i)] = new QLabel(this);
        status_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("lblStatus_%1").arg(i));
        status_[static_cast<size_t>(i)]->setAccessibleName(tr("Status field %1").arg(i + 1));
        statusBar()->addWidget(status_[static_cast<size_t>(i)], i == 1 ? 2 : 1);
    }
    cmdRunErrors_ = new QToolButton(this);
    cmdRunErrors_->setObjectName(QStringLiteral("cmdRunErrors"));
    cmdRunErrors_->setText(FormatMsg(1223));
    cmdRunErrors_->setToolTip(FormatToolTip(QStringLiteral("1223")));
    cmdRunErrors_->setAccessibleName(FormatMsg(1223));
    cmdRunErrors_->hide();
    connect(cmdRunErrors_, &QToolButton::clicked, this, &frmMain::ShowRunErrors);
    statusBar()->addPermanentWidget(cmdRunErrors_);
    picSplit_ = new QFrame(ui->centralwidget);
    picSplit_->setObjectName(QStringLiteral("picSplit"));
    picSplit_->setFrameShape(QFrame::HLine);
    picSplit_->setStyleSheet(QStringLiteral("background: palette(highlight);"));
    picSplit_->hide();
    ui->chkNoStartupInfo->hide();
    for (TOFlexGrid* grid : {ui->flexDirs, ui->flexFiles}) {
        // The window paints its own highlight; the grid's selection and focus frame stay off.
        grid->setSelectionMode(QAbstractItemView::NoSelection);
        grid->SetHighLight(TOFlexGrid::HighlightNever);
        grid->SetFocusRect(false);
        grid->SetFixedRows(1);
        grid->SetFixedCols(0);
        grid->SetAllowUserResizing(false);
        grid->setMouseTracking(true);
        grid->viewport()->installEventFilter(this);
        grid->horizontalHeader()->viewport()->installEventFilter(this);
        // A right-click on a list opens the list's own menu, never the window's options menu.
        for (QWidget* w : {static_cast<QWidget*>(grid), grid->viewport(), static_cast<QWidget*>(grid->horizontalHeader()),
                           grid->horizontalHeader()->viewport()})
            w->setContextMenuPolicy(Qt::PreventContextMenu);
    }
    ui->flexDirs->SetCols(7);
    ui->flexDirs->SetWordWrap(true);
    ui->flexDirs->SetScrollBars(TOFlexGrid::ScrollBarVertical);
    ui->flexDirs->SetMergeCells(2);
    ui->flexDirs->SetOLEDropMode(1);
    ui->flexFiles->SetCols(8);
    ui->flexFiles->SetWordWrap(false);
    ui->flexFiles->SetScrollBars(TOFlexGrid::ScrollBarNone);
    ui->flexFiles->SetMergeCells(2);
    // The page is what the grid shows; the scrollbar beside it moves through the list.
    ui->flexFiles->setFocusProxy(ui->vsbFiles);
    ui->lblSplit->installEventFilter(this);
    ui->centralwidget->installEventFilter(this);
    ui->lblSplit->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit* box : {ui->lblFilesAndDirs_0, ui->lblFilesAndDirs_1, ui->lblFilesAndDirs_2})
        box->setFocusPolicy(Qt::TabFocus);
    qApp->installEventFilter(this);
    BuildToolbars();
    BuildMenus();
    ConnectControls();
    ConnectGrids();
    connect(&tmrMain_, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    connect(&tmrProgress_, &QTimer::timeout, this, &frmMain::tmrProgress_Timer);
    tmrProgress_.setInterval(150);
    openWithShell = nullptr;
    ui->cmdCompare->setEnabled(false);
    ui->cmdTreeAndSearch->setEnabled(false);  // nothing to show before the first compare
}

frmMain::~frmMain() { qApp->removeEventFilter(this); }

TOFlexGrid* frmMain::flexDirs() const { return ui->flexDirs; }
TOFlexGrid* frmMain::flexFiles() const { return ui->flexFiles; }

QString frmMain::CountBoxText(int box) const {
    const QLineEdit* boxes[3] = {ui->lblFilesAndDirs_0, ui->lblFilesAndDirs_1, ui->lblFilesAndDirs_2};
    return boxes[box]->text();
}
QString frmMain::StatusText(int field) const { return status_[static_cast<size_t>(field)]->text(); }
bool frmMain::CompareEnabled() const { return ui->cmdCompare->isEnabled(); }
bool frmMain::SynchEnabled() const { return ui->cmdSynch->isEnabled(); }

void frmMain::ConnectControls() {
    connect(ui->cmdLoad, &QPushButton::clicked, this, [this] { OpenProfile(); });
    connect(ui->cmdSave, &QPushButton::clicked, this, [this] {
        if (CurrentProfile().profile.Pairs.isEmpty()) Host().Beep();
        else SaveProfileAs();
    });
    connect(ui->cmdAdd, &QPushButton::clicked, this, [this] { AddPair(); });
    connect(ui->cmdEdit, &QPushButton::clicked, this, [this] {
        if (dirsRowSelected_) EditPair(currentDirsRow_);
        else Host().Beep();
    });
    connect(ui->cmdRemove, &QPushButton::clicked, this, [this] {
        if (dirsRowSelected_) RemovePair(currentDirsRow_);
        else Host().Beep();
    });
    connect(ui->cmdCompare, &QPushButton::clicked, this, [this] { RunCompare(); });
    connect(ui->cmdSynch, &QPushButton::clicked, this, [this] { RunSynchronize(); });
    connect(ui->cmdTreeAndSearch, &QPushButton::clicked, this,
            [this] { dlgSearchFile::ShowModal(this, [this](int viewIndex) { ShowViewRow(viewIndex); }); });
    connect(ui->cmdExtras, &QPushButton::clicked, this, [this] {
        ShowOptionsMenu(ui->cmdExtras->mapToGlobal(QPoint(0, ui->cmdExtras->height())));
    });
    connect(vlsbFiles_, &clsLongScroll::Change, this, [this] { DisplayFiles(); });
}

// ---- Start-up steps --------------------------------------------------------------------------

void frmMain::SetBusyPointer(bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void frmMain::ScaleAndLocalise() {
    // The wheel's lines per notch are the desktop's to tell, asked once the settings are read.
    Settings().WheelScrollLines = QApplication::wheelScrollLines();
    LocalizeControls(this);
    const int windowKey = property("key").toInt();
    setWindowTitle(Caption(windowKey, QStringLiteral("Tandor")));
    LocaliseComputedTexts();
}

void frmMain::HideNoStartupInfoBox(int value) {
    ui->chkNoStartupInfo->setChecked(value != 0);
    ui->chkNoStartupInfo->hide();
}

bool frmMain::ChooseLanguage() { return false; }  // the language dialog is not part of this build

void frmMain::ExtendSystemMenu() {
    // The window manager's menu cannot be extended here; the same commands are in the options
    // menu (cmdExtras and a right-click on the window background).
}

void frmMain::Prepare() {
    ClearLists();
    PrepareDirsTitle();
    PrepareDirsWidth();
    ApplyToolbarStates();
    LayoutLists();
}

void frmMain::StartTimer() { tmrMain_.start(1000); }

void frmMain::RestorePosition(const QString& formPos) {
    QStringList parts = formPos.split(QLatin1Char(';'));
    while (parts.size() < 4) parts << QString();
    double v[4];
    for (int i = 0; i < 4; ++i) {
        // The leading digits count; an empty or non-numeric part is 0.
        const QString p = parts[i].trimmed();
        qsizetype n = 0;
        while (n < p.size() && (p[n].isDigit() || (n == 0 && p[n] == QLatin1Char('-')) || p[n] == QLatin1Char('.'))) ++n;
        v[i] = p.left(n).toDouble();
    }
    const double tpp = TwipsPerPixel(this);
    const int w = static_cast<int>(v[2] / tpp), h = static_cast<int>(v[3] / tpp);
    move(static_cast<int>(v[0] / tpp), static_cast<int>(v[1] / tpp));
    if (w > 0 && h > 0) resize(w, h);
}

void frmMain::ShowWindow(bool hidden, int formState) {
    if (hidden) {
        setWindowState(Qt::WindowMinimized);
        return;
    }
    if (formState == 2) showMaximized();
    else show();
}

void frmMain::ShowHint() {}  // the hint window comes with the message box work

void frmMain::EnableCompare() { ui->cmdCompare->setEnabled(true); }

void frmMain::SetProfileTitle(const QString& profileName) {
    const QString program = Caption(property("key").toInt(), QStringLiteral("Tandor"));
    setWindowTitle(profileName.isEmpty() ? program : profileName + QStringLiteral(" \u00B7 ") + program);
}

void frmMain::CloseWindow() {
    closing_ = true;
    close();
}

// ---- Closing --------------------------------------------------------------------------------

bool frmMain::AskSaveChanges(bool withCancel, bool* cancelled) {
    if (cancelled) *cancelled = false;
    if (!CurrentProfile().ProfileChanged) return true;
    const int answer = Host().AppMessageBox(FormatMsg(800), (withCancel ? MsgBox::YesNoCancel : MsgBox::YesNo) | MsgBox::Question);
    if (answer == MsgBox::Cancel) {
        if (cancelled) *cancelled = true;
        return false;
    }
    if (answer == MsgBox::Yes) {
        SaveProfileAs();
        return !CurrentProfile().ProfileChanged;
    }
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    CurrentFileView().Clear();
    if (!AskSaveChanges(true, nullptr)) {
        event->ignore();
        closing_ = false;
        DisplayFiles();
        return;
    }
    ProgramSettings& settings = Settings();
    const Qt::WindowStates state = windowState();
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const double tpp = TwipsPerPixel(this);
        const float now[4] = {static_cast<float>(pos().x() * tpp), static_cast<float>(pos().y() * tpp),
                              static_cast<float>(width() * tpp), static_cast<float>(height() * tpp)};
        const QStringList stored = settings.FormPos.split(QLatin1Char(';'));
        bool differs = stored.size() != 4;
        for (int i = 0; i < 4 && !differs; ++i) differs = stored[i].toFloat() != now[i];
        if (differs) {
            QStringList parts;
            for (float f : now) parts << QString::number(static_cast<double>(f), 'g', 9);
            settings.FormPos = parts.join(QLatin1Char(';'));
            WriteSettingsString(QStringLiteral("Form"), QStringLiteral("Pos"), settings.FormPos);
        }
    }
    if (!(state & Qt::WindowMinimized)) {
        const int current = (state & Qt::WindowMaximized) ? 2 : 0;
        if (current != settings.FormState) {
            settings.FormState = current;
            WriteSettingsString(QStringLiteral("Form"), QStringLiteral("State"), QString::number(current));
        }
    }
    tmrMain_.stop();
    tmrProgress_.stop();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
    event->accept();
}

// ---- Activation and timers ------------------------------------------------------------------

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FirstActivationNow();
}

void frmMain::FirstActivationNow() {
    if (activatedOnce_) return;
    activatedOnce_ = true;
    // "All" on both filter toolbars (shown, not clicked), then the profile of the command line.
    syncingToolbars_ = true;
    tbar_[1]->actions().first()->setChecked(true);
    tbar_[2]->actions().first()->setChecked(true);
    syncingToolbars_ = false;
    if (firstActivation_) QTimer::singleShot(0, this, [this] { firstActivation_(); });
}

void frmMain::tmrMain_Timer() {
    if (firstTickDone_) return;
    firstTickDone_ = true;
    // The first tick opens the assistant and runs the start-up information script; neither the
    // browser window nor that script is part of this build, so the tick has nothing to do yet.
}

void frmMain::tmrProgress_Timer() {
    busyCounter_ += busyStep_;
    if (busyCounter_ >= 10) busyStep_ = -1;
    if (busyCounter_ <= 1) busyStep_ = 1;
    const QString dots(busyCounter_, QChar(0x2022));
    if (busySide_[0]) ui->lblFilesAndDirs_0->setText(dots);
    if (busySide_[1]) ui->lblFilesAndDirs_2->setText(dots);
}

void frmMain::SetStatus(int field, const QString& text) {
    if (field >= 0 && field < 3) status_[static_cast<size_t>(field)]->setText(text);
}

void frmMain::SetCompareStage(int stage) {
    busySide_[0] = stage == 1;
    busySide_[1] = stage == 2;
    if (stage == 1 || stage == 2) {
        if (!tmrProgress_.isActive()) tmrProgress_.start();
        // The side that is done shows no dots any more.
        if (stage == 2) ui->lblFilesAndDirs_0->clear();
    } else if (stage == 3) {
        ui->lblFilesAndDirs_0->clear();
        ui->lblFilesAndDirs_2->clear();
    } else {
        tmrProgress_.stop();
        ShowCounts();
    }
}

void frmMain::SetBusy(bool busy) { SetBusyPointer(busy); }

void frmMain::SetButtonsRunning(bool running) {
    running_ = running;
    ui->cmdCompare->setEnabled(!running);
    ui->cmdSynch->setEnabled(!running);
    // The tree needs a compared list with at least one row besides the root.
    ui->cmdTreeAndSearch->setEnabled(!running && CurrentFileView().ViewList.size() >= 2);
    // The windows let events run while a compare or a synchronisation works, and the run works
    // on the list, its ticks, the options and the profile as they were when it started: whatever
    // would change them is off (and shown so) until the run ends. The handlers refuse as well,
    // for the ways in that do not pass a disabled control (keys, menus, a screen reader).
    for (QWidget* control : {static_cast<QWidget*>(ui->cmdLoad), static_cast<QWidget*>(ui->cmdSave),
                             static_cast<QWidget*>(ui->cmdAdd), static_cast<QWidget*>(ui->cmdEdit),
                             static_cast<QWidget*>(ui->cmdRemove), static_cast<QWidget*>(ui->flexDirs),
                             static_cast<QWidget*>(ui->flexFiles)})
        control->setEnabled(!running);
    if (mnuExamples_) mnuExamples_->setEnabled(!running);
    UpdateToolbarsEnabled();
}

bool frmMain::RefusedWhileRunning() const {
    if (!running_) return false;
    Host().Beep();
    return true;
}

// ---- Keys, wheel, splitter ------------------------------------------------------------------

bool frmMain::HandleKey(QKeyEvent* event) {
    if (handlingKey_) return false;
    handlingKey_ = true;
    bool used = true;
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier) {
        switch (event->key()) {
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
        case Qt::Key_Insert: AddPair(); break;
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
    const int lines = Settings().WheelScrollLines;
    if (lines == 0 || notches == 0) return;
    const QPoint p = mapFromGlobal(globalPos);
    const QRect files(ui->flexFiles->mapTo(this, QPoint(0, 0)), ui->flexFiles->size());
    const QRect dirs(ui->flexDirs->mapTo(this, QPoint(0, 0)), ui->flexDirs->size());
    if (p.y() >= files.top() && p.y() <= files.bottom()) {
        const int64_t step = lines == -1 ? static_cast<int64_t>(vlsbFiles_->LargeChange())
                                         : static_cast<int64_t>(lines) * vlsbFiles_->SmallChange();
        const int64_t target = vlsbFiles_->Value() - step * notches;
        vlsbFiles_->SetValue(static_cast<int32_t>(std::clamp<int64_t>(target, INT32_MIN, INT32_MAX)));
    } else if (p.y() >= dirs.top() && p.y() <= dirs.bottom()) {
        TOFlexGrid* grid = ui->flexDirs;
        if (grid->Rows() > 1) grid->SetTopRow(std::clamp(grid->TopRow() - notches, 1, grid->Rows() - 1));
    }
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

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    PrepareDirsWidth();
    const int page = PageSize();
    if (page != vlsbFiles_->LargeChange()) vlsbFiles_->SetLargeChange(page);
    DisplayFiles();
}

void frmMain::contextMenuEvent(QContextMenuEvent* event) {
    // A right-click on the window background opens the options menu.
    if (QApplication::keyboardModifiers() == Qt::NoModifier) ShowOptionsMenu(event->globalPos());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // The window sees keys before its controls, but not those meant for another window.
        if (widget && widget->window() == this && isActiveWindow()) {
            if (HandleKey(static_cast<QKeyEvent*>(event))) return true;
        }
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
            ShowOptionsMenu(me->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::Wheel &&
        (watched == ui->flexFiles->viewport() || watched == ui->flexDirs->viewport() ||
         watched == ui->flexFiles->horizontalHeader()->viewport())) {
        auto* we = static_cast<QWheelEvent*>(event);
        static int rest = 0;
        rest += we->angleDelta().y();
        const int notches = rest / 120;
        rest %= 120;
        MouseWheel(notches, we->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::Resize && watched == ui->flexFiles->viewport()) {
        // The page holds as many rows as the grid shows.
        vlsbFiles_->SetLargeChange(PageSize());
        QTimer::singleShot(0, this, [this] { DisplayFiles(); });
        return false;
    }
    if (event->type() == QEvent::Resize && watched == ui->flexDirs->viewport()) {
        QTimer::singleShot(0, this, [this] { PrepareDirsWidth(); });
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
    if (event->type() == QEvent::ToolTip && watched == ui->flexFiles->viewport()) return FilesToolTip(event);
    return QMainWindow::eventFilter(watched, event);
}
