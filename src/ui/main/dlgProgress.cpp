#include "ui/main/dlgProgress.h"

#include "ui_dlgProgress.h"

#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "i18n/forms/FormPreparation.h"
#include "ui/main/HalfEvenDivide.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>

#include <algorithm>

namespace {
QPointer<dlgProgress>& Shared() {
    static QPointer<dlgProgress> instance;
    return instance;
}

// A folder is shown without its trailing separator.
QString WithoutTrailingSeparator(const QString& folder) {
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) return folder.chopped(1);
    return folder;
}

// Shortened in the middle to the width, the way long paths are compacted.
void ShowElided(QLabel* label, const QString& text, int width) {
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, width));
    // A screen reader reads the whole path, not the shortened one.
    label->setAccessibleName(text);
    label->setToolTip(text);
}
}  // namespace

dlgProgress* dlgProgress::Instance(QWidget* owner) {
    if (!Shared()) Shared() = new dlgProgress(owner ? owner : QApplication::activeWindow());
    return Shared();
}

dlgProgress* dlgProgress::Existing() { return Shared(); }

void dlgProgress::Unload() {
    dlgProgress* dialog = Shared();
    if (!dialog) return;
    Shared() = nullptr;
    dialog->tmrDisplay.stop();
    dialog->hide();
    dialog->deleteLater();
}

void dlgProgress::BringToFrontIfVisible() {
    if (Shared() && Shared()->isVisible()) Shared()->KeepInSight();
}

void dlgProgress::KeepInSight() {
    // A question the run is waiting for stays on top: raising the progress window then would
    // hide the only window that can be answered.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) return;
    raise();
}

dlgProgress::dlgProgress(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::dlgProgress>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    ScaleForm(this, false);
    LocalizeControls(this);

    // The bar fills the inside of its frame; the percentage stands over the whole of it.
    const QRect inside = ui->picProgress->contentsRect();
    ui->lblProgressPercent->setGeometry(inside);
    ui->lblProgress->setGeometry(inside.left(), inside.top(), 0, inside.height());
    QPalette bar = ui->lblProgress->palette();
    bar.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    ui->lblProgress->setPalette(bar);
    ui->lblProgressPercent->raise();
    fullWidth_ = ui->lblProgressPercent->width();
    nameWidth_ = ui->lblFilename->width();
    ui->picProgress->setAccessibleName(ui->lblProgressCaption->text().remove(QLatin1Char(':')));
    setAccessibleDescription(ui->lblCopying->text());

    connect(ui->cmdCancel, &QPushButton::clicked, this, &dlgProgress::cmdCancel_Click);
    tmrDisplay.setInterval(1000);
    connect(&tmrDisplay, &QTimer::timeout, this, &dlgProgress::tmrDisplay_Timer);
    ui->lblProgressPercent->setText(QStringLiteral("0 %"));
}

dlgProgress::~dlgProgress() {
    if (Shared() == this) Shared() = nullptr;
}

void dlgProgress::LetEventsRun() { Host().LetEventsRun(); }

void dlgProgress::Init(int64_t total) {
    total_ = total;
    done_ = 0;
    current_ = 0;
    lastPercent_ = 0;
    lastBarWidth_ = 0;
    ui->lblProgress->resize(0, ui->lblProgress->height());
    ui->lblProgressPercent->setText(QStringLiteral("0 %"));
    LetEventsRun();
}

void dlgProgress::ShowFile(const QString& fromFolder, const QString& toFolder, const QString& fileName) {
    ShowElided(ui->lblFilename, fileName, nameWidth_);
    if (!haveFrom_ || fromFolder != lastFrom_) {
        haveFrom_ = true;
        lastFrom_ = fromFolder;
        ShowElided(ui->lblFrom, WithoutTrailingSeparator(fromFolder), nameWidth_);
    }
    if (!haveTo_ || toFolder != lastTo_) {
        haveTo_ = true;
        lastTo_ = toFolder;
        ShowElided(ui->lblTo, WithoutTrailingSeparator(toFolder), nameWidth_);
    }
    LetEventsRun();
}

void dlgProgress::FileDone(int64_t size) {
    int64_t sum = 0;
    if (__builtin_add_overflow(done_, size, &sum)) return;
    done_ = sum;
    Update(0, 0);
}

void dlgProgress::Update(int64_t, int64_t bytesCopied) {
    // Nothing to show against a zero total, and an overflow keeps the last display.
    if (total_ <= 0) return;
    int64_t current = 0;
    if (__builtin_add_overflow(done_, bytesCopied, &current)) return;
    current_ = current;
    const auto percent = DivideRoundHalfEven(static_cast<WideInt>(100) * current, total_);
    if (!percent) return;
    // The display only moves forward, and a file that grew since the run counted it does not
    // push it past the end.
    const int shownPercent = static_cast<int>(std::clamp<int64_t>(*percent, 0, 100));
    if (shownPercent > lastPercent_) {
        lastPercent_ = shownPercent;
        ui->lblProgressPercent->setText(QString::number(shownPercent) + QStringLiteral(" %"));
        LetEventsRun();
    }
    const auto width = DivideRoundHalfEven(static_cast<WideInt>(fullWidth_) * current, total_);
    if (!width) return;
    const int shownWidth = static_cast<int>(std::clamp<int64_t>(*width, 0, fullWidth_));
    if (shownWidth > lastBarWidth_) {
        lastBarWidth_ = shownWidth;
        ui->lblProgress->resize(shownWidth, ui->lblProgress->height());
        LetEventsRun();
    }
}

QString dlgProgress::PercentText() const { return ui->lblProgressPercent->text(); }
int dlgProgress::BarWidth() const { return ui->lblProgress->width(); }
QString dlgProgress::FileText() const { return ui->lblFilename->text(); }
QString dlgProgress::FromText() const { return ui->lblFrom->text(); }
QString dlgProgress::ToText() const { return ui->lblTo->text(); }

void dlgProgress::cmdCancel_Click() { Run().CancelRequested = true; }

void dlgProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!tmrDisplay.isActive()) tmrDisplay.start();
}

void dlgProgress::tmrDisplay_Timer() {
    if (isVisible()) KeepInSight();
}

void dlgProgress::closeEvent(QCloseEvent* event) {
    // The window belongs to the run: closing it asks the run to stop, and the run unloads it.
    cmdCancel_Click();
    event->ignore();
}
