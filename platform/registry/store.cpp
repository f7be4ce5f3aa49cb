// The registry's SQLite database (see store.h). This is the only file that
// includes SQLite.
//
// Layout: reg_keys holds the tree (parent 0 is the hive's root), reg_values
// the typed values. Names are stored as their UTF-16 little-endian bytes, and
// beside each name its ASCII-folded form, which is what lookups and the
// uniqueness rules use.
//
// The database uses SQLite's rollback journal with synchronous=FULL: a
// writer killed at any moment leaves either the old or the new state, and
// the next opener rolls an interrupted transaction back. Writers take the
// write lock at the start of their transaction (BEGIN IMMEDIATE) so that two
// processes wait for each other through the busy timeout instead of failing
// on a lock upgrade.
#include "platform/registry/store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <optional>

#include "platform/registry/notice.h"
#include "platform/winapi.h"

namespace platform::registry {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reg_keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, "
    "name BLOB NOT NULL, fold BLOB NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE IF NOT EXISTS reg_values(key INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL, "
    "type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold)) WITHOUT ROWID;";

int busyTimeoutMs = 3000;

// After a call has waited the whole timeout for another process's lock and
// given up, the calls that follow soon after (the rest of a settings walk,
// the other captions) wait only briefly, so that a lock held for long stalls
// the GUI thread once rather than once per call. A call that does not meet
// the lock ends this.
constexpr int kAfterBusyWaitMs = 100;
constexpr auto kAfterBusyWindow = std::chrono::seconds(5);
std::optional<std::chrono::steady_clock::time_point> lastBusy;

int EffectiveBusyTimeoutMs() {
    if (lastBusy && std::chrono::steady_clock::now() - *lastBusy < kAfterBusyWindow)
        return std::min(busyTimeoutMs, kAfterBusyWaitMs);
    return busyTimeoutMs;
}

// --- Locations ---------------------------------------------------------------

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

// The configuration folder: XDG_CONFIG_HOME when it is an absolute path (a
// relative one is ignored, as the XDG rules say), otherwise ~/.config.
std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + "/.config";
}

DWORD ErrnoToError(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
        case ELOOP:
        case ENAMETOOLONG:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_WRITE_FAULT;
    }
}

// Creates `dir` and its missing parents; folders made here are 0700.
DWORD MakeFolders(const std::string& dir) {
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
    if (errno != ENOENT) return ErrnoToError(errno);
    const std::size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        DWORD rc = MakeFolders(dir.substr(0, slash));
        if (rc != ERROR_SUCCESS) return rc;
    }
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return ErrnoToError(errno);
    return ERROR_SUCCESS;
}

// --- SQLite results ----------------------------------------------------------

bool IsDamage(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return true;
        // On a file this process opened for writing, SQLITE_READONLY comes
        // from its header (a write version SQLite does not know): saving
        // would fail for ever. (When the file was moved away under the
        // connection, the set aside finds another file at the path, or none,
        // and moves nothing.)
        case SQLITE_READONLY:
            return true;
        // The statements are fixed and keep to the constraints and types of
        // the tables this store makes: these come from the file (a damaged
        // index or record, or other tables under the store's names).
        case SQLITE_CONSTRAINT:
        case SQLITE_MISMATCH:
        case SQLITE_TOOBIG:
            return true;
        default:
            return false;
    }
}

DWORD ToError(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return ERROR_SUCCESS;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ERROR_BUSY;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return ERROR_BADDB;
        case SQLITE_FULL:
            return ERROR_DISK_FULL;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CANTOPEN:
            return ERROR_ACCESS_DENIED;
        case SQLITE_IOERR:
            return ERROR_WRITE_FAULT;
        case SQLITE_TOOBIG:
            return ERROR_INVALID_PARAMETER;
        default:
            return ERROR_BADDB;
    }
}

// A failure that carries the SQLite result, so that damage can be told apart
// from every other failure.
struct Result {
    int sqlite = SQLITE_OK;
    DWORD error = ERROR_SUCCESS;
    static Result Ok() { return {}; }
    static Result Sqlite(int rc) { return {rc, ToError(rc)}; }
    static Result Error(DWORD e) { return {SQLITE_OK, e}; }
    bool ok() const { return error == ERROR_SUCCESS; }
};

std::vector<std::uint8_t> Bytes(const std::u16string& text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 2);
    for (char16_t u : text) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

std::vector<std::uint8_t> FoldedBytes(const std::u16string& text) {
    std::u16string folded = text;
    for (char16_t& u : folded)
        if (u >= u'A' && u <= u'Z') u = static_cast<char16_t>(u - u'A' + u'a');
    return Bytes(folded);
}

