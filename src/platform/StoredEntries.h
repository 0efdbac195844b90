#pragma once
// The remembered entries of a two-way pair, as read from the state store: what every entry that
// was in step after the pair's last run held on both sides, found by its path below the roots
// (or by its name, for the entries of one folder). A compare may look up every row of a pair,
// so the table is built for that: the paths share one buffer (no string per entry), and a
// row's path can be looked up in two pieces (the folder below the root and the name) without
// being put together first.

#include <QHash>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace SyncState {

// What one entry looked like on both sides: sizes and modification times (seconds since the
// epoch, UTC) per side; folders keep neither.
struct StoredEntry {
    enum class Kind : uint8_t { File = 0, Folder = 1 };
    Kind kind = Kind::File;
    int64_t size[2] = {0, 0};
    int64_t mtime[2] = {0, 0};
    bool operator==(const StoredEntry&) const = default;
};

// A digest of a folder's remembered entries: the sum of DigestOf over them, so that it can be
// added up in any order and changed an entry at a time. Two sets of entries with the same
// digest are taken as the same (a chance of about one in 2^64 otherwise).
uint64_t DigestOf(QStringView name, const StoredEntry& entry);
// By folder below the roots ("" for the roots themselves, else ending with '/').
using FolderDigests = QHash<QString, uint64_t>;

// By relative path below the pair's roots ('/' between the components, no leading '/').
class StoredEntries {
public:
    static constexpr int64_t kNone = -1;

    int64_t size() const { return static_cast<int64_t>(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    void clear();
    // Adds an entry at path head + tail; a path that is there already keeps its first entry.
    void Add(QStringView head, QStringView tail, const StoredEntry& entry);
    void Add(QStringView path, const StoredEntry& entry) { Add(path, {}, entry); }

    // The index of the entry at path head + tail, or kNone.
    int64_t IndexOf(QStringView head, QStringView tail = {}) const;
    QStringView PathAt(int64_t index) const;
    const StoredEntry& At(int64_t index) const { return items_[static_cast<size_t>(index)].entry; }
    // The entry at path, or null.
    const StoredEntry* Find(QStringView path) const;

private:
    struct Item {
        uint32_t offset;  // of the path in text_
        uint32_t length;
        uint32_t hash;
        StoredEntry entry;
    };
    bool Matches(const Item& item, QStringView head, QStringView tail) const;
    void Grow();
    std::vector<char16_t> text_;
    std::vector<Item> items_;
    std::vector<int32_t> slots_;  // open addressing: an index into items_, or -1; a power of two long
};

}  // namespace SyncState
