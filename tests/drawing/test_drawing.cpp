// The drawing model: nothing of a file is lost, tables and entities read as programs read
// them, entmod changes only what it is given, extended data by application, new records.
#include "DrawingTestUtil.h"

#include "drawing/Selection.h"

#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace korcad;
using drawingtest::dxfText;
using drawingtest::readDrawing;
using drawingtest::readFile;
using drawingtest::tagStream;

// The groups of a chain as "code=value" texts, for compact comparisons.
std::vector<std::string> show(const resbuf* rb)
{
    std::vector<std::string> out;
    for (; rb; rb = rb->rbnext) {
        std::string v;
        switch (ads::groupKind(rb->restype)) {
        case ads::GroupKind::Text:
            for (const wchar_t* c = rb->resval.rstring; *c; ++c)
                v += static_cast<char>(*c < 128 ? *c : '?');
            break;
        case ads::GroupKind::Real:
        case ads::GroupKind::Int64:
            v = dxf::formatReal(rb->resval.rreal);
            break;
        case ads::GroupKind::Point:
            v = dxf::formatReal(rb->resval.rpoint[0]) + "," + dxf::formatReal(rb->resval.rpoint[1]) + "," +
                dxf::formatReal(rb->resval.rpoint[2]);
            break;
        case ads::GroupKind::Int16:
            v = std::to_string(rb->resval.rint);
            break;
        case ads::GroupKind::Int32:
            v = std::to_string(rb->resval.rlong);
            break;
        case ads::GroupKind::Name:
            v = "<name>";
            break;
        case ads::GroupKind::None:
            v = "-";
        }
        out.push_back(std::to_string(rb->restype) + "=" + v);
    }
    return out;
}

const ads_name kNone = {0, 0};
const ads_point kPoint123 = {1, 2, 3};
const ads_point kPoint50_10 = {50, 10, 0};

bool has(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

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
    for (const std::string& bytes : {readFile(drawingtest::netzPath()), unusualDrawing()}) {
        ASSERT_FALSE(bytes.empty());
        auto d = readDrawing(bytes);
        EXPECT_EQ(d->write(), bytes);
        EXPECT_FALSE(d->modified());
    }
}

TEST(DrawingRoundTrip, AChangeTouchesOnlyItsEntity)
{
    std::string bytes = unusualDrawing();
    auto d = readDrawing(bytes);
    ads_name line;
    ASSERT_TRUE(d->handEnt(L"a1", line));
    ads::RbPtr groups = d->entGet(line);
    for (resbuf* rb = groups.get(); rb; rb = rb->rbnext)
        if (rb->restype == 62)
            rb->resval.rint = 3;
    std::string why;
    ASSERT_TRUE(d->entMod(groups.get(), &why)) << why;
    EXPECT_TRUE(d->modified());
    auto before = tagStream(bytes), after = tagStream(d->write());
    ASSERT_EQ(before.size(), after.size());
    size_t differing = 0;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) {
            ++differing;
            EXPECT_EQ(after[i], std::make_pair(62, std::string("3")));
        }
    EXPECT_EQ(differing, 1u);  // "1.000" and "2" of the same entity stay as they were written
}

