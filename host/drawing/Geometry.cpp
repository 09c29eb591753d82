#include "drawing/Geometry.h"
#include "drawing/Spline.h"

#include "drawing/Drawing.h"
#include "drawing/Dxf.h"

#include <algorithm>
#include <cmath>
#include "text/text.h"

#include <iostream>
#include <limits>
#include <unordered_map>

namespace korcad::geom {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr int kMaxNesting = 16;  // blocks inside blocks deeper than this are not drawn

// ---- colours ----------------------------------------------------------------------------------

struct Palette {
    uint32_t rgb[256];
    Palette()
    {
        const uint32_t base[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                   0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
        for (int i = 0; i < 10; ++i)
            rgb[i] = base[i];
        // 10..249: 24 hues 15 degrees apart; in each run of ten, five brightnesses, each full
        // and half saturated.
        const int value[5] = {255, 204, 153, 127, 76};
        for (int i = 10; i < 250; ++i) {
            double hue = (i / 10 - 1) * 15.0;
            int v = value[(i % 10) / 2];
            bool pale = i % 2 == 1;
            int lo = pale ? v / 2 : 0;
            auto channel = [&](double h) {
                // HSV with full saturation, then lifted to `lo` for the pale ones.
                h = std::fmod(h + 360.0, 360.0);
                double f;
                if (h < 60) f = 1;
                else if (h < 120) f = (120 - h) / 60;
                else if (h < 240) f = 0;
                else if (h < 300) f = (h - 240) / 60;
                else f = 1;
                return static_cast<uint32_t>(lo + (v - lo) * f);
            };
            uint32_t r = channel(hue), g = channel(hue - 120), b = channel(hue - 240);
            rgb[i] = (r << 16) | (g << 8) | b;
        }
        const uint32_t greys[6] = {0x333333, 0x505050, 0x696969, 0x828282, 0xBEBEBE, 0xFFFFFF};
        for (int i = 0; i < 6; ++i)
            rgb[250 + i] = greys[i];
    }
};

// ---- groups -----------------------------------------------------------------------------------

using kortext::trim;

// A group value as a name to compare: trimmed, in upper case.
std::string upper(std::string_view s) { return kortext::upper(trim(s)); }

double real(std::string_view v)
{
    double d = 0;
    dxf::parseReal(trim(v), d);
    return std::isfinite(d) ? d : 0.0;
}

long long integer(std::string_view v) { return dxf::integerOf(v); }

double normalAngle(double a)
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

// ---- text -------------------------------------------------------------------------------------

// TEXT's control codes: %%d degree, %%c diameter, %%p plus-minus, %%% percent; %%u and %%o
// (underline, overline) are dropped.
std::wstring plainText(const std::wstring& s)
{
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'%' && i + 2 < s.size() && s[i + 1] == L'%') {
            wchar_t c = static_cast<wchar_t>(kortext::toLower(static_cast<char32_t>(s[i + 2])));
            if (c == L'd') { out += L'\u00B0'; i += 2; continue; }
            if (c == L'c') { out += L'\u2300'; i += 2; continue; }
            if (c == L'p') { out += L'\u00B1'; i += 2; continue; }
            if (c == L'%') { out += L'%'; i += 2; continue; }
            if (c == L'u' || c == L'o' || c == L'k') { i += 2; continue; }
        }
        out += s[i];
    }
    return out;
}

// MTEXT's formatting taken out: \P is a line break, \~ a space, \\ \{ \} the characters,
// \S a^b; a stacked fraction a/b; font, height, colour and the like (\f..; \H..; \C..;)
// dropped, as are the braces that group them.
std::wstring plainMText(const std::wstring& s)
{
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        wchar_t c = s[i];
        if (c == L'{' || c == L'}')
            continue;
        if (c != L'\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        wchar_t k = s[++i];
        switch (k) {
        case L'P':
        case L'n':
            out += L'\n';
            break;
        case L'~':
            out += L' ';
            break;
        case L'\\':
        case L'{':
        case L'}':
            out += k;
            break;
        case L'S': {
            size_t semi = s.find(L';', i);
            std::wstring stack = s.substr(i + 1, semi == std::wstring::npos ? std::wstring::npos : semi - i - 1);
            for (wchar_t& ch : stack)
                if (ch == L'^' || ch == L'#')
                    ch = L'/';
            out += stack;
            i = semi == std::wstring::npos ? s.size() : semi;
            break;
        }
        case L'A': case L'C': case L'c': case L'F': case L'f': case L'H': case L'h': case L'Q': case L'q':
        case L'T': case L't': case L'W': case L'w': case L'p': {
            size_t semi = s.find(L';', i);
            i = semi == std::wstring::npos ? s.size() : semi;
            break;
        }
        case L'L': case L'l': case L'O': case L'o': case L'K': case L'k':
            break;
        default:
            out += k;
        }
    }
    return out;
}

// ---- geometry helpers -------------------------------------------------------------------------

bool inSweep(double angle, double start, double end)
{
    double a = normalAngle(angle - start);
    return a <= end - start + 1e-12;
}

