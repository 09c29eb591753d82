// The text tables in SQLite files: one in-memory connection to which each database's file
// is attached, checked before use and attached afresh when it changed; tables resolved into
// views; read-only queries on kept statements. Everything here runs under the connections
// lock (kordb_p.h).
#include "db/kordb_p.h"

#include "text/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace kordb::detail {

namespace {

// `immutable`: the file is read as it is, with no lock and no files beside it (a WAL
// database that nobody writes just now; see identityOf).
std::string fileUri(const std::string& path, bool immutable)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out = "file:";
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + (immutable ? "?mode=ro&immutable=1" : "?mode=ro");
}

long long nanoseconds(const struct timespec& t) { return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec; }

// The identity of a file; nullopt (and the reason) when it cannot be read as a file. Opened
// without waiting, so a FIFO or a device is refused, never read.
std::optional<FileIdentity> identityOf(const std::string& path, std::string* why)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *why = std::strerror(errno);
        return std::nullopt;
    }
    struct stat st;
    unsigned char header[20] = {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        *why = "keine Datei";
        ::close(fd);
        return std::nullopt;
    }
    // Bytes 18 and 19 of a database's header: the file format versions, 2 for WAL.
    bool wal = ok && ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
               std::memcmp(header, "SQLite format 3", 16) == 0 && header[18] == 2 && header[19] == 2;
    if (!ok)
        *why = std::strerror(errno);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    FileIdentity id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = nanoseconds(st.st_mtim);
    id.ctimeNs = nanoseconds(st.st_ctim);
    id.wal = wal;
    struct stat walSt;
    id.walPresent = wal && ::stat((path + "-wal").c_str(), &walSt) == 0;
    return id;
}

// Whether the file at `path` is still the one `known` describes, by its status alone (one
// system call; two for a WAL database): a write changes its times, a replacement its inode.
bool unchanged(const std::string& path, const FileIdentity& known)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != known.dev || st.st_ino != known.ino ||
        st.st_size != known.size || nanoseconds(st.st_mtim) != known.mtimeNs || nanoseconds(st.st_ctim) != known.ctimeNs)
        return false;
    struct stat walSt;
    return !known.wal || (::stat((path + "-wal").c_str(), &walSt) == 0) == known.walPresent;
}

// The file change counter of a database (header bytes 24..27), which every write that
// commits in rollback mode increments; nullopt when it cannot be read.
std::optional<unsigned> changeCounter(int fd)
{
    unsigned char b[4];
    if (fd < 0 || ::pread(fd, b, sizeof b, 24) != static_cast<ssize_t>(sizeof b))
        return std::nullopt;
    return (unsigned{b[0]} << 24) | (unsigned{b[1]} << 16) | (unsigned{b[2]} << 8) | b[3];
}

}  // namespace

bool exec(Connections& c, const std::string& sql, std::string* error)
{
    char* msg = nullptr;
    int rc = sqlite3_exec(c.db, sql.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        *error = msg ? msg : sqlite3_errstr(rc);
        sqlite3_free(msg);
        return false;
    }
    return true;
}

void beginRead(Connections& c)
{
    std::string error;
    if (c.callDepth > 0 && !c.readOpen && c.db && sqlite3_get_autocommit(c.db) && exec(c, "BEGIN", &error))
        c.readOpen = true;
}

void endRead(Connections& c)
{
    if (!c.readOpen)
        return;
    c.readOpen = false;
    std::string error;
    if (c.db && !sqlite3_get_autocommit(c.db) && !exec(c, "COMMIT", &error))
        exec(c, "ROLLBACK", &error);
}

