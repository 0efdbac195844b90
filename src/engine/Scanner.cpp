#include "engine/Scanner.h"

#include "config/Profile.h"
#include "platform/FileListing.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

namespace {

// Days from 30 December 1899 to 1 January 1970.
constexpr int64_t EpochDays = 25569;

inline QChar UpperUnit(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return (u >= u'a' && u <= u'z') ? QChar(static_cast<char16_t>(u - 32)) : c;
    if (QChar::isSurrogate(u)) return c;
    return QChar(static_cast<char16_t>(QChar::toUpper(u)));
}

}  // namespace

// Inlined rather than QStringView::compare: the sort of a large folder makes about n log n of
// these comparisons.
int CompareKeys(QStringView a, QStringView b) {
    const QChar* p = a.data();
    const QChar* q = b.data();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype k = 0; k < n; ++k)
        if (p[k] != q[k]) return p[k].unicode() < q[k].unicode() ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

namespace {

// The order of a node: files before folders; within each, by key, equal keys by name (so that
// names that meet in one key always come in the same order).
bool EntryBefore(const ScanEntry& a, const ScanEntry& b) {
    if (a.IsFolder() != b.IsFolder()) return b.IsFolder();
    const int byKey = CompareKeys(a.KeyView(), b.KeyView());
    if (byKey != 0) return byKey < 0;
    return CompareKeys(a.Name, b.Name) < 0;
}

}  // namespace

QString NameKey(const QString& name, KeyCase keyCase) {
    if (keyCase == KeyCase::Exact) return name;
    QString key = name;
    bool changed = false;
    for (QChar& c : key) {
        const QChar upper = UpperUnit(c);
        if (upper != c) {
            c = upper;
            changed = true;
        }
    }
    return changed ? key : name;
}

ScanSwitches SwitchesOf(const FolderPair& pair) {
    ScanSwitches s;
    s.SubDirs = pair.SubDirs;
    s.SysDirs = pair.System[0];
    s.SysFiles = pair.System[1];
    s.HiddenDirs = pair.Hidden[0];
    s.HiddenFiles = pair.Hidden[1];
    return s;
}

SideWalk::SideWalk(const QString& root, const ScanRules& rules, const ScanOptions& options, size_t readAhead)
    : root_(root), rules_(rules), options_(options), offset_(FileSystem::CurrentUtcOffsetSeconds()),
      allFiles_(PassesEveryName(rules.files)), allDirs_(PassesEveryName(rules.dirs)),
      noDeletes_(MatchesNoName(rules.deletes)), readAhead_(readAhead) {}

SideWalk::~SideWalk() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

void SideWalk::Start() {
    try {
        thread_ = std::thread([this] { Walk(); });
    } catch (const std::system_error&) {
        readAhead_ = SIZE_MAX;  // no thread to be had: walk here, all at once
        Walk();
    }
}

void SideWalk::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    room_.notify_all();
    taken_.notify_all();
}

bool SideWalk::Finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

std::vector<QString> SideWalk::StaleTemporaryFolders() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return staleFolders_;
}

ScanEntry SideWalk::RootEntry() const {
    ScanEntry root;
    root.FolderPath = root_;
    while (root.FolderPath.size() > 1 && root.FolderPath.endsWith(QLatin1Char('/'))) root.FolderPath.chop(1);
    root.Attributes = FileSystem::GetRootAttributes(root.FolderPath);
    return root;
}

bool SideWalk::Next(ListedNode& node, const std::function<void()>& whileWaiting, int waitStepMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (ready_.empty()) {
        if (finished_) return false;
        // The walk wakes the merge only once a batch of nodes is ready (or it is done): the merge
        // is much faster than the listing, and a wake-up per folder would cost more than the
        // merge itself. After a step without one, whatever is ready is taken.
        takerWaiting_ = true;
        const bool batch = taken_.wait_for(lock, std::chrono::milliseconds(waitStepMs),
                                           [this] { return finished_ || BatchReady(); });
        takerWaiting_ = false;
        if (batch || !ready_.empty() || !whileWaiting) continue;
        lock.unlock();
        whileWaiting();
        lock.lock();
    }
    node = std::move(ready_.front());
    ready_.pop_front();
    readyEntries_ -= node.entries.size();
    if (walkerWaiting_) room_.notify_one();
    return true;
}

bool SideWalk::BatchReady() const {
    return ready_.size() >= WakeNodes || readyEntries_ >= std::min(WakeEntries, readAhead_);
}

void SideWalk::Hand(ListedNode&& node) {
    std::unique_lock<std::mutex> lock(mutex_);
    // Waits while the merge has enough to go on with; a node is never held back from an empty
    // queue, however large it is.
    walkerWaiting_ = true;
    room_.wait(lock, [this] { return stop_ || ready_.empty() || readyEntries_ < readAhead_; });
    walkerWaiting_ = false;
    if (stop_) return;
    readyEntries_ += node.entries.size();
    ready_.push_back(std::move(node));
    if (takerWaiting_ && BatchReady()) taken_.notify_one();
}

