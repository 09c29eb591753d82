// korDialog_MultiEditDialog on the user's path: korcad runs the LISP call, an answers file
// plays the user, who presses a row's pick button, answers the distance prompt on the
// command line (a number, two points, or an empty line) and confirms; labels come from the
// database given with --db, and the debug log records the check that failed.
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kCall = "(korDialog_MultiEditDialog \"WASSER\" \"TEXTE\" (list \"Breite\" \"Höhe\") (list 1 2))";

// The answer LISP printed: the last line of korcad's output (the prompts come before it).
std::string answer(const KorcadRun& r)
{
    std::string out = r.process.out;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out.substr(out.rfind('\n') + 1);
}

TEST(KorcadMultiEdit, APickedDistanceComesBackInItsRow)
{
    KorcadRun r = korcad({"-e", kCall}, "click 1003\ninput \"3.5\"\nok\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(answer(r), "(1 1.0 3.5)");
    EXPECT_NE(r.process.out.find("\nHöhe abgreifen :3.5\n"), std::string::npos) << r.process.out;
    EXPECT_NE(r.log.find("[DialogReturn] OK -> return -> RSRSLT\r\n"), std::string::npos) << r.log;
}

TEST(KorcadMultiEdit, SeveralPicksByNumberOrTwoPointsAndAnEmptyAnswerThatChangesNothing)
{
    TempFile shots("keep", "");
    KorcadRun r = korcad({"--shots", shots.dir(), "-e", kCall},
                         "click \"Höhe\"\ninput \"0,0\"\ninput \"3,4\"\n"  // two points 5 apart
                         "click \"Höhe\"\ninput \"\"\n"                     // Enter: Höhe stays 5
                         "shot multiedit\n"
                         "click \"Breite\"\ninput \"2.25\"\n"
                         "ok\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(answer(r), "(1 2.25 5.0)") << r.process.out;
    EXPECT_NE(r.process.out.find("Zweiten Punkt angeben: 3,4"), std::string::npos) << r.process.out;
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/multiedit.png"));
}

TEST(KorcadMultiEdit, TypedValuesAreReadWithAPointAlsoInAGermanLocale)
{
    KorcadRun r = korcad({"-e", kCall}, "type 1002 \"2.5\"\nclick \"OK\"\n",
                         {{"LANG", "de_DE.UTF-8"}, {"LC_ALL", "de_DE.UTF-8"}});
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(answer(r), "(1 2.5 2.0)");
}

TEST(KorcadMultiEdit, LabelsFromTheSampleDatabaseNameTheRowAndItsPrompt)
{
    KorcadRun r = korcad({"--db", "WASSER=" KOR_SAMPLE_DB_DIR "/wasser.sqlite", "-e",
                          "(korDialog_MultiEditDialog \" WASSER \" \"TEXTE\" (list 4 1) (list 25 1.2))"},
                         "click \"Länge [m]\"\ninput \"31.4\"\nok\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(answer(r), "(1 31.4 1.2)");
    EXPECT_NE(r.process.out.find("\nLänge [m] abgreifen :31.4\n"), std::string::npos) << r.process.out;
}

TEST(KorcadMultiEdit, PickThenCancelAnswersZero)
{
    KorcadRun r = korcad({"-e", kCall}, "click 1001\ninput \"9\"\nkey Escape\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(answer(r), "(0)");
    EXPECT_NE(r.log.find("[DialogReturn] CANCEL -> return 0 -> RSRSLT\r\n"), std::string::npos) << r.log;
}

TEST(KorcadMultiEdit, EveryArgumentCheckAnswersItsCodeAndWritesItsLine)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> checks = {
        {"(korDialog_MultiEditDialog)", "(-1)", "PARAMETERERROR 1: Datenbank kein String -> return"},
        {"(korDialog_MultiEditDialog \"W\" 2 '(\"A\") '(1))", "(-2)", "PARAMETERERROR 2: Tabelle kein String -> return"},
        {"(korDialog_MultiEditDialog \"W\" \"T\" nil nil)", "(-3)", "PARAMETERERROR 3: Identifier keine Liste -> return"},
        {"(korDialog_MultiEditDialog \"W\" \"T\" '(\"A\") 1.5)", "(-4)", "PARAMETERERROR 4: Werte keine Liste -> return"},
        {"(korDialog_MultiEditDialog \"W\" \"T\" '(\"A\" \"B\") '(1))", "(-5)",
         "PARAMETERERROR 3+4: Anzahl Identifier und Werte ungleich -> return"},
        {"(korDialog_MultiEditDialog \"W\" \"T\" '(\"A\" 0) '(1 2))", "(-6)",
         "PARAMETERERROR 3: Identifier 1 keine Zahl -> return -6"},
        {"(korDialog_MultiEditDialog \"W\" \"T\" '((1)) '(1))", "(-6)", "PARAMETERERROR 3: Identifier 0 kein String -> return"},
    };
    for (const auto& [call, code, line] : checks) {
        SCOPED_TRACE(call);
        KorcadRun r = korcad({"-e", call}, "");
        EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
        EXPECT_EQ(r.process.out, code + "\n");
        EXPECT_NE(r.log.find("[DialogReturn] " + line + " -> RSERR\r\n"), std::string::npos) << r.log;
    }
}

TEST(KorcadMultiEdit, AFailedLookupIsALispErrorAndNamesTheRowInTheLog)
{
    KorcadRun r = korcad({"--db", "WASSER=" KOR_SAMPLE_DB_DIR "/wasser.sqlite", "-e",
                          "(korDialog_MultiEditDialog \"WASSER\" \"KEINETABELLE\" (list \"A\" 4) (list 1 2))"},
                         "");
    EXPECT_NE(r.process.exitCode, 0) << "no value is handed back: " << r.process.out;
    EXPECT_EQ(r.process.out, "");
    EXPECT_NE(r.log.find("[DialogReturn] PARAMETERERROR 3: Identifier 1 keine Zahl -> return -> RSERR\r\n"),
              std::string::npos)
        << r.log;
}

}  // namespace