Box arcBox(Point c, double r, double start, double end)
{
    Box b;
    b.add(c.x + r * std::cos(start), c.y + r * std::sin(start));
    b.add(c.x + r * std::cos(end), c.y + r * std::sin(end));
    for (int q = 0; q < 4; ++q) {
        double a = q * kPi / 2;
        if (inSweep(a, start, end))
            b.add(c.x + r * std::cos(a), c.y + r * std::sin(a));
    }
    return b;
}

double segmentDistance(Point p, Point a, Point b, Point* nearest = nullptr)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    Point q{a.x + t * dx, a.y + t * dy};
    if (nearest)
        *nearest = q;
    return std::hypot(p.x - q.x, p.y - q.y);
}

Point arcPoint(const Primitive& p, double angle) { return {p.a.x + p.radius * std::cos(angle), p.a.y + p.radius * std::sin(angle)}; }

std::function<void(const std::string&)>& warningSink()
{
    static std::function<void(const std::string&)> sink;
    if (!sink)
        sink = [](const std::string& warning) { std::cerr << "korcad: warning: " << warning << std::endl; };
    return sink;
}

}  // namespace

void setWarningSink(std::function<void(const std::string&)> sink)
{
    warningSink() = std::move(sink);
}

uint32_t aciColour(int aci)
{
    static const Palette palette;
    if (aci < 0)
        aci = -aci;
    if (aci <= 0 || aci >= 256)
        return 0xFFFFFF;
    return palette.rgb[aci];
}

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

    void run()
    {
        Context top;
        top.byBlock = Style{7, 0xFFFFFF, -1};
        std::vector<uint32_t> mains = d_.mainEntities();
        g_.prims_.reserve(std::min(mains.size() * 2, kMaxPrimitives));
        for (size_t k = 0; k < mains.size(); ++k) {
            const Drawing::Record* r = d_.record(d_.nameOf(mains[k]));
            if (!r)
                continue;
            top.entity = mains[k];
            reserve_ = std::min(mains.size() - k - 1, kMaxPrimitives);
            cutNow_ = false;
            entity(*r, top);
            g_.cut_ += cutNow_;
        }
        if (g_.cut_ > 0)
            warnOnce(mains.size());
        std::vector<Box> boxes(g_.prims_.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            boxes[i] = g_.prims_[i].box;
            g_.extents_.add(boxes[i]);
        }
        g_.index_.build(boxes);
    }

