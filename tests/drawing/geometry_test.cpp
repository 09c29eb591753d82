// The geometry of a drawing's model space, primitives compared as text: kinds, inserts, colours
// and linetypes by layer and block, hidden layers, the spatial index, snaps and picks.
#include "drawing_util.h"

#include "drawing/Geometry.h"
#include "drawing/SpatialIndex.h"
#include "drawing/Spline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace drawingtest;
using korcad::geom::Geometry;
using korcad::geom::Primitive;
using korcad::geom::Shape;
using Lines = std::vector<std::string>;

namespace {

std::string n(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", std::fabs(v) < 1e-9 ? 0.0 : v);
    return buf;
}
std::string p(korcad::geom::Point pt) { return n(pt.x) + "," + n(pt.y); }
std::string box(const korcad::geom::Box& b) { return "[" + n(b.x0) + "," + n(b.y0) + " " + n(b.x1) + "," + n(b.y1) + "]"; }
double degrees(double radians) { return radians * 180 / 3.14159265358979323846; }

struct Built {
    std::unique_ptr<korcad::Drawing> drawing;
    Geometry geometry;
    const std::vector<Primitive>& prims() const { return geometry.primitives(); }
    // The record id of the n-th main entity.
    uint32_t entity(size_t i) const { return drawing->mainEntities().at(i); }

    // A primitive as text: its main entity's place, shape, points, radius and angles in degrees,
    // text and alignment, widths, colour index (when not 7) and true colour (when not the
    // index's), linetype and its scale, box.
    std::string describe(const Primitive& x) const
    {
        const auto mains = drawing->mainEntities();
        std::string s = "#" + std::to_string(std::find(mains.begin(), mains.end(), x.entity) - mains.begin());
        switch (x.shape) {
        case Shape::Line: s += " line " + p(x.a) + " " + p(x.b); break;
        case Shape::Circle: s += " circle " + p(x.a) + " r" + n(x.radius); break;
        case Shape::Arc:
            s += " arc " + p(x.a) + " r" + n(x.radius) + " " + n(degrees(x.start)) + ".." + n(degrees(x.end));
            break;
        case Shape::Point: s += " point " + p(x.a); break;
        case Shape::Text:
            s += " text " + p(x.a) + " h" + n(x.height) + " \"" + kortextAscii(geometry.texts()[x.text]) + "\" align " +
                 std::to_string(int(x.hAlign)) + std::to_string(int(x.vAlign));
            if (x.rotation)
                s += " rot" + n(degrees(x.rotation));
            break;
        }
        if (x.w0 || x.w1)
            s += " w" + n(x.w0) + "-" + n(x.w1);
        if (x.aci != 7)
            s += " aci" + std::to_string(x.aci);
        if (x.rgb != korcad::geom::aciColour(x.aci))
            s += " rgb" + std::to_string(x.rgb);
        if (x.linetype >= 0)
            s += " " + geometry.linetypes()[x.linetype].name;
        if (x.ltscale != 1)
            s += " x" + n(x.ltscale);
        return s + " " + box(x.box);
    }
    Lines describe() const
    {
        Lines out;
        for (const auto& x : prims())
            out.push_back(describe(x));
        return out;
    }
    static std::string kortextAscii(const std::wstring& w)
    {
        std::string s;
        for (wchar_t c : w)
            s += c == L'\n' ? '|' : c < 128 ? char(c) : '?';
        return s;
    }
};

Built build(const DxfBuilder& b)
{
    Built out;
    out.drawing = readDrawing(b.text());
    out.geometry = Geometry(*out.drawing);
    return out;
}

}  // namespace

TEST(Geometry, LinesCirclesArcsAndPointsWithTheirExtents)
{
    DxfBuilder b;
    b.entity(line(0, 0, 10, 5)).entity(circle(20, 0, 2)).entity(arc(0, 20, 5, 0, 90));
    b.entity({{0, "POINT"}, {8, "0"}, {10, "3"}, {20, "4"}});
    // An arc over zero degrees; one seen from below (extrusion 0,0,-1), its X mirrored.
    b.entity(arc(0, 0, 1, 270, 90));
    b.entity(entity("ARC", "0", {}, {{10, "5"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}, {210, "0"}, {220, "0"}, {230, "-1"}}));
    Built g = build(b);
    EXPECT_EQ(g.describe(), (Lines{"#0 line 0,0 10,5 [0,0 10,5]", "#1 circle 20,0 r2 [18,-2 22,2]",
                                   "#2 arc 0,20 r5 0..90 [0,20 5,25]", "#3 point 3,4 [3,4 3,4]",
                                   "#4 arc 0,0 r1 270..450 [0,-1 1,1]", "#5 arc -5,0 r1 90..180 [-6,0 -5,1]"}));
    EXPECT_EQ(box(g.geometry.extents()), "[-6,-2 22,25]");
}

