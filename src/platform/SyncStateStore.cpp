#include "platform/SyncStateStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace SyncState {

namespace {

// Paths are kept as the program's own UTF-16 text, byte for byte: a name that is no valid
// Unicode (decoded by PathCodec) comes back exactly as it went in.
// An empty text is an empty blob, not NULL (the root folder of a pair is "").
int BindText(sqlite3_stmt* st, int index, QStringView text) {
    if (text.isEmpty()) return sqlite3_bind_zeroblob(st, index, 0);
    return sqlite3_bind_blob(st, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
}

// One prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return st_; }
    bool ok() const { return st_ != nullptr; }

private:
    sqlite3_stmt* st_ = nullptr;
};

// How long a second instance of the program (a scheduled run beside the window) may hold the
// database before a read or the final write gives up.
constexpr int kBusyTimeoutMs = 10000;

// The form of the database; PRAGMA user_version holds it. A database of an older form is begun
// anew (its pairs run as for the first time), one of a newer form is left alone.
constexpr int kSchemaVersion = 3;

constexpr const char* kSchema =
    "CREATE TABLE pairs(id INTEGER PRIMARY KEY, left_root BLOB NOT NULL, right_root BLOB NOT NULL,"
    " UNIQUE(left_root, right_root));"
    "CREATE TABLE entries(pair INTEGER NOT NULL, folder BLOB NOT NULL, name BLOB NOT NULL, kind INTEGER NOT NULL,"
    " size0 INTEGER NOT NULL, mtime0 INTEGER NOT NULL, size1 INTEGER NOT NULL, mtime1 INTEGER NOT NULL,"
    " PRIMARY KEY(pair, folder, name)) WITHOUT ROWID;"
    "CREATE TABLE folders(pair INTEGER NOT NULL, folder BLOB NOT NULL, digest INTEGER NOT NULL,"
    " PRIMARY KEY(pair, folder)) WITHOUT ROWID;"
    // The changes of the last runs, over entries: gone = 1 where an entry is forgotten. A run
    // that changes one file in each of a thousand folders changes a thousand pages of entries,
    // but only a few pages here; now and then they are folded into entries at once.
    "CREATE TABLE recent(pair INTEGER NOT NULL, folder BLOB NOT NULL, name BLOB NOT NULL, gone INTEGER NOT NULL,"
    " kind INTEGER NOT NULL, size0 INTEGER NOT NULL, mtime0 INTEGER NOT NULL, size1 INTEGER NOT NULL,"
    " mtime1 INTEGER NOT NULL, PRIMARY KEY(pair, folder, name)) WITHOUT ROWID;"
    "PRAGMA user_version = 3;";

constexpr const char* kFold =
    "INSERT INTO entries(pair, folder, name, kind, size0, mtime0, size1, mtime1)"
    " SELECT pair, folder, name, kind, size0, mtime0, size1, mtime1 FROM recent WHERE gone = 0"
    " ON CONFLICT DO UPDATE SET kind = excluded.kind, size0 = excluded.size0, mtime0 = excluded.mtime0,"
    " size1 = excluded.size1, mtime1 = excluded.mtime1;"
    "DELETE FROM entries WHERE (pair, folder, name) IN (SELECT pair, folder, name FROM recent WHERE gone = 1);"
    "DELETE FROM recent;";

// The statements a store keeps prepared.
enum StatementIndex { kFindRecent, kFindEntry, kPutEntry, kPutNewEntry, kRemoveNewEntry, kPutDigest, kRemoveDigest, kFindPair, kStatementCount };

StoredEntry EntryFromColumns(sqlite3_stmt* st, int first) {
    StoredEntry e;
    e.kind = sqlite3_column_int(st, first) == 1 ? StoredEntry::Kind::Folder : StoredEntry::Kind::File;
    e.size[0] = sqlite3_column_int64(st, first + 1);
    e.mtime[0] = sqlite3_column_int64(st, first + 2);
    e.size[1] = sqlite3_column_int64(st, first + 3);
    e.mtime[1] = sqlite3_column_int64(st, first + 4);
    return e;
}

QStringView TextColumn(sqlite3_stmt* st, int column) {
    const auto* data = static_cast<const char16_t*>(sqlite3_column_blob(st, column));
    return QStringView(data, sqlite3_column_bytes(st, column) / 2);
}

}  // namespace

