// The entity library over korcad's drawing: attributes in extended data, immediate and
// explicit writes, stale names, refused input; selection sets.
#include "EntityTestHost.h"

#include "korent/korent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using catdbtest::xdataOf;
using Groups = std::vector<std::pair<int, std::wstring>>;

class Entity : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        auto d = korcad::loadDrawing(catdbtest::netzPath(), &error);
        ASSERT_NE(d, nullptr) << error;
        host.openDrawing(std::move(d));
        ASSERT_TRUE(catdbtest::selectAll(L"LWPOLYLINE", pipes));
        ASSERT_EQ(acedSSName(pipes, 0, pipe), RTNORM);
        ASSERT_EQ(acedSSName(pipes, 1, other), RTNORM);
        netz = xdataOf(pipe, L"KOR_NETZ");
        ASSERT_FALSE(netz.empty());
        host.resetCounts();
    }
    void TearDown() override { acedSSFree(pipes); }

    catdbtest::CountingHost host;
    ads_name pipes, pipe, other;
    Groups netz;  // the pipe's data of another application
};

TEST_F(Entity, AttributesAreWrittenAsNameValuePairsAtOnce)
{
    CKOREntity e;
    ASSERT_TRUE(e.Connect(pipe));
    EXPECT_TRUE(e.IsAutoFlush());
    EXPECT_EQ(e.GetAttributeCount(), 0);
    EXPECT_EQ(host.reads, 1);
    EXPECT_EQ(acdbTblSearch(L"APPID", KOR_ATTRIBUTE_APP, 0), nullptr);

    // AutoFlush: each change is in the drawing at once; the application is registered.
    ASSERT_TRUE(e.SetAttribute(L"CAD-Class", L"LT-PE-110|Leitung|1")) << e.GetLastError().GetString();
    ASSERT_TRUE(e.SetAttribute(L"CAD-Class_M", 1));
    ASSERT_TRUE(e.SetAttribute(L"CAD-Class-Name", L"Leitung PE DN 110 (Überdeckung 1,2 m)"));
    ASSERT_TRUE(e.SetAttribute(L"Baujahr", -1987));
    ASSERT_TRUE(e.SetAttribute(L"Bemerkung", L""));
    ads::RbPtr app(acdbTblSearch(L"APPID", KOR_ATTRIBUTE_APP, 0));
    EXPECT_NE(app, nullptr);
    EXPECT_EQ(host.writes, 6);  // one refused before the application was registered
    const Groups written{{1000, L"CAD-Class"},      {1000, L"LT-PE-110|Leitung|1"},
                         {1000, L"CAD-Class_M"},    {1071, L"1"},
                         {1000, L"CAD-Class-Name"}, {1000, L"Leitung PE DN 110 (Überdeckung 1,2 m)"},
                         {1000, L"Baujahr"},        {1071, L"-1987"},
                         {1000, L"Bemerkung"},      {1000, L""}};
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP), written);
    EXPECT_EQ(xdataOf(pipe, L"KOR_NETZ"), netz);
    EXPECT_EQ(xdataOf(other, KOR_ATTRIBUTE_APP), Groups{});

    // Replacing keeps the place; an unchanged value is not written again.
    int writes = host.writes;
    ASSERT_TRUE(e.SetAttribute(L"CAD-Class_M", 1));
    EXPECT_EQ(host.writes, writes);
    ASSERT_TRUE(e.SetAttribute(L"Baujahr", L"1987"));
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP)[6], (std::pair<int, std::wstring>{1000, L"Baujahr"}));
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP)[7], (std::pair<int, std::wstring>{1000, L"1987"}));
    // Read again, an integer stays one.
    CKOREntity r;
    ASSERT_TRUE(r.Connect(pipe));
    EXPECT_EQ(r.GetAttributeCount(), 5);
    EXPECT_TRUE(r.IsIntegerAttribute(L"CAD-Class_M") && !r.IsIntegerAttribute(L"Baujahr"));
}

// The record's groups as (code, file text) pairs.
std::vector<std::pair<int, std::string>> recordTags(korcad::CadHost& host, const ads_name e)
{
    korcad::Drawing* d = host.drawing(host.currentDrawing());
    std::vector<std::pair<int, std::string>> out;
    for (const korcad::dxf::Tag& t : d->tags(*d->record(korcad::EntityName{e[0], e[1]})))
        out.emplace_back(t.code, std::string(t.value()));
    return out;
}

