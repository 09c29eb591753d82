// korDialog_SelectColor as LISP calls it: its check, OK, Cancel and the caption.
#include "lisp_call.h"

#include "mfc/afxwin.h"

namespace {

using dialogtest::show;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kFn = L"korDialog_SelectColor";

class SelectColorFunction : public dialogtest::ModuleFixture {};

TEST_F(SelectColorFunction, AHeadlineThatIsNoStringAnswersMinusOneWithoutADialog)
{
    const std::wstring line = L"PARAMETERERROR 1: Keine Headline -> return -> RSERR\r\n";
    expectChecks(kFn, L"korDialog_SelectColor -> SelectColor()",
                 {{"no argument", {}, -1, line},
                  {"a list of a string", {dialogtest::strings({L"Farbe"})}, -1, line}});
}

// OK unchanged answers white, typed red 255; the function's scope is closed.
TEST_F(SelectColorFunction, OkAnswersTheColourValue)
{
    dialogtest::Call r = call(kFn, {V(L"Farbe der Leitung")}, "ok\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(1), V(16777215))) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return farbe=16777215 -> RSRSLT\r\n"});
    EXPECT_EQ(r.lines(L"Dialog"), (std::vector<std::wstring>{L"> korDialog_SelectColor -> SelectColor()\r\n",
                                                              L"< korDialog_SelectColor -> SelectColor()\r\n"}));
    EXPECT_EQ(r.dialogs, std::vector<std::string>{"\"Farbe der Leitung\" (template 30017)"});
    EXPECT_EQ(r.resourceAfter, sentinel());
    EXPECT_TRUE(r.userErrors.empty());

    r = call(kFn, {V(L"Farbe")}, "type 30021 \"255\"\ntype 30023 \"0\"\ntype 30025 \"0\"\nok\n");
    EXPECT_EQ(r.value, L::List(V(1), V(255))) << show(r.value);
}

// The caption is the headline's last line (unless its only break leads).
TEST_F(SelectColorFunction, TheCaptionIsTheHeadlinesLastLineAndCancelAnswersZero)
{
    struct Case {
        std::wstring headline, caption;
    };
    const Case cases[] = {
        {L"Leitung W-12\nFarbe wählen", L"Farbe wählen"},
        {L"Farbe\n", L"Farbe auswählen"},
        {L"", L"Farbe auswählen"},
    };
    for (const Case& c : cases) {
        CString caption;
        dialogtest::Call r = call(kFn, {V(c.headline.c_str())}, "key Escape\n", [&](CDialog& d) { d.GetWindowText(caption); });
        EXPECT_EQ(caption, CString(c.caption));
        EXPECT_EQ(r.status, RSRSLT);
        EXPECT_EQ(r.value, L::List(V(0))) << "Escape answers zero";
        EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return farbe=0 -> RSRSLT\r\n"});
    }
}

}  // namespace
