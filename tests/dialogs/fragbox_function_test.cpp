// korDialog_FragBox as LISP calls it: argument checks, OK and Cancel, labels literal or looked up.
#include "dialog_args.h"
#include "lisp_call.h"

#include "mfc/afxwin.h"
#include "res/resource.h"

namespace {

using dialogtest::list;
using dialogtest::show;
using dialogtest::strings;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kFn = L"korDialog_FragBox";

class FragBoxFunction : public dialogtest::ModuleFixture {
protected:
    // The texts of the controls `ids`.
    static std::vector<CString> texts(CDialog& d, std::initializer_list<UINT> ids)
    {
        std::vector<CString> out;
        for (UINT id : ids) {
            CString t;
            d.GetDlgItemText(static_cast<int>(id), t);
            out.push_back(t);
        }
        return out;
    }
};

TEST_F(FragBoxFunction, EachFailedCheckAnswersItsCodeAndLogsItsMessageWithoutADialog)
{
    const V two = strings({L"A", L"B"});
    const V vals = list({V(1), V(2)});
    const std::vector<dialogtest::CheckCase> cases = {
        {"no arguments", {}, -1, L"PARAMETERERROR 1: Keine Datenbank -> return -> RSERR\r\n"},
        {"table missing", {V(L"WASSER")}, -2, L"PARAMETERERROR 2: Keine Tabelle -> return -> RSERR\r\n"},
        {"descriptions a string", {V(L"W"), V(L"T"), V(L"A"), vals}, -3,
         L"PARAMETERERROR 3: Keine Identifier4Beschreibung -> return -> RSERR\r\n"},
        {"values missing", {V(L"W"), V(L"T"), two}, -4,
         L"PARAMETERERROR 4: Keine Identifier4Beschreibung -> return -> RSERR\r\n"},
        {"three descriptions, two values", {V(L"W"), V(L"T"), strings({L"A", L"B", L"C"}), vals}, -5,
         L"PARAMETERERROR 3+4: Anzahl Elemente in Liste ungleich -> return -> RSERR\r\n"},
        {"identifier 0.5 (a real below 1)", {V(L"W"), V(L"T"), list({V(0.5), V(L"B")}), vals}, -6,
         L"PARAMETERERROR 3: Identifier4Beschreibung keine Zahl -> return -> RSERR\r\n"},
        {"description a list", {V(L"W"), V(L"T"), list({V(L"A"), strings({L"x"})}), vals}, -6,
         L"PARAMETERERROR 3: Identifier4Beschreibung kein String -> return -> RSERR\r\n"},
        {"first bad row wins", {V(L"W"), V(L"T"), list({V(L"A"), V(0), strings({L"x"})}), list({V(1), V(2), V(3)})},
         -6, L"PARAMETERERROR 3: Identifier4Beschreibung keine Zahl -> return -> RSERR\r\n"},
    };
    expectChecks(kFn, L"korDialog_FragBox -> FragBox()", cases);
}

// The documented example: row 1 typed over by 4; a label is cut to 255 characters.
TEST_F(FragBoxFunction, OkAnswersOneAndEveryValueInItsOwnType)
{
    const std::wstring longLabel(300, L'x');
    std::vector<CString> labels;
    dialogtest::Call r = call(kFn, {V(L"WASSER"), V(L"TEXTE"), strings({L"Länge", longLabel.c_str()}), list({V(2.5), V(3)})},
                              "type 1006 \"4\"\nok\n",
                              [&](CDialog& d) { labels = texts(d, {IDC_FRAGBOX_LABEL0, IDC_FRAGBOX_LABEL1}); });
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, list({V(1), V(2.5), V(4)})) << show(r.value);
    EXPECT_EQ(L::Type(L::Nth(1, r.value)), LISP_REAL);
    EXPECT_EQ(labels, (std::vector<CString>{L"Länge", std::wstring(255, L'x').c_str()}));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"OK -> return -> RSRSLT\r\n"});
    EXPECT_EQ(r.dialogs, std::vector<std::string>{"\"__kor---\" (template 140)"});
    EXPECT_EQ(r.resourceAfter, sentinel());
    EXPECT_TRUE(r.userErrors.empty());
}