QString DefaultStateFolder() {
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    if (xdg.startsWith(QLatin1Char('/'))) return xdg + QStringLiteral("/Tandor");
    const QString home = qEnvironmentVariable("HOME");
    return (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.local/state/Tandor");
}

QString DatabasePathIn(const QString& folder) { return folder + QStringLiteral("/pairs.sqlite"); }

void Store::BeginReading() {
    if (db_ && !reading_) reading_ = Exec("BEGIN");
}

void Store::EndReading() {
    if (reading_) Exec("COMMIT");
    reading_ = false;
}

Store::~Store() {
    EndReading();
    for (sqlite3_stmt* st : statements_) sqlite3_finalize(st);
    sqlite3_close(db_);
}

bool Store::Fail(const char* what) {
    error_ = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "no database"));
    return false;
}

bool Store::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool Store::Open(const QString& path) {
    EndReading();
    error_.clear();
    for (sqlite3_stmt*& st : statements_) {
        sqlite3_finalize(st);
        st = nullptr;
    }
    sqlite3_close(db_);
    db_ = nullptr;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error_ = QStringLiteral("the folder of %1 cannot be created").arg(path);
        return false;
    }
    if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        Fail("open");
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // A file that is not a database fails here (damaged, or someone else's).
    if (!MakeSchema()) {
        const int code = sqlite3_errcode(db_);
        sqlite3_close(db_);
        db_ = nullptr;
        // A damaged file is set aside (kept for whoever wants to look at it), so that the next
        // run starts a new state instead of running without one for ever. A database that is
        // merely busy stays where it is.
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) {
            const QString aside = path + QStringLiteral(".damaged");
            QFile::remove(aside);
            if (QFile::rename(path, aside)) error_ += QStringLiteral("; set aside as %1").arg(aside);
        }
        return false;
    }
    return true;
}

bool Store::MakeSchema() {
    int found = 0;
    {
        Statement version(db_, "PRAGMA user_version");
        if (!version.ok() || sqlite3_step(version.get()) != SQLITE_ROW) return Fail("open");
        found = sqlite3_column_int(version.get(), 0);
    }
    if (found == kSchemaVersion) return true;
    if (found > kSchemaVersion) {
        error_ = QStringLiteral("open: the state was written by a newer version of the program");
        return false;
    }
    if (!Exec("BEGIN IMMEDIATE")) return Fail("open");
    if (Exec("DROP TABLE IF EXISTS entries; DROP TABLE IF EXISTS folders; DROP TABLE IF EXISTS recent;"
             " DROP TABLE IF EXISTS pairs;") && Exec(kSchema) &&
        Exec("COMMIT"))
        return true;
    Fail("open");
    Exec("ROLLBACK");
    return false;
}

sqlite3_stmt* Store::Prepared(int which, const char* sql) {
    static_assert(kStatementCount == kStatements, "a statement without its place");
    sqlite3_stmt*& st = statements_[which];
    if (!st) sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
    else sqlite3_reset(st);
    return st;
}

int64_t Store::PairId(const QString& leftRoot, const QString& rightRoot) {
    if (!db_) return -1;
    sqlite3_stmt* st = Prepared(kFindPair, "SELECT id FROM pairs WHERE left_root = ?1 AND right_root = ?2");
    int found = SQLITE_ERROR;
    if (st) {
        BindText(st, 1, leftRoot);
        BindText(st, 2, rightRoot);
        found = sqlite3_step(st);
    }
    const int64_t id = found == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    if (st) sqlite3_reset(st);  // a statement left on a row would hold the database's read lock
    if (found != SQLITE_ROW && found != SQLITE_DONE) Fail("read");  // done: the pair never ran two-way
    return id;
}

bool Store::LoadDigests(int64_t pair, FolderDigests& out) {
    out.clear();
    Statement rows(db_, "SELECT folder, digest FROM folders WHERE pair = ?1");
    if (!rows.ok()) return Fail("read");
    sqlite3_bind_int64(rows.get(), 1, pair);
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW)
        out.insert(TextColumn(rows.get(), 0).toString(), static_cast<uint64_t>(sqlite3_column_int64(rows.get(), 1)));
    return rc == SQLITE_DONE || Fail("read");
}

