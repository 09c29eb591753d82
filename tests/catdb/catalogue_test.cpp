// The class catalogue: the model read from a catalogue database (types, classes, key index,
// names in both languages, type test, standard values), what a broken or missing catalogue
// gives, the sample catalogue, and class identifications.
#include "CatalogueSql.h"

#include "catdb/catdb.h"
#include "db/kordb.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("catdb-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "config");
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        kordb::closeAll();
        kordb::clearHostDatabases();
        kordb::reloadConfiguration();
        kordb::setDiagnosticSink([this](const std::string& m) { diagnostics.push_back(m); });
        CCATDBModelManager::SetCatalogueDatabase(nullptr);
        CCATDBMultiLanguageString::SetUserLanguage(nullptr);
    }
    void TearDown() override
    {
        CCATDBModelManager::Reset();
        CCATDBMultiLanguageString::SetUserLanguage(nullptr);
        kordb::closeAll();
        kordb::setDiagnosticSink(nullptr);
        kordb::clearHostDatabases();
        fs::remove_all(dir);
    }
    // A catalogue database made from SQL, configured under `name`.
    void makeCatalogue(const std::string& sql, const std::string& name = "KATALOG")
    {
        std::string file = (dir / (name + ".sqlite")).string();
        ASSERT_EQ(catdbtest::makeDatabase(file, sql), "");
        ASSERT_TRUE(kordb::setDatabase(name, file));
    }
    std::string allDiagnostics() const
    {
        std::string all;
        for (const auto& d : diagnostics)
            all += d + "\n";
        return all;
    }
    std::vector<std::wstring> keys(const CCATDBModel& m)
    {
        std::vector<std::wstring> k;
        for (const CCATDBCADClass* c : m.GetCADClassList())
            k.push_back(c->GetKey().str());
        return k;
    }

    fs::path dir;
    std::vector<std::string> diagnostics;
};

TEST_F(Catalogue, TypesClassesIndexAndStandardValuesComeFromTheDatabase)
{
    makeCatalogue(catdbtest::smallCatalogueSql());
    CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(allDiagnostics(), "");
    EXPECT_EQ(m->GetDatabaseName(), L"KATALOG");
    EXPECT_EQ(CCATDBModelManager::GetCurrentModel(), m);  // read once

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
    EXPECT_NE(hy->IsOfType(hydrant), 0);
    EXPECT_NE(hy->IsOfType(punkt), 0);
    EXPECT_EQ(hy->IsOfType(linie), 0);
    EXPECT_EQ(hy->IsOfType(flaeche), 0);
    EXPECT_EQ(hy->IsOfType(nullptr), 0);
    EXPECT_NE(index.at(L"FL-BF")->IsOfType(flaeche), 0);
    EXPECT_NE(index.at(L"LT-PE-110")->IsOfType(linie), 0);
    EXPECT_EQ(index.at(L"LT-PE-110")->IsOfType(punkt), 0);

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
    EXPECT_NE(again->GetCADClassList()[0]->IsOfType(other.FindType(L"punkt")), 0);
    EXPECT_EQ(again->GetCADClassList()[0]->IsOfType(other.FindType(L"Linie")), 0);
}