TEST(DrawingTables, WalkAndSearchAsProgramsReadThem)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    ads::RbPtr first = d->tblNext(L"LTYPE", true);
    auto f = show(first.get());
    EXPECT_EQ(f[0], "0=LTYPE");
    EXPECT_EQ(f[1], "2=Continuous");  // ByBlock and ByLayer are not walked
    EXPECT_FALSE(has(f, "5=") || std::any_of(f.begin(), f.end(), [](auto& s) { return s.rfind("330=", 0) == 0 || s.rfind("100=", 0) == 0; }));
    std::vector<std::string> names;
    for (ads::RbPtr r = std::move(first); r; r = d->tblNext(L"ltype", false))
        names.push_back(show(r.get())[1]);
    EXPECT_EQ(names, (std::vector<std::string>{"2=Continuous", "2=WASSERWERK|STRICHPUNKT", "2=DASHED", "2=DASHDOT",
                                               "2=HIDDEN", "2=BORDER"}));
    // A dash pattern comes with its lengths.
    auto dashed = show(d->tblSearch(L"LTYPE", L"dashed", true).get());
    EXPECT_TRUE(has(dashed, "49=0.5") && has(dashed, "49=-0.25") && has(dashed, "73=2"));
    EXPECT_EQ(show(d->tblNext(L"LTYPE", false).get())[1], "2=DASHDOT");  // setnext went on after it
    EXPECT_EQ(d->tblSearch(L"LTYPE", L"NOPE", false), nullptr);
    EXPECT_EQ(d->tblNext(L"NOTABLE", true), nullptr);
    // Blocks: the definitions, not the model and paper space, with their first entity.
    auto block = show(d->tblNext(L"BLOCK", true).get());
    EXPECT_EQ(block[1], "2=HYDRANT");
    EXPECT_EQ(block.back(), "-2=<name>");
    EXPECT_EQ(show(d->tblNext(L"BLOCK", false).get())[1], "2=SCHIEBER");
    EXPECT_EQ(d->tblNext(L"BLOCK", false), nullptr);
}

TEST(DrawingEntities, NamesWalkMainAndSubEntitiesAndHandlesFindThem)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    std::vector<std::string> types;
    ads_name e, none = {0, 0}, at;
    for (bool ok = d->entNext(none, e); ok; ok = d->entNext(at, e)) {
        types.push_back(show(d->entGet(e).get())[1]);
        at[0] = e[0];
        at[1] = e[1];
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
    ads_name last;
    ASSERT_TRUE(d->entLast(last));
    EXPECT_EQ(show(d->entGet(last).get())[1], "0=SPLINE");
    // Handles, any case; the owner group becomes a name of the model-space record.
    auto spline = show(d->entGet(last).get());
    std::string handle = spline[2].substr(2);
    ads_name byHandle;
    ASSERT_TRUE(d->handEnt(kortext::toWide(handle), byHandle));
    EXPECT_EQ(byHandle[0], last[0]);
    EXPECT_FALSE(d->handEnt(L"FFFFF", byHandle));
    EXPECT_FALSE(d->handEnt(L"XYZ", byHandle));
    // A name of another drawing finds nothing here.
    auto other = readDrawing(readFile(drawingtest::netzPath()));
    EXPECT_EQ(other->entGet(last), nullptr);
}

TEST(DrawingEntities, DanglingPointersAreLeftOutAndKept)
{
    auto d = readDrawing(unusualDrawing());
    ads_name hatch;
    ASSERT_TRUE(d->handEnt(L"A0", hatch));
    auto g = show(d->entGet(hatch).get());
    EXPECT_EQ(std::count(g.begin(), g.end(), "330=<name>"), 1);  // the reactor; "DEAD" points nowhere
    ads::RbPtr chain = d->entGet(hatch);
    std::string why;
    ASSERT_TRUE(d->entMod(chain.get(), &why)) << why;
    EXPECT_EQ(d->write(), unusualDrawing());
}