bool Store::Find(int64_t pair, QStringView folder, QStringView name, StoredEntry& out, bool& found) {
    // A recent change stands over what entries hold.
    sqlite3_stmt* recent = Prepared(kFindRecent, "SELECT gone, kind, size0, mtime0, size1, mtime1 FROM recent"
                                                 " WHERE pair = ?1 AND folder = ?2 AND name = ?3");
    sqlite3_stmt* entries = Prepared(kFindEntry, "SELECT kind, size0, mtime0, size1, mtime1 FROM entries"
                                                 " WHERE pair = ?1 AND folder = ?2 AND name = ?3");
    if (!recent || !entries) return Fail("read");
    for (sqlite3_stmt* st : {recent, entries}) {
        sqlite3_bind_int64(st, 1, pair);
        BindText(st, 2, folder);
        BindText(st, 3, name);
        const int rc = sqlite3_step(st);
        const bool fromRecent = st == recent;
        found = rc == SQLITE_ROW && !(fromRecent && sqlite3_column_int(st, 0) == 1);
        if (found) out = EntryFromColumns(st, fromRecent ? 1 : 0);
        sqlite3_reset(st);  // a statement left on a row would hold the database's read lock
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Fail("read");
        if (rc == SQLITE_ROW) return true;
    }
    return true;
}

bool Store::LoadFolder(int64_t pair, QStringView folder, StoredEntries& out) {
    return Load(pair, &folder, out);
}

bool Store::LoadAll(int64_t pair, StoredEntries& out) { return Load(pair, nullptr, out); }

bool Store::Load(int64_t pair, const QStringView* folder, StoredEntries& out) {
    out.clear();
    // The recent changes first: an entry they hold is not taken again from entries (Add keeps
    // the first), one they forget is left out.
    QSet<QString> gone;
    for (const bool recent : {true, false}) {
        const char* table = recent ? "recent" : "entries";
        const QByteArray sql = QByteArray("SELECT folder, name, ") + (recent ? "gone" : "0") +
                               ", kind, size0, mtime0, size1, mtime1 FROM " + table + " WHERE pair = ?1" +
                               (folder ? " AND folder = ?2" : "");
        Statement rows(db_, sql.constData());
        if (!rows.ok()) return Fail("read");
        sqlite3_bind_int64(rows.get(), 1, pair);
        if (folder) BindText(rows.get(), 2, *folder);
        int rc;
        while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            // By name within one folder, by folder and name otherwise.
            const QStringView head = folder ? QStringView() : TextColumn(rows.get(), 0);
            const QStringView name = TextColumn(rows.get(), 1);
            if (recent && sqlite3_column_int(rows.get(), 2) == 1) gone.insert(head.toString().append(name));
            else if (recent || gone.isEmpty() || !gone.contains(head.toString().append(name)))
                out.Add(head, name, EntryFromColumns(rows.get(), 3));
        }
        if (rc != SQLITE_DONE) {
            out.clear();
            return Fail("read");
        }
    }
    return true;
}

Writer::Writer(Store& store) : store_(&store) {
    began_ = store.db_ && store.Exec("BEGIN IMMEDIATE");
    if (store.db_ && !began_) store.Fail("write");
}

Writer::Writer(Writer&& other) noexcept
    : store_(other.store_), began_(other.began_), done_(other.done_), pair_(other.pair_), changes_(other.changes_),
      newPair_(other.newPair_) {
    other.began_ = false;
}

Writer::~Writer() {
    if (began_ && !done_) store_->Exec("ROLLBACK");
}

bool Writer::SelectPair(const QString& leftRoot, const QString& rightRoot) {
    pair_ = -1;
    if (!began_ || done_) return false;
    Statement add(store_->db_, "INSERT OR IGNORE INTO pairs(left_root, right_root) VALUES(?1, ?2)");
    if (!add.ok()) return store_->Fail("write");
    BindText(add.get(), 1, leftRoot);
    BindText(add.get(), 2, rightRoot);
    if (sqlite3_step(add.get()) != SQLITE_DONE) return store_->Fail("write");
    // A pair new to the store has no recent changes: its first run writes straight to entries.
    newPair_ = sqlite3_changes(store_->db_) == 1;
    pair_ = store_->PairId(leftRoot, rightRoot);
    return pair_ >= 0 || store_->Fail("write");
}

