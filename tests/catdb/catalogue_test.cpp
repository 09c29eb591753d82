// The class catalogue read from a database (types, classes, names, type test, standard values),
// a broken or missing catalogue, and class identifications.
#include "EntityTestHost.h"

#include <fstream>
#include <tuple>

namespace {

class Catalogue : public ::testing::Test {
protected:
    void makeCatalogue(const std::string& sql, const std::string& name = "KATALOG") { ASSERT_EQ(scope.make(sql, name), ""); }
    std::string allDiagnostics() const { return scope.all(); }
    std::vector<std::wstring> keys(const CCATDBModel& m)
    {
        std::vector<std::wstring> k;
        for (const CCATDBCADClass* c : m.GetCADClassList())
            k.push_back(c->GetKey().str());
        return k;
    }

    catdbtest::CatalogueScope scope;
    std::vector<std::string>& diagnostics = scope.diagnostics;
    const std::filesystem::path& dir = scope.dir;
};

TEST_F(Catalogue, TypesClassesIndexAndStandardValuesComeFromTheDatabase)
{
    makeCatalogue(catdbtest::smallCatalogueSql());
    CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(allDiagnostics(), "");
    EXPECT_TRUE(m->GetDatabaseName() == L"KATALOG" && CCATDBModelManager::GetCurrentModel() == m);  // read once

    // Types in their order (Nr), with parents.
    std::vector<std::wstring> types;
    for (const CCATDBBase* t : m->GetTypeList())
        types.push_back(t->GetName().str());
    EXPECT_EQ(types, (std::vector<std::wstring>{L"Punkt", L"Linie", L"Flaeche", L"Hydrant", L"Armatur", L"Leitung"}));
    const CCATDBBase* punkt = m->FindType(L"PUNKT");
    const CCATDBBase* linie = m->FindType(L"linie");
    const CCATDBBase* flaeche = m->FindType(L"Flaeche");
    const CCATDBBase* hydrant = m->FindType(L"Hydrant");
    ASSERT_TRUE(punkt && linie && flaeche && hydrant);
    EXPECT_EQ(hydrant->GetParentType(), punkt);
    EXPECT_EQ(punkt->GetParentType(), nullptr);
    EXPECT_EQ(m->FindType(L"Ventil"), nullptr);
    EXPECT_EQ(flaeche->GetDisplayName().GetText(L"de"), L"Fläche");

    // Classes in their order; the index compares keys exactly.
    EXPECT_EQ(keys(*m), (std::vector<std::wstring>{L"HY-UF-080", L"AR-SC-100", L"LT-PE-110", L"fl-bf", L"FL-BF"}));
    const auto& index = m->GetCADClassIndex();
    ASSERT_EQ(index.size(), 5u);
    EXPECT_NE(index.at(L"fl-bf"), index.at(L"FL-BF"));
    EXPECT_EQ(index.count(L"hy-uf-080"), 0u);
    CCATDBCADClass* hy = m->FindCADClass(L"HY-UF-080");
    CCATDBCADClass* schieber = index.at(L"AR-SC-100");
    ASSERT_TRUE(hy && schieber);
    EXPECT_EQ(hy->GetCADClassIdentification(), L"HY-UF-080|Hydrant|1");
    EXPECT_EQ(schieber->GetCADClassIdentification(), L"AR-SC-100|Armatur|2");  // the type's own spelling

    // The type test follows the parents; a type of an earlier model counts by its name.
    EXPECT_TRUE(hy->IsOfType(hydrant) && hy->IsOfType(punkt));
    EXPECT_FALSE(hy->IsOfType(linie) || hy->IsOfType(flaeche) || hy->IsOfType(nullptr));
    const CCATDBCADClass* pipe = index.at(L"LT-PE-110");
    EXPECT_TRUE(index.at(L"FL-BF")->IsOfType(flaeche) && pipe->IsOfType(linie) && !pipe->IsOfType(punkt));

    // Standard values.
    EXPECT_EQ(hy->GetStandardValues(),
              (std::map<std::wstring, std::wstring>{{L"Nennweite", L"80"}, {L"Material", L"GGG"}, {L"Hydrantenart", L"Unterflur"}}));
    EXPECT_TRUE(index.at(L"FL-BF")->GetStandardValues().empty());

    // Reset reads again: a changed catalogue shows.
    makeCatalogue(catdbtest::smallCatalogueSql() + std::string("DELETE FROM KLASSEN WHERE Nr > 1;"));
    EXPECT_EQ(CCATDBModelManager::GetCurrentModel()->GetCADClassList().size(), 5u);
    CCATDBModelManager::Reset();
    CCATDBModel* again = CCATDBModelManager::GetCurrentModel();
    EXPECT_EQ(keys(*again), std::vector<std::wstring>{L"HY-UF-080"});
    // A type of another model counts by its name.
    CCATDBModel other;
    EXPECT_TRUE(other.Load(L"KATALOG"));
    const CCATDBCADClass* first = again->GetCADClassList()[0];
    EXPECT_TRUE(first->IsOfType(other.FindType(L"punkt")) && !first->IsOfType(other.FindType(L"Linie")));
}

TEST_F(Catalogue, DisplayNamesInTheUsersLanguageGermanByDefault)
{
    makeCatalogue(catdbtest::smallCatalogueSql());
    const CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    const CCATDBMultiLanguageString& hy = m->FindCADClass(L"HY-UF-080")->GetDisplayName();
    const std::wstring de = L"Unterflurhydrant DN 80", en = L"Underground hydrant DN 80";
    // German when the language has none, and where the class has no English name.
    for (const auto& [language, text] : {std::pair{L"de", de}, {L"EN", en}, {L"en_GB.UTF-8", en}, {L"fr", de}})
        EXPECT_EQ(hy.GetText(language), text) << language;
    EXPECT_EQ(m->FindCADClass(L"FL-BF")->GetDisplayName().GetText(L"en"), L"Baufeld");
    // The user's language: LC_ALL, then LC_MESSAGES, then LANG (empty ones skipped), else German.
    const std::tuple<const char*, const char*, const char*, const wchar_t*> envs[] = {
        {nullptr, nullptr, nullptr, L"de"}, {nullptr, nullptr, "en_US.UTF-8", L"en"}, {nullptr, nullptr, "fr_FR", L"de"},
        {nullptr, "en_GB", "de_DE", L"en"}, {"de_AT", "en_GB", "en_US", L"de"},       {"", "", "en", L"en"},
        {nullptr, nullptr, "C", L"de"}};
    for (const auto& [lcAll, lcMessages, lang, want] : envs) {
        for (const auto& [name, value] : {std::pair{"LC_ALL", lcAll}, {"LC_MESSAGES", lcMessages}, {"LANG", lang}})
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        EXPECT_EQ(CCATDBMultiLanguageString::UserLanguage(), want) << (lang ? lang : "(no LANG)");
        EXPECT_EQ(hy.GetText(nullptr), std::wstring(want) == L"en" ? en : de);
    }
    ::setenv("LANG", "de_DE.UTF-8", 1);
    CCATDBMultiLanguageString::SetUserLanguage(L"en");
    EXPECT_EQ(hy.GetText(nullptr), en);
    CCATDBMultiLanguageString::SetUserLanguage(nullptr);
    EXPECT_EQ(hy.GetText(nullptr), de);
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LC_ALL");
    // Without German, any text there is; with none, nothing.
    CCATDBMultiLanguageString only;
    only.SetText(L"en", L"only English");
    EXPECT_EQ(only.GetText(L"de"), L"only English");
    only.SetText(L"en", L"");
    EXPECT_TRUE(only.IsEmpty());
    EXPECT_EQ(only.GetText(nullptr), L"");
}

TEST_F(Catalogue, RowsBreakingTheRulesAreLeftOutAndSaidOncePerTable)
{
    makeCatalogue(std::string(catdbtest::smallCatalogueSql()) + R"SQL(
INSERT INTO TYPEN VALUES (7, 'punkt', NULL, 'doppelt', NULL), (8, 'A', 'B', NULL, NULL), (9, 'B', 'A', NULL, NULL),
                         (10, 'Waise', 'Niemand', NULL, NULL);
INSERT INTO KLASSEN VALUES
  (10, 'HY-UF-080', 'Hydrant', 1, 'doppelt', NULL), (11, 'X|Y', 'Punkt', 1, 'Strich', NULL),
  (12, 'OHNE-TYP', 'Ventil', 1, 'ohne Typ', NULL), (13, 'VERSION', 'Punkt', 'eins', 'Version', NULL),
  (14, '', 'Punkt', 1, 'leer', NULL), (15, 'ZYKLUS', 'A', 1, 'Zyklus', NULL), (16, 'WAISE', 'Waise', 0, NULL, NULL);
INSERT INTO STANDARDWERTE VALUES ('GIBTESNICHT', 'Material', 'PE'), ('HY-UF-080', 'Material', 'St'),
                                 ('HY-UF-080', '', 'leer');
)SQL");
    const CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    EXPECT_EQ(keys(*m), (std::vector<std::wstring>{L"HY-UF-080", L"AR-SC-100", L"LT-PE-110", L"fl-bf", L"FL-BF",
                                                   L"ZYKLUS", L"WAISE"}));
    EXPECT_EQ(m->FindCADClass(L"HY-UF-080")->GetDisplayName().GetText(L"de"), L"Unterflurhydrant DN 80");
    EXPECT_EQ(m->FindCADClass(L"HY-UF-080")->GetStandardValues().at(L"Material"), L"GGG");
    // A class without names shows its key.
    EXPECT_EQ(m->FindCADClass(L"WAISE")->GetDisplayName().GetText(nullptr), L"WAISE");
    EXPECT_EQ(m->FindCADClass(L"WAISE")->GetCADClassIdentification(), L"WAISE|Waise|0");
    // The cycle is cut: each type of it is its own and the other's ancestor no more.
    const CCATDBBase* a = m->FindType(L"A");
    const CCATDBBase* b = m->FindType(L"B");
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->GetParentType() == nullptr || b->GetParentType() == nullptr);
    EXPECT_EQ(m->FindType(L"Waise")->GetParentType(), nullptr);
    EXPECT_EQ(m->GetTypeList().size(), 9u);