TEST(Geometry, PolylinesWithWidthsBulgesTheClosedFlagAndVertexRecords)
{
    DxfBuilder b;
    // Open: a straight segment with constant width, then a half circle (bulge 1) below the chord.
    b.entity({{0, "LWPOLYLINE"}, {8, "0"}, {90, "3"}, {70, "0"}, {43, "0.5"},
              {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {42, "1"}, {10, "20"}, {20, "0"}});
    // Closed triangle with a tapering first segment and a clockwise (negative) bulge on the last:
    // an arc of 4*atan(0.5) from (4,14) to (0,10), bulging below y = x + 10.
    b.entity({{0, "LWPOLYLINE"}, {8, "0"}, {90, "3"}, {70, "1"},
              {10, "0"}, {20, "10"}, {40, "2"}, {41, "0"}, {10, "4"}, {20, "10"}, {10, "4"}, {20, "14"}, {42, "-0.5"}});
    // The old kind: a closed POLYLINE with its default width, a bulge, a vertex with its own width;
    // the line after its SEQEND is an entity of its own.
    b.entity({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "1"}, {40, "1"}, {41, "1"}})
        .entity({{0, "VERTEX"}, {8, "0"}, {10, "0"}, {20, "0"}})
        .entity({{0, "VERTEX"}, {8, "0"}, {10, "10"}, {20, "0"}, {42, "1"}})
        .entity({{0, "VERTEX"}, {8, "0"}, {10, "10"}, {20, "10"}, {40, "3"}, {41, "3"}})
        .entity({{0, "SEQEND"}, {8, "0"}})
        .entity(line(50, 50, 60, 60));
    Built g = build(b);
    // (The bulge's arc: 4 atan(0.5) = 106.26 degrees, radius |chord| (1 + 0.25) / 2, its middle at 3,11.)
    EXPECT_EQ(g.describe(), (Lines{"#0 line 0,0 10,0 w0.5-0.5 [-0.25,-0.25 10.25,0.25]",
                                   "#0 arc 15,0 r5 180..360 w0.5-0.5 [9.75,-5.25 20.25,0.25]",
                                   "#1 line 0,10 4,10 w2-0 [-1,9 5,11]", "#1 line 4,10 4,14 [4,10 4,14]",
                                   "#1 arc 0.5,13.5 r3.53553 261.87..368.13 [0,9.96447 4.03553,14]",
                                   "#2 line 0,0 10,0 w1-1 [-0.5,-0.5 10.5,0.5]",
                                   "#2 arc 10,5 r5 270..450 w1-1 [9.5,-0.5 15.5,10.5]",
                                   "#2 line 10,10 0,0 w3-3 [-1.5,-1.5 11.5,11.5]", "#3 line 50,50 60,60 [50,50 60,60]"}));
}

TEST(Geometry, TextsAndMultilineTexts)
{
    DxfBuilder b;
    b.entity(text(1, 2, 2.5, "Rohr %%c110"));
    // Aligned texts hang on their second point; turned and centred, the box is tall about it.
    b.entity({{0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "50"}, {21, "5"}, {40, "2"}, {50, "90"}, {72, "1"},
              {73, "2"}, {1, "Mitte"}});
    // MTEXT: formatting gone, \P breaks lines, top-left attachment.
    b.entity({{0, "MTEXT"}, {8, "0"}, {10, "10"}, {20, "30"}, {40, "2"}, {71, "1"},
              {1, "{\\fArial|b1;Zone}\\PStra\\~1\\P\\H3x;a\\Sx^y;"}});
    Built g = build(b);
    EXPECT_EQ(g.describe(), (Lines{"#0 text 1,2 h2.5 \"Rohr ?110\" align 00 [1,1.25 14.5,4.5]",
                                   "#1 text 50,5 h2 \"Mitte\" align 12 rot90 [49,2 51,8]",
                                   "#2 text 10,30 h2 \"Zone|Stra 1|ax/y\" align 03 [10,21.3333 17.2,30]"}));
    EXPECT_EQ(g.geometry.texts()[g.prims()[0].text], L"Rohr \u2300110");
}

