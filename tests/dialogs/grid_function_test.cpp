// The grid, linetype and line-weight functions as LISP calls them, in every mode.
#include "dialog_args.h"
#include "lisp_call.h"

#include "ads/adslib.h"

namespace {

using dialogtest::list;
using dialogtest::pair;
using dialogtest::show;
using dialogtest::strings;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kGrid = L"korDialog_GridDialog";
const std::wstring kLType = L"korDialog_GridDialog_LType";
const std::wstring kLWeight = L"korDialog_LWeightDialog";

// (preselect title mode headers rows [hidden])
V gridArgs(int preselect, int mode, const V& rows, const V& hidden = V())
{
    V args = list({V(preselect), V(L"  Auswahl "), V(mode), strings({L"Name", L"Wert"}), rows});
    if (hidden.kind() != V::Kind::Nil)
        args.Append(L::List(hidden));
    return args;
}

// Four rows a b c d with the values 1 2 3 4.
V fourRows()
{
    return list({strings({L"a", L"1"}), strings({L"b", L"2"}), strings({L"c", L"3"}), strings({L"d", L"4"})});
}

class GridFunction : public dialogtest::ModuleFixture {
protected:
    dialogtest::Call grid(const V& args, const std::string& answers) { return call(kGrid, {args}, answers); }
};

TEST_F(GridFunction, EachFailedCheckAnswersMinusOneAndLogsItsMessage)
{
    const std::vector<dialogtest::CheckCase> cases = {
        {"no argument", {}, -1, L"PARAMETERERROR 1: keine Zahl -> return -> RSERR\r\n"},
        {"row a string", {list({V(L"1"), V(L"T"), V(1)})}, -1, L"PARAMETERERROR 1: keine Zahl -> return -> RSERR\r\n"},
        {"title missing", {list({V(1)})}, -1, L"PARAMETERERROR 2: keine Dialogtitel -> return -> RSERR\r\n"},
        {"mode missing", {list({V(1), V(L"T")})}, -1, L"PARAMETERERROR 2: keine Selectionmode -> return -> RSERR\r\n"},
    };
    expectChecks(kGrid, L"korDialog_GridDialog -> GridDialog()", cases);

    const std::vector<dialogtest::CheckCase> ltype = {
        {"no argument", {}, -1, L"PARAMETERERROR 1: Defaultselektion kein String -> return -> RSERR\r\n"},
        {"a list of a name", {strings({L"DASHED"})}, -1,
         L"PARAMETERERROR 1: Defaultselektion kein String -> return -> RSERR\r\n"},
    };
    expectChecks(kLType, L"korDialog_GridDialog_LType -> GridDialogLType()", ltype);
}

TEST_F(GridFunction, SeveralRowsComeBackInRowOrderWithTheirFirstTextsAndNil)
{
    // The example of the documentation: rows 2 and 4 chosen, picked in either order.
    for (const char* answers : {"select 201 #1 #3\nok\n", "select 201 #3 #1\nclick \"OK\"\n"}) {
        SCOPED_TRACE(answers);
        dialogtest::Call r = grid(gridArgs(1, 0, fourRows()), answers);
        EXPECT_EQ(r.status, RSRSLT);
        EXPECT_EQ(r.value, list({list({V(2), V(L"b")}), list({V(4), V(L"d")}), V()})) << show(r.value);
        EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSRSLT\r\n"});
        EXPECT_EQ(r.resourceAfter, sentinel());
        ASSERT_EQ(r.dialogs.size(), 1u);
        EXPECT_EQ(r.dialogs[0], "\"Auswahl\" (template 30050)");  // the title trimmed
        EXPECT_TRUE(r.userErrors.empty());
    }
    // The preselected row stays chosen when OK comes at once; Enter in the grid is OK.
    dialogtest::Call pre = grid(gridArgs(3, 0, fourRows()), "key Enter\n");
    EXPECT_EQ(pre.value, list({list({V(3), V(L"c")}), V()})) << show(pre.value);
}

TEST_F(GridFunction, OneRowModesLetOneRowBeChosen)
{
    for (int mode : {1, -1}) {
        SCOPED_TRACE(mode);
        dialogtest::Call r = grid(gridArgs(1, mode, fourRows()), "select 201 \"c\"\nok\n");
        EXPECT_EQ(r.value, list({list({V(3), V(L"c")}), V()})) << show(r.value);
    }
    // Several rows are refused by a one-row grid: the scripted user fails (and closes it).
    dialogtest::Call several = grid(gridArgs(1, 1, fourRows()), "select 201 #0 #2\n");
    ASSERT_EQ(several.userErrors.size(), 1u);
    EXPECT_NE(several.userErrors[0].find("lets only one row be selected"), std::string::npos) << several.userErrors[0];
}

// A preselection that names no row selects nothing; Cancel answers (nil) in every mode.
TEST_F(GridFunction, NothingChosenAnswersNil)
{
    for (int row : {0, 5}) {
        SCOPED_TRACE(row);
        dialogtest::Call r = grid(gridArgs(row, 0, fourRows()), "ok\n");
        EXPECT_EQ(r.status, RSRSLT);
        EXPECT_EQ(r.value, list({V()})) << show(r.value);
    }
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        dialogtest::Call r = grid(gridArgs(2, mode, fourRows()),
                                  std::string(mode == 2 ? "edit 201 #0 2 \"9\"\n" : "select 201 #3\n") + "key Escape\n");
        EXPECT_EQ(r.status, RSRSLT);
        EXPECT_EQ(r.value, list({V()})) << show(r.value);
        EXPECT_TRUE(r.userErrors.empty());
    }
}

