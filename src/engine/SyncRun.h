#pragma once
// The commands of the Synchronize button and of the file list's popup menu without their window:
// each plans its run (RunPlan.h), asks with the plan's numbers, and carries the plan out as a
// SyncJob (SyncJob.h).

#include "engine/RunPlan.h"

#include <functional>

class FileView;

// A synchronisation by its plan: the checks, the guards of SyncGuards.h, the passes. False when
// a check or a guard stopped it (messages 808-810, pairs that share folders).
bool SyncRun(FileView& files, const RunPlan& plan);
// The popup's plain copy by its plan: marked files of the subtree from one side whatever their
// direction. The caller registers the roots of the compare (FileSystem::RootScope).
void CopySelection(FileView& files, const RunPlan& plan);
// The popup's deletion by its plan: files forward, then folders bottom-up. The caller registers
// the roots of the compare.
void DeleteSelection(FileView& files, const RunPlan& plan);

// What the window does around a command; every hook may be empty (unattended runs, tests).
struct CommandHooks {
    // Before the work: disable Compare, Synchronize and Tree/Search, remember the scroll position.
    std::function<void()> Disable;
    // After the refreshing compare: scroll back to where the list was.
    std::function<void()> RestoreScroll;
    // At the end: enable Synchronize and Compare, Tree/Search when the list has 2 rows or more.
    std::function<void()> Enable;
};

// The compare that refreshes the list after a command: CompareRun of the current profile into
// the command's view, unless a test installs its own (an empty function restores it).
void SetRefreshCompare(std::function<void()> compare);

// The Synchronize button. Returns the result of the run (false when nothing ran).
bool SynchronizeCommand(FileView& files, const CommandHooks& hooks = {});
// Popup entries; row is the view row under the mouse (0 for the title row). entry: for
// Synchronize 0 with subfolders, 1 folder only; for Copy and Delete bit 0 is the side and bit 1
// means folder only.
bool PopupSynchronizeCommand(FileView& files, int row, int entry, const CommandHooks& hooks = {});
bool PopupCopyCommand(FileView& files, int row, int entry, const CommandHooks& hooks = {});
bool PopupDeleteCommand(FileView& files, int row, int entry, const CommandHooks& hooks = {});
