#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "i18n/DefaultListNames.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "platform/SystemInfo.h"
#include "ui/main/HelpKeys.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainMessages.h"
#include "ui/main/MainPairList.h"
#include "ui/main/MainWindowWeb.h"
#include "ui/main/StandardDialogLanguage.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/WindowPlacement.h"
#include "ui/main/dlgHint.h"
#include "web/HelpPages.h"
#include "web/PageProtocol.h"
#include "web/UpdateCheck.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int StatusFields = 3;
constexpr int WorkingStatusField = 1;
constexpr int MainTimerInterval = 1000;  // ms
constexpr int UpdateCheckTicks = 60;     // the update check looks again once a minute

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
    SetUpGrids();
    pairs_ = new MainPairList(ui->flexDirs, lock_, this);
    files_ = new MainFileList(ui->flexFiles, ui->vsbFiles,
                              {ui->lblFilesAndDirs_0, ui->lblFilesAndDirs_1, ui->lblFilesAndDirs_2}, lock_);
    BuildStatusBar();
    commands_ = new MainCommands(this, *ui, *this, *pairs_, *files_, lock_, status_[WorkingStatusField]);
    statusBar()->addPermanentWidget(commands_->RunErrorsButton());
    connect(pairs_, &MainPairList::PairsChanged, files_, &MainFileList::MarkStale);
    connect(commands_, &MainCommands::LanguageChosen, this, &frmMain::LanguageChanged);
    connect(commands_, &MainCommands::DefaultSettingsApplied, this, &frmMain::DefaultSettingsApplied);
    picSplit_ = new QFrame(ui->centralwidget);
    picSplit_->setObjectName(QStringLiteral("picSplit"));
    picSplit_->setFrameShape(QFrame::HLine);
    picSplit_->setStyleSheet(QStringLiteral("background: palette(highlight);"));
    picSplit_->hide();
    ui->chkNoStartupInfo->hide();
    ui->lblSplit->installEventFilter(this);
    ui->centralwidget->installEventFilter(this);
    ui->lblSplit->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit* box : {ui->lblFilesAndDirs_0, ui->lblFilesAndDirs_1, ui->lblFilesAndDirs_2})
        box->setFocusPolicy(Qt::TabFocus);
    qApp->installEventFilter(this);
    SetTabOrder();
    LocaliseAccessibleNames();
    connect(&tmrMain_, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    ConnectMainWindowToWeb(*this);
    files_->UpdateStartGuide();
}

frmMain::~frmMain() {
    PageProtocol::Instance().UnregisterWindow(objectName());
    qApp->removeEventFilter(this);
}

void frmMain::SetUpGrids() {
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
}

void frmMain::BuildStatusBar() {
    for (size_t i = 0; i < status_.size(); ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setObjectName(QStringLiteral("lblStatus_%1").arg(i));
        // No accessible name: a screen reader then reads the label's text and hears it change.
        status_[i]->setAccessibleDescription(tr("Status field %1").arg(i + 1));
        statusBar()->addWidget(status_[i], i == WorkingStatusField ? 2 : 1);
    }
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
    files_->ShowCounts();
    const int windowKey = property("key").toInt();
    setWindowTitle(Caption(windowKey, QStringLiteral("Tandor")));
    // A screen reader names the window by its title, the profile's name included.
    setAccessibleName(windowTitle());
    commands_->LocaliseTexts();
    LocaliseAccessibleNames();
    files_->UpdateStartGuide();
    ArrangeCommandButtons();  // the captions' widths decide
}

