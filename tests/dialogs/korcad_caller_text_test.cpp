// A caller's text is data on every way it takes: through korcad's LISP into each of the eight
// functions, onto the dialogs, into the debug log, into a database lookup and back to LISP.
// Every string argument gets printf conversions (%s%n%x: a text used as a format would read
// or write memory it was never given), Qt's place markers (%1 %2), every kind of quote and a
// statement end ('"`;), a backslash and markup (<b>): each must arrive as written, shown as
// text, with the documented result, and nothing may crash.
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kText = "%s%n%x '\"`; \\ <b>fett</b> %1 %2";

// The text as a LISP string literal, and as prin1 writes it back: quotes and backslashes
// escaped alike. The answers file quotes texts the same way.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

const std::string L = quoted(kText);                 // in LISP, in an answers file, printed
std::string with(const std::string& prefix) { return quoted(prefix + kText); }

KorcadRun run(const std::vector<std::string>& expressions, const std::string& answers)
{
    std::vector<std::string> args = {"--dwg", std::string(EXAMPLES_DIR) + "/netz.dxf"};
    for (const auto& e : expressions) {
        args.push_back("-e");
        args.push_back(e);
    }
    return korcad(args, answers);
}

// The dialogs' own texts and the answers: what the user clicks, selects and types is found by
// the very text the program passed, and comes back as it went in.
TEST(KorcadCallerText, EveryStringArgumentReachesTheDialogAndComesBackVerbatim)
{
    KorcadRun r = run(
        {
            "(korDialog_ButtonDialog 1 (list " + L + ") (list " + with("A ") + " \"B\") (list " + with("v ") +
                " \"b\"))",
            "(korDialog_ButtonValue \"WASSER\" \"TEXTE\" " + L + " " + with("Knopf ") + " " + with("d ") + " " +
                with("z ") + ")",
            "(korDialog_ButtonValue \"WASSER\" \"TEXTE\" " + L + " " + with("Knopf ") + " " + with("d ") + " " +
                with("z ") + ")",
            "(korDialog_FragBox \"WASSER\" \"TEXTE\" (list " + L + " " + with("2 ") + ") (list " + L + " 2.5))",
            "(korDialog_MultiEditDialog \"WASSER\" \"TEXTE\" (list " + L + " \"Zwei\") (list 1 2))",
            "(korDialog_GridDialog (list 1 " + L + " 1 (list " + L + " \"DN\") (list (list " + L +
                " \"150\") (list \"b\" \"200\"))))",
            "(korDialog_GridDialog (list 1 " + L + " 2 (list \"K\" " + L + ") (list (list \"k\" \"v\"))))",
            "(korDialog_GridDialog_LType " + L + ")",
            "(list (korDialog_LWeightDialog " + L + ") (korDialog_LWeightDialog 0))",
            "(korDialog_SelectColor " + L + ")",
        },
        "click " + with("A ") + "\n"                          // ButtonDialog: the caption as written
        "click " + with("Knopf ") + "\n"                      // ButtonValue: its button
        "ok\n"                                                // ButtonValue: the default as written
        "ok\n"                                                // FragBox
        "click " + L + "\n"                                   // MultiEdit: the row's pick button
        "input \"3.5\"\n"
        "ok\n"
        "select 201 " + L + "\n"                              // Grid: the row by its cell text
        "ok\n"
        "edit 201 #0 2 " + L + "\n"                           // Grid in edit mode: typed into a cell
        "ok\n"
        "cancel\n"                                            // LType: no such linetype
        "ok\nok\n"                                            // LWeight, twice
        "ok\n");                                              // SelectColor
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.signal, 0);
    EXPECT_EQ(r.process.out,
              "(1 " + with("v ") + ")\n"
              "(2 " + with("z ") + ")\n"
              "(1 " + with("d ") + ")\n"
              "(1 " + L + " 2.5)\n"
              "\n" + kText + " abgreifen :3.5\n"  // the row's prompt names it by its label
              "(1 3.5 2.0)\n"
              "((1 " + L + ") nil)\n"
              "((\"k\" . " + L + ") nil)\n"
              "(-1 \"\")\n"
              "(-3 -3)\n"  // an index that is no number counts as 0: the first entry, "Vorgabe"
              "(1 16777215)\n")
        << r.process.err;
    // The log shows the texts as the module passed them, as data.
    EXPECT_NE(r.log.find("return 'z " + kText + "' -> RSRSLT\r\n"), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("return 'd " + kText + "' -> RSRSLT\r\n"), std::string::npos) << r.log;
}

// Database and table names a caller passes go to the text lookup: refused as names (they
// could leave their quotes in the query), answered with the documented error, and reported
// with the name shown as data.
TEST(KorcadCallerText, DatabaseAndTableNamesAreRefusedAsDataNeverSplicedIntoAQuery)
{
    const std::string catching = "(vl-catch-all-error-message (vl-catch-all-apply ";
    KorcadRun r = run(
        {
            "(korDialog_ButtonValue " + L + " \"TEXTE\" 1 16 1.2 \"Z\")",
            "(korDialog_ButtonValue \"WASSER\" " + L + " 1 16 1.2 \"Z\")",
            catching + "'korDialog_FragBox (list " + L + " \"TEXTE\" '(1) '(1))))",
            catching + "'korDialog_FragBox (list \"WASSER\" " + L + " '(1) '(1))))",
            catching + "'korDialog_MultiEditDialog (list " + L + " " + L + " '(1) '(1))))",
        },
        "");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
    EXPECT_EQ(r.process.out,
              "(-7)\n(-7)\n"
              "\"ADS request error: korDialog_FragBox\"\n\"ADS request error: korDialog_FragBox\"\n"
              "\"ADS request error: korDialog_MultiEditDialog\"\n")
        << r.process.err;
    // The reasons name the texts with their quotes escaped, once per call.
    const std::string shown = "\"%s%n%x '\\\"`; \\ <b>fett</b> %1 %2\"";
    EXPECT_NE(r.process.err.find("abgelehnter Datenbankname " + shown), std::string::npos) << r.process.err;
    EXPECT_NE(r.process.err.find("abgelehnter Tabellenname " + shown), std::string::npos) << r.process.err;
    EXPECT_EQ(r.process.err.find("(null)"), std::string::npos) << r.process.err;
}

// A title reaches the user's messages too: when an answer does not fit, korcad names the
// dialog by its title, as the program wrote it (Qt's %1 %2 in it are not place markers).
TEST(KorcadCallerText, TitlesInKorcadsMessagesAreShownAsWritten)
{
    const std::vector<std::string> calls = {
        "(korDialog_ButtonDialog 1 (list " + L + ") (list \"A\") (list \"a\"))",
        "(korDialog_GridDialog (list 1 " + L + " 1 (list \"H\") (list (list \"x\"))))",
        "(korDialog_SelectColor " + L + ")",
    };
    for (const auto& call : calls) {
        KorcadRun r = run({call}, "click \"gibt es nicht\"\n");
        EXPECT_EQ(r.process.exitCode, 3) << call << "\n" << r.process.err;
        EXPECT_NE(r.process.err.find("\"" + kText + "\" (template "), std::string::npos) << call << "\n" << r.process.err;
        EXPECT_NE(r.process.err.find("gibt es nicht"), std::string::npos) << r.process.err;
    }
}

}  // namespace
