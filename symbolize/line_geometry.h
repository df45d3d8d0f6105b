// Line geometry as small stages with plain inputs and outputs: points in, points or pieces out.
// No symbol and no canvas is seen here; the line symbolizers (and the fills that lay lines) turn
// symbol sizes into drawing units, call these stages and draw what comes out.
#pragma once

#include <cmath>
#include <concepts>
#include <cstddef>
#include <vector>

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

// Radians to degrees with the factor the line symbols are defined with: the reciprocal of the
// 3.1415926 that markers turn by.
inline double ToDegrees(double radians) { return radians * 180.0 * 0.31830989161357204; }

// ---- Trimming and offsets -------------------------------------------------------------------

// Cuts the first `length` drawing units off `line`, dropping the vertices passed; false when the
// line is not longer than that (the line is then left in an unspecified state).
bool TrimLineStart(double length, std::vector<Pictor::PointD>* line);

// The two lines parallel to `points` at distance |d|, each with as many points: `plus` on the
// side of the left-hand normal when d is positive. Corners are mitred without limit; a corner
// where the line turns back on itself repeats the previous point.
void BuildOffsetLines(const std::vector<Pictor::PointD>& points, double d, std::vector<Pictor::PointD>* plus,
                      std::vector<Pictor::PointD>* minus);

// Whether a lies on the segment b-c (a point of the same line), ends included; never when b and
// c coincide.
bool IsBetween(const Pictor::PointD& a, const Pictor::PointD& b, const Pictor::PointD& c);
// Whether a is no further from b than from c.
bool IsNearerFirst(const Pictor::PointD& a, const Pictor::PointD& b, const Pictor::PointD& c);

// ---- Dashes ---------------------------------------------------------------------------------

// One straight piece of a dashed line, to be stroked on its own.
struct LinePiece {
    Pictor::PointD from;
    Pictor::PointD to;
};

// Where a walk hands its pieces, in order, as it finds them.
class PieceSink {
public:
    virtual void Piece(const Pictor::PointD& from, const Pictor::PointD& to) = 0;

protected:
    ~PieceSink() = default;
};

// A sink that keeps the pieces.
class PieceList final : public PieceSink {
public:
    void Piece(const Pictor::PointD& from, const Pictor::PointD& to) override { pieces.push_back({from, to}); }
    std::vector<LinePiece> pieces;
};

// Walks one dash of `dash` drawing units per period of dash + gap along a polyline, segment by
// segment, and hands the dash pieces to `out`. The part of a period left over at a segment's end
// carries into the next segment. Pieces too short to see are left out.
class DashWalker {
public:
    DashWalker(double dash, double gap, PieceSink* out) : dash_(dash), gap_(gap), out_(out) {}

    // The dashes along centre segment p-q.
    void CentreSegment(Pictor::PointD p, const Pictor::PointD& q);
    // The dashes measured along centre segment c0-c1, moved by d onto the offset segment o0-o1
    // (toward the direction of travel turned by -90 degrees for side 1, by +90 degrees for side 0)
    // and clipped to it.
    void OffsetSegment(Pictor::PointD c0, const Pictor::PointD& c1, const Pictor::PointD& o0,
                       const Pictor::PointD& o1, double d, int side);

private:
    // How far the dashes of one offset segment have been drawn.
    struct Cursor {
        Pictor::PointD at;     // drawing has advanced up to here
        Pictor::PointD start;  // the offset segment's first point
        Pictor::PointD end;    // its last point
        bool finished = false;
    };

    // One whole dash piece s-e (already on the offset line) clipped to the part of the offset
    // segment not yet drawn; `fromStart` measures "inside" from the segment's first point rather
    // than from the cursor.
    void Clip(const Pictor::PointD& s, const Pictor::PointD& e, double theta, bool fromStart, Cursor* cursor);
    void Emit(const Pictor::PointD& from, const Pictor::PointD& to);

    double dash_;
    double gap_;
    // The part of the current period still to run at a segment's start, and whether that part
    // starts in the gap.
    double remainder_ = 0.0;
    bool inGap_ = false;
    PieceSink* out_;
};

// ---- Placement along a line -----------------------------------------------------------------

// Called with each position and the direction of the segment it lies on.
template <typename F>
concept PlacementVisitor = std::invocable<F&, const Pictor::PointD&, double>;

// Visits positions `step` apart along the polyline, from its first point on: every segment
// starts where the step carried over from the one before ends, and a segment whose walk ends on
// its end point (within kOnVertexTolerance) lets the next one start with a position of its own on
// that point. A repeated vertex ends only that segment's positions. `step` must be above zero;
// the number of positions is at most length / step plus one per segment.
template <PlacementVisitor Visit>
void PlaceAtInterval(const std::vector<Pictor::PointD>& line, double step, Visit&& visit) {
    double carry = 0.0;  // distance still to go to the next position
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        Pictor::PointD p = line[i];
        const Pictor::PointD& q = line[i + 1];
        const double theta = Direction(p, q);
        if (carry > 0.0) {
            const double length = Distance(p, q);
            if (length <= carry) {  // no position falls on this segment
                carry -= length;
                continue;
            }
            p = Advance(p, theta, carry);
            carry = 0.0;
        }
        if (p == q) continue;
        const double count = std::trunc(Distance(p, q) / step) + 1.0;
        Pictor::PointD c = p;
        for (double j = 0; j < count; ++j) {
            c = Advance(p, theta, j * step);
            visit(c, theta);
        }
        carry = NearlyEqual(c, q, kOnVertexTolerance) ? 0.0 : step - Distance(c, q);
    }
}

// A place on a line and the direction of the segment it lies on.
struct LinePlacement {
    Pictor::PointD at;
    double theta = 0.0;
};

// The place `distance` drawing units along the polyline (at least two points), walking each
// segment at most once. A distance at or below kLineTolerance is the first point; one at or past
// the end is the last point, facing along the last segment.
LinePlacement PlaceAtDistance(const Pictor::PointD* points, size_t count, double distance);

// The stroke across the line at c (on a segment of direction theta): `length` long, its centre
// `offset` to the left of travel as seen on a y-down output. An offset below kLineTolerance gives
// the same stroke with its ends the other way round. The ends pass through single precision, as
// strokes are laid in the path.
LinePiece HashStroke(const Pictor::PointD& c, double theta, double offset, double length);

}  // namespace symbolize
