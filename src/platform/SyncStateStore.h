#pragma once
// The remembered state of two-way folder pairs: for every entry that was in step after a pair's
// last run, what both sides held then, and per folder a digest of its entries. One SQLite
// database per user, in its state folder; each pair is known by its two resolved root folders.
// A compare reads the entries it needs; a run reads the digests and writes what changed in one
// transaction at its end, so that a run that is killed (or fails while writing) leaves the
// state of the run before it as it was. What runs change is kept apart, over the entries, and
// folded into them now and then: a change touches few pages of the database.

#include "platform/StoredEntries.h"

#include <QString>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace SyncState {

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
    // The pair the calls below change (made known to the database if it is new); its id.
    bool SelectPair(const QString& leftRoot, const QString& rightRoot);
    int64_t Pair() const { return pair_; }
    // An entry is known by its folder below the roots ("" or ending with '/') and its name.
    bool Put(QStringView folder, QStringView name, const StoredEntry& entry);
    bool Remove(QStringView folder, QStringView name);
    // The digest of a folder's entries (see DigestOf); 0, the digest of no entry, forgets it.
    bool PutDigest(QStringView folder, uint64_t digest);
    // Makes every change of the writer durable at once. False (with the store's error text)
    // when it failed: the state is then the one before the writer began.
    bool Commit();

private:
    friend class Store;
    explicit Writer(Store& store);
    // Puts entry, or forgets the entry where it is null: among the recent changes.
    bool Change(QStringView folder, QStringView name, const StoredEntry* entry);
    // Folds the recent changes into the entries when they have grown many.
    bool FoldIfMany();
    Store* store_;
    bool began_ = false;
    bool done_ = false;
    int64_t pair_ = -1;
    int64_t changes_ = 0;   // among the recent changes
    bool newPair_ = false;  // the selected pair was made by this writer
};

class Store {
public:
    // The recent changes of the runs are folded into the entries once there are more than this
    // many: few enough that a run reads them at little cost, many enough that folding is rare.
    static constexpr int64_t kFoldAfter = 8192;
    explicit Store(int64_t foldAfter = kFoldAfter) : foldAfter_(foldAfter) {}
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the database at path, creating it and its folder when missing. False, with a text
    // in Error(), when it cannot be opened or is not a database of ours: the caller then runs as
    // without any state. A damaged database is renamed to path + ".damaged", so that the next
    // run begins a new one; the state of an older form of the database is dropped (the pairs
    // then run as for the first time).
    bool Open(const QString& path);
    bool IsOpen() const { return db_ != nullptr; }
    QString Error() const { return error_; }

    // The id of a pair, or -1 when it has no state (never ran two-way, or a read error: see
    // Error()).
    int64_t PairId(const QString& leftRoot, const QString& rightRoot);
    // The digests of a pair's folders, by folder.
    bool LoadDigests(int64_t pair, FolderDigests& out);
    // One entry: found tells whether it is remembered. False on a read error.
    bool Find(int64_t pair, QStringView folder, QStringView name, StoredEntry& out, bool& found);
    // The entries of one folder, by name.
    bool LoadFolder(int64_t pair, QStringView folder, StoredEntries& out);
    // Every entry of a pair, by folder and name put together.
    bool LoadAll(int64_t pair, StoredEntries& out);
    Writer Write() { return Writer(*this); }
    // Many reads in one transaction (each read alone would take and give back the database's
    // lock): until EndReading, which is also called when the store goes.
    void BeginReading();
    void EndReading();

private:
    friend class Writer;
    bool Exec(const char* sql);
    bool Fail(const char* what);
    bool MakeSchema();
    bool Load(int64_t pair, const QStringView* folder, StoredEntries& out);
    // A statement prepared once for the store's life, reset for each use.
    sqlite3_stmt* Prepared(int which, const char* sql);
    sqlite3* db_ = nullptr;
    QString error_;
    bool reading_ = false;
    int64_t foldAfter_;
    static constexpr int kStatements = 8;
    sqlite3_stmt* statements_[kStatements] = {};
};

}  // namespace SyncState
