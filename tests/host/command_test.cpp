// korcad as a person runs it: command line, files, exit codes, the terminal command line.
#include "run_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

ProcessResult korcad(std::vector<std::string> args, const std::string& input = "",
                     const ProcessEnv& env = {})
{
    args.insert(args.begin(), KORCAD_PATH);
    return runProcess(args, input, env);
}

TEST(KorcadCommand, EvaluatesExpressionsInOrderAndPrintsThemAsPrin1)
{
    auto r = korcad({"--no-load", "-e", "(+ 1 2)", "-e", "(list 1 \"c\" 2.5)", "-e",
                     "(setq a 5) (* a 2)"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "3\n(1 \"c\" 2.5)\n10\n");
    EXPECT_EQ(r.err, "");
}

TEST(KorcadCommand, UnhandledErrorStopsWithMessageOnStderr)
{
    auto r = korcad({"--no-load", "-e", "(princ \"before\")", "-e", "(foo 1)", "-e",
                     "(princ \"never\")"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "before\"before\"\n");
    EXPECT_NE(r.err.find("; error: no function definition: FOO"), std::string::npos) << r.err;
}

TEST(KorcadCommand, ErrorHandledByStarErrorStillFailsTheRun)
{
    auto r = korcad({"--no-load", "-e", "(defun *error* (m) (princ (strcat \"E:\" m)))", "-e",
                     "(/ 1 0)"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "*ERROR*\nE:divide by zero");
    EXPECT_NE(r.err.find("divide by zero"), std::string::npos);
}

TEST(KorcadCommand, LoadsFilesAndExpressionsInCommandLineOrder)
{
    TempFile lib("lib.lsp",
                 ";; helper functions\n"
                 "(defun greet (name) (strcat \"Hallo \" name))\n"
                 "(princ \"loaded\\n\")\n"
                 "(princ)\n");
    auto r = korcad({"--no-load", lib.path(), "-e", "(greet \"Welt\")"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "loaded\n\"Hallo Welt\"\n");
}

TEST(KorcadCommand, LoadFindsFilesAlongTheApplicationPath)
{
    TempFile helper("helper.lsp", "(defun helper () \"from helper\")\n(helper)\n");
    ProcessEnv env{{{"KORCAD_APP_PATH", "/nonexistent:" + helper.dir()}}, {}};
    auto r = korcad({"--no-load", "-e", "(load \"helper\")", "-e", "(load \"helper.lsp\")"}, "",
                    env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\"from helper\"\n\"from helper\"\n");

    auto absolute = korcad({"--no-load", "-e", "(load \"" + helper.path() + "\")"});
    EXPECT_EQ(absolute.out, "\"from helper\"\n");
}

TEST(KorcadCommand, ErrorInFileNamesFileAndLine)
{
    TempFile bad("bad.lsp", "(setq x 1)\n\n(setq y\n  (car x))\n(princ \"never\")\n");
    auto r = korcad({"--no-load", bad.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("; error: bad argument type: consp 1"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(bad.path() + ", expression at line 3"), std::string::npos) << r.err;

    // An error in a file that another file loads names the inner place first, then the outer.
    TempFile outer("outer.lsp", "(princ)\n(load \"" + bad.path() + "\")\n");
    auto nested = korcad({"--no-load", outer.path()});
    EXPECT_EQ(nested.exitCode, 1);
    EXPECT_NE(nested.err.find(";        in " + bad.path() + ", expression at line 3\n"
                              ";        in " + outer.path() + ", expression at line 2\n"),
              std::string::npos)
        << nested.err;
}

// Program files from Windows come in its Western code page; their umlauts arrive intact.
TEST(KorcadCommand, FileInWindowsCodePageIsReadAsSuch)
{
    TempFile ansi("ansi.lsp", "(setq s \"Gr\xFC\xDF" "e \x80\")\n");
    auto r = korcad({"--no-load", ansi.path(), "-e", "(list s (strlen s))", "-e",
                     "(load \"" + ansi.path() + "\") (substr s 3 2)"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "(\"Grüße €\" 7)\n\"üß\"\n");
}

TEST(KorcadCommand, MissingFileAndBrokenSyntaxAreErrors)
{
    auto missing = korcad({"--no-load", "/nonexistent/dir/prog.lsp"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("LOAD failed: \"/nonexistent/dir/prog.lsp\""), std::string::npos);

    TempFile open("open.lsp", "(princ \"ok\")\n(defun f (x)\n  (+ x 1)\n");
    auto broken = korcad({"--no-load", open.path()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.out, "ok");
    EXPECT_NE(broken.err.find("malformed list on input"), std::string::npos) << broken.err;
}

// A program file or a load that finds nothing says where it looked; a folder is no program.
TEST(KorcadCommand, MissingFilesNameThePlacesSearched)
{
    TempFile here("unused", "");
    auto relative = runProcess({"/bin/sh", "-c", "cd " + here.dir() + " && " KORCAD_PATH
                                " --no-load prog.lsp"});
    EXPECT_EQ(relative.exitCode, 1);
    EXPECT_NE(relative.err.find("; error: LOAD failed: \"prog.lsp\"\n"
                                ";        no such file: prog.lsp (looked in the current "
                                "directory, " + here.dir() + ")\n"),
              std::string::npos)
        << relative.err;

    auto folder = korcad({"--no-load", here.dir()});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.out, "");
    EXPECT_NE(folder.err.find(here.dir() + " is a directory, not a LISP program file"),
              std::string::npos)
        << folder.err;

    // load: the names tried, the current directory and every KORCAD_APP_PATH directory; in
    // a file, also the line of the load.
    ProcessEnv env{{{"KORCAD_APP_PATH", "/opt/a:/opt/b"}}, {}};
    TempFile outer("outer.lsp", "(princ \"x\")\n(load \"helpers\")\n");
    auto nested = korcad({"--no-load", outer.path()}, "", env);
    EXPECT_EQ(nested.exitCode, 1);
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_NE(nested.err.find("; error: LOAD failed: \"helpers\"\n"
                              ";        not found: looked for helpers and helpers.lsp in the "
                              "current directory (" + cwd + "), /opt/a, /opt/b\n"
                              ";        in " + outer.path() + ", expression at line 2\n"),
              std::string::npos)
        << nested.err;

    auto absolute = korcad({"--no-load", "-e", "(load \"/nonexistent/lib.lsp\")"});
    EXPECT_NE(absolute.err.find(";        not found: looked for /nonexistent/lib.lsp\n"),
              std::string::npos)
        << absolute.err;

    // The fallback value of load still answers quietly.
    auto fallback = korcad({"--no-load", "-e", "(load \"helpers\" 'none)"}, "", env);
    EXPECT_EQ(fallback.out, "NONE\n");
    EXPECT_EQ(fallback.err, "");
}

// An error after output that left its line open starts on a line of its own; the output
// itself stays as the program wrote it.
TEST(KorcadCommand, ErrorAfterOpenOutputLineStartsANewLine)
{
    auto line = korcad({"--no-load"}, "(progn (princ \"abc\") (car 1))\n"
                                      "(progn (princ \"ghi\") (terpri) (car 1))\n");
    EXPECT_EQ(line.exitCode, 0) << line.err;
    EXPECT_EQ(line.out,
              "Befehl: abc\n; error: bad argument type: consp 1\n"
              "Befehl: ghi\n; error: bad argument type: consp 1\n"
              "Befehl: \n");

    // With -e the message goes to standard error: it opens with the line end there.
    auto expr = korcad({"--no-load", "-e", "(progn (princ \"abc\") (car 1))"});
    EXPECT_EQ(expr.exitCode, 1);
    EXPECT_EQ(expr.out, "abc");
    EXPECT_EQ(expr.err.rfind("\n; error: bad argument type: consp 1\n", 0), 0u) << expr.err;
    auto closed = korcad({"--no-load", "-e", "(progn (princ \"abc\\n\") (car 1))"});
    EXPECT_EQ(closed.err.rfind("; error: bad argument type: consp 1\n", 0), 0u) << closed.err;
}

TEST(KorcadCommand, HelpExplainsEveryOption)
{
    auto r = korcad({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option : {"-e", "--dwg", "--no-load", "--answers", "--shots", "--db",
                               "--help", "KORCAD_APP_PATH", "ADS request error", "XDG_STATE_HOME",
                               "Ctrl-C ends korcad", "--max-steps", "--max-memory"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST(KorcadCommand, WrongCommandLineIsAUsageError)
{
    for (auto args : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"-e"}, {"--dwg"}, {"--no-load=yes"}, {"--max-steps", "0"},
             {"--max-steps", "-5"}, {"--max-steps", "12x"}, {"--max-memory"}, {"--max-memory", "99999999999999"}}) {
        auto r = korcad(args);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_NE(r.err.find("korcad: "), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

// Output that cannot be written fails the run, as it does for the core utilities.
TEST(KorcadCommand, AWriteErrorOnStandardOutputIsSaidAndFailsTheRun)
{
    const std::string run = std::string("'") + KORCAD_PATH + "' --no-load -e '(princ \"hello\")'";
    for (auto [redirect, reason] : {std::pair{" > /dev/full", "No space left on device"},
                                    std::pair{" >&-", "Bad file descriptor"}}) {
        auto r = runProcess({"/bin/sh", "-c", run + redirect});
        EXPECT_EQ(r.exitCode, 1) << redirect;
        EXPECT_EQ(r.err, std::string("korcad: write error on standard output: ") + reason + "\n") << redirect;
    }
    auto help = runProcess({"/bin/sh", "-c", std::string("'") + KORCAD_PATH + "' --help > /dev/full"});
    EXPECT_EQ(help.exitCode, 1);
    // Nothing written to a closed standard output is no error.
    TempFile program("still.lsp", "(setq a 1)\n");
    auto quiet = runProcess({"/bin/sh", "-c", std::string("'") + KORCAD_PATH + "' --no-load '" + program.path() + "' >&-"});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
}

// A program that never ends, or grows without end, is stopped by the limits a batch run sets:
// a LISP error like any other, which *error* sees, and the run fails with it.
TEST(KorcadCommand, StepAndMemoryLimitsStopRunawayPrograms)
{
    auto loop = korcad({"--no-load", "--max-steps", "100000", "-e", "(setq i 0)", "-e",
                        "(defun *error* (m) (princ (strcat \"E:\" m \"\\n\")))", "-e", "(while T (setq i (1+ i)))"});
    EXPECT_EQ(loop.exitCode, 1);
    // Past the limit nothing evaluates any more, *error* included.
    EXPECT_EQ(loop.out, "0\n*ERROR*\n");
    EXPECT_NE(loop.err.find("; error: step limit reached"), std::string::npos) << loop.err;

    auto grow = korcad({"--no-load", "--max-memory", "8", "-e", "(setq s \"0123456789abcdef\")", "-e",
                        "(repeat 30 (setq s (strcat s s)))", "-e", "(strlen s)"});
    EXPECT_EQ(grow.exitCode, 1);
    EXPECT_NE(grow.err.find("; error: memory limit reached"), std::string::npos) << grow.err;

    // Within the limits the same program runs as without them.
    auto fine = korcad({"--no-load", "--max-steps=100000", "--max-memory=8", "-e",
                        "(progn (setq s \"ab\") (repeat 10 (setq s (strcat s s))) (strlen s))"});
    EXPECT_EQ(fine.exitCode, 0) << fine.err;
    EXPECT_EQ(fine.out, "2048\n");
}

// Found by fuzzing databases.ini: a name with a byte that is no UTF-8 (here 0xB7 in
// "KATAL\xB7G") was taken as a database name no program could ever name. It is refused with
// its line, as every wrong line is, and the other lines still count.
TEST(KorcadCommand, ADatabasesIniNameThatIsNoUtf8IsRefusedWithItsLine)
{
    TempFile home("unused", "");
    std::string config = home.dir();
    std::filesystem::create_directories(config + "/kor");
    std::ofstream(config + "/kor/databases.ini", std::ios::binary)
        << "[databases]\nKATAL\xB7G = katalog.sqlite\nWASSER = wasser.sqlite\n";
    auto r = korcad({"--no-load", "-e", "(+ 1 2)"}, "", ProcessEnv{{{"XDG_CONFIG_HOME", config}}, {}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "3\n");
    EXPECT_NE(r.err.find("databases.ini:2: kein Datenbankname: \"KATAL"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("databases.ini:3"), std::string::npos) << r.err;
}

// A copy of korcad with no ../lib beside it finds no module: the run stops with a clear
// report, unless --no-load asks for none.
TEST(KorcadCommand, MissingModuleIsReportedUnlessNoLoad)
{
    TempFile copy("korcad", "");
    std::filesystem::copy_file(KORCAD_PATH, copy.path(),
                               std::filesystem::copy_options::overwrite_existing);
    ProcessEnv env{{}, {"KORCAD_APP_PATH"}};
    auto r = runProcess({copy.path(), "-e", "(+ 1 2)"}, "", env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot load the korDialog module: ARXLOAD failed: \"korDialog\" not "
                         "found"),
              std::string::npos)
        << r.err;

    auto noLoad = runProcess({copy.path(), "--no-load", "-e", "(+ 1 2)"}, "", env);
    EXPECT_EQ(noLoad.exitCode, 0) << noLoad.err;
    EXPECT_EQ(noLoad.out, "3\n");
}

TEST(KorcadCommand, TerminalCommandLineEvaluatesRunsCommandsAndSurvivesErrors)
{
    std::string session =
        "(+ 1 2)\n"
        "(car 1)\n"
        "(defun c:hallo () (princ \"Hallo!\") (princ))\n"
        "hallo\n"
        "(list 1\n"
        "  2)\n"
        "!hallo-var\n"
        "(setq hallo-var \"x\")\n"
        "!hallo-var\n"
        "unbekannt\n"
        "(princ)\n";
    auto r = korcad({"--no-load"}, session);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Befehl: 3\n"
              "Befehl: ; error: bad argument type: consp 1\n"
              "Befehl: C:HALLO\n"
              "Befehl: Hallo!"
              "Befehl: (_> (1 2)\n"
              "Befehl: nil\n"
              "Befehl: \"x\"\n"
              "Befehl: \"x\"\n"
              "Befehl: Unbekannter Befehl \"UNBEKANNT\".\n"
              "Befehl: "
              "Befehl: \n");
}

TEST(KorcadCommand, QuitEndsTheCommandLine)
{
    auto r = korcad({"--no-load"}, "quit\n(princ \"never\")\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Befehl: ");
}

#ifdef KORDIALOG_BUILT

TEST(KorcadWithModule, LoadsTheModuleAtStartAndEvaluates)
{
    auto r = korcad({"-e", "(+ 1 2)", "-e", "(list 1 \"c\" 2.5)", "-e", "(arx)"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "3\n(1 \"c\" 2.5)\n(\"korDialog.so\")\n");
}

TEST(KorcadWithModule, LoadingTheModuleTwiceIsALispError)
{
    auto r = korcad({"-e", "(arxload \"korDialog\")"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ARXLOAD failed: application \"korDialog\" already loaded"),
              std::string::npos)
        << r.err;
}

// Without a display and with Qt told to use X11, starting the GUI would fail loudly: a run
// that only evaluates must not come near it.
TEST(KorcadWithModule, EvaluatingStartsNoGui)
{
    ProcessEnv env{{{"QT_QPA_PLATFORM", "xcb"}}, {"DISPLAY", "WAYLAND_DISPLAY"}};
    auto r = korcad({"-e", "(+ 1 2)"}, "", env);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "3\n");
    EXPECT_EQ(r.err, "");
}

// Without a display and without answers nobody can see a dialog: it is cancelled at once with
// one line, and the program goes on with the cancelled answer. (timeout bounds a korcad that
// would wait.)
TEST(KorcadWithModule, ADialogNobodyCanAnswerIsCancelledWithOneLine)
{
    TempFile config("unused", "");
    ProcessEnv env{{{"XDG_CONFIG_HOME", config.dir()}}, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}};
    auto r = runProcess({"/usr/bin/timeout", "60", KORCAD_PATH, "-e", "(korDialog_LWeightDialog 0)", "-e", "(+ 1 2)"},
                        "", env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "-1\n3\n");
    EXPECT_EQ(r.err,
              "korcad: dialog \"Linienstärke Auswahl\" (template 30051) cannot be answered: there is no display and no "
              "answers file (--answers); it is cancelled\n");
}
#endif

}  // namespace
