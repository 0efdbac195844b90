#include "ui/main/dlgMsgBox.h"

#include "ui_dlgMsgBox.h"

#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t SetMask = 0x0F;
constexpr uint32_t IconMask = 0xF0;
constexpr uint32_t RightToLeftFlag = 0x100000;
constexpr uint32_t CheckBoxFlag = 0x80000000u;
constexpr int Margin = 8;
constexpr int IconPosition = 12;

struct ButtonDef {
    int result;
    QDialogButtonBox::StandardButton platformButton;
    const char* languageKey;
};

const ButtonDef OkButton{1, QDialogButtonBox::Ok, "90800"};
const ButtonDef CancelButton{2, QDialogButtonBox::Cancel, "90801"};
const ButtonDef AbortButton{3, QDialogButtonBox::Abort, "90802"};
const ButtonDef RetryButton{4, QDialogButtonBox::Retry, "90803"};
const ButtonDef IgnoreButton{5, QDialogButtonBox::Ignore, "90804"};
const ButtonDef YesButton{6, QDialogButtonBox::Yes, "90805"};
const ButtonDef NoButton{7, QDialogButtonBox::No, "90806"};
// Set 3 has its own key for Cancel so that a language may word it differently there.
const ButtonDef CancelOfYesNo{2, QDialogButtonBox::Cancel, "90807"};

struct ButtonSet {
    QList<ButtonDef> buttons;
    int escapeIndex;  // -1: Escape does nothing and the window cannot be closed
};

ButtonSet SetOf(uint32_t set) {
    switch (set) {
    case 0: return {{OkButton}, 0};
    case 1: return {{OkButton, CancelButton}, 1};
    case 2: return {{AbortButton, RetryButton, IgnoreButton}, -1};
    case 3: return {{YesButton, NoButton, CancelOfYesNo}, 2};
    case 4: return {{YesButton, NoButton}, -1};
    case 5: return {{RetryButton, CancelButton}, 1};
    default: return {{CancelButton}, 0};
    }
}

// The captions speak the program's language: the language file's text where it has one,
// otherwise the platform's own caption (which follows the same language through Qt's
// translation), so that a German program on an English desktop says "Ja" and "Nein".
QString CaptionOf(const ButtonDef& def) {
    QString caption = FormatMsg(QString::fromLatin1(def.languageKey));
    if (caption.trimmed().isEmpty()) {
        QDialogButtonBox box;
        caption = box.addButton(def.platformButton)->text();
    }
    return caption.trimmed();
}

QString WithoutMnemonic(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption;
}

QStyle::StandardPixmap IconOf(uint32_t iconStyle) {
    switch (iconStyle) {
    case 16: return QStyle::SP_MessageBoxCritical;
    case 32: return QStyle::SP_MessageBoxQuestion;
    case 48: return QStyle::SP_MessageBoxWarning;
    default: return QStyle::SP_MessageBoxInformation;
    }
}

}  // namespace

std::function<void(int)>& dlgMsgBox::SoundPlayer() {
    static std::function<void(int)> player = [](int) { QApplication::beep(); };
    return player;
}

dlgMsgBox::dlgMsgBox(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::dlgMsgBox>()) {
    ui->setupUi(this);
    setModal(true);
}

dlgMsgBox::~dlgMsgBox() = default;

uint32_t dlgMsgBox::ShowMsg(const QString& prompt, uint32_t buttons, const QString& title,
                            QWidget* owner, int alignment, int left, int top) {
    // Whatever the program was doing, the user answers with the normal pointer.
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    dlgMsgBox box(owner);
    box.Prepare(prompt, buttons, title, alignment, left, top);
    box.exec();
    const uint32_t result = box.Result();
    QGuiApplication::restoreOverrideCursor();
    return result;
}

