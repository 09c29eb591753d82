// korcad-db — the suite's databases for administrators.
//
//   korcad-db import SQLITEFILE postgresql://...   copies every table of a SQLite file (text
//       tables, the class catalogue) into one schema of a server database, in one transaction
//   korcad-db check [LOCATION | NAME]              lists the databases and tables korcad
//       resolves there, with their record counts
//
// Import. The schema is the one the URL's options name as search_path, else the file's name in
// lower case (wasser.sqlite -> wasser, the schema korcad reads for database WASSER). Tables keep
// their names; columns are written in lower case (the queries name them unquoted); INTEGER
// columns become bigint, REAL/FLOAT/DOUBLE double precision, NUMERIC/DECIMAL numeric, the rest
// text; the primary key is kept. A table of the same name in the schema is replaced. Everything
// happens in one transaction: a failure anywhere (a value that does not fit its column, the
// server going away, a read-only server) leaves the server as it was.
//
// Check. A server URL lists each schema that holds tables as the database of its name in upper
// case (or only the schema the URL names); a SQLite file is the database named after the file;
// NAME is a database as korcad resolves it (databases.ini, else the sample databases); without
// an argument every such database is checked. Each table is resolved and counted through the same layer korcad uses. Exit status
// 0 when every table resolved and answered, 1 otherwise, 2 for a usage error.
#include "db/kordb.h"
#include "db/pgserver.h"
#include "text/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
namespace pg = kordb::pg;

namespace {

int usage(FILE* out, int status)
{
    std::fprintf(out,
                 "usage: korcad-db import SQLITEFILE postgresql://USER@HOST/DATABASE[?options=-csearch_path%%3DSCHEMA]\n"
                 "       korcad-db check [LOCATION | NAME]\n"
                 "import copies every table of the SQLite file into the schema (default: the file's name in\n"
                 "lower case) in one transaction. check lists the databases and tables korcad resolves at a\n"
                 "server URL, in a SQLite file, for a database of databases.ini, or for all of them.\n");
    return status;
}

using kortext::lower;
using kortext::upper;

std::string serverType(const std::string& declared)
{
    std::string t = upper(declared);
    if (t.find("INT") != std::string::npos)
        return "bigint";
    if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos || t.find("DOUB") != std::string::npos)
        return "double precision";
    if (t.find("NUM") != std::string::npos || t.find("DEC") != std::string::npos)
        return "numeric";
    return "text";
}

struct Column {
    std::string name;  // lower case
    std::string type;
    int pk = 0;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<std::vector<std::unique_ptr<std::string>>> rows;
};