// --- The connection -------------------------------------------------------------

class Connection {
public:
    Connection(sqlite3* db, std::string path, dev_t dev, ino_t ino)
        : db_(db), path_(std::move(path)), dev_(dev), ino_(ino), pid_(getpid()) {}
    ~Connection() {
        for (auto& [sql, stmt] : statements_)
            sqlite3_finalize(stmt);
        sqlite3_close_v2(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db() const { return db_; }
    const std::string& path() const { return path_; }
    pid_t pid() const { return pid_; }
    dev_t dev() const { return dev_; }
    ino_t ino() const { return ino_; }

    // Still the file at `path`? Another process may have set it aside.
    bool StillCurrent(const std::string& path) const {
        if (path != path_) return false;
        struct stat st {};
        return stat(path.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_;
    }

    // A prepared statement, kept for the connection's life; reset on return.
    // The statements are fixed and fit the tables this store makes, so one
    // that does not compile (SQLITE_ERROR: a missing column, a missing unique
    // key) means the file holds other tables under those names: it can never
    // be used, and counts as not being a database.
    sqlite3_stmt* Statement(const char* sql, int* rc) {
        auto it = statements_.find(sql);
        if (it != statements_.end()) {
            sqlite3_reset(it->second);
            sqlite3_clear_bindings(it->second);
            *rc = SQLITE_OK;
            return it->second;
        }
        sqlite3_stmt* stmt = nullptr;
        *rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if ((*rc & 0xFF) == SQLITE_ERROR) *rc = SQLITE_NOTADB;
        if (*rc != SQLITE_OK) return nullptr;
        statements_.emplace(sql, stmt);
        return stmt;
    }

private:
    sqlite3* db_;
    std::string path_;
    dev_t dev_;
    ino_t ino_;
    pid_t pid_;
    std::map<const char*, sqlite3_stmt*> statements_;
};

std::unique_ptr<Connection>& cached() {
    static std::unique_ptr<Connection> connection;
    return connection;
}

void DropCached() {
    std::unique_ptr<Connection>& c = cached();
    // A connection inherited through fork belongs to the parent: SQLite must
    // not touch it in the child, so the child forgets it without closing it.
    if (c && c->pid() != getpid()) {
        (void)c.release();
        return;
    }
    c.reset();
}

// Reads the schema, which is where SQLite first looks at the file's pages.
// Besides SQLITE_NOTADB and SQLITE_CORRUPT, a damaged file can give a plain
// SQLITE_ERROR here (a header naming a file format SQLite does not know) or
// SQLITE_NOMEM (a record claiming an absurd size): such a file can never be
// read or written, so these count as not being a database too. A lock or an
// I/O error does not.
int Probe(sqlite3* db) {
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const int primary = rc & 0xFF;
    return primary == SQLITE_ERROR || primary == SQLITE_NOMEM ? SQLITE_NOTADB : rc;
}

// Runs one of SQLite's check pragmas; `whole` tells whether it found no
// fault. Returns the SQLite result of reading the file.
int RunCheck(sqlite3* db, const char* pragma, bool* whole) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, pragma, -1, &s, nullptr);
    *whole = false;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            *whole = text != nullptr && std::string(text) == "ok";
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(s);
    return rc;
}

// Reads every page of the file: SQLITE_CORRUPT when one of them is damaged,
// else the result of reading (a lock, an I/O error).
int CheckPages(sqlite3* db) {
    bool whole = false;
    const int rc = RunCheck(db, "PRAGMA quick_check", &whole);
    return rc == SQLITE_OK && !whole ? SQLITE_CORRUPT : rc;
}

// Creates the file (owner-only) when missing, tightens a wider mode, and
// opens it. The file is made here rather than by SQLite so that it never
// exists with wider permissions, not even for a moment.
Result OpenFile(const std::string& path, std::unique_ptr<Connection>* out) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return Result::Error(ErrnoToError(errno));
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Result::Error(ERROR_ACCESS_DENIED);
    }
    if ((st.st_mode & 077) != 0) (void)fchmod(fd, 0600);
    close(fd);

    // The store holds a handful of short values: SQLite's default bulk
    // page-cache allocation and lookaside buffers per connection would take
    // more memory than the whole database. Set once, before SQLite starts
    // (later calls are refused and change nothing).
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
        sqlite3_config(SQLITE_CONFIG_LOOKASIDE, 0, 0);
        return true;
    }();
    (void)configured;

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return Result::Sqlite(rc);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, EffectiveBusyTimeoutMs());
    *out = std::make_unique<Connection>(db, path, st.st_dev, st.st_ino);
    return Result::Ok();
}