void dlgMsgBox::Prepare(const QString& prompt, uint32_t buttons, const QString& title,
                        int alignment, int left, int top) {
    buttonsWord_ = buttons;
    ScaleForm(this, false);
    LocalizeControls(this);

    // Only the first button of the design stays; the set's buttons are made from it below.
    for (QPushButton* b : buttons_) {
        if (b != ui->cmdAction_0) delete b;
    }
    buttons_.clear();

    const QFont font = QApplication::font("QMessageBox");
    setFont(font);
    ui->lblPrompt->setFont(font);
    ui->chkAgain->setFont(font);
    ui->cmdAction_0->setFont(font);
    const QFontMetrics metrics(font);

    // The widest caption of any language fits: the size of "Wiederholen" with room around it.
    int buttonWidth = static_cast<int>(std::lround(1.2 * metrics.horizontalAdvance(QStringLiteral("Wiederholen"))));
    int buttonHeight = std::max(metrics.height() + Margin, ui->cmdAction_0->sizeHint().height());

    int x = Margin;
    iconStyle_ = static_cast<int>(buttons & IconMask);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    if (iconStyle_ != 0) {
        const QIcon icon = style()->standardIcon(IconOf(buttons & IconMask), nullptr, this);
        ui->lblIcon->setPixmap(icon.pixmap(iconSize, iconSize));
        ui->lblIcon->setGeometry(IconPosition, IconPosition, iconSize, iconSize);
        ui->lblIcon->setVisible(true);
        x = IconPosition + iconSize + Margin;
    } else {
        ui->lblIcon->setVisible(false);
    }

    // The prompt stays on one line up to 60 % of the screen's width and wraps beyond.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int maxPromptWidth = screen ? screen->availableGeometry().width() * 6 / 10 : 600;
    ui->lblPrompt->setWordWrap(false);
    ui->lblPrompt->setText(prompt);
    int promptWidth = ui->lblPrompt->sizeHint().width();
    int promptHeight = ui->lblPrompt->sizeHint().height();
    if (promptWidth > maxPromptWidth) {
        ui->lblPrompt->setWordWrap(true);
        promptWidth = maxPromptWidth;
        promptHeight = ui->lblPrompt->heightForWidth(maxPromptWidth);
    }
    // A prompt taller than the screen leaves room scrolls inside the box: the buttons stay on
    // the screen whatever the length of the text.
    const int screenHeight = screen ? screen->availableGeometry().height() : 600;
    const int maxPromptHeight = std::max(metrics.height() * 3, screenHeight - 12 * Margin - 4 * buttonHeight);
    QWidget* promptBox = ui->lblPrompt;
    if (promptHeight > maxPromptHeight) {
        auto* scroller = new QScrollArea(this);
        scroller->setObjectName(QStringLiteral("scrPrompt"));
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ui->lblPrompt->setFixedSize(promptWidth, promptHeight);
        scroller->setWidget(ui->lblPrompt);
        scroller->setVisible(true);
        promptWidth += scroller->verticalScrollBar()->sizeHint().width();
        promptHeight = maxPromptHeight;
        promptBox = scroller;
    }
    int promptTop = Margin;
    if (iconStyle_ != 0) promptTop = std::max(Margin, IconPosition + (iconSize - promptHeight) / 2);
    promptBox->setGeometry(x, promptTop, promptWidth, promptHeight);
    setAccessibleDescription(prompt);

    int contentWidth = promptWidth;
    int bottom = promptBox->geometry().bottom() + 1;
    if (iconStyle_ != 0) bottom = std::max(bottom, IconPosition + iconSize);
    const bool withCheckBox = (buttons & CheckBoxFlag) != 0;
    ui->chkAgain->setVisible(withCheckBox);
    ui->chkAgain->setChecked(false);
    if (withCheckBox) {
        // Measured on a box of its own, so that no hidden control stands on the accessibility bus.
        QCheckBox probe(ui->chkAgain->text());
        probe.setFont(font);
        const QSize checkSize = probe.sizeHint();
        ui->chkAgain->setGeometry(x, bottom + Margin, checkSize.width(), checkSize.height());
        ui->chkAgain->setAccessibleName(WithoutMnemonic(ui->chkAgain->text()));
        contentWidth = std::max(contentWidth, checkSize.width());
        bottom = ui->chkAgain->geometry().bottom() + 1;
    }

    // Captions and sizes first: every button gets the size of the widest.
    const ButtonSet set = SetOf(buttons & SetMask);
    QStringList captions;
    for (const ButtonDef& def : set.buttons) {
        captions << CaptionOf(def);
        QPushButton probe(captions.last());
        probe.setFont(font);
        buttonWidth = std::max(buttonWidth, probe.sizeHint().width());
        buttonHeight = std::max(buttonHeight, probe.sizeHint().height());
    }
    const qsizetype count = set.buttons.size();
    const int buttonsWidth = static_cast<int>(count) * buttonWidth + static_cast<int>(count - 1) * Margin;
    const int clientWidth = std::max(x + contentWidth + Margin, buttonsWidth + 2 * Margin);
    const int buttonTop = bottom + 2 * Margin;
    int buttonLeft = (clientWidth - buttonsWidth) / 2;
    QWidget* previous = nullptr;
    for (qsizetype i = 0; i < count; ++i) {
        QPushButton* b = i == 0 ? ui->cmdAction_0 : new QPushButton(this);
        if (i > 0) {
            b->setObjectName(QStringLiteral("cmdAction_%1").arg(i));
            b->setProperty("index", static_cast<int>(i));
            b->setProperty("key", 0);
            b->setAutoDefault(true);
            b->setFont(font);
        }
        b->setText(captions[i]);
        b->setAccessibleName(WithoutMnemonic(captions[i]));
        b->setProperty("result", set.buttons[i].result);
        b->setGeometry(buttonLeft, buttonTop, buttonWidth, buttonHeight);
        b->setVisible(true);
        b->setDefault(false);
        buttonLeft += buttonWidth + Margin;
        disconnect(b, &QPushButton::clicked, this, nullptr);
        const int index = static_cast<int>(i);
        connect(b, &QPushButton::clicked, this, [this, index] { cmdAction_Click(index); });
        if (previous) setTabOrder(previous, b);
        previous = b;
        buttons_ << b;
    }
    if (withCheckBox && previous) setTabOrder(previous, ui->chkAgain);
    escapeButton_ = set.escapeIndex >= 0 ? buttons_[set.escapeIndex] : nullptr;
    canClose_ = set.escapeIndex >= 0;
    // Without a way out but the buttons, the window has no close button either.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (canClose_) flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setModal(true);

    const Qt::Alignment horizontal = alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    ui->lblPrompt->setAlignment(horizontal | Qt::AlignTop);
    const Qt::LayoutDirection direction = (buttons & RightToLeftFlag) ? Qt::RightToLeft : Qt::LeftToRight;
    ui->lblPrompt->setLayoutDirection(direction);
    ui->chkAgain->setLayoutDirection(direction);

    setFixedSize(clientWidth, buttonTop + buttonHeight + Margin);
    result_ = static_cast<uint32_t>(set.buttons.last().result);
    activated_ = false;
    Place(left, top);
    if (!title.isEmpty()) setWindowTitle(title);
}

