// The module's dialogs on the user's path: korcad runs LISP, the module shows its dialog,
// an answers file plays the user, the debug log records what the module did.
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kCall =
    "(korDialog_ButtonDialog 1 (list \"Titel\") (list \"A\" \"B\" \"C\") (list \"a\" \"b\" \"c\"))";

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

TEST(KorcadButtonDialog, AClickOnCReturnsOneAndC)
{
    KorcadRun r = korcad({"-e", kCall}, "click \"C\"\n");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(1 \"c\")\n");
    EXPECT_NE(r.log.find("[Dialog] > korDialog_ButtonDialog -> ButtonDialog()\r\n"), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("[DialogReturn] return -> RSRSLT\r\n"), std::string::npos) << r.log;
}

TEST(KorcadButtonDialog, CancelReturnsZero)
{
    KorcadRun r = korcad({"-e", kCall}, "cancel\n");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(0)\n");
    EXPECT_NE(r.log.find("[DialogReturn] CANCEL -> return 0 -> RSERR\r\n"), std::string::npos) << r.log;
}

TEST(KorcadButtonDialog, EveryArgumentCheckAnswersItsCodeAndWritesItsLine)
{
    const std::vector<std::pair<std::string, std::string>> checks = {
        {"(korDialog_ButtonDialog)", "PARAMETERERROR 1: Keine Defaultbutton"},
        {"(korDialog_ButtonDialog 0 \"T\" '(\"A\") '(\"a\"))", "PARAMETERERROR 2: Keine Headerliste"},
        {"(korDialog_ButtonDialog 0 '(1 \"T\") '(\"A\") '(\"a\"))", "PARAMETERERROR 2: Headerliste kein String"},
        {"(korDialog_ButtonDialog 0 '(\"T\") \"A\" '(\"a\"))", "PARAMETERERROR 3: Keine Buttontexte"},
        {"(korDialog_ButtonDialog 0 '(\"T\") '(\"A\"))", "PARAMETERERROR 4: Buttontexte kein String"},
        {"(korDialog_ButtonDialog 0 '(\"T\") '(\"A\" \"B\") '(\"a\" \"b\" \"c\"))",
         "PARAMETERERROR 3+4: Anzahl Headerliste und Buttontexte ungleich"},
        {"(korDialog_ButtonDialog 0 '(\"T\") '(\"A\" 5) '(\"a\" \"b\"))", "PARAMETERERROR 4: Buttontexte 1 kein String"},
        {"(korDialog_ButtonDialog 0 '(\"T\") '(\"A\" \"B\") '(\"a\" 2))", "PARAMETERERROR 4: Buttontexte 1 keine Zahl"},
    };
    std::vector<std::string> args;
    std::string expected;
    for (size_t i = 0; i < checks.size(); ++i) {
        args.push_back("-e");
        args.push_back(checks[i].first);
        expected += "(-" + std::to_string(i + 1) + ")\n";
    }
    KorcadRun r = korcad(args, "");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, expected) << "the error answer reaches LISP although the status is RSERR";
    size_t last = 0;
    for (const auto& [call, message] : checks) {
        size_t at = r.log.find("[DialogReturn] " + message + " -> return -> RSERR\r\n", last);
        ASSERT_NE(at, std::string::npos) << message << "\n" << r.log;
        last = at;
    }
    EXPECT_EQ(count(r.log, "[DialogReturn]"), checks.size());
}

TEST(KorcadButtonDialog, ADialogWithoutAnAnswerLeftStopsKorcadNamingTheDialog)
{
    KorcadRun r = korcad({"-e", kCall, "-e", kCall, "-e", "(princ \"never\")"}, "click \"A\"\n");
    EXPECT_EQ(r.process.exitCode, 3);
    EXPECT_EQ(r.process.out, "(1 \"a\")\n");
    EXPECT_NE(r.process.err.find("\"Titel\" (template 30018)"), std::string::npos) << r.process.err;
    EXPECT_NE(r.process.err.find("no answer is left"), std::string::npos) << r.process.err;
}

TEST(KorcadButtonDialog, AnActionThatFindsNoControlStopsKorcadNamingTheAction)
{
    KorcadRun r = korcad({"-e", kCall}, "# the user looks for a button that is not there\nclick \"D\"\n");
    EXPECT_EQ(r.process.exitCode, 3);
    EXPECT_EQ(r.process.out, "");
    EXPECT_NE(r.process.err.find("line 2"), std::string::npos) << r.process.err;
    EXPECT_NE(r.process.err.find("click \"D\""), std::string::npos) << r.process.err;
    EXPECT_NE(r.process.err.find("Titel"), std::string::npos) << r.process.err;
}

