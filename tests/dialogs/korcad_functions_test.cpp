// The module's functions on the user's path: korcad, real LISP, an answers file, the debug log.
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A caller's text: printf conversions, Qt place markers, quotes, a backslash, markup; it stays data.
const std::string kText = "%s%n%x '\"`; \\ <b>fett</b> %1 %2";

// A text as a LISP string literal, as prin1 writes it back and as an answers file quotes it.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

const std::string T = quoted(kText);
std::string with(const std::string& prefix) { return quoted(prefix + kText); }

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// korcad with `before` and then each expression as -e.
KorcadRun run(std::vector<std::string> before, const std::vector<std::string>& expressions, const std::string& answers,
              const std::vector<std::pair<std::string, std::string>>& env = {})
{
    for (const auto& e : expressions)
        before.insert(before.end(), {"-e", e});
    return korcad(before, answers, env);
}

bool has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

// Every function answers LISP (two argument errors too); a caller's text in any argument stays data.
TEST(KorcadFunctions, EveryFunctionAnswersLispAndACallersTextStaysData)
{
    TempFile config("config.keep", "");
    KorcadRun r = run(
        {"--dwg", EXAMPLES_DIR "/netz.dxf"},
        {
            "(korDialog_ButtonDialog 1 (list " + T + ") (list " + with("A ") + " \"B\") (list " + with("v ") + " \"b\"))",
            "(korDialog_ButtonValue \"\" \"T\" \"K\" \"Z\" 1 \"B\")",
            "(korDialog_ButtonValue \"WASSER\" \"TEXTE\" " + T + " " + with("Knopf ") + " " + with("d ") + " " + with("z ") + ")",
            "(korDialog_ButtonValue \"WASSER\" \"TEXTE\" 1 11 1.2 \"ZEICHNUNG\")",  // 11: Schieberstellung
            "(korDialog_FragBox \"WASSER\" \"TEXTE\" (list " + T + " " + with("2 ") + ") (list " + T + " 2.5))",
            "(korDialog_MultiEditDialog \"W\" \"T\" nil nil)",
            "(korDialog_MultiEditDialog \"WASSER\" \"TEXTE\" (list " + T + " \"Zwei\") (list 1 2))",
            "(korDialog_GridDialog (list 1 " + T + " 1 (list " + T + " \"DN\") (list (list " + T +
                " \"150\") (list \"b\" \"200\"))))",
            "(korDialog_GridDialog (list 1 " + T + " 2 (list \"K\" " + T + ") (list (list \"k\" \"v\"))))",
            "(korDialog_GridDialog_LType " + T + ")",
            "(korDialog_GridDialog_LType \"DASHED\")",
            "(list (korDialog_LWeightDialog " + T + ") (korDialog_LWeightDialog 3))",
            "(korDialog_SelectColor " + T + ")",
        },
        "click " + with("A ") + "\n"      // ButtonDialog: the caption as written
        "click " + with("Knopf ") + "\n"  // ButtonValue: its button
        "click \"Schieberstellung\"\n"    // ButtonValue: the caption looked up in the sample database
        "ok\n"                            // FragBox
        "click " + T + "\n"               // MultiEdit: the row's pick button
        "input \"3.5\"\n"
        "ok\n"
        "select 201 " + T + "\n"          // Grid: the row by its cell text
        "ok\n"
        "edit 201 #0 2 " + T + "\n"       // Grid in edit mode: typed into a cell
        "ok\n"
        "cancel\n"                        // LType: no such linetype
        "ok\n"                            // LType: netz.dxf's DASHED after Continuous, its external one left out
        "ok\nok\n"                        // LWeight, twice
        "ok\n",                           // SelectColor
        {{"XDG_CONFIG_HOME", config.dir()}});
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    const std::vector<std::string> expected = {
        "(1 " + with("v ") + ")",
        "(-1)",
        "(2 " + with("z ") + ")",
        "(2 \"ZEICHNUNG\")",
        "(1 " + T + " 2.5)",
        "(-3)",
        "",
        kText + " abgreifen :3.5",  // the row's prompt names it by its label
        "(1 3.5 2.0)",
        "((1 " + T + ") nil)",
        "((\"k\" . " + T + ") nil)",
        "(-1 \"\")",
        "(2 \"DASHED\")",
        "(-3 9)",  // an index that is no number counts as 0: the first entry, "Vorgabe"
        "(1 16777215)",
    };
    EXPECT_EQ(lines(r.process.out), expected) << r.process.err;
    // The log shows the scopes, the failed checks and the texts as the module passed them.
    for (const std::string& line : std::vector<std::string>{
             "[Dialog] > korDialog_ButtonDialog -> ButtonDialog()\r\n",
          "[DialogReturn] PARAMETERERROR 3: Identifier keine Liste -> return -> RSERR\r\n",
          "[DialogReturn] return 'z " + kText + "' -> RSRSLT\r\n",
          "[DialogReturn] return farbe=16777215 -> RSRSLT\r\n"})
        EXPECT_TRUE(has(r.log, line)) << line << "\n" << r.log;
    // The grid's and the lineweight's windows keep their places in the user's configuration
    // (the INI file writes the colons as %3A).
    std::string positions = readFile(config.dir() + "/kor/windowpositions.ini");
    EXPECT_TRUE(has(positions, "korDialog%3A%3AGridDialog=")) << positions;
    EXPECT_TRUE(has(positions, "korDialog%3A%3ALWeightDialog=")) << positions;
}

