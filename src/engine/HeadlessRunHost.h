#pragma once
// The run host of unattended runs and tests: no window, no question shown to anyone.
// Questions get the answers a test queued, else the answer "-dontask" would give (Yes, or OK
// for the own message box); status texts and notices go to standard error when verbose.

#include "engine/RunHost.h"

#include <QList>
#include <QStringList>

class HeadlessRunHost : public RunHost {
public:
    int AppMessageBox(const QString& text, int style, const QString& title = QString()) override;
    uint32_t ShowMsg(const QString& prompt, uint32_t buttons, const QString& title = QString()) override;
    void ProgressInit(int64_t totalBytes) override;
    bool ProgressVisible() const override { return progressVisible_; }
    void ProgressShowFile(const QString& fromFolder, const QString& toFolder, const QString& name) override;
    void ProgressUpdate(int64_t fileSize, int64_t bytesCopied) override;
    void ProgressFileDone(int64_t size) override;
    void ProgressUnload() override { progressVisible_ = false; }
    void SetStatus(int field, const QString& text) override;
    void SetCompareStage(int stage) override { compareStage_ = stage; }
    void SetBusy(bool) override {}
    void LetEventsRun() override;
    void Beep() override { ++beeps; }

    // For tests: answers handed out in order to AppMessageBox and ShowMsg; a hook that runs on
    // every progress update (a test cancels a copy in the middle from there).
    QList<uint32_t> queuedAnswers;
    QStringList messagesShown;  // the texts of every question and notice, in order
    QString status[3];
    int beeps = 0;
    int64_t progressTotal = 0;
    int64_t progressDone = 0;
    QStringList filesShown;
    std::function<void(int64_t fileSize, int64_t copied)> onProgress;
    bool verbose = false;  // echo notices to standard error (the unattended program)

private:
    uint32_t NextAnswer(uint32_t fallback);
    bool progressVisible_ = false;
    int compareStage_ = 0;
};