TEST(DrawingXdata, ByApplicationReplacedAddedAndRemoved)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    ads_name pipe;
    ASSERT_TRUE(d->entNext(kNone, pipe));
    EXPECT_FALSE(has(show(d->entGet(pipe).get()), "-3=-"));  // without apps, no extended data
    ads::RbPtr all(acutBuildList(RTSTR, L"KOR_*", 0));
    auto x = show(d->entGet(pipe, all.get()).get());
    EXPECT_TRUE(has(x, "-3=-") && has(x, "1001=KOR_NETZ") && has(x, "1000=PE") && has(x, "1070=110"));

    // Unregistered applications are refused; regapp registers once.
    std::string why;
    ads_name p{pipe[0], pipe[1]};
    ads::RbPtr add(acutBuildList(-1, p, -3, 1001, L"KOR_PRUEF", 1000, L"geprüft", 1010, kPoint123, 0));
    ASSERT_NE(add, nullptr);
    EXPECT_FALSE(d->entMod(add.get(), &why));
    EXPECT_EQ(why, "application KOR_PRUEF is not registered (regapp)");
    EXPECT_TRUE(d->regApp(L"KOR_PRUEF"));
    EXPECT_FALSE(d->regApp(L"kor_pruef"));
    EXPECT_FALSE(d->regApp(L"bad name"));
    ASSERT_TRUE(d->entMod(add.get(), &why)) << why;
    x = show(d->entGet(pipe, all.get()).get());
    EXPECT_TRUE(has(x, "1001=KOR_NETZ") && has(x, "1001=KOR_PRUEF") && has(x, "1010=1.0,2.0,3.0"));

    // Replacing one application's data leaves the other's; an empty list removes it.
    ads::RbPtr replace(acutBuildList(-1, p, -3, 1001, L"KOR_NETZ", 1000, L"PE-HD", 0));
    ASSERT_TRUE(d->entMod(replace.get(), &why)) << why;
    ads::RbPtr remove(acutBuildList(-1, p, -3, 1001, L"KOR_PRUEF", 0));
    ASSERT_TRUE(d->entMod(remove.get(), &why)) << why;
    x = show(d->entGet(pipe, all.get()).get());
    EXPECT_TRUE(has(x, "1000=PE-HD"));
    EXPECT_FALSE(has(x, "1070=110") || has(x, "1001=KOR_PRUEF"));
    // Saved and read again, the data is there, in the file's encoding.
    auto again = readDrawing(d->write());
    x = show(again->entGet(pipe, all.get()).get());
    EXPECT_TRUE(x.empty());  // names are per drawing
    ads_name first;
    ASSERT_TRUE(again->entNext(kNone, first));
    x = show(again->entGet(first, all.get()).get());
    EXPECT_TRUE(has(x, "1000=PE-HD"));
    EXPECT_TRUE(again->find(L"APPID", L"KOR_PRUEF"));
}

// An entmod of a complex entity keeps its sub-entities as they were unless it changes whether
// the entity opens them (an INSERT's 66 flag).
TEST(DrawingEntmod, SubEntitiesFollowOnlyTheAttributesFollowFlag)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    ads_name e, at, insert = {0, 0};
    for (bool ok = d->entNext(kNone, e); ok && !insert[0]; ok = d->entNext(at, e)) {
        if (show(d->entGet(e).get())[1] == "0=INSERT" && has(show(d->entGet(e).get()), "66=1"))
            insert[0] = e[0], insert[1] = e[1];
        at[0] = e[0];
        at[1] = e[1];
    }
    ASSERT_NE(insert[0], 0);
    auto walk = [&] {
        std::vector<std::string> types;
        ads_name n;
        if (d->entNext(insert, n))
            types.push_back(show(d->entGet(n).get())[1]);
        return types;
    };
    const size_t mains = d->mainEntities().size();
    ASSERT_EQ(walk(), std::vector<std::string>{"0=ATTRIB"});
    std::string why;
    ASSERT_TRUE(d->regApp(L"KOR_PRUEF"));
    ads::RbPtr xdata(acutBuildList(-1, insert, -3, 1001, L"KOR_PRUEF", 1000, L"geprüft", 0));
    ASSERT_TRUE(d->entMod(xdata.get(), &why)) << why;
    ads::RbPtr layer(acutBuildList(-1, insert, 8, L"NEU", 0));
    ASSERT_TRUE(d->entMod(layer.get(), &why)) << why;
    EXPECT_EQ(walk(), std::vector<std::string>{"0=ATTRIB"});
    EXPECT_EQ(d->mainEntities().size(), mains);
    // Without the flag its ATTRIBs and SEQEND no longer belong to it; with it again they do.
    ads::RbPtr off(acutBuildList(-1, insert, 66, 0, 0));
    ASSERT_TRUE(d->entMod(off.get(), &why)) << why;
    EXPECT_GT(d->mainEntities().size(), mains);
    ads::RbPtr on(acutBuildList(-1, insert, 66, 1, 0));
    ASSERT_TRUE(d->entMod(on.get(), &why)) << why;
    EXPECT_EQ(d->mainEntities().size(), mains);
    EXPECT_EQ(walk(), std::vector<std::string>{"0=ATTRIB"});
}

