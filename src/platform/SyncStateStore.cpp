#include "platform/SyncStateStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace SyncState {

namespace {

// Paths are kept as the program's own UTF-16 text, byte for byte: a name that is no valid
// Unicode (decoded by PathCodec) comes back exactly as it went in.
int BindText(sqlite3_stmt* st, int index, const QString& text) {
    return sqlite3_bind_blob(st, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
}

QString ColumnText(sqlite3_stmt* st, int column) {
    const auto* data = static_cast<const char16_t*>(sqlite3_column_blob(st, column));
    const int bytes = sqlite3_column_bytes(st, column);
    return data ? QString::fromUtf16(data, bytes / 2) : QString();
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

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS pairs(id INTEGER PRIMARY KEY, left_root BLOB NOT NULL, right_root BLOB NOT NULL,"
    " UNIQUE(left_root, right_root));"
    "CREATE TABLE IF NOT EXISTS entries(pair INTEGER NOT NULL, path BLOB NOT NULL, kind INTEGER NOT NULL,"
    " size0 INTEGER NOT NULL, mtime0 INTEGER NOT NULL, size1 INTEGER NOT NULL, mtime1 INTEGER NOT NULL,"
    " PRIMARY KEY(pair, path)) WITHOUT ROWID;";

}  // namespace

QString DefaultStateFolder() {
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    if (xdg.startsWith(QLatin1Char('/'))) return xdg + QStringLiteral("/Tandor");
    const QString home = qEnvironmentVariable("HOME");
    return (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.local/state/Tandor");
}

QString DatabasePathIn(const QString& folder) { return folder + QStringLiteral("/pairs.sqlite"); }

Store::~Store() { sqlite3_close(db_); }

bool Store::Fail(const char* what) {
    error_ = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "no database"));
    return false;
}

bool Store::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool Store::Open(const QString& path) {
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
    // A file that is not a database of this form fails here (damaged, or someone else's).
    if (!Exec(kSchema) || !Exec("SELECT pair, path, kind, size0, mtime0, size1, mtime1 FROM entries LIMIT 0")) {
        const int code = sqlite3_errcode(db_);
        Fail("open");
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

bool Store::Load(const QString& leftRoot, const QString& rightRoot, StoredEntries& out) {
    out.clear();
    if (!db_) return false;
    Statement pair(db_, "SELECT id FROM pairs WHERE left_root = ?1 AND right_root = ?2");
    if (!pair.ok()) return Fail("read");
    BindText(pair.get(), 1, leftRoot);
    BindText(pair.get(), 2, rightRoot);
    const int found = sqlite3_step(pair.get());
    if (found == SQLITE_DONE) return false;  // no state: the pair never ran two-way
    if (found != SQLITE_ROW) return Fail("read");
    const sqlite3_int64 id = sqlite3_column_int64(pair.get(), 0);

    Statement rows(db_, "SELECT path, kind, size0, mtime0, size1, mtime1 FROM entries WHERE pair = ?1");
    if (!rows.ok()) return Fail("read");
    sqlite3_bind_int64(rows.get(), 1, id);
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        StoredEntry e;
        e.kind = sqlite3_column_int(rows.get(), 1) == 1 ? StoredEntry::Kind::Folder : StoredEntry::Kind::File;
        e.size[0] = sqlite3_column_int64(rows.get(), 2);
        e.mtime[0] = sqlite3_column_int64(rows.get(), 3);
        e.size[1] = sqlite3_column_int64(rows.get(), 4);
        e.mtime[1] = sqlite3_column_int64(rows.get(), 5);
        out.insert(ColumnText(rows.get(), 0), e);
    }
    if (rc != SQLITE_DONE) {
        out.clear();
        return Fail("read");
    }
    return true;
}

Writer::Writer(Store& store) : store_(&store) {
    began_ = store.db_ && store.Exec("BEGIN IMMEDIATE");
    if (store.db_ && !began_) store.Fail("write");
}

Writer::Writer(Writer&& other) noexcept
    : store_(other.store_), put_(other.put_), remove_(other.remove_), began_(other.began_), done_(other.done_),
      pair_(other.pair_) {
    other.began_ = false;
    other.put_ = other.remove_ = nullptr;
}

Writer::~Writer() {
    sqlite3_finalize(put_);
    sqlite3_finalize(remove_);
    if (began_ && !done_) store_->Exec("ROLLBACK");
}

sqlite3_stmt* Writer::Prepared(sqlite3_stmt*& statement, const char* sql) {
    if (!statement) sqlite3_prepare_v2(store_->db_, sql, -1, &statement, nullptr);
    else sqlite3_reset(statement);
    return statement;
}

bool Writer::SelectPair(const QString& leftRoot, const QString& rightRoot) {
    pair_ = -1;
    if (!began_ || done_) return false;
    sqlite3* db = store_->db_;
    {
        Statement add(db, "INSERT OR IGNORE INTO pairs(left_root, right_root) VALUES(?1, ?2)");
        if (!add.ok()) return store_->Fail("write");
        BindText(add.get(), 1, leftRoot);
        BindText(add.get(), 2, rightRoot);
        if (sqlite3_step(add.get()) != SQLITE_DONE) return store_->Fail("write");
    }
    Statement find(db, "SELECT id FROM pairs WHERE left_root = ?1 AND right_root = ?2");
    if (!find.ok()) return store_->Fail("write");
    BindText(find.get(), 1, leftRoot);
    BindText(find.get(), 2, rightRoot);
    if (sqlite3_step(find.get()) != SQLITE_ROW) return store_->Fail("write");
    pair_ = sqlite3_column_int64(find.get(), 0);
    return true;
}

bool Writer::Put(const QString& path, const StoredEntry& entry) {
    if (!began_ || done_ || pair_ < 0) return false;
    sqlite3_stmt* put = Prepared(put_,
                                 "INSERT OR REPLACE INTO entries(pair, path, kind, size0, mtime0, size1, mtime1)"
                                 " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    if (!put) return store_->Fail("write");
    sqlite3_bind_int64(put, 1, pair_);
    BindText(put, 2, path);
    sqlite3_bind_int(put, 3, entry.kind == StoredEntry::Kind::Folder ? 1 : 0);
    sqlite3_bind_int64(put, 4, entry.size[0]);
    sqlite3_bind_int64(put, 5, entry.mtime[0]);
    sqlite3_bind_int64(put, 6, entry.size[1]);
    sqlite3_bind_int64(put, 7, entry.mtime[1]);
    return sqlite3_step(put) == SQLITE_DONE || store_->Fail("write");
}

bool Writer::Remove(const QString& path) {
    if (!began_ || done_ || pair_ < 0) return false;
    sqlite3_stmt* remove = Prepared(remove_, "DELETE FROM entries WHERE pair = ?1 AND path = ?2");
    if (!remove) return store_->Fail("write");
    sqlite3_bind_int64(remove, 1, pair_);
    BindText(remove, 2, path);
    return sqlite3_step(remove) == SQLITE_DONE || store_->Fail("write");
}

bool Writer::Commit() {
    if (!began_ || done_) return false;
    done_ = true;
    sqlite3_finalize(put_);
    sqlite3_finalize(remove_);
    put_ = remove_ = nullptr;
    if (store_->Exec("COMMIT")) return true;
    store_->Fail("commit");
    store_->Exec("ROLLBACK");
    return false;
}

}  // namespace SyncState
