// The geometry of a drawing's model space: each entity kind from small DXF texts, inserts with
// their transforms, colours and linetypes by layer and block, hidden layers, the sample
// drawing, the colour table, the spatial index, object snaps and picking.
#include "test_geometry_dxf.h"

#include "drawing/Drawing.h"
#include "drawing/DrawingFile.h"
#include "drawing/Geometry.h"
#include "drawing/SpatialIndex.h"
#include "drawing/Spline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

using namespace geomtest;
using korcad::geom::Geometry;
using korcad::geom::Primitive;
using korcad::geom::Shape;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Built {
    std::unique_ptr<korcad::Drawing> drawing;
    Geometry geometry;
    const std::vector<Primitive>& prims() const { return geometry.primitives(); }
    // The record id of the n-th main entity.
    uint32_t entity(size_t n) const { return drawing->mainEntities().at(n); }
};

Built build(const DxfBuilder& b)
{
    Built out;
    out.drawing = drawingtest::readDrawing(b.text());
    out.geometry = Geometry(*out.drawing);
    return out;
}

void expectPoint(korcad::geom::Point p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

}  // namespace

TEST(Geometry, LinesCirclesArcsAndPointsWithTheirExtents)
{
    DxfBuilder b;
    b.entity(line(0, 0, 10, 5))
        .entity(circle(20, 0, 2))
        .entity(arc(0, 20, 5, 0, 90))
        .entity({{0, "POINT"}, {8, "0"}, {10, "3"}, {20, "4"}});
    Built g = build(b);
    ASSERT_EQ(g.prims().size(), 4u);
    const auto& p = g.prims();
    EXPECT_EQ(p[0].shape, Shape::Line);
    expectPoint(p[0].a, 0, 0);
    expectPoint(p[0].b, 10, 5);
    EXPECT_EQ(p[1].shape, Shape::Circle);
    EXPECT_DOUBLE_EQ(p[1].radius, 2);
    EXPECT_DOUBLE_EQ(p[1].box.x0, 18);
    EXPECT_DOUBLE_EQ(p[1].box.y1, 2);
    EXPECT_EQ(p[2].shape, Shape::Arc);
    EXPECT_NEAR(p[2].start, 0, 1e-12);
    EXPECT_NEAR(p[2].end, kPi / 2, 1e-12);
    // A quarter arc's box is the quarter, not the circle's.
    EXPECT_NEAR(p[2].box.x0, 0, 1e-9);
    EXPECT_NEAR(p[2].box.y0, 20, 1e-9);
    EXPECT_NEAR(p[2].box.x1, 5, 1e-9);
    EXPECT_NEAR(p[2].box.y1, 25, 1e-9);
    EXPECT_EQ(p[3].shape, Shape::Point);
    expectPoint(p[3].a, 3, 4);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(p[i].entity, g.entity(i));
    auto e = g.geometry.extents();
    EXPECT_DOUBLE_EQ(e.x0, 0);
    EXPECT_DOUBLE_EQ(e.x1, 22);
    EXPECT_DOUBLE_EQ(e.y0, -2);
    EXPECT_DOUBLE_EQ(e.y1, 25);
}

TEST(Geometry, AnArcOverZeroDegreesAndOneSeenFromBelow)
{
    DxfBuilder b;
    b.entity(arc(0, 0, 1, 270, 90))
        .entity({{0, "ARC"}, {8, "0"}, {10, "5"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}, {210, "0"}, {220, "0"}, {230, "-1"}});
    Built g = build(b);
    ASSERT_EQ(g.prims().size(), 2u);
    // 270 -> 90 counter-clockwise passes through 0: the right half.
    EXPECT_NEAR(g.prims()[0].end - g.prims()[0].start, kPi, 1e-12);
    EXPECT_NEAR(g.prims()[0].box.x1, 1, 1e-12);
    EXPECT_NEAR(g.prims()[0].box.x0, 0, 1e-9);
    // With the extrusion (0,0,-1) X is mirrored: centre (-5,0), the quarter from 90 to 180.
    const Primitive& m = g.prims()[1];
    expectPoint(m.a, -5, 0);
    EXPECT_NEAR(m.start, kPi / 2, 1e-12);
    EXPECT_NEAR(m.end, kPi, 1e-12);
}

