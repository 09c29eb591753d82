// Spline.h — a SPLINE entity as the line it describes: points along its curve, for drawing.
#pragma once

#include <vector>

namespace korcad::geom {

struct SplinePoint {
    double x = 0, y = 0;
};

// Points along the B-spline of `degree` through the control points with the knot vector
// `knots` (rational when `weights` has a weight per control point), `perSpan` points per knot
// span. A spline whose knots do not fit its control points (a file written carelessly) is its
// control polygon; with fewer than two control points, the fit points joined by lines.
std::vector<SplinePoint> splineCurve(int degree, const std::vector<SplinePoint>& controls,
                                     const std::vector<double>& knots, const std::vector<double>& weights,
                                     const std::vector<SplinePoint>& fitPoints, int perSpan = 16);

}  // namespace korcad::geom