// Reads every table of a SQLite file; false (and why) when it cannot.
bool readSqlite(const std::string& path, std::vector<Table>& tables, std::string* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *error = "cannot open " + path + ": " + sqlite3_errmsg(db);
        sqlite3_close(db);
        return false;
    }
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer{db};
    auto prepare = [&](const std::string& sql, sqlite3_stmt** stmt) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, stmt, nullptr) != SQLITE_OK) {
            *error = path + ": " + sqlite3_errmsg(db);
            return false;
        }
        return true;
    };
    sqlite3_stmt* list = nullptr;
    if (!prepare("SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                 "ORDER BY name",
                 &list))
        return false;
    while (sqlite3_step(list) == SQLITE_ROW)
        tables.push_back({reinterpret_cast<const char*>(sqlite3_column_text(list, 0)), {}, {}});
    int rc = sqlite3_finalize(list);
    if (rc != SQLITE_OK) {
        *error = path + ": " + sqlite3_errstr(rc);
        return false;
    }
    if (tables.empty()) {
        *error = path + " holds no table";
        return false;
    }
    std::set<std::string> seen;
    for (Table& t : tables) {
        if (!kordb::isTableName(t.name)) {
            *error = path + ": table name \"" + t.name + "\" cannot be read by korcad (no quotes, brackets, ';')";
            return false;
        }
        if (!seen.insert(upper(t.name)).second) {
            *error = path + ": two tables named " + t.name + " without regard to case";
            return false;
        }
        sqlite3_stmt* info = nullptr;
        if (!prepare("SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid", &info))
            return false;
        sqlite3_bind_text(info, 1, t.name.c_str(), -1, SQLITE_TRANSIENT);
        std::set<std::string> names;
        while (sqlite3_step(info) == SQLITE_ROW) {
            Column c{lower(reinterpret_cast<const char*>(sqlite3_column_text(info, 0))),
                     serverType(sqlite3_column_text(info, 1) ? reinterpret_cast<const char*>(sqlite3_column_text(info, 1)) : ""),
                     sqlite3_column_int(info, 2)};
            if (!names.insert(c.name).second) {
                sqlite3_finalize(info);
                *error = path + ": table " + t.name + " has two columns named " + c.name + " without regard to case";
                return false;
            }
            t.columns.push_back(c);
        }
        sqlite3_finalize(info);
        sqlite3_stmt* rows = nullptr;
        if (!prepare("SELECT * FROM \"" + t.name + "\"", &rows))
            return false;
        int n = sqlite3_column_count(rows);
        while ((rc = sqlite3_step(rows)) == SQLITE_ROW) {
            std::vector<std::unique_ptr<std::string>> row;
            for (int c = 0; c < n; ++c) {
                const unsigned char* v = sqlite3_column_text(rows, c);
                row.push_back(v ? std::make_unique<std::string>(reinterpret_cast<const char*>(v), sqlite3_column_bytes(rows, c))
                                : nullptr);
            }
            t.rows.push_back(std::move(row));
        }
        sqlite3_finalize(rows);
        if (rc != SQLITE_DONE) {
            *error = path + ": table " + t.name + ": " + sqlite3_errmsg(db);
            return false;
        }
    }
    return true;
}

int import(const std::string& file, const std::string& url)
{
    if (!pg::isServerLocation(url)) {
        std::fprintf(stderr, "korcad-db: %s is no server URL (postgresql://...)\n", kordb::shownLocation(url).c_str());
        return 2;
    }
    pg::ServerLocation location;
    std::string error;
    if (!pg::parseLocation(url, location, &error)) {
        std::fprintf(stderr, "korcad-db: %s\n", error.c_str());
        return 2;
    }
    std::string schema = location.schema.empty() ? lower(fs::path(file).stem().string()) : location.schema;
    std::vector<Table> tables;
    if (!readSqlite(file, tables, &error)) {
        std::fprintf(stderr, "korcad-db: %s\n", error.c_str());
        return 1;
    }
    std::printf("korcad-db: importing %s into schema %s at %s\n", file.c_str(), schema.c_str(), location.shown.c_str());
    pg::Connection server(location, pg::Mode::Write, 0);
    const std::string qs = pg::quoteName(schema);
    auto failed = [&](const std::string& what) {
        std::fprintf(stderr, "korcad-db: %s: %s\nkorcad-db: nothing was imported; the server is as it was\n", what.c_str(),
                     error.c_str());
        server.drop();  // ends the transaction unfinished: the server rolls it back
        return 1;
    };
    if (!server.ensure(&error))
        return failed("cannot import");
    if (!server.exec("BEGIN; SET LOCAL client_min_messages TO warning; CREATE SCHEMA IF NOT EXISTS " + qs, &error))
        return failed("schema " + schema);
    for (const Table& t : tables) {
        std::string target = qs + "." + pg::quoteName(t.name);
        std::string create = "DROP TABLE IF EXISTS " + target + "; CREATE TABLE " + target + " (";
        std::string columns, keys;
        std::vector<std::pair<int, std::string>> pk;
        for (size_t i = 0; i < t.columns.size(); ++i) {
            const Column& c = t.columns[i];
            create += (i ? ", " : "") + pg::quoteName(c.name) + " " + c.type;
            columns += (i ? ", " : "") + pg::quoteName(c.name);
            if (c.pk)
                pk.emplace_back(c.pk, pg::quoteName(c.name));
        }
        std::sort(pk.begin(), pk.end());
        for (const auto& [order, name] : pk)
            keys += (keys.empty() ? "" : ", ") + name;
        if (!keys.empty())
            create += ", PRIMARY KEY (" + keys + ")";
        create += ")";
        if (!server.exec(create, &error))
            return failed("table " + t.name);
        std::vector<std::vector<const std::string*>> rows;
        rows.reserve(t.rows.size());
        for (const auto& row : t.rows) {
            std::vector<const std::string*> r;
            for (const auto& v : row)
                r.push_back(v.get());
            rows.push_back(std::move(r));
        }
        if (!server.copyIn("COPY " + target + " (" + columns + ") FROM STDIN", rows, &error))
            return failed("table " + t.name);
        std::printf("  %-16s %zu rows\n", t.name.c_str(), t.rows.size());
    }
    if (!server.exec("COMMIT", &error))
        return failed("commit");
    std::printf("korcad-db: %zu tables imported into schema %s\n", tables.size(), schema.c_str());
    return 0;
}