TEST(Geometry, LightweightPolylinesWithWidthsBulgesAndTheClosedFlag)
{
    DxfBuilder b;
    // Open: a straight segment with constant width, then a half circle (bulge 1) below the chord.
    b.entity({{0, "LWPOLYLINE"}, {8, "0"}, {90, "3"}, {70, "0"}, {43, "0.5"},
              {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {42, "1"}, {10, "20"}, {20, "0"}});
    // Closed triangle with a tapering first segment and a clockwise (negative) bulge on the last.
    b.entity({{0, "LWPOLYLINE"}, {8, "0"}, {90, "3"}, {70, "1"},
              {10, "0"}, {20, "10"}, {40, "2"}, {41, "0"}, {10, "4"}, {20, "10"}, {10, "4"}, {20, "14"}, {42, "-0.5"}});
    Built g = build(b);
    const auto& p = g.prims();
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].shape, Shape::Line);
    EXPECT_FLOAT_EQ(p[0].w0, 0.5f);
    EXPECT_FLOAT_EQ(p[0].w1, 0.5f);
    EXPECT_DOUBLE_EQ(p[0].box.y0, -0.25);  // the width counts in the extents
    EXPECT_EQ(p[1].shape, Shape::Arc);
    expectPoint(p[1].a, 15, 0);
    EXPECT_NEAR(p[1].radius, 5, 1e-12);
    EXPECT_NEAR(p[1].box.y0, -5.25, 1e-9);  // counter-clockwise from (10,0) to (20,0) runs below
    EXPECT_NEAR(p[1].box.y1, 0.25, 1e-9);
    // The closed one: three segments, the last back to the start.
    EXPECT_EQ(p[2].shape, Shape::Line);
    EXPECT_FLOAT_EQ(p[2].w0, 2);
    EXPECT_FLOAT_EQ(p[2].w1, 0);
    EXPECT_EQ(p[3].shape, Shape::Line);
    EXPECT_FLOAT_EQ(p[3].w0, 0);
    ASSERT_EQ(p[4].shape, Shape::Arc);
    // Bulge -0.5 from (4,14) to (0,10): a clockwise arc of 4*atan(0.5), bulging up and left.
    EXPECT_NEAR(p[4].end - p[4].start, 4 * std::atan(0.5), 1e-12);
    double chord = std::hypot(4, 4);
    EXPECT_NEAR(p[4].radius, chord * (1 + 0.25) / 2, 1e-12);
    EXPECT_EQ(p[4].entity, g.entity(1));
    // Its ends are the two vertices.
    auto at = [&](double a) { return korcad::geom::Point{p[4].a.x + p[4].radius * std::cos(a), p[4].a.y + p[4].radius * std::sin(a)}; };
    std::set<std::pair<long, long>> ends = {{std::lround(at(p[4].start).x * 1e6), std::lround(at(p[4].start).y * 1e6)},
                                            {std::lround(at(p[4].end).x * 1e6), std::lround(at(p[4].end).y * 1e6)}};
    EXPECT_TRUE(ends.count({0, 10000000}));
    EXPECT_TRUE(ends.count({4000000, 14000000}));
    // Clockwise, it bulges to the left of its way from (4,14) to (0,10): below y = x + 10,
    // its middle one sagitta (bulge * chord / 2) from the chord's middle.
    korcad::geom::Point mid = at((p[4].start + p[4].end) / 2);
    EXPECT_LT(mid.y, mid.x + 10);
    EXPECT_NEAR(mid.x, 3, 1e-9);
    EXPECT_NEAR(mid.y, 11, 1e-9);
}

TEST(Geometry, OldStylePolylinesWithVertexRecords)
{
    DxfBuilder b;
    b.entity({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "1"}, {40, "1"}, {41, "1"}})
        .entity({{0, "VERTEX"}, {8, "0"}, {10, "0"}, {20, "0"}})
        .entity({{0, "VERTEX"}, {8, "0"}, {10, "10"}, {20, "0"}, {42, "1"}})
        .entity({{0, "VERTEX"}, {8, "0"}, {10, "10"}, {20, "10"}, {40, "3"}, {41, "3"}})
        .entity({{0, "SEQEND"}, {8, "0"}})
        .entity(line(50, 50, 60, 60));
    Built g = build(b);
    const auto& p = g.prims();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].shape, Shape::Line);
    EXPECT_FLOAT_EQ(p[0].w0, 1);  // the default width of the header
    EXPECT_EQ(p[1].shape, Shape::Arc);
    expectPoint(p[1].a, 10, 5);
    EXPECT_EQ(p[2].shape, Shape::Line);  // closing segment, its own width
    EXPECT_FLOAT_EQ(p[2].w0, 3);
    expectPoint(p[2].b, 0, 0);
    EXPECT_EQ(p[0].entity, g.entity(0));
    EXPECT_EQ(p[2].entity, g.entity(0));
    EXPECT_EQ(p[3].entity, g.entity(1));  // the line after the SEQEND is its own
}

