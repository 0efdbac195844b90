#pragma once
// The synchronisation run: the checks, the pass order of the five sync options, the walks over
// a subtree of the view list, and the commands of the Synchronize button and of the file list's
// popup menu without their window.

#include "engine/CompareTypes.h"

#include <array>
#include <functional>

class FileView;

// Copies from side s over the subtree of view row r (0: the whole list; a folder row: it and
// the rows below it; a file row: that file alone). flags: RunFlag bits.
void CopyRows(int s, int r, int flags, bool folderOnly, ResultList& view);
// Deletes on side s over the subtree of row r: files forward, then folders bottom-up. With
// RunFlag::Counting it only notes the files it would delete (for the guards of a run).
void DeleteRows(int s, int r, int flags, bool folderOnly, ResultList& view);
// The popup's plain copy: marked files of the subtree from side s whatever their direction. The
// caller registers the roots of the compare (FileSystem::RootScope), as PopupCopyCommand does.
void CopySelection(int s, int r, bool folderOnly, ResultList& view);
// The passes of the profile's sync options over the subtree of view row r, with the view's
// counts and the guards of SyncGuards.h. False when a check or a guard stopped it (messages
// 808-810, pairs that share folders).
bool SyncRun(FileView& files, int r, bool folderOnly);

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
