#include "ui/main/frmMain.h"

#include "i18n/forms/FormPreparation.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "engine/FileView.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/clsMousePointer.h"
#include "ui/main/StandardDialogLanguage.h"
#include "ui/main/WindowPlacement.h"
#include "ui/main/dlgHint.h"
#include "ui/main/dlgSearchFile.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/MainWindowWeb.h"
#include "platform/SystemInfo.h"
#include "web/HelpPages.h"
#include "web/PageProtocol.h"
#include "web/UpdateCheck.h"
#include <QFileInfo>
#include <QProcess>

#include <QAction>
#include <QApplication>
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
    // A narrow window puts the command buttons on a row of their own below the toolbars.
    layCommands_ = new QHBoxLayout();
    layCommands_->setObjectName(QStringLiteral("layCommands"));
    layCommands_->setSpacing(ui->layBars->spacing());
    layCommands_->addStretch(1);
    ui->layMain->insertLayout(ui->layMain->indexOf(ui->layBars) + 1, layCommands_);
    ui->layMain->setSizeConstraint(QLayout::SetNoConstraint);
    vlsbFiles_ = new clsLongScroll(this);
    vlsbFiles_->SetClient(ui->vsbFiles);
    for (int i = 0; i < 3; ++i) {
        status_[static_cast<size_t>(i)] = new QLabel(this);
        status_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("lblStatus_%1").arg(i));
        // No accessible name: a screen reader then reads the label's text and hears it change.
        status_[static_cast<size_t>(i)]->setAccessibleDescription(tr("Status field %1").arg(i + 1));
        statusBar()->addWidget(status_[static_cast<size_t>(i)], i == 1 ? 2 : 1);
    }
    cmdRunErrors_ = new QToolButton(this);
    cmdRunErrors_->setObjectName(QStringLiteral("cmdRunErrors"));
    cmdRunErrors_->hide();  // its texts come with the others' (LocaliseComputedTexts)
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
    // The list itself takes the keys: its row cursor moves through the whole list and the page
    // follows. The scrollbar beside it stays for the mouse and reports the place in the list.
    ui->flexFiles->setFocusPolicy(Qt::StrongFocus);
    ui->vsbFiles->setFocusPolicy(Qt::NoFocus);
    FilesListAccessible::Attach(ui->flexFiles, this);
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
    SetTabOrder();
    LocaliseAccessibleNames();
    connect(&tmrMain_, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    connect(&tmrProgress_, &QTimer::timeout, this, &frmMain::tmrProgress_Timer);
    tmrProgress_.setInterval(150);
    openWithShell = nullptr;
    ui->cmdCompare->setEnabled(false);
    // Until the profile of the command line has loaded, a synchronisation would find no pair.
    ui->cmdSynch->setEnabled(false);
    ui->cmdTreeAndSearch->setEnabled(false);  // nothing to show before the first compare
    ConnectMainWindowToWeb(*this);
    BuildFirstStartGuide();
    UpdatePairButtons();
}

frmMain::~frmMain() {
    PageProtocol::Instance().UnregisterWindow(objectName());
    qApp->removeEventFilter(this);
}

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
    ScaleForm(this, false);
    LayoutLists();
    ApplyLanguageToStandardDialogs();
    LocalizeControls(this);
    // The count boxes' design text stands only where nothing is counted: a list on show keeps
    // its counts, in the new language.
    ShowCounts();
    const int windowKey = property("key").toInt();
    setWindowTitle(Caption(windowKey, QStringLiteral("Tandor")));
    // A screen reader names the window by its title, the profile's name included.
    setAccessibleName(windowTitle());
    LocaliseComputedTexts();
    UpdateFirstStartGuide();
    ArrangeCommandButtons();  // the captions' widths decide
}

void frmMain::HideNoStartupInfoBox(int value) {
    ui->chkNoStartupInfo->setChecked(value != 0);
    ui->chkNoStartupInfo->hide();
}

void frmMain::SetNoStartupInfo(bool on) {
    ui->chkNoStartupInfo->setChecked(on);
    Settings().NoStartupInfo = on ? 1 : 0;
    WriteSettingsString(QStringLiteral("General"), QStringLiteral("NoStartupInfo"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool frmMain::NoStartupInfo() const { return ui->chkNoStartupInfo->isChecked(); }

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
    ArrangeCommandButtons();
}

void frmMain::StartTimer() { tmrMain_.start(1000); }

void frmMain::RestorePosition(const QString& formPos) {
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen()) screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) screens << screen->availableGeometry();
    // The stored place of a program that never closed its window is the design default: a
    // first start opens at a size that uses the screen instead.
    if (formPos.trimmed().isEmpty() || formPos == DefaultFormPos()) {
        if (!screens.isEmpty()) setGeometry(FirstStartGeometry(screens.first()));
        return;
    }
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
    const QSize size = (w > 0 && h > 0) ? QSize(w, h).expandedTo(minimumSizeHint()) : this->size();
    // A place on a screen that is gone (or from a larger one) is moved where the user sees it.
    const QRect placed = PlaceOnScreens(QRect(QPoint(static_cast<int>(v[0] / tpp), static_cast<int>(v[1] / tpp)), size), screens);
    move(placed.topLeft());
    if ((w > 0 && h > 0) || placed.size() != size) resize(placed.size());
}