TEST(Geometry, InsertsMoveScaleAndTurnTheirBlocksWithColoursAndLinetypesByBlockAndLayer)
{
    DxfBuilder b;
    b.ltype("DASHED", {0.5, -0.25}).ltype("DOT", {0, -0.2});
    b.layer("ROT", 1).layer("BLAU", 5).layer("GRUEN", 3).layer("STRICH", 2, "DASHED");
    // Block A, base (1,0): a line from the base along X, on layer 0, colour BYBLOCK.
    b.block("A", 1, 0, {line(1, 0, 2, 0, "0", {{62, "0"}})});
    // Block B: A inserted at (5,0), and a circle on its own layer GRUEN.
    b.block("B", 0, 0, {insert("A", 5, 0), circle(0, 0, 1, "GRUEN")});
    b.block("L", 0, 0, {line(0, 0, 1, 0, "0", {{6, "BYBLOCK"}})});
    // A at (10,10), scale 2 x 3, turned 90 degrees, yellow on layer ROT: (0,0)-(1,0) from the
    // base, scaled by 2, turned, moved; BYBLOCK takes the insert's colour.
    b.entity(insert("A", 10, 10, "ROT", {{62, "2"}, {41, "2"}, {42, "3"}, {50, "90"}}));
    // B at (100,0), scale 2, on BLAU by layer: inside, A's BYBLOCK takes B's layer; the circle
    // keeps its layer's colour.
    b.entity(insert("B", 100, 0, "BLAU", {{41, "2"}, {42, "2"}}));
    // Linetypes by layer, by entity (CONTINUOUS wins over the layer's), with a scale, by block.
    b.entity(line(0, 0, 1, 0, "STRICH"))
        .entity(line(0, 0, 1, 0, "STRICH", {{6, "CONTINUOUS"}}))
        .entity(line(0, 0, 1, 0, "0", {{6, "DOT"}, {48, "2.5"}}))
        .entity(insert("L", 0, 0, "0", {{6, "DASHED"}}));
    Built g = build(b);
    EXPECT_EQ(g.describe(), (Lines{"#0 line 10,10 10,12 aci2 [10,10 10,12]", "#1 line 110,0 112,0 aci5 [110,0 112,0]",
                                   "#1 circle 100,0 r2 aci3 [98,-2 102,2]", "#2 line 0,0 1,0 aci2 DASHED [0,0 1,0]",
                                   "#3 line 0,0 1,0 aci2 [0,0 1,0]", "#4 line 0,0 1,0 DOT x2.5 [0,0 1,0]",
                                   "#5 line 0,0 1,0 DASHED [0,0 1,0]"}));
    EXPECT_EQ(g.geometry.linetypes()[g.prims()[3].linetype].pattern, (std::vector<double>{0.5, -0.25}));
}

TEST(Geometry, SelfHoldingMissingAndUnevenlyScaledBlocksAndAttributes)
{
    DxfBuilder b;
    b.layer("TEXT", 4);
    b.block("SELBST", 0, 0, {line(0, 0, 1, 0), insert("SELBST", 5, 0)});
    b.block("K", 0, 0, {circle(0, 0, 1), arc(0, 0, 1, 0, 90)});
    b.block("H", 0, 0, {circle(0, 0, 1)});
    // A block that holds itself is drawn once, a missing block not at all.
    b.entity(insert("SELBST", 0, 0)).entity(insert("FEHLT", 0, 0));
    // Scaled unevenly a circle becomes segments; mirrored in X a quarter arc 0..90 becomes 90..180.
    b.entity(insert("K", 0, 0, "0", {{41, "2"}, {42, "1"}})).entity(insert("K", 10, 0, "0", {{41, "-1"}, {42, "1"}}));
    // Attributes stand where they are, in world coordinates, unless invisible; BYBLOCK in an
    // insert by layer on layer 0 is white.
    b.entity(insert("H", 5, 5, "0", {{66, "1"}}))
        .entity({{0, "ATTRIB"}, {8, "TEXT"}, {10, "7"}, {20, "5"}, {40, "1"}, {1, "H-101"}, {2, "NR"}, {70, "0"}})
        .entity({{0, "ATTRIB"}, {8, "TEXT"}, {10, "7"}, {20, "3"}, {40, "1"}, {1, "geheim"}, {2, "X"}, {70, "1"}})
        .entity({{0, "ATTRIB"}, {8, "TEXT"}, {62, "0"}, {10, "7"}, {20, "1"}, {40, "1"}, {1, "offen"}, {2, "S"}, {70, "0"}})
        .entity({{0, "SEQEND"}, {8, "0"}});
    Built g = build(b);
    Lines d = g.describe();
    // The ellipse: more than 32 segments within (-2,-1)..(2,1).
    auto segments = std::count_if(d.begin(), d.end(), [](const std::string& s) { return s.rfind("#2 line", 0) == 0; });
    EXPECT_GT(segments, 32);
    korcad::geom::Box ellipse;
    for (const auto& x : g.prims())
        if (x.entity == g.entity(2))
            ellipse.add(x.box);
    EXPECT_EQ(box(ellipse), "[-2,-1 2,1]");
    d.erase(std::remove_if(d.begin(), d.end(), [](const std::string& s) { return s.rfind("#2 line", 0) == 0; }), d.end());
    EXPECT_EQ(d, (Lines{"#0 line 0,0 1,0 [0,0 1,0]", "#3 circle 10,0 r1 [9,-1 11,1]", "#3 arc 10,0 r1 90..180 [9,0 10,1]",
                        "#4 circle 5,5 r1 [4,4 6,6]", "#4 text 7,5 h1 \"H-101\" align 00 aci4 [7,4.7 10,6]",
                        "#4 text 7,1 h1 \"offen\" align 00 [7,0.7 10,2]"}));
}