private:
    // Whether a primitive of `ctx` fits under the bound: a main entity's own primitives up to
    // kMaxPrimitives, its blocks' up to the room kept for the main entities still to come.
    // False marks the main entity as not drawn whole.
    bool room(const Context& ctx)
    {
        if (g_.prims_.size() < (ctx.depth > 0 ? kMaxPrimitives - reserve_ : kMaxPrimitives))
            return true;
        cutNow_ = true;
        return false;
    }
    bool blocksFull() const { return g_.prims_.size() >= kMaxPrimitives - reserve_; }
    void keep(const Primitive& p, const Context& ctx)
    {
        if (room(ctx))
            g_.prims_.push_back(p);
    }

    void warnOnce(size_t mains)
    {
        // The view and the picks take the geometry anew after every change: one warning per
        // drawing.
        static int64_t warned = 0;
        if (d_.serial() == warned)
            return;
        warned = d_.serial();
        const size_t cut = g_.cut_;
        warningSink()("the drawing is drawn in part: it passes the bound of " + std::to_string(kMaxPrimitives) +
                      " primitives, so " + std::to_string(cut) + " of " + std::to_string(mains) +
                      (cut == 1 ? " entities is" : " entities are") + " not drawn whole");
    }

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

    Common common(std::span<const dxf::Tag> t)
    {
        Common c;
        if (!t.empty())
            c.type = trim(t[0].value);
        for (const dxf::Tag& g : t) {
            switch (g.code) {
            case 8: c.layer = trim(g.value); break;
            case 62: c.colour = static_cast<int>(integer(g.value)); break;
            case 420: c.trueColour = integer(g.value); break;
            case 6: c.linetype = trim(g.value); break;
            case 48: c.ltscale = real(g.value); break;
            case 60: c.invisible = integer(g.value) != 0; break;
            case 230: if (real(g.value) < 0) c.extrusionSign.x = -1; break;
            case 1001: return c;  // extended data follows
            default: break;
            }
        }
        return c;
    }

    const LayerInfo& layer(std::string_view name)
    {
        // Entities come in runs on one layer: the last one asked for is kept at hand.
        if (lastLayer_ && name == lastLayerName_)
            return *lastLayer_;
        lastLayerName_ = std::string(name);
        lastLayer_ = &layerByName(name);
        return *lastLayer_;
    }

    const LayerInfo& layerByName(std::string_view name)
    {
        std::string key = upper(name);
        auto it = layers_.find(key);
        if (it != layers_.end())
            return it->second;
        LayerInfo info;
        if (const Drawing::Record* r = d_.find(L"LAYER", dxf::decodeText(name, d_.utf8()))) {
            int colour = 7;
            long long flags = 0, trueColour = -1;
            std::string_view lt;
            for (const dxf::Tag& g : d_.tags(*r)) {
                if (g.code == 62) colour = static_cast<int>(integer(g.value));
                else if (g.code == 70) flags = integer(g.value);
                else if (g.code == 420) trueColour = integer(g.value);
                else if (g.code == 6) lt = trim(g.value);
            }
            info.shown = colour >= 0 && !(flags & 1);
            info.style.aci = std::abs(colour);
            info.style.rgb = trueColour >= 0 ? static_cast<uint32_t>(trueColour & 0xFFFFFF) : aciColour(info.style.aci);
            if (trueColour >= 0)
                info.style.aci = -1;
            info.style.linetype = linetype(lt);
        }
        return layers_.emplace(key, info).first->second;
    }

    // Index of a linetype with a pattern; -1 for continuous (or one not defined).
    int linetype(std::string_view name)
    {
        std::string key = upper(name);
        if (key.empty() || key == "CONTINUOUS" || key == "BYLAYER" || key == "BYBLOCK")
            return -1;
        auto it = linetypes_.find(key);
        if (it != linetypes_.end())
            return it->second;
        int index = -1;
        if (const Drawing::Record* r = d_.find(L"LTYPE", dxf::decodeText(name, d_.utf8()))) {
            Linetype lt;
            lt.name = std::string(trim(name));
            for (const dxf::Tag& g : d_.tags(*r))
                if (g.code == 49)
                    lt.pattern.push_back(real(g.value));
            bool anyDash = std::any_of(lt.pattern.begin(), lt.pattern.end(), [](double v) { return v != 0; });
            if (!lt.pattern.empty() && anyDash) {
                index = static_cast<int>(g_.linetypes_.size());
                g_.linetypes_.push_back(std::move(lt));
            }
        }
        linetypes_.emplace(key, index);
        return index;
    }

    // The records of a block definition between its BLOCK and ENDBLK, and its base point.
    struct Block {
        Point base;
        std::vector<const Drawing::Record*> records;
    };
    const Block* block(std::string_view name)
    {
        std::string key = upper(name);
        auto it = blocks_.find(key);
        if (it != blocks_.end())
            return &it->second;
        Block b;
        const Drawing::Record* head = d_.find(L"BLOCK", dxf::decodeText(name, d_.utf8()));
        if (head) {
            for (const dxf::Tag& g : d_.tags(*head)) {
                if (g.code == 10) b.base.x = real(g.value);
                else if (g.code == 20) b.base.y = real(g.value);
            }
            for (const Drawing::Record* r = d_.nextRecord(*head); r; r = d_.nextRecord(*r)) {
                auto t = d_.tags(*r);
                std::string_view ty = t.empty() ? std::string_view() : trim(t[0].value);
                if (ty == "ENDBLK" || ty == "BLOCK")
                    break;
                b.records.push_back(r);
            }
        }
        return &blocks_.emplace(key, std::move(b)).first->second;
    }

    // The style an entity is shown in, and whether it is shown at all.
    bool resolve(const Common& c, const Context& ctx, Style& s)
    {
        const LayerInfo* lay = &layer(c.layer);
        if (ctx.layer0 && c.layer == "0")
            lay = ctx.layer0;
        if (!lay->shown || c.invisible)
            return false;
        if (c.trueColour >= 0 && c.colour != 0) {
            // A true colour (420) stands for itself; 62 then only names the nearest index.
            s.aci = -1;
            s.rgb = static_cast<uint32_t>(c.trueColour & 0xFFFFFF);
        } else if (c.colour == 0) {
            s.aci = ctx.byBlock.aci;
            s.rgb = ctx.byBlock.rgb;
        } else if (c.colour == 256 || c.colour < 0 || c.colour > 256) {
            s.aci = lay->style.aci;
            s.rgb = lay->style.rgb;
        } else {
            s.aci = c.colour;
            s.rgb = aciColour(c.colour);
        }
        if (c.linetype.empty()) {
            s.linetype = lay->style.linetype;
        } else {
            std::string lt = upper(c.linetype);
            if (lt == "BYLAYER")
                s.linetype = lay->style.linetype;
            else if (lt == "BYBLOCK")
                s.linetype = ctx.byBlock.linetype;
            else
                s.linetype = linetype(c.linetype);
        }
        return true;
    }

    Primitive styled(const Style& s, const Common& c, const Context& ctx)
    {
        Primitive p;
        p.entity = ctx.entity;
        p.rgb = s.rgb;
        p.aci = static_cast<int16_t>(s.aci);
        p.linetype = static_cast<int16_t>(s.linetype);
        p.ltscale = static_cast<float>(c.ltscale > 0 ? c.ltscale : 1.0);
        return p;
    }

    void addLine(Primitive p, Point a, Point b, double w0, double w1, const Context& ctx)
    {
        p.shape = Shape::Line;
        p.a = ctx.xf.apply(a);
        p.b = ctx.xf.apply(b);
        double s = std::sqrt(std::fabs(ctx.xf.det()));
        p.w0 = static_cast<float>(w0 * s);
        p.w1 = static_cast<float>(w1 * s);
        p.box.add(p.a.x, p.a.y);
        p.box.add(p.b.x, p.b.y);
        p.box = p.box.grown(std::max(p.w0, p.w1) / 2.0);
        keep(p, ctx);
    }

    // An arc (or a circle, when `full`) in the entity's own coordinates, counter-clockwise.
    void addArc(Primitive p, Point c, double r, double start, double end, bool full, double w0, double w1,
                const Context& ctx)
    {
        if (!(r > 0))
            return;
        const Xform& xf = ctx.xf;
        if (!xf.uniform()) {
            // Scaled unevenly it is an ellipse: drawn as short segments.
            double sweep = full ? kTwoPi : end - start;
            int n = std::max(4, static_cast<int>(std::ceil(sweep / (kTwoPi / 64))));
            for (int i = 0; i < n; ++i) {
                double t0 = start + sweep * i / n, t1 = start + sweep * (i + 1) / n;
                double wa = w0 + (w1 - w0) * i / n, wb = w0 + (w1 - w0) * (i + 1) / n;
                addLine(p, {c.x + r * std::cos(t0), c.y + r * std::sin(t0)},
                        {c.x + r * std::cos(t1), c.y + r * std::sin(t1)}, wa, wb, ctx);
            }
            return;
        }
        double s = xf.scaleX();
        p.a = xf.apply(c);
        p.radius = r * s;
        p.w0 = static_cast<float>(w0 * s);
        p.w1 = static_cast<float>(w1 * s);
        if (full) {
            p.shape = Shape::Circle;
            p.start = 0;
            p.end = kTwoPi;
            p.box = Box{p.a.x - p.radius, p.a.y - p.radius, p.a.x + p.radius, p.a.y + p.radius};
        } else {
            p.shape = Shape::Arc;
            Point ds = xf.direction(start), de = xf.direction(end);
            double a0 = std::atan2(ds.y, ds.x), a1 = std::atan2(de.y, de.x);
            if (xf.det() < 0) {
                std::swap(a0, a1);
                std::swap(p.w0, p.w1);
            }
            p.start = normalAngle(a0);
            p.end = p.start + normalAngle(a1 - a0);
            if (p.end - p.start < 1e-12)
                p.end = p.start + (end - start >= kTwoPi - 1e-9 ? kTwoPi : 0);
            p.box = arcBox(p.a, p.radius, p.start, p.end);
        }
        p.box = p.box.grown(std::max(p.w0, p.w1) / 2.0);
        keep(p, ctx);
    }

    // One polyline segment from a to b, straight or (bulge != 0) an arc.
    void addSegment(const Primitive& p, Point a, Point b, double bulge, double w0, double w1, const Context& ctx)
    {
        double dx = b.x - a.x, dy = b.y - a.y, chord = std::hypot(dx, dy);
        if (chord == 0)
            return;
        if (std::fabs(bulge) < 1e-12) {
            addLine(p, a, b, w0, w1, ctx);
            return;
        }
        // bulge = tan(included angle / 4), positive counter-clockwise.
        double offset = chord / 2 * (1 - bulge * bulge) / (2 * bulge);
        Point m{(a.x + b.x) / 2, (a.y + b.y) / 2};
        Point c{m.x - dy / chord * offset, m.y + dx / chord * offset};
        double r = chord * (1 + bulge * bulge) / (4 * std::fabs(bulge));
        double a0 = std::atan2(a.y - c.y, a.x - c.x), a1 = std::atan2(b.y - c.y, b.x - c.x);
        if (bulge < 0) {
            std::swap(a0, a1);
            std::swap(w0, w1);
        }
        double start = normalAngle(a0);
        double end = start + normalAngle(a1 - a0);
        addArc(p, c, r, start, end, false, w0, w1, ctx);
    }

    struct Vertex {
        Point p;
        double w0 = -1, w1 = -1, bulge = 0;
    };

    void addPolyline(const Primitive& p, std::vector<Vertex>& v, bool closed, double defW0, double defW1,
                     const Context& ctx)
    {
        size_t n = v.size();
        if (n == 1) {
            Primitive dot = p;
            dot.shape = Shape::Point;
            dot.a = ctx.xf.apply(v[0].p);
            dot.box.add(dot.a.x, dot.a.y);
            keep(dot, ctx);
            return;
        }
        for (size_t i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
            const Vertex& a = v[i];
            const Vertex& b = v[(i + 1) % n];
            addSegment(p, a.p, b.p, a.bulge, a.w0 >= 0 ? a.w0 : defW0, a.w1 >= 0 ? a.w1 : defW1, ctx);
        }
    }

    void addText(Primitive p, std::wstring text, Point at, double height, double rotation, double widthFactor,
                 HAlign h, VAlign v, const Context& ctx)
    {
        if (text.empty() || !(height > 0) || !room(ctx))
            return;
        const Xform& xf = ctx.xf;
        p.shape = Shape::Text;
        p.a = xf.apply(at);
        Point dx = xf.direction(rotation), dy = xf.direction(rotation + kPi / 2);
        double sx = std::hypot(dx.x, dx.y), sy = std::hypot(dy.x, dy.y);
        p.rotation = std::atan2(dx.y, dx.x);
        p.height = height * sy;
        p.widthFactor = (widthFactor > 0 ? widthFactor : 1) * (sy > 0 ? sx / sy : 1);
        p.hAlign = h;
        p.vAlign = v;
        // Its box in its own frame, estimated: 0.6 of the height per character, lines 5/3 of
        // the height apart.
        size_t lines = 1, longest = 0, run = 0;
        for (wchar_t c : text) {
            if (c == L'\n') {
                ++lines;
                run = 0;
            } else {
                longest = std::max(longest, ++run);
            }
        }
        double width = static_cast<double>(longest) * p.height * 0.6 * p.widthFactor;
        double block = p.height + static_cast<double>(lines - 1) * p.height * 5.0 / 3.0;
        p.left = h == HAlign::Left ? 0 : h == HAlign::Centre ? -width / 2 : -width;
        p.right = p.left + width;
        switch (v) {
        case VAlign::Baseline: p.top = p.height; break;
        case VAlign::Bottom: p.top = block; break;
        case VAlign::Middle: p.top = block / 2; break;
        case VAlign::Top: p.top = 0; break;
        }
        p.bottom = p.top - block;
        if (v == VAlign::Baseline)
            p.bottom = std::min(p.bottom, -p.height * 0.3);  // descenders
        double cs = std::cos(p.rotation), sn = std::sin(p.rotation);
        for (double x : {p.left, p.right})
            for (double y : {p.bottom, p.top})
                p.box.add(p.a.x + x * cs - y * sn, p.a.y + x * sn + y * cs);
        p.text = static_cast<uint32_t>(g_.texts_.size());
        g_.texts_.push_back(std::move(text));
        g_.prims_.push_back(p);
    }

    void textEntity(std::span<const dxf::Tag> t, const Primitive& p, const Common& c, const Context& ctx)
    {
        Point first, second;
        double height = 0, rotation = 0, widthFactor = 1;
        long long h = 0, v = 0;
        bool hasSecond = false, attribute = c.type == "ATTRIB";
        std::wstring text;
        int subclassText = 0;
        for (const dxf::Tag& g : t) {
            switch (g.code) {
            case 10: first.x = real(g.value); break;
            case 20: first.y = real(g.value); break;
            case 11: second.x = real(g.value); hasSecond = true; break;
            case 21: second.y = real(g.value); break;
            case 40: height = real(g.value); break;
            case 50: rotation = real(g.value) * kPi / 180; break;
            case 41: widthFactor = real(g.value); break;
            case 72: h = integer(g.value); break;
            case 73: if (!attribute) v = integer(g.value); break;
            case 74: if (attribute) v = integer(g.value); break;
            case 70: if (attribute && (integer(g.value) & 1)) return; break;  // an invisible attribute
            case 1: text = dxf::decodeText(g.value, d_.utf8()); break;
            case 100: ++subclassText; break;
            case 1001: goto done;
            default: break;
            }
        }
    done:
        (void)subclassText;
        first.x *= c.extrusionSign.x;
        second.x *= c.extrusionSign.x;
        HAlign ha = h == 1 || h == 4 ? HAlign::Centre : h == 2 ? HAlign::Right : HAlign::Left;
        VAlign va = h == 4 ? VAlign::Middle
                    : v == 1 ? VAlign::Bottom : v == 2 ? VAlign::Middle : v == 3 ? VAlign::Top : VAlign::Baseline;
        // Aligned and fitted texts (72 = 3, 5) are drawn from their first point.
        bool useSecond = hasSecond && (ha != HAlign::Left || va != VAlign::Baseline);
        addText(p, plainText(text), useSecond ? second : first, height, rotation, widthFactor, ha, va, ctx);
    }

    void mtextEntity(std::span<const dxf::Tag> t, const Primitive& p, const Common& c, const Context& ctx)
    {
        Point at, dir{1, 0};
        bool hasDir = false;
        double height = 0, rotation = 0;
        long long attach = 1;
        std::string raw;  // 3 groups, then the 1 group
        std::string last;
        for (const dxf::Tag& g : t) {
            switch (g.code) {
            case 10: at.x = real(g.value); break;
            case 20: at.y = real(g.value); break;
            case 11: dir.x = real(g.value); hasDir = true; break;
            case 21: dir.y = real(g.value); break;
            case 40: height = real(g.value); break;
            case 50: rotation = real(g.value) * kPi / 180; break;
            case 71: attach = integer(g.value); break;
            case 3: raw += g.value; break;
            case 1: last = std::string(g.value); break;
            case 1001: goto done;
            default: break;
            }
        }
    done:
        raw += last;
        if (hasDir && (dir.x != 0 || dir.y != 0))
            rotation = std::atan2(dir.y, dir.x);
        at.x *= c.extrusionSign.x;
        attach = std::clamp<long long>(attach, 1, 9);
        HAlign ha = static_cast<HAlign>((attach - 1) % 3);
        VAlign va = attach <= 3 ? VAlign::Top : attach <= 6 ? VAlign::Middle : VAlign::Bottom;
        addText(p, plainMText(dxf::decodeText(raw, d_.utf8())), at, height, rotation, 1, ha, va, ctx);
    }

    void insertEntity(const Drawing::Record& r, std::span<const dxf::Tag> t, const Style& s, const Common& c,
                      const Context& ctx)
    {
        std::string_view name;
        Point at;
        double sx = 1, sy = 1, rotation = 0;
        for (const dxf::Tag& g : t) {
            switch (g.code) {
            case 2: name = trim(g.value); break;
            case 10: at.x = real(g.value); break;
            case 20: at.y = real(g.value); break;
            case 41: sx = real(g.value); break;
            case 42: sy = real(g.value); break;
            case 50: rotation = real(g.value) * kPi / 180; break;
            case 1001: goto done;
            default: break;
            }
        }
    done:
        at.x *= c.extrusionSign.x;
        if (ctx.depth < kMaxNesting) {
            const Block* b = block(name);
            if (b && !b->records.empty() && blocksFull()) {
                cutNow_ = true;
                b = nullptr;
            }
            // A block that holds itself (directly or further down) is drawn once, not again
            // inside itself.
            if (b && std::find(active_.begin(), active_.end(), b) == active_.end()) {
                active_.push_back(b);
                Context inner;
                inner.entity = ctx.entity;
                inner.depth = ctx.depth + 1;
                inner.byBlock = s;
                const LayerInfo* own = &layer(c.layer);
                inner.layer0 = (ctx.layer0 && c.layer == "0") ? ctx.layer0 : own;
                double cs = std::cos(rotation), sn = std::sin(rotation);
                Xform local;
                local.a = cs * sx;
                local.b = sn * sx;
                local.c = -sn * sy;
                local.d = cs * sy;
                local.e = at.x - (local.a * b->base.x + local.c * b->base.y);
                local.f = at.y - (local.b * b->base.x + local.d * b->base.y);
                local.a *= c.extrusionSign.x;
                local.c *= c.extrusionSign.x;
                inner.xf = local.then(ctx.xf);
                for (const Drawing::Record* part : b->records) {
                    if (blocksFull()) {
                        cutNow_ = true;
                        break;
                    }
                    entity(*part, inner);
                }
                active_.pop_back();
            }
        }
        // The attributes after the insert (main inserts only: they are in world coordinates).
        if (ctx.depth == 0)
            for (const Drawing::Record* sub = d_.nextRecord(r); sub; sub = d_.nextRecord(*sub)) {
                auto st = d_.tags(*sub);
                std::string_view ty = st.empty() ? std::string_view() : trim(st[0].value);
                if (ty != "ATTRIB")
                    break;
                Common ac = common(st);
                Style as;
                Context actx = ctx;
                actx.byBlock = s;
                if (!resolve(ac, actx, as))
                    continue;
                textEntity(st, styled(as, ac, actx), ac, actx);
            }
    }

    void entity(const Drawing::Record& r, const Context& ctx)
    {
        auto t = d_.tags(r);
        Common c = common(t);
        const std::string_view ty = c.type;
        bool known = ty == "LINE" || ty == "LWPOLYLINE" || ty == "POLYLINE" || ty == "CIRCLE" || ty == "ARC" ||
                     ty == "POINT" || ty == "TEXT" || ty == "MTEXT" || ty == "INSERT" || ty == "SPLINE";
        if (!known)
            return;
        Style s;
        if (!resolve(c, ctx, s))
            return;
        Primitive p = styled(s, c, ctx);
        const double mx = c.extrusionSign.x;
        if (ty == "LINE") {
            Point a, b;
            for (const dxf::Tag& g : t) {
                if (g.code == 10) a.x = real(g.value);
                else if (g.code == 20) a.y = real(g.value);
                else if (g.code == 11) b.x = real(g.value);
                else if (g.code == 21) b.y = real(g.value);
                else if (g.code == 1001) break;
            }
            // LINE is in world coordinates whatever its extrusion.
            addLine(p, a, b, 0, 0, ctx);
        } else if (ty == "CIRCLE" || ty == "ARC") {
            Point centre;
            double r = 0, start = 0, end = 360;
            for (const dxf::Tag& g : t) {
                if (g.code == 10) centre.x = real(g.value);
                else if (g.code == 20) centre.y = real(g.value);
                else if (g.code == 40) r = real(g.value);
                else if (g.code == 50) start = real(g.value);
                else if (g.code == 51) end = real(g.value);
                else if (g.code == 1001) break;
            }
            double a0 = start * kPi / 180, a1 = end * kPi / 180;
            if (mx < 0) {
                // Seen from below: mirrored in X, the sweep runs the other way.
                centre.x = -centre.x;
                double m0 = kPi - a1, m1 = kPi - a0;
                a0 = m0;
                a1 = m1;
            }
            double s0 = normalAngle(a0);
            double s1 = s0 + normalAngle(a1 - a0);
            if (s1 - s0 < 1e-12)
                s1 = s0 + kTwoPi;
            addArc(p, centre, r, s0, s1, ty == "CIRCLE", 0, 0, ctx);
        } else if (ty == "SPLINE") {
            // In world coordinates, as LINE: its curve as a chain of short lines.
            int degree = 3;
            std::vector<SplinePoint> controls, fits;
            std::vector<double> knots, weights;
            for (const dxf::Tag& g : t) {
                switch (g.code) {
                case 71: degree = static_cast<int>(integer(g.value)); break;
                case 40: knots.push_back(real(g.value)); break;
                case 41: weights.push_back(real(g.value)); break;
                case 10: controls.push_back({real(g.value), 0}); break;
                case 20: if (!controls.empty()) controls.back().y = real(g.value); break;
                case 11: fits.push_back({real(g.value), 0}); break;
                case 21: if (!fits.empty()) fits.back().y = real(g.value); break;
                default: break;
                }
                if (g.code == 1001)
                    break;
            }
            const std::vector<SplinePoint> curve = splineCurve(degree, controls, knots, weights, fits);
            for (size_t i = 1; i < curve.size(); ++i)
                addLine(p, {curve[i - 1].x, curve[i - 1].y}, {curve[i].x, curve[i].y}, 0, 0, ctx);
        } else if (ty == "POINT") {
            Point at;
            for (const dxf::Tag& g : t) {
                if (g.code == 10) at.x = real(g.value);
                else if (g.code == 20) at.y = real(g.value);
                else if (g.code == 1001) break;
            }
            p.shape = Shape::Point;
            p.a = ctx.xf.apply(at);
            p.box.add(p.a.x, p.a.y);
            keep(p, ctx);
        } else if (ty == "LWPOLYLINE") {
            std::vector<Vertex> v;
            double constant = 0;
            bool closed = false;
            for (const dxf::Tag& g : t) {
                switch (g.code) {
                case 10: v.push_back(Vertex{{real(g.value) * mx, 0}}); break;
                case 20: if (!v.empty()) v.back().p.y = real(g.value); break;
                case 40: if (!v.empty()) v.back().w0 = real(g.value); break;
                case 41: if (!v.empty()) v.back().w1 = real(g.value); break;
                case 42: if (!v.empty()) v.back().bulge = real(g.value) * mx; break;
                case 43: constant = real(g.value); break;
                case 70: closed = integer(g.value) & 1; break;
                default: break;
                }
                if (g.code == 1001)
                    break;
            }
            if (!v.empty())
                addPolyline(p, v, closed, constant, constant, ctx);
        } else if (ty == "POLYLINE") {
            long long flags = 0;
            double w0 = 0, w1 = 0;
            for (const dxf::Tag& g : t) {
                if (g.code == 70) flags = integer(g.value);
                else if (g.code == 40) w0 = real(g.value);
                else if (g.code == 41) w1 = real(g.value);
                else if (g.code == 1001) break;
            }
            if (flags & (16 | 64))
                return;  // polygon and polyface meshes are not drawn
            std::vector<Vertex> v;
            for (const Drawing::Record* sub = d_.nextRecord(r); sub; sub = d_.nextRecord(*sub)) {
                auto st = d_.tags(*sub);
                std::string_view vt = st.empty() ? std::string_view() : trim(st[0].value);
                if (vt != "VERTEX")
                    break;
                Vertex x;
                long long vflags = 0;
                for (const dxf::Tag& g : st) {
                    switch (g.code) {
                    case 10: x.p.x = real(g.value) * mx; break;
                    case 20: x.p.y = real(g.value); break;
                    case 40: x.w0 = real(g.value); break;
                    case 41: x.w1 = real(g.value); break;
                    case 42: x.bulge = real(g.value) * mx; break;
                    case 70: vflags = integer(g.value); break;
                    default: break;
                    }
                }
                if (!(vflags & 16))  // a spline's frame point is not on the curve
                    v.push_back(x);
            }
            if (!v.empty())
                addPolyline(p, v, flags & 1, w0, w1, ctx);
        } else if (ty == "TEXT") {
            textEntity(t, p, c, ctx);
        } else if (ty == "MTEXT") {
            mtextEntity(t, p, c, ctx);
        } else if (ty == "INSERT") {
            insertEntity(r, t, s, c, ctx);
        }
    }

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