bool openConnection(Connections& c)
{
    if (c.db)
        return true;
    int rc = sqlite3_open_v2(":memory:", &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                             nullptr);
    if (rc != SQLITE_OK) {
        fail(std::string("SQLite lässt sich nicht öffnen: ") + sqlite3_errstr(rc));
        sqlite3_close(c.db);
        c.db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(c.db, c.busyMs);
    sqlite3_extended_result_codes(c.db, 1);
    return true;
}

void detach(Connections& c, Database& d)
{
    if (!d.attached)
        return;
    endRead(c);
    // Statements are reset after every use, so nothing holds the schema.
    std::string error;
    if (!exec(c, "DETACH DATABASE " + pg::quoteName(d.schema), &error)) {
        // Should not happen; start over with a fresh connection rather than read a stale file.
        finalizeStatements(c);
        sqlite3_close(c.db);
        c.db = nullptr;
        for (auto& [name, other] : c.open) {
            other.attached = false;
            other.file.reset();
        }
        c.caches.resolutions.clear();
        c.caches.views.clear();
    }
    d.attached = false;
    d.file.reset();
    d.location.clear();
}

// Makes sure database `upperName` is attached from its configured file as it is now. False
// (after a diagnostic) when it is not configured or its file cannot be attached.
bool ensureAttached(Connections& c, const std::string& upperName, const std::string& shownName,
                    DatabaseEntry* used)
{
    const std::optional<DatabaseEntry> entry = findEntry(upperName);
    if (!entry) {
        fail("unbekannte Datenbank " + shownName + " (einzurichten in " + configPath() + " oder mit korcad --db " +
             shownName + "=DATEI)");
        return false;
    }
    if (used)
        *used = *entry;
    if (pg::isServerLocation(entry->location))
        return ensureServer(c, upperName, *entry);
    if (entry->location.find("://") != std::string::npos) {
        fail("Datenbank " + entry->name + ": unbekannte Art von Ort " + redactedLocation(entry->location) +
             " (eine SQLite-Datei oder ein Server als postgresql://...)");
        return false;
    }
    if (!openConnection(c))
        return false;
    Database& d = c.open[upperName];
    if (d.server) {
        forgetResolutions(c, upperName);
        d.server = false;
        d.location.clear();
    }
    if (d.schema.empty())
        d.schema = "kdb" + std::to_string(c.nextSchema++);
    d.lastUse = ++c.useCounter;
    if (c.callDepth > 0 && d.attached && d.location == entry->location && d.checkedInCall == c.callSerial)
        return true;
    d.checkedInCall = c.callDepth > 0 ? c.callSerial : 0;
    if (d.attached && d.location == entry->location && unchanged(entry->location, d.identity))
        return true;
    std::string why;
    auto identity = identityOf(entry->location, &why);
    if (!identity) {
        detach(c, d);
        forgetResolutions(c, upperName);
        fail("Datenbank " + entry->name + ": " + entry->location + " nicht lesbar: " + why);
        return false;
    }
    if (d.attached && d.location == entry->location && d.identity == *identity)
        return true;
    // First use, a new location, or the file was replaced or changed: attach it afresh.
    detach(c, d);
    forgetResolutions(c, upperName);
    if (!openConnection(c))
        return false;
    endRead(c);
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Everything that allocates comes before the ATTACH; once it is done the state is
        // recorded without a step that could fail, so the two never disagree.
        const std::string sql = "ATTACH DATABASE ?1 AS " + pg::quoteName(d.schema);
        const std::string uri = fileUri(entry->location, identity->readImmutable());
        std::string location = entry->location;
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(c.db, sql.c_str(), -1, &raw, nullptr);
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(stmt.get(), 1, uri.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(stmt.get());
        }
        if (rc == SQLITE_DONE) {
            d.location.swap(location);
            d.identity = *identity;
            d.attached = true;
            // Without the descriptor nothing is kept from this file (see resultsHold).
            d.file.reset(::open(d.location.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
            d.changeCounter = changeCounter(d.file.fd).value_or(0);
            d.resultsCheckedInCall = 0;
            return true;
        }
        std::string message = sqlite3_errmsg(c.db);
        stmt.reset();
        // Too many databases attached at once: let go of the one used longest ago.
        Database* oldest = nullptr;
        for (auto& [name, other] : c.open)
            if (other.attached && (!oldest || other.lastUse < oldest->lastUse))
                oldest = &other;
        if (attempt == 0 && oldest && message.find("too many attached") != std::string::npos) {
            detach(c, *oldest);
            continue;
        }
        fail("Datenbank " + entry->name + ": " + entry->location + " lässt sich nicht öffnen: " + message);
        return false;
    }
    return false;
}

bool resolveInFile(Connections& c, const std::string& upperName, const DatabaseEntry& entry,
                   const std::string& table, const std::string& cacheKey, std::wstring& resolved)
{
    const Database& d = c.open[upperName];
    // The table is looked for through a parameter; only the name the file gives it is used.
    std::string sql = "SELECT name FROM " + pg::quoteName(d.schema) +
                      ".sqlite_schema WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE";
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(c.db, sql.c_str(), -1, &raw, nullptr);
    // Finalized however this ends: a statement left open would keep the connection from closing.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    std::string canonical;
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(stmt.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_ROW)
            canonical = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    }
    std::string message = sqlite3_errmsg(c.db);
    stmt.reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        fail("Datenbank " + entry.name + " (" + entry.location + "): " + message);
        return false;
    }
    if (rc == SQLITE_DONE) {
        fail("Datenbank " + entry.name + " (" + entry.location + ") hat keine Tabelle " + table);
        return false;
    }
    if (!validTableName(kortext::toWide(canonical))) {
        fail("Datenbank " + entry.name + ": abgelehnter Tabellenname " + shown(kortext::toWide(canonical)));
        return false;
    }
    std::string view = entry.name + "." + canonical;
    std::string error;
    std::string create = "DROP VIEW IF EXISTS temp." + pg::quoteName(view) + "; CREATE TEMP VIEW " + pg::quoteName(view) +
                         " AS SELECT * FROM " + pg::quoteName(d.schema) + "." + pg::quoteName(canonical);
    // Dropping a view that a kept statement uses makes that statement prepare itself again.
    if (!exec(c, create, &error)) {
        fail("Datenbank " + entry.name + ": Tabelle " + canonical + " lässt sich nicht vorbereiten: " + error);
        return false;
    }
    // Each entry is made whole or not at all (an allocation that fails leaves no half entry).
    c.caches.views.insert_or_assign(upperAscii(view), upperName);
    c.caches.resolutions.insert_or_assign(cacheKey, view);
    resolved = kortext::toWide(view);
    c.checkedByResolve = upperName;
    return true;
}

