// korDialog_ButtonDialog as LISP calls it: argument checks, answers for a click, Cancel and other ends.
#include "lisp_call.h"

namespace {

using dialogtest::strings;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kFn = L"korDialog_ButtonDialog";

class ButtonDialogFunction : public dialogtest::ModuleFixture {};

TEST_F(ButtonDialogFunction, EachFailedCheckAnswersItsCodeAndLogsItsMessageWithoutADialog)
{
    const V abc = strings({L"A", L"B", L"C"});
    const std::vector<dialogtest::CheckCase> cases = {
        {"no arguments", {}, -1, L"PARAMETERERROR 1: Keine Defaultbutton -> return -> RSERR\r\n"},
        {"header is a string", {V(1), V(L"T"), abc, abc}, -2, L"PARAMETERERROR 2: Keine Headerliste -> return -> RSERR\r\n"},
        {"header starts with a number", {V(1), L::Append(L::List(V(5)), strings({L"T"})), abc, abc}, -3,
         L"PARAMETERERROR 2: Headerliste kein String -> return -> RSERR\r\n"},
        {"captions missing", {V(1), strings({L"T"})}, -4, L"PARAMETERERROR 3: Keine Buttontexte -> return -> RSERR\r\n"},
        {"values missing", {V(1), strings({L"T"}), abc}, -5,
         L"PARAMETERERROR 4: Buttontexte kein String -> return -> RSERR\r\n"},
        {"lengths 2 and 3, before any element", {V(1), strings({L"T"}), L::List(V(1), V(2)), abc}, -6,
         L"PARAMETERERROR 3+4: Anzahl Headerliste und Buttontexte ungleich -> return -> RSERR\r\n"},
        {"caption 1 is a number", {V(0), strings({L"T"}), L::List(V(L"A"), V(5)), strings({L"a", L"b"})}, -7,
         L"PARAMETERERROR 4: Buttontexte 1 kein String -> return -> RSERR\r\n"},
        {"value 1 is a number", {V(0), strings({L"T"}), strings({L"A", L"B"}), L::List(V(L"a"), V(2))}, -8,
         L"PARAMETERERROR 4: Buttontexte 1 keine Zahl -> return -> RSERR\r\n"},
    };
    expectChecks(kFn, L"korDialog_ButtonDialog -> ButtonDialog()", cases);
}

// The title is the header's first string, trimmed.
TEST_F(ButtonDialogFunction, AClickAnswersOneAndTheButtonsReturnText)
{
    dialogtest::Call r = call(kFn, {V(1), strings({L"  Leitung wählen \t", L"zweiter"}), strings({L"A", L"B", L"C"}),
                                    strings({L"a", L"b", L"c"})},
                              "click \"C\"\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(1), V(L"c")));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSRSLT\r\n"});
    EXPECT_EQ(r.dialogs, std::vector<std::string>{"\"Leitung wählen\" (template 30018)"});
    EXPECT_EQ(r.resourceAfter, sentinel());
    EXPECT_TRUE(r.userErrors.empty());

    // The default index puts the focus, Enter presses it; a real default is truncated.
    r = call(kFn, {V(1.8), strings({L"T"}), strings({L"A", L"B", L"C"}), strings({L"a", L"b", L"c"})}, "key Enter\n");
    EXPECT_EQ(r.value, L::List(V(1), V(L"b")));
}

TEST_F(ButtonDialogFunction, CancelAnswersZeroWithStatusOneAndAnEndWithoutAChoiceMinusNine)
{
    dialogtest::Call r = call(kFn, {V(0), strings({L"T"}), strings({L"A"}), strings({L"a"})}, "key Escape\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(0)));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"CANCEL -> return 0 -> RSERR\r\n"});

    // The dialog has no OK button; the OK command still ends it, with nothing chosen.
    r = call(kFn, {V(0), strings({L"T"}), strings({L"A"}), strings({L"a"})}, "ok\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(-9)));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSRSLT\r\n"});
}

}  // namespace
