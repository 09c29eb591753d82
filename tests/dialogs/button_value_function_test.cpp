// korDialog_ButtonValue as LISP calls it: argument checks, answers for OK, back value and Cancel.
#include "lisp_call.h"
#include "run_process.h"
#include "test_db.h"

#include "db/kordb.h"
#include "mfc/afxwin.h"
#include "res/resource.h"

#include <cstdlib>
#include <optional>

namespace {

using dialogtest::show;
using dialogtest::strings;
using V = CKORAdsLispVar;
using L = CKORAdsLisp;

const std::wstring kFn = L"korDialog_ButtonValue";

class ButtonValueFunction : public dialogtest::ModuleFixture {
protected:
    // Saved window positions and databases.ini go to a folder of the test's own.
    void SetUp() override
    {
        const char* home = std::getenv("XDG_CONFIG_HOME");
        previousHome = home ? std::optional<std::string>(home) : std::nullopt;
        ::setenv("XDG_CONFIG_HOME", dir.dir().c_str(), 1);
        kordb::closeAll();
        kordb::clearHostDatabases();
        kordb::reloadConfiguration();
        dialogtest::ModuleFixture::SetUp();
    }
    void TearDown() override
    {
        dialogtest::ModuleFixture::TearDown();
        kordb::closeAll();
        kordb::clearHostDatabases();
        previousHome ? ::setenv("XDG_CONFIG_HOME", previousHome->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    }

    // A database file of the test's own holding `sql`, configured as database `name`.
    void makeDatabase(const std::string& name, const std::string& sql)
    {
        std::string path = dir.dir() + "/" + name + ".sqlite";
        ASSERT_EQ(testdb::sqliteFile(path, sql), "");
        ASSERT_TRUE(kordb::setDatabase(name, path));
    }

    // A call with literal texts for header and button (no lookup), the given default and the back value "B".
    dialogtest::Call callWith(const V& defaultValue, const std::string& answers,
                              const std::function<void(CDialog&)>& inspect = nullptr)
    {
        return call(kFn, {V(L"WASSER"), V(L"TEXTE"), V(L"Nennweite"), V(L"Aus Zeichnung"), defaultValue, V(L"B")},
                    answers, inspect);
    }

    TempFile dir{"keep", ""};
    std::optional<std::string> previousHome;
};

TEST_F(ButtonValueFunction, EachFailedCheckAnswersItsCodeAndLogsItsMessageWithoutADialog)
{
    const V db(L"WASSER"), tab(L"TEXTE"), head(L"Kopf"), btn(L"Knopf"), def(1.5), back(L"B");
    const std::vector<dialogtest::CheckCase> cases = {
        {"no arguments", {}, -1, L"PARAMETERERROR 1: Keine Datenbank -> return -> RSERR\r\n"},
        {"database empty", {V(L""), tab, head, btn, def, back}, -1, L"PARAMETERERROR 1: Datenbank leer -> return -> RSERR\r\n"},
        {"table missing", {db}, -2, L"PARAMETERERROR 2: Kein Table -> return -> RSERR\r\n"},
        {"header 0", {db, tab, V(0), btn, def, back}, -3, L"PARAMETERERROR 3: Keine Header4nummer -> return -> RSERR\r\n"},
        {"button 0", {db, tab, head, V(0), def, back}, -4, L"PARAMETERERROR 4: Keine Button4nummer -> return -> RSERR\r\n"},
        {"default missing", {db, tab, head, btn}, -5, L"PARAMETERERROR 5: Kein Defaultwert -> return -> RSERR\r\n"},
        {"back empty", {db, tab, head, btn, def, V(L"")}, -6, L"PARAMETERERROR 6: Backvalue leer -> return -> RSERR\r\n"},
        {"header checked before a bad button and default", {db, tab, V(0), V(0), V::T(), back}, -3,
         L"PARAMETERERROR 3: Keine Header4nummer -> return -> RSERR\r\n"},
    };
    expectChecks(kFn, L"korDialog_ButtonValue -> ButtonValue()", cases);
}

TEST_F(ButtonValueFunction, ABackValueThatIsNoTextEndsWithoutAnAnswerOrALogLine)
{
    dialogtest::Call r = call(kFn, {V(L"WASSER"), V(L"TEXTE"), V(L"Kopf"), V(L"Knopf"), V(1.5), V::T()});
    EXPECT_EQ(r.status, RSERR);
    EXPECT_FALSE(r.hasValue) << show(r.value);
    EXPECT_TRUE(r.lines(L"DialogReturn").empty());
    EXPECT_TRUE(r.dialogs.empty());
    EXPECT_EQ(r.resourceAfter, sentinel());
}

TEST_F(ButtonValueFunction, ANumericDefaultShowsTwoDecimalsAndOKAnswersAReal)
{
    CString shown;
    auto edit = [&](CDialog& d) { d.GetDlgItemText(IDC_BUTTONVALUE_VALUE, shown); };

    dialogtest::Call r = callWith(V(3.14159), "ok\n", edit);
    EXPECT_EQ(shown, L"3.14");
    EXPECT_EQ(r.status, RSRSLT);
    ASSERT_EQ(r.value, L::List(V(1), V(3.14))) << show(r.value);
    EXPECT_TRUE(L::RealP(L::Nth(1, r.value)));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return '3.14' -> RSRSLT\r\n"});
    EXPECT_EQ(r.dialogs, std::vector<std::string>{"\"_ kor --\" (template 101)"});

    // An integer default is shown and answered as a real too.
    r = callWith(V(5), "key Enter\n", edit);
    EXPECT_EQ(shown, L"5.00");
    EXPECT_TRUE(L::RealP(L::Nth(1, r.value))) << show(r.value);

    // What the user types is read as far as it is a number.
    const std::vector<std::pair<const char*, double>> typed = {
        {"type 1002 \"12.5 m\"\nok\n", 12.5}, {"type 1002 \"abc\"\nok\n", 0.0}, {"type 1002 \"  7e1x\"\nok\n", 70.0},
    };
    for (const auto& [answers, expected] : typed) {
        SCOPED_TRACE(answers);
        r = callWith(V(1.0), answers);
        EXPECT_EQ(r.value, L::List(V(1), V(expected))) << show(r.value);
    }
}

// Literal texts for header and button need no database, not even a database name.
TEST_F(ButtonValueFunction, ATextDefaultAnswersTheEditedTextUnchanged)
{
    CString shown;
    dialogtest::Call r = call(kFn, {strings({L"NIR", L"GENDS"}), V(42), V(L"Nennweite DN"), V(L"Übernehmen"), V(L"DN 100"), V(L"B")},
                              "ok\n", [&](CDialog& d) { d.GetDlgItemText(IDC_BUTTONVALUE_VALUE, shown); });
    EXPECT_EQ(shown, L"DN 100");
    EXPECT_EQ(r.value, L::List(V(1), V(L"DN 100")));

    r = callWith(V(L"x"), "type 1002 \"0150\"\nclick \"OK\"\n");
    EXPECT_EQ(r.value, L::List(V(1), V(L"0150"))) << "a text that looks like a number stays a text";
}

TEST_F(ButtonValueFunction, TheBackValueButtonAnswersTwoAndTheBackValueWhateverTheEditHolds)
{
    dialogtest::Call r = callWith(V(2.5), "type 1002 \"99\"\nclick \"Aus Zeichnung\"\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(2), V(L"B")));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return 'B' -> RSRSLT\r\n"});

