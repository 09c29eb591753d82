// korDialog_ButtonValue on the user's path: korcad runs LISP, the module shows its window, an
// answers file plays the user, and LISP gets the answer in its type.
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

bool contains(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

const std::string kLiteral = "(korDialog_ButtonValue \"WASSER\" \"TEXTE\" \"Nennweite\" \"Aus Zeichnung\" 150 \"DN150\")";

TEST(KorcadButtonValue, ATypedValueComesBackAsARealAndTheBackButtonAsItsText)
{
    KorcadRun r = korcad({"-e", kLiteral, "-e", kLiteral, "-e", kLiteral},
                         "type 1002 \"125,5\"\nkey Enter\n"
                         "click \"Aus Zeichnung\"\n"
                         "key Escape\n");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    // "125,5" as a German user types it: the comma is the decimal sign.
    EXPECT_EQ(r.process.out, "(1 125.5)\n(2 \"DN150\")\n(0)\n");
    EXPECT_TRUE(contains(r.log, "[Dialog] > korDialog_ButtonValue -> ButtonValue()\r\n")) << r.log;
    EXPECT_TRUE(contains(r.log, "[DialogReturn] return '125,5' -> RSRSLT\r\n")) << r.log;
    EXPECT_TRUE(contains(r.log, "[DialogReturn] return 'DN150' -> RSRSLT\r\n")) << r.log;
    EXPECT_TRUE(contains(r.log, "[DialogReturn] cancel -> return 0 -> RSRSLT\r\n")) << r.log;
}

TEST(KorcadButtonValue, TheDefaultKeepsAPointUnderAGermanDesktopLocale)
{
    // Qt puts the desktop's locale into force once the first window opens.
    TempFile answers("a.txt", "ok\nok\n");
    std::string logPath = answers.dir() + "/kordebug.log";
    ProcessEnv env{{{"KOR_DEBUGLOG", logPath}, {"QT_QPA_PLATFORM", "offscreen"}, {"XDG_CONFIG_HOME", answers.dir()},
                    {"LANG", "de_DE.UTF-8"}, {"LC_ALL", "de_DE.UTF-8"}},
                   {"DISPLAY", "WAYLAND_DISPLAY"}};
    const std::string call = "(korDialog_ButtonValue \"W\" \"T\" \"Länge\" \"Z\" 12.346 \"B\")";
    ProcessResult p = runProcess({KORCAD_PATH, "--answers", answers.path(), "-e", call, "-e", call}, "", env);
    EXPECT_EQ(p.exitCode, 0) << p.err;
    EXPECT_EQ(p.out, "(1 12.35)\n(1 12.35)\n");
    EXPECT_EQ(readFile(logPath).find("12,35"), std::string::npos) << readFile(logPath);
}

TEST(KorcadButtonValue, ArgumentErrorsReachLispAsTheirCodes)
{
    const std::vector<std::pair<std::string, std::string>> calls = {
        {"(korDialog_ButtonValue \"\" \"T\" \"K\" \"Z\" 1 \"B\")", "(-1)"},
        {"(korDialog_ButtonValue \"W\" \"\" \"K\" \"Z\" 1 \"B\")", "(-2)"},
        {"(korDialog_ButtonValue \"W\" \"T\" 0 \"Z\" 1 \"B\")", "(-3)"},
        {"(korDialog_ButtonValue \"W\" \"T\" \"K\" '(1) 1 \"B\")", "(-4)"},
        {"(korDialog_ButtonValue \"W\" \"T\" \"K\" \"Z\" nil \"B\")", "(-5)"},
        {"(korDialog_ButtonValue \"W\" \"T\" \"K\" \"Z\" 1 \"\")", "(-6)"},
        {"(korDialog_ButtonValue \"NIRGENDS\" \"TEXTE\" 3 \"Z\" 1 \"B\")", "(-7)"},
    };
    std::vector<std::string> args;
    std::string expected;
    for (const auto& [call, answer] : calls) {
        args.insert(args.end(), {"-e", call});
        expected += answer + "\n";
    }
    KorcadRun r = korcad(args, "");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, expected);
    EXPECT_TRUE(contains(r.log, "[DialogReturn] Keine Strings aus Datenbank -> return -> RSERR\r\n")) << r.log;
}

TEST(KorcadButtonValue, ABackValueThatIsNoTextStopsTheProgramWithAnADSRequestError)
{
    // The function hands no answer over and fails: korcad, as a CAD program does, ends the
    // LISP program there with an ADS request error naming the function.
    KorcadRun r = korcad({"-e", "(korDialog_ButtonValue \"W\" \"T\" \"K\" \"Z\" 1)", "-e", "(princ \"nie\")"}, "");
    EXPECT_EQ(r.process.exitCode, 1);
    EXPECT_EQ(r.process.out, "");
    EXPECT_TRUE(contains(r.process.err, "ADS request error: korDialog_ButtonValue")) << r.process.err;
    EXPECT_FALSE(contains(r.log, "[DialogReturn]")) << r.log;
}

TEST(KorcadButtonValue, LabelsComeFromTheSampleDatabaseOrTheOneGivenWithDb)
{
    // Identifier 11 is "Schieberstellung" in the sample WASSER and "Messen" in GAS: the user
    // clicks the caption the lookup found, so a wrong database makes the click fail.
    const std::string call = "(korDialog_ButtonValue \"WASSER\" \"TEXTE\" 1 11 1.2 \"ZEICHNUNG\")";
    KorcadRun sample = korcad({"-e", call}, "click \"Schieberstellung\"\n");
    EXPECT_EQ(sample.process.exitCode, 0) << sample.process.err;
    EXPECT_EQ(sample.process.out, "(2 \"ZEICHNUNG\")\n");

    KorcadRun other = korcad({"--db", "WASSER=" KOR_SAMPLE_DB_DIR "/gas.sqlite", "-e", call}, "click \"Messen\"\n");
    EXPECT_EQ(other.process.exitCode, 0) << other.process.err;
    EXPECT_EQ(other.process.out, "(2 \"ZEICHNUNG\")\n");

    // A database file that is not there: the lookup fails and LISP hears -7.
    KorcadRun missing = korcad({"--db", "WASSER=/nonexistent/wasser.sqlite", "-e", call}, "");
    EXPECT_EQ(missing.process.out, "(-7)\n") << missing.process.err;
    EXPECT_TRUE(contains(missing.log, "[DialogReturn] Keine Strings aus Datenbank -> return -> RSERR\r\n")) << missing.log;
}

TEST(KorcadButtonValue, TheDemoAsksForTheCoverWithLabelsFromTheSampleDatabase)
{
    TempFile shots("keep", "");
    KorcadRun r = runDemo(shots.dir());
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_TRUE(contains(r.process.out, "Überdeckung: 1.35 m")) << r.process.out;
    EXPECT_TRUE(contains(r.log, "[DialogReturn] return '1.35' -> RSRSLT\r\n")) << r.log;
    EXPECT_TRUE(std::filesystem::exists(shots.dir() + "/ueberdeckung.png"));
}

}  // namespace
