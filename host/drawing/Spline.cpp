#include "drawing/Spline.h"

#include <cmath>

namespace korcad::geom {

namespace {

// de Boor's algorithm at u in the span [knots[k], knots[k+1]), in homogeneous coordinates.
SplinePoint deBoor(int p, size_t k, double u, const std::vector<SplinePoint>& c, const std::vector<double>& w,
                   const std::vector<double>& t)
{
    struct H {
        double x, y, w;
    };
    std::vector<H> d(static_cast<size_t>(p) + 1);
    for (int j = 0; j <= p; ++j) {
        const size_t i = k - static_cast<size_t>(p) + static_cast<size_t>(j);
        const double wi = w.empty() ? 1.0 : w[i];
        d[static_cast<size_t>(j)] = {c[i].x * wi, c[i].y * wi, wi};
    }
    for (int r = 1; r <= p; ++r)
        for (int j = p; j >= r; --j) {
            const size_t i = k - static_cast<size_t>(p) + static_cast<size_t>(j);
            const double den = t[i + static_cast<size_t>(p) + 1 - static_cast<size_t>(r)] - t[i];
            const double a = den == 0 ? 0 : (u - t[i]) / den;
            H& dj = d[static_cast<size_t>(j)];
            const H& dp = d[static_cast<size_t>(j) - 1];
            dj = {(1 - a) * dp.x + a * dj.x, (1 - a) * dp.y + a * dj.y, (1 - a) * dp.w + a * dj.w};
        }
    const H& r = d[static_cast<size_t>(p)];
    return r.w == 0 ? SplinePoint{r.x, r.y} : SplinePoint{r.x / r.w, r.y / r.w};
}

}  // namespace

std::vector<SplinePoint> splineCurve(int degree, const std::vector<SplinePoint>& controls,
                                     const std::vector<double>& knots, const std::vector<double>& weights,
                                     const std::vector<SplinePoint>& fitPoints, int perSpan)
{
    if (controls.size() < 2)
        return fitPoints.size() >= 2 ? fitPoints : std::vector<SplinePoint>{};
    const size_t n = controls.size();
    const bool fits = degree >= 1 && static_cast<size_t>(degree) < n && knots.size() == n + static_cast<size_t>(degree) + 1 &&
                      (weights.empty() || weights.size() == n);
    bool ordered = fits;
    for (size_t i = 1; ordered && i < knots.size(); ++i)
        ordered = knots[i] >= knots[i - 1] && std::isfinite(knots[i]);
    if (!ordered)
        return controls;
    std::vector<SplinePoint> out;
    const size_t p = static_cast<size_t>(degree);
    for (size_t k = p; k < n; ++k) {
        const double u0 = knots[k], u1 = knots[k + 1];
        if (u1 <= u0)
            continue;
        for (int s = 0; s < perSpan; ++s)
            out.push_back(deBoor(degree, k, u0 + (u1 - u0) * s / perSpan, controls, weights, knots));
    }
    // The end of the curve: the end of the last span that has length.
    for (size_t k = n; k-- > p;)
        if (knots[k + 1] > knots[k]) {
            // At u = knots[k+1] the span's formula still holds (the curve is continuous there).
            out.push_back(deBoor(degree, k, knots[k + 1], controls, weights, knots));
            break;
        }
    return out.size() >= 2 ? out : controls;
}

}  // namespace korcad::geom
