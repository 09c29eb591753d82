// korcad run from the shell: programs, expressions, the command line on standard input, options,
// limits and the module; each run checked by its exit code and all it wrote to stdout and stderr.
#include "run_process.h"

#include "app/Session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

struct Run {
    std::vector<std::string> args;  // korcad's arguments, unless `shell` gives a command line
    int exitCode = 0;
    std::string out = "", err = "";  // all korcad wrote to each
    std::string input = "";
    ProcessEnv env = {};
    std::string shell = "";
};

void expectRuns(const std::vector<Run>& runs)
{
    for (const Run& r : runs) {
        std::vector<std::string> argv{"/bin/sh", "-c", r.shell};
        std::string what = r.shell;
        if (r.shell.empty()) {
            argv = {KORCAD_PATH};
            for (const auto& a : r.args)
                argv.push_back(a), what += a + " ";
        }
        ProcessResult p = runProcess(argv, r.input, r.env);
        EXPECT_EQ(std::to_string(p.exitCode) + "\n" + p.out + "\n---\n" + p.err,
                  std::to_string(r.exitCode) + "\n" + r.out + "\n---\n" + r.err) << what;
    }
}

// A folder with the programs the runs use.
struct Programs {
    TempFile lib{"lib.lsp", ";; helper functions\n(defun greet (name) (strcat \"Hallo \" name))\n"
                            "(princ \"loaded\\n\")\n(princ)\n"};
    std::string at(const std::string& name, const std::string& text) const
    {
        std::ofstream(lib.dir() + "/" + name) << text;
        return lib.dir() + "/" + name;
    }
    const std::string dir = lib.dir();
    const std::string bad = at("bad.lsp", "(setq x 1)\n\n(setq y\n  (car x))\n(princ \"never\")\n");
    const std::string outer = at("outer.lsp", "(princ)\n(load \"" + bad + "\")\n");
    const std::string open = at("open.lsp", "(princ \"ok\")\n(defun f (x)\n  (+ x 1)\n");
    const std::string helpers = at("helpers.lsp", "(princ \"x\")\n(load \"helpers\")\n");
    const std::string quiet = at("still.lsp", "(setq a 1)\n");
    const std::string korcad = std::string("'") + KORCAD_PATH + "' --no-load ";
};

TEST(KorcadCommand, RunsProgramsAndExpressionsInOrderAndReportsErrorsWithTheirPlace)
{
    Programs p;
    const std::string cwd = fs::current_path().string();
    const ProcessEnv appPath{{{"KORCAD_APP_PATH", "/opt/a:/opt/b"}}, {}};
    expectRuns({
        {{"--no-load", "-e", "(+ 1 2)", "-e", "(list 1 \"c\" 2.5)", "-e", "(setq a 5) (* a 2)"}, 0, "3\n(1 \"c\" 2.5)\n10\n"},
        {{"--no-load", p.lib.path(), "-e", "(greet \"Welt\")"}, 0, "loaded\n\"Hallo Welt\"\n"},
        // An unhandled error stops the run, also one that *error* saw.
        {{"--no-load", "-e", "(princ \"before\")", "-e", "(foo 1)", "-e", "(princ \"never\")"}, 1, "before\"before\"\n",
         "; error: no function definition: FOO\n;        in -e (foo 1)\n"},
        {{"--no-load", "-e", "(defun *error* (m) (princ (strcat \"E:\" m)))", "-e", "(/ 1 0)"}, 1,
         "*ERROR*\nE:divide by zero", "\n; error: divide by zero\n;        in -e (/ 1 0)\n"},
        // An error in a file names the file and the line, of every file that loads it too.
        {{"--no-load", p.bad}, 1, "",
         "; error: bad argument type: consp 1\n;        in " + p.bad + ", expression at line 3\n"},
        {{"--no-load", p.outer}, 1, "",
         "; error: bad argument type: consp 1\n;        in " + p.bad + ", expression at line 3\n;        in " + p.outer +
             ", expression at line 2\n"},
        {{"--no-load", p.open}, 1, "ok",
         "\n; error: malformed list on input\n;        in " + p.open + ", expression at line 2\n"},
        // A program file or a load that finds nothing says where it looked; a folder is no program.
        {{"--no-load", "/nonexistent/dir/prog.lsp"}, 1, "",
         "; error: LOAD failed: \"/nonexistent/dir/prog.lsp\"\n;        no such file: /nonexistent/dir/prog.lsp\n"},
        {{"--no-load", p.dir}, 1, "",
         "; error: LOAD failed: \"" + p.dir + "\"\n;        " + p.dir + " is a directory, not a LISP program file\n"},
        {{"--no-load", p.helpers}, 1, "x",
         "\n; error: LOAD failed: \"helpers\"\n;        not found: looked for helpers and helpers.lsp in the current "
         "directory (" + cwd + "), /opt/a, /opt/b\n;        in " + p.helpers + ", expression at line 2\n", "", appPath},
        {{"--no-load", "-e", "(load \"helpers\" 'none)"}, 0, "NONE\n", "", "", appPath},
    });
}

