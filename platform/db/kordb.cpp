// The relational text tables on SQLite and on PostgreSQL servers: the calls of the
// connections (resolution, queries, closing) and the record set. The configuration is in
// kordb_config.cpp, the files in kordb_sqlite.cpp, the servers in kordb_server.cpp, what is
// kept to use again in kordb_cache.cpp; kordb_p.h says which lock guards what.
#include "db/kordb_p.h"

#include "text/text.h"

#include <algorithm>

namespace kordb {

namespace detail {

Connections& connections()
{
    static auto* c = new Connections;  // lives to the end of the process; closeAll frees the rest
    return *c;
}

namespace {

// The key of a resolution: the database's and the table's name, upper-cased.
std::string resolutionKey(const std::string& upperName, const std::string& table)
{
    return upperName + '\0' + upperAscii(table);
}

}  // namespace

}  // namespace detail

using namespace detail;

void beginCall()
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    if (c.callDepth++ == 0)
        ++c.callSerial;
}

void endCall()
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    if (c.callDepth > 0 && --c.callDepth == 0)
        endRead(c);
}

void pauseCall()
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    endRead(c);
}

void setBusyTimeout(int milliseconds)
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    c.busyMs = std::clamp(milliseconds, 0, 1000);
    if (c.db)
        sqlite3_busy_timeout(c.db, c.busyMs);
}

void setStatementTimeout(int milliseconds)
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    c.statementTimeoutMs = std::clamp(milliseconds, 100, 5000);
    c.servers.clear();  // connections open again with the new timeout
}

void closeAll()
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    finalizeStatements(c);
    endRead(c);
    if (c.db)
        sqlite3_close(c.db);
    c.db = nullptr;
    c.open.clear();
    c.caches.resolutions.clear();
    c.caches.views.clear();
    c.caches.results.clear();
    c.servers.clear();
    c.caches.serverNames.clear();
    c.serverFailedInCall.clear();
}

bool resolve(const std::wstring& key, const std::wstring& table, std::wstring& resolved, const std::string& prefix)
{
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    ScopedPrefix scopedPrefix(prefix);
    c.checkedByResolve.clear();
    if (key.size() < 3 || (key.compare(0, 3, L"DB_") != 0 && key.compare(0, 3, L"db_") != 0)) {
        fail("kein Datenbankschlüssel: " + shown(key) + " (erwartet: DB_<Name>)");
        return false;
    }
    std::wstring wname = key.substr(3);
    if (!validDatabaseName(wname)) {
        fail("abgelehnter Datenbankname " + shown(wname) + " (Buchstaben, Ziffern, '_' und '-', höchstens 64 Zeichen)");
        return false;
    }
    if (!validTableName(table)) {
        fail("abgelehnter Tabellenname " + shown(table) +
             " (ohne Anführungszeichen, Klammern, ';' und Steuerzeichen, höchstens 128 Zeichen)");
        return false;
    }
    std::string upperName = upperAscii(kortext::fromWide(wname));
    std::string tableUtf8 = kortext::fromWide(table);
    DatabaseEntry entry;
    if (!ensureAttached(c, upperName, kortext::fromWide(wname), &entry))
        return false;
    std::string cacheKey = resolutionKey(upperName, tableUtf8);
    if (auto it = c.caches.resolutions.find(cacheKey); it != c.caches.resolutions.end()) {
        resolved = kortext::toWide(it->second);
        c.checkedByResolve = upperName;
        return true;
    }
    if (c.open[upperName].server)
        return resolveOnServer(c, upperName, entry, tableUtf8, cacheKey, resolved);
    return resolveInFile(c, upperName, entry, tableUtf8, cacheKey, resolved);
}

}  // namespace kordb

// ---- record set ------------------------------------------------------------------------

void CKORRltbRecordset::Clear()
{
    m_fields.clear();
    m_rows.clear();
}

CString CKORRltbRecordset::GetFieldChar(const wchar_t* field, int record) const
{
    if (!field || record < 1 || record > static_cast<int>(m_rows.size()))
        return CString();
    std::wstring_view want(field);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const std::wstring& f = m_fields[i];
        bool same = f.size() == want.size() &&
                    std::equal(f.begin(), f.end(), want.begin(), [](wchar_t a, wchar_t b) {
                        auto up = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
                        return up(a) == up(b);
                    });
        // A character field is C text: it ends at its first NUL, as every caption and prompt
        // it goes into does (else a prompt built around it would end there).
        if (same)
            return CString(m_rows[record - 1][i].c_str());
    }
    return CString();
}

// ---- queries ---------------------------------------------------------------------------

namespace kor_reltab {

bool Query(const CString& query, CKORRltbRecordset& rs)
{
    using namespace kordb::detail;
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    rs.Clear();
    std::string text = kortext::fromWide(query.str());
    if (answerKept(c, text, rs))
        return true;
    ParsedQuery parsed = parseQuery(text);
    // A query over names of a server database runs on that server; one query reads one server.
    std::string serverDb;
    bool fileDb = false, otherServer = false;
    for (const std::string& name : parsed.quotedNames) {
        auto it = c.caches.views.find(name);
        if (it == c.caches.views.end())
            continue;
        const Database& d = c.open[it->second];
        if (!d.server)
            fileDb = true;
        else if (!serverDb.empty() && c.open[serverDb].serverKey != d.serverKey)
            otherServer = true;
        else
            serverDb = it->second;
    }
    if (!serverDb.empty()) {
        c.checkedByResolve.clear();
        if (fileDb || otherServer) {
            fail("abgelehnte Abfrage (sie liest Datenbanken mehr als eines Servers oder einer Datei): " + text);
            return false;
        }
        return queryOnServer(c, parsed, text, serverDb, rs);
    }
    return queryInFiles(c, parsed, text, rs);
}

}  // namespace kor_reltab
