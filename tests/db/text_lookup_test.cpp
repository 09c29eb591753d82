// The text lookup the dialogs call, over real SQLite files: the sample databases the build
// makes, and databases of the test's own.
#include "texts/TextLookup.h"

#include "db/kordb.h"

#include "test_db.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class TextLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kor-lookup-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);  // no databases.ini of the user
        kordb::closeAll();
        kordb::clearHostDatabases();
        kordb::reloadConfiguration();
        kordb::setDiagnosticSink([this](const std::string& m) { diagnostics.push_back(m); });
        ASSERT_TRUE(kordb::setDatabase("WASSER", KOR_SAMPLE_DB_DIR "/wasser.sqlite"));
        ASSERT_TRUE(kordb::setDatabase("GAS", KOR_SAMPLE_DB_DIR "/gas.sqlite"));
    }
    void TearDown() override
    {
        kordb::closeAll();
        kordb::setDiagnosticSink(nullptr);
        fs::remove_all(dir);
    }
    fs::path dir;
    std::vector<std::string> diagnostics;
};

TEST_F(TextLookup, ReadsTheTextOfTheIdentifierFromTheNamedDatabase)
{
    CString text;
    ASSERT_TRUE(GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", 2, text));
    EXPECT_EQ(text, L"Material");
    // The same identifier in the other database gives that database's text.
    CString gas;
    ASSERT_TRUE(GetStringFromFragBoxIdentifier(L"GAS", L"TEXTE", 2, gas));
    EXPECT_EQ(gas, L"Werkstoff");
    CString umlaut;
    ASSERT_TRUE(GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", 1, umlaut));
    EXPECT_EQ(umlaut, L"\u00dcberdeckung [m]");
    // Names are matched without regard to case, as the suite's users type them.
    CString lower;
    ASSERT_TRUE(GetStringFromFragBoxIdentifier(L"wasser", L"texte", 14, lower));
    EXPECT_EQ(lower, L"\u00dcbernehmen");
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(TextLookup, NothingIsLookedUpWithoutNamesOrWhenATextIsThere)
{
    CString empty;
    EXPECT_TRUE(GetStringFromFragBoxIdentifier(L"", L"TEXTE", 5, empty));
    EXPECT_EQ(empty, L"");
    EXPECT_TRUE(GetStringFromFragBoxIdentifier(L"WASSER", L"", 5, empty));
    EXPECT_EQ(empty, L"");
    // A text already there stays, even for a database that does not exist.
    CString given(L"Vorgabe");
    EXPECT_TRUE(GetStringFromFragBoxIdentifier(L"NIRGENDS", L"TEXTE", 5, given));
    EXPECT_EQ(given, L"Vorgabe");
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(TextLookup, FailuresLeaveTheTextAndSayWhy)
{
    CString text;
    EXPECT_FALSE(GetStringFromFragBoxIdentifier(L"NIRGENDS", L"TEXTE", 1, text));
    EXPECT_EQ(text, L"");
    ASSERT_EQ(diagnostics.size(), 1u);
    // The module's own message frames the layer's reason.
    EXPECT_EQ(diagnostics[0].rfind("Fehler beim Aufruf von GetKorPath: unbekannte Datenbank NIRGENDS", 0), 0u)
        << diagnostics[0];
    EXPECT_FALSE(GetStringFromFragBoxIdentifier(L"WASSER", L"HYDRANTEN", 1, text));
    EXPECT_NE(diagnostics.back().find("hat keine Tabelle HYDRANTEN"), std::string::npos) << diagnostics.back();
    EXPECT_EQ(text, L"");
}

TEST_F(TextLookup, IdentifiersWithoutARecordGiveAnEmptyText)
{
    // Negative identifiers are not guarded here: the query runs and finds nothing.
    CString text;
    EXPECT_TRUE(GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", -3, text));
    EXPECT_EQ(text, L"");
    EXPECT_TRUE(GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", 9999, text));
    EXPECT_EQ(text, L"");
}

TEST_F(TextLookup, TheQueryTextNamesTheResolvedTableAndTheIdentifier)
{
    // A database whose TEXTE has no field Text: the table resolves, the query fails, and the
    // diagnostic shows the query text exactly as the lookup built it.
    fs::path file = dir / "ohne_text.sqlite";
    ASSERT_EQ(testdb::sqliteFile(file.string(), "CREATE TABLE TEXTE (Identifier INTEGER, Beschriftung TEXT)"), "");
    ASSERT_TRUE(kordb::setDatabase("WASSER", file.string()));
    CString text;
    EXPECT_FALSE(GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", -3, text));
    EXPECT_EQ(text, L"");
    ASSERT_FALSE(diagnostics.empty());
    EXPECT_NE(diagnostics.back().find("no such column: Text in: SELECT Text FROM \"WASSER.TEXTE\" WHERE ( Identifier = -3 )"),
              std::string::npos)
        << diagnostics.back();
    // The sample file again under the same name: the same lookup answers.
    ASSERT_TRUE(kordb::setDatabase("WASSER", KOR_SAMPLE_DB_DIR "/wasser.sqlite"));
    EXPECT_TRUE(GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", 17, text));
    EXPECT_EQ(text, L"Hausanschluss");
}

}  // namespace