TEST_F(Catalogue, DisplayNamesInTheUsersLanguageGermanByDefault)
{
    makeCatalogue(catdbtest::smallCatalogueSql());
    const CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    const CCATDBMultiLanguageString& hy = m->FindCADClass(L"HY-UF-080")->GetDisplayName();
    const CCATDBMultiLanguageString& baufeld = m->FindCADClass(L"FL-BF")->GetDisplayName();
    EXPECT_EQ(hy.GetText(L"de"), L"Unterflurhydrant DN 80");
    EXPECT_EQ(hy.GetText(L"EN"), L"Underground hydrant DN 80");
    EXPECT_EQ(hy.GetText(L"en_GB.UTF-8"), L"Underground hydrant DN 80");
    EXPECT_EQ(hy.GetText(L"fr"), L"Unterflurhydrant DN 80");  // German when the language has none
    EXPECT_EQ(baufeld.GetText(L"en"), L"Baufeld");

    struct Env {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const wchar_t* want;
    };
    for (const Env& e : {Env{nullptr, nullptr, nullptr, L"de"}, Env{nullptr, nullptr, "en_US.UTF-8", L"en"},
                         Env{nullptr, nullptr, "de_DE.UTF-8", L"de"}, Env{nullptr, nullptr, "fr_FR", L"de"},
                         Env{nullptr, "en_GB", "de_DE", L"en"}, Env{"de_AT", "en_GB", "en_US", L"de"},
                         Env{"", "", "en", L"en"}, Env{nullptr, nullptr, "C", L"de"}}) {
        auto set = [](const char* name, const char* value) {
            if (value)
                ::setenv(name, value, 1);
            else
                ::unsetenv(name);
        };
        set("LC_ALL", e.lcAll);
        set("LC_MESSAGES", e.lcMessages);
        set("LANG", e.lang);
        EXPECT_EQ(CCATDBMultiLanguageString::UserLanguage(), e.want) << (e.lang ? e.lang : "(no LANG)");
        EXPECT_EQ(hy.GetText(nullptr), std::wstring(e.want) == L"en" ? L"Underground hydrant DN 80" : L"Unterflurhydrant DN 80");
    }
    ::setenv("LANG", "de_DE.UTF-8", 1);
    CCATDBMultiLanguageString::SetUserLanguage(L"en");
    EXPECT_EQ(hy.GetText(nullptr), L"Underground hydrant DN 80");
    CCATDBMultiLanguageString::SetUserLanguage(nullptr);
    EXPECT_EQ(hy.GetText(nullptr), L"Unterflurhydrant DN 80");
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
    // No database of that name.
    CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->IsEmpty());
    EXPECT_TRUE(m->GetCADClassIndex().empty());
    ASSERT_EQ(diagnostics.size(), 2u) << allDiagnostics();
    EXPECT_EQ(diagnostics[0].rfind("class catalogue KATALOG: ", 0), 0u) << diagnostics[0];
    EXPECT_NE(diagnostics[0].find("KATALOG"), std::string::npos);
    EXPECT_EQ(diagnostics[1], "class catalogue KATALOG: the catalogue is empty");
    // The empty model stays (no diagnostic per call) until Reset.
    EXPECT_EQ(CCATDBModelManager::GetCurrentModel(), m);
    EXPECT_EQ(diagnostics.size(), 2u);

    // A file that is no database.
    diagnostics.clear();
    std::string junk = (dir / "junk.sqlite").string();
    { std::FILE* f = std::fopen(junk.c_str(), "w"); std::fputs("kein SQLite", f); std::fclose(f); }
    ASSERT_TRUE(kordb::setDatabase("KATALOG", junk));
    CCATDBModelManager::Reset();
    EXPECT_TRUE(CCATDBModelManager::GetCurrentModel()->IsEmpty());
    EXPECT_EQ(diagnostics.back(), "class catalogue KATALOG: the catalogue is empty");

    // KLASSEN missing; then a column missing.
    diagnostics.clear();
    makeCatalogue("CREATE TABLE TYPEN (Nr INTEGER, Name TEXT, Obertyp TEXT, Name_DE TEXT, Name_EN TEXT);"
                  "INSERT INTO TYPEN VALUES (1, 'Punkt', NULL, NULL, NULL);");
    CCATDBModelManager::Reset();
    EXPECT_TRUE(CCATDBModelManager::GetCurrentModel()->IsEmpty());
    EXPECT_NE(allDiagnostics().find("KLASSEN"), std::string::npos) << allDiagnostics();

    diagnostics.clear();
    makeCatalogue("CREATE TABLE TYPEN (Nr INTEGER, Name TEXT, Obertyp TEXT, Name_DE TEXT, Name_EN TEXT);"
                  "CREATE TABLE KLASSEN (Nr INTEGER, Schluessel TEXT, Typ TEXT, Name_DE TEXT, Name_EN TEXT);");
    CCATDBModelManager::Reset();
    EXPECT_TRUE(CCATDBModelManager::GetCurrentModel()->IsEmpty());
    EXPECT_NE(allDiagnostics().find("class catalogue KATALOG: table KLASSEN cannot be read"), std::string::npos)
        << allDiagnostics();

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

