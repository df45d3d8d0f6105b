// Point-list algorithms the service and the line symbolizers run on device-space points: the
// Douglas-Peucker thinning of anchor points, and the spline that smooths a simple line.
#pragma once

#include <cstdint>

// A point of the algorithms: x and y in drawing units and a third value callers set to 0. Kept
// points are copied whole.
struct SymbolPoint3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Stateless; make one on the stack for a call.
class CGIS_Symbolization {
public:
    // Most points Simplify thins in one call; a longer list is left as it is, since the working
    // copies would cost some 70 bytes a point.
    static constexpr int32_t kMaxSimplifyPoints = 1 << 22;
    // Most distance tests Simplify spends on one list (a fraction of a second). Ordinary lines
    // need about n log2 n, so lines of a million points and more are thinned in full; a list
    // built to defeat the split (a zig-zag whose vertices are kept one at a time) would need
    // n^2 / 2 and stall the drawing for minutes. Once the budget is spent the rest of the list is
    // kept as it is, which draws the same line. Every list of up to 8,192 points is thinned
    // exactly.
    static constexpr int64_t kMaxSimplifyDistanceTests = int64_t{1} << 25;
    // Most points BSpline hands out, (count - 1) * (size + 1) + 1; a larger request is refused.
    // At five samples a segment this admits lines of some 700,000 points.
    static constexpr int64_t kMaxSplinePoints = int64_t{1} << 22;

    CGIS_Symbolization() = default;
    virtual ~CGIS_Symbolization() = default;

    // Douglas-Peucker: writes to `output` the first and last of `points` (count of them) and, in
    // order, the points between that lie farther than `tolerance` from the chord of the stretch
    // they split; *outputCount receives their number. `output` needs room for `count` records:
    // the list never grows. One point yields that point; a count below 1 writes nothing.
    void Simplify(const SymbolPoint3* points, int32_t count, double tolerance, SymbolPoint3* output,
                  int32_t* outputCount) const noexcept;

    // Writes the foot of the perpendicular from `p` onto the line through `a` and `b`. 0 when
    // the foot lies within the segment's extent, -1 otherwise.
    int32_t PerpendicularFoot(const SymbolPoint3& p, const SymbolPoint3& a, const SymbolPoint3& b,
                              SymbolPoint3* foot) const noexcept;

    // An interpolating cubic spline through the points, `size` samples inserted per segment and
    // rounded to whole units; the last point is kept exactly. Lists of 2 or 3 points, or size 0,
    // are copied. On success *output is a new array (free it with delete[]) of *outputCount
    // points. False, with null and 0, for fewer than 2 points, a negative size, an output above
    // kMaxSplinePoints or exhausted memory; the last two are logged.
    bool BSpline(const SymbolPoint3* points, int32_t count, int32_t endType, double coef, int32_t size,
                 SymbolPoint3** output, int32_t* outputCount) const noexcept;
};
