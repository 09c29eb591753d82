// The db layer: resolving key and table, and queries over files missing, locked, corrupt or
// replaced; DbBoth runs on SQLite files and on schemas of the test cluster.
#include "db_scope.h"
#include "pg_test_server.h"

#include "db/kordb_p.h"
#include "text/text.h"

#include "test_db.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>
#include <variant>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using dbtest::text;
using testdb::Rows;

// A SQLite file with one text table.
void makeDatabase(const fs::path& file, const Rows& rows, const std::string& table = "TEXTE")
{
    ASSERT_EQ(testdb::sqliteFile(file.string(), testdb::textTable(rows, table)), "");
}

class Db : public ::testing::Test {
protected:
    void SetUp() override { kordb::setBusyTimeout(1000); }
    bool lastSays(const std::string& part) const { return scope.lastSays(part); }
    // wasser.sqlite in the folder, configured as WASSER.
    fs::path wasser(const Rows& rows)
    {
        makeDatabase(dir / "wasser.sqlite", rows);
        EXPECT_TRUE(kordb::setDatabase("WASSER", (dir / "wasser.sqlite").string()));
        return dir / "wasser.sqlite";
    }

    dbtest::Scope scope;
    const fs::path& dir = scope.dir;
    std::vector<std::string>& diagnostics = scope.diagnostics;
};

// The same tests on a SQLite file and on the test server.
class DbBoth : public Db, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override
    {
        if (server())
            KOR_REQUIRE_PG_CLUSTER();
        Db::SetUp();
    }
    void TearDown() override
    {
        for (const auto& schema : schemas)
            pgtest::exec("DROP SCHEMA IF EXISTS \"" + schema + "\" CASCADE");
    }
    bool server() const { return GetParam() == "postgresql"; }

    // Database `name` with one text table, configured for the host: a file or a schema.
    void make(const std::string& name, const Rows& rows, const std::string& table = "TEXTE")
    {
        std::string location;
        if (server()) {
            static int serial = 0;
            std::string schema = "kt_" + std::to_string(::getpid()) + "_" + std::to_string(++serial);
            schemas.push_back(schema);
            ASSERT_EQ(pgtest::makeTextSchema(schema, rows, table), "");
            location = pgtest::url(schema);
        } else {
            fs::path file = dir / (name + ".sqlite");
            makeDatabase(file, rows, table);
            location = file.string();
        }
        ASSERT_TRUE(kordb::setDatabase(name, location));
    }
    std::vector<std::string> schemas;
};

INSTANTIATE_TEST_SUITE_P(Backends, DbBoth, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

TEST_P(DbBoth, SeveralDatabasesAreOpenAtOnceAndResolvePerDatabase)
{
    make("WASSER", {{1, "Nennweite"}, {2, "Material"}});
    make("GAS", {{1, "Druckstufe"}, {2, "Werkstoff"}});
    make("Strom", {{1, "Spannung"}}, "Texte Strom");
    // Interleaved, so every answer comes from the database named, not the one used last.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(text(L"WASSER", 1), L"Nennweite");
        EXPECT_EQ(text(L"GAS", 1), L"Druckstufe");
        EXPECT_EQ(text(L"WASSER", 2), L"Material");
        EXPECT_EQ(text(L"GAS", 2), L"Werkstoff");
        EXPECT_EQ(text(L"STROM", 1, L"texte strom"), L"Spannung");  // a table name with a blank
    }
    // The resolved names carry the names as the configuration and the file spell them.
    CString a, b;
    EXPECT_TRUE(GetKorPath(L"DB_WASSER", L"texte", L"", L"", a) && a == L"WASSER.TEXTE") << a.GetString();
    EXPECT_TRUE(GetKorPath(L"DB_gas", L"TEXTE", L"", L"", b) && b == L"GAS.TEXTE") << b.GetString();
    EXPECT_TRUE(diagnostics.empty());
}