TEST_F(Entity, OneApplicationsDataIsReadAndReplacedWithoutTheEntitysOtherGroups)
{
    // Read: the name, the handle, and the block of the one application asked for (any case).
    std::vector<int> codes;
    ads::RbPtr got(acdbEntGetXData(pipe, L"kor_netz"));
    for (const resbuf* rb = got.get(); rb; rb = rb->rbnext)
        codes.push_back(rb->restype);
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 4), (std::vector<int>{-1, 5, -3, 1001}));
    EXPECT_EQ(codes.size(), 4 + netz.size());
    ads::RbPtr none(acdbEntGetXData(pipe, KOR_ATTRIBUTE_APP));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->rbnext->restype, 5);
    EXPECT_EQ(none->rbnext->rbnext, nullptr);
    ads_name made = {pipe[0] + 8 * 100000, pipe[1]};
    EXPECT_EQ(acdbEntGetXData(made, L"KOR_NETZ"), nullptr);

    // Write: the application's block is added; every other group stays as the file had it.
    auto before = recordTags(host, pipe);
    ASSERT_EQ(acdbRegApp(KOR_ATTRIBUTE_APP), RTNORM);
    ads::RbPtr mod(acutBuildList(-1, pipe, -3, 1001, KOR_ATTRIBUTE_APP, 1000, L"A", 1070, 5, 0));
    ASSERT_EQ(acdbEntModXData(mod.get()), RTNORM);
    auto expected = before;
    expected.insert(expected.end(), {{1001, "KOR_ATTRIBUTE"}, {1000, "A"}, {1070, "5"}});
    EXPECT_EQ(recordTags(host, pipe), expected);
    // Anything but extended data, and an application that is not registered, are refused.
    ads::RbPtr layer(acutBuildList(-1, pipe, 8, L"0", -3, 1001, KOR_ATTRIBUTE_APP, 1000, L"B", 0));
    EXPECT_EQ(acdbEntModXData(layer.get()), RTERROR);
    ads::RbPtr unknown(acutBuildList(-1, pipe, -3, 1001, L"KOR_UNBEKANNT", 1000, L"B", 0));
    EXPECT_EQ(acdbEntModXData(unknown.get()), RTERROR);
    EXPECT_EQ(recordTags(host, pipe), expected);
}

TEST_F(Entity, WithoutAutoFlushOnlyUpdateWritesAndOnceForAllAttributes)
{
    // (The drawing's first write of an attribute costs one refused write more, which
    // registers the application: see the test above.)
    ASSERT_EQ(acdbRegApp(KOR_ATTRIBUTE_APP), RTNORM);
    CKOREntity e;
    ASSERT_TRUE(e.Connect(pipe));
    e.AutoFlush(false);
    ASSERT_TRUE(e.SetAttribute(L"A", L"1"));
    ASSERT_TRUE(e.SetAttribute(L"B", 2));
    ASSERT_TRUE(e.SetAttribute(L"C", L"drei"));
    EXPECT_TRUE(e.IsModified());
    EXPECT_EQ(host.writes, 0);
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP), Groups{});
    ASSERT_TRUE(e.Update()) << e.GetLastError().GetString();
    EXPECT_EQ(host.writes, 1);
    EXPECT_FALSE(e.IsModified());
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP).size(), 6u);
    // Nothing changed: nothing sent.
    ASSERT_TRUE(e.Update());
    EXPECT_EQ(host.writes, 1);

    // Removing the last attribute drops the block; other data stays.
    ASSERT_TRUE(e.RemoveAttribute(L"A"));
    ASSERT_TRUE(e.RemoveAttribute(L"B"));
    ASSERT_TRUE(e.RemoveAttribute(L"C"));
    EXPECT_FALSE(e.RemoveAttribute(L"C"));
    EXPECT_NE(e.GetLastError().str().find(L"no attribute C"), std::wstring::npos);
    ASSERT_TRUE(e.Update());
    EXPECT_EQ(host.writes, 2);
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP), Groups{});
    EXPECT_EQ(xdataOf(pipe, L"KOR_NETZ"), netz);
    // An entity that never had attributes is not written to remove none.
    CKOREntity plain;
    ASSERT_TRUE(plain.Connect(other));
    plain.AutoFlush(false);
    ASSERT_TRUE(plain.SetAttribute(L"X", L"x"));
    ASSERT_TRUE(plain.RemoveAttribute(L"X"));
    ASSERT_TRUE(plain.Update());
    EXPECT_EQ(host.writes, 2);

    // The common library's entity starts without AutoFlush.
    CKORAdsEntity ads;
    EXPECT_FALSE(ads.IsAutoFlush());
    ASSERT_TRUE(ads.Connect(pipe));
    ads.SetAttribute(L"CAD-Class", L"K|T|1");
    ads.SetAttribute(L"CAD-Class_M", 1);
    ads.SetAttribute(L"CAD-Class-Name", L"Name");
    ASSERT_TRUE(ads.Update());
    EXPECT_EQ(host.writes, 3);
}

