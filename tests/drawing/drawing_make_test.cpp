// Making and erasing entities: entmake and entdel in the model, and korcad's drawing
// commands from LISP as programs call them, checked by reading the saved file back.
#include "DrawingTestUtil.h"

#include "run_process.h"

#include "text/text.h"

#include <gtest/gtest.h>

namespace {

using namespace korcad;
using drawingtest::readDrawing;
using drawingtest::readFile;
using drawingtest::tagStream;

std::string textOf(const dxf::Groups& groups, int code)
{
    for (const dxf::Group& g : groups)
        if (g.code == code && dxf::kindOf(code) == dxf::Kind::Text)
            return kortext::fromWide(g.text);
    return "<none>";
}

const Point3 kOrigin = {0, 0, 0};
const Point3 kTen = {10, 0, 0};

TEST(DrawingEntmake, MakesWhatIsCompleteAndRefusesWhatIsNot)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    std::string why;
    auto make = [&](const dxf::Groups& groups) { return d->entMake(groups, &why); };
    EXPECT_EQ(make(dxf::Groups{{0, L"LINE"}, {10, kOrigin}}), 0u);
    EXPECT_EQ(why, "LINE needs group 11");
    EXPECT_EQ(make(dxf::Groups{{0, L"INSERT"}, {2, L"GIBTS_NICHT"}, {10, kOrigin}}), 0u);
    EXPECT_EQ(why, "block GIBTS_NICHT is not defined");
    EXPECT_EQ(make(dxf::Groups{{0, L"CIRCLE"}, {6, L"STRICH"}, {10, kOrigin}, {40, 1.0}}), 0u);
    EXPECT_EQ(why, "linetype STRICH is not defined");
    EXPECT_EQ(make(dxf::Groups{{0, L"POINT"}, {10, kOrigin}, dxf::Group(-3), {1001, L"NIEMAND"}, {1000, L"x"}}), 0u);
    EXPECT_EQ(why, "application NIEMAND is not registered (regapp)");
    EXPECT_EQ(make(dxf::Groups{{0, L"VERTEX"}, {10, kOrigin}}), 0u);
    EXPECT_EQ(make(dxf::Groups{{8, L"0"}}), 0u);
    size_t before = d->entityCount();
    EXPECT_FALSE(d->modified());

    // A valve on a new layer with extended data: the file groups in R2000 order.
    uint32_t id = make(dxf::Groups{{0, L"INSERT"}, {8, L"NEU_ARMATUR"}, {62, 2}, {2, L"SCHIEBER"}, {10, kTen}, dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"neu"}});
    ASSERT_NE(id, 0u) << why;
    EXPECT_EQ(d->entityCount(), before + 1);
    EXPECT_NE(d->find(L"LAYER", L"NEU_ARMATUR"), nullptr);
    const EntityName made = d->nameOf(id);
    std::vector<std::pair<int, std::string>> groups;
    for (const auto& t : d->tags(*d->record(made)))
        groups.emplace_back(t.code, std::string(t.value()));
    std::vector<int> codes;
    for (const auto& g : groups)
        codes.push_back(g.first);
    EXPECT_EQ(codes, (std::vector<int>{0, 5, 330, 100, 8, 62, 100, 2, 10, 20, 30, 1001, 1000}));
    EXPECT_EQ(groups[6].second, "AcDbBlockReference");

    // An ARC gets its second marker before its angles.
    id = make(dxf::Groups{{0, L"ARC"}, {10, kOrigin}, {40, 2.0}, {50, 0.0}, {51, 90.0}});
    ASSERT_NE(id, 0u) << why;
    auto reread = readDrawing(d->write());
    EXPECT_EQ(reread->entityCount(), before + 2);
}

TEST(DrawingEntmake, StructuralOrUnknownTypesAndLineBreaksAreRefusedSoEverySaveReadsBack)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    std::string why;
    auto make = [&](const dxf::Groups& groups) {
        why.clear();
        return d->entMake(groups, &why);
    };
    // What would end a section or the file, start a table, class or block, or is no entity.
    for (const wchar_t* type : {L"SECTION", L"ENDSEC", L"EOF", L"eof", L"TABLE", L"ENDTAB", L"CLASS", L"BLOCK",
                                L"ENDBLK", L"LINE\nENDSEC", L"LINE\r", L"ZAUBERSTAB", L"LAYER\n"}) {
        SCOPED_TRACE(kortext::fromWide(type));
        EXPECT_EQ(make(dxf::Groups{{0, type}, {10, kOrigin}, {11, kTen}}), 0u);
        EXPECT_NE(why, "");
    }
    // A line break in any text: the type's own, the common groups, a layer, extended data.
    EXPECT_EQ(make(dxf::Groups{{0, L"TEXT"}, {10, kOrigin}, {40, 1.0}, {1, L"zwei\nZeilen"}}), 0u);
    EXPECT_EQ(why, "group 1 holds a line break");
    EXPECT_EQ(make(dxf::Groups{{0, L"LINE"}, {8, L"A\rB"}, {10, kOrigin}, {11, kTen}}), 0u);
    EXPECT_EQ(why, "group 8 holds a line break");
    EXPECT_EQ(make(dxf::Groups{{0, L"POINT"}, {10, kOrigin}, dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"a\r\nb"}}), 0u);
    EXPECT_EQ(why, "group 1000 holds a line break");
    EXPECT_EQ(make(dxf::Groups{{0, L"LAYER"}, {2, L"NEU\nLAYER"}}), 0u);
    EXPECT_EQ(why, "group 2 holds a line break");
    EXPECT_FALSE(d->modified()) << "refusals change nothing";

    // entmod refuses line breaks the same way, in entity data and extended data.
    EntityName pipe;
    ASSERT_TRUE(d->entNext({}, pipe));
    const auto layer = dxf::Groups{{-1, pipe}, {8, L"ROHR\nE"}};
    EXPECT_FALSE(d->entMod(layer, &why));
    EXPECT_EQ(why, "group 8 holds a line break");
    const auto xdata = dxf::Groups{{-1, pipe}, dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"x\ny"}};
    EXPECT_FALSE(d->entMod(xdata, &why));
    EXPECT_EQ(why, "group 1000 holds a line break");
    EXPECT_FALSE(d->modified());

    // Entity types korcad does not draw are still made, with a tab (written as ^I) in a text.
    ASSERT_NE(make(dxf::Groups{{0, L"ellipse"}, {10, kOrigin}, {11, kTen}, {40, 0.5}, {1, L"a\tb"}}), 0u) << why;
    ASSERT_NE(make(dxf::Groups{{0, L"SOLID"}, {10, kOrigin}, {11, kTen}, {12, kTen}, {13, kOrigin}}), 0u) << why;
    // The drawing's last line of defence: a record that would break the file is not taken.
    EXPECT_EQ(d->appendEntity({{0, "ENDSEC"}}), 0u);
    EXPECT_EQ(d->appendEntity({{0, "POINT"}, {1, "a\nb"}}), 0u);
    EXPECT_EQ(d->appendEntity({{0, "POINT"}, {-3, "x"}}), 0u);
    auto reread = readDrawing(d->write());
    EXPECT_EQ(reread->write(), d->write());
}