TEST_P(DbBoth, MoreDatabasesThanSQLiteAttachesAtOnceStillResolve)
{
    const int count = 14;  // SQLite attaches at most 10 by default; a server serves all on one connection
    for (int i = 0; i < count; ++i)
        make("NETZ" + std::to_string(i), {{1, "Text " + std::to_string(i)}});
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(text(L"NETZ" + std::to_wstring(i), 1), L"Text " + std::to_wstring(i));
}

TEST_F(Db, UnknownDatabaseTableOrFileIsFalseWithAReason)
{
    wasser({{1, "Nennweite"}});
    ASSERT_TRUE(kordb::setDatabase("ABWASSER", (dir / "fehlt.sqlite").string()));
    // A server that is not there, reached with a password no message may show.
    ASSERT_TRUE(kordb::setDatabase("FERN", "postgres://kor:Streng-Geheim@/wasser?host=/nonexistent/kor-socket"));
    ASSERT_TRUE(kordb::setDatabase("FTP", "ftp://netz.example/wasser.sqlite"));
    // Key, table, the caller's frame of the message (a text that is no format with one %s frames
    // the reason as it stands), what the message says.
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, std::string> cases[] = {
        {L"DB_STROM", L"TEXTE", L"Fehler beim Aufruf von %s", "Fehler beim Aufruf von GetKorPath: unbekannte Datenbank STROM"},
        {L"DB_STROM", L"TEXTE", L"Fehler %d bei %s", "Fehler %d bei %s: unbekannte Datenbank STROM"},
        {L"DB_WASSER", L"HYDRANTEN", L"", "hat keine Tabelle HYDRANTEN"},
        {L"DB_ABWASSER", L"TEXTE", L"", "fehlt.sqlite"},
        {L"DB_FERN", L"TEXTE", L"", "keine Verbindung zu postgres://kor:***@/wasser?host=/nonexistent/kor-socket: "},
        {L"DB_FTP", L"TEXTE", L"", "unbekannte Art von Ort ftp://netz.example/wasser.sqlite"},
        {L"WASSER", L"TEXTE", L"", "kein Datenbankschlüssel"}};
    for (const auto& [key, table, frame, says] : cases) {
        CString resolved(L"unverändert");
        EXPECT_FALSE(GetKorPath(key, table, L"", frame, resolved));
        EXPECT_TRUE(lastSays(says)) << scope.last();
        EXPECT_EQ(resolved, L"unverändert");
    }
    for (const auto& d : diagnostics)
        EXPECT_EQ(d.find("Streng-Geheim"), std::string::npos) << d;
    // A query over a name nobody resolved fails too.
    CKORRltbRecordset rs;
    EXPECT_FALSE(kor_reltab::Query(L"SELECT Text FROM \"WASSER.HYDRANTEN\" WHERE ( Identifier = 1 )", rs));
    EXPECT_EQ(rs.GetRecordCount(), 0);
}

TEST_P(DbBoth, NamesThatCouldLeaveTheirQuotesAreRefusedAndTouchNothing)
{
    make("WASSER", {{1, "Nennweite"}, {2, "Material"}});
    const std::vector<std::wstring> tables = {
        L"TEXTE\" WHERE 1=1; DROP TABLE \"TEXTE",
        L"x\" UNION SELECT name FROM sqlite_schema --",
        std::wstring(L"TEXTE\0\" OR 1=1", 14),
        L"TEXTE; DELETE FROM TEXTE",
        L"TEXTE\n",
        std::wstring(200, L'T'),
    };
    for (const auto& table : tables) {
        CString resolved;
        EXPECT_FALSE(GetKorPath(L"DB_WASSER", CString(table), L"", L"", resolved)) << kortext::fromWide(table);
        EXPECT_TRUE(lastSays("abgelehnter Tabellenname"));
        EXPECT_EQ(resolved, L"");
    }
    for (const std::wstring& database : {std::wstring(L"WASSER\""), std::wstring(L"WASSER\".TEXTE --"),
                                         std::wstring(L"WAS SER"), std::wstring(L"WASSER\0X", 8),
                                         std::wstring(L"WASSER.X"), std::wstring(L"")}) {
        CString resolved;
        EXPECT_FALSE(GetKorPath(CString(L"DB_" + database), L"TEXTE", L"", L"", resolved));
        EXPECT_TRUE(lastSays("abgelehnter Datenbankname"));
    }
    EXPECT_FALSE(kordb::setDatabase("WASSER\"; --", "x.sqlite"));
    // The table every attempt aimed at is whole, and still answers.
    EXPECT_EQ(text(L"WASSER", 1) + text(L"WASSER", 2), L"NennweiteMaterial");
}

