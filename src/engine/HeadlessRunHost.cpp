#include "engine/HeadlessRunHost.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {
HeadlessRunHost& DefaultHost() {
    static HeadlessRunHost host;
    return host;
}
const char* AnswerName(uint32_t answer) {
    static const char* const names[] = {"?", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    const uint32_t code = answer & ~MsgBox::CheckBoxFlag;
    return code < 8 ? names[code] : "?";
}

RunHost*& CurrentHost() {
    static RunHost* host = nullptr;
    return host;
}
}  // namespace

RunHost& Host() {
    RunHost* h = CurrentHost();
    return h ? *h : DefaultHost();
}

void SetHost(RunHost* host) { CurrentHost() = host; }

uint32_t HeadlessRunHost::NextAnswer(uint32_t fallback) {
    if (queuedAnswers.isEmpty()) return fallback;
    return queuedAnswers.takeFirst();
}

int HeadlessRunHost::AppMessageBox(const QString& text, int style, const QString&) {
    messagesShown << text;
    // Nobody can answer: the answer of a run without questions.
    const int set = style & 0x0F;
    const uint32_t fallback = (set == MsgBox::YesNo || set == MsgBox::YesNoCancel) ? MsgBox::Yes : MsgBox::OK;
    const uint32_t answer = NextAnswer(fallback);
    if (verbose) std::fprintf(stderr, "tandor: %s [answered %s]\n", qPrintable(text), AnswerName(answer));
    return static_cast<int>(answer);
}

uint32_t HeadlessRunHost::ShowMsg(const QString& prompt, uint32_t buttons, const QString&) {
    messagesShown << prompt;
    const uint32_t set = buttons & 0x0F;
    const uint32_t fallback = (set == MsgBox::YesNo || set == MsgBox::YesNoCancel) ? MsgBox::Yes : MsgBox::OK;
    const uint32_t answer = NextAnswer(fallback);
    if (verbose) std::fprintf(stderr, "tandor: %s [answered %s]\n", qPrintable(prompt), AnswerName(answer));
    return answer;
}

void HeadlessRunHost::ProgressInit(int64_t totalBytes) {
    progressVisible_ = true;
    progressTotal = totalBytes;
    progressDone = 0;
}

void HeadlessRunHost::ProgressShowFile(const QString& fromFolder, const QString&, const QString& name) {
    filesShown << fromFolder + name;
}

void HeadlessRunHost::ProgressUpdate(int64_t fileSize, int64_t bytesCopied) {
    if (onProgress) onProgress(fileSize, bytesCopied);
}

void HeadlessRunHost::ProgressFileDone(int64_t size) { progressDone += size; }

void HeadlessRunHost::SetStatus(int field, const QString& text) {
    if (field >= 0 && field < 3) status[field] = text;
}

void HeadlessRunHost::LetEventsRun() {
    // Even without a window, queued events (signals, timers) get their turn now and then.
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < 30) return;
    sinceLast.start();
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}
