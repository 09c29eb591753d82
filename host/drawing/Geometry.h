// Geometry.h — what the model space of a drawing looks like: its entities broken into simple
// primitives (line segments, arcs, circles, points, texts) in world coordinates, each with the
// colour and linetype it is shown in, its extents, and the main entity it belongs to.
//
// LINE, LWPOLYLINE (widths, bulges, closed), POLYLINE 2D with its VERTEX records, CIRCLE,
// ARC, POINT, TEXT, MTEXT and INSERT are understood; an insert brings its block's entities
// (nested blocks too) moved, scaled and rotated, and its attributes. A polyline becomes one
// primitive per segment, so its linetype pattern starts anew at each vertex, as CAD programs
// draw polylines by default. Entities on layers that are off or frozen are left out, and so are
// kinds korcad does not interpret (SPLINE, HATCH, ...).
//
// Colours: an entity's own (62, or the true colour 420), else its layer's; BYBLOCK inside an
// insert takes the insert's, and entities on layer 0 inside a block take the insert's layer, as
// in CAD programs. Linetypes likewise (6, else the layer's), with their patterns from the LTYPE
// table, scaled by the entity's 48.
//
// On top: a spatial index over the primitives, object snaps and the entity under a point.
//
// A drawing is broken into at most kMaxPrimitives primitives: blocks inside blocks multiply
// (eight levels of ten inserts each are 10^8 lines from a file of 24 KB), and the geometry
// must stay within time and memory whatever the file. Past the bound the blocks inside the
// insert being drawn are left out; room for one primitive of every main entity still to come
// is kept, so plain entities after it are drawn. Such a drawing is said once on standard
// error ("korcad: warning: the drawing is drawn in part: ..."); picks and snaps see what is
// drawn.
#pragma once

#include "drawing/SpatialIndex.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korcad {

class Drawing;

namespace geom {

struct Point {
    double x = 0, y = 0;
};

enum class Shape : uint8_t { Line, Arc, Circle, Point, Text };

// Horizontal and vertical alignment of a text against its anchor.
enum class HAlign : uint8_t { Left, Centre, Right };
enum class VAlign : uint8_t { Baseline, Bottom, Middle, Top };

struct Primitive {
    Shape shape = Shape::Line;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Baseline;
    uint32_t entity = 0;   // the record id of the main entity (the insert, for a block's parts)
    uint32_t rgb = 0;      // the colour shown, 0xRRGGBB
    int16_t aci = 7;       // its colour index (-1 for a true colour)
    int16_t linetype = -1; // index into Geometry::linetypes(); -1 continuous
    float ltscale = 1;     // the entity's linetype scale
    float w0 = 0, w1 = 0;  // width at the start and at the end (polyline segments); 0 thin
    Point a, b;            // Line: the ends. Arc, Circle: a is the centre. Point, Text: a
    double radius = 0;     // Arc, Circle
    double start = 0, end = 0;  // Arc: counter-clockwise from start to end, radians, end > start
    // Text: its lines (index into Geometry::texts(), lines split by '\n'), cap height, angle of
    // its baseline (radians), width factor, and its extent in its own frame about the anchor
    // (X along the baseline), estimated at 0.6 of the height per character.
    uint32_t text = 0;
    uint32_t part = 0;     // the record it comes from: inside an insert the innermost part (or
                           // an ATTRIB), else the main entity itself
    double height = 0, rotation = 0, widthFactor = 1;
    double left = 0, bottom = 0, right = 0, top = 0;
    Box box;  // extents in world coordinates (widths included)
};

struct Linetype {
    std::string name;
    // Dashes in drawing units: > 0 a dash, < 0 a gap, 0 a dot. Empty: continuous.
    std::vector<double> pattern;
};

enum SnapMode : unsigned { SnapEndpoint = 1, SnapMidpoint = 2, SnapCentre = 4, SnapNearest = 8, SnapAll = 15 };

struct Snap {
    bool found = false;
    Point point;
    SnapMode kind = SnapEndpoint;
    uint32_t entity = 0;  // the main entity snapped to
};

// The colour of an AutoCAD colour index 1..255 as 0xRRGGBB. Index 7 is white: korcad's view
// draws on a dark background as CAD programs do. 0 (BYBLOCK) and 256 (BYLAYER) give white too.
uint32_t aciColour(int aci);

// The most primitives one drawing is broken into: ten times a large network drawing, and
// about 250 MB of primitives and index.
constexpr size_t kMaxPrimitives = 1'000'000;

// Where the warning of a drawing drawn in part goes: standard error as "korcad: warning: ..."
// unless a sink is set (tests; null sets standard error back). Each drawing is warned of once.
void setWarningSink(std::function<void(const std::string&)> sink);

class Geometry {
public:
    Geometry() = default;
    explicit Geometry(const Drawing& drawing);

    const std::vector<Primitive>& primitives() const { return prims_; }
    const std::vector<std::wstring>& texts() const { return texts_; }
    const std::vector<Linetype>& linetypes() const { return linetypes_; }
    const SpatialIndex& index() const { return index_; }
    // The extents of everything drawn; empty for an empty model space.
    Box extents() const { return extents_; }
    // Main entities not drawn whole because the drawing passed kMaxPrimitives; 0 when the
    // drawing is drawn whole.
    size_t entitiesCut() const { return cut_; }

    // Calls visit(i) for each primitive i whose extents meet `area`.
    template <class Visit>
    void query(const Box& area, Visit&& visit) const { index_.query(area, visit); }

    // The main entity (record id) whose drawn geometry passes within `pickbox` of `p`: the
    // closest, the one drawn last among equals; 0 when none. A text is hit inside its box.
    uint32_t entityAt(Point p, double pickbox) const;
    // The same pick's part (Primitive::part), for nentsel; 0 when nothing is hit.
    uint32_t partAt(Point p, double pickbox) const;
    // The snap point next to `p` within `aperture` for the modes given (SnapMode bits):
    // the closest endpoint, midpoint or centre; a nearest point on a curve only where none of
    // those is in reach. A centre is offered where the cursor is near the circle or arc.
    Snap snap(Point p, double aperture, unsigned modes) const;

private:
    uint32_t primitiveAt(Point p, double pickbox) const;  // index + 1 of the closest; 0 none
    std::vector<Primitive> prims_;
    std::vector<std::wstring> texts_;
    std::vector<Linetype> linetypes_;
    SpatialIndex index_;
    Box extents_;
    size_t cut_ = 0;
    friend class Builder;
};

// Distance from p to a primitive's drawn shape (0 inside a text's box or a wide segment).
double distanceTo(const Primitive& prim, Point p);

}  // namespace geom
}  // namespace korcad