TEST(Geometry, LayersOffOrFrozenAreLeftOutAlsoInsideBlocks)
{
    DxfBuilder b;
    b.layer("AUS", -3).layer("GEFROREN", 3, "Continuous", 1).layer("AN", 6);
    b.block("M", 0, 0, {line(0, 0, 1, 0, "GEFROREN"), line(0, 0, 0, 1, "AN"), line(0, 0, -1, 0, "0")});
    b.entity(line(0, 0, 1, 1, "AUS")).entity(line(0, 0, 1, 1, "GEFROREN")).entity(line(0, 0, 1, 1, "AN"));
    b.entity(insert("M", 0, 0, "AN")).entity(insert("M", 0, 0, "AUS"));
    // The line on AN, and from the first insert its parts on AN and on layer 0 (which takes the
    // insert's layer AN); the insert on a layer that is off shows nothing of layer 0.
    EXPECT_EQ(build(b).describe(), (Lines{"#2 line 0,0 1,1 aci6 [0,0 1,1]", "#3 line 0,0 0,1 aci6 [0,0 0,1]",
                                          "#3 line 0,0 -1,0 aci6 [-1,0 0,0]"}));
}

// The computed ramps and greys of the colour index; a layer that is off keeps its colour.
TEST(Geometry, TheColourIndexRamps)
{
    for (const auto& [aci, rgb] : {std::pair{11, 0xFF7F7Fu}, {19, 0x4C2626u}, {140, 0x00BFFFu}, {250, 0x333333u}, {-1, 0xFF0000u}})
        EXPECT_EQ(korcad::geom::aciColour(aci), rgb) << aci;
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
    // Where the cursor is, the modes, and the snap found: kind, point, entity; "-" for none.
    const std::tuple<double, double, unsigned, std::string> cases[] = {
        {0.3, 0.4, SnapAll, "1 0,0 #0"},
        {5.5, -0.5, SnapAll, "2 5,0 #0"},
        {3, 0.7, SnapAll, "8 3,0 #0"},  // near the line, far from its special points
        {3, 0.7, SnapEndpoint | SnapMidpoint, "-"},
        {30, 5.5, SnapAll, "4 30,0 #1"},  // on the circle: its centre, five units away
        {30, 5.5, SnapNearest | SnapEndpoint, "8 30,5 #1"},
        {32, 2, SnapAll, "-"},  // inside the circle, far from the curve and the centre
        {54.2, 0.3, SnapEndpoint, "1 54,0 #2"},
        {50.2, 4.5, SnapMidpoint, "2 50,4 #2"},  // the middle of the arc's curve
        {50, -4.2, SnapNearest, "-"},            // no nearest point on its missing half
        {20, 20, SnapAll, "-"}};
    const auto mains = g.drawing->mainEntities();
    for (const auto& [x, y, modes, expected] : cases) {
        Snap s = g.geometry.snap({x, y}, 1.0, modes);
        const auto entity = std::find(mains.begin(), mains.end(), s.entity) - mains.begin();
        EXPECT_EQ(s.found ? std::to_string(s.kind) + " " + p(s.point) + " #" + std::to_string(entity) : "-", expected)
            << x << "," << y;
    }
}