TEST(DrawingEntmod, ChecksAndWhatItAddsToTheDrawing)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    ads_name pipe;
    ASSERT_TRUE(d->entNext(kNone, pipe));
    ads_name p{pipe[0], pipe[1]};
    std::string why;
    ads::RbPtr type(acutBuildList(-1, p, RTDXF0, L"LINE", 0));
    EXPECT_FALSE(d->entMod(type.get(), &why));
    EXPECT_EQ(why, "entmod does not change an entity's type");
    ads::RbPtr ltype(acutBuildList(-1, p, 6, L"GIBTSNICHT", 0));
    EXPECT_FALSE(d->entMod(ltype.get(), &why));
    EXPECT_EQ(why, "linetype GIBTSNICHT is not defined");
    ads::RbPtr noName(acutBuildList(8, L"0", 0));
    EXPECT_FALSE(d->entMod(noName.get(), &why));
    EXPECT_FALSE(d->modified());  // refusals change nothing

    // A layer that does not exist yet is made; a colour goes after the layer.
    ads::RbPtr layer(acutBuildList(-1, p, 8, L"NEU_LAYER", 62, 3, 0));
    ASSERT_TRUE(d->entMod(layer.get(), &why)) << why;
    EXPECT_NE(d->find(L"LAYER", L"neu_layer"), nullptr);
    auto g = show(d->entGet(pipe).get());
    auto at = std::find(g.begin(), g.end(), "8=NEU_LAYER");
    ASSERT_NE(at, g.end());
    EXPECT_EQ(*(at + 1), "62=3");

    // A vertex more: the count follows.
    ads::RbPtr chain = d->entGet(pipe);
    resbuf* lastVertex = nullptr;
    for (resbuf* rb = chain.get(); rb; rb = rb->rbnext)
        if (rb->restype == 10)
            lastVertex = rb;
    resbuf* extra = acutNewRb(10);
    extra->resval.rpoint[0] = 60;
    extra->resval.rpoint[1] = 90;
    extra->rbnext = lastVertex->rbnext;
    lastVertex->rbnext = extra;
    ASSERT_TRUE(d->entMod(chain.get(), &why)) << why;
    g = show(d->entGet(pipe).get());
    EXPECT_TRUE(has(g, "90=4"));
    EXPECT_EQ(g.back(), "10=60.0,90.0,0.0");
    auto tags = tagStream(d->write());
    EXPECT_NE(std::find(tags.begin(), tags.end(), std::make_pair(20, std::string("90.0"))), tags.end());
}