Geometry::Geometry(const Drawing& drawing)
{
    Builder(drawing, *this).run();
}

// ---- picking and snapping ---------------------------------------------------------------------

double distanceTo(const Primitive& prim, Point p)
{
    switch (prim.shape) {
    case Shape::Line: {
        Point q;
        double d = segmentDistance(p, prim.a, prim.b, &q);
        double len = std::hypot(prim.b.x - prim.a.x, prim.b.y - prim.a.y);
        double t = len > 0 ? std::hypot(q.x - prim.a.x, q.y - prim.a.y) / len : 0;
        double half = (prim.w0 + (prim.w1 - prim.w0) * t) / 2;
        return std::max(0.0, d - half);
    }
    case Shape::Circle:
    case Shape::Arc: {
        double ang = std::atan2(p.y - prim.a.y, p.x - prim.a.x);
        double half = std::max(prim.w0, prim.w1) / 2.0;
        if (prim.shape == Shape::Circle || inSweep(ang, prim.start, prim.end))
            return std::max(0.0, std::fabs(std::hypot(p.x - prim.a.x, p.y - prim.a.y) - prim.radius) - half);
        Point s = arcPoint(prim, prim.start), e = arcPoint(prim, prim.end);
        return std::max(0.0, std::min(std::hypot(p.x - s.x, p.y - s.y), std::hypot(p.x - e.x, p.y - e.y)) - half);
    }
    case Shape::Point:
        return std::hypot(p.x - prim.a.x, p.y - prim.a.y);
    case Shape::Text: {
        double cs = std::cos(prim.rotation), sn = std::sin(prim.rotation);
        double dx = p.x - prim.a.x, dy = p.y - prim.a.y;
        double x = dx * cs + dy * sn, y = -dx * sn + dy * cs;
        double ox = x < prim.left ? prim.left - x : x > prim.right ? x - prim.right : 0;
        double oy = y < prim.bottom ? prim.bottom - y : y > prim.top ? y - prim.top : 0;
        return std::hypot(ox, oy);
    }
    }
    return std::numeric_limits<double>::infinity();
}