TEST_P(DbBoth, QueriesOnlyReadAndRunOneStatement)
{
    make("WASSER", {{1, "Nennweite"}});
    EXPECT_EQ(text(L"WASSER", 1), L"Nennweite");
    CKORRltbRecordset rs;
    EXPECT_FALSE(kor_reltab::Query(L"DELETE FROM \"WASSER.TEXTE\"", rs));
    // A write hidden in a read: the file's view and the server's read-only transaction refuse it.
    EXPECT_FALSE(kor_reltab::Query(L"WITH x AS (DELETE FROM \"WASSER.TEXTE\" RETURNING 1) SELECT * FROM x", rs));
    EXPECT_FALSE(kor_reltab::Query(L"CREATE TABLE x (a)", rs));
    EXPECT_FALSE(kor_reltab::Query(L"SELECT 1; DROP VIEW \"WASSER.TEXTE\"", rs));
    EXPECT_TRUE(lastSays("abgelehnte Abfrage"));
    EXPECT_FALSE(kor_reltab::Query(L"SELEKT Text", rs));
    EXPECT_TRUE(lastSays("syntax error"));
    EXPECT_EQ(text(L"WASSER", 1), L"Nennweite");
}

TEST_P(DbBoth, KeptStatementsAnswerEveryValueAndLeaveOtherNumbersAlone)
{
    make("WASSER", {{-3, "minus drei"}, {1, "eins"}, {2, "zwei"}, {3, "drei"}, {2147483647, "groß"}});
    // One statement serves these; each value must still find its own record.
    for (int id : {1, 2, 3, -3, 2147483647, 2, 1})
        EXPECT_EQ(text(L"WASSER", id), id == 1 ? L"eins"
                                       : id == 2 ? L"zwei"
                                       : id == 3 ? L"drei"
                                       : id == -3 ? L"minus drei"
                                                  : L"groß");
    CKORRltbRecordset rs;
    // Numbers that are no compared values (a limit, a column number, texts) keep their meaning.
    ASSERT_TRUE(kor_reltab::Query(L"SELECT Text FROM \"WASSER.TEXTE\" WHERE Identifier > 0 ORDER BY 1 LIMIT 2", rs));
    ASSERT_EQ(rs.GetRecordCount(), 2);
    EXPECT_EQ(rs.GetFieldChar(L"Text", 1), L"drei");
    EXPECT_EQ(rs.GetFieldChar(L"TEXT", 2), L"eins");
    EXPECT_EQ(rs.GetFieldChar(L"Text", 3), L"");
    EXPECT_EQ(rs.GetFieldChar(L"Bemerkung", 1), L"");
}

TEST_F(Db, ALockedFileGivesFalseWithoutHangingAndAnswersOnceFree)
{
    const fs::path file = wasser({{1, "Nennweite"}});
    kordb::setBusyTimeout(200);
    ASSERT_EQ(text(L"WASSER", 1), L"Nennweite");  // resolved and kept

    // Another writer holds the file locked for writing.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    CKORRltbRecordset rs;
    EXPECT_FALSE(kor_reltab::Query(L"SELECT Text FROM \"WASSER.TEXTE\" WHERE ( Identifier = 1 )", rs));
    EXPECT_TRUE(lastSays("locked")) << scope.last();
    // A table not resolved yet cannot be looked for in a locked file either.
    kordb::closeAll();
    CString resolved;
    EXPECT_FALSE(GetKorPath(L"DB_WASSER", L"TEXTE", L"", L"", resolved));
    EXPECT_TRUE(lastSays("locked"));

    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_EQ(text(L"WASSER", 1), L"Nennweite");
}