TEST(Geometry, TextsAndMultilineTexts)
{
    DxfBuilder b;
    b.entity(text(1, 2, 2.5, "Rohr %%c110"))
        .entity({{0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "50"}, {21, "5"}, {40, "2"}, {50, "90"}, {72, "1"}, {73, "2"}, {1, "Mitte"}})
        .entity({{0, "MTEXT"}, {8, "0"}, {10, "10"}, {20, "30"}, {40, "2"}, {71, "1"},
                 {1, "{\\fArial|b1;Zone}\\PStra\\~1\\P\\H3x;a\\Sx^y;"}});
    Built g = build(b);
    const auto& p = g.prims();
    ASSERT_EQ(p.size(), 3u);
    const auto& t = g.geometry.texts();
    EXPECT_EQ(t[p[0].text], L"Rohr \u2300110");
    expectPoint(p[0].a, 1, 2);
    EXPECT_DOUBLE_EQ(p[0].height, 2.5);
    EXPECT_EQ(p[0].vAlign, korcad::geom::VAlign::Baseline);
    // Aligned texts hang on their second point.
    expectPoint(p[1].a, 50, 5);
    EXPECT_EQ(p[1].hAlign, korcad::geom::HAlign::Centre);
    EXPECT_EQ(p[1].vAlign, korcad::geom::VAlign::Middle);
    EXPECT_NEAR(p[1].rotation, kPi / 2, 1e-12);
    // Turned by 90 degrees, centred: its box is tall and narrow about the anchor.
    EXPECT_GT(p[1].box.y1 - p[1].box.y0, p[1].box.x1 - p[1].box.x0);
    EXPECT_NEAR((p[1].box.y0 + p[1].box.y1) / 2, 5, 1e-9);
    // MTEXT: formatting gone, \P breaks lines, top-left attachment.
    EXPECT_EQ(t[p[2].text], L"Zone\nStra 1\nax/y");
    EXPECT_EQ(p[2].vAlign, korcad::geom::VAlign::Top);
    EXPECT_NEAR(p[2].box.y1, 30, 1e-9);
    EXPECT_LT(p[2].box.y0, 30 - 2 * 2.0);  // three lines reach down
}

TEST(Geometry, InsertsMoveScaleAndTurnTheirBlockNestedBlocksToo)
{
    DxfBuilder b;
    b.layer("ROT", 1).layer("BLAU", 5).layer("GRUEN", 3);
    // Block A, base (1,0): a line from the base along X, on layer 0, colour BYBLOCK.
    b.block("A", 1, 0, {line(1, 0, 2, 0, "0", {{62, "0"}})});
    // Block B: A inserted at (5,0), and a circle on its own layer GRUEN.
    b.block("B", 0, 0, {{{0, "INSERT"}, {8, "0"}, {2, "A"}, {10, "5"}, {20, "0"}}, circle(0, 0, 1, "GRUEN")});
    // A at (10,10), scale 2 x 3, turned 90 degrees; colour 2 (yellow) on layer ROT.
    b.entity({{0, "INSERT"}, {8, "ROT"}, {62, "2"}, {2, "A"}, {10, "10"}, {20, "10"}, {41, "2"}, {42, "3"}, {50, "90"}});
    // B at (100,0), scale 2, on layer BLAU with colour BYLAYER.
    b.entity({{0, "INSERT"}, {8, "BLAU"}, {2, "B"}, {10, "100"}, {20, "0"}, {41, "2"}, {42, "2"}});
    Built g = build(b);
    const auto& p = g.prims();
    ASSERT_EQ(p.size(), 3u);
    // (1,0)-(2,0) less the base is (0,0)-(1,0); scaled by 2, turned 90 degrees, moved to (10,10).
    expectPoint(p[0].a, 10, 10);
    expectPoint(p[0].b, 10, 12);
    EXPECT_EQ(p[0].aci, 2);  // BYBLOCK takes the insert's colour
    EXPECT_EQ(p[0].rgb, 0xFFFF00u);
    EXPECT_EQ(p[0].entity, g.entity(0));
    // Nested: A at (5,0) inside B at (100,0) scaled 2: (100+10, 0)-(100+12, 0).
    expectPoint(p[1].a, 110, 0);
    expectPoint(p[1].b, 112, 0);
    // BYBLOCK inside A takes A's insert, which is BYLAYER on layer 0 inside B: B's layer BLAU.
    EXPECT_EQ(p[1].aci, 5);
    EXPECT_EQ(p[1].entity, g.entity(1));  // parts of nested blocks belong to the main insert
    // The circle on its own layer keeps that layer's colour, scaled with the insert.
    EXPECT_EQ(p[2].shape, Shape::Circle);
    EXPECT_EQ(p[2].aci, 3);
    EXPECT_DOUBLE_EQ(p[2].radius, 2);
    expectPoint(p[2].a, 100, 0);
}