TEST(DrawingNewRecords, HandlesComeFromTheSeedAndNewDrawingsHaveTheStandardTables)
{
    Drawing d(L"Neu.dwg");
    EXPECT_EQ(d.version(), "AC1015");
    EXPECT_NE(d.find(L"LAYER", L"0"), nullptr);
    EXPECT_NE(d.find(L"STYLE", L"Standard"), nullptr);
    EXPECT_NE(d.find(L"APPID", L"ACAD"), nullptr);
    EXPECT_EQ(d.find(L"LTYPE", L"ByLayer"), nullptr);
    EXPECT_EQ(d.entityCount(), 0u);
    uint32_t id = d.appendEntity({{0, "LINE"}, {8, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "5.0"},
                                  {21, "0.0"}, {31, "0.0"}});
    ASSERT_NE(id, 0u);
    ads_name line, last;
    d.nameOf(id, line);
    ASSERT_TRUE(d.entLast(last));
    EXPECT_EQ(last[0], line[0]);
    auto g = show(d.entGet(line).get());
    EXPECT_TRUE(has(g, "5=30"));  // the seed of a new drawing
    EXPECT_TRUE(d.regApp(L"KOR"));
    auto reread = readDrawing(d.write());
    EXPECT_EQ(reread->entityCount(), 1u);
    auto header = tagStream(d.write());
    auto seed = std::find(header.begin(), header.end(), std::make_pair(9, std::string("$HANDSEED")));
    ASSERT_NE(seed, header.end());
    EXPECT_EQ((seed + 1)->second, "32");
}

TEST(SelectionFilters, LogicRelationsDefaultsAndExtendedData)
{
    auto d = readDrawing(readFile(drawingtest::netzPath()));
    ads::RbPtr all(acutBuildList(RTSTR, L"*", 0));
    auto count = [&](resbuf* raw) {
        ads::RbPtr filter(raw);
        SelectionFilter f;
        std::string why;
        EXPECT_TRUE(f.parse(filter.get(), &why)) << why;
        int n = 0;
        for (uint32_t id : d->mainEntities()) {
            ads_name e;
            d->nameOf(id, e);
            n += f.matches(d->entGet(e, f.needsXdata() ? all.get() : nullptr).get());
        }
        return n;
    };
    EXPECT_EQ(count(acutBuildList(RTDXF0, L"INSERT", 0)), 7);
    EXPECT_EQ(count(acutBuildList(RTDXF0, L"insert", 2, L"HYD*", 0)), 3);
    EXPECT_EQ(count(acutBuildList(RTDXF0, L"LINE,LWPOLYLINE", 0)), 7);
    EXPECT_EQ(count(acutBuildList(-4, L"<NOT", 8, L"WASSER_*", -4, L"NOT>", 0)), 2);  // point and spline
    EXPECT_EQ(count(acutBuildList(-4, L"<XOR", RTDXF0, L"TEXT", 8, L"WASSER_TEXT", -4, L"XOR>", 0)), 1);  // MTEXT
    EXPECT_EQ(count(acutBuildList(RTDXF0, L"CIRCLE,ARC", -4, L">=", 40, 5.0, 0)), 1);
    EXPECT_EQ(count(acutBuildList(62, 256, RTDXF0, L"LINE", 0)), 3);  // colour by layer when none is given
    EXPECT_EQ(count(acutBuildList(-4, L">,<,*", 10, kPoint50_10, RTDXF0, L"INSERT", 0)), 3);
    EXPECT_EQ(count(acutBuildList(-3, 1001, L"KOR_NETZ", 0)), 4);
    EXPECT_EQ(count(acutBuildList(-4, L"&", 70, 48, 0)), 0);  // flags of entities, not of layers

    SelectionFilter f;
    std::string why;
    ads::RbPtr open(acutBuildList(-4, L"<OR", RTDXF0, L"LINE", 0));
    EXPECT_FALSE(f.parse(open.get(), &why));
    EXPECT_EQ(why, "filter: a logic group is not closed");
    ads::RbPtr notTwo(acutBuildList(-4, L"<NOT", RTDXF0, L"LINE", RTDXF0, L"ARC", -4, L"NOT>", 0));
    EXPECT_FALSE(f.parse(notTwo.get(), &why));
    EXPECT_EQ(why, "filter: NOT> has 2 operands");
    ads::RbPtr badOp(acutBuildList(-4, L"~~", 62, 1, 0));
    EXPECT_FALSE(f.parse(badOp.get(), &why));
    EXPECT_EQ(why, "filter: unknown operator \"~~\"");
}

}  // namespace