TEST_F(Db, ACorruptFileGivesFalse)
{
    // Not a database at all.
    fs::path garbage = dir / "kaputt.sqlite";
    std::ofstream(garbage) << std::string(8192, 'x');
    ASSERT_TRUE(kordb::setDatabase("KAPUTT", garbage.string()));
    CString resolved;
    EXPECT_FALSE(GetKorPath(L"DB_KAPUTT", L"TEXTE", L"", L"", resolved));
    EXPECT_TRUE(lastSays("not a database")) << scope.last();

    // A database whose table pages were overwritten after the table was resolved.
    Rows rows;
    for (int i = 1; i <= 300; ++i)
        rows.push_back({i, "Text " + std::to_string(i)});
    const fs::path file = wasser(rows);
    ASSERT_EQ(text(L"WASSER", 7), L"Text 7");
    {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096);  // page 2 on: the table's pages
        std::string junk(3 * 4096, '\xA5');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    EXPECT_EQ(text(L"WASSER", 7), L"<failed>");
    EXPECT_TRUE(lastSays("malformed")) << scope.last();
}

TEST_F(Db, WithinOneCallOfAnApplicationTheFileIsCheckedOnceAndTheNextCallSeesAReplacement)
{
    const fs::path file = wasser({{1, "alt"}, {2, "zwei"}});

    kordb::beginCall();
    EXPECT_EQ(text(L"WASSER", 1), L"alt");
    makeDatabase(dir / "neu.sqlite", {{1, "neu"}, {2, "zwei neu"}});
    fs::rename(dir / "neu.sqlite", file);
    kordb::beginCall();  // a call nested in it (a handler that calls LISP) is the same call
    EXPECT_EQ(text(L"WASSER", 2), L"zwei") << "one call reads the file it started with";
    kordb::endCall();
    kordb::endCall();

    kordb::beginCall();
    EXPECT_EQ(text(L"WASSER", 2), L"zwei neu") << "the next call sees the replaced file";
    kordb::endCall();
}