TEST(Geometry, ABlockThatHoldsItselfIsDrawnOnceAndAMissingBlockNotAtAll)
{
    DxfBuilder b;
    b.block("SELBST", 0, 0, {line(0, 0, 1, 0), {{0, "INSERT"}, {8, "0"}, {2, "SELBST"}, {10, "5"}, {20, "0"}}});
    b.entity({{0, "INSERT"}, {8, "0"}, {2, "SELBST"}, {10, "0"}, {20, "0"}})
        .entity({{0, "INSERT"}, {8, "0"}, {2, "FEHLT"}, {10, "0"}, {20, "0"}})
        .entity(line(0, 1, 1, 1));
    Built g = build(b);
    ASSERT_EQ(g.prims().size(), 2u);
    EXPECT_EQ(g.prims()[0].entity, g.entity(0));
    EXPECT_EQ(g.prims()[1].entity, g.entity(2));
}

TEST(Geometry, UnevenlyScaledCirclesBecomeSegmentsAndMirroredArcsTurnAround)
{
    DxfBuilder b;
    b.block("K", 0, 0, {circle(0, 0, 1), arc(0, 0, 1, 0, 90)});
    b.entity({{0, "INSERT"}, {8, "0"}, {2, "K"}, {10, "0"}, {20, "0"}, {41, "2"}, {42, "1"}});
    b.entity({{0, "INSERT"}, {8, "0"}, {2, "K"}, {10, "10"}, {20, "0"}, {41, "-1"}, {42, "1"}});
    Built g = build(b);
    size_t lines = 0;
    korcad::geom::Box ellipse;
    for (const auto& p : g.prims())
        if (p.entity == g.entity(0)) {
            EXPECT_EQ(p.shape, Shape::Line);
            ++lines;
            ellipse.add(p.box);
        }
    EXPECT_GT(lines, 32u);
    EXPECT_NEAR(ellipse.x1, 2, 1e-9);
    EXPECT_NEAR(ellipse.y1, 1, 1e-9);
    // Mirrored in X the quarter arc 0..90 becomes 90..180.
    const Primitive& mirrored = g.prims().back();
    ASSERT_EQ(mirrored.shape, Shape::Arc);
    EXPECT_NEAR(mirrored.start, kPi / 2, 1e-12);
    EXPECT_NEAR(mirrored.end, kPi, 1e-12);
    expectPoint(mirrored.a, 10, 0);
}

TEST(Geometry, AttributesAreDrawnUnlessInvisible)
{
    DxfBuilder b;
    b.layer("TEXT", 4);
    b.block("H", 0, 0, {circle(0, 0, 1)});
    b.entity({{0, "INSERT"}, {8, "0"}, {66, "1"}, {2, "H"}, {10, "5"}, {20, "5"}})
        .entity({{0, "ATTRIB"}, {8, "TEXT"}, {10, "7"}, {20, "5"}, {40, "1"}, {1, "H-101"}, {2, "NR"}, {70, "0"}})
        .entity({{0, "ATTRIB"}, {8, "TEXT"}, {10, "7"}, {20, "3"}, {40, "1"}, {1, "geheim"}, {2, "X"}, {70, "1"}})
        .entity({{0, "ATTRIB"}, {8, "TEXT"}, {62, "0"}, {10, "7"}, {20, "1"}, {40, "1"}, {1, "offen"}, {2, "S"}, {70, "0"}})
        .entity({{0, "SEQEND"}, {8, "0"}});
    Built g = build(b);
    const auto& p = g.prims();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(g.geometry.texts()[p[1].text], L"H-101");
    EXPECT_EQ(p[1].aci, 4);
    expectPoint(p[1].a, 7, 5);  // attributes stand where they are, in world coordinates
    EXPECT_EQ(g.geometry.texts()[p[2].text], L"offen");
    EXPECT_EQ(p[2].aci, 7);  // BYBLOCK of an insert with BYLAYER colour on layer 0 (white)
    for (const auto& prim : p)
        EXPECT_EQ(prim.entity, g.entity(0));
}

