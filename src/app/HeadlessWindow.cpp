#include "app/HeadlessWindow.h"

#include "config/Profile.h"
#include "engine/CompareRun.h"
#include "engine/FileView.h"
#include "engine/SyncRun.h"

HeadlessWindow::HeadlessWindow() {
    // The refresh after a synchronisation is a compare, as the window's is.
    SetRefreshCompare([this] { RunCompare(); });
}

HeadlessWindow::~HeadlessWindow() { SetRefreshCompare(nullptr); }

void HeadlessWindow::Prepare() { CurrentFileView().Clear(); }

void HeadlessWindow::ClearLists() {
    CurrentFileView().Clear();
    lastCompareSucceeded_ = false;
}

void HeadlessWindow::ShowLoadedProfile() {
    // The toolbar states are the profile's view options, read by the compare's view rebuild;
    // a newly opened profile starts with every row's mark as the window's title cell does.
    CurrentFileView().SelectAll = true;
}

void HeadlessWindow::RunCompare() {
    const CompareRunResult result = CompareRun(CurrentProfile().profile, CurrentFileView());
    lastCompareSucceeded_ = result.outcome == CompareOutcome::Done;
    CurrentFileView().Stale = !lastCompareSucceeded_;
}

void HeadlessWindow::RunSynchronize() { SynchronizeCommand(CurrentFileView()); }
