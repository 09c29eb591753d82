// Arithmetic and geometry of the LISP library: functions of reals, integer bit operations,
// pi, and the point functions angle, distance, polar, inters and trans.
#include "lisp_session.h"

namespace {

using LispMath = LispSession;

TEST_F(LispMath, FunctionsOfReals)
{
    expectAll({
        {"(sqrt 16)", "4.0"},
        {"(sqrt 2.25)", "1.5"},
        {"(sqrt -1)", "error: function undefined for argument: -1"},
        {"(sqrt \"4\")", "error: bad argument type: numberp: \"4\""},
        {"(list (sin 0) (cos 0) (equal (sin pi) 0.0 1e-12))", "(0.0 1.0 T)"},
        {"(atan 1)", "0.785398"},
        {"(atan 1 -1)", "2.35619"},  // the quadrant of the point (-1, 1)
        {"(atan -1 0)", "-1.5708"},
        {"(atan 0 -1)", "3.14159"},
        {"(atan nil)", "error: bad argument type: numberp: nil"},
        {"(list (exp 0) (exp 1) (log 1) (log (exp 2)))", "(1.0 2.71828 0.0 2.0)"},
        {"(log 0)", "error: function undefined for argument: 0"},
        {"(log -1.5)", "error: function undefined for argument: -1.5"},
        {"(list (rem 5.5 2) (rem -7 2) (rem 7 2.5) (rem 17 5 2))", "(1.5 -1 2.0 0)"},
        {"(rem 1.5 0)", "error: divide by zero"},
    });
}

TEST_F(LispMath, ExptKeepsIntegersForIntegers)
{
    expectAll({
        {"(expt 2 10)", "1024"},
        {"(expt 2.0 3)", "8.0"},
        {"(expt 4 0.5)", "2.0"},
        {"(expt 2 -1)", "0"},
        {"(list (expt 1 -5) (expt -1 -3) (expt 5 0))", "(1 -1 1)"},
        {"(expt 2 31)", "-2147483648"},  // 32-bit integers wrap around
        {"(expt 0 -1)", "error: divide by zero"},
        {"(expt -8 0.5)", "error: function undefined for argument: -8"},
        {"(expt 2 \"3\")", "error: bad argument type: numberp: \"3\""},
    });
}

TEST_F(LispMath, IntegerBitsAndGcd)
{
    expectAll({
        {"(gcd 12 18)", "6"},
        {"(gcd 7 5)", "1"},
        {"(gcd 0 5)", "error: bad argument value: positive: 0"},
        {"(gcd 4 -2)", "error: bad argument value: positive: -2"},
        {"(gcd 1.5 2)", "error: bad argument type: fixnump: 1.5"},
        {"(list (logand 7 12) (logand) (logand 5) (logand 15 6 3))", "(4 0 5 2)"},
        {"(list (logior 1 2 4) (logior) (logior 8))", "(7 0 8)"},
        {"(logand 1.0 3)", "error: bad argument type: fixnump: 1.0"},
        {"(list (lsh 2 1) (lsh 8 -2) (lsh 1 31) (lsh -1 -28) (lsh 5 0) (lsh 1 32))",
         "(4 2 -2147483648 15 5 0)"},
        {"(list (~ 5) (~ 0) (~ -1))", "(-6 -1 0)"},
        {"(~ 1.0)", "error: bad argument type: fixnump: 1.0"},
        {"(list (boole 1 12 5) (boole 6 6 5) (boole 7 1 2 4) (boole 8 0 0) (boole 1 5))",
         "(4 3 7 -1 5)"},
        {"(boole 1 1.0 2)", "error: bad argument type: fixnump: 1.0"},
        {"(setq inf (* 1e308 10)) (list (vl-infp inf) (vl-infp 1) (vl-nanp (- inf inf)) (vl-nanp 0.0))",
         "(T nil T nil)"},
        {"(vl-infp \"x\")", "error: bad argument type: numberp: \"x\""},
        // OSMODE-style flags: is the bit for endpoints set?
        {"(/= 0 (logand 4133 1))", "T"},
    });
}

TEST_F(LispMath, PiIsAVariable)
{
    expectAll({
        {"pi", "3.14159"},
        {"(type pi)", "REAL"},
        {"(equal (* 4 (atan 1)) pi 1e-15)", "T"},
        {"(boundp 'pi)", "T"},
    });
}

TEST_F(LispMath, AngleDistancePolar)
{
    expectAll({
        {"(angle '(0 0) '(0 1))", "1.5708"},
        {"(angle '(0 0) '(0 -1))", "4.71239"},  // 0 <= angle < 2 pi
        {"(angle '(1 1) '(1 1))", "0.0"},
        {"(angle '(0 0 5) '(1 1 -3))", "0.785398"},  // in the XY plane
        {"(distance '(0 0) '(3 4))", "5.0"},
        {"(distance '(0 0 0) '(0 0 5))", "5.0"},
        {"(distance '(0 0) '(0 0 5))", "0.0"},  // a 2D point: in the XY plane
        {"(polar '(1 1) 0 2)", "(3.0 1.0)"},
        {"(equal (polar '(0 0 5) (/ pi 2) 1) '(0.0 1.0 5.0) 1e-9)", "T"},
        {"(equal (polar '(1 2) (angle '(1 2) '(4 6)) (distance '(1 2) '(4 6))) '(4.0 6.0) 1e-9)", "T"},
        {"(distance '(0 0) nil)", "error: bad argument type: 2D/3D point: nil"},
        {"(angle '(0) '(1 1))", "error: bad argument type: 2D/3D point: (0)"},
        {"(distance '(0 0 0 0) '(1 1))", "error: bad argument type: 2D/3D point: (0 0 0 0)"},
        {"(polar '(0 \"a\") 0 1)", "error: bad argument type: 2D/3D point: (0 \"a\")"},
        {"(polar '(0 0) 'x 1)", "error: bad argument type: numberp: X"},
    });
}

TEST_F(LispMath, IntersWithAndWithoutTheSegmentCheck)
{
    expectAll({
        {"(inters '(0 0) '(10 10) '(0 10) '(10 0))", "(5.0 5.0)"},
        {"(inters '(0 0) '(1 1) '(0 10) '(10 0))", "nil"},  // beyond the first segment
        {"(inters '(0 0) '(1 1) '(0 10) '(10 0) nil)", "(5.0 5.0)"},
        {"(inters '(0 0) '(1 1) '(0 10) '(10 0) T)", "nil"},
        {"(inters '(0 0) '(1 0) '(0 1) '(1 1) nil)", "nil"},  // parallel
        {"(inters '(0 0) '(2 0) '(1 0) '(3 0) nil)", "nil"},  // on one line: no single point
        {"(inters '(0 0) '(1 0) '(1 0) '(1 1))", "(1.0 0.0)"},  // touching at an end
        {"(inters '(0 0) '(0 0) '(0 1) '(1 1))", "nil"},        // no line at all
        {"(inters '(0 0 1) '(2 0 1) '(1 -1 1) '(1 1 1))", "(1.0 0.0 1.0)"},
        {"(inters '(0 0 0) '(1 0 0) '(0 1 1) '(0 -1 1) nil)", "nil"},  // skew in 3D
        {"(inters '(0 0) '(1 1) '(0 1) nil)", "error: bad argument type: 2D/3D point: nil"},
    });
}

TEST_F(LispMath, TransInTheWorldSystem)
{
    expectAll({
        {"(trans '(1 2) 0 1)", "(1.0 2.0 0.0)"},
        {"(trans '(1 2 3) 1 0)", "(1.0 2.0 3.0)"},
        {"(trans '(1 2 3) 0 2 T)", "(1.0 2.0 3.0)"},
        {"(trans '(1 2 3) 0 '(0 0 1))", "(1.0 2.0 3.0)"},
        {"(trans '(1 2) 0 7)", "error: bad argument value: coordinate system: 7"},
        {"(trans '(1 2) '(1 0 0) 0)", "error: bad argument value: coordinate system: (1 0 0)"},
        {"(trans '(1 2) \"x\" 0)", "error: bad argument type: coordinate system: \"x\""},
        {"(trans 5 0 1)", "error: bad argument type: 2D/3D point: 5"},
    });
}

}  // namespace
