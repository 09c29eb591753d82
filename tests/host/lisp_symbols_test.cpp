// Symbols as data, the vl-exit and vl-catch-all families, and a parameter named like the
// function passed in it.
#include "lisp_session.h"

namespace {

using LispSymbols = LispSession;

TEST_F(LispSymbols, SymbolNamesValuesAndPredicates)
{
    expectAll({
        {"(vl-symbol-name 'abc)", "\"ABC\""},
        {"(vl-symbol-name \"abc\")", "error: bad argument type: symbolp \"abc\""},
        {"(vl-symbol-name nil)", "error: bad argument type: symbolp nil"},
        {"(setq v1 5) (vl-symbol-value 'v1)", "5"},
        {"(vl-symbol-value 'never-set-here)", "nil"},
        {"(type (vl-symbol-value 'car))", "SUBR"},
        {"(vl-symbol-value 5)", "error: bad argument type: symbolp 5"},
        {"(list (vl-symbolp 'a) (vl-symbolp nil) (vl-symbolp \"a\") (vl-symbolp 1) (vl-symbolp T))",
         "(T nil nil nil T)"},
        {"(list (boundp nil) (boundp 'pi) (boundp 'never-set-here))", "(nil T nil)"},
        {"(boundp 5)", "error: bad argument type: symbolp 5"},
    });
}

TEST_F(LispSymbols, AtomsFamily)
{
    expectAll({
        {"(atoms-family 1 '(\"CAR\" \"NO-SUCH-THING-XYZ\" \"vl-sort\"))", "(\"CAR\" nil \"VL-SORT\")"},
        {"(atoms-family 0 '(\"car\"))", "(CAR)"},
        {"(and (member \"VL-SORT\" (atoms-family 1)) (member 'WCMATCH (atoms-family 0)) T)", "T"},
        {"(member 'ZZ-NEW (atoms-family 0))", "nil"},
        {"(setq zz-new 1) (car (member 'ZZ-NEW (atoms-family 0)))", "ZZ-NEW"},
        {"(atoms-family 2)", "error: bad argument value: 0 or 1: 2"},
        {"(atoms-family 1 '(car))", "error: bad argument type: stringp CAR"},
    });
}

TEST_F(LispSymbols, ExitWithErrorReachesStarError)
{
    EXPECT_EQ(ev("(defun *error* (msg) (setq seen msg) (princ))"), "*ERROR*");
    EXPECT_EQ(ev("(defun abbruch () (vl-exit-with-error \"Abbruch durch Benutzer\") 1) (abbruch)"),
              "error: Abbruch durch Benutzer");
    EXPECT_EQ(ev("seen"), "\"Abbruch durch Benutzer\"");
    EXPECT_EQ(ev("(setq *error* nil) (vl-catch-all-error-message (vl-catch-all-apply 'abbruch nil))"),
              "\"Abbruch durch Benutzer\"");
    EXPECT_EQ(ev("(vl-exit-with-error 1)"), "error: bad argument type: stringp 1");
}

TEST_F(LispSymbols, ExitWithValueEndsTheCommandWithItsValue)
{
    EXPECT_EQ(ev("(defun f () (vl-exit-with-value 42) (princ \"never\"))"), "F");
    EXPECT_EQ(printed("(defun g () (+ 1 (f))) (g)"), "");
    EXPECT_EQ(ev("(g)"), "42");
    EXPECT_EQ(ev("(setq after (g)) after"), "nil") << "the whole command ends, setq included";
    EXPECT_EQ(ev("(list 1 2)"), "(1 2)") << "the next command runs as usual";
    EXPECT_EQ(ev("(vl-catch-all-apply 'g nil)"), "42") << "no error to catch: the command ends";
}

TEST_F(LispSymbols, CatchAllApplyAndItsErrors)
{
    expectAll({
        {"(setq r (vl-catch-all-apply 'car '(1))) (vl-catch-all-error-p r)", "T"},
        {"(vl-catch-all-error-message r)", "\"bad argument type: consp 1\""},
        {"(vl-catch-all-apply 'wcmatch '(\"abc\" \"a*\"))", "T"},
        {"(vl-catch-all-error-p (vl-catch-all-apply 'open '(\"/nonexistent/x\" \"q\")))", "T"},
        {"(vl-catch-all-error-message (vl-catch-all-apply 'sqrt '(-4)))",
         "\"function undefined for argument: -4\""},
        {"(vl-catch-all-error-p nil)", "nil"},
    });
}

TEST_F(LispSymbols, AParameterNamedLikeTheFunctionItHolds)
{
    expectAll({
        {"(defun helper (x) (* x 2)) (defun hof (helper x) (apply helper (list x))) (hof 'helper 21)",
         "42"},
        {"(defun each (fn lst) (mapcar fn lst)) (defun fn (x) (1+ x)) (each 'fn '(1 2))", "(2 3)"},
        {"(defun hof2 (helper x) (helper x)) (hof2 'helper 4)", "8"},
        {"(defun hof3 (x / helper) (setq helper 'helper) (apply helper (list x))) (hof3 5)", "10"},
        // Nested: the outer binding holds the symbol too; the global function is found.
        {"(defun outer (helper) (hof helper 3)) (outer 'helper)", "6"},
        {"(defun vorbei (ghost) (apply ghost nil)) (vorbei 'ghost)",
         "error: no function definition: GHOST"},
        {"(hof 'no-such-fn 1)", "error: no function definition: NO-SUCH-FN"},
    });
}

}  // namespace
