// The server of the PostgreSQL benches: the one $KOR_BENCH_PG_URL names, else a throwaway
// cluster of their own (tests/db/pg_cluster.sh, a local unix socket), stopped and removed at
// the end. Its table: schema "last", TEXTE with Identifier 1..1000 and Text "Text <Identifier>",
// imported with korcad-db from a SQLite file that the SQLite side of the benches reads too.
#pragma once

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

class BenchServer {
public:
    BenchServer()
    {
        char tmpl[] = "/tmp/korpgbench.XXXXXX";
        if (!::mkdtemp(tmpl))
            throw std::runtime_error("cannot make a temporary folder");
        m_dir = tmpl;
        if (const char* url = std::getenv("KOR_BENCH_PG_URL"); url && *url) {
            m_url = url;
        } else {
            m_state = m_dir + "/cluster.env";
            run("'" KOR_PG_CLUSTER_SCRIPT "' start '" + m_state + "' >/dev/null", "pg_cluster.sh start");
            std::ifstream in(m_state);
            std::string line;
            while (std::getline(in, line))
                if (line.rfind("KOR_PG_PRIMARY='", 0) == 0)
                    m_url = line.substr(16, line.size() - 17);
            if (m_url.empty())
                throw std::runtime_error("the bench cluster did not start");
        }
        // The same table in a SQLite file and on the server.
        m_file = m_dir + "/last.sqlite";
        sqlite3* db = nullptr;
        sqlite3_open(m_file.c_str(), &db);
        std::string sql = "BEGIN; CREATE TABLE TEXTE (Identifier INTEGER PRIMARY KEY, Text TEXT);";
        for (int i = 1; i <= 1000; ++i)
            sql += "INSERT INTO TEXTE VALUES (" + std::to_string(i) + ", 'Text " + std::to_string(i) + "');";
        sql += "COMMIT;";
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot write the bench table");
        sqlite3_close(db);
        run("'" KORCAD_DB_PATH "' import '" + m_file + "' '" + m_url + "' >/dev/null", "korcad-db import");
    }
    ~BenchServer()
    {
        if (!m_state.empty())
            std::system(("'" KOR_PG_CLUSTER_SCRIPT "' stop '" + m_state + "' >/dev/null").c_str());
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }
    const std::string& url() const { return m_url; }       // the server, schema "last" by default
    const std::string& file() const { return m_file; }     // the same table in SQLite
    const std::string& dir() const { return m_dir; }

private:
    static void run(const std::string& command, const std::string& what)
    {
        int rc = std::system(command.c_str());
        if (rc == -1 || !WIFEXITED(rc) || WEXITSTATUS(rc) != 0)
            throw std::runtime_error(what + " failed");
    }
    std::string m_dir, m_state, m_url, m_file;
};
