// Making and erasing entities: entmake and entdel in the model.
#include "drawing_util.h"

#include "text/text.h"

#include <gtest/gtest.h>

namespace {

using namespace korcad;
using namespace drawingtest;

std::string textOf(const dxf::Groups& groups, int code)
{
    for (const dxf::Group& g : groups)
        if (g.code == code && dxf::kindOf(code) == dxf::Kind::Text)
            return kortext::fromWide(g.text);
    return "<none>";
}

const Point3 kOrigin = {0, 0, 0};
const Point3 kTen = {10, 0, 0};

// What is incomplete, names what the drawing lacks, would end a section or the file, start a
// table, class or block, is no entity, or holds a line break in any text is refused with its
// reason, and changes nothing: every save reads back.
TEST(DrawingEntmake, RefusesWhatIsIncompleteOrWouldBreakTheFile)
{
    auto d = readNetz();
    std::string why;
    const std::pair<dxf::Groups, std::string> refused[] = {
        {{{0, L"LINE"}, {10, kOrigin}}, "LINE needs group 11"},
        {{{0, L"INSERT"}, {2, L"GIBTS_NICHT"}, {10, kOrigin}}, "block GIBTS_NICHT is not defined"},
        {{{0, L"CIRCLE"}, {6, L"STRICH"}, {10, kOrigin}, {40, 1.0}}, "linetype STRICH is not defined"},
        {{{0, L"POINT"}, {10, kOrigin}, dxf::Group(-3), {1001, L"NIEMAND"}, {1000, L"x"}},
         "application NIEMAND is not registered (regapp)"},
        {{{0, L"TEXT"}, {10, kOrigin}, {40, 1.0}, {1, L"zwei\nZeilen"}}, "group 1 holds a line break"},
        {{{0, L"LINE"}, {8, L"A\rB"}, {10, kOrigin}, {11, kTen}}, "group 8 holds a line break"},
        {{{0, L"POINT"}, {10, kOrigin}, dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"a\r\nb"}},
         "group 1000 holds a line break"},
        {{{0, L"LAYER"}, {2, L"NEU\nLAYER"}}, "group 2 holds a line break"}};
    for (const auto& [groups, reason] : refused) {
        EXPECT_EQ(d->entMake(groups, &why), 0u);
        EXPECT_EQ(why, reason);
    }
    for (const wchar_t* type : {L"VERTEX", L"SECTION", L"ENDSEC", L"EOF", L"eof", L"TABLE", L"ENDTAB", L"CLASS",
                                L"BLOCK", L"ENDBLK", L"LINE\nENDSEC", L"LINE\r", L"ZAUBERSTAB", L"LAYER\n"}) {
        why.clear();
        EXPECT_EQ(d->entMake(dxf::Groups{{0, type}, {10, kOrigin}, {11, kTen}}, &why), 0u);
        EXPECT_NE(why, "") << kortext::fromWide(type);
    }
    EXPECT_EQ(d->entMake(dxf::Groups{{8, L"0"}}, &why), 0u);
    // entmod refuses line breaks the same way, in entity data and extended data.
    EntityName pipe;
    ASSERT_TRUE(d->entNext({}, pipe));
    EXPECT_FALSE(d->entMod(dxf::Groups{{-1, pipe}, {8, L"ROHR\nE"}}, &why));
    EXPECT_EQ(why, "group 8 holds a line break");
    EXPECT_FALSE(d->entMod(dxf::Groups{{-1, pipe}, dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"x\ny"}}, &why));
    EXPECT_EQ(why, "group 1000 holds a line break");
    EXPECT_FALSE(d->modified()) << "refusals change nothing";
    // The drawing's last line of defence: a record that would break the file is not taken.
    EXPECT_EQ(d->appendEntity({{0, "ENDSEC"}}), 0u);
    EXPECT_EQ(d->appendEntity({{0, "POINT"}, {1, "a\nb"}}), 0u);
    EXPECT_EQ(d->appendEntity({{0, "POINT"}, {-3, "x"}}), 0u);
    EXPECT_EQ(d->write(), readFile(netzPath()));
}

// A valve on a new layer with extended data: the file groups in R2000 order; kinds korcad does
// not draw are made too, with a tab (written as ^I) in a text. Saved, all reads back.
TEST(DrawingEntmake, MakesWhatIsCompleteInTheOrderOfTheFile)
{
    auto d = readNetz();
    std::string why;
    size_t before = d->entityCount();
    uint32_t id = d->entMake(dxf::Groups{{0, L"INSERT"}, {8, L"NEU_ARMATUR"}, {62, 2}, {2, L"SCHIEBER"}, {10, kTen},
                                         dxf::Group(-3), {1001, L"KOR_NETZ"}, {1000, L"neu"}},
                             &why);
    ASSERT_NE(id, 0u) << why;
    EXPECT_NE(d->find(L"LAYER", L"NEU_ARMATUR"), nullptr);
    std::vector<std::string> groups;
    for (const auto& t : d->tags(*d->record(d->nameOf(id))))
        groups.push_back(std::to_string(t.code) + (t.code == 100 ? "=" + std::string(t.value()) : ""));
    EXPECT_EQ(groups, (std::vector<std::string>{"0", "5", "330", "100=AcDbEntity", "8", "62", "100=AcDbBlockReference",
                                                "2", "10", "20", "30", "1001", "1000"}));
    for (const dxf::Groups& g : {dxf::Groups{{0, L"ARC"}, {10, kOrigin}, {40, 2.0}, {50, 0.0}, {51, 90.0}},
                                 dxf::Groups{{0, L"ellipse"}, {10, kOrigin}, {11, kTen}, {40, 0.5}, {1, L"a\tb"}},
                                 dxf::Groups{{0, L"SOLID"}, {10, kOrigin}, {11, kTen}, {12, kTen}, {13, kOrigin}}})
        EXPECT_NE(d->entMake(g, &why), 0u) << why;
    auto reread = readDrawing(d->write());
    EXPECT_TRUE(d->entityCount() == before + 4 && reread->entityCount() == before + 4);
    EXPECT_EQ(reread->write(), d->write());
    EXPECT_NE(d->write().find("a^Ib"), std::string::npos);
}

TEST(DrawingEntdel, ErasesAMainEntityWithItsPartsAndBringsItBack)
{
    auto d = readNetz();
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
    EXPECT_TRUE(d->entGet(hydrant).empty() && d->entGet(attrib).empty());
    EXPECT_EQ(d->write().find("H-101"), std::string::npos);
    ASSERT_TRUE(d->entDel(hydrant));
    EXPECT_EQ(d->entityCount(), count);
    EXPECT_EQ(d->write(), readFile(netzPath()));
}

}  // namespace