TEST_F(Db, AFileReplacedOrChangedBetweenTwoCallsIsReadAnew)
{
    const fs::path file = wasser({{1, "alt"}});
    EXPECT_EQ(text(L"WASSER", 1), L"alt");

    // Replaced as tools replace files: a new file renamed over the old one.
    makeDatabase(dir / "neu.sqlite", {{1, "neu"}});
    fs::rename(dir / "neu.sqlite", file);
    EXPECT_EQ(text(L"WASSER", 1), L"neu");

    // Removed: false; back again: read.
    fs::rename(file, dir / "weg.sqlite");
    EXPECT_EQ(text(L"WASSER", 1), L"<failed>");
    EXPECT_TRUE(lastSays("nicht lesbar"));
    fs::rename(dir / "weg.sqlite", file);
    EXPECT_EQ(text(L"WASSER", 1), L"neu");

    // Replaced by a file without the table: the old resolution is not used.
    makeDatabase(dir / "anders.sqlite", {{1, "x"}}, "ANDERE");
    fs::rename(dir / "anders.sqlite", file);
    EXPECT_EQ(text(L"WASSER", 1), L"<failed>");
    EXPECT_TRUE(lastSays("hat keine Tabelle TEXTE"));

    // Changed in place by a writer.
    makeDatabase(file, {{1, "eins"}});
    EXPECT_EQ(text(L"WASSER", 1), L"eins");
    sqlite3* writer = nullptr;
    sqlite3_open(file.c_str(), &writer);
    sqlite3_exec(writer, "UPDATE TEXTE SET Text = 'geändert'", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_EQ(text(L"WASSER", 1), L"geändert");

    // A query on its own (no resolve before it) checks the file as well.
    CKORRltbRecordset rs;
    const wchar_t* query = L"SELECT Text FROM \"WASSER.TEXTE\" WHERE ( Identifier = 1 )";
    ASSERT_TRUE(kor_reltab::Query(query, rs));
    makeDatabase(dir / "neu.sqlite", {{1, "ersetzt"}});
    fs::rename(dir / "neu.sqlite", file);
    ASSERT_TRUE(kor_reltab::Query(query, rs));
    EXPECT_EQ(rs.GetFieldChar(L"Text", 1), L"ersetzt");

    // Pointed elsewhere by the host.
    makeDatabase(dir / "zweite.sqlite", {{1, "zweite"}});
    ASSERT_TRUE(kordb::setDatabase("WASSER", (dir / "zweite.sqlite").string()));
    EXPECT_EQ(text(L"WASSER", 1), L"zweite");
}

TEST_F(Db, DatabasesIniIsReadAndTheHostWins)
{
    makeDatabase(dir / "kor" / "wasser.sqlite", {{1, "aus der Datei"}});
    makeDatabase(dir / "gas.sqlite", {{1, "Gas"}});
    makeDatabase(dir / "host.sqlite", {{1, "vom Programm"}});
    std::ofstream(dir / "kor" / "databases.ini")
        << "# Datenbanken der Texttabellen\n"
           "[databases]\n"
           "WASSER = wasser.sqlite\n"  // relative to the file's folder
           "GAS=" << (dir / "gas.sqlite").string() << "\n"
           "; kaputte Zeilen\n"
           "ohne Gleichheitszeichen\n"
           "BÖ\"SE = x.sqlite\n"
           "LEER =\n"
           "[andere]\n"
           "X = y.sqlite\n"
           "[databases]\n"
           "gas = " << (dir / "gas.sqlite").string() << "\n";
    EXPECT_EQ(kordb::configFilePath(), (dir / "kor" / "databases.ini").string());
    EXPECT_EQ(text(L"WASSER", 1), L"aus der Datei");
    EXPECT_EQ(text(L"GAS", 1), L"Gas");
    EXPECT_EQ(text(L"X", 1), L"<failed>");
    // Every wrong line was named with its number.
    auto said = [&](const std::string& part) {
        for (const auto& d : diagnostics)
            if (d.find(part) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(said("databases.ini:6: erwartet: NAME = ORT"));
    EXPECT_TRUE(said("databases.ini:7: kein Datenbankname"));
    EXPECT_TRUE(said("databases.ini:8: für die Datenbank LEER ist kein Ort angegeben"));
    EXPECT_TRUE(said("databases.ini:9: unbekannter Abschnitt [andere]"));
    EXPECT_TRUE(said("databases.ini:10: ein Eintrag außerhalb von [databases]"));
    EXPECT_TRUE(said("databases.ini:12: die Datenbank gas wurde schon in Zeile 4 angegeben; diese Zeile gilt"));

    ASSERT_TRUE(kordb::setDatabase("wasser", (dir / "host.sqlite").string()));
    EXPECT_EQ(text(L"WASSER", 1), L"vom Programm");
    auto all = kordb::databases();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].name, "gas");
    EXPECT_EQ(all[0].origin, kordb::DatabaseEntry::Origin::File);
    EXPECT_EQ(all[1].name, "wasser");
    EXPECT_EQ(all[1].origin, kordb::DatabaseEntry::Origin::Host);
    kordb::clearHostDatabases();
    EXPECT_EQ(text(L"WASSER", 1), L"aus der Datei");
}

TEST_F(Db, ATextWithANulEndsAtIt)
{
    fs::path file = dir / "wasser.sqlite";
    ASSERT_EQ(testdb::sqliteFile(file.string(), testdb::textTable({}) + "INSERT INTO TEXTE VALUES (1, 'vor' || char(0) || 'nach')"), "");
    ASSERT_TRUE(kordb::setDatabase("WASSER", file.string()));
    EXPECT_EQ(text(L"WASSER", 1), L"vor");
}

TEST_F(Db, ADatabasesIniThatIsNoRegularFileOrTooLargeIsNotReadAndSaysSo)
{
    makeDatabase(dir / "wasser.sqlite", {{1, "Wasser"}});
    const fs::path ini = dir / "kor" / "databases.ini";
    const std::string good = "[databases]\nWASSER = " + (dir / "wasser.sqlite").string() + "\n";
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* said;
    } cases[] = {
        {"a FIFO nobody writes", [&] { ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0); }, "keine gewöhnliche Datei"},
        {"a file past 1 MiB", [&] { std::ofstream(ini) << good << std::string(1 << 20, '#'); }, "größer als 1 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(ini);
        c.make();
        kordb::reloadConfiguration();
        diagnostics.clear();
        EXPECT_EQ(text(L"WASSER", 1), L"<failed>");
        ASSERT_FALSE(diagnostics.empty());
        EXPECT_NE(diagnostics.front().find(ini.string() + ": " + c.said + "; dort ist keine Datenbank eingerichtet"),
                  std::string::npos)
            << diagnostics.front();
    }
    fs::remove(ini);
    std::ofstream(ini) << good;
    kordb::reloadConfiguration();
    EXPECT_EQ(text(L"WASSER", 1), L"Wasser");
}

