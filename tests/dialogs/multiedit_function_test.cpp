// korDialog_MultiEditDialog as LISP calls it, with a scripted command line for the picks.
#include "dialog_args.h"
#include "lisp_call.h"

#include "mfc/afxwin.h"
#include "res/resource.h"

#include <deque>

namespace {

using dialogtest::list;
using dialogtest::show;
using dialogtest::strings;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kFn = L"korDialog_MultiEditDialog";
const UINT kPicks[] = {IDC_MULTIEDIT_PICK0, IDC_MULTIEDIT_PICK1, IDC_MULTIEDIT_PICK2, IDC_MULTIEDIT_PICK3,
                       IDC_MULTIEDIT_PICK4, IDC_MULTIEDIT_PICK5, IDC_MULTIEDIT_PICK6, IDC_MULTIEDIT_PICK7};
const UINT kEdits[] = {IDC_MULTIEDIT_EDIT0, IDC_MULTIEDIT_EDIT1, IDC_MULTIEDIT_EDIT2, IDC_MULTIEDIT_EDIT3,
                       IDC_MULTIEDIT_EDIT4, IDC_MULTIEDIT_EDIT5, IDC_MULTIEDIT_EDIT6, IDC_MULTIEDIT_EDIT7};

// What one window showed: the visible rows' pick-button labels and edit texts.
struct Shown {
    std::vector<CString> labels, texts;
};

Shown look(CDialog& d)
{
    Shown s;
    for (int i = 0; i < 8; ++i) {
        CWnd* pick = d.GetDlgItem(static_cast<int>(kPicks[i]));
        CWnd* edit = d.GetDlgItem(static_cast<int>(kEdits[i]));
        EXPECT_EQ(pick->IsWindowVisible(), edit->IsWindowVisible()) << "row " << i;
        if (!edit->IsWindowVisible())
            continue;
        CString t;
        pick->GetWindowText(t);
        s.labels.push_back(t);
        edit->GetWindowText(t);
        s.texts.push_back(t);
    }
    return s;
}

// The user at the command line: a distance, RTCAN (Escape) or RTNONE (empty line) per prompt.
struct Answer {
    int status;
    double distance = 0;
};

class MultiEditFunction : public dialogtest::ModuleFixture {
protected:
    void SetUp() override
    {
        dialogtest::ModuleFixture::SetUp();
        host.setInput([this](const ads::InputRequest& request, ads::InputAnswer& answer) {
            prompts.push_back(request.prompt);
            EXPECT_EQ(request.kind, ads::InputKind::Distance);
            EXPECT_FALSE(request.hasBase);
            if (distances.empty()) {
                ADD_FAILURE() << "a distance was asked for that the test did not expect";
                return RTCAN;
            }
            Answer a = distances.front();
            distances.pop_front();
            answer.real = a.distance;
            return a.status;
        });
    }
    void TearDown() override
    {
        EXPECT_TRUE(distances.empty()) << "distances the function did not ask for";
        dialogtest::ModuleFixture::TearDown();
    }