// The tables of one database, each resolved and counted through the layer.
bool checkDatabase(const std::string& name, const std::string& location, const std::string& note,
                   const std::vector<std::string>& tables)
{
    std::printf("%s  %s%s\n", name.c_str(), kordb::shownLocation(location).c_str(), note.c_str());
    if (!kordb::setDatabase(name, location)) {
        std::printf("  cannot be configured: %s\n", kordb::lastError().c_str());
        return false;
    }
    bool ok = true;
    for (const std::string& table : tables) {
        std::wstring resolved;
        if (!kordb::resolve(L"DB_" + kortext::toWide(name), kortext::toWide(table), resolved)) {
            std::printf("  %-16s not resolved: %s\n", table.c_str(), kordb::lastError().c_str());
            ok = false;
            continue;
        }
        CKORRltbRecordset rs;
        if (!kor_reltab::Query(CString(L"SELECT count(*) AS n FROM \"" + resolved + L"\""), rs)) {
            std::printf("  %-16s -> \"%s\"  cannot be read: %s\n", table.c_str(), kortext::fromWide(resolved).c_str(),
                        kordb::lastError().c_str());
            ok = false;
            continue;
        }
        std::printf("  %-16s -> \"%s\"  %s records\n", table.c_str(), kortext::fromWide(resolved).c_str(),
                    kortext::fromWide(rs.GetFieldChar(L"n", 1).str()).c_str());
    }
    if (tables.empty())
        std::printf("  (no tables)\n");
    return ok;
}

bool checkFile(const std::string& name, const std::string& path)
{
    std::vector<std::string> tables;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* list = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type IN ('table', 'view') ORDER BY name", -1,
                               &list, nullptr) == SQLITE_OK)
            while (sqlite3_step(list) == SQLITE_ROW)
                tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
        sqlite3_finalize(list);
    }
    std::string why = sqlite3_errmsg(db);
    sqlite3_close(db);
    if (tables.empty()) {
        std::printf("%s  %s\n  cannot be read: %s\n", name.c_str(), path.c_str(),
                    fs::exists(path) ? why.c_str() : "no such file");
        return false;
    }
    return checkDatabase(name, path, "", tables);
}

