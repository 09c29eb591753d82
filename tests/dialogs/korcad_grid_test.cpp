// The grid, linetype and lineweight dialogs on the user's path: korcad runs the LISP calls
// (with the sample drawing for the linetypes), an answers file plays the user, and the saved
// window positions land in the user's configuration.
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kDrawing = std::string(EXAMPLES_DIR) + "/netz.dxf";

TEST(KorcadGrid, TheDrawingsLinetypesAreOfferedWithoutExternalOnes)
{
    // netz.dxf: Continuous, WASSERWERK|STRICHPUNKT, DASHED, DASHDOT, HIDDEN, BORDER.
    TempFile shots("shots.keep", "");
    KorcadRun r = korcad({"--dwg", kDrawing, "--shots", shots.dir(), "-e", "(korDialog_GridDialog_LType \"DASHED\")",
                          "-e", "(korDialog_GridDialog_LType \"DASHED\")", "-e",
                          "(korDialog_GridDialog_LType \"WASSERWERK|STRICHPUNKT\")"},
                         "shot linetypes\nok\nselect 201 \"HIDDEN\"\nkey Enter\nkey Escape\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(2 \"DASHED\")\n(4 \"HIDDEN\")\n(-1 \"\")\n");
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/linetypes.png"));
    EXPECT_NE(r.log.find("korDialog_GridDialog_LType -> GridDialogLType()"), std::string::npos) << r.log;
}

TEST(KorcadGrid, ChoosingEditingAndLineWeightsEndToEnd)
{
    TempFile config("config.keep", "");
    const std::string rows = "(list (list \"a\" \"1\") (list \"b\" \"2\") (list \"c\" \"3\") (list \"d\" \"4\"))";
    KorcadRun r = korcad({"-e", "(korDialog_GridDialog (list 1 \"Auswahl\" 0 (list \"Name\" \"Wert\") " + rows + "))",
                          "-e", "(korDialog_GridDialog (list 1 \"Werte\" 2 (list \"Name\" \"Wert\") " + rows + "))",
                          "-e", "(korDialog_GridDialog (list 9 \"Leer\" 1 nil nil))",
                          "-e", "(korDialog_LWeightDialog 3)",
                          "-e", "(korDialog_LWeightDialog 3)"},
                         "select 201 #1 #3\nok\n"
                         "edit 201 #2 2 \"30\"\nkey Enter\n"
                         "ok\n"
                         "ok\n"
                         "key Escape\n",
                         {{"XDG_CONFIG_HOME", config.dir()}});
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out,
              "((2 \"b\") (4 \"d\") nil)\n"
              "((\"a\" . \"1\") (\"b\" . \"2\") (\"c\" . \"30\") (\"d\" . \"4\") nil)\n"
              "(nil)\n"
              "9\n"
              "-1\n");
    std::string positions = readFile(config.dir() + "/kor/windowpositions.ini");
    // (the INI file writes the colons as %3A)
    EXPECT_NE(positions.find("korDialog%3A%3AGridDialog="), std::string::npos) << positions;
    EXPECT_NE(positions.find("korDialog%3A%3ALWeightDialog="), std::string::npos) << positions;
}

TEST(KorcadGrid, AnswersThatDoNotFitTheGridStopKorcad)
{
    // Several rows in a one-row grid, and a malformed edit line.
    KorcadRun several = korcad({"-e", "(korDialog_GridDialog (list 1 \"T\" 1 nil (list (list \"a\") (list \"b\"))))"},
                               "select 201 #0 #1\n");
    EXPECT_EQ(several.process.exitCode, 3);
    EXPECT_NE(several.process.err.find("lets only one row be selected"), std::string::npos) << several.process.err;

    KorcadRun bad = korcad({"-e", "(korDialog_LWeightDialog)"}, "edit 201 2 2 \"x\"\n");
    EXPECT_EQ(bad.process.exitCode, 2) << bad.process.err;
    EXPECT_NE(bad.process.err.find("edit needs the row as #INDEX"), std::string::npos) << bad.process.err;
}

}  // namespace