    std::deque<Answer> distances;
    std::vector<std::wstring> prompts;
};

TEST_F(MultiEditFunction, EachFailedCheckAnswersItsCodeAndLogsItsMessageWithoutADialog)
{
    const V two = strings({L"A", L"B"});
    const V vals = list({V(1), V(2)});
    const std::vector<dialogtest::CheckCase> cases = {
        {"no arguments", {}, -1, L"PARAMETERERROR 1: Datenbank kein String -> return -> RSERR\r\n"},
        {"table missing", {V(L"WASSER")}, -2, L"PARAMETERERROR 2: Tabelle kein String -> return -> RSERR\r\n"},
        {"identifiers a string", {V(L"W"), V(L"T"), V(L"A"), vals}, -3,
         L"PARAMETERERROR 3: Identifier keine Liste -> return -> RSERR\r\n"},
        {"values missing", {V(L"W"), V(L"T"), two}, -4, L"PARAMETERERROR 4: Werte keine Liste -> return -> RSERR\r\n"},
        {"two identifiers, three values", {V(L"W"), V(L"T"), two, list({V(1), V(2), V(3)})}, -5,
         L"PARAMETERERROR 3+4: Anzahl Identifier und Werte ungleich -> return -> RSERR\r\n"},
        {"identifier 0 in row 1", {V(L"W"), V(L"T"), list({V(L"A"), V(0)}), vals}, -6,
         L"PARAMETERERROR 3: Identifier 1 keine Zahl -> return -6 -> RSERR\r\n"},
        {"identifier a list", {V(L"W"), V(L"T"), list({V(L"A"), strings({L"x"})}), vals}, -6,
         L"PARAMETERERROR 3: Identifier 1 kein String -> return -> RSERR\r\n"},
        {"the first bad row wins", {V(L"W"), V(L"T"), list({V(L"A"), V(L"B"), V(0), strings({L"x"})}),
                                    list({V(1), V(2), V(3), V(4)})},
         -6, L"PARAMETERERROR 3: Identifier 2 keine Zahl -> return -6 -> RSERR\r\n"},
    };
    expectChecks(kFn, L"korDialog_MultiEditDialog -> MultiEdit()", cases);
}

// Labels on the pick buttons, two decimals; a ninth row comes back.
TEST_F(MultiEditFunction, RowsShowTheirLabelsOnThePickButtonsAndTwoDecimals)
{
    std::vector<Shown> shown;
    auto record = [&](CDialog& d) { shown.push_back(look(d)); };
    dialogtest::Call two = call(kFn, {V(L"W"), V(L"T"), strings({L"Breite", L"Höhe"}), list({V(1), V(2.5)})},
                                "ok\n", record);
    EXPECT_EQ(two.status, RSRSLT);
    EXPECT_EQ(two.value, list({V(1), V(1.0), V(2.5)})) << show(two.value);
    EXPECT_EQ(L::Type(L::Nth(1, two.value)), LISP_REAL) << "an integer start value comes back as a real";
    EXPECT_EQ(two.lines(L"DialogReturn"), std::vector<std::wstring>{L"OK -> return -> RSRSLT\r\n"});
    EXPECT_EQ(two.dialogs, std::vector<std::string>{"\"__kor---\" (template 30020)"});
    EXPECT_EQ(two.resourceAfter, sentinel());

    V labels, values;
    for (int i = 0; i < 9; ++i) {
        labels.Append(L::List(V((L"Zeile " + std::to_wstring(i)).c_str())));
        values.Append(L::List(i == 1 ? V(L"x") : i == 2 ? strings({L"y"}) : V(i + 0.25)));
    }
    dialogtest::Call nine = call(kFn, {V(L"W"), V(L"T"), labels, values}, "type 1024 \"70\"\nok\n", record);
    EXPECT_EQ(nine.value, list({V(1), V(0.25), V(0.0), V(0.0), V(3.25), V(4.25), V(5.25), V(6.25), V(70.0), V(8.25)}))
        << show(nine.value);

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].labels, (std::vector<CString>{L"Breite", L"Höhe"}));
    EXPECT_EQ(shown[0].texts, (std::vector<CString>{L"1.00", L"2.50"}));
    EXPECT_EQ(shown[1].labels.size(), 8u);
    EXPECT_EQ(shown[1].texts, (std::vector<CString>{L"0.25", L"0.00", L"0.00", L"3.25", L"4.25", L"5.25", L"6.25", L"7.25"}));
}

TEST_F(MultiEditFunction, APickAsksForTheRowsDistanceAndTheWindowComesBackWithIt)
{
    // The example of the function's documentation, then a second pick on the other row.
    distances = {{RTNORM, 3.5}, {RTNORM, 3.456}};
    std::vector<Shown> shown;
    dialogtest::Call r = call(kFn, {V(L"W"), V(L"T"), strings({L"Breite", L"Höhe"}), list({V(1), V(2)})},
                              "click 1003\nclick \"Breite\"\nok\n", [&](CDialog& d) { shown.push_back(look(d)); });
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(prompts, (std::vector<std::wstring>{L"\nHöhe abgreifen :", L"\nBreite abgreifen :"}));
    ASSERT_EQ(shown.size(), 3u) << "one window per pass";
    EXPECT_EQ(shown[1].texts, (std::vector<CString>{L"1.00", L"3.50"}));
    EXPECT_EQ(shown[2].texts, (std::vector<CString>{L"3.46", L"3.50"}));
    // What OK returns is what the window showed: 3.456 was shown as 3.46.
    EXPECT_EQ(r.value, list({V(1), V(3.46), V(3.5)})) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"OK -> return -> RSRSLT\r\n"});
    EXPECT_TRUE(r.userErrors.empty());
}

