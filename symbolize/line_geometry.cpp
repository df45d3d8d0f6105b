#include "symbolize/line_geometry.h"

namespace symbolize {
namespace {

using Pictor::PointD;

// A corner whose half-turn has a cosine this small turns the line back on itself: its mitre
// would be endless.
constexpr double kReversalCosine = 0.0001;

// A dash piece shorter than this (drawing units) is not drawn: with round or square caps it would
// show as a stray dot, as where the walker meets a mitre point on the inner side of a bend.
constexpr double kMinDashPiece = 0.0001;

// What is left of a period at a segment's end, or of the cursor's way to the segment's end,
// counts as nothing below this: a hair above the point tolerance, so that rounding in the steps
// before does not leave a sliver.
constexpr double kPeriodEndTolerance = 0.000101;

// The quarter turn between a segment and the way its dashes move onto the offset line, to the
// precision the dashed lines are defined with.
constexpr double kQuarterTurn = 1.5707963;

// Unit normal: direction a turned by +90 degrees.
PointD Normal(double a) { return PointD(-std::sin(a), std::cos(a)); }

PointD Shifted(const PointD& p, const PointD& by) { return PointD(p.x + by.x, p.y + by.y); }

// Kept out of line: GCC 12 at -O3 pairs two inlined round trips into vector conversions and then
// drops them as if they changed nothing.
[[gnu::noinline]] double ThroughFloat(double v) { return static_cast<double>(static_cast<float>(v)); }

}  // namespace

bool TrimLineStart(double length, std::vector<Pictor::PointD>* line) {
    const size_t n = line->size();
    if (n < 2) return false;
    std::vector<PointD>& p = *line;
    double rest = length;
    // Walks each segment at most once: bounded by the point count.
    size_t j = 0;
    while (rest > kLineTolerance) {
        const double segment = Distance(p[j], p[j + 1]);
        if (rest < segment - kLineTolerance) break;  // the new start lies on segment j
        rest -= segment;
        ++j;
        if (j == n - 1) return false;  // every segment is used up
    }
    p[j] = Advance(p[j], Direction(p[j], p[j + 1]), rest);
    p.erase(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(j));
    return true;
}

void BuildOffsetLines(const std::vector<Pictor::PointD>& points, double d, std::vector<Pictor::PointD>* plus,
                      std::vector<Pictor::PointD>* minus) {
    const size_t n = points.size();
    plus->resize(n);
    minus->resize(n);
    if (n < 2) return;
    auto place = [&](size_t i, const PointD& shift) {
        (*plus)[i] = PointD(points[i].x + shift.x, points[i].y + shift.y);
        (*minus)[i] = PointD(points[i].x - shift.x, points[i].y - shift.y);
    };
    double before = Direction(points[0], points[1]);
    const PointD first = Normal(before);
    place(0, PointD(d * first.x, d * first.y));
    for (size_t i = 1; i + 1 < n; ++i) {
        const double after = Direction(points[i], points[i + 1]);
        const double c = std::cos((before - after) / 2.0);
        if (std::abs(c) < kReversalCosine) {
            (*plus)[i] = (*plus)[i - 1];
            (*minus)[i] = (*minus)[i - 1];
        } else {
            // The mitre point: on both neighbouring offset segments, d / c from the vertex along
            // the bisecting normal.
            const PointD bisector = Normal((before + after) / 2.0);
            place(i, PointD(d / c * bisector.x, d / c * bisector.y));
        }
        before = after;
    }
    const PointD last = Normal(before);
    place(n - 1, PointD(d * last.x, d * last.y));
}

bool IsBetween(const Pictor::PointD& a, const Pictor::PointD& b, const Pictor::PointD& c) {
    if (NearlyEqual(b, c, kLineTolerance)) return false;
    if (NearlyEqual(a, b, kLineTolerance) || NearlyEqual(a, c, kLineTolerance)) return true;
    // On one line, a lies between b and c exactly when it sees them in opposite directions. The
    // sign of the dot product says so without the jump of the angle at +-180 degrees.
    return (a.x - b.x) * (a.x - c.x) + (a.y - b.y) * (a.y - c.y) < 0.0;
}

bool IsNearerFirst(const Pictor::PointD& a, const Pictor::PointD& b, const Pictor::PointD& c) {
    return Distance(a, b) - Distance(a, c) <= kLineTolerance;
}

void DashWalker::Emit(const Pictor::PointD& from, const Pictor::PointD& to) {
    if (Distance(from, to) < kMinDashPiece) return;
    out_->Piece(from, to);
}

void DashWalker::CentreSegment(Pictor::PointD p, const Pictor::PointD& q) {
    const double period = dash_ + gap_;
    const double length = Distance(p, q);
    // A segment this short against the period is skipped without using up any of it.
    if (std::abs(length / period) < kLineTolerance) return;
    const double theta = Direction(p, q);

    if (remainder_ > 0.0) {
        // Still to draw of the dash the previous segment began (when not in its gap).
        const double dashLeft = remainder_ - gap_;
        if (length > remainder_) {
            if (!inGap_) Emit(p, Advance(p, theta, dashLeft));
            p = Advance(p, theta, remainder_);
            remainder_ = 0.0;
            inGap_ = false;
        } else {
            if (!inGap_) {
                if (dashLeft >= length) {
                    Emit(p, q);
                } else {
                    Emit(p, Advance(p, theta, dashLeft));
                    inGap_ = true;
                }
            }
            remainder_ -= length;
            return;
        }
    }
    if (p == q) return;

    // Whole periods; the caller bounds their number before walking.
    const double periods = std::trunc(Distance(p, q) / period);
    for (double i = 0; i < periods; ++i) {
        const PointD from = Advance(p, theta, i * period);
        Emit(from, Advance(from, theta, dash_));
    }
    const PointD cursor = Advance(p, theta, periods * period);
    if (NearlyEqual(cursor, q, kOnVertexTolerance)) return;

    // The period the segment ends in carries over to the next one.
    const double rest = Distance(cursor, q);
    remainder_ = period - rest;
    if (rest < dash_) {
        Emit(cursor, q);
        inGap_ = false;
    } else {
        Emit(cursor, Advance(cursor, theta, dash_));
        inGap_ = true;
    }
}

void DashWalker::OffsetSegment(Pictor::PointD c0, const Pictor::PointD& c1, const Pictor::PointD& o0,
                               const Pictor::PointD& o1, double d, int side) {
    const double period = dash_ + gap_;
    const double theta = Direction(c0, c1);
    const double length = Distance(c0, c1);
    const double phi = side == 1 ? theta - kQuarterTurn : theta + kQuarterTurn;
    const PointD shift(d * std::cos(phi), d * std::sin(phi));
    Cursor cursor{o0, o0, o1, false};

    // Moves the cursor over a stretch that ends at `end` (on the offset line), drawing it when
    // `draw`: up to `end` when that lies ahead within the segment, to the segment's end (and
    // finished) when `end` lies beyond it, not at all when `end` lies behind the cursor.
    auto runTo = [&](const PointD& end, bool draw) {
        if (IsBetween(end, cursor.at, o1)) {
            if (draw) Emit(cursor.at, end);
            cursor.at = end;
        } else if (!IsNearerFirst(end, cursor.at, o1)) {
            if (draw) Emit(cursor.at, o1);
            cursor.at = o1;
            cursor.finished = true;
        }
    };

    // The period the previous segment ended in.
    if (remainder_ > kLineTolerance) {
        const double remainder = remainder_;
        if (remainder - length > kLineTolerance) {  // it runs past this segment's end
            if (!inGap_) {
                if (remainder - gap_ - length > kLineTolerance) {
                    Emit(cursor.at, o1);  // the dash covers the whole segment
                } else {
                    runTo(Shifted(Advance(c0, theta, remainder - gap_), shift), true);
                    inGap_ = true;
                }
            }
            remainder_ = remainder - length;
            return;
        }
        if (!inGap_) {
            runTo(Shifted(Advance(c0, theta, remainder - gap_), shift), true);
            c0 = Advance(c0, theta, remainder - gap_);
            remainder_ = gap_;
        }
        // The gap only moves the cursor.
        if (!cursor.finished) runTo(Shifted(Advance(c0, theta, remainder_), shift), false);
        c0 = Advance(c0, theta, remainder_);
        remainder_ = 0.0;
        inGap_ = false;
    }
    if (NearlyEqual(c0, c1, kLineTolerance)) return;

    // Whole periods; the caller bounds their number before walking.
    const double periods = std::trunc(Distance(c0, c1) / period);
    for (double i = 0; i < periods && !cursor.finished; ++i) {
        const PointD from = Advance(c0, theta, i * period);
        Clip(Shifted(from, shift), Shifted(Advance(from, theta, dash_), shift), theta, true, &cursor);
    }
    c0 = Advance(c0, theta, periods * period);

    // The period the segment ends in carries over to the next one.
    const double rest = Distance(c0, c1);
    if (rest <= kPeriodEndTolerance) return;
    remainder_ = period - rest;
    if (dash_ - rest > kLineTolerance) {  // the dash runs past the segment's end
        if (!cursor.finished) {
            const PointD s = Shifted(c0, shift);
            if (IsBetween(s, cursor.at, o1)) {
                Emit(s, o1);
            } else if (IsNearerFirst(s, cursor.at, o1)) {
                // It starts behind the cursor (cut off by the inner side of the bend before).
                Emit(cursor.at, o1);
            }  // a start beyond the segment's end leaves nothing here
        }
        inGap_ = false;
        return;
    }
    if (Distance(cursor.at, o1) >= kPeriodEndTolerance) {
        Clip(Shifted(c0, shift), Shifted(Advance(c0, theta, dash_), shift), theta, false, &cursor);
    }
    inGap_ = true;
}

void DashWalker::Clip(const Pictor::PointD& s, const Pictor::PointD& e, double theta, bool fromStart,
                      Cursor* cursor) {
    // "Inside" the offset segment: from its first point for whole periods, from the cursor for the
    // pieces that a segment's start or end cuts from a period.
    auto inside = [&](const PointD& p) { return IsBetween(p, fromStart ? cursor->start : cursor->at, cursor->end); };
    // After a dash drawn up to `end` the cursor skips the gap that follows, when it still lies in
    // the segment.
    auto drawnTo = [&](const PointD& end) {
        const PointD gapEnd = Advance(end, theta, gap_);
        cursor->at = end;
        if (inside(gapEnd)) {
            cursor->at = gapEnd;
        } else {
            cursor->at = cursor->end;
            cursor->finished = true;
        }
    };
    auto snapToEnd = [&](const PointD& p) { return Distance(p, cursor->end) < kLineTolerance ? cursor->end : p; };

    if (inside(s)) {
        if (inside(e)) {
            const PointD from = Distance(s, cursor->at) < kLineTolerance ? cursor->at : s;
            const PointD to = snapToEnd(e);
            Emit(from, to);
            drawnTo(to);
        } else if (!IsNearerFirst(e, cursor->start, cursor->end)) {
            Emit(s, cursor->end);
            cursor->at = cursor->end;
            cursor->finished = true;
        }  // an end behind the segment's start draws nothing
        return;
    }
    if (!IsNearerFirst(s, cursor->at, cursor->end)) return;  // it starts beyond the segment's end
    // It starts behind the cursor: what lies ahead of the cursor is drawn.
    if (inside(e)) {
        const PointD to = snapToEnd(e);
        Emit(cursor->at, to);
        drawnTo(to);
    } else if (!IsNearerFirst(e, cursor->at, cursor->end)) {
        Emit(cursor->at, cursor->end);
        cursor->at = cursor->end;
        cursor->finished = true;
    }  // a dash wholly behind the cursor draws nothing
}

LinePlacement PlaceAtDistance(const Pictor::PointD* points, size_t count, double distance) {
    // Walk to the place: each segment at most once.
    size_t j = 0;
    double rest = distance > kLineTolerance ? distance : 0.0;
    bool pastEnd = false;
    while (rest > kLineTolerance) {
        const double length = Distance(points[j], points[j + 1]);
        if (rest < length - kLineTolerance) break;
        rest -= length;
        if (j + 2 == count) {
            pastEnd = true;
            break;
        }
        ++j;
    }
    const double theta = Direction(points[j], points[j + 1]);
    return LinePlacement{pastEnd ? points[j + 1] : Advance(points[j], theta, rest), theta};
}

LinePiece HashStroke(const Pictor::PointD& c, double theta, double offset, double length) {
    // Across the line: n points to the left of travel as seen on a y-down output.
    const PointD n(std::sin(theta), -std::cos(theta));
    const double near = offset - length / 2.0;
    const double far = offset + length / 2.0;
    const PointD a(ThroughFloat(c.x + near * n.x), ThroughFloat(c.y + near * n.y));
    const PointD b(ThroughFloat(c.x + far * n.x), ThroughFloat(c.y + far * n.y));
    return offset < kLineTolerance ? LinePiece{b, a} : LinePiece{a, b};
}

}  // namespace symbolize
