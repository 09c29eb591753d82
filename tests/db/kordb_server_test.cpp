// The text tables on a PostgreSQL server (pg_cluster.sh): a server not there, gone, restarted,
// too slow; no password in any message; korcad-db's import.
#include "db_scope.h"
#include "korcad_run.h"
#include "pg_test_server.h"

#include "test_db.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using dbtest::text;

using Rows = std::vector<std::pair<int, std::string>>;

// A SQLite file made from SQL text, as an administrator has it before the import.
void sqliteFile(const fs::path& file, const std::string& sql)
{
    ASSERT_EQ(testdb::sqliteFile(file.string(), sql), "");
}

ProcessResult korcadDb(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {KORCAD_DB_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

class Server : public ::testing::Test {
protected:
    void SetUp() override
    {
        KOR_REQUIRE_PG_CLUSTER();
        kordb::setStatementTimeout(5000);
    }
    void TearDown() override
    {
        if (!pgtest::cluster().ok)
            return;
        kordb::closeAll();
        // A test that failed with a server stopped leaves it running for the next one.
        if (pgtest::value("SELECT 1") != "1")
            pgtest::control("primary", "start");
        for (const auto& schema : schemas)
            pgtest::exec("DROP SCHEMA IF EXISTS \"" + schema + "\" CASCADE");
    }

    // A schema with the text table TEXTE, removed after the test.
    std::string schema(const std::string& name, const Rows& rows)
    {
        schemas.push_back(name);
        EXPECT_EQ(pgtest::makeTextSchema(name, rows), "");
        return name;
    }
    bool lastSays(const std::string& part) const { return scope.lastSays(part); }
    std::string last() const { return scope.last(); }
    void expectNoPassword() const
    {
        for (const auto& d : scope.diagnostics)
            EXPECT_EQ(d.find(pgtest::cluster().password), std::string::npos) << d;
    }

    dbtest::Scope scope;
    const fs::path& dir = scope.dir;
    std::vector<std::string> schemas;
};

TEST_F(Server, EachDatabaseIsASchemaAndEveryLookupSeesTheServersTextsAsTheyAreNow)
{
    schema("srv_wasser", {{1, "Überdeckung [m]"}, {2, "Material"}});
    schema("srv_gas", {{1, "Druckstufe"}});
    // Without a search path the database's name is the schema; with one, the one it names.
    ASSERT_TRUE(kordb::setDatabase("SRV_WASSER", pgtest::cluster().primary));
    std::ofstream(dir / "kor" / "databases.ini")
        << "[databases]\nGAS = " << pgtest::url("srv_gas") << "\n";
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"Überdeckung [m]");
    EXPECT_EQ(text(L"GAS", 1), L"Druckstufe");
    EXPECT_EQ(text(L"srv_wasser", 2, L"texte"), L"Material");
    CString resolved;
    ASSERT_TRUE(GetKorPath(L"DB_GAS", L"texte", L"", L"", resolved));
    EXPECT_EQ(resolved, L"GAS.TEXTE");
    EXPECT_FALSE(GetKorPath(L"DB_GAS", L"HYDRANTEN", L"", L"", resolved));
    EXPECT_TRUE(lastSays("hat keine Tabelle HYDRANTEN im Schema srv_gas")) << last();
    // A label changed on the server is what the next lookup shows: nothing is kept but names.
    ASSERT_EQ(pgtest::exec("UPDATE srv_wasser.\"TEXTE\" SET text = 'Überdeckung [cm]' WHERE identifier = 1"), "");
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"Überdeckung [cm]");
    // A table dropped and made again is found again; one dropped for good fails.
    ASSERT_EQ(pgtest::makeTextSchema("srv_gas", {{1, "Betriebsdruck"}}), "");
    EXPECT_EQ(text(L"GAS", 1), L"Betriebsdruck");
    ASSERT_EQ(pgtest::exec("DROP TABLE srv_gas.\"TEXTE\""), "");
    CKORRltbRecordset rs;
    EXPECT_FALSE(kor_reltab::Query(L"SELECT Text FROM \"GAS.TEXTE\" WHERE ( Identifier = 1 )", rs));
    EXPECT_TRUE(lastSays("does not exist")) << last();
    EXPECT_EQ(text(L"GAS", 1), L"<failed>");
    EXPECT_TRUE(lastSays("hat keine Tabelle TEXTE im Schema srv_gas")) << last();
    expectNoPassword();
}