// Makes sure the schema is there and the file is whole. Reading sqlite_master
// is also the first look at the file, so damage shows up here.
Result PrepareSchema(Connection& c) {
    int rc = Probe(c.db());
    if (rc != SQLITE_OK) return Result::Sqlite(rc);
    int prc = SQLITE_OK;
    sqlite3_stmt* s =
        c.Statement("SELECT count(*) FROM sqlite_master WHERE name IN ('reg_keys','reg_values')", &prc);
    if (!s) return Result::Sqlite(prc);
    rc = sqlite3_step(s);
    const int tables = rc == SQLITE_ROW ? sqlite3_column_int(s, 0) : 0;
    sqlite3_reset(s);
    if (rc != SQLITE_ROW) return Result::Sqlite(rc);
    if (tables == 2) {
        // Every page is read once, when the file is opened: damage in a page
        // that the first reads happen not to touch would otherwise show only
        // after a save had gone into the damaged file.
        rc = CheckPages(c.db());
        return rc == SQLITE_OK ? Result::Ok() : Result::Sqlite(rc);
    }
    std::string script = std::string("BEGIN IMMEDIATE;") + kSchema + "COMMIT;";
    rc = sqlite3_exec(c.db(), script.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && !sqlite3_get_autocommit(c.db()))
        sqlite3_exec(c.db(), "ROLLBACK", nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? Result::Ok() : Result::Sqlite(rc);
}

std::string Timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Sets a damaged file aside under a new name, with the journal that belongs to
// it, so that nothing is thrown away and the journal is never played back into
// the fresh database. Runs under an exclusive lock on the folder, and looks at
// the file again first: another process may have done this already. The file
// whose schema reads well is moved only when it is still the one that showed
// the damage (`dev`, `ino`): damage can lie in pages that the look at the
// schema does not read.
Result SetAside(const std::string& dir, const std::string& path, dev_t dev, ino_t ino) {
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return Result::Error(ErrnoToError(errno));
    flock(dirFd, LOCK_EX);
    Result result = Result::Ok();
    {
        sqlite3* probe = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &probe, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_extended_result_codes(probe, 1);
            sqlite3_busy_timeout(probe, busyTimeoutMs);
            rc = Probe(probe);
            // Damage in a table, below a whole schema page, is damage too.
            if (rc == SQLITE_OK) rc = CheckPages(probe);
        }
        sqlite3_close_v2(probe);
        struct stat st {};
        const bool sameFile =
            rc == SQLITE_OK && stat(path.c_str(), &st) == 0 && st.st_dev == dev && st.st_ino == ino;
        if (!IsDamage(rc) && !sameFile) {
            // Healthy now (set aside by someone else), missing, or locked:
            // nothing to move. A lock is never taken for damage.
            flock(dirFd, LOCK_UN);
            close(dirFd);
            return (rc & 0xFF) == SQLITE_CANTOPEN || rc == SQLITE_OK ? Result::Ok() : Result::Sqlite(rc);
        }
    }
    std::string aside = path + ".damaged-" + Timestamp();
    for (int n = 2; Exists(aside); ++n)
        aside = path + ".damaged-" + Timestamp() + "-" + std::to_string(n);
    if (rename(path.c_str(), aside.c_str()) != 0) {
        result = Result::Error(ErrnoToError(errno));
    } else {
        for (const char* suffix : {"-journal", "-wal", "-shm"}) {
            const std::string companion = path + suffix;
            if (Exists(companion)) (void)rename(companion.c_str(), (aside + suffix).c_str());
        }
        fsync(dirFd);
        Notice("the settings database " + path + " could not be read; it was kept as " + aside +
               " and a new one was started");
    }
    flock(dirFd, LOCK_UN);
    close(dirFd);
    return result;
}

// The connection for this call, opened (or reopened) as needed.
Result Open(Connection** out) {
    const std::string home = ConfigHome();
    if (home.empty()) return Result::Error(ERROR_PATH_NOT_FOUND);
    const std::string dir = home + "/kelvo";
    const std::string path = dir + "/registry.sqlite3";

    std::unique_ptr<Connection>& c = cached();
    if (c && c->pid() == getpid() && c->StillCurrent(path)) {
        *out = c.get();
        return Result::Ok();
    }
    DropCached();

    DWORD made = MakeFolders(dir);
    if (made != ERROR_SUCCESS) return Result::Error(made);
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) != 0)
        (void)chmod(dir.c_str(), 0700);

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<Connection> fresh;
        Result r = OpenFile(path, &fresh);
        if (r.ok()) r = PrepareSchema(*fresh);
        if (r.ok()) {
            // Only now: the pragma reads the schema, so before PrepareSchema
            // it would wait out the busy timeout a second time under another
            // process's lock.
            sqlite3_exec(fresh->db(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
            c = std::move(fresh);
            *out = c.get();
            return r;
        }
        const dev_t dev = fresh ? fresh->dev() : 0;
        const ino_t ino = fresh ? fresh->ino() : 0;
        fresh.reset();
        if (!IsDamage(r.sqlite) || attempt == 1) return r;
        Result moved = SetAside(dir, path, dev, ino);
        if (!moved.ok()) return moved;
    }
    return Result::Error(ERROR_BADDB);
}

