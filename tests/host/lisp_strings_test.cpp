// String functions of the LISP library: wcmatch's pattern language, the vl-string family,
// xstrcase and snvalid. Positions count characters from 0, umlauts included.
#include "lisp_session.h"

namespace {

using LispStrings = LispSession;

TEST_F(LispStrings, WcmatchPatternLanguage)
{
    expectAll({
        {R"((wcmatch "Name" "N*"))", "T"},
        {R"((wcmatch "name" "N*"))", "nil"},  // case counts
        {R"((wcmatch "Name" "???,~*m*,N*"))", "T"},
        {R"((wcmatch "Name" "~*m*"))", "nil"},
        {R"((wcmatch "Nose" "~*m*"))", "T"},
        {R"((list (wcmatch "A1" "@#") (wcmatch "1A" "@#") (wcmatch "Ö7" "@#")))", "(T nil T)"},
        {R"((list (wcmatch "-" ".") (wcmatch " " ".") (wcmatch "a" ".") (wcmatch "5" ".")))",
         "(T T nil nil)"},
        {R"((list (wcmatch "b" "[abc]") (wcmatch "d" "[abc]") (wcmatch "d" "[~abc]") (wcmatch "b" "[~abc]")))",
         "(T nil T nil)"},
        {R"((list (wcmatch "K7" "[A-Z][0-9]") (wcmatch "k7" "[A-Z][0-9]") (wcmatch "-" "[a-]")))",
         "(T nil T)"},
        {R"((wcmatch "Layer-12" "[A-Z]*[~a-z]##"))", "T"},
        {R"((list (wcmatch "" "") (wcmatch "" "*") (wcmatch "" "?") (wcmatch "x" "")))",
         "(T T nil nil)"},
        {R"((list (wcmatch "Größe" "Gr?ße") (wcmatch "Größe" "Gr@ße")))", "(T T)"},
        // Several stars cost no more than one: the match is linear, not backtracking.
        {R"((wcmatch "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaac" "*a*a*a*a*a*a*a*a*a*b"))",
         "nil"},
    });
}

TEST_F(LispStrings, WcmatchEscapesAndCommas)
{
    expectAll({
        {R"((wcmatch "a*b" "a`*b"))", "T"},
        {R"((wcmatch "axb" "a`*b"))", "nil"},
        {R"((wcmatch "a,b" "a`,b"))", "T"},
        {R"((wcmatch "a,b" "*`,*"))", "T"},
        {R"((wcmatch "ab" "*`,*"))", "nil"},
        {R"((wcmatch "#1" "`##"))", "T"},
        {R"((wcmatch "~x" "`~x"))", "T"},
        {R"((wcmatch "x" "`~x"))", "nil"},
        {R"((wcmatch "a`b" "a``b"))", "T"},
        {R"((wcmatch "[a" "[a"))", "T"},  // an open bracket without its close stands for itself
        {R"((wcmatch "x" "a,,b"))", "nil"},
        {R"((wcmatch "" "a,,b"))", "T"},  // the empty pattern between the commas
        {R"((wcmatch 1 "x"))", "error: bad argument type: stringp 1"},
        {R"((wcmatch "x" nil))", "error: bad argument type: stringp nil"},
    });
}

TEST_F(LispStrings, SearchPositionAndElement)
{
    expectAll({
        {R"((vl-string-search "foo" "pfooyey on you"))", "1"},
        {R"((vl-string-search "who" "pfooyey on you"))", "nil"},
        {R"((vl-string-search "foo" "fooey-more-fooey" 1))", "11"},
        {R"((vl-string-search "" "abc"))", "0"},
        {R"((vl-string-search "ß" "Straße"))", "4"},
        {R"((vl-string-search "a" "abc" 10))", "nil"},
        {R"((vl-string-search "a" "abc" -3))", "0"},
        {R"((vl-string-search 'a "abc"))", "error: bad argument type: stringp A"},
        {R"((vl-string-position (ascii "z") "azbdc az"))", "1"},
        {R"((vl-string-position (ascii "z") "azbdc az" 2))", "7"},
        {R"((vl-string-position (ascii "z") "azbdc az" nil T))", "7"},
        {R"((vl-string-position (ascii "z") "azbdc az" 3 T))", "1"},  // backwards from 3
        {R"((vl-string-position (ascii "a") "azbdc az" 0 T))", "0"},
        {R"((vl-string-position (ascii "q") "abc"))", "nil"},
        {R"((vl-string-position (ascii "a") ""))", "nil"},
        {R"((vl-string-elt "May the Force" 2))", "121"},
        {R"((vl-string-elt "Größe" 2))", "246"},
        {R"((vl-string-elt "abc" 3))", "error: bad argument value: string position out of range: 3"},
        {R"((vl-string-elt "abc" -1))", "error: bad argument value: string position out of range: -1"},
        {R"((vl-string-elt "" 0))", "error: bad argument value: string position out of range: 0"},
        {R"((vl-string-elt "abc" 1.0))", "error: bad argument type: fixnump: 1.0"},
    });
}

TEST_F(LispStrings, SubstTranslateTrimMismatch)
{
    expectAll({
        {R"((vl-string-subst "Obi-wan" "Ben" "Ben Kenobi"))", R"("Obi-wan Kenobi")"},
        {R"((vl-string-subst "Obi-wan" "Ben" "ben Kenobi"))", R"("ben Kenobi")"},
        {R"((vl-string-subst "x" "a" "banana"))", R"("bxnana")"},  // the first one only
        {R"((vl-string-subst "x" "a" "banana" 2))", R"("banxna")"},
        {R"((vl-string-subst "" "na" "banana"))", R"("bana")"},
        {R"((vl-string-translate "abc" "123" "A is a, B is b, C is c"))",
         R"("A is 1, B is 2, C is 3")"},
        {R"((vl-string-translate "äöü" "aou" "Größe für Kühe"))", R"("Große fur Kuhe")"},
        {R"((vl-string-translate "xyz" "1" "xyz"))", R"("1yz")"},
        {R"((vl-string-left-trim " \t\n" "\n\t STR "))", R"("STR ")"},
        {R"((vl-string-right-trim " \t\n" " STR \n\t "))", R"(" STR")"},
        {R"((vl-string-left-trim "ab" "abab"))", R"("")"},
        {R"((vl-string-right-trim "" "x "))", R"("x ")"},
        {R"((vl-string-mismatch "VL-FUN" "VL-VAR"))", "3"},
        {R"((vl-string-mismatch "vl-fun" "avl-var"))", "0"},
        {R"((vl-string-mismatch "vl-fun" "avl-var" 0 1))", "3"},
        {R"((vl-string-mismatch "VL-FUN" "Vl-vAR" 0 0 T))", "3"},
        {R"((vl-string-mismatch "" "abc"))", "0"},
        {R"((vl-string-mismatch "abc" "abc"))", "3"},
    });
}

TEST_F(LispStrings, CharacterListsCaseAndNames)
{
    expectAll({
        {R"((vl-string->list "12"))", "(49 50)"},
        {R"((vl-string->list "Öl"))", "(214 108)"},
        {R"((vl-string->list ""))", "nil"},
        {R"((vl-list->string '(72 252 116 116 101)))", R"("Hütte")"},
        {R"((vl-list->string nil))", R"("")"},
        {R"((vl-list->string '(65 1.5)))", "error: bad argument type: fixnump: 1.5"},
        {R"((vl-list->string '(65 0)))", "error: bad argument value: character code: 0"},
        {R"((vl-list->string 65))", "error: bad argument type: listp 65"},
        {R"((xstrcase "größe straße"))", R"("GRÖßE STRAßE")"},
        {R"((xstrcase 1))", "error: bad argument type: stringp 1"},
        {R"((snvalid "Rohre-DN150_alt"))", "T"},
        {R"((snvalid "Rohre DN150"))", "T"},
        {R"((snvalid ""))", "nil"},
        {R"((mapcar 'snvalid '("a<b" "a>b" "a/b" "a\\b" "a\"b" "a:b" "a;b" "a?b" "a*b" "a=b" "a`b" "a,b")))",
         "(nil nil nil nil nil nil nil nil nil nil nil nil)"},
        {R"((list (snvalid "xref|layer") (snvalid "xref|layer" 1) (snvalid "xref|layer" 0)))",
         "(nil T nil)"},
        {R"((snvalid "tab\there"))", "nil"},
        // At most 255 characters.
        {R"((setq s "") (repeat 256 (setq s (strcat s "x"))) (list (snvalid s) (snvalid (substr s 2))))",
         "(nil T)"},
        {R"((snvalid 5))", "error: bad argument type: stringp 5"},
    });
}

}  // namespace