TEST(Geometry, EntityAtAPointPicksTheClosestWithinThePickBox)
{
    DxfBuilder b;
    b.block("H", 0, 0, {circle(0, 0, 1)});
    b.entity(line(0, 0, 10, 0)).entity(line(0, 0.5, 10, 0.5)).entity(insert("H", 20, 0));
    b.entity(text(0, 10, 2, "Beschriftung"));
    b.entity({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {43, "4"}, {10, "0"}, {20, "30"}, {10, "10"}, {20, "30"}});
    Built g = build(b);
    EXPECT_EQ(g.geometry.entityAt({5, 0.1}, 0.3), g.entity(0));
    EXPECT_EQ(g.geometry.entityAt({5, 0.4}, 0.3), g.entity(1));
    EXPECT_EQ(g.geometry.entityAt({21, 0}, 0.3), g.entity(2));    // an insert's part gives the insert
    EXPECT_EQ(g.geometry.entityAt({20, 0}, 0.3), 0u);             // inside the circle, off its curve
    EXPECT_EQ(g.geometry.entityAt({3, 11}, 0.1), g.entity(3));    // inside the text's box
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
            inserts.push_back(insert("B" + std::to_string(level - 1), i * step, 0));
        b.block("B" + std::to_string(level), 0, 0, inserts);
    }
    b.entity(line(0, -5, 10, -5)).entity(insert("B8", 0, 0)).entity(line(0, -10, 10, -10));
    auto drawing = readDrawing(b.text());
    std::vector<std::string> warnings;
    korcad::geom::setWarningSink([&](const std::string& w) { warnings.push_back(w); });
    Geometry g(*drawing);
    g = Geometry();
    g = Geometry(*drawing);  // the view and the picks each take the geometry, after every change
    korcad::geom::setWarningSink(nullptr);

    EXPECT_EQ(g.primitives().size(), korcad::geom::kMaxPrimitives);
    EXPECT_EQ(g.entitiesCut(), 1u);
    EXPECT_EQ(warnings, Lines{"the drawing is drawn in part: it passes the bound of " +
                              std::to_string(korcad::geom::kMaxPrimitives) +
                              " primitives, so 1 of 3 entities is not drawn whole"})
        << "said once";
    // The plain lines on either side are drawn; the insert as far as the bound goes.
    const auto& mains = drawing->mainEntities();
    EXPECT_EQ(g.entityAt({5, -5}, 0.1), mains[0]);
    EXPECT_EQ(g.entityAt({0.5, 0}, 0.1), mains[1]);
    EXPECT_EQ(g.entityAt({5, -10}, 0.1), mains[2]);
    auto s = g.snap({1.05, 0.02}, 0.2, korcad::geom::SnapEndpoint);
    EXPECT_TRUE(s.found && p(s.point) == "1,0") << p(s.point);
}

TEST(Geometry, SplinesFollowTheirCurveOrElseTheirControlPolygon)
{
    using korcad::geom::SplinePoint;
    using korcad::geom::splineCurve;
    // A clamped cubic starts and ends at its end control points; halfway, a Bézier is the mean
    // of its points weighted 1:3:3:1.
    const std::vector<SplinePoint> c = {{-5, 60}, {5, 75}, {20, 55}, {35, 70}};
    const std::vector<double> knots = {0, 0, 0, 0, 1, 1, 1, 1};
    auto curve = splineCurve(3, c, knots, {}, {});
    ASSERT_EQ(curve.size(), 17u);
    auto at = [](const SplinePoint& q) { return n(q.x) + "," + n(q.y); };
    EXPECT_EQ(at(curve.front()) + " " + at(curve[8]) + " " + at(curve.back()),
              "-5,60 " + n((-5 + 3 * 5 + 3 * 20 + 35) / 8.0) + "," + n((60 + 3 * 75 + 3 * 55 + 70) / 8.0) + " 35,70");
    // Equal weights change nothing; a heavier middle point pulls the curve to it.
    EXPECT_NEAR(splineCurve(3, c, knots, {2, 2, 2, 2}, {})[8].y, curve[8].y, 1e-9);
    EXPECT_GT(splineCurve(3, c, knots, {1, 5, 1, 1}, {})[5].y, curve[5].y);
    // Knots that do not fit: the control polygon; only fit points: those joined.
    EXPECT_EQ(splineCurve(3, c, {0, 1}, {}, {}).size(), c.size());
    EXPECT_EQ(splineCurve(3, c, {0, 0, 0, 0, 2, 1, 1, 1}, {}, {}).size(), c.size());
    EXPECT_EQ(splineCurve(3, {}, {}, {}, {{0, 0}, {1, 1}, {2, 0}}).size(), 3u);
    EXPECT_TRUE(splineCurve(3, {}, {}, {}, {{0, 0}}).empty());
}
