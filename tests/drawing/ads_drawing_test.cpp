// The ADS calls a module makes over the drawing through korcad's host.
#include "drawing_util.h"

#include "cad/CadHost.h"
#include "cad/GroupChains.h"
#include "drawing/DrawingFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

namespace {

using namespace korcad;

class AdsDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        auto d = loadDrawing(drawingtest::netzPath(), &error);
        ASSERT_NE(d, nullptr) << error;
        host_.openDrawing(std::move(d));
    }
    CadHost host_;
};

std::wstring textOf(const resbuf* rb, int code)
{
    for (; rb; rb = rb->rbnext)
        if (rb->restype == code)
            return rb->resval.rstring;
    return L"<none>";
}

TEST_F(AdsDrawing, SelectionSetsFromTheWholeDrawingThroughAFilter)
{
    ads_name ss;
    ads::RbPtr filter(acutBuildList(RTDXF0, L"INSERT", 2, L"SCHIEBER", 0));
    ASSERT_EQ(acedSSGet(L"_X", nullptr, nullptr, filter.get(), ss), RTNORM);
    int32_t n = 0;
    ASSERT_TRUE(acedSSLength(ss, &n) == RTNORM && n == 4);
    for (int32_t i = 0; i < n; ++i) {
        ads_name e;
        ASSERT_EQ(acedSSName(ss, i, e), RTNORM);
        ads::RbPtr groups(acdbEntGet(e));
        EXPECT_EQ(textOf(groups.get(), 2), L"SCHIEBER");
    }
    ads_name e;
    EXPECT_TRUE(acedSSName(ss, n, e) == RTERROR && acedSSName(ss, -1, e) == RTERROR);

    // The previous set, and freeing. (ssadd and ssdel: drawing.lsp.)
    ads_name previous;
    ASSERT_EQ(acedSSGet(L"P", nullptr, nullptr, nullptr, previous), RTNORM);
    EXPECT_TRUE(acedSSLength(previous, &n) == RTNORM && n == 4);
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_TRUE(acedSSFree(ss) == RTERROR && acedSSLength(ss, &n) == RTERROR);
    acedSSFree(previous);

    // An empty set of one's own, then one entity in it; nothing found is RTERROR.
    ads_name mine;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, mine), RTNORM);
    EXPECT_TRUE(acedSSLength(mine, &n) == RTNORM && n == 0);
    ads_name last;
    ASSERT_EQ(acdbEntLast(last), RTNORM);
    ASSERT_EQ(acedSSAdd(last, mine, mine), RTNORM);
    EXPECT_TRUE(acedSSLength(mine, &n) == RTNORM && n == 1);
    acedSSFree(mine);
    ads::RbPtr none(acutBuildList(RTDXF0, L"DIMENSION", 0));
    EXPECT_EQ(acedSSGet(L"X", nullptr, nullptr, none.get(), ss), RTERROR);
    EXPECT_EQ(acedSSGet(L"W", nullptr, nullptr, nullptr, ss), RTERROR);
    EXPECT_EQ(host_.selectionSetCount(), 0u);
}

// Extended data goes both ways through the host; a refused change leaves its reason there.
TEST_F(AdsDrawing, EntityDataWithExtendedDataChangedAndWrittenBack)
{
    ASSERT_EQ(acdbRegApp(L"KOR_CAD"), RTNORM);
    ads_name spline;
    ASSERT_EQ(acdbEntLast(spline), RTNORM);
    ads::RbPtr mod(acutBuildList(-1, spline, -3, 1001, L"KOR_CAD", 1000, L"Spline", 1070, 80, 0));
    ASSERT_EQ(acdbEntMod(mod.get()), RTNORM);
    ads::RbPtr apps(acutBuildList(RTSTR, L"KOR_CAD", 0));
    ads::RbPtr groups(acdbEntGetX(spline, apps.get()));
    EXPECT_EQ(textOf(groups.get(), 1000), L"Spline");
    ads::RbPtr plain(acdbEntGet(spline));
    EXPECT_EQ(textOf(plain.get(), 1001), L"<none>");
    ads_name byHandle;
    ASSERT_EQ(acdbHandEnt(textOf(plain.get(), 5).c_str(), byHandle), RTNORM);
    EXPECT_EQ(byHandle[0], spline[0]);
    ads::RbPtr bad(acutBuildList(-1, spline, -3, 1001, L"UNBEKANNT", 1000, L"x", 0));
    EXPECT_EQ(acdbEntMod(bad.get()), RTERROR);
    EXPECT_EQ(host_.lastError(), "application UNBEKANNT is not registered (regapp)");
    EXPECT_TRUE(host_.drawing(host_.currentDrawing())->modified());
}

// The drawing's table of what each code carries is ADS's: a chain and the drawing's groups
// carry the same values both ways.
TEST(GroupChains, KindsAreThoseOfAdsAndValuesGoBothWays)
{
    for (int code = -10; code <= 1100; ++code) {
        SCOPED_TRACE(code);
        ads::GroupKind ads = ads::groupKind(code);
        EXPECT_EQ(dxf::isGroupCode(code), ads != ads::GroupKind::None);
        if (ads != ads::GroupKind::None) {
            EXPECT_EQ(static_cast<int>(dxf::kindOf(code)), static_cast<int>(ads));
        }
    }
    const ads_point at = {1.5, -2, 3};
    const ads_name name = {0x7ff6a0000008, 7};
    ads::RbPtr chain(acutBuildList(-1, name, RTDXF0, L"LINE", 10, at, 40, 2.5, 62, -3, 90, 70000, -3, 1001,
                                   L"KOR", 1000, L"Wasser", 0));
    dxf::Groups groups = fromChain(chain.get());
    EXPECT_EQ(drawingtest::show(groups), (std::vector<std::string>{"-1=<name>", "0=LINE", "10=1.5,-2.0,3.0", "40=2.5", "62=-3",
                                                                  "90=70000", "-3=-", "1001=KOR", "1000=Wasser"}));
    EXPECT_EQ(groups[0].name, (EntityName{0x7ff6a0000008, 7}));
    ads::RbPtr back = toChain(groups);
    const resbuf* a = chain.get();
    const resbuf* b = back.get();
    for (; a && b; a = a->rbnext, b = b->rbnext) {
        ASSERT_EQ(a->restype, b->restype);
        if (acutIsTextType(a->restype))
            EXPECT_STREQ(a->resval.rstring, b->resval.rstring);
        else
            EXPECT_EQ(std::memcmp(&a->resval, &b->resval, sizeof a->resval), 0) << a->restype;
    }
    EXPECT_EQ(a, b);  // both ended
    // A program's null string stays missing, for the drawing to refuse.
    ads::RbPtr noText(acutNewRb(8));
    EXPECT_TRUE(fromChain(noText.get())[0].noText);
}

}  // namespace