void frmMain::ShowWindow(bool hidden, int formState) {
    ArrangeCommandButtons();
    if (hidden) {
        setWindowState(Qt::WindowMinimized);
        return;
    }
    if (formState == 2) showMaximized();
    else show();
}

void frmMain::ShowHint() {
    dlgHint::ShowModal(this);
}

void frmMain::EnableCompare() {
    // With a profile still to come from the command line, its loading enables the buttons.
    if (commandLinePending_) return;
    ui->cmdCompare->setEnabled(!running_);
    ui->cmdSynch->setEnabled(!running_);
}

void frmMain::SetProfileTitle(const QString& profileName) {
    const QString program = Caption(property("key").toInt(), QStringLiteral("Tandor"));
    setWindowTitle(profileName.isEmpty() ? program : profileName + QStringLiteral(" \u00B7 ") + program);
    setAccessibleName(windowTitle());
}

void frmMain::CloseWindow() {
    closing_ = true;
    close();
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
    QTimer::singleShot(0, this, [this] {
        if (firstActivation_) firstActivation_();
        commandLinePending_ = false;
        EnableCompare();
    });
}

void frmMain::tmrMain_Timer() {
    // A hidden start never shows the window, so it opens no browser window either.
    if (Switches().Hidden) return;
    if (ticks_++ % 60 == 0) UpdateDueCheck();
    if (firstTickDone_) return;
    // Not under the start-up hint (a modal dialog): opened now, the page would fall behind the
    // main window once the hint closes. The next tick after it opens it on top.
    if (QApplication::activeModalWidget()) return;
    firstTickDone_ = true;
    if (Switches().WizardRequested) SetUrl(QStringLiteral("wizard.htm"), false);
    if (!ui->chkNoStartupInfo->isChecked()) {
        const QString script = ProgramFolder() + QStringLiteral("/TandorInfo.sh");
        if (QFileInfo(script).isExecutable())
            QProcess::startDetached(script, {Settings().LanguageName}, ProgramFolder());
        OpenStartupInformation();
    }
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
    UpdatePairButtons();
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

void frmMain::ArrangeCommandButtons() {
    if (!layCommands_ || !tbar_[3]) return;
    QPushButton* commands[4] = {ui->cmdCompare, ui->cmdSynch, ui->cmdTreeAndSearch, ui->cmdExtras};
    const int spacing = ui->layBars->spacing();
    int bars = 0, buttons = 0, buttonHeight = 0;
    for (QToolBar* bar : tbar_) bars += bar->minimumWidth() + spacing;
    for (QPushButton* b : commands) {
        buttons += b->sizeHint().width() + spacing;
        buttonHeight = qMax(buttonHeight, b->sizeHint().height());
    }
    const QMargins m = ui->layMain->contentsMargins();
    const bool oneRow = width() - m.left() - m.right() >= bars + buttons;
    if (oneRow != (ui->layBars->indexOf(ui->cmdCompare) >= 0)) {
        QBoxLayout* to = oneRow ? ui->layBars : layCommands_;
        for (QPushButton* b : commands) to->addWidget(b);
        // Tab goes on from the toolbars to Compare in either arrangement.
        setTabOrder(tbar_[3], ui->cmdCompare);
    }
    // The window may be as small as the two-row arrangement needs; the layout must not hold
    // it at the width of one row, or it would never get narrow enough to take two.
    const QSize laidOut = ui->layMain->minimumSize();
    int narrow = qMax(bars, buttons);
    for (QLayout* row : {static_cast<QLayout*>(ui->layDirs), static_cast<QLayout*>(ui->layCounts),
                         static_cast<QLayout*>(ui->layFiles)})
        narrow = qMax(narrow, row->minimumSize().width());
    ui->centralwidget->setMinimumSize(narrow + m.left() + m.right(),
                                      laidOut.height() + (oneRow ? buttonHeight + ui->layMain->spacing() : 0));
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ArrangeCommandButtons();
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
        if (watched == ui->flexFiles && FilesKey(static_cast<QKeyEvent*>(event))) return true;
        return false;
    }
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && watched == ui->flexFiles) {
        // The cursor shows where the keys act as soon as the list has them.
        if (event->type() == QEvent::FocusIn && AccessibleCursor() < 1 && CurrentFileView().LastIndex() >= 1)
            currentViewIndex_ = vlsbFiles_->Value();
        DisplayFiles();
        if (event->type() == QEvent::FocusIn && AccessibleCursor() > 0)
            FilesListAccessible::CursorMoved(ui->flexFiles, currentViewIndex_);
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
    if (event->type() == QEvent::ToolTip && watched == ui->flexDirs->viewport()) return DirsTitleToolTip(event);
    return QMainWindow::eventFilter(watched, event);
}