namespace {

// Whether results may be kept and answered from: only within a call of an application, and
// only while every attached file is the one attached (by its status) with the content it had
// (by its change counter), checked once per call. A query may read any attached file, not
// only those it names. A WAL database is kept from only while it is read as immutable: a
// writer beside it changes its identity.
bool resultsHold(Connections& c)
{
    if (c.callDepth == 0)
        return false;
    for (auto& [name, d] : c.open) {
        if (!d.attached || d.resultsCheckedInCall == c.callSerial)
            continue;
        if (d.identity.wal && !d.identity.readImmutable())
            return false;
        // A file its query or resolve checked in this call needs its counter only.
        std::optional<unsigned> counter = changeCounter(d.file.fd);
        if (!counter || (d.checkedInCall != c.callSerial && !unchanged(d.location, d.identity))) {
            c.caches.results.clear();
            return false;
        }
        if (*counter != d.changeCounter) {
            c.caches.results.clear();
            d.changeCounter = *counter;
        }
        d.resultsCheckedInCall = c.callSerial;
    }
    return true;
}

void answerFrom(const Caches::Result& kept, CKORRltbRecordset& rs)
{
    CKORRltbRecordsetAccess::fields(rs) = kept.fields;
    CKORRltbRecordsetAccess::rows(rs) = kept.rows;
}

}  // namespace

bool answerKept(Connections& c, const std::string& text, CKORRltbRecordset& rs)
{
    if (c.checkedByResolve.empty())
        return false;
    auto it = c.caches.results.find(text);
    if (it == c.caches.results.end() || it->second.database != c.checkedByResolve || !resultsHold(c))
        return false;
    c.checkedByResolve.clear();
    answerFrom(it->second, rs);
    return true;
}