TEST_F(Server, AServerNotThereAtStartAnswersFalseOncePerCallAndIsUsedWhenItComes)
{
    schema("srv_wasser", {{1, "Nennweite"}});
    ASSERT_TRUE(kordb::setDatabase("SRV_WASSER", pgtest::cluster().primary));
    ASSERT_TRUE(pgtest::control("primary", "stop"));
    kordb::beginCall();
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"<failed>");
    EXPECT_TRUE(lastSays("keine Verbindung zu postgresql://kor:***@/netz?host=")) << last();
    // The eight lookups of one dialog meet one failed connection, not eight.
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"<failed>");
    EXPECT_TRUE(lastSays("war in diesem Aufruf nicht erreichbar")) << last();
    kordb::endCall();
    ASSERT_TRUE(pgtest::control("primary", "start"));
    kordb::beginCall();
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"Nennweite");
    kordb::endCall();
    expectNoPassword();
}

TEST_F(Server, AServerGoneBetweenTwoCallsFailsThatCallAndARestartIsReconnected)
{
    schema("srv_wasser", {{1, "Nennweite"}, {2, "Material"}});
    ASSERT_TRUE(kordb::setDatabase("SRV_WASSER", pgtest::cluster().primary));
    ASSERT_EQ(text(L"SRV_WASSER", 1), L"Nennweite");

    ASSERT_TRUE(pgtest::control("primary", "stop"));
    EXPECT_EQ(text(L"SRV_WASSER", 2), L"<failed>");
    ASSERT_TRUE(pgtest::control("primary", "start"));
    EXPECT_EQ(text(L"SRV_WASSER", 2), L"Material");

    // A restart between two calls: the closed connection is seen before the statement goes
    // out, and the call is served by a new one (its statements prepared anew).
    ASSERT_TRUE(pgtest::control("primary", "restart"));
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"Nennweite");
    // So is a connection the administrator ended.
    ASSERT_EQ(pgtest::value("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                            "WHERE application_name = 'korcad'"),
              "1");
    // Wait (bounded) until the backend is gone, so that the next call meets a closed connection.
    bool gone = false;
    for (int i = 0; i < 1000 && !gone; ++i) {
        gone = pgtest::value("SELECT count(*) FROM pg_stat_activity WHERE application_name = 'korcad'") == "0";
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(gone) << "the ended backend is still listed after 10 s";
    EXPECT_EQ(text(L"SRV_WASSER", 2), L"Material");
    expectNoPassword();
}

TEST_F(Server, AStatementRunningTooLongIsCancelledAndTheConnectionServesOn)
{
    schema("srv_wasser", {{1, "Nennweite"}});
    ASSERT_EQ(pgtest::exec("CREATE VIEW srv_wasser.\"LANGSAM\" AS SELECT t.identifier, t.text "
                           "FROM srv_wasser.\"TEXTE\" t, pg_sleep(30)"),
              "");
    ASSERT_TRUE(kordb::setDatabase("SRV_WASSER", pgtest::cluster().primary));
    kordb::setStatementTimeout(300);
    EXPECT_EQ(text(L"SRV_WASSER", 1, L"LANGSAM"), L"<failed>");
    EXPECT_TRUE(lastSays("canceling statement due to statement timeout")) << last();
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"Nennweite");

    // A server process that does not answer at all (stopped) cannot cancel anything: korcad
    // gives up on its own, and the next call is served by a new connection.
    std::string pid = pgtest::value("SELECT pid FROM pg_stat_activity WHERE application_name = 'korcad' "
                                    "ORDER BY backend_start DESC LIMIT 1");
    ASSERT_FALSE(pid.empty());
    ASSERT_EQ(::kill(std::stoi(pid), SIGSTOP), 0);
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"<failed>");
    EXPECT_TRUE(lastSays("keine Antwort von postgresql://kor:***@")) << last();
    ::kill(std::stoi(pid), SIGCONT);
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"Nennweite");
}