TEST(Geometry, LayersOffOrFrozenAreLeftOutAlsoInsideBlocks)
{
    DxfBuilder b;
    b.layer("AUS", -3).layer("GEFROREN", 3, "Continuous", 1).layer("AN", 6);
    b.block("M", 0, 0, {line(0, 0, 1, 0, "GEFROREN"), line(0, 0, 0, 1, "AN"), line(0, 0, -1, 0, "0")});
    b.entity(line(0, 0, 1, 1, "AUS"))
        .entity(line(0, 0, 1, 1, "GEFROREN"))
        .entity(line(0, 0, 1, 1, "AN"))
        .entity({{0, "INSERT"}, {8, "AN"}, {2, "M"}, {10, "0"}, {20, "0"}})
        .entity({{0, "INSERT"}, {8, "AUS"}, {2, "M"}, {10, "0"}, {20, "0"}});
    Built g = build(b);
    std::vector<uint32_t> owners;
    for (const auto& p : g.prims())
        owners.push_back(p.entity);
    // The line on AN, and from the first insert its parts on AN and on layer 0 (which takes
    // the insert's layer AN); the insert on a layer that is off shows nothing of layer 0.
    EXPECT_EQ(owners, (std::vector<uint32_t>{g.entity(2), g.entity(3), g.entity(3)}));
    for (const auto& p : g.prims())
        EXPECT_EQ(p.aci, 6);
}

TEST(Geometry, LinetypesByEntityByLayerAndByBlock)
{
    DxfBuilder b;
    b.ltype("DASHED", {0.5, -0.25}).ltype("DOT", {0, -0.2});
    b.layer("STRICH", 2, "DASHED");
    b.block("L", 0, 0, {line(0, 0, 1, 0, "0", {{6, "BYBLOCK"}})});
    b.entity(line(0, 0, 1, 0, "STRICH"))
        .entity(line(0, 0, 1, 0, "STRICH", {{6, "CONTINUOUS"}}))
        .entity(line(0, 0, 1, 0, "0", {{6, "DOT"}, {48, "2.5"}}))
        .entity({{0, "INSERT"}, {8, "0"}, {6, "DASHED"}, {2, "L"}, {10, "0"}, {20, "0"}});
    Built g = build(b);
    const auto& p = g.prims();
    const auto& lts = g.geometry.linetypes();
    ASSERT_EQ(p.size(), 4u);
    ASSERT_GE(p[0].linetype, 0);
    EXPECT_EQ(lts[p[0].linetype].name, "DASHED");
    EXPECT_EQ(lts[p[0].linetype].pattern, (std::vector<double>{0.5, -0.25}));
    EXPECT_EQ(p[1].linetype, -1);
    ASSERT_GE(p[2].linetype, 0);
    EXPECT_EQ(lts[p[2].linetype].name, "DOT");
    EXPECT_FLOAT_EQ(p[2].ltscale, 2.5f);
    EXPECT_EQ(p[3].linetype, p[0].linetype);
}