bool queryInFiles(Connections& c, const ParsedQuery& parsed, const std::string& text, CKORRltbRecordset& rs)
{
    // Every database the query names through a resolved name is checked (and attached again
    // when its file changed) before the query runs, but the one the resolve just before
    // checked.
    std::string checked = std::exchange(c.checkedByResolve, std::string());
    std::string named;  // the one database named, empty for none or several
    bool several = false;
    for (const std::string& name : parsed.quotedNames) {
        auto it = c.caches.views.find(name);
        if (it == c.caches.views.end())
            continue;
        std::string db = it->second;
        several = several || (!named.empty() && named != db);
        named = db;
        if (db == checked && c.open[db].attached)
            continue;
        const std::optional<DatabaseEntry> entry = findEntry(db);
        if (!ensureAttached(c, db, entry ? entry->name : db))
            return false;
    }
    auto& fields = CKORRltbRecordsetAccess::fields(rs);
    auto& rows = CKORRltbRecordsetAccess::rows(rs);
    const bool keep = resultsHold(c);
    if (keep)
        if (auto it = c.caches.results.find(text); it != c.caches.results.end()) {
            answerFrom(it->second, rs);
            return true;
        }
    if (!openConnection(c))
        return false;
    beginRead(c);
    sqlite3_stmt* stmt = nullptr;
    if (auto it = c.caches.statements.find(parsed.sql); it != c.caches.statements.end()) {
        stmt = it->second;
    } else {
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v3(c.db, parsed.sql.c_str(), static_cast<int>(parsed.sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
        // Finalized however a refusal ends (its message allocates), until it is kept.
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(stmt, sqlite3_finalize);
        if (rc != SQLITE_OK || !stmt) {
            fail("Abfrage fehlgeschlagen: " + std::string(rc == SQLITE_OK ? "keine Anweisung" : sqlite3_errmsg(c.db)) +
                 " in: " + text);
            return false;
        }
        while (tail && *tail && (std::isspace(static_cast<unsigned char>(*tail)) || *tail == ';'))
            ++tail;
        if ((tail && *tail) || !sqlite3_stmt_readonly(stmt)) {
            fail("abgelehnte Abfrage (nur eine Anweisung, die liest): " + text);
            return false;
        }
        if (c.caches.statements.size() >= Caches::kMaxStatements)
            finalizeStatements(c);
        c.caches.statements.emplace(parsed.sql, stmt);
        owned.release();
    }
    // The statement is reset however the query ends (an allocation failing while the records
    // are read too): a kept statement left half-stepped would answer the next query wrongly.
    struct Reset {
        sqlite3_stmt* stmt;
        ~Reset()
        {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    } reset{stmt};
    for (size_t i = 0; i < parsed.values.size(); ++i) {
        const auto& v = parsed.values[i];
        if (std::holds_alternative<long long>(v))
            sqlite3_bind_int64(stmt, static_cast<int>(i + 1), std::get<long long>(v));
        else
            sqlite3_bind_double(stmt, static_cast<int>(i + 1), std::get<double>(v));
    }
    int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (fields.empty())
            for (int c = 0; c < columns; ++c)
                fields.push_back(kortext::toWide(sqlite3_column_name(stmt, c)));
        std::vector<std::wstring> row(columns);
        for (int c = 0; c < columns; ++c) {
            const unsigned char* v = sqlite3_column_text(stmt, c);
            if (v)
                row[c] = kortext::toWide(
                    std::string_view(reinterpret_cast<const char*>(v), sqlite3_column_bytes(stmt, c)));
        }
        rows.push_back(std::move(row));
    }
    bool ok = rc == SQLITE_DONE;
    if (!ok) {
        std::string message = sqlite3_errmsg(c.db);
        fail("Abfrage fehlgeschlagen: " + message + " in: " + text);
        rs.Clear();
    } else if (fields.empty()) {
        for (int c = 0; c < columns; ++c)
            fields.push_back(kortext::toWide(sqlite3_column_name(stmt, c)));
    }
    if (ok && keep && rows.size() <= Caches::kMaxResultRows) {
        if (c.caches.results.size() >= Caches::kMaxResults)
            c.caches.results.clear();
        c.caches.results.insert_or_assign(text, Caches::Result{several ? std::string() : named, fields, rows});
    }
    return ok;
}

}  // namespace kordb::detail