    ASSERT_EQ(diagnostics.size(), 3u) << allDiagnostics();
    EXPECT_EQ(diagnostics[0].rfind("class catalogue KATALOG: 3 rows of TYPEN left out (", 0), 0u) << diagnostics[0];
    EXPECT_NE(diagnostics[0].find("type \"punkt\" named twice"), std::string::npos);
    EXPECT_NE(diagnostics[0].find("parent type \"Niemand\""), std::string::npos);
    EXPECT_NE(diagnostics[0].find("its own ancestor"), std::string::npos);
    EXPECT_EQ(diagnostics[1].rfind("class catalogue KATALOG: 5 rows of KLASSEN left out (row 6: key \"HY-UF-080\" given "
                                   "twice; row 7: bad key \"X|Y\"; row 8: class \"OHNE-TYP\" of unknown type \"Ventil\"; ...)",
                                   0),
              0u)
        << diagnostics[1];
    EXPECT_EQ(diagnostics[2].rfind("class catalogue KATALOG: 3 rows of STANDARDWERTE left out (", 0), 0u) << diagnostics[2];
    EXPECT_NE(diagnostics[2].find("no class \"GIBTESNICHT\""), std::string::npos);
    EXPECT_NE(diagnostics[2].find("attribute \"Material\" given twice"), std::string::npos);
}

