// korDialog_FragBox on the user's path: korcad runs the LISP call, the labels come from a
// database given with --db (or from the call itself), an answers file plays the user, and the
// debug log records the check that failed.
#include "korcad_run.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A SQLite file with a text table TEXTE of the given rows, made with SQLite itself.
class TextDatabase {
public:
    explicit TextDatabase(const std::vector<std::pair<int, std::string>>& rows) : m_dir("db.keep", "")
    {
        m_path = m_dir.dir() + "/my.sqlite";
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(m_path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE TEXTE (Identifier INTEGER, Text TEXT)", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* insert = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, "INSERT INTO TEXTE VALUES (?, ?)", -1, &insert, nullptr), SQLITE_OK);
        for (const auto& [id, text] : rows) {
            sqlite3_bind_int(insert, 1, id);
            sqlite3_bind_text(insert, 2, text.c_str(), -1, SQLITE_TRANSIENT);
            EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }
    const std::string& path() const { return m_path; }

private:
    TempFile m_dir;
    std::string m_path;
};

const std::string kCall = "(korDialog_FragBox \"WASSER\" \"TEXTE\" (list 1 2) (list 2.5 \"PE\"))";

TEST(KorcadFragBox, LabelsComeFromTheGivenDatabaseAndValuesReturnInTheirOwnTypes)
{
    TextDatabase db({{1, "Nennweite in mm"}, {2, "Werkstoff"}, {3, "nicht gefragt"}});
    std::string shots = std::filesystem::path(db.path()).parent_path().string();
    KorcadRun r = korcad({"--db", "WASSER=" + db.path(), "--shots", shots, "-e", kCall},
                         "shot fragbox\ntype 1002 \"150\"\ntype 1006 \"PVC\"\nok\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(1 150.0 \"PVC\")\n");
    EXPECT_NE(r.log.find("[DialogReturn] OK -> return -> RSRSLT\r\n"), std::string::npos) << r.log;

    EXPECT_TRUE(std::filesystem::exists(shots + "/fragbox.png"));

    // Confirmed unchanged: the real comes back as shown (2.50), the string as it was.
    KorcadRun unchanged = korcad({"--db", "WASSER=" + db.path(), "-e", kCall}, "click \"OK\"\n");
    EXPECT_EQ(unchanged.process.out, "(1 2.5 \"PE\")\n") << unchanged.process.err;
}

TEST(KorcadFragBox, LiteralLabelsNeedNoDatabase)
{
    KorcadRun r = korcad({"--db", "WASSER=/nonexistent/none.sqlite", "-e",
                          "(korDialog_FragBox \"WASSER\" \"TEXTE\" (list \"Länge\" \"Anzahl\") (list 2.5 3))"},
                         "type 1002 \"2\"\ntype 1006 \"4\"\nok\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(1 2.0 4)\n");
}

TEST(KorcadFragBox, CancelReturnsZero)
{
    KorcadRun r = korcad({"-e", "(korDialog_FragBox \"\" \"\" (list \"A\") (list 1))"}, "key Escape\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(0)\n");
    EXPECT_NE(r.log.find("[DialogReturn] CANCEL -> return 0 -> RSRSLT\r\n"), std::string::npos) << r.log;
}

TEST(KorcadFragBox, EveryArgumentCheckAnswersItsCodeAndWritesItsLine)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> checks = {
        {"(korDialog_FragBox)", "(-1)", "PARAMETERERROR 1: Keine Datenbank"},
        {"(korDialog_FragBox 1 \"T\" '(\"A\") '(1))", "(-1)", "PARAMETERERROR 1: Keine Datenbank"},
        {"(korDialog_FragBox \"W\")", "(-2)", "PARAMETERERROR 2: Keine Tabelle"},
        {"(korDialog_FragBox \"W\" \"T\" \"A\" '(1))", "(-3)", "PARAMETERERROR 3: Keine Identifier4Beschreibung"},
        {"(korDialog_FragBox \"W\" \"T\" '(\"A\") 1)", "(-4)", "PARAMETERERROR 4: Keine Identifier4Beschreibung"},
        {"(korDialog_FragBox \"W\" \"T\" '(\"A\" \"B\" \"C\") '(1 2))", "(-5)",
         "PARAMETERERROR 3+4: Anzahl Elemente in Liste ungleich"},
        {"(korDialog_FragBox \"W\" \"T\" '(\"A\" 0) '(1 2))", "(-6)",
         "PARAMETERERROR 3: Identifier4Beschreibung keine Zahl"},
        {"(korDialog_FragBox \"W\" \"T\" '(-2) '(1))", "(-6)", "PARAMETERERROR 3: Identifier4Beschreibung keine Zahl"},
        {"(korDialog_FragBox \"W\" \"T\" '(\"A\" (1)) '(1 2))", "(-6)",
         "PARAMETERERROR 3: Identifier4Beschreibung kein String"},
    };
    for (const auto& [call, answer, line] : checks) {
        SCOPED_TRACE(call);
        KorcadRun r = korcad({"-e", call}, "");
        EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
        EXPECT_EQ(r.process.out, answer + "\n");
        EXPECT_NE(r.log.find("[DialogReturn] " + line + " -> return -> RSERR\r\n"), std::string::npos) << r.log;
    }
}

TEST(KorcadFragBox, AFailedLookupIsALispErrorAndNamesItInTheLog)
{
    TextDatabase db({{1, "Nennweite"}});
    for (const std::string& call :
         {std::string("(korDialog_FragBox \"GIBTESNICHT\" \"TEXTE\" (list 1) (list 2))"),
          std::string("(korDialog_FragBox \"WASSER\" \"KEINETABELLE\" (list 1) (list 2))")}) {
        SCOPED_TRACE(call);
        KorcadRun r = korcad({"--db", "WASSER=" + db.path(), "-e", call}, "");
        EXPECT_NE(r.process.exitCode, 0) << "no value is handed back: " << r.process.out;
        EXPECT_EQ(r.process.out, "");
        EXPECT_NE(r.log.find("[DialogReturn] GetStringFromFragBoxIdentifier failed -> return -> RSERR\r\n"),
                  std::string::npos)
            << r.log;
    }
}

TEST(KorcadFragBox, TheDemoAsksForTheHydrantsPropertiesWithLabelsFromTheSampleDatabase)
{
    TempFile shots("keep", "");
    KorcadRun r = runDemo(shots.dir());
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_NE(r.process.out.find("Hydrant: (\"UFH\" 150 1998 1.8 4.5 \"Stadtwerke\" \"H-0815\")"), std::string::npos)
        << r.process.out;
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/hydrant-eigenschaften.png"));
}

}  // namespace