TEST_F(GridFunction, EditModeAnswersEveryRowsKeyAndValueAsEdited)
{
    // Column 1 of a row with two texts is read-only, column 2 and later are editable.
    const V rows = list({strings({L"a", L"1"}), strings({L"b"}), strings({L"c", L"3", L"x"})});
    dialogtest::Call r = grid(gridArgs(1, 2, rows),
                              "edit 201 #0 2 \"10\"\nedit 201 #1 1 \"B\"\nedit 201 #2 3 \"y\"\nkey Enter\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, list({pair(L"a", L"10"), pair(L"B", L""), pair(L"c", L"3"), V()})) << show(r.value);
    EXPECT_TRUE(r.userErrors.empty());

    dialogtest::Call refused = grid(gridArgs(1, 2, rows), "edit 201 #0 1 \"z\"\n");
    ASSERT_EQ(refused.userErrors.size(), 1u);
    EXPECT_NE(refused.userErrors[0].find("is read-only"), std::string::npos) << refused.userErrors[0];
    // Outside edit mode no cell can be edited.
    dialogtest::Call choose = grid(gridArgs(1, 1, rows), "edit 201 #0 2 \"z\"\n");
    ASSERT_EQ(choose.userErrors.size(), 1u);
    EXPECT_NE(choose.userErrors[0].find("does not let cells be edited"), std::string::npos);
}

TEST_F(GridFunction, MalformedHeadersAndRowsAreLeftOutNotRefused)
{
    // An element of the rows that is no list is a row without texts; non-strings are left out.
    const V rows = list({V(L"x"), list({V(L"a"), V(5), V(L"b")}), strings({L"c"})});
    dialogtest::Call r = grid(gridArgs(1, 0, rows), "select 201 #0 #1 #2\nok\n");
    EXPECT_EQ(r.value, list({list({V(1), V(L"")}), list({V(2), V(L"a")}), list({V(3), V(L"c")}), V()}))
        << show(r.value);

    // Rows and headers that are no lists: an empty grid, OK answers (nil).
    dialogtest::Call none = grid(list({V(1), V(L"T"), V(0), V(L"Name"), V(4)}), "ok\n");
    EXPECT_EQ(none.status, RSRSLT);
    EXPECT_EQ(none.value, list({V()})) << show(none.value);

}

TEST_F(GridFunction, TheHiddenColumnCannotBeReached)
{
    // Column 2 hidden: it cannot be edited or found by its text, and keeps its values.
    const V rows = list({strings({L"a", L"geheim", L"x"}), strings({L"b", L"2", L"y"})});
    dialogtest::Call hidden = grid(gridArgs(1, 2, rows, V(2)), "edit 201 #0 2 \"z\"\n");
    ASSERT_EQ(hidden.userErrors.size(), 1u);
    EXPECT_NE(hidden.userErrors[0].find("hidden column"), std::string::npos) << hidden.userErrors[0];

    dialogtest::Call find = grid(gridArgs(1, 1, rows, V(2)), "select 201 \"geheim\"\n");
    ASSERT_EQ(find.userErrors.size(), 1u);

    dialogtest::Call other = grid(gridArgs(1, 2, rows, V(2)), "edit 201 #1 3 \"Y\"\nok\n");
    EXPECT_TRUE(other.userErrors.empty());
    EXPECT_EQ(other.value, list({pair(L"a", L"geheim"), pair(L"b", L"2"), V()})) << show(other.value);

    // A hidden column given as a string hides nothing.
    dialogtest::Call shown = grid(gridArgs(1, 2, rows, V(L"2")), "edit 201 #0 2 \"z\"\nok\n");
    EXPECT_TRUE(shown.userErrors.empty());
    EXPECT_EQ(shown.value, list({pair(L"a", L"z"), pair(L"b", L"2"), V()})) << show(shown.value);
}

TEST_F(GridFunction, LineWeightAnswersTheChosenValueOrMinusOne)
{
    // The list: Vorgabe (-3), 0.00 mm, 0.05 mm, 0.09 mm, ...: index 3 is 0.09 mm.
    dialogtest::Call fourth = call(kLWeight, {V(3)}, "ok\n");
    EXPECT_EQ(fourth.status, RSRSLT);
    EXPECT_EQ(fourth.value, V(9)) << show(fourth.value);
    ASSERT_EQ(fourth.dialogs.size(), 1u);
    EXPECT_EQ(fourth.dialogs[0], "\"Linienstärke Auswahl\" (template 30051)");

    // No argument or a string: the first entry, Vorgabe.
    for (const std::vector<V>& args : {std::vector<V>{}, std::vector<V>{V(L"3")}}) {
        dialogtest::Call r = call(kLWeight, args, "ok\n");
        EXPECT_EQ(r.value, V(-3)) << show(r.value);
    }
    dialogtest::Call chosen = call(kLWeight, {V(0)}, "select 1041 \"2.11 mm\"\nok\n");
    EXPECT_EQ(chosen.value, V(211)) << show(chosen.value);

    dialogtest::Call cancelled = call(kLWeight, {V(5)}, "key Escape\n");
    EXPECT_EQ(cancelled.status, RSRSLT);
    EXPECT_EQ(cancelled.value, V(-1)) << show(cancelled.value);  // a bare -1, no list
}

// ---- the linetype list -----------------------------------------------------------------------

// A CAD program whose drawing has a linetype table the test writes.
class LTypeHost : public korcad::CadHost {
public:
    struct LType {
        const wchar_t* name;
        const wchar_t* description;
        std::vector<double> dashes;
    };
    std::vector<LType> table;
    std::vector<bool> rewinds;  // the rewind flag of every call on LTYPE

    resbuf* tblNext(const std::wstring& name, bool rewind) override
    {
        if (name != L"LTYPE")
            return CadHost::tblNext(name, rewind);
        rewinds.push_back(rewind);
        if (rewind)
            m_next = 0;
        if (m_next >= table.size())
            return nullptr;
        const LType& t = table[m_next++];
        resbuf* head = acutNewRb(0);
        head->resval.rstring = acutNewString(L"LTYPE");
        resbuf* tail = head;
        auto text = [&](int code, const wchar_t* value) {
            tail = tail->rbnext = acutNewRb(code);
            tail->resval.rstring = acutNewString(value);
        };
        if (t.name)
            text(2, t.name);
        if (t.description)
            text(3, t.description);
        for (double d : t.dashes) {
            tail = tail->rbnext = acutNewRb(49);
            tail->resval.rreal = d;
        }
        return head;
    }

private:
    size_t m_next = 0;
};

class LTypeFunction : public dialogtest::ModuleFixture {
protected:
    korcad::CadHost& cadHost() override { return ltypes; }
    LTypeHost ltypes;
};

TEST_F(LTypeFunction, TheDefaultLinetypesOwnRowIsPreselectedPastExternalNames)
{
    ltypes.table = {{L"Continuous", L"Solid line", {}},
                    {L"NETZ|DASHED", L"from the reference", {5.0, -5.0}},
                    {nullptr, L"no name", {}},
                    {L"DASHED", L"Dashed __ __ __", {12.7, -6.35}},
                    {L"HIDDEN", nullptr, {6.35, -3.175, 0.0, -3.175}}};
    dialogtest::Call r = call(kLType, {V(L"DASHED")}, "ok\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, list({V(2), V(L"DASHED")})) << show(r.value);
    EXPECT_EQ(r.dialogs, std::vector<std::string>{"\"Linientypauswahl\" (template 30050)"});
    EXPECT_EQ(ltypes.rewinds, (std::vector<bool>{true, false, false, false, false, false})) << "walked once, from its start";

    // Row numbers count listed linetypes only; the record without description is listed.
    dialogtest::Call hidden = call(kLType, {V(L"")}, "select 201 \"HIDDEN\"\nok\n");
    EXPECT_EQ(hidden.value, list({V(3), V(L"HIDDEN")})) << show(hidden.value);

    // Names compare case-sensitively, external names are not listed; Cancel too answers (-1 "").
    for (const wchar_t* name : {L"dashed", L"NETZ|DASHED"}) {
        dialogtest::Call none = call(kLType, {V(name)}, "ok\n");
        EXPECT_EQ(none.value, list({V(-1), V(L"")})) << show(none.value);
    }
    dialogtest::Call cancelled = call(kLType, {V(L"DASHED")}, "key Escape\n");
    EXPECT_EQ(cancelled.value, list({V(-1), V(L"")})) << show(cancelled.value);
}

}  // namespace