TEST_F(Catalogue, AMissingOrBrokenCatalogueGivesAnEmptyModelAndADiagnostic)
{
    // No database of that name: the empty model stays (no diagnostic per call) until Reset.
    CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->IsEmpty() && m->GetCADClassIndex().empty());
    ASSERT_EQ(diagnostics.size(), 2u) << allDiagnostics();
    EXPECT_EQ(diagnostics[0].rfind("class catalogue KATALOG: ", 0), 0u) << diagnostics[0];
    EXPECT_EQ(diagnostics[1], "class catalogue KATALOG: the catalogue is empty");
    EXPECT_EQ(CCATDBModelManager::GetCurrentModel(), m);
    EXPECT_EQ(diagnostics.size(), 2u);
    // A file that is no database, KLASSEN missing, a column of it missing.
    const std::string types = "CREATE TABLE TYPEN (Nr INTEGER, Name TEXT, Obertyp TEXT, Name_DE TEXT, Name_EN TEXT);";
    const std::pair<std::string, std::string> broken[] = {
        {"", "class catalogue KATALOG: the catalogue is empty"},
        {types + "INSERT INTO TYPEN VALUES (1, 'Punkt', NULL, NULL, NULL);", "KLASSEN"},
        {types + "CREATE TABLE KLASSEN (Nr INTEGER, Schluessel TEXT, Typ TEXT, Name_DE TEXT, Name_EN TEXT);",
         "class catalogue KATALOG: table KLASSEN cannot be read"}};
    for (const auto& [sql, says] : broken) {
        diagnostics.clear();
        if (sql.empty())
            std::ofstream(dir / "KATALOG.sqlite") << "kein SQLite";
        else
            makeCatalogue(sql);
        ASSERT_TRUE(kordb::setDatabase("KATALOG", (dir / "KATALOG.sqlite").string()));
        CCATDBModelManager::Reset();
        EXPECT_TRUE(CCATDBModelManager::GetCurrentModel()->IsEmpty()) << says;
        EXPECT_NE(allDiagnostics().find(says), std::string::npos) << allDiagnostics();
    }
    // Without STANDARDWERTE the classes come, without standard values.
    diagnostics.clear();
    makeCatalogue(std::string(catdbtest::smallCatalogueSql()) + "DROP TABLE STANDARDWERTE;");
    CCATDBModelManager::Reset();
    m = CCATDBModelManager::GetCurrentModel();
    EXPECT_EQ(m->GetCADClassList().size(), 5u);
    EXPECT_TRUE(m->FindCADClass(L"HY-UF-080")->GetStandardValues().empty());
    EXPECT_EQ(diagnostics.back(), "class catalogue KATALOG: the classes have no standard values") << allDiagnostics();
    // Another database configured as the catalogue.
    diagnostics.clear();
    makeCatalogue(catdbtest::smallCatalogueSql(), "NETZKATALOG");
    CCATDBModelManager::SetCatalogueDatabase(L"NETZKATALOG");
    EXPECT_EQ(CCATDBModelManager::GetCatalogueDatabase(), L"NETZKATALOG");
    EXPECT_EQ(CCATDBModelManager::GetCurrentModel()->GetCADClassList().size(), 5u);
    EXPECT_EQ(CCATDBModelManager::GetCurrentModel()->GetDatabaseName(), L"NETZKATALOG");
    EXPECT_EQ(allDiagnostics(), "");
}