TEST(Geometry, TheSampleNetwork)
{
    std::string error;
    auto d = korcad::loadDrawing(drawingtest::netzPath(), &error);
    ASSERT_TRUE(d) << error;
    Geometry g(*d);
    const auto& p = g.primitives();
    auto mains = d->mainEntities();
    std::set<uint32_t> drawn;
    for (const auto& prim : p)
        drawn.insert(prim.entity);
    // Everything, the spline too.
    EXPECT_EQ(drawn.size(), mains.size());
    // Hydrant H-101 at (30,0): its circle (block layer 0) in the insert layer's red, its
    // attribute texts on WASSER_TEXT in white.
    auto hydrant = std::find_if(p.begin(), p.end(), [](const Primitive& x) {
        return x.shape == Shape::Circle && std::fabs(x.a.x - 30) < 1e-9 && std::fabs(x.a.y) < 1e-9;
    });
    ASSERT_NE(hydrant, p.end());
    EXPECT_DOUBLE_EQ(hydrant->radius, 1.5);
    EXPECT_EQ(hydrant->rgb, 0xFF0000u);
    size_t hydrantTexts = 0;
    for (const auto& x : p)
        if (x.entity == hydrant->entity && x.shape == Shape::Text) {
            ++hydrantTexts;
            EXPECT_EQ(x.aci, 7);
        }
    EXPECT_EQ(hydrantTexts, 2u);
    // The pipes: width 0.3, blue.
    size_t wide = std::count_if(p.begin(), p.end(), [](const Primitive& x) { return x.w0 == 0.3f && x.aci == 5; });
    EXPECT_EQ(wide, 2u + 1 + 2 + 1);
    // House connections dashed by their layer; the old main hidden-lined, in grey.
    size_t dashed = std::count_if(p.begin(), p.end(), [&](const Primitive& x) {
        return x.linetype >= 0 && g.linetypes()[x.linetype].name == "DASHED" && x.aci == 4;
    });
    EXPECT_EQ(dashed, 3u);
    size_t old = std::count_if(p.begin(), p.end(), [&](const Primitive& x) {
        return x.linetype >= 0 && g.linetypes()[x.linetype].name == "HIDDEN" && x.aci == 8;
    });
    EXPECT_EQ(old, 1u + 2);  // the arc and the two segments of the old polyline
    // The drawing lies within the extents its header gives, but for the attribute texts to
    // the right of the last hydrant (their width is estimated).
    auto e = g.extents();
    EXPECT_GE(e.x0, -10);
    EXPECT_LE(e.x1, 140);
    EXPECT_GE(e.y0, -40);
    EXPECT_LE(e.y1, 90);
    EXPECT_LT(e.x0, 0.5);
    EXPECT_GT(e.x1, 120);
}

TEST(Geometry, TheColourIndexTable)
{
    using korcad::geom::aciColour;
    EXPECT_EQ(aciColour(1), 0xFF0000u);
    EXPECT_EQ(aciColour(2), 0xFFFF00u);
    EXPECT_EQ(aciColour(3), 0x00FF00u);
    EXPECT_EQ(aciColour(4), 0x00FFFFu);
    EXPECT_EQ(aciColour(5), 0x0000FFu);
    EXPECT_EQ(aciColour(6), 0xFF00FFu);
    EXPECT_EQ(aciColour(7), 0xFFFFFFu);
    EXPECT_EQ(aciColour(8), 0x808080u);
    EXPECT_EQ(aciColour(9), 0xC0C0C0u);
    EXPECT_EQ(aciColour(10), 0xFF0000u);
    EXPECT_EQ(aciColour(11), 0xFF7F7Fu);
    EXPECT_EQ(aciColour(12), 0xCC0000u);
    EXPECT_EQ(aciColour(13), 0xCC6666u);
    EXPECT_EQ(aciColour(19), 0x4C2626u);
    EXPECT_EQ(aciColour(30), 0xFF7F00u);
    EXPECT_EQ(aciColour(40), 0xFFBF00u);
    EXPECT_EQ(aciColour(140), 0x00BFFFu);
    EXPECT_EQ(aciColour(170), 0x0000FFu);
    EXPECT_EQ(aciColour(250), 0x333333u);
    EXPECT_EQ(aciColour(255), 0xFFFFFFu);
    EXPECT_EQ(aciColour(-1), 0xFF0000u);  // a layer that is off keeps its colour
    std::set<uint32_t> distinct;
    for (int i = 10; i < 250; ++i)
        distinct.insert(aciColour(i));
    EXPECT_GT(distinct.size(), 200u);
}

TEST(Geometry, TheSpatialIndexFindsWhatABruteForceSearchFinds)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> pos(-1000, 1000), size(0, 20);
    std::vector<korcad::geom::Box> boxes;
    for (int i = 0; i < 5000; ++i) {
        double x = pos(rng), y = pos(rng);
        boxes.push_back({x, y, x + size(rng), y + size(rng)});
    }
    boxes.push_back({5000, 5000, 5001, 5001});  // a stray one far away
    boxes.push_back({});                         // an empty one is not indexed
    korcad::geom::SpatialIndex index;
    index.build(boxes);
    EXPECT_EQ(index.size(), boxes.size() - 1);
    for (int q = 0; q < 50; ++q) {
        double x = pos(rng), y = pos(rng), s = size(rng) * 10;
        korcad::geom::Box area{x, y, x + s, y + s};
        std::vector<uint32_t> found, expected;
        index.query(area, [&](uint32_t i) { found.push_back(i); });
        for (uint32_t i = 0; i < boxes.size(); ++i)
            if (!boxes[i].empty() && boxes[i].meets(area))
                expected.push_back(i);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected);
    }
    std::vector<uint32_t> far;
    index.query({4999, 4999, 5002, 5002}, [&](uint32_t i) { far.push_back(i); });
    EXPECT_EQ(far, std::vector<uint32_t>{5000});
    EXPECT_DOUBLE_EQ(index.bounds().x1, 5001);
}

