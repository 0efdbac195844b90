#pragma once
// The walk of one side of a folder pair: each folder is listed, its entries put in the order of
// the result rows, and handed on as one node, before the walk goes down into its subfolders. The
// merge takes the nodes of both sides in the same order, so neither side's whole tree is ever
// held in memory. A walk is pure file-system work and touches no shared state: it runs on a
// thread of its own and reads ahead of the merge, up to a bound.

#include "engine/CompareTypes.h"
#include "engine/Masks.h"
#include "platform/FileListing.h"

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct FolderPair;

struct ScanSwitches {
    bool SubDirs = true;
    bool SysDirs = true;
    bool SysFiles = true;
    bool HiddenDirs = true;
    bool HiddenFiles = true;
};
ScanSwitches SwitchesOf(const FolderPair& pair);

// Whether names are compared with letter case folded: they are where a root of the pair lies on
// a file system that folds case (names that differ only in case then meet and are paired, or
// flagged where that is ambiguous); elsewhere names are paired by exact spelling.
enum class KeyCase { Folded, Exact };

// The form in which a name is ordered and matched: the name itself, or with KeyCase::Folded
// every letter in upper case. Names are compared by UTF-16 code unit.
QString NameKey(const QString& name, KeyCase keyCase);
// The order of keys: ordinal, by UTF-16 code unit; negative, 0 or positive.
int CompareKeys(QStringView a, QStringView b);

struct ScanRules {
    MaskSet dirs;
    MaskSet files;
    QStringList deletes;
    ScanSwitches switches;
    KeyCase keyCase = KeyCase::Folded;
};

struct ScanOptions {
    // Read the archive bit of every file (one extra call per file); a compare that ignores the
    // bit does without.
    bool readArchive = true;
    // A folder that is left out wherever the walk meets it: the other root of the pair, when it
    // lies inside this one, is never this side's content.
    const FileSystem::FolderIdentity* skipFolder = nullptr;
    // When set, called with each folder below the root (ending with '/') right before it is
    // listed: the moment at which another program may swap the folder for a link, which the
    // listing must then refuse to follow. Called on the walk's thread.
    std::function<void(const QString& folder)> beforeListing;
};

// The entries of one folder of a side, or of several folders whose names meet in one key (a
// case-folding compare of a side that holds "Docs" and "docs"): files first, then folders, each
// part in key order, equal keys by name. The walk of a side yields the root's node first; each
// later node belongs to the next folder key of the walk, depth first, in the order of the rows.
struct ListedNode {
    std::vector<ScanEntry> entries;
    size_t firstFolder = 0;  // entries[firstFolder...] are the folders
    // The keys of the sockets, pipes and devices of the folders, in order. They are never rows,
    // but nothing may take their place.
    std::vector<QString> specialKeys;
    // Per folder of the node, in the order of their entries in the node above: the error number
    // of a folder that could not be listed (its contents are unknown), else 0.
    std::vector<int> errors;
};

// The walk of one side. Started once; the merge takes its nodes with Next.
class SideWalk {
public:
    // How many entries the walk may list ahead of the merge before it waits.
    static constexpr size_t ReadAheadEntries = size_t{1} << 16;
    // A merge waiting for the walk is woken once this many nodes or entries are ready.
    static constexpr size_t WakeNodes = 64;
    static constexpr size_t WakeEntries = 4096;

    SideWalk(const QString& root, const ScanRules& rules, const ScanOptions& options,
             size_t readAhead = ReadAheadEntries);
    ~SideWalk();
    SideWalk(const SideWalk&) = delete;
    SideWalk& operator=(const SideWalk&) = delete;

    // Starts the walk on a thread of its own; where no thread is to be had, walks the whole
    // side at once (without the bound).
    void Start();
    // Waits for the next node; false when the walk is over and every node was taken. Waits in
    // steps of waitStepMs, calling whileWaiting after each (when set).
    bool Next(ListedNode& node, const std::function<void()>& whileWaiting = {}, int waitStepMs = 20);
    // Ends the walk early: it lists nothing more.
    void Stop();
    bool Finished() const;
    // The folders (ending with '/') that hold stale temporary files of a killed copy, which
    // are never listed; complete once the walk has finished.
    std::vector<QString> StaleTemporaryFolders() const;
    // The root entry as a row takes it: the path without its '/', the attributes of the folder.
    ScanEntry RootEntry() const;

private:
    void Walk();
    void WalkNode(const std::vector<QString>& folders, int depth);
    bool ListInto(const QString& path, int depth, ListedNode& node);
    bool Keep(const FileSystem::ListedEntry& e, const QString& path, bool& isFolder);
    void Hand(ListedNode&& node);
    bool BatchReady() const;

    QString root_;
    ScanRules rules_;
    ScanOptions options_;
    int64_t offset_ = 0;
    bool allFiles_ = true;
    bool allDirs_ = true;
    bool noDeletes_ = true;

    mutable std::mutex mutex_;
    std::condition_variable taken_;  // the merge waits here for nodes
    std::condition_variable room_;   // the walk waits here for room below the bound
    std::deque<ListedNode> ready_;
    size_t readyEntries_ = 0;
    size_t readAhead_;
    bool takerWaiting_ = false;
    bool walkerWaiting_ = false;
    bool stop_ = false;
    bool finished_ = false;
    std::vector<QString> staleFolders_;
    std::thread thread_;
    std::vector<FileSystem::ListedEntry> names_;  // the walk's listing buffer, reused
    std::vector<QString> specialNames_;
};

// A file time (seconds since the epoch, universal time) as a local day-based date value in
// whole seconds, with the offset of local time in force now (so that two times keep their
// distance across a change of daylight saving time).
double FileTimeToLocalDate(int64_t utcSeconds, int64_t offsetSeconds);