TEST(DrawingEntdel, ErasesAMainEntityWithItsPartsAndBringsItBack)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    size_t count = d->entityCount();
    EntityName hydrant;
    for (uint32_t id : d->mainEntities())
        if (textOf(d->entGet(d->nameOf(id)), 2) == "HYDRANT") {
            hydrant = d->nameOf(id);
            break;
        }
    EntityName attrib;
    ASSERT_TRUE(d->entNext(hydrant, attrib));
    EXPECT_FALSE(d->entDel(attrib));  // a part goes only with its entity
    ASSERT_TRUE(d->entDel(hydrant));
    EXPECT_EQ(d->entityCount(), count - 1);
    EXPECT_TRUE(d->entGet(hydrant).empty());
    EXPECT_TRUE(d->entGet(attrib).empty());
    std::string saved = d->write();
    EXPECT_EQ(saved.find("H-101"), std::string::npos);
    ASSERT_TRUE(d->entDel(hydrant));
    EXPECT_EQ(d->entityCount(), count);
    EXPECT_EQ(d->write(), readFile(drawingtest::netzPath()));
}

TEST(KorcadCommands, DrawLayerEraseAndPauseFromLispByEnglishAndGermanNames)
{
    TempFile out("plan.dxf", "");
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", out.path(), "--save-as", out.path(), "-e",
                         "(command \"_.LAYER\" \"_M\" \"ROHRE\" \"\")", "-e",
                         "(command \"_.LINE\" '(0 0) \"10,0\" '(10 10) \"\")", "-e",
                         "(command \"plinie\" \"0,0\" \"5,5\" \"10,0\" \"\")", "-e",
                         "(command \"KREIS\" pause 2.5)", "-e", "(command \"_.TEXT\" \"1,1\" 2 0 \"Straße\")",
                         "-e", "(command \"Löschen\" (ssget \"X\" '((0 . \"LINE\"))) \"\")", "-e",
                         "(command \"_.LAYER\" \"_OFF\" \"ROH*\" \"\")", "-e", "(command \"_.FLY\")", "-e",
                         "(command \"_LINIE\")", "-e", "(command \"_.ZOOM\" \"_E\" \"übrig\")"},
                        "7,7\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("2 gelöscht"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Unbekannter Befehl \"_.FLY\""), std::string::npos) << r.out;
    // "_" asks for the English name: a German one after it is unknown.
    EXPECT_NE(r.out.find("Unbekannter Befehl \"_LINIE\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("; 1 Argument blieb übrig."), std::string::npos) << r.out;
    auto d = readDrawing(readFile(out.path()));
    std::vector<std::string> kinds;
    for (uint32_t id : d->mainEntities()) {
        dxf::Groups g = d->entGet(d->nameOf(id));
        kinds.push_back(textOf(g, 0) + "@" + textOf(g, 8));
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"LWPOLYLINE@ROHRE", "CIRCLE@ROHRE", "TEXT@ROHRE"}));
    for (const dxf::Group& g : d->tblSearch(L"LAYER", L"ROHRE", false)) {
        if (g.code == 62) {
            EXPECT_LT(g.integer, 0);  // switched off
        }
    }
    for (const dxf::Group& g : d->entGet(d->nameOf(d->mainEntities()[1]))) {
        if (g.code == 10) {
            EXPECT_EQ(g.point[0], 7.0);  // the centre the user typed at the pause
        }
    }

    if (runProcess({"/usr/bin/python3", "-c", "import ezdxf"}).exitCode != 0)
        GTEST_SKIP() << "python3-ezdxf is not installed: the independent reader was not asked";
    auto py = runProcess({"/usr/bin/python3", "-c",
                          "import sys\nfrom ezdxf import recover\n"
                          "doc, a = recover.readfile(sys.argv[1])\n"
                          "print([(e.dxftype(), e.dxf.layer) for e in doc.modelspace()], len(a.errors))\n"
                          "print(doc.modelspace().query('TEXT')[0].dxf.text)\n",
                          out.path()});
    EXPECT_EQ(py.out, "[('LWPOLYLINE', 'ROHRE'), ('CIRCLE', 'ROHRE'), ('TEXT', 'ROHRE')] 0\nStraße\n") << py.err;
}

}  // namespace