TEST_F(Entity, StaleNamesAndRefusedInputAnswerFalseWithAReason)
{
    CKOREntity e;
    ads_name none = {0, 0}, made = {pipe[0] + 8 * 100000, pipe[1]};
    EXPECT_FALSE(e.Connect(none) || e.Connect(nullptr) || e.Connect(made));
    EXPECT_FALSE(e.IsConnected());
    EXPECT_NE(e.GetLastError().str().find(L"names no entity"), std::wstring::npos);
    EXPECT_FALSE(e.SetAttribute(L"A", L"1"));
    EXPECT_FALSE(e.Update());
    EXPECT_EQ(e.GetLastError(), L"not connected to an entity");
    ads_name out = {7, 7};
    EXPECT_FALSE(e.GetName(out));
    EXPECT_EQ(out[0], 7);

    // Refused names and values; nothing is written for them.
    ASSERT_EQ(acdbRegApp(KOR_ATTRIBUTE_APP), RTNORM);
    ASSERT_TRUE(e.Connect(pipe));
    EXPECT_TRUE(e.GetName(out));
    EXPECT_EQ(out[0], pipe[0]);
    EXPECT_FALSE(e.SetAttribute(L"", L"x") || e.SetAttribute(nullptr, L"x") ||
                 e.SetAttribute(L"A", static_cast<LPCTSTR>(nullptr)) || e.SetAttribute(L"Zeile\nzwei", L"x"));
    EXPECT_FALSE(e.SetAttribute(L"A", L"Zeile\r\nzwei"));
    EXPECT_NE(e.GetLastError().str().find(L"control character"), std::wstring::npos);
    EXPECT_FALSE(e.SetAttribute(L"A", std::wstring(256, L'x').c_str()));
    EXPECT_NE(e.GetLastError().str().find(L"longer than 255"), std::wstring::npos);
    EXPECT_TRUE(e.SetAttribute(L"A", std::wstring(255, L'x').c_str()));
    EXPECT_EQ(e.GetAttributeCount(), 1);
    EXPECT_EQ(host.writes, 1);

    // The buffer version cuts safely; names are exact.
    ASSERT_TRUE(e.SetAttribute(L"Art", L"Hydrant"));
    TCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_TRUE(e.GetAttribute(L"Art", buffer, 4));
    EXPECT_EQ(std::wstring(buffer) + buffer[4], L"Hyd#");
    EXPECT_TRUE(e.GetAttribute(L"Art", buffer, 8));
    EXPECT_EQ(std::wstring(buffer), L"Hydrant");
    EXPECT_TRUE(e.GetAttribute(L"Art", buffer, 1) && buffer[0] == 0);
    EXPECT_FALSE(e.GetAttribute(L"Art", buffer, 0) || e.GetAttribute(L"Art", nullptr, 8) || e.GetAttribute(nullptr, buffer, 8));
    EXPECT_TRUE(!e.GetAttribute(L"art", buffer, 8) && buffer[0] == 0);  // absent: ""
    ASSERT_TRUE(e.SetAttribute(L"Zahl", 80));
    EXPECT_TRUE(e.GetAttribute(L"Zahl", buffer, 8));
    EXPECT_EQ(std::wstring(buffer), L"80");

    // The entity is erased after Connect: writes fail, AutoFlush undoes its change in memory.
    ASSERT_EQ(acdbEntDel(pipe), RTNORM);
    EXPECT_FALSE(e.SetAttribute(L"Neu", L"1"));
    EXPECT_NE(e.GetLastError().str().find(L"acdbEntMod"), std::wstring::npos);
    EXPECT_FALSE(e.HasAttribute(L"Neu"));
    EXPECT_FALSE(e.RemoveAttribute(L"Art"));
    EXPECT_TRUE(e.HasAttribute(L"Art"));
    e.AutoFlush(false);
    EXPECT_TRUE(e.SetAttribute(L"Neu", L"1"));
    EXPECT_FALSE(e.Update());
    EXPECT_TRUE(e.IsModified());
    EXPECT_TRUE(e.HasAttribute(L"Neu"));
    EXPECT_FALSE(CKOREntity().Connect(pipe));

    // Brought back, the entity holds what was written before it was erased.
    ASSERT_EQ(acdbEntDel(pipe), RTNORM);
    ASSERT_TRUE(e.Update());
    CKOREntity fresh;
    ASSERT_TRUE(fresh.Connect(pipe));
    EXPECT_TRUE(fresh.HasAttribute(L"Neu"));
    EXPECT_TRUE(fresh.IsIntegerAttribute(L"Zahl"));

    // A name of a drawing that was closed.
    host.closeDrawing(host.currentDrawing());
    host.openDrawing(L"Neu");
    EXPECT_FALSE(fresh.Connect(pipe));
}

