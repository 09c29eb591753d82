// korDialog_SelectColor as a LISP program calls it: its one check, OK with and without a
// change, the ways of cancelling, and the caption made from the headline.
#include "lisp_call.h"

#include "mfc/afxwin.h"
#include "../../res/resource.h"  // the module's control ids (the test does not link the module)

namespace {

using dialogtest::show;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kFn = L"korDialog_SelectColor";

class SelectColorFunction : public dialogtest::ModuleFixture {};

CString textOf(CDialog& d, UINT id)
{
    CString t;
    d.GetDlgItemText(static_cast<int>(id), t);
    return t;
}

TEST_F(SelectColorFunction, AHeadlineThatIsNoStringAnswersMinusOneWithoutADialog)
{
    const std::wstring line = L"PARAMETERERROR 1: Keine Headline -> return -> RSERR\r\n";
    expectChecks(kFn, L"korDialog_SelectColor -> SelectColor()",
                 {{"no argument", {}, -1, line},
                  {"the number 5", {V(5)}, -1, line},
                  {"a real", {V(2.5)}, -1, line},
                  {"nil", {V()}, -1, line},
                  {"a list of a string", {dialogtest::strings({L"Farbe"})}, -1, line}});
}

TEST_F(SelectColorFunction, OkUnchangedAnswersWhiteAndTheWindowShowsWhiteEverywhere)
{
    std::vector<CString> fields, labels;
    CString caption, modes, firstMode;
    int modeCount = 0;
    dialogtest::Call r = call(kFn, {V(L"Farbe der Leitung")}, "ok\n", [&](CDialog& d) {
        for (UINT id : {IDC_COLOR_RED, IDC_COLOR_GREEN, IDC_COLOR_BLUE, IDC_COLOR_CYAN, IDC_COLOR_MAGENTA,
                        IDC_COLOR_YELLOW, IDC_COLOR_HUE, IDC_COLOR_SAT, IDC_COLOR_LIGHT})
            fields.push_back(textOf(d, id));
        for (UINT id : {IDC_COLOR_RED_LABEL, IDC_COLOR_GREEN_LABEL, IDC_COLOR_BLUE_LABEL, IDC_COLOR_CYAN_LABEL,
                        IDC_COLOR_MAGENTA_LABEL, IDC_COLOR_YELLOW_LABEL, IDC_COLOR_HUE_LABEL, IDC_COLOR_SAT_LABEL,
                        IDC_COLOR_LIGHT_LABEL, IDC_COLOR_NEW_LABEL, IDC_COLOR_CURRENT_LABEL, IDC_COLOR_MODE_LABEL, IDOK,
                        IDCANCEL})
            labels.push_back(textOf(d, id));
        d.GetWindowText(caption);
        auto* box = static_cast<CComboBox*>(d.GetDlgItem(IDC_COLOR_MODE));
        modeCount = box->GetCount();
        box->GetLBText(box->GetCurSel(), firstMode);
        box->GetLBText(14, modes);
    });
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(1), V(16777215))) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return farbe=16777215 -> RSRSLT\r\n"});
    EXPECT_EQ(r.lines(L"Dialog"), (std::vector<std::wstring>{L"> korDialog_SelectColor -> SelectColor()\r\n",
                                                              L"< korDialog_SelectColor -> SelectColor()\r\n"}));
    ASSERT_EQ(r.dialogs.size(), 1u);
    EXPECT_EQ(r.dialogs[0], "\"Farbe der Leitung\" (template 30017)");
    EXPECT_EQ(r.resourceAfter, sentinel());
    EXPECT_TRUE(r.userErrors.empty());
    EXPECT_EQ(fields, (std::vector<CString>{L"255", L"255", L"255", L"0", L"0", L"0", L"0", L"0", L"255"}));
    EXPECT_EQ(labels, (std::vector<CString>{L"Rot", L"Grün", L"Blau", L"Cyan", L"Magenta", L"Gelb", L"Farbe",
                                            L"Sättigung", L"Licht", L"Neu", L"Aktuell", L"Colors:", L"OK",
                                            L"Abbrechen"}));
    EXPECT_EQ(modeCount, 15);
    EXPECT_EQ(firstMode, L" Basisfarben");
    EXPECT_EQ(modes, L" Gelbe Achse");
}

TEST_F(SelectColorFunction, TypedRedComesBackAsTheColourValue)
{
    dialogtest::Call r = call(kFn, {V(L"Farbe")}, "type 30021 \"255\"\ntype 30023 \"0\"\ntype 30025 \"0\"\nok\n");
    EXPECT_EQ(r.value, L::List(V(1), V(255))) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return farbe=255 -> RSRSLT\r\n"});
    // Blue typed as cyan 255, magenta 255, yellow 0 (the complement of yellow is blue).
    dialogtest::Call blue = call(kFn, {V(L"Farbe")}, "type 30036 \"255\"\ntype 30045 \"255\"\ntype 30048 \"0\"\nclick \"OK\"\n");
    EXPECT_EQ(blue.value, L::List(V(1), V(16711680))) << show(blue.value);
    // A mode of the picker changes only the presentation.
    dialogtest::Call mode = call(kFn, {V(L"Farbe")}, "select 30019 #7\nselect 30019 \" Rote Achse\"\nkey Enter\n");
    EXPECT_EQ(mode.value, L::List(V(1), V(16777215))) << show(mode.value);
}

// The caption is the headline's last line (unless its only break leads); without a
// headline the window says "Farbe auswählen". A headline longer than 255 characters is cut.
// Escape answers zero.
TEST_F(SelectColorFunction, TheCaptionIsTheHeadlinesLastLineAndCancelAnswersZero)
{
    struct Case {
        std::wstring headline, caption;
    };
    const std::wstring longText(300, L'x');
    const Case cases[] = {
        {L"Leitung W-12\nFarbe wählen", L"Farbe wählen"},
        {L"Farbe\n", L"Farbe auswählen"},
        {L"", L"Farbe auswählen"},
        {longText, std::wstring(255, L'x')},
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