void dlgMsgBox::Place(int left, int top) {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QSize size = frameSize().expandedTo(this->size());
    const QPoint screenCentre = available.center();
    const QPoint ownerCentre = owner ? owner->frameGeometry().center() : screenCentre;
    const double twipsPerPixel = 1440.0 / std::max(1.0, screen->logicalDotsPerInchX());
    auto coordinate = [&](int value, int screenCentreValue, int ownerCentreValue, int extent) {
        if (value == CenterOnScreen) return screenCentreValue - extent / 2;
        if (value == CenterOnOwner) return ownerCentreValue - extent / 2;
        return static_cast<int>(std::lround(value / twipsPerPixel));
    };
    int x = coordinate(left, screenCentre.x(), ownerCentre.x(), size.width());
    int y = coordinate(top, screenCentre.y(), ownerCentre.y(), size.height());
    // Wherever it was asked to go, the whole box stays on the screen.
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    move(x, y);
}

QPushButton* dlgMsgBox::DefaultButton() const {
    const qsizetype count = buttons_.size();
    if (count == 0) return nullptr;
    if ((buttonsWord_ & 256) && count >= 2) return buttons_[1];
    if (buttonsWord_ & 512) {
        if (count >= 3) return buttons_[2];
        if (count >= 2) return buttons_[1];
    }
    return buttons_[0];
}

void dlgMsgBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    // A box opened while a run shows its progress window comes up in front of it, with the focus.
    raise();
    activateWindow();
    if (QPushButton* b = DefaultButton()) {
        b->setDefault(true);
        b->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (iconStyle_ != 0 && SoundPlayer()) SoundPlayer()(iconStyle_);
}

void dlgMsgBox::cmdAction_Click(int index) {
    if (index < 0 || index >= buttons_.size()) return;
    result_ = buttons_[index]->property("result").toUInt();
    if ((buttonsWord_ & CheckBoxFlag) && ui->chkAgain->isChecked()) result_ |= CheckBoxFlag;
    done(static_cast<int>(result_ & ~CheckBoxFlag));
}

void dlgMsgBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        // Escape presses the set's escape button; sets 2 and 4 insist on a choice.
        if (escapeButton_) escapeButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void dlgMsgBox::reject() {
    // Closed without a button: the answer of the set's last button, no check box bit.
    if (!canClose_) return;
    result_ = buttons_.isEmpty() ? 2u : buttons_.last()->property("result").toUInt();
    done(static_cast<int>(result_));
}

void dlgMsgBox::closeEvent(QCloseEvent* event) {
    if (!canClose_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