TEST(Geometry, SnapsToEndpointsMidpointsCentresAndNearestPoints)
{
    using namespace korcad::geom;
    DxfBuilder b;
    b.entity(line(0, 0, 10, 0)).entity(circle(30, 0, 5)).entity(arc(50, 0, 4, 0, 180));
    Built g = build(b);
    auto snap = [&](double x, double y, unsigned modes = SnapAll) { return g.geometry.snap({x, y}, 1.0, modes); };
    Snap s = snap(0.3, 0.4);
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.kind, SnapEndpoint);
    expectPoint(s.point, 0, 0);
    EXPECT_EQ(s.entity, g.entity(0));
    s = snap(5.5, -0.5);
    EXPECT_EQ(s.kind, SnapMidpoint);
    expectPoint(s.point, 5, 0);
    // Near the line but far from its special points: the nearest point on it.
    s = snap(3, 0.7);
    EXPECT_EQ(s.kind, SnapNearest);
    expectPoint(s.point, 3, 0);
    // Without nearest: nothing there.
    EXPECT_FALSE(snap(3, 0.7, SnapEndpoint | SnapMidpoint).found);
    // On the circle: its centre, five units away.
    s = snap(30, 5.5);
    EXPECT_EQ(s.kind, SnapCentre);
    expectPoint(s.point, 30, 0);
    s = snap(30, 5.5, SnapNearest | SnapEndpoint);
    EXPECT_EQ(s.kind, SnapNearest);
    expectPoint(s.point, 30, 5);
    // Inside the circle, far from the curve and the centre: nothing.
    EXPECT_FALSE(snap(32, 2).found);
    // The arc: ends, middle of the curve, and no nearest point on its missing half.
    s = snap(54.2, 0.3, SnapEndpoint);
    expectPoint(s.point, 54, 0);
    s = snap(50.2, 4.5, SnapMidpoint);
    EXPECT_EQ(s.kind, SnapMidpoint);
    expectPoint(s.point, 50, 4);
    EXPECT_FALSE(snap(50, -4.2, SnapNearest).found);
    // Nothing within the aperture.
    EXPECT_FALSE(snap(20, 20).found);
}

TEST(Geometry, EntityAtAPointPicksTheClosestWithinThePickBox)
{
    DxfBuilder b;
    b.block("H", 0, 0, {circle(0, 0, 1)});
    b.entity(line(0, 0, 10, 0))
        .entity(line(0, 0.5, 10, 0.5))
        .entity({{0, "INSERT"}, {8, "0"}, {2, "H"}, {10, "20"}, {20, "0"}})
        .entity(text(0, 10, 2, "Beschriftung"))
        .entity({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {43, "4"}, {10, "0"}, {20, "30"}, {10, "10"}, {20, "30"}});
    Built g = build(b);
    EXPECT_EQ(g.geometry.entityAt({5, 0.1}, 0.3), g.entity(0));
    EXPECT_EQ(g.geometry.entityAt({5, 0.4}, 0.3), g.entity(1));
    EXPECT_EQ(g.geometry.entityAt({21, 0}, 0.3), g.entity(2));  // an insert's part gives the insert
    EXPECT_EQ(g.geometry.entityAt({20, 0}, 0.3), 0u);           // inside the circle, off its curve
    EXPECT_EQ(g.geometry.entityAt({3, 11}, 0.1), g.entity(3));  // inside the text's box
    EXPECT_EQ(g.geometry.entityAt({5, 31.9}, 0.1), g.entity(4));  // within the wide polyline
    EXPECT_EQ(g.geometry.entityAt({5, 5}, 0.3), 0u);
}