uint32_t Geometry::entityAt(Point p, double pickbox) const
{
    uint32_t best = 0, bestIndex = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    Box area{p.x - pickbox, p.y - pickbox, p.x + pickbox, p.y + pickbox};
    index_.query(area, [&](uint32_t i) {
        double d = distanceTo(prims_[i], p);
        if (d > pickbox)
            return;
        if (d < bestDistance || (d == bestDistance && i > bestIndex)) {
            bestDistance = d;
            best = prims_[i].entity;
            bestIndex = i;
        }
    });
    return best;
}

Snap Geometry::snap(Point p, double aperture, unsigned modes) const
{
    Snap best;
    double bestDistance = std::numeric_limits<double>::infinity();
    Snap nearest;
    double nearestDistance = std::numeric_limits<double>::infinity();
    // `reach`: how far the cursor is from what offers the point (the point itself, or for a
    // centre the curve around it).
    auto offer = [&](Point q, SnapMode kind, uint32_t entity, double reach = -1) {
        if (!(modes & kind))
            return;
        double d = reach >= 0 ? reach : std::hypot(q.x - p.x, q.y - p.y);
        if (d <= aperture && d < bestDistance) {
            bestDistance = d;
            best = Snap{true, q, kind, entity};
        }
    };
    auto offerNearest = [&](Point q, uint32_t entity) {
        double d = std::hypot(q.x - p.x, q.y - p.y);
        if ((modes & SnapNearest) && d <= aperture && d < nearestDistance) {
            nearestDistance = d;
            nearest = Snap{true, q, SnapNearest, entity};
        }
    };
    Box area{p.x - aperture, p.y - aperture, p.x + aperture, p.y + aperture};
    index_.query(area, [&](uint32_t i) {
        const Primitive& prim = prims_[i];
        switch (prim.shape) {
        case Shape::Line: {
            offer(prim.a, SnapEndpoint, prim.entity);
            offer(prim.b, SnapEndpoint, prim.entity);
            offer(Point{(prim.a.x + prim.b.x) / 2, (prim.a.y + prim.b.y) / 2}, SnapMidpoint, prim.entity);
            Point q;
            segmentDistance(p, prim.a, prim.b, &q);
            offerNearest(q, prim.entity);
            break;
        }
        case Shape::Arc:
        case Shape::Circle: {
            double r = std::hypot(p.x - prim.a.x, p.y - prim.a.y);
            double ang = std::atan2(p.y - prim.a.y, p.x - prim.a.x);
            bool onSweep = prim.shape == Shape::Circle || inSweep(ang, prim.start, prim.end);
            if (prim.shape == Shape::Arc) {
                offer(arcPoint(prim, prim.start), SnapEndpoint, prim.entity);
                offer(arcPoint(prim, prim.end), SnapEndpoint, prim.entity);
                offer(arcPoint(prim, (prim.start + prim.end) / 2), SnapMidpoint, prim.entity);
            }
            if (onSweep)
                offer(prim.a, SnapCentre, prim.entity, std::min(std::fabs(r - prim.radius), r));
            else
                offer(prim.a, SnapCentre, prim.entity);
            if (onSweep)
                offerNearest(arcPoint(prim, ang), prim.entity);
            break;
        }
        case Shape::Point:
            offer(prim.a, SnapEndpoint, prim.entity);
            break;
        case Shape::Text:
            break;
        }
    });
    return best.found ? best : nearest;
}

}  // namespace korcad::geom