// Identifications KEY|TYPE|VERSION parse back to their parts; a bare key empties the type and
// leaves the number; anything else is refused with every part emptied but the number.
TEST(CadClassIdentification, RoundTripsAndBadInput)
{
    CString key, second;
    int number = -1;
    for (const auto& [k, t, v] : {std::tuple{L"HY-UF-080", L"Hydrant", 1}, std::tuple{L"a", L"b", 0},
                                  std::tuple{L"Schieber DN 100", L"Armatur", 999999999}, std::tuple{L"Ü-ß", L"Fläche", 42}}) {
        CString id = CCATDBCADClass::MakeCADClassIdentification(k, t, v);
        ASSERT_TRUE(CCATDBCADClass::ParseCADClassIdentification(id, key, second, number)) << id.GetString();
        EXPECT_EQ(std::tuple(key, second, number), std::tuple(CString(k), CString(t), v)) << id.GetString();
    }
    EXPECT_EQ(CCATDBCADClass::MakeCADClassIdentification(L"HY-UF-080", L"Hydrant", 1), L"HY-UF-080|Hydrant|1");
    number = -1;
    EXPECT_TRUE(CCATDBCADClass::ParseCADClassIdentification(L"FL-BF", key, second, number));
    EXPECT_EQ(std::tuple(key, second, number), std::tuple(CString(L"FL-BF"), CString(L""), -1));
    for (const wchar_t* bad : {L"", L"|Hydrant|1", L"HY|Hydrant", L"HY||1", L"HY|Hydrant|", L"HY|Hydrant|x",
                               L"HY|Hydrant|-1", L"HY|Hydrant|+1", L"HY|Hydrant|1 ", L"HY|Hydrant|1234567890",
                               L"HY|Hydrant|1|2", L"H\tY|Hydrant|1", L"HY|Hyd\nrant|1", L"HY|"}) {
        key = second = L"alt";
        EXPECT_FALSE(CCATDBCADClass::ParseCADClassIdentification(bad, key, second, number)) << bad;
        EXPECT_EQ(std::tuple(key, second, number), std::tuple(CString(L""), CString(L""), -1)) << bad;
    }
}

}  // namespace