TEST_F(FragBoxFunction, CancelAnswersZeroAndAnyOtherEndNothing)
{
    dialogtest::Call r = call(kFn, {V(L"W"), V(L"T"), strings({L"A"}), list({V(1)})}, "type 1002 \"9\"\nkey Escape\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(0)));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"CANCEL -> return 0 -> RSRSLT\r\n"});

    r = call(kFn, {V(L"W"), V(L"T"), strings({L"A"}), list({V(1)})}, "", [](CDialog& d) { d.EndDialog(7); });
    EXPECT_EQ(r.status, RSERR);
    EXPECT_FALSE(r.hasValue) << show(r.value);
    EXPECT_EQ(r.dialogs.size(), 1u);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSERR\r\n"});
}

// Ten rows: eight shown, all ten back, a list and nil as one element each.
TEST_F(FragBoxFunction, EveryRowComesBackAsOneElementShownOrNot)
{
    V descriptions, values;
    for (int i = 0; i < 10; ++i) {
        descriptions.Append(L::List(V((L"Zeile " + std::to_wstring(i)).c_str())));
        values.Append(L::List(i == 9 ? list({V(1), V(2)}) : V(i)));
    }
    dialogtest::Call r = call(kFn, {V(L"W"), V(L"T"), descriptions, values}, "type 1024 \"70\"\nok\n");
    EXPECT_EQ(r.value, list({V(1), V(0), V(1), V(2), V(3), V(4), V(5), V(6), V(70), V(8), list({V(1), V(2)})}))
        << show(r.value);

    dialogtest::Call first = call(kFn, {V(L"W"), V(L"T"), strings({L"A", L"B"}), list({V(), V(2)})}, "ok\n");
    EXPECT_EQ(first.value, list({V(1), V(), V(2)})) << show(first.value);
}

// Numeric descriptions with blank database and table names: nothing looked up, empty labels.
TEST_F(FragBoxFunction, NamesAreTrimmedAndEmptyNamesGiveEmptyLabelsWithoutADatabase)
{
    CString label;
    bool visible = false;
    dialogtest::Call r = call(kFn, {V(L"  "), V(L" \t"), list({V(7), V(2.9)}), list({V(L"x"), V(1.5)})}, "ok\n",
                              [&](CDialog& d) {
                                  d.GetDlgItemText(IDC_FRAGBOX_LABEL0, label);
                                  visible = d.GetDlgItem(IDC_FRAGBOX_EDIT1)->IsWindowVisible() != 0;
                              });
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(label, L"");
    EXPECT_TRUE(visible);
    EXPECT_EQ(r.value, list({V(1), V(L"x"), V(1.5)})) << show(r.value);
}

class FragBoxWithDatabase : public FragBoxFunction {
protected:
    dialogtest::SampleWasser wasser;
};

TEST_F(FragBoxWithDatabase, NumericDescriptionsAreLookedUpPerRowBesideLiteralLabels)
{
    ASSERT_TRUE(wasser.ok);
    std::vector<CString> labels;
    dialogtest::Call r = call(kFn, {V(L" WASSER "), V(L"TEXTE\t"), list({V(3), V(L"Eigener Text"), V(2.0), V(5)}),
                                    list({V(100), V(L"x"), V(L"PE"), V(1998)})},
                              "type 1002 \"150\"\nok\n", [&](CDialog& d) {
                                  labels = texts(d, {IDC_FRAGBOX_LABEL0, IDC_FRAGBOX_LABEL1, IDC_FRAGBOX_LABEL2,
                                                     IDC_FRAGBOX_LABEL3});
                              });
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(labels, (std::vector<CString>{L"Nennweite [mm]", L"Eigener Text", L"Material", L"Baujahr"}));
    EXPECT_EQ(r.value, list({V(1), V(150), V(L"x"), V(L"PE"), V(1998)})) << show(r.value);
}

TEST_F(FragBoxWithDatabase, AnUnknownTableOrDatabaseEndsTheCallBeforeAnyDialog)
{
    for (const auto& [database, table] : {std::pair{L"GAS", L"TEXTE"}, std::pair{L"WASSER", L"TEXTE\" WHERE 1=1 --"}}) {
        dialogtest::Call r = call(kFn, {V(database), V(table), list({V(L"Länge"), V(1)}), list({V(1), V(2)})});
        EXPECT_EQ(r.status, RSERR);
        EXPECT_FALSE(r.hasValue) << show(r.value);
        EXPECT_TRUE(r.dialogs.empty());
        EXPECT_EQ(r.lines(L"DialogReturn"),
                  std::vector<std::wstring>{L"GetStringFromFragBoxIdentifier failed -> return -> RSERR\r\n"});
    }
}

}  // namespace
