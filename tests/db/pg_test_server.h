// The throwaway PostgreSQL cluster of the server tests (tests/db/pg_cluster.sh, started by a
// ctest fixture): its URLs, an administrator's connection to make tables, and control of the
// servers (stop, start, restart).
#pragma once

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace pgtest {

// The state file pg_cluster.sh writes while the cluster runs.
inline std::string statePath()
{
    const char* path = std::getenv("KOR_PG_STATE");
    return path && *path ? path : KOR_PG_STATE_FILE;
}

struct Cluster {
    std::string primary, standby, password;
    bool ok = false;
};

// The cluster of the state file; ok is false when no cluster runs for these tests.
inline const Cluster& cluster()
{
    static Cluster c = [] {
        Cluster c;
        std::ifstream in(statePath());
        for (std::string line; std::getline(in, line);) {
            auto eq = line.find('=');
            std::string v = eq == std::string::npos ? "" : line.substr(eq + 1);
            if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'')
                v = v.substr(1, v.size() - 2);
            if (line.rfind("KOR_PG_PRIMARY=", 0) == 0)
                c.primary = v;
            else if (line.rfind("KOR_PG_STANDBY=", 0) == 0)
                c.standby = v;
            else if (line.rfind("KOR_PG_PASSWORD=", 0) == 0)
                c.password = v;
        }
        c.ok = !c.primary.empty();
        return c;
    }();
    return c;
}

// A URL of the primary (or `base`) whose search path is `schema`.
inline std::string url(const std::string& schema, const std::string& base = cluster().primary)
{
    return base + "&options=-csearch_path%3D" + schema;
}

// Runs SQL on the primary (or `where`) as the administrator: the first field of the first row,
// or "<error: ...>" when it fails. exec: the error text alone, empty on success.
inline std::string value(const std::string& sql, const std::string& where = cluster().primary)
{
    PGconn* conn = PQconnectdb(where.c_str());
    std::string out;
    if (PQstatus(conn) != CONNECTION_OK) {
        out = std::string("<error: ") + PQerrorMessage(conn) + ">";
    } else {
        PGresult* r = PQexec(conn, ("SET client_min_messages TO warning; " + sql).c_str());
        if (PQresultStatus(r) != PGRES_TUPLES_OK && PQresultStatus(r) != PGRES_COMMAND_OK)
            out = std::string("<error: ") + PQresultErrorMessage(r) + ">";
        else if (PQntuples(r) > 0)
            out = PQgetvalue(r, 0, 0);
        PQclear(r);
    }
    PQfinish(conn);
    return out;
}
inline std::string exec(const std::string& sql)
{
    std::string out = value(sql);
    return out.rfind("<error: ", 0) == 0 ? out : "";
}

// A schema of text table(s) made anew: `table` with lower-case columns identifier and text,
// as korcad-db import writes them.
inline std::string makeTextSchema(const std::string& schema, const std::vector<std::pair<int, std::string>>& rows,
                                  const std::string& table = "TEXTE")
{
    std::string sql = "DROP SCHEMA IF EXISTS \"" + schema + "\" CASCADE; CREATE SCHEMA \"" + schema + "\"; ";
    sql += "CREATE TABLE \"" + schema + "\".\"" + table + "\" (identifier bigint PRIMARY KEY, text text); ";
    for (const auto& [id, text] : rows)
        sql += "INSERT INTO \"" + schema + "\".\"" + table + "\" VALUES (" + std::to_string(id) + ", '" + text + "'); ";
    return exec(sql);
}

// pg_cluster.sh ctl: stops, starts or restarts the primary.
inline bool control(const std::string& node, const std::string& action)
{
    std::string command = std::string("'") + KOR_PG_CLUSTER_SCRIPT + "' ctl '" + statePath() + "' " +
                          node + " " + action;
    int rc = std::system(command.c_str());
    return rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) == 0;
}

}  // namespace pgtest

#define KOR_REQUIRE_PG_CLUSTER()                                                                          \
    do {                                                                                                  \
        if (!pgtest::cluster().ok)                                                                        \
            GTEST_SKIP() << "no test server: run through ctest (pg_cluster.sh fixture)";   \
    } while (0)