// --- Transactions --------------------------------------------------------------

// Runs `body` inside one transaction on the current connection. Damage found on
// the way sets the file aside, and the body runs once more on the fresh file
// (where the keys it names no longer exist).
template <class Body>
DWORD Transaction(bool write, Body body);

// Notes whether a call gave up on a lock (see EffectiveBusyTimeoutMs).
DWORD NoteBusy(DWORD result) {
    if (result == ERROR_BUSY)
        lastBusy = std::chrono::steady_clock::now();
    else
        lastBusy.reset();
    return result;
}

template <class Body>
DWORD RunTransaction(bool write, Body body) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Connection* c = nullptr;
        Result r = Open(&c);
        if (!r.ok()) return r.error;
        sqlite3_busy_timeout(c->db(), EffectiveBusyTimeoutMs());
        int rc = sqlite3_exec(c->db(), write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            r = body(*c);
            if (r.ok()) {
                rc = sqlite3_exec(c->db(), "COMMIT", nullptr, nullptr, nullptr);
                if (rc != SQLITE_OK) r = Result::Sqlite(rc);
            }
        } else {
            r = Result::Sqlite(rc);
        }
        if (!sqlite3_get_autocommit(c->db())) sqlite3_exec(c->db(), "ROLLBACK", nullptr, nullptr, nullptr);
        if (r.ok() || !IsDamage(r.sqlite) || attempt == 1) return r.error;
        const std::string path = c->path();
        const dev_t dev = c->dev();
        const ino_t ino = c->ino();
        DropCached();
        const std::string dir = path.substr(0, path.find_last_of('/'));
        Result moved = SetAside(dir, path, dev, ino);
        if (!moved.ok()) return moved.error;
    }
    return ERROR_BADDB;
}

template <class Body>
DWORD Transaction(bool write, Body body) {
    return NoteBusy(RunTransaction(write, body));
}

void BindBytes(sqlite3_stmt* s, int index, const std::vector<std::uint8_t>& bytes) {
    // An empty blob, not NULL: bind_blob with no data would store NULL.
    if (bytes.empty())
        sqlite3_bind_zeroblob(s, index, 0);
    else
        sqlite3_bind_blob(s, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

// The id of the key at `path` (0 for the root), or ERROR_FILE_NOT_FOUND.
Result FindKey(Connection& c, const KeyPath& path, bool create, sqlite3_int64* id) {
    sqlite3_int64 current = 0;
    for (const std::u16string& name : path) {
        int rc = SQLITE_OK;
        sqlite3_stmt* s = c.Statement("SELECT id FROM reg_keys WHERE parent=?1 AND fold=?2", &rc);
        if (!s) return Result::Sqlite(rc);
        sqlite3_bind_int64(s, 1, current);
        BindBytes(s, 2, FoldedBytes(name));
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            current = sqlite3_column_int64(s, 0);
            sqlite3_reset(s);
            continue;
        }
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return Result::Sqlite(rc);
        if (!create) return Result::Error(ERROR_FILE_NOT_FOUND);
        sqlite3_stmt* ins = c.Statement("INSERT INTO reg_keys(parent, name, fold) VALUES(?1, ?2, ?3)", &rc);
        if (!ins) return Result::Sqlite(rc);
        sqlite3_bind_int64(ins, 1, current);
        BindBytes(ins, 2, Bytes(name));
        BindBytes(ins, 3, FoldedBytes(name));
        rc = sqlite3_step(ins);
        sqlite3_reset(ins);
        if (rc != SQLITE_DONE) return Result::Sqlite(rc);
        current = sqlite3_last_insert_rowid(c.db());
    }
    *id = current;
    return Result::Ok();
}

// FindKey for a key that a handle names: missing means it was removed.
Result FindHandleKey(Connection& c, const KeyPath& path, sqlite3_int64* id) {
    Result r = FindKey(c, path, false, id);
    if (r.error == ERROR_FILE_NOT_FOUND) r.error = ERROR_KEY_DELETED;
    return r;
}

}  // namespace

