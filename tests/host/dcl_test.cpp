// DCL: where the layout puts tiles (in process), and a program with DCL dialogs run by korcad
// with an answers file (examples/dcl).
#include "dcl/Dcl.h"

#include "korcad_run.h"

#include <gtest/gtest.h>

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
        : boxed_column { label = "Box"; : edit_box { key = "e"; label = "Name:"; } }
        : list_box { key = "l"; label = "Lines"; }
        ok_cancel; })");
    const dcl::Box &a = box(d, "a"), &b = box(d, "b"), &t = box(d, "t"), &c = box(d, "c"), &r = box(d, "r");
    EXPECT_EQ(a.y, b.y);                                   // side by side in a row
    EXPECT_GT(b.x, a.x + a.cx);
    EXPECT_EQ(a.cx, b.cx);                                 // sharing the row's width
    EXPECT_EQ(a.x + (b.x + b.cx - a.x), t.x + t.cx);       // as wide as the column
    EXPECT_EQ(c.x - t.x, t.x + t.cx - (c.x + c.cx));       // centred
    EXPECT_EQ(r.x + r.cx, t.x + t.cx);                     // right
    const dcl::Tile& e = d.tiles.at(d.find("e"));
    EXPECT_GT(e.field.x, e.box.x);                         // the label before the field
    EXPECT_GE(e.box.y, d.tiles.at(e.parent).box.y + 11);   // under the box's label
    const dcl::Tile& l = d.tiles.at(d.find("l"));
    EXPECT_GT(l.field.y, l.box.y);                         // the label above the list
    const dcl::Box &ok = box(d, "accept"), &cancel = box(d, "cancel");
    EXPECT_EQ(ok.x - 7, d.tiles[0].box.cx - 7 - (cancel.x + cancel.cx));  // OK / Cancel centred
    EXPECT_GT(ok.y, l.box.y + l.box.cy);
}

TEST(DclExample, RunsFromAnswers)
{
    const std::string examples = EXAMPLES_DIR;
    KorcadRun run = korcad({examples + "/dcl/rohr.lsp"}, readFile(examples + "/dcl/rohr.answers"),
                           {{"KORCAD_APP_PATH", examples + "/dcl"}});
    EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
    EXPECT_NE(run.process.out.find("Rohr (DCL): (\"Stahl\" 150.0 \"PN16\" T \"2\" 6.5)"), std::string::npos)
        << run.process.out;
    EXPECT_NE(run.process.out.find("Rohr (FragBox): (\"PE 100\" 150.0 \"PN 10\")"), std::string::npos)
        << run.process.out;
}

}  // namespace
