// The drawing model: nothing of a file is lost, entities read as programs read them, entmod
// changes only what it is given, extended data by application, new records. (Its tables and
// ssget's filters, as LISP sees them: tests/host/lisp/drawing.lsp.)
#include "drawing_util.h"

#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace korcad;
using namespace drawingtest;

const EntityName kNone;
const Point3 kPoint123 = {1, 2, 3};

// A drawing with what korcad does not interpret: comments, an unknown section, classes, an
// unknown entity with odd groups, objects with reactors, a dangling pointer.
std::string unusualDrawing()
{
    return dxfText({{999, "written by some other program"},
                    {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1018"}, {9, "$CUSTOMVAR"},
                    {1, "x"}, {9, "$HANDSEED"}, {5, "FF"}, {0, "ENDSEC"},
                    {0, "SECTION"}, {2, "CLASSES"}, {0, "CLASS"}, {1, "ACDBPLACEHOLDER"}, {2, "AcDbPlaceHolder"},
                    {3, "ObjectDBX Classes"}, {90, "0"}, {280, "0"}, {281, "0"}, {0, "ENDSEC"},
                    {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "APPID"}, {5, "9"}, {70, "1"},
                    {0, "APPID"}, {5, "12"}, {2, "ACAD"}, {70, "0"}, {0, "ENDTAB"},
                    {0, "TABLE"}, {2, "LAYER"}, {70, "1"}, {0, "LAYER"}, {5, "10"}, {2, "0"}, {70, "0"}, {62, "7"},
                    {6, "CONTINUOUS"}, {0, "ENDTAB"}, {0, "ENDSEC"},
                    {0, "SECTION"}, {2, "ENTITIES"},
                    {0, "HATCH"}, {5, "A0"}, {102, "{ACAD_REACTORS"}, {330, "B0"}, {102, "}"}, {330, "DEAD"},
                    {8, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {2, "SOLID"}, {70, "1"}, {91, "1"},
                    {92, "2"}, {72, "1"}, {93, "0"}, {1001, "ACAD"}, {1000, "kept"}, {1002, "{"}, {1070, "3"},
                    {1002, "}"},
                    {0, "LINE"}, {5, "A1"}, {8, "0"}, {62, "1"}, {10, "1.000"}, {20, "2"}, {30, "0"}, {11, "4"},
                    {21, "6"}, {31, "0"},
                    {0, "ENDSEC"},
                    {0, "SECTION"}, {2, "OBJECTS"}, {0, "DICTIONARY"}, {5, "B0"}, {330, "0"}, {3, "ACAD_GROUP"},
                    {350, "B1"}, {0, "ACDBPLACEHOLDER"}, {5, "B1"}, {0, "ENDSEC"},
                    {0, "SECTION"}, {2, "ACDSDATA"}, {70, "2"}, {71, "6"}, {0, "ACDSSCHEMA"}, {90, "0"},
                    {1, "AcDb3DSolid_ASM_Data"}, {0, "ENDSEC"},
                    {0, "EOF"}},
                   "\r\n");
}

TEST(DrawingRoundTrip, TheSampleAndAnUnusualDrawingAreWrittenBackByteForByte)
{
    for (const std::string& bytes : {readFile(netzPath()), unusualDrawing()}) {
        ASSERT_FALSE(bytes.empty());
        auto d = readDrawing(bytes);
        EXPECT_EQ(d->write(), bytes);
        EXPECT_FALSE(d->modified());
    }
}

// A change touches only its entity: "1.000" and "2" of the same LINE stay as they were written;
// a dangling pointer ("DEAD") is left out of what programs see and kept in the file.
TEST(DrawingRoundTrip, AChangeTouchesOnlyItsEntityDanglingPointersAreKept)
{
    std::string bytes = unusualDrawing();
    auto d = readDrawing(bytes);
    EntityName line, hatch;
    ASSERT_TRUE(d->handEnt(L"a1", line) && d->handEnt(L"A0", hatch));
    auto h = show(d->entGet(hatch));
    EXPECT_EQ(std::count(h.begin(), h.end(), "330=<name>"), 1);  // the reactor
    std::string why;
    ASSERT_TRUE(d->entMod(d->entGet(hatch), &why)) << why;
    EXPECT_EQ(d->write(), bytes);
    auto groups = d->entGet(line);
    for (dxf::Group& g : groups)
        if (g.code == 62)
            g.integer = 3;
    ASSERT_TRUE(d->entMod(groups, &why)) << why;
    EXPECT_TRUE(d->modified());
    auto before = tagStream(bytes), after = tagStream(d->write());
    ASSERT_EQ(before.size(), after.size());
    Groups differing;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            differing.push_back(after[i]);
    EXPECT_EQ(differing, (Groups{{62, "3"}}));
}

TEST(DrawingEntities, NamesWalkMainAndSubEntitiesAndHandlesFindThem)
{
    auto d = readNetz();
    std::vector<std::string> types;
    EntityName e, at;
    for (bool ok = d->entNext(kNone, e); ok; ok = d->entNext(at, e)) {
        types.push_back(show(d->entGet(e))[1]);
        at = e;
    }
    // Hydrants carry ATTRIBs and a SEQEND that entnext walks through.
    auto firstInsert = std::find(types.begin(), types.end(), "0=INSERT");
    ASSERT_NE(firstInsert, types.end());
    EXPECT_EQ(*(firstInsert + 1), "0=ATTRIB");
    EXPECT_EQ(*(firstInsert + 3), "0=SEQEND");
    EXPECT_EQ(std::count(types.begin(), types.end(), "0=VERTEX"), 3);
    EXPECT_EQ(d->mainEntities().size(), d->entityCount());
    EXPECT_EQ(d->entityCount(), static_cast<size_t>(std::count_if(types.begin(), types.end(), [](auto& t) {
                  return t != "0=ATTRIB" && t != "0=SEQEND" && t != "0=VERTEX";
              })));
    EntityName last;
    ASSERT_TRUE(d->entLast(last));
    // Handles, any case; the owner group becomes a name of the model-space record.
    auto spline = show(d->entGet(last));
    EXPECT_EQ(spline[1], "0=SPLINE");
    std::string handle = spline[2].substr(2);
    EntityName byHandle;
    EXPECT_TRUE(d->handEnt(kortext::toWide(handle), byHandle) && byHandle == last);
    EXPECT_FALSE(d->handEnt(L"FFFFF", byHandle) || d->handEnt(L"XYZ", byHandle));
}

TEST(DrawingXdata, ByApplicationReplacedAddedAndRemoved)
{
    auto d = readNetz();
    EntityName pipe;
    ASSERT_TRUE(d->entNext(kNone, pipe));
    EXPECT_FALSE(has(show(d->entGet(pipe)), "-3=-"));  // without apps, no extended data
    const auto all = std::vector<std::wstring>{L"KOR_*"};
    auto x = show(d->entGet(pipe, &all));
    EXPECT_TRUE(has(x, "-3=-") && has(x, "1001=KOR_NETZ") && has(x, "1000=PE") && has(x, "1070=110"));

    // Unregistered applications are refused; regapp registers once.
    std::string why;
    const EntityName p = pipe;
    const auto add = dxf::Groups{{-1, p}, dxf::Group(-3), {1001, L"KOR_PRUEF"}, {1000, L"geprüft"}, {1010, kPoint123}};
    EXPECT_FALSE(d->entMod(add, &why));
    EXPECT_EQ(why, "application KOR_PRUEF is not registered (regapp)");
    EXPECT_TRUE(d->regApp(L"KOR_PRUEF"));
    EXPECT_FALSE(d->regApp(L"kor_pruef"));
    EXPECT_FALSE(d->regApp(L"bad name"));
    ASSERT_TRUE(d->entMod(add, &why)) << why;
    x = show(d->entGet(pipe, &all));
    EXPECT_TRUE(has(x, "1001=KOR_NETZ") && has(x, "1001=KOR_PRUEF") && has(x, "1010=1.0,2.0,3.0"));

    // Replacing one application's data leaves the other's; an empty list removes it.
    const auto replace = dxf::Groups{{-1, p}, dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"PE-HD"}};
    ASSERT_TRUE(d->entMod(replace, &why)) << why;
    const auto remove = dxf::Groups{{-1, p}, dxf::Group(-3), {1001, L"KOR_PRUEF"}};
    ASSERT_TRUE(d->entMod(remove, &why)) << why;
    x = show(d->entGet(pipe, &all));
    EXPECT_TRUE(has(x, "1000=PE-HD"));
    EXPECT_FALSE(has(x, "1070=110") || has(x, "1001=KOR_PRUEF"));
    // Saved and read again, the data is there, in the file's encoding.
    auto again = readDrawing(d->write());
    x = show(again->entGet(pipe, &all));
    EXPECT_TRUE(x.empty());  // names are per drawing
    EntityName first;
    ASSERT_TRUE(again->entNext(kNone, first));
    x = show(again->entGet(first, &all));
    EXPECT_TRUE(has(x, "1000=PE-HD"));
    EXPECT_TRUE(again->find(L"APPID", L"KOR_PRUEF"));
}

// An entmod of a complex entity keeps its sub-entities as they were unless it changes whether
// the entity opens them (an INSERT's 66 flag).
TEST(DrawingEntmod, SubEntitiesFollowOnlyTheAttributesFollowFlag)
{
    auto d = readNetz();
    EntityName e, at, insert;
    for (bool ok = d->entNext(kNone, e); ok && insert.null(); ok = d->entNext(at, e)) {
        if (show(d->entGet(e))[1] == "0=INSERT" && has(show(d->entGet(e)), "66=1"))
            insert = e;
        at = e;
    }
    ASSERT_FALSE(insert.null());
    auto walk = [&] {
        std::vector<std::string> types;
        EntityName n;
        if (d->entNext(insert, n))
            types.push_back(show(d->entGet(n))[1]);
        return types;
    };
    const size_t mains = d->mainEntities().size();
    ASSERT_EQ(walk(), std::vector<std::string>{"0=ATTRIB"});
    std::string why;
    ASSERT_TRUE(d->regApp(L"KOR_PRUEF"));
    const auto xdata = dxf::Groups{{-1, insert}, dxf::Group(-3), {1001, L"KOR_PRUEF"}, {1000, L"geprüft"}};
    ASSERT_TRUE(d->entMod(xdata, &why)) << why;
    const auto layer = dxf::Groups{{-1, insert}, {8, L"NEU"}};
    ASSERT_TRUE(d->entMod(layer, &why)) << why;
    EXPECT_EQ(walk(), std::vector<std::string>{"0=ATTRIB"});
    EXPECT_EQ(d->mainEntities().size(), mains);
    // Without the flag its ATTRIBs and SEQEND no longer belong to it; with it again they do.
    const auto off = dxf::Groups{{-1, insert}, {66, 0}};
    ASSERT_TRUE(d->entMod(off, &why)) << why;
    EXPECT_GT(d->mainEntities().size(), mains);
    const auto on = dxf::Groups{{-1, insert}, {66, 1}};
    ASSERT_TRUE(d->entMod(on, &why)) << why;
    EXPECT_EQ(d->mainEntities().size(), mains);
    EXPECT_EQ(walk(), std::vector<std::string>{"0=ATTRIB"});
}

TEST(DrawingEntmod, ChecksAndWhatItAddsToTheDrawing)
{
    auto d = readNetz();
    EntityName pipe;
    ASSERT_TRUE(d->entNext(kNone, pipe));
    const EntityName p = pipe;
    std::string why;
    const auto type = dxf::Groups{{-1, p}, {0, L"LINE"}};
    EXPECT_FALSE(d->entMod(type, &why));
    EXPECT_EQ(why, "entmod does not change an entity's type");
    const auto ltype = dxf::Groups{{-1, p}, {6, L"GIBTSNICHT"}};
    EXPECT_FALSE(d->entMod(ltype, &why));
    EXPECT_EQ(why, "linetype GIBTSNICHT is not defined");
    const auto noName = dxf::Groups{{8, L"0"}};
    EXPECT_FALSE(d->entMod(noName, &why));
    EXPECT_FALSE(d->modified());  // refusals change nothing

    // A layer that does not exist yet is made; a colour goes after the layer.
    const auto layer = dxf::Groups{{-1, p}, {8, L"NEU_LAYER"}, {62, 3}};
    ASSERT_TRUE(d->entMod(layer, &why)) << why;
    EXPECT_NE(d->find(L"LAYER", L"neu_layer"), nullptr);
    auto g = show(d->entGet(pipe));
    auto at = std::find(g.begin(), g.end(), "8=NEU_LAYER");
    ASSERT_NE(at, g.end());
    EXPECT_EQ(*(at + 1), "62=3");

    // A vertex more: the count follows.
    auto groups = d->entGet(pipe);
    auto lastVertex = std::find_if(groups.rbegin(), groups.rend(), [](const dxf::Group& g) { return g.code == 10; });
    ASSERT_NE(lastVertex, groups.rend());
    groups.insert(lastVertex.base(), dxf::Group(10, Point3{60, 90, 0}));
    ASSERT_TRUE(d->entMod(groups, &why)) << why;
    g = show(d->entGet(pipe));
    EXPECT_TRUE(has(g, "90=4"));
    EXPECT_EQ(g.back(), "10=60.0,90.0,0.0");
    auto tags = tagStream(d->write());
    EXPECT_NE(std::find(tags.begin(), tags.end(), std::make_pair(20, std::string("90.0"))), tags.end());
}

TEST(DrawingNewRecords, HandlesComeFromTheSeedAndNewDrawingsHaveTheStandardTables)
{
    Drawing d(L"Neu.dwg");
    EXPECT_EQ(d.version(), "AC1015");
    EXPECT_TRUE(d.find(L"LAYER", L"0") && d.find(L"STYLE", L"Standard") && d.find(L"APPID", L"ACAD"));
    EXPECT_FALSE(d.find(L"LTYPE", L"ByLayer") || d.entityCount());
    uint32_t id = d.appendEntity({{0, "LINE"}, {8, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "5.0"},
                                  {21, "0.0"}, {31, "0.0"}});
    ASSERT_NE(id, 0u);
    EntityName line = d.nameOf(id), last;
    EXPECT_TRUE(d.entLast(last) && last == line);
    EXPECT_TRUE(has(show(d.entGet(line)), "5=30"));  // the seed of a new drawing
    EXPECT_TRUE(d.regApp(L"KOR"));
    auto reread = readDrawing(d.write());
    EXPECT_EQ(reread->entityCount(), 1u);
    auto header = tagStream(d.write());
    auto seed = std::find(header.begin(), header.end(), std::make_pair(9, std::string("$HANDSEED")));
    ASSERT_NE(seed, header.end());
    EXPECT_EQ((seed + 1)->second, "32");
}

}  // namespace
