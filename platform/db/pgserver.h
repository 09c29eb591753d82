// pgserver.h — the text tables on a PostgreSQL server, through libpq: what kordb.cpp and
// korcad-db need of a server. Not a header the module sees.
//
// A server location is a libpq URL, "postgresql://" or "postgres://". The schema that holds a
// suite database's tables is named by the URL's options (options=-csearch_path=NAME, also
// written -c search_path=NAME or --search_path=NAME; the first schema of a list counts), else
// the caller's default (kordb: the database's name in lower case). The search path is taken
// out of the options: every name is written "schema"."table", so two databases that differ
// only in their schema share one connection.
//
// Connections: connect_timeout 3 s (unless the URL sets one), client_encoding UTF8, and for
// the lookups default_transaction_read_only=on and a statement_timeout (5 s by default), sent
// as startup options. Waiting for an answer is bounded too: a server that does not answer
// within the statement timeout and 2 s more is given up (the connection is dropped). A
// connection found broken before a statement is opened again once; a failure of the
// statement itself is the caller's false, and the next use opens the connection again.
//
// Passwords: never in a message. redact() shows a URL with its password as "***", and every
// message of the server or of libpq has the password taken out before it is passed on.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace kordb::pg {

bool isServerLocation(const std::string& location);

// The URL with the password of its user part and a password=... parameter shown as "***".
std::string redact(const std::string& location);

struct ServerLocation {
    std::vector<std::pair<std::string, std::string>> params;  // libpq keywords, search path taken out
    std::string schema;     // from the URL's options; empty when it names none
    std::string key;        // identity of the connection: the parameters, sorted
    std::string shown;      // the URL redacted
    std::string password;   // to keep out of messages
};

// False (and why, redacted) when libpq cannot read the URL.
bool parseLocation(const std::string& url, ServerLocation& out, std::string* error);

// A value bound to a statement parameter: integers go as int8, reals as numeric.
using Value = std::variant<long long, double, std::string>;

// The rows of a statement, all as text (NULL reads as "").
struct Rows {
    std::vector<std::string> fields;
    std::vector<std::vector<std::string>> rows;
};

enum class Mode { ReadOnly, Write };

class Connection {
public:
    Connection(const ServerLocation& location, Mode mode, int statementTimeoutMs);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connected and healthy: a connection found closed by the server is opened again.
    bool ensure(std::string* error);
    // Runs `sql` as a prepared statement of this connection (prepared once, kept up to 128).
    // False and the error (with the SQLSTATE in `sqlstate`) otherwise.
    bool query(const std::string& sql, const std::vector<Value>& values, Rows& out, std::string* error,
               std::string* sqlstate = nullptr);
    // Runs one or more statements without parameters and without result rows.
    bool exec(const std::string& sql, std::string* error);
    // COPY "schema"."table" FROM STDIN with rows of text (nullopt-free; NULL as nullptr).
    bool copyIn(const std::string& copySql, const std::vector<std::vector<const std::string*>>& rows,
                std::string* error);
    bool connected() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }
    void drop();
    const std::string& shown() const { return m_location.shown; }
    std::string scrub(std::string message) const;

private:
    bool connect(std::string* error);
    bool wait(std::chrono::steady_clock::time_point deadline, std::string* error);
    PGresult* lastResult(std::chrono::steady_clock::time_point deadline, std::string* error);
    std::chrono::steady_clock::time_point deadline() const;

    ServerLocation m_location;
    Mode m_mode;
    int m_statementTimeoutMs;
    PGconn* m_conn = nullptr;
    std::unordered_map<std::string, std::string> m_prepared;  // text -> statement name
    unsigned m_nextStatement = 1;
};

// A name between double quotes, quotes inside doubled.
std::string quoteName(const std::string& name);

}  // namespace kordb::pg
