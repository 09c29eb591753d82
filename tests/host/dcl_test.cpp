// DCL in process: where the layout puts tiles, and what actions see of the user's doing, the
// dialogs answered as an answers file answers them.
#include "app/DclDialog.h"
#include "cad/CadHost.h"
#include "dcl/Dcl.h"
#include "gui/AnswerRunner.h"
#include "lisp/Printer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// The laid-out dialog "d" of a DCL text.
dcl::Dialog laidOut(const std::string& text)
{
    dcl::File file;
    std::string error;
    EXPECT_TRUE(file.load(text, "t.dcl", &error)) << error;
    std::optional<dcl::Dialog> d = file.dialog("d");
    EXPECT_TRUE(d.has_value());
    return d ? *d : dcl::Dialog{};
}

const dcl::Box& box(const dcl::Dialog& d, const char* key) { return d.tiles.at(d.find(key)).box; }

TEST(DclLayout, RowsAndColumns)
{
    dcl::Dialog d = laidOut(R"(d : dialog {
        : row { : button { key = "a"; label = "A"; } : button { key = "b"; label = "B"; } }
        : text { key = "t"; label = "a rather long line of text"; }
        : button { key = "c"; label = "C"; fixed_width = true; alignment = centered; }
        : button { key = "r"; label = "R"; fixed_width = true; alignment = right; }
        : column { children_fixed_width = true; children_alignment = right; : button { key = "cr"; label = "CR"; } }
        : concatenation { : text_part { key = "p1"; label = "ab"; } : text_part { key = "p2"; label = "cd"; } }
        : boxed_column { label = "Box"; : edit_box { key = "e"; label = "Name:"; } }
        : list_box { key = "l"; label = "Lines"; }
        ok_cancel; })");
    const dcl::Box &a = box(d, "a"), &b = box(d, "b"), &t = box(d, "t"), &c = box(d, "c"), &r = box(d, "r");
    EXPECT_TRUE(a.y == b.y && b.x > a.x + a.cx && a.cx == b.cx);  // side by side, sharing the row's width
    EXPECT_EQ(a.x + (b.x + b.cx - a.x), t.x + t.cx);       // as wide as the column
    EXPECT_EQ(c.x - t.x, t.x + t.cx - (c.x + c.cx));       // centred
    EXPECT_EQ(r.x + r.cx, t.x + t.cx);                     // right
    EXPECT_TRUE(box(d, "cr").x + box(d, "cr").cx == t.x + t.cx && box(d, "cr").cx < t.cx);  // as its column says
    EXPECT_TRUE(box(d, "p1").x == t.x && box(d, "p2").x == box(d, "p1").x + box(d, "p1").cx);  // parts close up
    const dcl::Tile &e = d.tiles.at(d.find("e")), &l = d.tiles.at(d.find("l"));
    EXPECT_GT(e.field.x, e.box.x);                         // the label before the field
    EXPECT_GE(e.box.y, d.tiles.at(e.parent).box.y + 11);   // under the box's label
    EXPECT_GT(l.field.y, l.box.y);                         // the label above the list
    const dcl::Box &ok = box(d, "accept"), &cancel = box(d, "cancel");
    EXPECT_EQ(ok.x - 7, d.tiles[0].box.cx - 7 - (cancel.x + cancel.cx));  // OK / Cancel centred
    EXPECT_GT(ok.y, l.box.y + l.box.cy);
}

}  // namespace

namespace {

// A program's dialog answered in process by an answers text: `lisp` runs after (setq id
// (load_dialog ...)); `expected` is (list (start_dialog) log), log being what the actions noted.
struct DialogCase {
    const char *what, *lisp, *answers, *expected;
};

const DialogCase kDialogCases[] = {
    {"each tile's action hears its key, value and reason; an edit's when it is left",
     "(new_dialog \"t\" id) (foreach k '(\"e\" \"l\" \"t\") (action_tile k \"(setq log (cons (list $key $value $reason) log))\"))",
     "type @e \"5\"\nselect @l \"b\"\nclick @t\nok", "(1 ((\"t\" \"1\" 1) (\"l\" \"1\" 1) (\"e\" \"5\" 2)))"},
    {"a radio cluster's action hears the chosen button and the client data",
     "(new_dialog \"t\" id) (action_tile \"r\" \"(setq log (list $key $value $data))\") (client_data_tile \"r\" \"D\")",
     "click @r2\ncancel", "(0 (\"r\" \"r2\" \"D\"))"},
    {"an image button's point; a status of the program's own",
     "(new_dialog \"t\" id) (action_tile \"i\" \"(setq log (list $x $y)) (done_dialog 7)\")", "click @i",
     "(7 (0 0))"},
    {"the default action for tiles without one; OK still ends the dialog",
     "(new_dialog \"t\" id \"(setq log $key)\")", "click @b\nok", "(1 \"b\")"},
    {"term_dialog ends every dialog with -1", "(new_dialog \"t\" id) (action_tile \"b\" \"(term_dialog)\")", "click @b",
     "(-1 nil)"},
    {"Escape cancels without the edit's action",
     "(new_dialog \"t\" id) (action_tile \"e\" \"(setq log $value)\")", "type @e \"x\"\nkey Escape", "(0 nil)"},
    {"an OK action that does not end the dialog keeps it open",
     "(new_dialog \"t\" id) (action_tile \"accept\" \"(setq log (cons $reason log))\")", "ok\nclick \"OK\"\ncancel",
     "(0 (1 1))"},
};

TEST(DclDialog, ActionsSeeWhatTheUserDid)
{
    const std::string path = testing::TempDir() + "/dcl_dialog_test.dcl";
    std::ofstream(path) << R"(t : dialog { label = "T";
        : edit_box { key = "e"; label = "E:"; }
        : list_box { key = "l"; list = "a\nb\nc"; }
        : radio_row { key = "r"; : radio_button { key = "r1"; label = "R1"; } : radio_button { key = "r2"; label = "R2"; } }
        : toggle { key = "t"; label = "Tg"; }
        : image_button { key = "i"; width = 6; height = 3; }
        : button { key = "b"; label = "B"; }
        ok_cancel; })";
    for (const DialogCase& c : kDialogCases) {
        SCOPED_TRACE(c.what);
        lisp::Interpreter lisp;
        korcad::CadHost host;
        korcad::installDclFunctions(lisp, host);
        std::vector<korcad::Action> actions;
        std::string error;
        ASSERT_TRUE(korcad::parseAnswers(c.answers, actions, &error)) << error;
        korcad::AnswerRunner runner(actions, [](const std::string& message) { ADD_FAILURE() << message; });
        lisp.evalText("(setq id (load_dialog \"" + path + "\") log nil) " + c.lisp);
        lisp::Value v = lisp.evalText("(list (start_dialog) log)");
        EXPECT_EQ(lisp::toString(v, true), c.expected);
        EXPECT_EQ(runner.remaining(), 0u);
    }
    // An action's error closes the dialog and leaves start_dialog.
    lisp::Interpreter lisp;
    korcad::CadHost host;
    korcad::installDclFunctions(lisp, host);
    lisp.evalText("(setq id (load_dialog \"" + path + "\")) (new_dialog \"t\" id) (action_tile \"b\" \"(car 1)\")");
    afxdriver::onNextDialog([](CDialog&) { afxdriver::click(L"B"); });
    EXPECT_THROW(lisp.evalText("(start_dialog)"), lisp::LispError);
}

}  // namespace
