// The text tables on PostgreSQL servers: one connection per server, tables resolved through
// the server's catalogue, read-only queries with the resolved names written as the server's
// "schema"."table". Everything here runs under the connections lock (kordb_p.h).
#include "db/kordb_p.h"

#include "text/text.h"

namespace kordb::detail {

namespace {

// The catalogue query of a server: the table (or view) of a schema by name, both without
// regard to ASCII case; the exact spelling wins when several match.
const char* const kServerTableQuery =
    "SELECT n.nspname, c.relname FROM pg_catalog.pg_class c "
    "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
    "WHERE c.relkind IN ('r', 'v', 'm', 'p', 'f') AND upper(n.nspname) = upper($1) AND upper(c.relname) = upper($2) "
    "ORDER BY n.nspname = $1 DESC, c.relname = $2 DESC LIMIT 1";

}  // namespace

// Makes sure the server of database `upperName` is connected. False (after a diagnostic) when
// its URL cannot be read or the server cannot be reached; within one call of an application a
// server that could not be reached is not tried again.
bool ensureServer(Connections& c, const std::string& upperName, const DatabaseEntry& entry)
{
    Database& d = c.open[upperName];
    d.lastUse = ++c.useCounter;
    std::string error;
    if (!d.server || d.location != entry.location || !c.servers.count(d.serverKey)) {
        if (!d.server || d.location != entry.location) {
            detach(c, d);
            forgetResolutions(c, upperName);
            d.server = false;
        }
        pg::ServerLocation location;
        if (!pg::parseLocation(entry.location, location, &error)) {
            fail("Datenbank " + entry.name + ": " + error);
            return false;
        }
        d.server = true;
        d.location = entry.location;
        d.serverKey = location.key;
        d.serverSchema = location.schema.empty() ? lowerAscii(entry.name) : location.schema;
        auto& connection = c.servers[location.key];
        if (!connection)
            connection = std::make_unique<pg::Connection>(location, pg::Mode::ReadOnly, c.statementTimeoutMs);
    }
    pg::Connection& connection = *c.servers[d.serverKey];
    if (c.callDepth > 0) {
        auto failed = c.serverFailedInCall.find(d.serverKey);
        if (failed != c.serverFailedInCall.end() && failed->second == c.callSerial) {
            fail("Datenbank " + entry.name + ": " + connection.shown() +
                 " war in diesem Aufruf nicht erreichbar; der nächste Aufruf versucht es wieder");
            return false;
        }
    }
    if (!connection.ensure(&error)) {
        if (c.callDepth > 0)
            c.serverFailedInCall[d.serverKey] = c.callSerial;
        fail("Datenbank " + entry.name + ": " + error);
        return false;
    }
    return true;
}

bool resolveOnServer(Connections& c, const std::string& upperName, const DatabaseEntry& entry, const std::string& table,
                     const std::string& cacheKey, std::wstring& resolved)
{
    const Database& d = c.open[upperName];
    pg::Connection& connection = *c.servers[d.serverKey];
    pg::Rows rows;
    std::string error;
    if (!connection.query(kServerTableQuery, {d.serverSchema, table}, rows, &error)) {
        if (!connection.connected() && c.callDepth > 0)
            c.serverFailedInCall[d.serverKey] = c.callSerial;
        fail("Datenbank " + entry.name + " (" + connection.shown() + "): " + error);
        return false;
    }
    if (rows.rows.empty()) {
        fail("Datenbank " + entry.name + " (" + connection.shown() + ") hat keine Tabelle " + table + " im Schema " +
             d.serverSchema);
        return false;
    }
    const std::string& schema = rows.rows[0][0];
    const std::string& canonical = rows.rows[0][1];
    if (!validTableName(kortext::toWide(canonical))) {
        fail("Datenbank " + entry.name + ": abgelehnter Tabellenname " + shown(kortext::toWide(canonical)));
        return false;
    }
    // The query names it "<DATABASE>.<Table>", as with a file; Query writes the server's
    // "schema"."table" in its place.
    std::string view = entry.name + "." + canonical;
    c.caches.resolutions[cacheKey] = view;
    c.caches.views[upperAscii(view)] = upperName;
    c.caches.serverNames[upperAscii(view)] = {schema, canonical};
    resolved = kortext::toWide(view);
    return true;
}

// Runs a query that names tables of server database `db` on its server: the resolved names
// become the server's "schema"."table", the literals taken out its parameters $1, $2, ...
bool queryOnServer(Connections& c, const ParsedQuery& parsed, const std::string& text, const std::string& db,
                   CKORRltbRecordset& rs)
{
    const std::optional<DatabaseEntry> entry = findEntry(db);
    std::string name = entry ? entry->name : db;
    const std::string& word = parsed.firstWord;
    if (parsed.ownParameters || parsed.severalStatements ||
        (word != "SELECT" && word != "WITH" && word != "VALUES" && word != "TABLE")) {
        fail("abgelehnte Abfrage (nur eine Anweisung, die liest): " + text);
        return false;
    }
    if (!ensureAttached(c, db, name))
        return false;
    std::string sql;
    size_t at = 0;
    int parameter = 0;
    for (const Mark& m : parsed.marks) {
        sql.append(parsed.sql, at, m.pos - at);
        at = m.pos + m.length;
        if (!m.name) {
            sql += "$" + std::to_string(++parameter);
            continue;
        }
        auto it = c.caches.serverNames.find(m.upper);
        if (it != c.caches.serverNames.end())
            sql += pg::quoteName(it->second.first) + "." + pg::quoteName(it->second.second);
        else
            sql.append(parsed.sql, m.pos, m.length);
    }
    sql.append(parsed.sql, at, std::string::npos);
    std::vector<pg::Value> values;
    for (const auto& v : parsed.values) {
        if (std::holds_alternative<long long>(v))
            values.emplace_back(std::get<long long>(v));
        else
            values.emplace_back(std::get<double>(v));
    }
    const std::string key = c.open[db].serverKey;
    pg::Connection& connection = *c.servers[key];
    pg::Rows rows;
    std::string error, sqlstate;
    if (!connection.query(sql, values, rows, &error, &sqlstate)) {
        if (!connection.connected() && c.callDepth > 0)
            c.serverFailedInCall[key] = c.callSerial;
        if (sqlstate == "42P01")  // the table is gone: the next resolve looks for it again
            forgetResolutions(c, db);
        fail("Abfrage auf Datenbank " + name + " (" + connection.shown() + ") fehlgeschlagen: " + error + " in: " + text);
        return false;
    }
    auto& fields = CKORRltbRecordsetAccess::fields(rs);
    auto& records = CKORRltbRecordsetAccess::rows(rs);
    for (const auto& f : rows.fields)
        fields.push_back(kortext::toWide(f));
    records.reserve(rows.rows.size());
    for (const auto& row : rows.rows) {
        std::vector<std::wstring> record;
        record.reserve(row.size());
        for (const auto& v : row)
            record.push_back(kortext::toWide(v));
        records.push_back(std::move(record));
    }
    return true;
}

}  // namespace kordb::detail
