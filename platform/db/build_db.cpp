// kordb-build OUT.sqlite IN.sql...: runs the SQL files, in order, into a new SQLite file. The
// file is written beside OUT and renamed over it at the end, so a program that has OUT open
// never reads half a database.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: kordb-build OUT.sqlite IN.sql...\n");
        return 2;
    }
    std::string out = argv[1];
    std::string temp = out + ".tmp";
    std::remove(temp.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "kordb-build: cannot create %s: %s\n", temp.c_str(), sqlite3_errmsg(db));
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "kordb-build: cannot read %s\n", argv[i]);
            sqlite3_close(db);
            std::remove(temp.c_str());
            return 1;
        }
        std::ostringstream sql;
        sql << in.rdbuf();
        char* error = nullptr;
        if (sqlite3_exec(db, sql.str().c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "kordb-build: %s: %s\n", argv[i], error ? error : "error");
            sqlite3_free(error);
            sqlite3_close(db);
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (sqlite3_close(db) != SQLITE_OK || std::rename(temp.c_str(), out.c_str()) != 0) {
        std::fprintf(stderr, "kordb-build: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