// An answer that does not fit stops korcad with 3 (naming line, action, dialog); an unreadable file with 2.
TEST(KorcadAnswers, AnAnswerThatDoesNotFitOrCannotBeReadStopsKorcad)
{
    KorcadRun r = run({}, {"(korDialog_ButtonDialog 1 (list " + T + ") '(\"A\") '(\"a\"))", "(princ \"nie\")"},
                      "# the user looks for a button that is not there\nclick \"D\"\n");
    EXPECT_EQ(r.process.exitCode, 3);
    EXPECT_EQ(r.process.out, "");
    for (const std::string& part : {std::string("line 2"), std::string("click \"D\""), "\"" + kText + "\" (template 30018)"})
        EXPECT_TRUE(has(r.process.err, part)) << part << "\n" << r.process.err;

    KorcadRun unreadable = run({}, {"(princ \"ran\")"}, "click \"C\"\nwiggle 3\n");
    EXPECT_EQ(unreadable.process.exitCode, 2);
    EXPECT_EQ(unreadable.process.out, "");
    EXPECT_TRUE(has(unreadable.process.err, "line 2")) << unreadable.process.err;
}

// A display nobody serves: the run must not end when the first dialog starts the GUI.
TEST(KorcadAnswers, ADisplayThatCannotBeOpenedFallsBackToOffscreenWithOneWarning)
{
    TempFile answers("answers.txt", "click \"B\"\n");
    ProcessEnv env{{{"KOR_DEBUGLOG", "off"}, {"DISPLAY", ":4711"}}, {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}};
    ProcessResult r = runProcess({KORCAD_PATH, "--answers", answers.path(), "-e", "(princ \"vorher \")", "-e",
                                  "(korDialog_ButtonDialog 1 '(\"T\") '(\"A\" \"B\") '(\"a\" \"b\"))", "-e",
                                  "(princ \"nachher\")"},
                                 "", env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.signal, 0) << "no abort midway through the program";
    EXPECT_EQ(r.out, "vorher \"vorher \"\n(1 \"b\")\nnachher\"nachher\"\n");
    EXPECT_EQ(r.err, "korcad: warning: cannot open the display \":4711\"; windows are drawn offscreen\n");
}

// The demo with its answers on the sample drawing.
TEST(KorcadDemo, TheMainJobRunsTheDemoWithItsAnswers)
{
    TempFile shots("keep", "");
    KorcadRun r = runDemo(shots.dir());
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.err, "");
    for (const char* part : {"Gewählt: UFH", "Überdeckung: 1.35 m", "Hydrant: (\"UFH\" 150 1998 1.8 4.5 \"Stadtwerke\" \"H-0815\")",
                             "4 Leitungen, zusammen 285.00 m", "Linientyp: DASHED"})
        EXPECT_TRUE(has(r.process.out, part)) << part << "\n" << r.process.out;
    EXPECT_TRUE(has(r.log, "[DialogReturn] return '1.35' -> RSRSLT\r\n")) << r.log;
    for (const char* file : {"hydrant-art.png", "ueberdeckung.png", "hydrant-eigenschaften.png", "netz-demo.dxf", "korcad.png"})
        EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/" + file)) << file;
}

}  // namespace
