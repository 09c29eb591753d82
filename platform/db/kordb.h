// kordb.h — the suite's relational text tables, on SQLite files and on PostgreSQL servers.
//
// [X] configuration: database name -> location, from $XDG_CONFIG_HOME/kor/databases.ini and
//     from the host (setDatabase); the host's entries win
// [X] resolution: key "DB_<name>" + table -> one name a query places between double quotes
//     after FROM, several databases open at once
// [X] kor_reltab::Query and CKORRltbRecordset::GetFieldChar, as the modules call them
// [X] read-only; missing, locked (busy timeout 1 s), corrupt, replaced files answered by false
// [X] names that could leave their quotes are refused, never spliced into SQL
// [X] server databases: a location "postgresql://..." (or "postgres://...") is a PostgreSQL
//     server reached through libpq; the same resolution and queries, one connection per server
//
// How it works. One SQLite connection (an in-memory main database) attaches each configured
// database read-only under a schema name of its own ("kdb1", "kdb2", ...) when it is first
// used. Resolving a table creates a TEMP VIEW named "<DATABASE>.<Table>" (the database's
// configured name and the table's name as the file spells it) over that schema's table, so a
// query text names it as FROM "WASSER.TEXTE". Resolutions and prepared statements are kept;
// every call first compares the identity of each database file it uses (device, inode, size,
// modification and change time) with the one seen when it was attached, and attaches a file
// again that was replaced or changed in between. A query right after a resolve of the same
// database relies on that resolve's check, so a lookup (resolve + query) looks at the file
// once. Prepared statements are kept per query text with its
// comparison literals taken out (Identifier = 17 and Identifier = 18 share one statement).
//
// Servers. A location that is a libpq URL names a PostgreSQL server, e.g.
// postgresql://kor@dbhost/netz?options=-csearch_path%3Dwasser. Each suite database is one
// schema there: the one the URL's options name as search_path, else the database's name in
// lower case (WASSER -> wasser). Resolving looks the table up in the server's catalogue
// (pg_class, bound parameters, without regard to ASCII case) and gives the same kind of name
// as a file does, "WASSER.TEXTE"; Query writes the server's "schema"."table" in its place and
// sends the comparison literals as parameters of a statement prepared once per connection.
// Tables keep their names; columns are written in lower case on the server (korcad-db import
// does so), so the unquoted column names of the queries find them. One connection serves
// every database whose URL differs only in the search path. Connections are read-only
// (default_transaction_read_only), so a read-only replica serves as well; connect_timeout is
// 3 s, statement_timeout 5 s (setStatementTimeout), and an answer that does not come within
// the statement timeout and 2 s more drops the connection. A fault (no server, a server that
// went away or restarted, a statement that ran too long) makes the call that meets it answer
// false; the next use opens the connection again by itself, but within one call of an
// application (beginCall/endCall) a server that could not be reached is not tried again.
// Passwords, .pgpass, PGPASSFILE and sslmode are libpq's; no message shows a password
// (shownLocation).
//
// Names. A database name is 1..64 characters: ASCII letters, digits, '_' and '-', or any
// character from U+00A0 up; it is matched without regard to ASCII case. A table name is
// 1..128 characters and holds no control character, no '"', '\'', '`', '[', ']' or ';'; it
// is looked up in the file through a bound parameter, without regard to ASCII case. Other
// names are refused (false and a diagnostic), whatever database they aim at.
//
// databases.ini ($XDG_CONFIG_HOME, default ~/.config): one section [databases], one line per
// database, NAME = LOCATION. LOCATION is a SQLite file: an absolute path, "~/..." or a path
// relative to the folder of databases.ini; "file:///path" is read as /path. Or a server URL. Lines starting
// with '#' or ';' are comments. A wrong line is reported and skipped.
//
// Diagnostics (why a call answered false) go to the sink set with setDiagnosticSink, by
// default standard error as "kordb: <text>"; lastError() keeps the latest. The texts are
// German, as the CAD program's user reads them; names, paths, SQL and what SQLite or the
// server say stay as they are.
//
// Everything here runs on the thread of the CAD program; three mutexes (configuration,
// connections, diagnostics; see kordb_p.h) keep stray callers safe. The diagnostic sink must
// not call back into kordb.
#pragma once