// A WAL database is read without leaving files beside it, and kept from while no writer is
// beside it; a writer's changes, still in its WAL, are read by every call after them.
TEST_F(Db, AWalDatabaseIsReadWithoutLeavingFilesBesideItAndSeesAWritersChanges)
{
    const fs::path file = wasser({{1, "alt"}});
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(writer);
    auto inCall = [](const wchar_t* expected) {
        kordb::beginCall();
        EXPECT_EQ(text(L"WASSER", 1), expected);
        kordb::endCall();
    };
    inCall(L"alt");
    inCall(L"alt");
    EXPECT_FALSE(fs::exists(file.string() + "-wal") || fs::exists(file.string() + "-shm"));
    ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
    for (const char* value : {"neu", "neuer"}) {
        ASSERT_EQ(sqlite3_exec(writer, (std::string("UPDATE TEXTE SET Text = '") + value + "'").c_str(), nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        inCall(kortext::toWide(value).c_str());
    }
    sqlite3_close(writer);
}

// The lookups of one call read in one transaction; it ends when the host pauses the call
// (the user is asked something) or the call ends, and a writer of the file goes ahead then.
// A later call that asks the same of an unchanged file is answered from what was kept, with
// no transaction at all; a write is seen by the next call.
TEST_F(Db, ACallReadsInOneTransactionThatEndsBeforeTheUserIsAskedAndKeepsItsAnswers)
{
    const fs::path file = wasser({{1, "Nennweite"}});
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
    auto write = [writer](const char* text) {
        return sqlite3_exec(writer, (std::string("UPDATE TEXTE SET Text = '") + text + "'").c_str(), nullptr,
                            nullptr, nullptr);
    };
    struct Step {
        void (*end)();
        const wchar_t* now;
        const char* next;
    };
    for (auto [end, now, next] : {Step{kordb::pauseCall, L"Nennweite", "Länge"}, Step{kordb::endCall, L"Länge", "Tiefe"}}) {
        kordb::beginCall();
        EXPECT_EQ(text(L"WASSER", 1), now);
        EXPECT_EQ(write("geändert"), SQLITE_BUSY) << "the call's read holds the file";
        end();
        EXPECT_EQ(write(next), SQLITE_OK);
        if (end == kordb::pauseCall)
            kordb::endCall();
    }
    kordb::beginCall();
    EXPECT_EQ(text(L"WASSER", 1), L"Tiefe");  // read, and kept
    kordb::endCall();
    kordb::beginCall();
    EXPECT_EQ(text(L"WASSER", 1), L"Tiefe");
    EXPECT_EQ(write("Breite"), SQLITE_OK) << "the answer was kept: no read holds the file";
    kordb::endCall();
    kordb::beginCall();
    EXPECT_EQ(text(L"WASSER", 1), L"Breite") << "the next call sees the write";
    kordb::endCall();
    sqlite3_close(writer);
}

// The rewrite that lets one prepared statement serve every value: what it takes out, and that
// the rewritten statement with its values answers what the text answers.
TEST(ParseQuery, TakesOutComparedNumbersOnlyAndAnswersAsTheTextDoes)
{
    struct Case {
        const char* query;
        const char* sql;  // as rewritten
        bool own = false, several = false;
    };
    const Case cases[] = {
        {"SELECT Text FROM T WHERE ( Identifier = 17 )", "SELECT Text FROM T WHERE ( Identifier = ? )"},
        {"SELECT Text FROM T WHERE Identifier>=-3 AND Wert<2.5e1", "SELECT Text FROM T WHERE Identifier>=? AND Wert<?"},
        {"SELECT Text FROM T WHERE Wert = 99999999999999999999", "SELECT Text FROM T WHERE Wert = ?"},
        // Strings, names, comments and numbers glued to a name stay as they are.
        {"SELECT Text FROM T WHERE Text = 'a = 5' OR \"Identifier\" = 2 -- = 7\n",
         "SELECT Text FROM T WHERE Text = 'a = 5' OR \"Identifier\" = ? -- = 7\n"},
        {"SELECT Text FROM T WHERE /* = 5 */ [Identifier] = 4 AND Text <> 'it''s = 1'",
         "SELECT Text FROM T WHERE /* = 5 */ [Identifier] = ? AND Text <> 'it''s = 1'"},
        {"SELECT Text FROM T WHERE Identifier = 0x1F", "SELECT Text FROM T WHERE Identifier = 0x1F"},
        {"SELECT Text FROM T WHERE Identifier = abs(-2)", "SELECT Text FROM T WHERE Identifier = abs(-2)"},
        // A text with parameters of its own is left whole; a dollar inside a name is none.
        {"SELECT Text FROM T WHERE Identifier = ? OR Wert = 1", "SELECT Text FROM T WHERE Identifier = ? OR Wert = 1",
         true},
        {"SELECT Text AS a$b FROM T WHERE Identifier = 1", "SELECT Text AS a$b FROM T WHERE Identifier = ?"},
        {"SELECT Text FROM T WHERE Identifier = 1; DELETE FROM T",
         "SELECT Text FROM T WHERE Identifier = ?; DELETE FROM T", false, true},
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE T (Identifier INTEGER, Text TEXT, Wert REAL);"
                               "INSERT INTO T VALUES (-3, 'minus', 1), (2, 'zwei', 20), (3, 'drei', 30), "
                               "(4, 'vier', 1e20), (17, 'siebzehn', 2), (31, 'hex', 0), (1, 'eins', 1);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    // The rows a statement answers (only its first statement runs), "<error>" if it fails.
    auto rows = [db](const std::string& sql, const std::vector<std::variant<long long, double>>& values) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            return std::string("<error>");
        for (size_t i = 0; i < values.size(); ++i) {
            if (auto* v = std::get_if<long long>(&values[i]))
                sqlite3_bind_int64(st, static_cast<int>(i) + 1, *v);
            else
                sqlite3_bind_double(st, static_cast<int>(i) + 1, std::get<double>(values[i]));
        }
        std::string out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) + ";";
        sqlite3_finalize(st);
        return out;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        kordb::detail::ParsedQuery p = kordb::detail::parseQuery(c.query);
        EXPECT_EQ(p.sql, c.sql);
        EXPECT_EQ(p.ownParameters, c.own);
        EXPECT_EQ(p.severalStatements, c.several);
        EXPECT_EQ(p.firstWord, "SELECT");
        if (!c.own) {
            EXPECT_EQ(rows(p.sql, p.values), rows(c.query, {}));
        }
    }
    EXPECT_EQ(kordb::detail::parseQuery("SELECT * FROM \"Wasser.\"\"Texte\"\"\"").quotedNames,
              std::vector<std::string>{"WASSER.\"TEXTE\""});
    sqlite3_close(db);
}

}  // namespace
