// GeometryShapes.cpp — the walk over the model space and the primitives of each kind of entity:
// lines, arcs and circles, polylines with widths and bulges, points, splines, and inserts with
// their blocks and attributes, under the bound on primitives.
#include "drawing/GeometryBuilder.h"

#include "drawing/Spline.h"

#include <iostream>

namespace korcad::geom {

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

void Builder::run()
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

bool Builder::room(const Context& ctx)
{
    if (g_.prims_.size() < (ctx.depth > 0 ? kMaxPrimitives - reserve_ : kMaxPrimitives))
        return true;
    cutNow_ = true;
    return false;
}

void Builder::keep(const Primitive& p, const Context& ctx)
{
    if (room(ctx))
        g_.prims_.push_back(p);
}

void Builder::warnOnce(size_t mains)
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

void Builder::addLine(Primitive p, Point a, Point b, double w0, double w1, const Context& ctx)
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

void Builder::addArc(Primitive p, Point c, double r, double start, double end, bool full, double w0, double w1,
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

void Builder::addSegment(const Primitive& p, Point a, Point b, double bulge, double w0, double w1, const Context& ctx)
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

void Builder::addPolyline(const Primitive& p, std::vector<Vertex>& v, bool closed, double defW0, double defW1,
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

void Builder::insertEntity(const Drawing::Record& r, std::span<const dxf::Tag> t, const Style& s, const Common& c,
                           const Context& ctx)
{
    std::string_view name;
    Point at;
    double sx = 1, sy = 1, rotation = 0;
    for (const dxf::Tag& g : t) {
        switch (g.code) {
        case 2: name = trim(g.value()); break;
        case 10: at.x = real(g.value()); break;
        case 20: at.y = real(g.value()); break;
        case 41: sx = real(g.value()); break;
        case 42: sy = real(g.value()); break;
        case 50: rotation = real(g.value()) * kPi / 180; break;
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
            std::string_view ty = st.empty() ? std::string_view() : trim(st[0].value());
            if (ty != "ATTRIB")
                break;
            Common ac = common(st);
            Style as;
            Context actx = ctx;
            actx.byBlock = s;
            if (!resolve(ac, actx, as))
                continue;
            Primitive ap = styled(as, ac, actx);
            ap.part = sub->id;
            textEntity(st, ap, ac, actx);
        }
}

void Builder::entity(const Drawing::Record& r, const Context& ctx)
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
    p.part = r.id;
    const double mx = c.extrusionSign.x;
    if (ty == "LINE") {
        Point a, b;
        for (const dxf::Tag& g : t) {
            if (g.code == 10) a.x = real(g.value());
            else if (g.code == 20) a.y = real(g.value());
            else if (g.code == 11) b.x = real(g.value());
            else if (g.code == 21) b.y = real(g.value());
            else if (g.code == 1001) break;
        }
        // LINE is in world coordinates whatever its extrusion.
        addLine(p, a, b, 0, 0, ctx);
    } else if (ty == "CIRCLE" || ty == "ARC") {
        Point centre;
        double r = 0, start = 0, end = 360;
        for (const dxf::Tag& g : t) {
            if (g.code == 10) centre.x = real(g.value());
            else if (g.code == 20) centre.y = real(g.value());
            else if (g.code == 40) r = real(g.value());
            else if (g.code == 50) start = real(g.value());
            else if (g.code == 51) end = real(g.value());
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
            case 71: degree = static_cast<int>(integer(g.value())); break;
            case 40: knots.push_back(real(g.value())); break;
            case 41: weights.push_back(real(g.value())); break;
            case 10: controls.push_back({real(g.value()), 0}); break;
            case 20: if (!controls.empty()) controls.back().y = real(g.value()); break;
            case 11: fits.push_back({real(g.value()), 0}); break;
            case 21: if (!fits.empty()) fits.back().y = real(g.value()); break;
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
            if (g.code == 10) at.x = real(g.value());
            else if (g.code == 20) at.y = real(g.value());
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
            case 10: v.push_back(Vertex{{real(g.value()) * mx, 0}}); break;
            case 20: if (!v.empty()) v.back().p.y = real(g.value()); break;
            case 40: if (!v.empty()) v.back().w0 = real(g.value()); break;
            case 41: if (!v.empty()) v.back().w1 = real(g.value()); break;
            case 42: if (!v.empty()) v.back().bulge = real(g.value()) * mx; break;
            case 43: constant = real(g.value()); break;
            case 70: closed = integer(g.value()) & 1; break;
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
            if (g.code == 70) flags = integer(g.value());
            else if (g.code == 40) w0 = real(g.value());
            else if (g.code == 41) w1 = real(g.value());
            else if (g.code == 1001) break;
        }
        if (flags & (16 | 64))
            return;  // polygon and polyface meshes are not drawn
        std::vector<Vertex> v;
        for (const Drawing::Record* sub = d_.nextRecord(r); sub; sub = d_.nextRecord(*sub)) {
            auto st = d_.tags(*sub);
            std::string_view vt = st.empty() ? std::string_view() : trim(st[0].value());
            if (vt != "VERTEX")
                break;
            Vertex x;
            long long vflags = 0;
            for (const dxf::Tag& g : st) {
                switch (g.code) {
                case 10: x.p.x = real(g.value()) * mx; break;
                case 20: x.p.y = real(g.value()); break;
                case 40: x.w0 = real(g.value()); break;
                case 41: x.w1 = real(g.value()); break;
                case 42: x.bulge = real(g.value()) * mx; break;
                case 70: vflags = integer(g.value()); break;
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

}  // namespace korcad::geom
