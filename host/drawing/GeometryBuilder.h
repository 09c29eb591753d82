// GeometryBuilder.h — how Geometry is built from a drawing's records, shared by the files
// that build it: GeometryShapes.cpp (the walk over the entities, lines, arcs, polylines and
// inserts), GeometryStyle.cpp (colours, layers, linetypes, blocks) and GeometryText.cpp (TEXT
// and MTEXT). Private to the drawing part.
#pragma once

#include "drawing/Drawing.h"
#include "drawing/Dxf.h"
#include "drawing/Geometry.h"

#include "text/text.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korcad::geom {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr int kMaxNesting = 16;  // blocks inside blocks deeper than this are not drawn

// ---- groups -----------------------------------------------------------------------------------

using kortext::trim;

// A group value as a name to compare: trimmed, in upper case.
inline std::string upper(std::string_view s) { return kortext::upper(trim(s)); }

inline double real(std::string_view v)
{
    double d = 0;
    dxf::parseReal(trim(v), d);
    return std::isfinite(d) ? d : 0.0;
}

inline long long integer(std::string_view v) { return dxf::integerOf(v); }

inline double normalAngle(double a)
{
    a = std::fmod(a, kTwoPi);
    return a < 0 ? a + kTwoPi : a;
}

// ---- transforms -------------------------------------------------------------------------------

// x' = a x + c y + e, y' = b x + d y + f
struct Xform {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    Point apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    Point direction(double angle) const
    {
        double x = std::cos(angle), y = std::sin(angle);
        return {a * x + c * y, b * x + d * y};
    }
    double det() const { return a * d - b * c; }
    double scaleX() const { return std::hypot(a, b); }
    double scaleY() const { return std::hypot(c, d); }
    bool uniform() const { return std::fabs(scaleX() - scaleY()) <= 1e-9 * std::max(scaleX(), scaleY()); }
    bool identity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
    Xform then(const Xform& o) const  // o applied after this
    {
        return {o.a * a + o.c * b, o.b * a + o.d * b, o.a * c + o.c * d, o.b * c + o.d * d,
                o.a * e + o.c * f + o.e, o.b * e + o.d * f + o.f};
    }
};

// ---- helpers ----------------------------------------------------------------------------------

std::wstring plainText(const std::wstring& s);   // TEXT's control codes undone
std::wstring plainMText(const std::wstring& s);  // MTEXT's formatting taken out
bool inSweep(double angle, double start, double end);
Box arcBox(Point c, double r, double start, double end);
// The distance of p from the segment a-b, and the nearest point of it.
double segmentDistance(Point p, Point a, Point b, Point* nearest = nullptr);
Point arcPoint(const Primitive& p, double angle);
// Where warnings go (standard error unless setWarningSink says otherwise).
std::function<void(const std::string&)>& warningSink();

// ---- building ---------------------------------------------------------------------------------

// How an entity is shown when its colour or linetype defers to its block or layer.
struct Style {
    int aci = 7;
    uint32_t rgb = 0xFFFFFF;
    int linetype = -1;
};

struct LayerInfo {
    bool shown = true;
    Style style;
};

// What an entity inside an insert inherits from it.
struct Context {
    Xform xf;
    uint32_t entity = 0;
    Style byBlock;          // the insert's own colour and linetype
    const LayerInfo* layer0 = nullptr;  // the layer entities on layer 0 take (the insert's)
    int depth = 0;
};

class Builder {
public:
    Builder(const Drawing& d, Geometry& g) : d_(d), g_(g) {}

    void run();

private:
    // Whether a primitive of `ctx` fits under the bound: a main entity's own primitives up to
    // kMaxPrimitives, its blocks' up to the room kept for the main entities still to come.
    // False marks the main entity as not drawn whole.
    bool room(const Context& ctx);
    bool blocksFull() const { return g_.prims_.size() >= kMaxPrimitives - reserve_; }
    void keep(const Primitive& p, const Context& ctx);
    void warnOnce(size_t mains);

    // ---- style (GeometryStyle.cpp)

    // The common part of an entity.
    struct Common {
        std::string_view type, layer;
        int colour = 256;       // 62; 256 BYLAYER, 0 BYBLOCK
        long long trueColour = -1;
        std::string_view linetype;
        double ltscale = 1;
        bool invisible = false;
        Point extrusionSign{1, 1};  // x negated when the extrusion points down (mirrored OCS)
    };
    Common common(std::span<const dxf::Tag> t);
    const LayerInfo& layer(std::string_view name);
    const LayerInfo& layerByName(std::string_view name);

    // Index of a linetype with a pattern; -1 for continuous (or one not defined).
    int linetype(std::string_view name);

    // The records of a block definition between its BLOCK and ENDBLK, and its base point.
    struct Block {
        Point base;
        std::vector<const Drawing::Record*> records;
    };
    const Block* block(std::string_view name);

    // The style an entity is shown in, and whether it is shown at all.
    bool resolve(const Common& c, const Context& ctx, Style& s);
    Primitive styled(const Style& s, const Common& c, const Context& ctx);

    // ---- shapes (GeometryShapes.cpp)

    void addLine(Primitive p, Point a, Point b, double w0, double w1, const Context& ctx);

    // An arc (or a circle, when `full`) in the entity's own coordinates, counter-clockwise.
    void addArc(Primitive p, Point c, double r, double start, double end, bool full, double w0, double w1,
                const Context& ctx);

    // One polyline segment from a to b, straight or (bulge != 0) an arc.
    void addSegment(const Primitive& p, Point a, Point b, double bulge, double w0, double w1, const Context& ctx);

    struct Vertex {
        Point p;
        double w0 = -1, w1 = -1, bulge = 0;
    };
    void addPolyline(const Primitive& p, std::vector<Vertex>& v, bool closed, double defW0, double defW1,
                     const Context& ctx);

    // ---- texts (GeometryText.cpp)

    void addText(Primitive p, std::wstring text, Point at, double height, double rotation, double widthFactor,
                 HAlign h, VAlign v, const Context& ctx);
    void textEntity(std::span<const dxf::Tag> t, const Primitive& p, const Common& c, const Context& ctx);
    void mtextEntity(std::span<const dxf::Tag> t, const Primitive& p, const Common& c, const Context& ctx);

    // ---- entities (GeometryShapes.cpp)

    void insertEntity(const Drawing::Record& r, std::span<const dxf::Tag> t, const Style& s, const Common& c,
                      const Context& ctx);
    void entity(const Drawing::Record& r, const Context& ctx);

    const Drawing& d_;
    Geometry& g_;
    std::unordered_map<std::string, LayerInfo> layers_;  // node-based: entries stay put
    std::string lastLayerName_;
    const LayerInfo* lastLayer_ = nullptr;
    std::unordered_map<std::string, int> linetypes_;
    std::unordered_map<std::string, Block> blocks_;  // node-based: entries stay put
    std::vector<const Block*> active_;  // the blocks being drawn, outermost first
    size_t reserve_ = 0;   // room kept for the main entities after the one being drawn
    bool cutNow_ = false;  // the main entity being drawn lost primitives to the bound
};

}  // namespace korcad::geom
