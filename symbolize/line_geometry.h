// Small geometry shared by the line symbolizers: lengths, directions and walking along segments.
#pragma once

#include <cmath>
#include <cstddef>

#include "contracts/pictor/types.h"

namespace symbolize {

// Lengths, distances and sentinel values closer than this (drawing units or millimetres, as
// compared) count as equal.
inline constexpr double kLineTolerance = 0.0001;

// A walk along a segment that ends this close to its end point (in both coordinates) counts as
// having reached it, so the next segment starts afresh at its first point.
inline constexpr double kOnVertexTolerance = 0.001;

inline double Distance(const Pictor::PointD& a, const Pictor::PointD& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

// Direction of travel from a to b, radians.
inline double Direction(const Pictor::PointD& a, const Pictor::PointD& b) {
    return std::atan2(b.y - a.y, b.x - a.x);
}

// The point `length` further on from p in direction theta.
inline Pictor::PointD Advance(const Pictor::PointD& p, double theta, double length) {
    return Pictor::PointD(p.x + length * std::cos(theta), p.y + length * std::sin(theta));
}

inline bool NearlyEqual(const Pictor::PointD& a, const Pictor::PointD& b, double tolerance) {
    return std::abs(a.x - b.x) < tolerance && std::abs(a.y - b.y) < tolerance;
}

// Sum of the segment lengths; infinite or NaN when a coordinate is not finite or a segment is
// too long for a double, which the callers refuse.
inline double PolylineLength(const Pictor::PointD* points, size_t count) {
    double total = 0.0;
    for (size_t i = 1; i < count; ++i) total += Distance(points[i - 1], points[i]);
    return total;
}

}  // namespace symbolize
