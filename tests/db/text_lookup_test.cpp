// The text lookup the dialogs call, over the sample databases and one of the test's own.
#include "texts/TextLookup.h"

#include "db_scope.h"

#include "test_db.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

namespace fs = std::filesystem;

namespace {

class TextLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kordb::setDatabase("WASSER", KOR_SAMPLE_DB_DIR "/wasser.sqlite"));
        ASSERT_TRUE(kordb::setDatabase("GAS", KOR_SAMPLE_DB_DIR "/gas.sqlite"));
    }
    // The text the lookup gives for a field that starts as `given`, or "<false>".
    std::wstring lookup(const wchar_t* database, const wchar_t* table, int id, const wchar_t* given = L"")
    {
        CString text(given);
        return GetStringFromFragBoxIdentifier(database, table, id, text) ? text.str() : L"<false> " + text.str();
    }
    dbtest::Scope scope;
    const fs::path& dir = scope.dir;
    std::vector<std::string>& diagnostics = scope.diagnostics;
};

TEST_F(TextLookup, AnswersTheNamedDatabasesTextOrNothing)
{
    const std::tuple<const wchar_t*, const wchar_t*, int, const wchar_t*, std::wstring> cases[] = {
        {L"WASSER", L"TEXTE", 2, L"", L"Material"},
        {L"GAS", L"TEXTE", 2, L"", L"Werkstoff"},
        {L"wasser", L"texte", 14, L"", L"\u00dcbernehmen"},  // names without regard to case
        {L"WASSER", L"TEXTE", -3, L"", L""},                 // no record
        {L"", L"TEXTE", 5, L"", L""},  // nothing to look up
        {L"WASSER", L"", 5, L"", L""},
        {L"NIRGENDS", L"TEXTE", 5, L"Vorgabe", L"Vorgabe"},  // a text there stays
    };
    for (const auto& [database, table, id, given, expected] : cases)
        EXPECT_EQ(lookup(database, table, id, given), expected) << id;
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(TextLookup, FailuresSayWhyWithTheQueryAsBuilt)
{
    EXPECT_EQ(lookup(L"NIRGENDS", L"TEXTE", 1), L"<false> ");
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].rfind("Fehler beim Aufruf von GetKorPath: unbekannte Datenbank NIRGENDS", 0), 0u)
        << diagnostics[0];
    // A TEXTE without the field Text: the table resolves, the query fails.
    fs::path file = dir / "ohne_text.sqlite";
    ASSERT_EQ(testdb::sqliteFile(file.string(), "CREATE TABLE TEXTE (Identifier INTEGER, Beschriftung TEXT)"), "");
    ASSERT_TRUE(kordb::setDatabase("WASSER", file.string()));
    EXPECT_EQ(lookup(L"WASSER", L"TEXTE", -3), L"<false> ");
    EXPECT_NE(diagnostics.back().find("no such column: Text in: SELECT Text FROM \"WASSER.TEXTE\" WHERE ( Identifier = -3 )"),
              std::string::npos)
        << diagnostics.back();
}

}  // namespace
