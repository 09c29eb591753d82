// Values on their way between korcad's LISP and the module, as a person's programs send them:
// reals under a German desktop locale once a dialog has started the GUI, text with umlauts
// through the dialog and back, and a list nested deeper than the module reads.
#include "run_process.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

ProcessResult korcad(const std::vector<std::string>& expressions, const std::string& answers,
                     std::vector<std::pair<std::string, std::string>> env = {})
{
    TempFile answersFile("answers.txt", answers);
    std::vector<std::string> args = {KORCAD_PATH, "--answers", answersFile.path()};
    for (const auto& e : expressions) {
        args.push_back("-e");
        args.push_back(e);
    }
    env.push_back({"KOR_DEBUGLOG", "off"});
    env.push_back({"QT_QPA_PLATFORM", "offscreen"});
    return runProcess(args, "", ProcessEnv{env, {"DISPLAY", "WAYLAND_DISPLAY"}});
}

bool germanLocaleExists()
{
    std::string old = std::setlocale(LC_ALL, nullptr);
    bool ok = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::setlocale(LC_ALL, old.c_str());
    return ok;
}

// Qt puts the environment's locale in force for the whole process when its application
// starts (the first dialog): from then on printf would write "2,5". LISP never does.
TEST(KorcadValues, RealsPrintWithAPointUnderAGermanLocaleAfterADialogStartedTheGui)
{
    ASSERT_TRUE(germanLocaleExists()) << "the locale de_DE.UTF-8 is missing: run scripts/setup.sh";
    ProcessResult r = korcad(
        {"(korDialog_ButtonDialog 1 (list \"Maße\") (list \"Größe\" \"B\") (list \"2.5 m\" \"b\"))",
         "(list 2.5 -0.75 1e20 1e-7 (/ 1 3.0) (atof \"2.5\") (+ 2 0.5))",
         "(list (rtos 2.5 2 1) (rtos 2.5 1 3) (vl-princ-to-string 2.5) (read \"2.5\"))",
         "(progn (princ 2.5) (princ))"},
        "click \"Größe\"\n", {{"LANG", "de_DE.UTF-8"}, {"LC_ALL", "de_DE.UTF-8"}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "(1 \"2.5 m\")\n"  // the dialog ran; its caption and value crossed both ways
              "(2.5 -0.75 1.0e+20 1.0e-07 0.333333 2.5 2.5)\n"
              "(\"2.5\" \"2.500E+00\" \"2.5\" 2.5)\n"
              "2.5\n")
        << r.err;
}

// A program can build a list 20,000 levels deep in a loop. The module's value library reads
// at most 1000 levels: deeper, the argument reads as nil and the function answers its own
// argument error, with one line on standard error; korcad goes on.
TEST(KorcadValues, AListNestedTwentyThousandDeepIsRefusedByTheArgumentChecks)
{
    const std::string build = "(progn (setq x nil) (repeat 20000 (setq x (list x))) (length x))";
    ProcessResult r = korcad({build, "(korDialog_ButtonDialog x '(\"T\") '(\"A\") '(\"a\"))",
                              "(korDialog_ButtonDialog 1 x '(\"A\") '(\"a\"))",
                              "(korDialog_ButtonDialog 1 '(\"T\") '(\"A\") (list \"a\" x))",
                              "(korDialog_ButtonDialog 1 '(\"T\") '(\"A\") '(\"a\"))"},
                             "click \"A\"\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.out, "1\n(-1)\n(-2)\n(-5)\n(1 \"a\")\n") << "the whole argument reads as nil" << r.err;
    EXPECT_NE(r.err.find("korlib: argument 1 is a list nested deeper than 1000 levels; it reads as nil\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("korlib: argument 2 is a list nested deeper"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("korlib: argument 4 is a list nested deeper"), std::string::npos) << r.err;
}

}  // namespace