bool Writer::Put(QStringView folder, QStringView name, const StoredEntry& entry) { return Change(folder, name, &entry); }

bool Writer::Remove(QStringView folder, QStringView name) { return Change(folder, name, nullptr); }

bool Writer::Change(QStringView folder, QStringView name, const StoredEntry* entry) {
    if (!began_ || done_ || pair_ < 0) return false;
    sqlite3_stmt* put = nullptr;
    if (newPair_ && !entry) {
        put = store_->Prepared(kRemoveNewEntry, "DELETE FROM entries WHERE pair = ?1 AND folder = ?2 AND name = ?3");
        if (!put) return store_->Fail("write");
        sqlite3_bind_int64(put, 1, pair_);
        BindText(put, 2, folder);
        BindText(put, 3, name);
        return sqlite3_step(put) == SQLITE_DONE || store_->Fail("write");
    }
    if (newPair_) {
        put = store_->Prepared(kPutNewEntry,
                               "INSERT INTO entries(pair, folder, name, kind, size0, mtime0, size1, mtime1)"
                               " VALUES(?1, ?2, ?3, ?5, ?6, ?7, ?8, ?9) ON CONFLICT DO UPDATE SET"
                               " kind = ?5, size0 = ?6, mtime0 = ?7, size1 = ?8, mtime1 = ?9");
    } else {
        put = store_->Prepared(kPutEntry,
                               "INSERT INTO recent(pair, folder, name, gone, kind, size0, mtime0, size1, mtime1)"
                               " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9) ON CONFLICT DO UPDATE SET"
                               " gone = ?4, kind = ?5, size0 = ?6, mtime0 = ?7, size1 = ?8, mtime1 = ?9");
        ++changes_;
    }
    if (!put) return store_->Fail("write");
    const StoredEntry none;
    const StoredEntry& e = entry ? *entry : none;
    sqlite3_bind_int64(put, 1, pair_);
    BindText(put, 2, folder);
    BindText(put, 3, name);
    sqlite3_bind_int(put, 4, entry ? 0 : 1);
    sqlite3_bind_int(put, 5, e.kind == StoredEntry::Kind::Folder ? 1 : 0);
    sqlite3_bind_int64(put, 6, e.size[0]);
    sqlite3_bind_int64(put, 7, e.mtime[0]);
    sqlite3_bind_int64(put, 8, e.size[1]);
    sqlite3_bind_int64(put, 9, e.mtime[1]);
    return sqlite3_step(put) == SQLITE_DONE || store_->Fail("write");
}

bool Writer::FoldIfMany() {
    int64_t recent = 0;
    {
        Statement count(store_->db_, "SELECT count(*) FROM recent");
        if (!count.ok() || sqlite3_step(count.get()) != SQLITE_ROW) return false;
        recent = sqlite3_column_int64(count.get(), 0);
    }
    return recent <= store_->foldAfter_ || store_->Exec(kFold);
}

bool Writer::PutDigest(QStringView folder, uint64_t digest) {
    if (!began_ || done_ || pair_ < 0) return false;
    sqlite3_stmt* st = digest != 0
        ? store_->Prepared(kPutDigest, "INSERT OR REPLACE INTO folders(pair, folder, digest) VALUES(?1, ?2, ?3)")
        : store_->Prepared(kRemoveDigest, "DELETE FROM folders WHERE pair = ?1 AND folder = ?2");
    if (!st) return store_->Fail("write");
    sqlite3_bind_int64(st, 1, pair_);
    BindText(st, 2, folder);
    if (digest != 0) sqlite3_bind_int64(st, 3, static_cast<sqlite3_int64>(digest));
    return sqlite3_step(st) == SQLITE_DONE || store_->Fail("write");
}

bool Writer::Commit() {
    if (!began_ || done_) return false;
    done_ = true;
    if ((changes_ == 0 || FoldIfMany()) && store_->Exec("COMMIT")) return true;
    store_->Fail("commit");
    store_->Exec("ROLLBACK");
    return false;
}

}  // namespace SyncState
