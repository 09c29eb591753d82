// korDialog_SelectColor on the user's path: korcad runs the LISP program, an answers file
// plays the user, the debug log records the answer; examples/farbe.lsp turns the answer into
// the colour index and the true colour an entity of the drawing takes.
#include "korcad_run.h"

#include <gtest/gtest.h>

namespace {

const std::string kFarbe = EXAMPLES_DIR "/farbe.lsp";

TEST(KorcadSelectColor, OkUnchangedAnswersWhiteAndTypedRedAnswers255)
{
    KorcadRun white = korcad({"-e", "(korDialog_SelectColor \"Farbe der Leitung\")"}, "ok\n");
    ASSERT_EQ(white.process.exitCode, 0) << white.process.err;
    EXPECT_EQ(white.process.out, "(1 16777215)\n");
    EXPECT_NE(white.log.find("[DialogReturn] return farbe=16777215 -> RSRSLT\r\n"), std::string::npos) << white.log;

    KorcadRun red = korcad({"-e", "(korDialog_SelectColor \"Farbe\")"},
                           "type 30021 \"255\"\ntype 30023 \"0\"\ntype 30025 \"0\"\nok\n");
    ASSERT_EQ(red.process.exitCode, 0) << red.process.err;
    EXPECT_EQ(red.process.out, "(1 255)\n");
    EXPECT_NE(red.log.find("[DialogReturn] return farbe=255 -> RSRSLT\r\n"), std::string::npos) << red.log;
}

TEST(KorcadSelectColor, AWrongHeadlineAnswersMinusOneAndEscapeAnswersZero)
{
    KorcadRun wrong = korcad({"-e", "(korDialog_SelectColor 5)"}, "");
    ASSERT_EQ(wrong.process.exitCode, 0) << wrong.process.err;
    EXPECT_EQ(wrong.process.out, "(-1)\n");
    EXPECT_NE(wrong.log.find("[DialogReturn] PARAMETERERROR 1: Keine Headline -> return -> RSERR\r\n"),
              std::string::npos)
        << wrong.log;

    KorcadRun escape = korcad({"-e", "(korDialog_SelectColor \"Farbe\")"}, "key Escape\n");
    ASSERT_EQ(escape.process.exitCode, 0) << escape.process.err;
    EXPECT_EQ(escape.process.out, "(0)\n");
    EXPECT_NE(escape.log.find("[DialogReturn] return farbe=0 -> RSRSLT\r\n"), std::string::npos) << escape.log;
}

// The table has the 255 indices; named colours, the hue steps and greys are found as the
// nearest index; the true colour swaps red and blue into the 420 order.
TEST(KorcadSelectColor, FarbeTurnsTheAnswerIntoAnIndexAndATrueColour)
{
    KorcadRun r = korcad({kFarbe, "-e", "(length *farbe-aci*)", "-e", "(nth 10 *farbe-aci*)", "-e",
                          "(nth 249 *farbe-aci*)", "-e",
                          "(mapcar 'farbe-aci (list 255 65280 16711680 65535 16777215 0 8421504 12632256 "
                          "(+ 255 (* 256 128)) (+ 128 (* 256 255)) (+ 79 (* 256 53) (* 65536 53))))",
                          "-e", "(farbe-truecolor 255)", "-e", "(farbe-truecolor (+ 1 (* 256 2) (* 65536 3)))", "-e",
                          "(farbe-rgb 1193046)"},
                         "");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out,
              "255\n"
              "(11 255 170 170)\n"
              "(250 51 51 51)\n"
              "(1 3 5 2 7 250 8 9 30 70 19)\n"
              "16711680\n"
              "66051\n"
              "(86 52 18)\n");
}

TEST(KorcadSelectColor, TheUserChoosesAColourAndTheProgramGetsIndexAndTrueColour)
{
    KorcadRun r = korcad({kFarbe, "-e", "(farbe-waehlen \"Farbe der Leitung\")"},
                         "type 30036 \"255\"\ntype 30045 \"255\"\ntype 30048 \"0\"\nok\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out, "(5 255)\n") << "blue: index 5, true colour 255";

    KorcadRun cancelled = korcad({kFarbe, "-e", "(farbe-waehlen \"Farbe\")"}, "cancel\n");
    EXPECT_EQ(cancelled.process.out, "nil\n");
}

}  // namespace