TEST(Geometry, BlocksNestedDeepAreDrawnInPartWithinTheBoundAndPicksAndSnapsStillAnswer)
{
    // A 24 KB file: eight levels of blocks, each inserting the one below ten times, would
    // be 10^8 lines. Between two plain lines.
    DxfBuilder b;
    b.block("B0", 0, 0, {line(0, 0, 1, 0)});
    double step = 2;
    for (int level = 1; level <= 8; ++level, step *= 10) {
        std::vector<Groups> inserts;
        for (int i = 0; i < 10; ++i)
            inserts.push_back({{0, "INSERT"}, {8, "0"}, {2, "B" + std::to_string(level - 1)}, {10, num(i * step)},
                               {20, "0"}});
        b.block("B" + std::to_string(level), 0, 0, inserts);
    }
    b.entity(line(0, -5, 10, -5)).entity({{0, "INSERT"}, {8, "0"}, {2, "B8"}, {10, "0"}, {20, "0"}});
    b.entity(line(0, -10, 10, -10));
    auto drawing = drawingtest::readDrawing(b.text());

    std::vector<std::string> warnings;
    korcad::geom::setWarningSink([&](const std::string& w) { warnings.push_back(w); });
    Geometry g(*drawing);
    g = Geometry();
    g = Geometry(*drawing);  // the view and the picks each take the geometry, after every change
    korcad::geom::setWarningSink(nullptr);

    EXPECT_EQ(g.primitives().size(), korcad::geom::kMaxPrimitives);
    EXPECT_EQ(g.entitiesCut(), 1u);
    ASSERT_EQ(warnings.size(), 1u) << "said once";
    EXPECT_EQ(warnings[0], "the drawing is drawn in part: it passes the bound of " +
                               std::to_string(korcad::geom::kMaxPrimitives) +
                               " primitives, so 1 of 3 entities is not drawn whole");
    // The plain lines on either side are drawn; the insert as far as the bound goes.
    const uint32_t before = drawing->mainEntities()[0], insert = drawing->mainEntities()[1],
                   after = drawing->mainEntities()[2];
    EXPECT_EQ(g.entityAt({5, -5}, 0.1), before);
    EXPECT_EQ(g.entityAt({0.5, 0}, 0.1), insert);
    EXPECT_EQ(g.entityAt({5, -10}, 0.1), after);
    auto s = g.snap({1.05, 0.02}, 0.2, korcad::geom::SnapEndpoint);
    ASSERT_TRUE(s.found);
    expectPoint(s.point, 1, 0);
}

TEST(Geometry, SplinesFollowTheirCurveOrElseTheirControlPolygon)
{
    using korcad::geom::SplinePoint;
    using korcad::geom::splineCurve;
    // A clamped cubic starts and ends at its end control points and stays within their hull.
    const std::vector<SplinePoint> c = {{-5, 60}, {5, 75}, {20, 55}, {35, 70}};
    auto curve = splineCurve(3, c, {0, 0, 0, 0, 1, 1, 1, 1}, {}, {});
    ASSERT_EQ(curve.size(), 17u);
    EXPECT_NEAR(curve.front().x, -5, 1e-9);
    EXPECT_NEAR(curve.front().y, 60, 1e-9);
    EXPECT_NEAR(curve.back().x, 35, 1e-9);
    EXPECT_NEAR(curve.back().y, 70, 1e-9);
    // Halfway, a Bézier is the mean of its points weighted 1:3:3:1.
    EXPECT_NEAR(curve[8].x, (-5 + 3 * 5 + 3 * 20 + 35) / 8.0, 1e-9);
    EXPECT_NEAR(curve[8].y, (60 + 3 * 75 + 3 * 55 + 70) / 8.0, 1e-9);
    // Equal weights change nothing; a heavier middle point pulls the curve to it.
    auto same = splineCurve(3, c, {0, 0, 0, 0, 1, 1, 1, 1}, {2, 2, 2, 2}, {});
    EXPECT_NEAR(same[8].y, curve[8].y, 1e-9);
    auto pulled = splineCurve(3, c, {0, 0, 0, 0, 1, 1, 1, 1}, {1, 5, 1, 1}, {});
    EXPECT_GT(pulled[5].y, curve[5].y);
    // Knots that do not fit: the control polygon; only fit points: those joined.
    EXPECT_EQ(splineCurve(3, c, {0, 1}, {}, {}).size(), c.size());
    EXPECT_EQ(splineCurve(3, c, {0, 0, 0, 0, 2, 1, 1, 1}, {}, {}).size(), c.size());
    EXPECT_EQ(splineCurve(3, {}, {}, {}, {{0, 0}, {1, 1}, {2, 0}}).size(), 3u);
    EXPECT_TRUE(splineCurve(3, {}, {}, {}, {{0, 0}}).empty());
}