TEST(KorcadButtonDialog, AnUnreadableAnswersFileIsRefusedBeforeAnythingRuns)
{
    KorcadRun r = korcad({"-e", "(princ \"ran\")"}, "click \"C\"\nwiggle 3\n");
    EXPECT_EQ(r.process.exitCode, 2);
    EXPECT_EQ(r.process.out, "");
    EXPECT_NE(r.process.err.find("line 2"), std::string::npos) << r.process.err;
}

TEST(KorcadButtonDialog, ShotsSaveEveryDialogAndInputAnswersPrompts)
{
    TempFile shots("keep", "");
    std::string dir = shots.dir() + "/shots";
    KorcadRun r = korcad({"--shots", dir, "-e", "(getstring \"Name: \")", "-e", kCall},
                   "input \"Hans\"\nshot auswahl\nkey Enter\n");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_NE(r.process.out.find("\"Hans\"\n(1 \"b\")\n"), std::string::npos) << r.process.out;
    EXPECT_TRUE(std::filesystem::exists(dir + "/001-Titel.png"));
    EXPECT_GT(std::filesystem::file_size(dir + "/auswahl.png"), 500u);

    // No dialog opens, only the main window for a pick: its picture still finds its folder.
    std::string windowOnly = shots.dir() + "/nur/fenster";
    KorcadRun pick = korcad({"--shots", windowOnly, "-e", "(getpoint)"}, "pick 1,1\n");
    EXPECT_EQ(pick.process.exitCode, 0) << pick.process.err;
    EXPECT_GT(std::filesystem::file_size(windowOnly + "/korcad.png"), 500u);
}

TEST(KorcadButtonDialog, AScriptedCommandLineEndsWhenItsAnswersAreUsed)
{
    // No program: the command line reads its commands from the input lines.
    KorcadRun r = korcad({}, R"answers(input "(setq x (korDialog_ButtonDialog 0 '(\"T\") '(\"A\") '(\"a\")))"
click "A"
input "(strcat (cadr x) \"!\")"
)answers");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_NE(r.process.out.find("(1 \"a\")\n"), std::string::npos) << r.process.out;
    EXPECT_NE(r.process.out.find("\"a!\"\n"), std::string::npos) << r.process.out;
    EXPECT_EQ(r.process.err, "");
}

TEST(KorcadDemo, TheMainJobRunsTheDemoWithItsAnswers)
{
    TempFile shots("keep", "");
    KorcadRun r = runDemo(shots.dir());
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_NE(r.process.out.find("Gewählt: UFH"), std::string::npos) << r.process.out;
    EXPECT_NE(r.process.out.find("Ergebnisse: (\"UFH\" nil)"), std::string::npos) << r.process.out;
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/hydrant-art.png"));
    // The drawing part: the pipe list, the measured pipe, the pipe given a look, then saved.
    EXPECT_NE(r.process.out.find("4 Leitungen, zusammen 285.00 m"), std::string::npos) << r.process.out;
    EXPECT_NE(r.process.out.find("Länge 40.00 m"), std::string::npos) << r.process.out;
    EXPECT_NE(r.process.out.find("Linientyp: DASHED"), std::string::npos) << r.process.out;
    EXPECT_EQ(r.process.err, "");
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/netz-demo.dxf"));
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/korcad.png"));
}

}  // namespace

namespace {

// A display nobody serves: the run must not end when the first dialog starts the GUI.
TEST(KorcadDisplay, ADisplayThatCannotBeOpenedFallsBackToOffscreenWithOneWarning)
{
    TempFile answers("answers.txt", "click \"B\"\n");
    ProcessEnv env{{{"KOR_DEBUGLOG", "off"}, {"DISPLAY", ":4711"}}, {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}};
    ProcessResult r = runProcess({KORCAD_PATH, "--answers", answers.path(), "-e", "(princ \"vorher \")", "-e", kCall,
                                  "-e", "(princ \"nachher\")"},
                                 "", env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.signal, 0) << "no abort midway through the program";
    EXPECT_EQ(r.out, "vorher \"vorher \"\n(1 \"b\")\nnachher\"nachher\"\n");
    EXPECT_EQ(r.err, "korcad: warning: cannot open the display \":4711\"; windows are drawn offscreen\n");
}

TEST(KorcadAnswers, AFolderGivenAsAnswersFileIsAnError)
{
    TempFile somewhere("x.txt", "");
    ProcessResult r = runProcess({KORCAD_PATH, "--answers", somewhere.dir(), "-e", "1"}, "",
                                 ProcessEnv{{{"KOR_DEBUGLOG", "off"}}, {}});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "") << "nothing runs";
    EXPECT_NE(r.err.find("cannot read the answers file " + somewhere.dir() + ": it is a directory"), std::string::npos)
        << r.err;
}

}  // namespace
