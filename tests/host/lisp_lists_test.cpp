// List functions of the LISP library: the vl- predicates and filters, vl-list*, vl-sort-i,
// the c[ad]r family to four levels, subst at every depth, last of a dotted list.
#include "lisp_session.h"

namespace {

using LispLists = LispSession;

TEST_F(LispLists, PredicatesOverElements)
{
    expectAll({
        {"(vl-every '= '(1 2) '(1 2 3))", "T"},  // up to the end of the shortest list
        {"(vl-every 'numberp '(1 \"a\"))", "nil"},
        {"(vl-every 'numberp nil)", "T"},
        {"(vl-some '(lambda (x) (if (> x 2) (* x 10))) '(1 3 5))", "30"},
        {"(vl-some 'numberp '(\"a\" x))", "nil"},
        {"(vl-some '/= '(1 2) '(1 3))", "T"},
        {"(defun textp (x) (= (type x) 'STR)) (vl-member-if 'textp '(1 \"a\" 2))", "(\"a\" 2)"},
        {"(vl-member-if 'textp '(1 2))", "nil"},
        {"(vl-member-if-not 'numberp '(1 \"a\" 2))", "(\"a\" 2)"},
        {"(vl-remove-if 'minusp '(1 -2 3 -4))", "(1 3)"},
        {"(vl-remove-if-not 'minusp '(1 -2 3 -4))", "(-2 -4)"},
        {"(vl-remove-if 'minusp nil)", "nil"},
        {"(vl-remove 2 '(1 2 3 2))", "(1 3)"},
        {"(vl-remove '(8 . \"0\") '((0 . \"LINE\") (8 . \"0\")))", "((0 . \"LINE\"))"},
        {"(vl-every 'numberp 5)", "error: bad argument type: listp 5"},
        {"(vl-remove-if 'nosuchfn '(1))", "error: no function definition: NOSUCHFN"},
        {"(vl-member-if 'minusp '(1 . 2))", "nil"},
    });
}

TEST_F(LispLists, ConstructionAndLength)
{
    expectAll({
        {"(vl-list* 1)", "1"},
        {"(vl-list* 1 2)", "(1 . 2)"},
        {"(vl-list* 1 2 '(3 4))", "(1 2 3 4)"},
        {"(vl-list* nil)", "nil"},
        {"(vl-list*)", "error: too few arguments"},
        {"(list (vl-consp nil) (vl-consp '(1)) (vl-consp '(1 . 2)) (vl-consp \"a\"))", "(nil T T nil)"},
        {"(vl-list-length '(1 2 3))", "3"},
        {"(vl-list-length nil)", "0"},
        {"(vl-list-length '(1 2 . 3))", "nil"},
        {"(vl-list-length 5)", "error: bad argument type: listp 5"},
        {"(vl-position 'c '(a b c))", "2"},
        {"(vl-position \"x\" '(\"a\" \"x\"))", "1"},
        {"(vl-position 'z '(a b))", "nil"},
    });
}

TEST_F(LispLists, SortIndexes)
{
    expectAll({
        {"(vl-sort-i '(3 2 1 3) '<)", "(2 1 0 3)"},  // every element stays, equal ones in order
        {"(vl-sort-i '(1 3 2) '>)", "(1 2 0)"},
        {"(vl-sort-i '(\"b\" \"a\" \"c\") '<)", "(1 0 2)"},
        {"(vl-sort-i '((2 \"b\") (1 \"a\")) '(lambda (x y) (< (car x) (car y))))", "(1 0)"},
        {"(vl-sort-i nil '<)", "nil"},
        {"(acad_strlsort '(\"Mar\" \"Feb\" \"Jan\" \"Feb\"))", "(\"Feb\" \"Feb\" \"Jan\" \"Mar\")"},
        {"(acad_strlsort nil)", "nil"},
        {"(acad_strlsort '(\"b\" 1))", "error: bad argument type: stringp 1"},
        {"(vl-sort-i '(1 \"a\") '<)", "error: bad argument type: stringp 1"},
    });
}

TEST_F(LispLists, CarCdrToFourLevels)
{
    expectAll({
        {"(cadddr '(1 2 3 4))", "4"},
        {"(caaaar '((((x)))))", "X"},
        {"(cddddr '(1 2 3 4 5))", "(5)"},
        {"(cdaddr '(1 2 (3 4 5)))", "(4 5)"},
        {"(cadadr '(1 (2 3)))", "3"},
        {"(caddar '((1 2 3)))", "3"},
        {"(cadddr '(1 2))", "nil"},
        {"(cadddr nil)", "nil"},
        {"(cadddr 5)", "error: bad argument type: consp 5"},
        {"(caaaar '(1))", "error: bad argument type: consp 1"},
    });
    // All sixteen exist.
    EXPECT_EQ(ev("(vl-every 'boundp '(caaaar caaadr caadar caaddr cadaar cadadr caddar cadddr "
                 "cdaaar cdaadr cdadar cdaddr cddaar cddadr cdddar cddddr))"),
              "T");
}

TEST_F(LispLists, SubstReplacesAtEveryDepthLastTakesDottedLists)
{
    expectAll({
        {"(subst 'x 'a '(a (b a) ((a))))", "(X (B X) ((X)))"},
        {"(subst 'x 'b '(a b c b))", "(A X C X)"},
        {"(subst '(1) 2 '(2 (2 . 2)))", "((1) ((1) 1))"},
        {"(subst '(8 . \"NEU\") '(8 . \"ALT\") '((0 . \"LINE\") (8 . \"ALT\")))",
         "((0 . \"LINE\") (8 . \"NEU\"))"},
        {"(subst 9 '(1 2) '((1 2) (0 (1 2))))", "(9 (0 9))"},
        {"(subst 0 1.0 '(1 2))", "(0 2)"},  // equal compares numbers by value
        {"(subst 'x 'a 'a)", "A"},             // an atom is no list to look into
        {"(subst 'x 'a nil)", "nil"},
        {"(last '(1 2 3))", "3"},
        {"(last '(1 2 . 3))", "2"},
        {"(last '(1 . 2))", "1"},
        {"(last nil)", "nil"},
        {"(last 5)", "error: bad argument type: listp 5"},
    });
}

}  // namespace