// Escape or an empty answer at the prompt leave the row; a pick loses what was typed before it.
TEST_F(MultiEditFunction, EscapeOrAnEmptyAnswerAtThePromptLeaveTheRowAndTypedTextIsLostByAPick)
{
    distances = {{RTCAN}, {RTNONE}, {RTNORM, 9}};
    std::vector<Shown> shown;
    dialogtest::Call r = call(kFn, {V(L"W"), V(L"T"), strings({L"Breite", L"Höhe"}), list({V(1), V(2)})},
                              "type 1002 \"7\"\nclick 1003\nclick 1003\nclick 1001\ntype 1006 \"12abc\"\nok\n",
                              [&](CDialog& d) { shown.push_back(look(d)); });
    ASSERT_EQ(shown.size(), 4u);
    for (int pass : {1, 2})
        EXPECT_EQ(shown[pass].texts, (std::vector<CString>{L"1.00", L"2.00"})) << "pass " << pass;
    EXPECT_EQ(r.value, list({V(1), V(9.0), V(12.0)})) << show(r.value);
}

TEST_F(MultiEditFunction, CancelAnswersZeroAndDropsPickedValues)
{
    distances = {{RTNORM, 4}};
    dialogtest::Call r = call(kFn, {V(L"W"), V(L"T"), strings({L"A"}), list({V(1)})}, "click 1001\nkey Escape\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(0))) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"CANCEL -> return 0 -> RSRSLT\r\n"});
    EXPECT_EQ(r.dialogs.size(), 2u);
}

TEST_F(MultiEditFunction, AnyOtherEndShowsTheWindowAgainAndAWindowThatCannotOpenEndsTheCall)
{
    // A code that is no pick of an existing row (1005 is row 2's, of two rows) asks nothing.
    int pass = 0;
    dialogtest::Call r = call(kFn, {V(L"W"), V(L"T"), strings({L"A", L"B"}), list({V(1), V(2)})}, "ok\n",
                              [&](CDialog& d) {
                                  if (pass++ == 0)
                                      d.EndDialog(7);
                                  else if (pass == 2)
                                      d.EndDialog(IDC_MULTIEDIT_PICK2);
                              });
    EXPECT_EQ(r.dialogs.size(), 3u);
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(r.value, list({V(1), V(1.0), V(2.0)})) << show(r.value);

    // DoModal's failure (-1) is not met by a new window each pass, but ends the call.
    dialogtest::Call failed = call(kFn, {V(L"W"), V(L"T"), strings({L"A"}), list({V(1)})}, "",
                                   [](CDialog& d) { d.EndDialog(-1); });
    EXPECT_EQ(failed.status, RSERR);
    EXPECT_FALSE(failed.hasValue) << show(failed.value);
    EXPECT_EQ(failed.dialogs.size(), 1u);
    EXPECT_EQ(failed.lines(L"DialogReturn"),
              std::vector<std::wstring>{L"dialog 30020 cannot be shown -> return -> RSERR\r\n"});
}

class MultiEditWithDatabase : public MultiEditFunction {
protected:
    dialogtest::SampleWasser wasser;
};

TEST_F(MultiEditWithDatabase, NumericIdentifiersAreLookedUpAndNameTheirPrompt)
{
    ASSERT_TRUE(wasser.ok);
    distances = {{RTNORM, 12.75}};
    std::vector<CString> labels;
    dialogtest::Call r = call(kFn, {V(L" WASSER "), V(L"TEXTE\t"), list({V(4), V(L"Eigene"), V(1.0)}),
                                    list({V(25), V(0.5), V(1.2)})},
                              "click 1001\nok\n", [&](CDialog& d) { labels = look(d).labels; });
    EXPECT_EQ(labels, (std::vector<CString>{L"Länge [m]", L"Eigene", L"Überdeckung [m]"}));
    EXPECT_EQ(prompts, std::vector<std::wstring>{L"\nLänge [m] abgreifen :"});
    EXPECT_EQ(r.value, list({V(1), V(12.75), V(0.5), V(1.2)})) << show(r.value);
}

TEST_F(MultiEditWithDatabase, AFailedLookupAnswersNothingBeforeAnyWindow)
{
    for (const auto& [database, table] : {std::pair{L"GIBTESNICHT", L"TEXTE"}, std::pair{L"WASSER", L"KEINETABELLE"}}) {
        dialogtest::Call r = call(kFn, {V(database), V(table), list({V(L"Breite"), V(12)}), list({V(1), V(2)})});
        EXPECT_EQ(r.status, RSERR);
        EXPECT_FALSE(r.hasValue) << show(r.value);
        EXPECT_TRUE(r.dialogs.empty());
        EXPECT_EQ(r.lines(L"DialogReturn"),
                  std::vector<std::wstring>{L"PARAMETERERROR 3: Identifier 1 keine Zahl -> return -> RSERR\r\n"});
    }
}

}  // namespace