#include "mfc/afx.h"

#include <functional>
#include <string>
#include <vector>

namespace kordb {

struct DatabaseEntry {
    std::string name;      // as configured, e.g. "WASSER"
    std::string location;  // a SQLite file path (absolute after configuration) or a server URL
    enum class Origin { File, Host } origin;
};

// The host announces each call of an application (nested calls count once): within one call
// each database file is checked once, so the eight lookups of one dialog look at the file
// once; a file replaced between two calls is seen on the next call. Without announced calls
// every use checks. The lookups of one call on files share one read transaction, which ends
// with the call or when the host calls pauseCall: before it waits for the user (a dialog, a
// prompt), so that no writer of a file waits on the user.
void beginCall();
void endCall();
void pauseCall();

// Whether `name` may name a database (see Names above).
bool isDatabaseName(const std::string& name);

// The host's entry for one database; it wins over databases.ini. False (and a diagnostic)
// when the name is no valid database name or the location is empty. A database that was
// attached before is attached from its new location on its next use.
bool setDatabase(const std::string& name, const std::string& location);
// Forgets the host's entries (databases.ini entries stay).
void clearHostDatabases();
// Reads databases.ini again on the next use (it is read once, when first needed).
void reloadConfiguration();
// The path of databases.ini that is (or would be) read.
std::string configFilePath();
// Every configured database, host entries over file entries, sorted by name.
std::vector<DatabaseEntry> databases();
// The sample databases shipped with korcad (share/kor/db beside the running program's folder):
// when no database is configured at all, each NAME.sqlite there becomes the host's entry for
// database NAME (upper case). korcad and korcad-db resolve names the same way through this.
// Returns the names taken, sorted.
std::vector<std::string> useSampleDatabasesIfNoneConfigured();

// How long a call waits for a database that another process holds locked; at most 1000 ms.
void setBusyTimeout(int milliseconds);
// How long a statement may run on a server: 100 .. 5000 ms, 5000 unless set. Open server
// connections are closed and open again with it.
void setStatementTimeout(int milliseconds);

// Whether a location names a server ("postgresql://", "postgres://").
bool isServerLocation(const std::string& location);
// A location as a message may show it: a server URL with its password as "***".
std::string shownLocation(const std::string& location);
// Whether `name` may name a table (see Names above).
bool isTableName(const std::string& name);

// Where diagnostics go; an empty function restores standard error.
void setDiagnosticSink(std::function<void(const std::string&)> sink);
std::string lastError();
// Sends a diagnostic to the sink and keeps it as lastError().
void report(const std::string& message);

// Closes every database and drops what was kept (resolutions, statements). The next call
// opens them again.
void closeAll();

// Resolves key "DB_<database>" and a table into the name a query puts between double quotes
// after FROM. False for an unknown key or database, a missing or unreadable file, a table the
// file does not hold, or a refused name. `prefix` goes before the diagnostic of this call.
bool resolve(const std::wstring& key, const std::wstring& table, std::wstring& resolved,
             const std::string& prefix = {});

}  // namespace kordb

// The result of a query: its field names and records, all as text (NULL reads as "").
class CKORRltbRecordset {
public:
    CKORRltbRecordset() = default;

    // Field `field` (its name, without regard to ASCII case) of record `record`, counted from
    // 1. The empty text for an unknown field or a record the query did not find.
    CString GetFieldChar(const wchar_t* field, int record) const;
    int GetRecordCount() const { return static_cast<int>(m_rows.size()); }
    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    void Clear();

private:
    friend struct CKORRltbRecordsetAccess;
    std::vector<std::wstring> m_fields;
    std::vector<std::vector<std::wstring>> m_rows;
};

namespace kor_reltab {

// Runs one read-only query (a SELECT over names that resolve gave) and fills `rs` with all
// its records. False, with `rs` empty, when the query is not one read-only statement, names
// what does not exist, or meets a missing, locked or corrupt database.
bool Query(const CString& query, CKORRltbRecordset& rs);

}  // namespace kor_reltab
