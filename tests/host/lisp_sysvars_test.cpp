// getvar and setvar on the table of system variables: defaults, types and ranges, read-only
// variables, and CLAYER / CELTYPE checked against the drawing's tables.
#include "lisp_session.h"

#include "cad/SysVars.h"

namespace {

using LispSysvars = LispSession;

TEST_F(LispSysvars, ReadsDefaultsAndUnknownNamesAnswerNil)
{
    expectAll({
        {"(getvar \"CLAYER\")", "\"0\""},
        {"(getvar \"clayer\")", "\"0\""},
        {"(getvar \"CELTYPE\")", "\"ByLayer\""},
        {"(getvar \"CECOLOR\")", "\"BYLAYER\""},
        {"(list (getvar \"LUNITS\") (getvar \"LUPREC\") (getvar \"AUNITS\") (getvar \"DIMZIN\"))",
         "(2 4 0 0)"},
        {"(getvar \"TEXTSIZE\")", "2.5"},
        {"(getvar \"LASTPOINT\")", "(0.0 0.0 0.0)"},
        {"(getvar \"NOSUCHVAR\")", "nil"},
        {"(getvar \"\")", "nil"},
        {"(getvar 1)", "error: bad argument type: stringp 1"},
        {"(getvar 'osmode)", "error: bad argument type: stringp OSMODE"},
        {"(getvar \"DWGNAME\")", "\"Zeichnung1.dwg\""},
        {"(wcmatch (getvar \"DWGPREFIX\") \"/*/\")", "T"},
        {"(getvar \"DWGTITLED\")", "0"},
    });
}

TEST_F(LispSysvars, ComputedClockVariables)
{
    expectAll({
        {"(list (type (getvar \"DATE\")) (type (getvar \"CDATE\")) (type (getvar \"MILLISECS\")))",
         "(REAL REAL INT)"},
        {"(> (getvar \"DATE\") 2459000.0)", "T"},  // a Julian day after 2020
        {"(> (getvar \"CDATE\") 20200101.0)", "T"},
        {"(< (fix (rem (getvar \"CDATE\") 10000)) 1232)", "T"},  // MMDD
        {"(<= (getvar \"MILLISECS\") (getvar \"MILLISECS\"))", "T"},
    });
}

TEST_F(LispSysvars, SetvarChecksTypesAndRanges)
{
    expectAll({
        {"(setvar \"OSMODE\" 0)", "0"},
        {"(getvar \"OSMODE\")", "0"},
        {"(setvar \"osmode\" 16383)", "16383"},
        {"(setvar \"OSMODE\" 99999)", "error: AutoCAD variable setting rejected: \"OSMODE\" 99999"},
        {"(setvar \"OSMODE\" \"a\")", "error: AutoCAD variable setting rejected: \"OSMODE\" \"a\""},
        {"(setvar \"OSMODE\" 1.0)", "error: AutoCAD variable setting rejected: \"OSMODE\" 1.0"},
        {"(setvar \"OSMODE\" nil)", "error: AutoCAD variable setting rejected: \"OSMODE\" nil"},
        {"(getvar \"OSMODE\")", "16383"},  // a refused value changes nothing
        {"(setvar \"TEXTSIZE\" 5)", "5.0"},
        {"(setvar \"TEXTSIZE\" 0)", "error: AutoCAD variable setting rejected: \"TEXTSIZE\" 0"},
        {"(setvar \"CMDECHO\" 0)", "0"},
        {"(setvar \"CMDECHO\" 2)", "error: AutoCAD variable setting rejected: \"CMDECHO\" 2"},
        {"(setvar \"LUNITS\" 0)", "error: AutoCAD variable setting rejected: \"LUNITS\" 0"},
        {"(setvar \"AUPREC\" 8)", "8"},
        {"(setvar \"ANGBASE\" (/ pi 2))", "1.5708"},
        {"(setvar \"PICKBOX\" 51)", "error: AutoCAD variable setting rejected: \"PICKBOX\" 51"},
        {"(setvar \"EXPERT\" 5)", "5"},
        {"(setvar \"FILEDIA\" 0)", "0"},
        {"(setvar \"ERRNO\" 0)", "0"},
        {"(setvar \"USERS1\" \"Rohrnetz\")", "\"Rohrnetz\""},
        {"(setvar \"USERR1\" 2)", "2.0"},
        {"(setvar \"LASTPOINT\" '(1 2))", "(1.0 2.0 0.0)"},
        {"(setvar \"LASTPOINT\" '(1 \"a\"))",
         "error: AutoCAD variable setting rejected: \"LASTPOINT\" (1 \"a\")"},
        {"(setvar \"CELWEIGHT\" 25)", "25"},
        {"(setvar \"CELWEIGHT\" 26)", "error: AutoCAD variable setting rejected: \"CELWEIGHT\" 26"},
        {"(list (setvar \"CECOLOR\" \"1\") (setvar \"CECOLOR\" \"RGB:255,0,0\") (setvar \"CECOLOR\" \"BYBLOCK\"))",
         "(\"1\" \"RGB:255,0,0\" \"BYBLOCK\")"},
        {"(setvar \"CECOLOR\" \"256\")", "error: AutoCAD variable setting rejected: \"CECOLOR\" \"256\""},
        {"(setvar \"CECOLOR\" \"RGB:1,2\")",
         "error: AutoCAD variable setting rejected: \"CECOLOR\" \"RGB:1,2\""},
        {"(setvar \"PDMODE\" 35)", "35"},
        {"(setvar \"PDMODE\" 5)", "error: AutoCAD variable setting rejected: \"PDMODE\" 5"},
        {"(setvar 'OSMODE 1)", "error: bad argument type: stringp OSMODE"},
        {"(setvar \"OSMODE\")", "error: too few arguments"},
    });
}

TEST_F(LispSysvars, ReadOnlyAndUnknownVariablesAreRefused)
{
    expectAll({
        {"(setvar \"DWGNAME\" \"x.dwg\")", "error: AutoCAD variable setting rejected: \"DWGNAME\" \"x.dwg\""},
        {"(setvar \"DATE\" 1.0)", "error: AutoCAD variable setting rejected: \"DATE\" 1.0"},
        {"(setvar \"MILLISECS\" 1)", "error: AutoCAD variable setting rejected: \"MILLISECS\" 1"},
        {"(setvar \"NOSUCHVAR\" 1)", "error: AutoCAD variable setting rejected: \"NOSUCHVAR\" 1"},
        {"(getvar \"NOSUCHVAR\")", "nil"},
    });
}

TEST_F(LispSysvars, LayerAndLinetypeMustExistInTheDrawing)
{
    expectAll({
        {"(setvar \"CLAYER\" \"0\")", "\"0\""},
        {"(setvar \"CLAYER\" \"Rohre\")", "error: AutoCAD variable setting rejected: \"CLAYER\" \"Rohre\""},
        {"(setvar \"CLAYER\" \"\")", "error: AutoCAD variable setting rejected: \"CLAYER\" \"\""},
        {"(getvar \"CLAYER\")", "\"0\""},
        {"(setvar \"CELTYPE\" \"Continuous\")", "\"Continuous\""},
        {"(setvar \"CELTYPE\" \"bylayer\")", "\"bylayer\""},
        {"(setvar \"CELTYPE\" \"DASHED\")", "error: AutoCAD variable setting rejected: \"CELTYPE\" \"DASHED\""},
        {"(setvar \"TEXTSTYLE\" \"Standard\")", "\"Standard\""},
        {"(setvar \"TEXTSTYLE\" \"Fett\")", "error: AutoCAD variable setting rejected: \"TEXTSTYLE\" \"Fett\""},
    });
}

TEST_F(LispSysvars, TheTableAnswersForEveryNameItLists)
{
    korcad::SystemVariables vars(session().host());
    for (const auto& name : vars.names())
        EXPECT_FALSE(vars.get(name).isNil()) << name << " has a value";
}

}  // namespace
