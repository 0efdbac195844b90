#include "ui/main/WindowRunHost.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

struct StandardAnswer {
    QMessageBox::StandardButton button;
    int result;
    const char* languageKey;  // the caption in the program's language
};

QList<StandardAnswer> ButtonsOf(int set) {
    switch (set) {
    case MsgBox::OKOnly: return {{QMessageBox::Ok, MsgBox::OK, "90800"}};
    case MsgBox::OKCancel: return {{QMessageBox::Ok, MsgBox::OK, "90800"}, {QMessageBox::Cancel, MsgBox::Cancel, "90801"}};
    case MsgBox::AbortRetryIgnore:
        return {{QMessageBox::Abort, MsgBox::Abort, "90802"}, {QMessageBox::Retry, MsgBox::Retry, "90803"},
                {QMessageBox::Ignore, MsgBox::Ignore, "90804"}};
    case MsgBox::YesNoCancel:
        return {{QMessageBox::Yes, MsgBox::Yes, "90805"}, {QMessageBox::No, MsgBox::No, "90806"},
                {QMessageBox::Cancel, MsgBox::Cancel, "90807"}};
    case MsgBox::YesNo: return {{QMessageBox::Yes, MsgBox::Yes, "90805"}, {QMessageBox::No, MsgBox::No, "90806"}};
    case MsgBox::RetryCancel:
        return {{QMessageBox::Retry, MsgBox::Retry, "90803"}, {QMessageBox::Cancel, MsgBox::Cancel, "90801"}};
    default: return {{QMessageBox::Ok, MsgBox::OK, "90800"}};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0xF0) {
    case MsgBox::Critical: return QMessageBox::Critical;
    case MsgBox::Question: return QMessageBox::Question;
    case MsgBox::Exclamation: return QMessageBox::Warning;
    case MsgBox::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

AppMessageBoxDialog::AppMessageBoxDialog(const QString& text, int style, const QString& title, QWidget* owner)
    : QMessageBox(owner) {
    // Every box is titled with the program's name, as the main window calls it.
    QString program = Localizer().ControlText(QStringLiteral("101"));
    if (program.isEmpty()) program = QStringLiteral("Tandor");
    setWindowTitle(title.isEmpty() ? program : title);
    setText(text);
    // The zoom setting reaches this box as it reaches every window of the program.
    QFont zoomed = font();
    if (zoomed.pointSizeF() > 0) zoomed.setPointSizeF(zoomed.pointSizeF() * Settings().Zoom / 100.0);
    setFont(zoomed);
    setIcon(IconOf(style));
    const int set = style & 0x0F;
    const QList<StandardAnswer> answers = ButtonsOf(set);
    QList<QPushButton*> added;
    for (const StandardAnswer& a : answers) {
        QPushButton* button = addButton(a.button);
        // The program's language, not the system's, whatever Qt's translation would say.
        const QString caption = FormatMsg(QString::fromLatin1(a.languageKey)).trimmed();
        if (!caption.isEmpty()) button->setText(caption);
        added << button;
    }
    if ((style & MsgBox::DefaultButton2) && added.size() >= 2) setDefaultButton(added[1]);
    else if ((style & MsgBox::DefaultButton3) && added.size() >= 3) setDefaultButton(added[2]);
    else setDefaultButton(added[0]);
    if (style & MsgBox::RightToLeftReading) setLayoutDirection(Qt::RightToLeft);
    canClose_ = !(set == MsgBox::AbortRetryIgnore || set == MsgBox::YesNo);
    if (!canClose_) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    } else {
        // The platform's box answers a close with its Cancel, or with OK where OK stands alone.
        setEscapeButton(added.last());
    }
}

void AppMessageBoxDialog::showEvent(QShowEvent* event) {
    ScrollTallText();
    QMessageBox::showEvent(event);
}

void AppMessageBoxDialog::ScrollTallText() {
    // A text taller than the screen has room for scrolls inside the box, so that the buttons
    // stay on the screen.
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!label || !grid || label->parentWidget() != this) return;
    QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    const int room = (where ? where->availableGeometry().height() : 600) * 6 / 10;
    const int width = std::max(label->width(), label->sizeHint().width());
    if (label->heightForWidth(width) <= room && label->sizeHint().height() <= room) return;
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scrText"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setFixedHeight(room);
    scroller->setMinimumWidth(std::min(width, 600) + scroller->verticalScrollBar()->sizeHint().width());
    delete grid->replaceWidget(label, scroller);
    scroller->setWidget(label);
}