bool checkServer(const std::string& url, const std::string& configuredName)
{
    pg::ServerLocation location;
    std::string error;
    if (!pg::parseLocation(url, location, &error)) {
        std::printf("%s\n  %s\n", location.shown.c_str(), error.c_str());
        return false;
    }
    std::string wanted = location.schema;
    if (wanted.empty() && !configuredName.empty())
        wanted = lower(configuredName);
    pg::Connection server(location, pg::Mode::ReadOnly, 5000);
    pg::Rows rows;
    bool listed = server.query("SELECT n.nspname, c.relname FROM pg_catalog.pg_class c "
                               "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                               "WHERE c.relkind IN ('r', 'v', 'm', 'p', 'f') AND n.nspname <> 'information_schema' "
                               "AND n.nspname NOT LIKE 'pg\\_%' AND ($1 = '' OR upper(n.nspname) = upper($1)) "
                               "ORDER BY 1, 2",
                               {wanted}, rows, &error);
    if (!listed) {
        std::printf("%s%s\n  %s\n", configuredName.empty() ? "" : (configuredName + "  ").c_str(),
                    location.shown.c_str(), error.c_str());
        return false;
    }
    std::map<std::string, std::vector<std::string>> schemas;
    for (const auto& r : rows.rows)
        schemas[r[0]].push_back(r[1]);
    if (schemas.empty()) {
        std::printf("%s%s\n  no tables%s\n", configuredName.empty() ? "" : (configuredName + "  ").c_str(),
                    location.shown.c_str(), wanted.empty() ? "" : (" in schema " + wanted).c_str());
        return false;
    }
    bool ok = true;
    for (const auto& [schema, tables] : schemas) {
        std::string name = configuredName.empty() ? upper(schema) : configuredName;
        if (!kordb::isDatabaseName(name)) {
            std::printf("schema %s: no database name can address it\n", schema.c_str());
            continue;
        }
        // Without a search path the database's name in lower case is the schema.
        if (location.schema.empty() && lower(name) != schema) {
            std::printf("%s  %s  (schema %s)\n  add options=-csearch_path%%3D%s to the URL to read it\n", name.c_str(),
                        location.shown.c_str(), schema.c_str(), schema.c_str());
            ok = false;
            continue;
        }
        ok = checkDatabase(name, url, "  (schema " + schema + ")", tables) && ok;
    }
    return ok;
}

int check(const std::vector<std::string>& args)
{
    kordb::setDiagnosticSink([](const std::string&) {});
    // With nothing configured, the names are those of the sample databases, as for korcad.
    kordb::useSampleDatabasesIfNoneConfigured();
    bool ok = true;
    if (args.empty()) {
        auto all = kordb::databases();
        if (all.empty()) {
            std::printf("no databases in %s\n", kordb::configFilePath().c_str());
            return 1;
        }
        for (const auto& e : all)
            ok = (kordb::isServerLocation(e.location) ? checkServer(e.location, e.name) : checkFile(e.name, e.location)) && ok;
        return ok ? 0 : 1;
    }
    const std::string& what = args[0];
    if (kordb::isServerLocation(what))
        return checkServer(what, "") ? 0 : 1;
    if (what.find("://") == std::string::npos && (fs::exists(what) || what.find('/') != std::string::npos ||
                                                  what.find('.') != std::string::npos)) {
        std::string name = upper(fs::path(what).stem().string());
        if (!kordb::isDatabaseName(name))
            name = "DATEI";
        return checkFile(name, fs::absolute(what).lexically_normal().string()) ? 0 : 1;
    }
    for (const auto& e : kordb::databases())
        if (upper(e.name) == upper(what))
            return (kordb::isServerLocation(e.location) ? checkServer(e.location, e.name) : checkFile(e.name, e.location))
                       ? 0
                       : 1;
    std::fprintf(stderr, "korcad-db: %s is no server URL, no file and no database of %s\n",
                 kordb::shownLocation(what).c_str(), kordb::configFilePath().c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage(stderr, 2);
    if (args[0] == "-h" || args[0] == "--help")
        return usage(stdout, 0);
    if (args[0] == "import") {
        if (args.size() != 3)
            return usage(stderr, 2);
        return import(args[1], args[2]);
    }
    if (args[0] == "check") {
        if (args.size() > 2)
            return usage(stderr, 2);
        return check({args.begin() + 1, args.end()});
    }
    std::fprintf(stderr, "korcad-db: unknown command %s\n", args[0].c_str());
    return usage(stderr, 2);
}
