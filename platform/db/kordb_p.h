// kordb_p.h — the inside of the text tables, shared by their source files.
//
// Three kinds of state, each with one mutex of its own:
//
//   configuration  (kordb_config.cpp)  databases.ini and the host's entries
//   diagnostics    (kordb_config.cpp)  the sink and the last message
//   connections    (kordb.cpp)         the SQLite connection, its attached files, the server
//                                      connections and the caches that belong to them
//                                      (resolutions, views, kept statements; kordb_cache.cpp)
//
// Lock order: connections, then configuration, then diagnostics; never the other way round.
// A public call takes the mutex of what it works on, once, at its start; the functions
// below that take a `Connections&` expect its mutex held by their caller. None of the three
// is recursive: nothing under a lock calls back into a public function. The diagnostic sink
// runs under the diagnostics lock (and maybe the connections lock): it must not call kordb.
#pragma once

#include "db/kordb.h"
#include "db/pgserver.h"

#include <sqlite3.h>
#include <sys/types.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace kordb::detail {

// ---- names (kordb_config.cpp) -------------------------------------------------------------

constexpr size_t kMaxDatabaseName = 64;
constexpr size_t kMaxTableName = 128;

std::string upperAscii(std::string s);
std::string lowerAscii(std::string s);
bool validDatabaseName(std::wstring_view name);
bool validTableName(std::wstring_view name);
// A name shown in a message: in double quotes, control characters and quotes made visible.
std::string shown(std::wstring_view name);
std::string trim(const std::string& s);
// A location as messages show it: a server URL without its password.
std::string redactedLocation(const std::string& location);

// ---- diagnostics (kordb_config.cpp) -------------------------------------------------------

// Sends `text` (after the prefix of the resolve running on this thread) to the sink, or to
// standard error, and keeps it as the last error. Takes the diagnostics lock.
void fail(const std::string& text);

// While it lives, diagnostics of this thread begin with `prefix` (a resolve's caller names
// itself so).
class ScopedPrefix {
public:
    explicit ScopedPrefix(const std::string& prefix);
    ~ScopedPrefix();
    ScopedPrefix(const ScopedPrefix&) = delete;
    ScopedPrefix& operator=(const ScopedPrefix&) = delete;
};

// ---- configuration (kordb_config.cpp) -----------------------------------------------------

std::string configPath();
// The entry of a database (upper-cased name): the host's over databases.ini's, which is read
// first when it has not been. Takes the configuration lock; a copy, so that it stays valid.
std::optional<DatabaseEntry> findEntry(const std::string& upperName);

// ---- query texts (kordb_cache.cpp) --------------------------------------------------------

// Where a literal was taken out, or a double-quoted name stands, in ParsedQuery::sql.
struct Mark {
    size_t pos, length;
    bool name;          // else a parameter
    std::string upper;  // the name, upper-cased
};

// A query text with its comparison literals taken out, and the double-quoted names it uses.
struct ParsedQuery {
    std::string sql;  // the literals replaced by ?
    std::vector<std::variant<long long, double>> values;
    std::vector<std::string> quotedNames;  // upper-cased
    std::vector<Mark> marks;               // in order of position
    bool ownParameters = false;            // the text carries parameters of its own
    bool severalStatements = false;        // something follows a ';'
    std::string firstWord;                 // upper-cased
};

// Takes numbers that stand right after a comparison operator out of the text, so that one
// prepared statement serves every value ("Identifier = 17" -> "Identifier = ?", 17).
ParsedQuery parseQuery(const std::string& q);

// ---- connections (kordb.cpp, kordb_sqlite.cpp, kordb_server.cpp) --------------------------

// A file as it was when it was attached: replaced, changed, or a writer beside it, and it
// is attached afresh.
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    long long ctimeNs = 0;
    // A database in WAL mode keeps a writer's latest changes in NAME-wal. A reader would make
    // NAME-wal and NAME-shm beside the file, owned by whoever reads, so while no writer is
    // there (no NAME-wal) the file is read as immutable; a writer that comes makes NAME-wal,
    // which changes the identity, and the file is attached again, now as a reader beside it.
    bool wal = false;
    bool walPresent = false;
    bool operator==(const FileIdentity&) const = default;
    bool readImmutable() const { return wal && !walPresent; }
};

// A descriptor, closed with its holder.
struct FileHandle {
    int fd = -1;
    FileHandle() = default;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { reset(); }
    void reset(int to = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = to;
    }
};