TEST_F(Server, AReadOnlyReplicaServesLookupsAndRefusesAnImport)
{
    schema("srv_replik", {{1, "vom Primärserver"}});
    // The standby replays what the primary wrote; wait for it, bounded.
    const std::string standby = pgtest::url("srv_replik", pgtest::cluster().standby);
    for (int i = 0; i < 100 && pgtest::value("SELECT count(*) FROM srv_replik.\"TEXTE\"", standby) != "1"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(pgtest::value("SELECT pg_is_in_recovery()", standby), "t");
    ASSERT_TRUE(kordb::setDatabase("REPLIK", standby));
    EXPECT_EQ(text(L"REPLIK", 1), L"vom Primärserver");
    sqliteFile(dir / "replik.sqlite", "CREATE TABLE TEXTE (Identifier INTEGER, Text TEXT);"
                                      "INSERT INTO TEXTE VALUES (1, 'neu');");
    ProcessResult r = korcadDb({"import", (dir / "replik.sqlite").string(), standby});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("read-only transaction"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
    EXPECT_EQ(text(L"REPLIK", 1), L"vom Primärserver");
}

TEST_F(Server, NoMessageShowsAPassword)
{
    const auto& c = pgtest::cluster();
    std::string wrong = c.primary;
    wrong.replace(wrong.find(c.password), c.password.size(), "Falsch-" + c.password);
    ASSERT_TRUE(kordb::setDatabase("SRV_WASSER", wrong));
    EXPECT_EQ(text(L"SRV_WASSER", 1), L"<failed>");
    EXPECT_TRUE(lastSays("password authentication failed")) << last();
    EXPECT_TRUE(lastSays("postgresql://kor:***@/netz")) << last();
    expectNoPassword();

    // korcad and korcad-db say what went wrong, never with the password.
    schema("srv_wasser", {{1, "Nennweite"}});
    for (const std::string& url : {wrong, c.primary + "&password=" + c.password}) {
        KorcadRun run = korcad({"--db", "SRV_WASSER=" + url, "-e",
                                "(korDialog_FragBox \"SRV_WASSER\" \"HYDRANTEN\" (list 1) (list 2.5))"},
                               "");
        EXPECT_NE(run.process.err.find("kordb: "), std::string::npos) << run.process.err;
        EXPECT_NE(run.process.err.find("***"), std::string::npos) << run.process.err;
        EXPECT_EQ(run.process.err.find(c.password), std::string::npos) << run.process.err;
        EXPECT_EQ(run.log.find(c.password), std::string::npos) << run.log;
        ProcessResult check = korcadDb({"check", url});
        EXPECT_EQ((check.out + check.err).find(c.password), std::string::npos) << check.out << check.err;
    }
    ProcessResult usage = runProcess({KORCAD_PATH, "--db", "WAS SER=" + c.primary, "-e", "1"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.err.find(c.password), std::string::npos) << usage.err;
}

TEST_F(Server, TheImportIsAllOrNothingAndCheckListsWhatKorcadResolves)
{
    const std::string url = pgtest::url("srv_import");
    schemas.push_back("srv_import");
    sqliteFile(dir / "gut.sqlite", "CREATE TABLE TEXTE (Identifier INTEGER, Text TEXT);"
                                   "INSERT INTO TEXTE VALUES (1, 'erste Fassung'), (2, 'Tab\tund\\Rückstrich');"
                                   "CREATE TABLE Materialien (Identifier INTEGER, Text TEXT, Kurz TEXT);"
                                   "INSERT INTO Materialien VALUES (5, 'Polyethylen', NULL);");
    ProcessResult r = korcadDb({"import", (dir / "gut.sqlite").string(), url});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("2 tables imported into schema srv_import"), std::string::npos) << r.out;
    ASSERT_TRUE(kordb::setDatabase("IMPORT", url));
    EXPECT_EQ(text(L"IMPORT", 2), L"Tab\tund\\Rückstrich");
    EXPECT_EQ(text(L"IMPORT", 5, L"MATERIALIEN"), L"Polyethylen");

    // The second file breaks in its last table: nothing of it reaches the server.
    sqliteFile(dir / "kaputt.sqlite", "CREATE TABLE TEXTE (Identifier INTEGER, Text TEXT);"
                                      "INSERT INTO TEXTE VALUES (1, 'zweite Fassung');"
                                      "CREATE TABLE ZAEHLER (Identifier INTEGER, Anzahl INTEGER);"
                                      "INSERT INTO ZAEHLER VALUES (1, 3), (2, 'viele');");
    r = korcadDb({"import", (dir / "kaputt.sqlite").string(), url});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("table ZAEHLER"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
    EXPECT_EQ(text(L"IMPORT", 1), L"erste Fassung");
    EXPECT_EQ(pgtest::value("SELECT count(*) FROM pg_tables WHERE schemaname = 'srv_import'"), "2");

    // Nor when the server is gone.
    ASSERT_TRUE(pgtest::control("primary", "stop"));
    r = korcadDb({"import", (dir / "gut.sqlite").string(), url});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("keine Verbindung"), std::string::npos) << r.err;
    ASSERT_TRUE(pgtest::control("primary", "start"));

    // A correct file replaces the tables it holds.
    sqliteFile(dir / "srv_import.sqlite", "CREATE TABLE TEXTE (Identifier INTEGER, Text TEXT);"
                                          "INSERT INTO TEXTE VALUES (1, 'dritte Fassung');");
    r = korcadDb({"import", (dir / "srv_import.sqlite").string(), pgtest::cluster().primary});  // schema from the name
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(text(L"IMPORT", 1), L"dritte Fassung");

    ProcessResult check = korcadDb({"check", url});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("SRV_IMPORT  postgresql://kor:***@/netz"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("  TEXTE            -> \"SRV_IMPORT.TEXTE\"  1 records"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("  Materialien      -> \"SRV_IMPORT.Materialien\"  1 records"), std::string::npos)
        << check.out;
    EXPECT_EQ(korcadDb({"check", url + "x"}).exitCode, 1);
    EXPECT_EQ(korcadDb({"import", "only-one-argument"}).exitCode, 2);
}

}  // namespace