TEST_F(Catalogue, TheSampleCatalogueReadsCleanly)
{
    ASSERT_TRUE(kordb::setDatabase("KATALOG", KOR_SAMPLE_DB_DIR "/katalog.sqlite"));
    const CCATDBModel* m = CCATDBModelManager::GetCurrentModel();
    EXPECT_EQ(allDiagnostics(), "");
    EXPECT_GE(m->GetCADClassList().size(), 100u);
    EXPECT_EQ(m->GetCADClassIndex().size(), m->GetCADClassList().size());
    const CCATDBBase* flaeche = m->FindType(L"Flaeche");
    const CCATDBBase* punkt = m->FindType(L"Punkt");
    const CCATDBBase* linie = m->FindType(L"Linie");
    ASSERT_TRUE(flaeche && punkt && linie);
    int areas = 0;
    for (const CCATDBCADClass* c : m->GetCADClassList()) {
        // Every class is of exactly one of the three base types and has both names.
        EXPECT_EQ((c->IsOfType(punkt) != 0) + (c->IsOfType(linie) != 0) + (c->IsOfType(flaeche) != 0), 1)
            << c->GetKey().GetString();
        EXPECT_FALSE(c->GetDisplayName().GetText(L"de").IsEmpty());
        EXPECT_NE(c->GetDisplayName().GetText(L"en"), c->GetDisplayName().GetText(L"de")) << c->GetKey().GetString();
        if (c->IsOfType(flaeche))
            ++areas;
        else
            EXPECT_EQ(c->GetStandardValues().count(L"Nennweite"), 1u) << c->GetKey().GetString();
    }
    EXPECT_GE(areas, 3);
    const CCATDBCADClass* hy = m->FindCADClass(L"HY-OF-100");
    ASSERT_NE(hy, nullptr);
    EXPECT_EQ(hy->GetDisplayName().GetText(L"de"), L"Überflurhydrant DN 100");
    EXPECT_EQ(hy->GetStandardValues().at(L"Druckstufe"), L"PN 16");
}

TEST(CadClassIdentification, RoundTripsAndBadInput)
{
    CString key, second;
    int number = -1;
    EXPECT_TRUE(CCATDBCADClass::ParseCADClassIdentification(L"HY-UF-080|Hydrant|1", key, second, number));
    EXPECT_EQ(key, L"HY-UF-080");
    EXPECT_EQ(second, L"Hydrant");
    EXPECT_EQ(number, 1);
    for (const auto& [k, t, v] : {std::tuple{L"a", L"b", 0}, std::tuple{L"Schieber DN 100", L"Armatur", 999999999},
                                  std::tuple{L"Ü-ß", L"Fläche", 42}}) {
        CString id = CCATDBCADClass::MakeCADClassIdentification(k, t, v);
        number = -1;
        ASSERT_TRUE(CCATDBCADClass::ParseCADClassIdentification(id, key, second, number)) << id.GetString();
        EXPECT_EQ(key, k);
        EXPECT_EQ(second, t);
        EXPECT_EQ(number, v);
    }
    // A bare key: type emptied, number untouched.
    number = -1;
    second = L"vorher";
    EXPECT_TRUE(CCATDBCADClass::ParseCADClassIdentification(L"FL-BF", key, second, number));
    EXPECT_EQ(key, L"FL-BF");
    EXPECT_EQ(second, L"");
    EXPECT_EQ(number, -1);

    for (const wchar_t* bad : {L"", L"|Hydrant|1", L"HY|Hydrant", L"HY||1", L"HY|Hydrant|", L"HY|Hydrant|x",
                               L"HY|Hydrant|-1", L"HY|Hydrant|+1", L"HY|Hydrant|1 ", L"HY|Hydrant|1234567890",
                               L"HY|Hydrant|1|2", L"H\tY|Hydrant|1", L"HY|Hyd\nrant|1", L"HY|"}) {
        key = L"alt";
        second = L"alt";
        number = -1;
        EXPECT_FALSE(CCATDBCADClass::ParseCADClassIdentification(bad, key, second, number)) << bad;
        EXPECT_EQ(key, L"") << bad;
        EXPECT_EQ(second, L"") << bad;
        EXPECT_EQ(number, -1) << bad;
    }
}

}  // namespace