// One configured database as the connection knows it.
struct Database {
    std::string schema;        // "kdbN", never changes for a name
    std::string location;      // the file attached (empty when not attached)
    FileIdentity identity;     // of that file when it was attached
    bool attached = false;
    // A database on a server: its connection (by key) and the schema that holds its tables.
    bool server = false;
    std::string serverKey;
    std::string serverSchema;
    unsigned long long lastUse = 0;
    unsigned long long checkedInCall = 0;  // the application call that last checked the file
    // The attached file held open, to read its change counter: the results kept from it
    // hold while the counter stays (checked once per call).
    FileHandle file;
    unsigned changeCounter = 0;
    unsigned long long resultsCheckedInCall = 0;
};

// What resolving and querying keep, to be used again (kordb_cache.cpp).
struct Caches {
    static constexpr size_t kMaxStatements = 128;
    std::unordered_map<std::string, std::string> resolutions;  // "NAME\0TABLE" (upper) -> view
    std::unordered_map<std::string, std::string> views;        // upper view name -> database
    std::unordered_map<std::string, std::pair<std::string, std::string>> serverNames;  // view -> schema, table
    std::unordered_map<std::string, sqlite3_stmt*> statements;  // by parsed text, on Connections::db
    // What queries on files answered, by query text, for as long as no attached file changes:
    // the same texts looked up call after call cost no transaction (see queryInFiles).
    static constexpr size_t kMaxResults = 1024, kMaxResultRows = 64;
    struct Result {
        std::string database;  // the one database the query named, if it named one
        std::vector<std::wstring> fields;
        std::vector<std::vector<std::wstring>> rows;
    };
    std::unordered_map<std::string, Result> results;
};

// Guarded by `mutex`, all of it.
struct Connections {
    std::mutex mutex;
    int busyMs = 1000;
    int statementTimeoutMs = 5000;
    // Calls of applications as the host announces them: within one call each file is checked
    // once (a file replaced between two calls is still seen on the next one).
    int callDepth = 0;
    unsigned long long callSerial = 0;
    // The database the last resolve checked: the one query right after it need not check the
    // file again (a lookup is a resolve and a query; the next lookup checks anew).
    std::string checkedByResolve;
    // The read transaction the lookups of one call share (see beginRead).
    bool readOpen = false;

    sqlite3* db = nullptr;
    std::map<std::string, Database> open;  // by upper-cased name
    // Server databases: one connection per server (the key of its parameters), and the call
    // in which a connection last failed (no second attempt within one call of an application).
    std::map<std::string, std::unique_ptr<pg::Connection>> servers;
    std::unordered_map<std::string, unsigned long long> serverFailedInCall;
    int nextSchema = 1;
    unsigned long long useCounter = 0;
    Caches caches;
};

Connections& connections();

// kordb_cache.cpp
void finalizeStatements(Connections& c);
// Forgets what was resolved in database `upperName`; a server's names go with it.
void forgetResolutions(Connections& c, const std::string& upperName);

// kordb_sqlite.cpp
bool exec(Connections& c, const std::string& sql, std::string* error);
// Within a call the queries on files share one read transaction: SQLite takes and drops its
// file locks and reads the header once, not for every statement. It ends with the call, when
// the user is about to be asked something (pauseCall), and before a file is attached or
// detached, so that no writer waits on a dialog or a prompt.
void beginRead(Connections& c);
void endRead(Connections& c);
bool openConnection(Connections& c);
void detach(Connections& c, Database& d);
// Makes sure database `upperName` is attached from its configured file as it is now, or its
// server connected; `used` receives the entry it was attached by. False (after a diagnostic)
// when it is not configured or cannot be reached.
bool ensureAttached(Connections& c, const std::string& upperName, const std::string& shownName,
                    DatabaseEntry* used = nullptr);
bool resolveInFile(Connections& c, const std::string& upperName, const DatabaseEntry& entry,
                   const std::string& table, const std::string& cacheKey, std::wstring& resolved);
bool queryInFiles(Connections& c, const ParsedQuery& parsed, const std::string& text, CKORRltbRecordset& rs);
// The answer kept for `text`, when it named only the database the resolve just before checked
// (a lookup: a resolve, then its query), without reading the query again.
bool answerKept(Connections& c, const std::string& text, CKORRltbRecordset& rs);

// kordb_server.cpp
bool ensureServer(Connections& c, const std::string& upperName, const DatabaseEntry& entry);
bool resolveOnServer(Connections& c, const std::string& upperName, const DatabaseEntry& entry,
                     const std::string& table, const std::string& cacheKey, std::wstring& resolved);
bool queryOnServer(Connections& c, const ParsedQuery& parsed, const std::string& text, const std::string& db,
                   CKORRltbRecordset& rs);

}  // namespace kordb::detail

// Fills a record set from the query code.
struct CKORRltbRecordsetAccess {
    static std::vector<std::wstring>& fields(CKORRltbRecordset& rs) { return rs.m_fields; }
    static std::vector<std::vector<std::wstring>>& rows(CKORRltbRecordset& rs) { return rs.m_rows; }
};
