#pragma once
// Everything a compare or synchronisation run needs from the user interface. The main window
// implements it; HeadlessRunHost serves unattended runs without any display, and tests.

#include <QString>

#include <cstdint>

// Message-box styles and results as the platform's message box defines them.
namespace MsgBox {
constexpr int OKOnly = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
              RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton2 = 256, DefaultButton3 = 512;
constexpr int RightToLeftReading = 0x100000;
constexpr uint32_t CheckBoxFlag = 0x80000000u;  // show "Don't display this information again."
constexpr int OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
}  // namespace MsgBox

class RunHost {
public:
    virtual ~RunHost() = default;

    // The platform message box ("Tandor!" as title when empty). Answers Yes without showing
    // anything when the run must not ask (DontAsk): callers rely on that.
    virtual int AppMessageBox(const QString& text, int style, const QString& title = QString()) = 0;
    // The program's own message box (with the check box when bit 31 of buttons is set).
    // Returns the result code, with bit 31 set when the check box was ticked.
    virtual uint32_t ShowMsg(const QString& prompt, uint32_t buttons, const QString& title = QString()) = 0;

    // Progress window of a synchronisation run.
    virtual void ProgressInit(int64_t totalBytes) = 0;
    virtual bool ProgressVisible() const = 0;
    virtual void ProgressShowFile(const QString& fromFolder, const QString& toFolder,
                                  const QString& name) = 0;
    virtual void ProgressUpdate(int64_t fileSize, int64_t bytesCopied) = 0;
    virtual void ProgressFileDone(int64_t size) = 0;
    virtual void ProgressUnload() = 0;

    // Status line fields 0, 1 and 2 of the main window.
    virtual void SetStatus(int field, const QString& text) = 0;
    // The compare ticker: stage 1 scanning folder 1, 2 scanning folder 2, 3 sorting and
    // comparing, 0 off.
    virtual void SetCompareStage(int stage) = 0;
    virtual void SetBusy(bool busy) = 0;
    // Let pending window events run; implementations throttle this by time.
    virtual void LetEventsRun() = 0;
    virtual void Beep() = 0;
};

// The host of the current run. Never null: a headless host is installed until a window
// installs itself.
RunHost& Host();
void SetHost(RunHost* host);