void frmMain::LocaliseAccessibleNames() {
    files_->LocaliseNames();
    const QString pairsName = FormatMsg(MainMsg::DirsListName);
    ui->flexDirs->setAccessibleName(pairsName.isEmpty() ? QStringLiteral("Folder pairs") : pairsName);
    const QString fieldName = FormatMsg(MainMsg::StatusFieldName);
    for (size_t i = 0; i < status_.size(); ++i)
        status_[i]->setAccessibleDescription((fieldName.isEmpty() ? QStringLiteral("Status field %1") : fieldName).arg(i + 1));
    ui->lblSplit->setAccessibleName(FormatToolTip(QString::number(MainKey::Splitter)));
    commands_->NameToolbars();
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
    pairs_->PrepareWidth();
    commands_->ApplyToolbarStates();
    LayoutLists();
    ArrangeCommandButtons();
}

void frmMain::StartTimer() { tmrMain_.start(MainTimerInterval); }

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
    commands_->EnableRuns();
}

bool frmMain::LastCompareSucceeded() const { return files_->LastCompareSucceeded(); }

void frmMain::RunCompare() { commands_->RunCompare(); }

void frmMain::RunSynchronize() { commands_->RunSynchronize(); }

void frmMain::OpenExampleProfile(int index) { commands_->OpenExampleProfile(index); }

void frmMain::RestoreExampleFiles() { commands_->RestoreExampleFiles(); }

bool frmMain::ChooseLanguage() { return commands_->ChooseLanguage(); }

void frmMain::ClearLists() {
    pairs_->PrepareTitle();
    files_->Clear();
}

void frmMain::ShowLoadedProfile() {
    commands_->ApplyToolbarStates();
    pairs_->PrepareTitle();
    pairs_->ShowPairs();
    // The first pair is selected, so that Edit edits it without a click first.
    if (!CurrentProfile().profile.Pairs.isEmpty()) pairs_->Select(1, -1);
    files_->MarkStale();
}

void frmMain::LanguageChanged() {
    RelocaliseDefaultListNames(Settings().DefaultProfileOptions, CurrentProfile().profile.Options);
    ScaleAndLocalise();
    SetProfileTitle(ProfileNameOf(CurrentProfile().ProfilePath));
    // The titles of both lists name the sides in the new language; the pairs and the selection
    // stay, and so does the file list's page.
    const int selected = pairs_->RowSelected() ? pairs_->CurrentRow() : 0;
    pairs_->PrepareTitle();
    pairs_->ShowPairs();
    if (selected >= 1 && selected <= CurrentProfile().profile.Pairs.size()) pairs_->Select(selected, -1);
    files_->Display();
}

void frmMain::DefaultSettingsApplied(bool compareOptionsChanged, bool zoomChanged) {
    if (compareOptionsChanged) files_->MarkStale();
    if (zoomChanged) RescaleOpenWindows();  // this window and every open dialog
    commands_->LocaliseTexts();  // the toolbar captions follow "Display text on button bars"
    LocaliseAccessibleNames();
    ui->flexDirs->viewport()->update();
}

void frmMain::SetProfileTitle(const QString& profileName) {
    const QString program = Caption(property("key").toInt(), QStringLiteral("Tandor"));
    setWindowTitle(profileName.isEmpty() ? program : profileName + QStringLiteral(" \u00B7 ") + program);
    setAccessibleName(windowTitle());
}

void frmMain::CloseWindow() {
    closing_ = true;
    commands_->WindowClosing();
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
    commands_->ShowAllFilters();
    QTimer::singleShot(0, this, [this] {
        if (firstActivation_) firstActivation_();
        commandLinePending_ = false;
        EnableCompare();
    });
}

void frmMain::tmrMain_Timer() {
    // A hidden start never shows the window, so it opens no browser window either.
    if (Switches().Hidden) return;
    if (ticks_++ % UpdateCheckTicks == 0) UpdateDueCheck();
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

void frmMain::SetStatus(int field, const QString& text) {
    if (field >= 0 && field < StatusFields) status_[static_cast<size_t>(field)]->setText(text);
}

void frmMain::SetCompareStage(int stage) { files_->SetCompareStage(stage); }

void frmMain::SetBusy(bool busy) { SetBusyPointer(busy); }
