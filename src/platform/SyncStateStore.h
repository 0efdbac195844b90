#pragma once
// The remembered state of two-way folder pairs: for every entry that was in step after a pair's
// last run, what both sides held then. One SQLite database per user, in its state folder; each
// pair is known by its two resolved root folders. A run reads its pairs' entries when it
// compares and writes what changed in one transaction at its end, so that a run that is killed
// (or fails while writing) leaves the state of the run before it as it was.

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

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

// By relative path below the pair's roots ('/' between the components, no leading '/').
using StoredEntries = QHash<QString, StoredEntry>;

// $XDG_STATE_HOME/Tandor, else ~/.local/state/Tandor (a relative XDG_STATE_HOME is ignored).
QString DefaultStateFolder();
// The database in a state folder.
QString DatabasePathIn(const QString& folder);

class Store;

// The changes of one run, written together: nothing of them is in the database before Commit
// succeeds, and a writer that ends without it (or a process that ends) leaves the state as it
// was before the writer began.
class Writer {
public:
    ~Writer();
    Writer(Writer&& other) noexcept;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    Writer& operator=(Writer&&) = delete;

    // Whether the transaction began; every call below fails when it did not.
    bool Began() const { return began_; }
    // The pair the next Put and Remove calls change (made known to the database if it is new).
    bool SelectPair(const QString& leftRoot, const QString& rightRoot);
    bool Put(const QString& path, const StoredEntry& entry);
    bool Remove(const QString& path);
    // Makes every change of the writer durable at once. False (with the store's error text)
    // when it failed: the state is then the one before the writer began.
    bool Commit();

private:
    friend class Store;
    explicit Writer(Store& store);
    // Prepared once per writer: a first run puts every entry of its pairs.
    sqlite3_stmt* Prepared(sqlite3_stmt*& statement, const char* sql);
    Store* store_;
    sqlite3_stmt* put_ = nullptr;
    sqlite3_stmt* remove_ = nullptr;
    bool began_ = false;
    bool done_ = false;
    int64_t pair_ = -1;
};

class Store {
public:
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the database at path, creating it and its folder when missing. False, with a text
    // in Error(), when it cannot be opened or is not a database of ours: the caller then runs as
    // without any state. A damaged database is renamed to path + ".damaged", so that the next
    // run begins a new one.
    bool Open(const QString& path);
    bool IsOpen() const { return db_ != nullptr; }
    QString Error() const { return error_; }

    // The entries of a pair; false when the pair has no state (never ran, or a read error).
    bool Load(const QString& leftRoot, const QString& rightRoot, StoredEntries& out);
    Writer Write() { return Writer(*this); }

private:
    friend class Writer;
    bool Exec(const char* sql);
    bool Fail(const char* what);
    sqlite3* db_ = nullptr;
    QString error_;
};

}  // namespace SyncState
