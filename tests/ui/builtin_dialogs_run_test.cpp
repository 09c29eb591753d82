// getfiled, acad_colordlg, acad_truecolordlg and alert in a korcad run, answered and shot.
#include "korcad_run.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(BuiltinDialogs, KorcadAnswersThemFromAnAnswersFileAndShootsEach)
{
    const std::string dir = uitest::freshDir("builtin-korcad");
    std::ofstream(dir + "/a.dxf") << "0\nEOF\n";
    KorcadRun run = korcad({"--no-load", "--shots", dir + "/shots", "-e",
                            "(list (getfiled \"Öffnen\" \"" + dir + "/\" \"dxf\" 0) (acad_colordlg 7) "
                            "(acad_truecolordlg '(62 . 1)) (alert \"Fertig\"))"},
                           "input \"a\"\n"
                           "type \"Farbe:\" \"VonLayer\"\nok\n"
                           "input \"0,255,0\"\n"
                           "ok\n");
    EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
    EXPECT_EQ(run.process.out, "(\"" + dir + "/a.dxf\" 256 ((62 . 3) (420 . 65280)) nil)\n");
    for (const char* shot : {"001-Öffnen.png", "002-Farbindex-wählen.png", "003-Farbe-wählen.png", "004-korcad.png"})
        EXPECT_TRUE(std::filesystem::exists(dir + "/shots/" + shot)) << shot;
}

}  // namespace