int AppMessageBoxDialog::Result() const {
    QAbstractButton* clicked = clickedButton();
    if (!clicked) return 0;
    switch (standardButton(clicked)) {
    case QMessageBox::Ok: return MsgBox::OK;
    case QMessageBox::Cancel: return MsgBox::Cancel;
    case QMessageBox::Abort: return MsgBox::Abort;
    case QMessageBox::Retry: return MsgBox::Retry;
    case QMessageBox::Ignore: return MsgBox::Ignore;
    case QMessageBox::Yes: return MsgBox::Yes;
    case QMessageBox::No: return MsgBox::No;
    default: return 0;
    }
}

void AppMessageBoxDialog::keyPressEvent(QKeyEvent* event) {
    if (!canClose_ && event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void AppMessageBoxDialog::closeEvent(QCloseEvent* event) {
    if (!canClose_) {
        event->ignore();
        return;
    }
    QMessageBox::closeEvent(event);
}

QWidget* WindowRunHost::Owner() const {
    // A question during a run belongs to the progress window: the window manager then keeps
    // it above that window (a box owned by the main window can end up beneath it).
    if (dlgProgress* progress = dlgProgress::Existing(); progress && progress->isVisible()) return progress;
    QWidget* w = owner ? owner() : nullptr;
    return w ? w : QApplication::activeWindow();
}

void BringPromptToFront(QWidget* prompt) {
    prompt->raise();
    prompt->activateWindow();
}

int WindowRunHost::AppMessageBox(const QString& text, int style, const QString& title) {
    // A run that must not ask gets the answer that lets it go on.
    if (Switches().DontAsk) return MsgBox::Yes;
    asked << text;
    if (!presetAnswers.isEmpty()) return presetAnswers.takeFirst();
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    AppMessageBoxDialog box(text, style, title, Owner());
    QTimer::singleShot(0, &box, [&box] { BringPromptToFront(&box); });
    box.exec();
    QGuiApplication::restoreOverrideCursor();
    const int result = box.Result();
    // Closed some other way (the application quitting): the answer of the escape button.
    return result != 0 ? result : ((style & 0x0F) == MsgBox::OKOnly ? MsgBox::OK : MsgBox::Cancel);
}

uint32_t WindowRunHost::ShowMsg(const QString& prompt, uint32_t buttons, const QString& title) {
    asked << prompt;
    if (!presetMsgAnswers.isEmpty()) return presetMsgAnswers.takeFirst();
    return dlgMsgBox::ShowMsg(prompt, buttons, title, Owner());
}

void WindowRunHost::ProgressInit(int64_t totalBytes) {
    dlgProgress* progress = dlgProgress::Instance(Owner());
    progress->show();
    progress->Init(totalBytes);
}

bool WindowRunHost::ProgressVisible() const {
    const dlgProgress* progress = dlgProgress::Existing();
    return progress && progress->isVisible();
}

void WindowRunHost::ProgressShowFile(const QString& fromFolder, const QString& toFolder, const QString& name) {
    if (dlgProgress* progress = dlgProgress::Existing()) progress->ShowFile(fromFolder, toFolder, name);
}

void WindowRunHost::ProgressUpdate(int64_t fileSize, int64_t bytesCopied) {
    if (dlgProgress* progress = dlgProgress::Existing()) progress->Update(fileSize, bytesCopied);
}

void WindowRunHost::ProgressFileDone(int64_t size) {
    if (dlgProgress* progress = dlgProgress::Existing()) progress->FileDone(size);
}

void WindowRunHost::ProgressUnload() { dlgProgress::Unload(); }

void WindowRunHost::SetStatus(int field, const QString& text) {
    if (onStatus) onStatus(field, text);
}

void WindowRunHost::SetCompareStage(int stage) {
    if (onCompareStage) onCompareStage(stage);
}

void WindowRunHost::SetBusy(bool busy) {
    if (onBusy) onBusy(busy);
}

void WindowRunHost::LetEventsRun() {
    // A scan of a million names must not spend its time in the event loop: at most every
    // 30 ms, which keeps the window responsive and Cancel prompt.
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < 30) return;
    sinceEvents_.start();
    QCoreApplication::processEvents();
}

void WindowRunHost::Beep() { QApplication::beep(); }