void SideWalk::Walk() {
    WalkNode({root_}, 0);
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    taken_.notify_all();
}

void SideWalk::WalkNode(const std::vector<QString>& folders, int depth) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) return;
    }
    ListedNode node;
    for (const QString& folder : folders) {
        int error = 0;
        if (!ListInto(folder, depth, node)) error = FileSystem::LastError() != 0 ? FileSystem::LastError() : EIO;
        node.errors.push_back(error);
    }
    std::sort(node.entries.begin(), node.entries.end(), EntryBefore);
    std::sort(node.specialKeys.begin(), node.specialKeys.end(),
              [](const QString& a, const QString& b) { return CompareKeys(a, b) < 0; });
    node.firstFolder = static_cast<size_t>(
        std::find_if(node.entries.begin(), node.entries.end(), [](const ScanEntry& e) { return e.IsFolder(); }) -
        node.entries.begin());
    // The folders below, a node for each key: what the walk goes down into once the node is handed on.
    std::vector<std::vector<QString>> below;
    for (size_t i = node.firstFolder; i < node.entries.size(); ++i) {
        const ScanEntry& e = node.entries[i];
        if (i == node.firstFolder || e.KeyView() != node.entries[i - 1].KeyView()) below.emplace_back();
        below.back().push_back(e.FolderPath + QLatin1Char('/'));
    }
    Hand(std::move(node));
    for (const std::vector<QString>& group : below) WalkNode(group, depth + 1);
}

bool SideWalk::ListInto(const QString& path, int depth, ListedNode& node) {
    FileSystem::ListOptions opts;
    opts.readArchive = options_.readArchive;
    opts.skipFolder = options_.skipFolder;
    opts.followLink = depth == 0;  // the root was named by the user; below it no link is followed
    opts.specialNames = &specialNames_;
    specialNames_.clear();
    names_.clear();
    if (options_.beforeListing && depth > 0) options_.beforeListing(path);
    if (!FileSystem::ListFolder(path, names_, opts)) return false;
    for (const QString& name : specialNames_) node.specialKeys.push_back(NameKey(name, rules_.keyCase));
    node.entries.reserve(node.entries.size() + names_.size());
    for (FileSystem::ListedEntry& e : names_) {
        bool isFolder = false;
        if (!Keep(e, path, isFolder)) continue;
        ScanEntry& s = node.entries.emplace_back();
        s.Name = std::move(e.name);
        s.Attributes = e.attributes;
        if (rules_.keyCase == KeyCase::Folded) {
            QString key = NameKey(s.Name, KeyCase::Folded);
            if (key.constData() != s.Name.constData()) s.Key = std::move(key);
        }
        if (isFolder) {
            s.FolderPath = path + s.Name;
            continue;
        }
        s.FolderPath = path;  // shared by every file of the folder
        s.Size = e.size;
        s.Modified = FileTimeToLocalDate(e.mtimeSeconds, offset_);
        s.DeleteMatch = !noDeletes_ && MatchesDeleteMasks(UpperName(s.Name), rules_.deletes);
    }
    return true;
}

// Whether the walk keeps a listed entry: the switches and masks of the pair, and never a
// temporary file of the copy (a stale one's folder is noted for the run that removes it).
bool SideWalk::Keep(const FileSystem::ListedEntry& e, const QString& path, bool& isFolder) {
    const bool hidden = (e.attributes & Attr::Hidden) != 0;
    const bool system = (e.attributes & Attr::System) != 0;
    isFolder = (e.attributes & Attr::Directory) != 0;
    if (isFolder) {
        if ((hidden && !rules_.switches.HiddenDirs) || (system && !rules_.switches.SysDirs)) return false;
        if (!rules_.switches.SubDirs) return false;
        return allDirs_ || MatchesMaskSet(UpperName(e.name), rules_.dirs);
    }
    if ((hidden && !rules_.switches.HiddenFiles) || (system && !rules_.switches.SysFiles)) return false;
    if (FileSystem::IsCopyTemporaryName(e.name)) {
        const FileSystem::CopyTemporaryState state = FileSystem::CopyTemporaryStateOf(path, e.name);
        if (state != FileSystem::CopyTemporaryState::NotOurs) {
            if (state == FileSystem::CopyTemporaryState::Stale) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (staleFolders_.empty() || staleFolders_.back() != path) staleFolders_.push_back(path);
            }
            return false;
        }
    }
    return allFiles_ || MatchesMaskSet(UpperName(e.name), rules_.files);
}

double FileTimeToLocalDate(int64_t utcSeconds, int64_t offsetSeconds) {
    const int64_t local = utcSeconds + offsetSeconds;
    // Floor division, so that times before 1970 land on the right day.
    int64_t days = local / 86400;
    int64_t secondOfDay = local % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    return static_cast<double>(days + EpochDays) + static_cast<double>(secondOfDay) / 86400.0;
}
