// Numbers and angles as text and back: rtos with DIMZIN, LUNITS and LUPREC; distof; angtos
// and angtof in the five angle modes; cvunit; ascii and chr over the whole range.
#include "lisp_session.h"

namespace {

using LispConversion = LispSession;

TEST_F(LispConversion, RtosFollowsDimzin)
{
    expectAll({
        {"(rtos 1.5 2 4)", "\"1.5000\""},  // DIMZIN 0: the zeros stay
        {"(setvar \"DIMZIN\" 8)", "8"},
        {"(list (rtos 1.5 2 4) (rtos 2.0 2 4) (rtos 0.5 2 3) (rtos 100 2 2))",
         "(\"1.5\" \"2\" \"0.5\" \"100\")"},
        {"(rtos 1234.5 1 4)", "\"1.2345E+03\""},
        {"(rtos 1500 1 4)", "\"1.5E+03\""},
        {"(rtos 14.5 3 4)", "\"1'-2.5\\\"\""},
        {"(setvar \"DIMZIN\" 4)", "4"},
        {"(list (rtos 0.5 2 2) (rtos -0.25 2 2) (rtos 10.5 2 1))", "(\".50\" \"-.25\" \"10.5\")"},
        {"(setvar \"DIMZIN\" 12)", "12"},
        {"(list (rtos 0.5 2 4) (rtos 0.0 2 2))", "(\".5\" \"0\")"},
        // Feet and inches: 1 keeps zero feet and zero inches, 2 drops zero inches.
        {"(setvar \"DIMZIN\" 1)", "1"},
        {"(list (rtos 6 4 0) (rtos 24 4 0))", "(\"0'-6\\\"\" \"2'-0\\\"\")"},
        {"(setvar \"DIMZIN\" 2)", "2"},
        {"(list (rtos 6 4 0) (rtos 24 4 0) (rtos 30 4 0))", "(\"0'-6\\\"\" \"2'\" \"2'-6\\\"\")"},
        {"(setvar \"DIMZIN\" 0)", "0"},
        {"(list (rtos 6 4 0) (rtos 24 4 0))", "(\"6\\\"\" \"2'-0\\\"\")"},
    });
}

TEST_F(LispConversion, RtosDefaultsToLunitsAndLuprec)
{
    expectAll({
        {"(rtos 3.14159)", "\"3.1416\""},
        {"(setvar \"LUPREC\" 2)", "2"},
        {"(rtos 3.14159)", "\"3.14\""},
        {"(rtos 3.14159 2 3)", "\"3.142\""},  // given arguments win
        {"(setvar \"LUNITS\" 4)", "4"},
        {"(rtos 14.5)", "\"1'-2 1/2\\\"\""},
        {"(rtos 14.5 nil 1)", "\"1'-2 1/2\\\"\""},
        {"(rtos 14.5 2)", "\"14.50\""},
        {"(rtos 1.0 0)", "error: bad argument value: units mode: 0"},
        {"(rtos 1.0 2 9)", "error: bad argument value: precision: 9"},
        {"(rtos 1.0 2 -1)", "error: bad argument value: precision: -1"},
        {"(rtos nil)", "error: bad argument type: numberp: nil"},
        {"(rtos 1.0 \"2\")", "error: bad argument type: fixnump: \"2\""},
    });
}

TEST_F(LispConversion, DistofReadsEveryMode)
{
    expectAll({
        {"(distof \"12.5\")", "12.5"},
        {"(distof \" 12.5 \" 2)", "12.5"},
        {"(distof \"1.25E+01\" 1)", "12.5"},
        {"(distof \"1'-2.5\\\"\" 3)", "14.5"},
        {"(distof \"1'-2 1/2\\\"\" 4)", "14.5"},
        {"(distof \"2'\" 4)", "24.0"},
        {"(distof \"6\\\"\" 4)", "6.0"},
        {"(distof \"-1'-6\\\"\" 4)", "-18.0"},
        {"(distof \"3 3/4\" 5)", "3.75"},
        {"(distof \"3/4\" 5)", "0.75"},
        {"(distof \"-3/4\" 5)", "-0.75"},
        {"(distof \"1'\" 2)", "nil"},  // no feet in decimal mode
        {"(list (distof \"abc\") (distof \"\") (distof \"1/0\" 5) (distof \"1'-x\\\"\" 4))",
         "(nil nil nil nil)"},
        {"(distof \"1.0\" 6)", "error: bad argument value: units mode: 6"},
        {"(distof 1)", "error: bad argument type: stringp 1"},
        // What rtos writes, distof reads back.
        {"(mapcar '(lambda (m) (distof (rtos 17.5 m 2) m)) '(1 2 3 4 5))",
         "(17.5 17.5 17.5 17.5 17.5)"},
    });
}

TEST_F(LispConversion, AngtosInTheFiveModes)
{
    expectAll({
        {"(angtos 0.785398)", "\"45\""},
        {"(angtos 0.785398 0 4)", "\"45.0000\""},
        {"(angtos pi 1 4)", "\"180d0'0\\\"\""},
        {"(angtos 0.5 1 0)", "\"29d\""},
        {"(angtos 0.5 1 2)", "\"28d39'\""},
        {"(angtos 0.5 1 6)", "\"28d38'52.40\\\"\""},
        {"(angtos 0.785398 2 2)", "\"50.00g\""},
        {"(angtos 1 3 4)", "\"1.0000r\""},
        {"(angtos (* pi 0.75) 4 4)", "\"N 45d0'0\\\" W\""},
        {"(angtos (* pi 1.75) 4 4)", "\"S 45d0'0\\\" E\""},
        {"(angtos (/ pi 6) 4 4)", "\"N 60d0'0\\\" E\""},
        {"(mapcar '(lambda (a) (angtos a 4)) (list 0 (/ pi 2) pi (* 1.5 pi)))",
         "(\"E\" \"N\" \"W\" \"S\")"},
        {"(angtos -0.5 0 2)", "\"331.35\""},                // taken into 0 .. 2 pi
        {"(angtos (+ (* 2 pi) 0.1) 0 2)", "\"5.73\""},
        {"(angtos (* 2 pi) 0 2)", "\"0.00\""},
        {"(setvar \"AUNITS\" 2)", "2"},
        {"(angtos pi)", "\"200g\""},
        {"(setvar \"AUPREC\" 3)", "3"},
        {"(angtos pi)", "\"200.000g\""},
        {"(angtos 1 5)", "error: bad argument value: angle units mode: 5"},
        {"(angtos 1 0 9)", "error: bad argument value: precision: 9"},
        {"(angtos \"1\")", "error: bad argument type: numberp: \"1\""},
    });
}

TEST_F(LispConversion, AngtofReadsWhatAngtosWrites)
{
    expectAll({
        {"(angtof \"45\")", "0.785398"},
        {"(angtof \"45d30'\" 1)", "0.794125"},
        {"(angtof \"45d30'15.5\\\"\" 1)", "0.7942"},
        {"(angtof \"50g\" 2)", "0.785398"},
        {"(angtof \"1.5r\" 3)", "1.5"},
        {"(angtof \"N 45d E\" 4)", "0.785398"},
        {"(angtof \"S 45d0'0\\\" W\" 4)", "3.92699"},
        {"(angtof \"N\" 4)", "1.5708"},
        {"(angtof \"-90\")", "4.71239"},
        {"(list (angtof \"xyz\") (angtof \"\") (angtof \"N 95d E\" 4) (angtof \"45d x\" 1))",
         "(nil nil nil nil)"},
        {"(mapcar '(lambda (m) (equal (angtof (angtos 1.2345 m 8) m) 1.2345 1e-6)) '(0 1 2 3 4))",
         "(T T T T T)"},
        {"(angtof \"45\" 7)", "error: bad argument value: angle units mode: 7"},
        {"(angtof 45)", "error: bad argument type: stringp 45"},
    });
}

TEST_F(LispConversion, CvunitForCommonUnits)
{
    expectAll({
        {"(cvunit 1 \"inch\" \"cm\")", "2.54"},
        {"(cvunit 2 \"feet\" \"inches\")", "24.0"},
        {"(cvunit 1500 \"mm\" \"m\")", "1.5"},
        {"(cvunit 1 \"minute\" \"second\")", "60.0"},
        {"(cvunit 180 \"degree\" \"radian\")", "3.14159"},
        {"(cvunit 100 \"grad\" \"degree\")", "90.0"},
        {"(cvunit 1 \"acre\" \"sq yard\")", "4840.0"},
        {"(cvunit 1 \"sq m\" \"sq cm\")", "10000.0"},
        {"(cvunit 1 \"cu m\" \"liter\")", "1000.0"},
        {"(cvunit 1 \"kg\" \"gram\")", "1000.0"},
        {"(cvunit '(1 2 3) \"m\" \"mm\")", "(1000.0 2000.0 3000.0)"},
        {"(cvunit 1.0 \"meter\" \"degree\")", "nil"},  // different kinds
        {"(cvunit 1 \"furlong\" \"m\")", "nil"},
        {"(cvunit \"1\" \"m\" \"mm\")", "error: bad argument type: numberp: \"1\""},
        {"(cvunit 1 'm \"mm\")", "error: bad argument type: stringp M"},
    });
}

TEST_F(LispConversion, AsciiAndChrOverTheWholeRange)
{
    expectAll({
        {"(ascii \"€\")", "8364"},
        {"(chr 8364)", "\"€\""},
        {"(ascii \"😀\")", "128512"},
        {"(strlen (chr 128512))", "1"},
        {"(list (ascii (chr 1)) (ascii (chr 127)) (ascii (chr 255)) (ascii (chr 65535)))",
         "(1 127 255 65535)"},
        {"(chr 0)", "\"\""},
        {"(ascii 65)", "error: bad argument type: stringp 65"},
        {"(chr 55296)", "error: bad argument value: character code: 55296"},
        {"(chr 65.0)", "error: bad argument type: fixnump: 65.0"},
    });
}

}  // namespace