    // The back value is the text the common library makes of argument 6, here a list.
    r = call(kFn, {V(L"WASSER"), V(L"TEXTE"), V(L"K"), V(L"Z"), V(1.0), L::List(V(L"DN"), V(150))}, "click 1001\n");
    EXPECT_EQ(r.value, L::List(V(2), V(L"DN150")));
}

TEST_F(ButtonValueFunction, CancelAnswersZeroAndAnyOtherEndNothingWithStatusThree)
{
    dialogtest::Call r = callWith(V(1.5), "key Escape\n");
    EXPECT_EQ(r.status, RSRSLT);
    EXPECT_EQ(r.value, L::List(V(0)));
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"cancel -> return 0 -> RSRSLT\r\n"});

    r = callWith(V(1.5), "", [](CDialog& d) { d.EndDialog(42); });
    EXPECT_EQ(r.status, RSERR);
    EXPECT_FALSE(r.hasValue) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"return -> RSERR\r\n"});
}

TEST_F(ButtonValueFunction, AFailedLookupAnswersMinusSeven)
{
    // A header given by number, in a database nobody configured.
    dialogtest::Call r = call(kFn, {V(L"NIRGENDS"), V(L"TEXTE"), V(3), V(L"Knopf"), V(1.5), V(L"B")});
    EXPECT_EQ(r.status, RSERR);
    EXPECT_EQ(r.value, L::List(V(-7))) << show(r.value);
    EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{L"Keine Strings aus Datenbank -> return -> RSERR\r\n"});
    EXPECT_TRUE(r.dialogs.empty());
}

TEST_F(ButtonValueFunction, NumbersAndEmptyTextsAreLookedUpInTheCallersDatabaseAndTable)
{
    makeDatabase("WASSER", "CREATE TABLE TEXTE (Identifier INTEGER, Text TEXT);"
                           "INSERT INTO TEXTE VALUES (0, 'Wert'), (3, 'Nennweite [mm]'), (16, 'Aus Zeichnung');"
                           "CREATE TABLE KNOEPFE (Identifier INTEGER, Text TEXT);"
                           "INSERT INTO KNOEPFE VALUES (3, 'Messen'), (16, 'Übernehmen');");
    CString header, button;
    auto seen = [&](CDialog& d) {
        d.GetDlgItemText(IDC_BUTTONVALUE_HEADER, header);
        d.GetDlgItemText(IDC_BUTTONVALUE_BACK, button);
    };

    // Both by number; the user clicks the looked-up caption.
    dialogtest::Call r = call(kFn, {V(L"WASSER"), V(L"TEXTE"), V(3), V(16), V(0.8), V(L"ZEICHNUNG")},
                              "click \"Aus Zeichnung\"\n", seen);
    EXPECT_EQ(header, L"Nennweite [mm]");
    EXPECT_EQ(button, L"Aus Zeichnung");
    EXPECT_EQ(r.value, L::List(V(2), V(L"ZEICHNUNG")));
    EXPECT_TRUE(r.userErrors.empty());

    // The table named by the caller is the one read.
    call(kFn, {V(L"WASSER"), V(L"KNOEPFE"), V(L"Tiefe"), V(16.0), V(0.8), V(L"B")}, "cancel\n", seen);
    EXPECT_EQ(header, L"Tiefe");
    EXPECT_EQ(button, L"Übernehmen");
    call(kFn, {V(L"WASSER"), V(L"TEXTE"), V(L""), V(L"Knopf"), V(0.8), V(L"B")}, "cancel\n", seen);
    EXPECT_EQ(header, L"Wert");
    EXPECT_EQ(button, L"Knopf");

    // A table the database does not hold.
    r = call(kFn, {V(L"WASSER"), V(L"FEHLT"), V(3), V(L"Knopf"), V(0.8), V(L"B")});
    EXPECT_EQ(r.value, L::List(V(-7)));
    EXPECT_TRUE(r.dialogs.empty());
}

}  // namespace
