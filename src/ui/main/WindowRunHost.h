#pragma once
// The run host of the windowed program: questions as message boxes, the progress window, and
// status texts handed on to whoever shows them (the main window sets the hooks).

#include "engine/RunHost.h"

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QStringList>

#include <functional>

// The platform message box for a style word: the button set in bits 0-3, the icon in
// 16/32/48/64, the second or third button as default with 256/512, right-to-left reading with
// 0x100000. Sets 2 (Abort, Retry, Ignore) and 4 (Yes, No) insist on an answer: Escape does
// nothing and the window has no close button. Result() gives the platform result code.
class AppMessageBoxDialog : public QMessageBox {
    Q_OBJECT
public:
    AppMessageBoxDialog(const QString& text, int style, const QString& title, QWidget* owner);
    // 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No; 0 before an answer.
    int Result() const;
    bool CanClose() const { return canClose_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ScrollTallText();
    bool canClose_ = true;
};

// Raises a prompt and gives it the focus, so that nothing the run shows covers it.
void BringPromptToFront(QWidget* prompt);

class WindowRunHost : public RunHost {
public:
    int AppMessageBox(const QString& text, int style, const QString& title = QString()) override;
    uint32_t ShowMsg(const QString& prompt, uint32_t buttons, const QString& title = QString()) override;

    void ProgressInit(int64_t totalBytes) override;
    bool ProgressVisible() const override;
    void ProgressShowFile(const QString& fromFolder, const QString& toFolder, const QString& name) override;
    void ProgressUpdate(int64_t fileSize, int64_t bytesCopied) override;
    void ProgressFileDone(int64_t size) override;
    void ProgressUnload() override;

    void SetStatus(int field, const QString& text) override;
    void SetCompareStage(int stage) override;
    void SetBusy(bool busy) override;
    void LetEventsRun() override;
    void Beep() override;

    // Set by the main window; unset hooks do nothing.
    std::function<void(int field, const QString& text)> onStatus;
    std::function<void(int stage)> onCompareStage;
    std::function<void(bool busy)> onBusy;
    // The window the message boxes and the progress window belong to; the active window when
    // this returns null or is unset.
    std::function<QWidget*()> owner;

    // Tests: answers taken in order instead of showing a box, so that no test ever blocks;
    // every text asked through either box is recorded in order.
    QList<int> presetAnswers;          // AppMessageBox
    QList<uint32_t> presetMsgAnswers;  // ShowMsg
    QStringList asked;

private:
    QWidget* Owner() const;
    QElapsedTimer sinceEvents_;
};
