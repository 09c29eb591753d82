// korDialog_ButtonDialog as a LISP program calls it: its eight argument checks, the answers
// for a click, Cancel and any other end, and the window the user sees.
#include "lisp_call.h"

#include "mfc/afxwin.h"
#include "../../res/resource.h"  // the module's control ids (the test does not link the module)

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
        {"default is a string", {V(L"1"), strings({L"T"}), abc, abc}, -1,
         L"PARAMETERERROR 1: Keine Defaultbutton -> return -> RSERR\r\n"},
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
        {"caption tested before value at one position", {V(0), strings({L"T"}), L::List(V(L"A"), V(5)), L::List(V(L"a"), V(2))},
         -7, L"PARAMETERERROR 4: Buttontexte 1 kein String -> return -> RSERR\r\n"},
    };
    expectChecks(kFn, L"korDialog_ButtonDialog -> ButtonDialog()", cases);
}

TEST_F(ButtonDialogFunction, AClickAnswersOneAndTheButtonsReturnText)
{
    UINT focused = 0;
    dialogtest::Call r = call(kFn, {V(1), strings({L"Titel"}), strings({L"A", L"B", L"C"}), strings({L"a", L"b", L"c"})},
                              "click \"C\"\n", [&](CDialog&) {
                                  CWnd* f = CWnd::GetFocus();
                                  focused = f ? f->GetDlgCtrlID() : 0;
                              });
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(1), V(L"c")));
    EXPECT_EQ(focused, static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE1)) << "the default index 1 puts the focus on B";
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSRSLT\r\n"});
    ASSERT_EQ(r.dialogs.size(), 1u);
    EXPECT_EQ(r.dialogs[0], "\"Titel\" (template 30018)");
    EXPECT_EQ(r.resourceAfter, sentinel());
    EXPECT_TRUE(r.userErrors.empty());
}

TEST_F(ButtonDialogFunction, EnterPressesTheDefaultButtonAndARealDefaultIsTruncated)
{
    dialogtest::Call r = call(kFn, {V(1.8), strings({L"T"}), strings({L"A", L"B", L"C"}), strings({L"a", L"b", L"c"})},
                              "key Enter\n");
    EXPECT_EQ(r.value, L::List(V(1), V(L"b")));
}

TEST_F(ButtonDialogFunction, CancelEscapeAndTheCloseBoxAnswerZeroWithStatusOne)
{
    for (const char* how : {"click \"Abbrechen\"\n", "key Escape\n", "cancel\n"}) {
        SCOPED_TRACE(how);
        dialogtest::Call r = call(kFn, {V(0), strings({L"T"}), strings({L"A"}), strings({L"a"})}, how);
        EXPECT_EQ(r.status, RSRSLT);
        EXPECT_EQ(r.value, L::List(V(0)));
        EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"CANCEL -> return 0 -> RSERR\r\n"});
        EXPECT_EQ(r.resourceAfter, sentinel());
    }
}

TEST_F(ButtonDialogFunction, AnEndWithoutAChoiceAnswersMinusNine)
{
    // The dialog has no OK button; the OK command still ends it, with nothing chosen.
    dialogtest::Call r = call(kFn, {V(0), strings({L"T"}), strings({L"A"}), strings({L"a"})}, "ok\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(-9)));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSRSLT\r\n"});
}

TEST_F(ButtonDialogFunction, ThirteenEntriesAreAcceptedAndTwelveShown)
{
    V captions, values;
    for (int i = 0; i < 13; ++i) {
        std::wstring c(1, static_cast<wchar_t>(L'A' + i)), v(1, static_cast<wchar_t>(L'a' + i));
        captions.Append(L::List(V(c.c_str())));
        values.Append(L::List(V(v.c_str())));
    }
    int shown = 0;
    dialogtest::Call r = call(kFn, {V(0), strings({L"T"}), captions, values}, "click \"L\"\n", [&](CDialog& d) {
        for (int k = 0; k < 12; ++k)
            shown += d.GetDlgItem(IDC_BUTTONDIALOG_CHOICE0 + 2 * k)->IsWindowVisible() ? 1 : 0;
    });
    EXPECT_EQ(shown, 12);
    EXPECT_EQ(r.value, L::List(V(1), V(L"l")));

    dialogtest::Call thirteenth = call(kFn, {V(0), strings({L"T"}), captions, values}, "click \"M\"\n");
    ASSERT_EQ(thirteenth.userErrors.size(), 1u) << "the thirteenth caption is no button";
    EXPECT_EQ(thirteenth.value, L::List(V(0))) << "the scripted user gives up by cancelling";
}

TEST_F(ButtonDialogFunction, TheTitleIsTrimmedAndOnlyTheHeadersFirstStringCounts)
{
    CString title;
    call(kFn, {V(0), strings({L"  Leitung wählen \t", L"zweiter", L"dritter"}), strings({L"A"}), strings({L"a"})},
         "key Escape\n", [&](CDialog& d) { d.GetWindowText(title); });
    EXPECT_EQ(title.str(), L"Leitung wählen");
}

TEST_F(ButtonDialogFunction, LongTextsAreCutTo255Characters)
{
    std::wstring longCaption(300, L'x'), longValue(300, L'y');
    CString caption;
    dialogtest::Call r = call(kFn, {V(0), strings({L"T"}), strings({longCaption.c_str()}), strings({longValue.c_str()})},
                              "click 1001\n",
                              [&](CDialog& d) { d.GetDlgItem(IDC_BUTTONDIALOG_CHOICE0)->GetWindowText(caption); });
    EXPECT_EQ(caption.GetLength(), 255);
    ASSERT_EQ(r.value.Length(), 2);
    EXPECT_EQ(L::Nth(1, r.value).text(), std::wstring(255, L'y'));
}

TEST_F(ButtonDialogFunction, AButtonWithALongCaptionIsStillClickedByItsWholeCaption)
{
    // Drawn cut with an ellipsis, the caption stays whole for the program and a user's script.
    std::wstring longCaption = L"Anfang";
    while (longCaption.size() < 196)
        longCaption += L" Hausanschluss";
    longCaption = longCaption.substr(0, 196) + L"Ende";
    CString caption;
    std::string answers = "click \"" + AfxToUtf8(longCaption.c_str()) + "\"\n";
    dialogtest::Call r = call(kFn, {V(0), strings({L"T"}), strings({L"Kurz", longCaption.c_str()}), strings({L"k", L"l"})},
                              answers,
                              [&](CDialog& d) { d.GetDlgItem(IDC_BUTTONDIALOG_CHOICE1)->GetWindowText(caption); });
    EXPECT_EQ(caption.str(), longCaption);
    EXPECT_TRUE(r.userErrors.empty());
    EXPECT_EQ(r.value, L::List(V(1), V(L"l")));
}

}  // namespace
