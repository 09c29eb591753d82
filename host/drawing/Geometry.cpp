#include "drawing/Geometry.h"
#include "drawing/GeometryBuilder.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

namespace korcad::geom {

std::function<void(const std::string&)>& warningSink()
{
    static std::function<void(const std::string&)> sink;
    if (!sink)
        sink = [](const std::string& warning) { std::cerr << "korcad: warning: " << warning << std::endl; };
    return sink;
}

void setWarningSink(std::function<void(const std::string&)> sink)
{
    warningSink() = std::move(sink);
}

Geometry::Geometry(const Drawing& drawing)
{
    Builder(drawing, *this).run();
}

double segmentDistance(Point p, Point a, Point b, Point* nearest)
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
    uint32_t i = primitiveAt(p, pickbox);
    return i ? prims_[i - 1].entity : 0;
}

uint32_t Geometry::partAt(Point p, double pickbox) const
{
    uint32_t i = primitiveAt(p, pickbox);
    return i ? prims_[i - 1].part : 0;
}

uint32_t Geometry::primitiveAt(Point p, double pickbox) const
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
            best = i + 1;
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