// Without -e or a program korcad reads its command line from standard input.
TEST(KorcadCommand, TheCommandLineOnStandardInput)
{
    expectRuns({
        {{"--no-load"}, 0,
         "Befehl: 3\n"
         "Befehl: ; error: bad argument type: consp 1\n"
         "Befehl: C:HALLO\n"
         "Befehl: Hallo!"
         "Befehl: (_> (1 2)\n"
         "Befehl: nil\n"
         "Befehl: \"x\"\n"
         "Befehl: \"x\"\n"
         "Befehl: Unbekannter Befehl \"UNBEKANNT\".\n"
         "Befehl: Zahl: 21\n"
         "Befehl: abc\n; error: bad argument type: consp 1\n"
         "Befehl: ghi\n; error: bad argument type: consp 1\n"
         "Befehl: \n",
         "",
         "(+ 1 2)\n(car 1)\n(defun c:hallo () (princ \"Hallo!\") (princ))\nhallo\n(list 1\n  2)\n!hallo-var\n"
         "(setq hallo-var \"x\")\n!hallo-var\nunbekannt\n(getint \"Zahl: \")\n21\n"
         "(progn (princ \"abc\") (car 1))\n(progn (princ \"ghi\") (terpri) (car 1))\n"},
        {{"--no-load"}, 0, "Befehl: ", "", "quit\n(princ \"never\")\n"},
    });
}

TEST(KorcadCommand, OptionsHelpLimitsAndFailedOutput)
{
    Programs p;
    TempFile config("unused", "");
    fs::create_directories(config.dir() + "/kor");
    std::ofstream(config.dir() + "/kor/databases.ini", std::ios::binary)
        << "[databases]\nKATAL\xB7G = katalog.sqlite\nWASSER = wasser.sqlite\n";
    const std::string usage = "\nTry 'korcad --help' for more information.\n";
    expectRuns({
        {{"--help"}, 0, korcad::helpText()},
        {{"--frobnicate"}, 2, "", "korcad: unknown option --frobnicate" + usage},
        // The limits a batch run sets stop a program: a LISP error past which nothing evaluates.
        {{"--no-load", "--max-steps", "100000", "-e", "(defun *error* (m) (princ (strcat \"E:\" m \"\\n\")))", "-e",
          "(while T)"}, 1, "*ERROR*\n", "; error: step limit reached\n;        in -e (while T)\n"},
        // Output that cannot be written fails the run; nothing written to a closed stdout is fine.
        {{}, 1, "", "korcad: write error on standard output: No space left on device\n", "", {},
         p.korcad + "-e '(princ \"hello\")' > /dev/full"},
        {{}, 1, "", "korcad: write error on standard output: Bad file descriptor\n", "", {},
         p.korcad + "-e '(princ \"hello\")' >&-"},
        {{}, 0, "", "", "", {}, p.korcad + p.quiet + " >&-"},
        // A databases.ini name with a byte that is no UTF-8 is refused with its line (found by fuzzing).
        {{"--no-load", "-e", "(+ 1 2)"}, 0, "3\n",
         "kordb: " + config.dir() + "/kor/databases.ini:2: kein Datenbankname: \"KATAL\uFFFDG\"\n", "",
         {{{"XDG_CONFIG_HOME", config.dir()}}, {}}},
    });
}

TEST(KorcadCommand, LoadsTheModuleStartingNoGuiForItAndCancelsADialogNobodyCanAnswer)
{
    Programs p;
    TempFile config("unused", "");
    const ProcessEnv noDisplay{{{"XDG_CONFIG_HOME", config.dir()}}, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}};
    const ProcessEnv x11{{{"QT_QPA_PLATFORM", "xcb"}}, {"DISPLAY", "WAYLAND_DISPLAY", "KORCAD_APP_PATH"}};
    // A copy of korcad with no ../lib beside it finds no module: a report, unless --no-load.
    const std::string copy = "cp '" KORCAD_PATH "' " + p.dir + "/korcad && " + p.dir + "/korcad ";
    expectRuns({
        // Without a display and with Qt told to use X11, starting the GUI would fail loudly.
        {{"-e", "(+ 1 2)", "-e", "(arx)"}, 0, "3\n(\"korDialog.so\")\n", "", "", x11},
        // Nobody can see a dialog: cancelled at once with one line (timeout bounds a korcad that waits).
        {{}, 0, "-1\n3\n",
         "korcad: dialog \"Linienstärke Auswahl\" (template 30051) cannot be answered: there is no display and no "
         "answers file (--answers); it is cancelled\n", "", noDisplay,
         "timeout 60 '" KORCAD_PATH "' -e '(korDialog_LWeightDialog 0)' -e '(+ 1 2)'"},
        {{}, 1, "",
         "korcad: cannot load the korDialog module: ARXLOAD failed: \"korDialog\" not found (searched " +
             fs::path(p.dir).parent_path().string() + "/lib/korcad:.)\nkorcad: set KORCAD_APP_PATH or start with --no-load\n",
         "", x11, copy + "-e '(+ 1 2)'"},
        {{}, 0, "3\n", "", "", x11, copy + "--no-load -e '(+ 1 2)'"},
    });
}

// grdraw draws over the view; grread takes a pick in it as the point it answers.
TEST(KorcadCommand, GrdrawDrawsOverTheViewAndGrreadTakesAPick)
{
    TempFile answers("answers.txt", "pick 1,1\n");
    ProcessResult r = runProcess({KORCAD_PATH, "--answers", answers.path(), "-e", "(grdraw '(-1000 -1000) '(1000 1000) 1)",
                                  "-e", "(grread T)"}, "", {{{"KOR_DEBUGLOG", "off"}, {"QT_QPA_PLATFORM", "offscreen"}}, {}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("nil\n1,1\n(3 (1.0 1.0 0.0))"), std::string::npos) << r.out;
}

}  // namespace
