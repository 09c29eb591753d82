// Databases of a test's own: an SQLite file made from SQL text, and the text tables
// (Identifier, Text) the dialogs look their labels up in. Link SQLite::SQLite3.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace testdb {

// Makes the file `path` anew from `sql`, in one transaction; "" or SQLite's message.
inline std::string sqliteFile(const std::string& path, const std::string& sql)
{
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        result = sqlite3_errmsg(db);
    } else {
        char* error = nullptr;
        if (sqlite3_exec(db, ("PRAGMA synchronous = OFF; BEGIN;" + sql + ";COMMIT;").c_str(), nullptr, nullptr, &error) != SQLITE_OK)
            result = error ? error : "error";
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return result;
}

using Rows = std::vector<std::pair<int, std::string>>;

// SQL that makes the text table `table` holding `rows`.
inline std::string textTable(const Rows& rows, const std::string& table = "TEXTE")
{
    std::string sql = "CREATE TABLE \"" + table + "\" (Identifier INTEGER, Text TEXT);";
    for (const auto& [id, text] : rows) {
        std::string quoted;
        for (char c : text)
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        sql += "INSERT INTO \"" + table + "\" VALUES (" + std::to_string(id) + ", '" + quoted + "');";
    }
    return sql;
}

}  // namespace testdb