TEST_F(Entity, DataThatDoesNotFollowTheLayoutIsReadAsFarAsItGoes)
{
    ASSERT_EQ(acdbRegApp(KOR_ATTRIBUTE_APP), RTNORM);
    ads::RbPtr mod(acutBuildList(-1, pipe, -3, 1001, KOR_ATTRIBUTE_APP, 1000, L"Gut", 1000, L"ja", 1000, L"Zahl",
                                 1071, 5, 1000, L"Real", 1040, 2.5, 1000, L"Später", 1000, L"weg", 0));
    ASSERT_EQ(acdbEntMod(mod.get()), RTNORM);
    CKOREntity e;
    ASSERT_TRUE(e.Connect(pipe));
    EXPECT_NE(e.GetLastError().str().find(L"does not follow the layout"), std::wstring::npos);
    CStringArray names;
    EXPECT_EQ(e.GetAttributeNames(names), 2);
    EXPECT_EQ(names[1], L"Zahl");
    // The next write keeps what was read.
    ASSERT_TRUE(e.SetAttribute(L"Gut", L"sehr"));
    EXPECT_EQ(xdataOf(pipe, KOR_ATTRIBUTE_APP),
              (Groups{{1000, L"Gut"}, {1000, L"sehr"}, {1000, L"Zahl"}, {1071, L"5"}}));
    EXPECT_EQ(xdataOf(pipe, L"KOR_NETZ"), netz);
}

TEST_F(Entity, SelectionSetsAreSharedByTheirCopiesAndFreedWithTheLastOwner)
{
    const size_t before = host.selectionSetCount();
    ads_name ss;
    ASSERT_TRUE(catdbtest::selectAll(L"LWPOLYLINE", ss));
    int32_t n = 0;
    acedSSLength(ss, &n);
    ASSERT_GT(n, 1);
    {
        CKORAdsSelectionSet owner(ss);
        EXPECT_TRUE(owner.OwnsSet());
        CKORAdsSelectionSet copy(owner);
        {
            CKORAdsSelectionSet third;
            third = copy;
            EXPECT_EQ(third.GetSize(), n);
        }
        CKORAdsSelectionSet(owner).GetSize();
        EXPECT_EQ(host.selectionSetCount(), before + 1);
        ads_name e, name;
        EXPECT_TRUE(copy.GetAt(n - 1, e) && !copy.GetAt(n, e) && !copy.GetAt(-1, e));
        EXPECT_TRUE(copy.GetName(name) && name[0] == ss[0] && copy.GetAdsName()[1] == ss[1]);
        CKORAdsSelectionSet last = copy;
        copy = CKORAdsSelectionSet();
        owner = CKORAdsSelectionSet();
        EXPECT_EQ(host.selectionSetCount(), before + 1);  // `last` holds it
    }
    EXPECT_EQ(host.selectionSetCount(), before);
    EXPECT_EQ(acedSSLength(ss, &n), RTERROR);

    // A shared set stays with whoever made it.
    ASSERT_TRUE(catdbtest::selectAll(L"LWPOLYLINE", ss));
    {
        CKORAdsSelectionSet shared(ss, false);
        EXPECT_FALSE(shared.OwnsSet());
        EXPECT_TRUE(shared.IsValid());
    }
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    acedSSFree(ss);

    // No set, or a set freed elsewhere.
    CKORAdsSelectionSet empty;
    ads_name e;
    EXPECT_FALSE(empty.IsValid() || empty.GetSize() || empty.GetAt(0, e) || empty.GetName(e) || empty.GetAdsName());
    CKORAdsSelectionSet gone(ss);
    EXPECT_FALSE(gone.IsValid() || gone.GetSize());
}

}  // namespace
