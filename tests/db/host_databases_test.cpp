// The databases a korcad session reads: --db over databases.ini, else the samples.
#include "run_process.h"
#include "app/Session.h"

#include "db_scope.h"

#include "test_db.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

void makeDatabase(const fs::path& file, const std::string& text)
{
    ASSERT_EQ(testdb::sqliteFile(file.string(), testdb::textTable({{2, text}})), "");
}

class HostDatabases : public ::testing::Test {
protected:
    static std::wstring text2(const wchar_t* database) { return dbtest::text(database, 2); }
    korcad::Options options(std::vector<std::pair<std::string, std::string>> databases)
    {
        korcad::Options o;
        o.noLoad = true;
        o.databases = std::move(databases);
        return o;
    }
    dbtest::Scope scope;
    const fs::path& dir = scope.dir;
    std::istringstream in;
    std::ostringstream out, err;
};

TEST_F(HostDatabases, TheCommandLineWinsOverDatabasesIni)
{
    makeDatabase(dir / "cmd.sqlite", "von der Befehlszeile");
    makeDatabase(dir / "kor" / "ini.sqlite", "aus databases.ini");
    makeDatabase(dir / "kor" / "gas.sqlite", "Gas aus databases.ini");
    std::ofstream(dir / "kor" / "databases.ini") << "[databases]\nWASSER = ini.sqlite\nGAS = gas.sqlite\n";
    {
        korcad::Session session(options({{"WASSER", (dir / "cmd.sqlite").string()}}), in, out, err);
        ASSERT_TRUE(session.start()) << err.str();
        EXPECT_EQ(text2(L"WASSER"), L"von der Befehlszeile");
        EXPECT_EQ(text2(L"GAS"), L"Gas aus databases.ini");
        EXPECT_EQ(text2(L"WASSER"), L"von der Befehlszeile");
    }
    // The next session without --db reads the file's entry; no sample database joins in.
    korcad::Session session(options({}), in, out, err);
    ASSERT_TRUE(session.start());
    EXPECT_EQ(text2(L"WASSER"), L"aus databases.ini");
    EXPECT_EQ(kordb::databases().size(), 2u);
    EXPECT_EQ(err.str(), "");
}

TEST_F(HostDatabases, WithNothingConfiguredTheSampleDatabasesAreUsed)
{
    korcad::Session session(options({}), in, out, err);
    ASSERT_TRUE(session.start());
    EXPECT_EQ(text2(L"WASSER"), L"Material");
    EXPECT_EQ(text2(L"GAS"), L"Werkstoff");
}

TEST_F(HostDatabases, AMissingFileIsSaidAtStartAndReadOnceItIsThere)
{
    fs::path later = dir / "spaeter.sqlite";
    korcad::Session session(options({{"WASSER", later.string()}}), in, out, err);
    ASSERT_TRUE(session.start());
    EXPECT_NE(err.str().find("korcad: warning: --db WASSER=" + later.string() + ": no such file"), std::string::npos)
        << err.str();
    EXPECT_EQ(text2(L"WASSER"), L"<failed>");
    makeDatabase(later, "jetzt da");
    EXPECT_EQ(text2(L"WASSER"), L"jetzt da");
}

TEST_F(HostDatabases, ADatabaseGivenTwiceIsSaidAndTheLastIsUsed)
{
    makeDatabase(dir / "a.sqlite", "erste");
    makeDatabase(dir / "b.sqlite", "zweite");
    korcad::Session session(options({{"T", (dir / "a.sqlite").string()}, {"t", (dir / "b.sqlite").string()}}), in,
                            out, err);
    ASSERT_TRUE(session.start());
    EXPECT_EQ(err.str(), "korcad: warning: --db t=" + (dir / "b.sqlite").string() +
                             ": the database was given before (--db T=" + (dir / "a.sqlite").string() +
                             "); this one is used\n");
    EXPECT_EQ(text2(L"T"), L"zweite");
}

TEST_F(HostDatabases, KorcadDbCheckKnowsTheDatabasesKorcadUsesWithoutConfiguration)
{
    auto r = runProcess({KORCAD_DB_PATH, "check", "wasser"}, "", {{{"XDG_CONFIG_HOME", dir.string()}}, {}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("TEXTE"), std::string::npos) << r.out;
}

TEST(KorcadDbOption, AWrongDbEntryIsAUsageError)
{
    for (std::string entry : {"WASSER", "WASSER=", "=x.sqlite", "WAS\"SER=x.sqlite", "WAS SER=x.sqlite"})
        EXPECT_EQ(korcad::parseOptions({"--db", entry}).error.rfind("--db", 0), 0u) << entry;
}

}  // namespace