std::uint32_t KeyExists(const KeyPath& path) {
    return Transaction(false, [&](Connection& c) {
        sqlite3_int64 id = 0;
        return FindKey(c, path, false, &id);
    });
}

std::uint32_t CreateKey(const KeyPath& path) {
    // Most calls find every level already there: look first without taking
    // the write lock.
    if (KeyExists(path) == ERROR_SUCCESS) return ERROR_SUCCESS;
    return Transaction(true, [&](Connection& c) {
        sqlite3_int64 id = 0;
        return FindKey(c, path, true, &id);
    });
}

std::uint32_t GetValue(const KeyPath& key, const std::u16string& name, std::uint32_t* type,
                       std::vector<std::uint8_t>* data) {
    return Transaction(false, [&](Connection& c) {
        sqlite3_int64 id = 0;
        Result r = FindHandleKey(c, key, &id);
        if (!r.ok()) return r;
        int rc = SQLITE_OK;
        sqlite3_stmt* s = c.Statement("SELECT type, data FROM reg_values WHERE key=?1 AND fold=?2", &rc);
        if (!s) return Result::Sqlite(rc);
        sqlite3_bind_int64(s, 1, id);
        BindBytes(s, 2, FoldedBytes(name));
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            *type = static_cast<std::uint32_t>(sqlite3_column_int64(s, 0));
            const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, 1));
            const int size = sqlite3_column_bytes(s, 1);
            data->assign(bytes, bytes + (bytes ? size : 0));
            r = Result::Ok();
        } else {
            r = rc == SQLITE_DONE ? Result::Error(ERROR_FILE_NOT_FOUND) : Result::Sqlite(rc);
        }
        sqlite3_reset(s);
        return r;
    });
}

std::uint32_t SetValue(const KeyPath& key, const std::u16string& name, std::uint32_t type,
                       const std::uint8_t* data, std::size_t size) {
    if (size > 0x7FFFFFFF) return ERROR_INVALID_PARAMETER;
    const std::vector<std::uint8_t> bytes(data, data + size);
    return Transaction(true, [&](Connection& c) {
        sqlite3_int64 id = 0;
        Result r = FindHandleKey(c, key, &id);
        if (!r.ok()) return r;
        int rc = SQLITE_OK;
        sqlite3_stmt* s = c.Statement(
            "INSERT INTO reg_values(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
            "ON CONFLICT(key, fold) DO UPDATE SET name=excluded.name, type=excluded.type, data=excluded.data",
            &rc);
        if (!s) return Result::Sqlite(rc);
        sqlite3_bind_int64(s, 1, id);
        BindBytes(s, 2, Bytes(name));
        BindBytes(s, 3, FoldedBytes(name));
        sqlite3_bind_int64(s, 4, type);
        BindBytes(s, 5, bytes);
        rc = sqlite3_step(s);
        sqlite3_reset(s);
        return rc == SQLITE_DONE ? Result::Ok() : Result::Sqlite(rc);
    });
}

std::uint32_t DeleteValue(const KeyPath& key, const std::u16string& name) {
    return Transaction(true, [&](Connection& c) {
        sqlite3_int64 id = 0;
        Result r = FindHandleKey(c, key, &id);
        if (!r.ok()) return r;
        int rc = SQLITE_OK;
        sqlite3_stmt* s = c.Statement("DELETE FROM reg_values WHERE key=?1 AND fold=?2", &rc);
        if (!s) return Result::Sqlite(rc);
        sqlite3_bind_int64(s, 1, id);
        BindBytes(s, 2, FoldedBytes(name));
        rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return Result::Sqlite(rc);
        return sqlite3_changes(c.db()) > 0 ? Result::Ok() : Result::Error(ERROR_FILE_NOT_FOUND);
    });
}

void SetBusyTimeoutMs(int ms) {
    busyTimeoutMs = ms;
    lastBusy.reset();
    std::unique_ptr<Connection>& c = cached();
    if (c && c->pid() == getpid()) sqlite3_busy_timeout(c->db(), ms);
}

std::string DatabasePath() {
    const std::string home = ConfigHome();
    return home.empty() ? std::string() : home + "/kelvo/registry.sqlite3";
}

std::uint32_t CheckIntegrity() {
    return Transaction(false, [](Connection& c) {
        bool whole = false;
        const int rc = RunCheck(c.db(), "PRAGMA integrity_check", &whole);
        if (rc != SQLITE_OK) return Result::Sqlite(rc);
        return whole ? Result::Ok() : Result::Error(ERROR_BADDB);
    });
}

void CloseDatabase() {
    DropCached();
}

}  // namespace platform::registry
