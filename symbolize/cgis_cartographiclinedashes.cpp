// The cartographic line's separate-dash mode: every dash of the template is stroked on its own,
// measured along the centre line and, with an offset, moved onto the offset line and clipped to
// it segment by segment.
#include <cmath>
#include <numbers>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/line.h"
#include "symbolize/cgis_cartographiclinesymbolize.h"
#include "symbolize/line_geometry.h"

namespace {

using Pictor::PointD;
using symbolize::Advance;
using symbolize::Distance;
using symbolize::kLineTolerance;

// Each dash is a stroke of its own, 2 to 7 microseconds apiece on a raster canvas: at this many
// a line takes one to four seconds, and a line that densely dashed reads as solid anyway, so it
// is drawn solid (as the pen draws a pattern past the graphics layer's own dash cap).
constexpr double kMaxSeparateDashes = 500'000.0;

// A piece shorter than this (drawing units) is not drawn: with round or square caps it would show
// as a stray dot, as where the walker meets a mitre point on the inner side of a bend.
constexpr double kMinDashPiece = 0.0001;

// What is left of a period at a segment's end, or of the cursor's way to the segment's end,
// counts as nothing below this: a hair above the point tolerance, so that rounding in the steps
// before does not leave a sliver.
constexpr double kPeriodEndTolerance = 0.000101;

template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

PointD Shifted(const PointD& p, const PointD& by) { return PointD(p.x + by.x, p.y + by.y); }

}  // namespace

void CGIS_CartographicLineSymbolize::DrawSeparateDashes(const IGIS_CartographicLineSymbol* line,
                                                        const SymbolizeInfo* info,
                                                        const std::vector<Pictor::PointD>& work,
                                                        const DashTemplate& dashes) const {
    const int32_t pairs = dashes.count / 2;  // an odd last entry lengthens the period only
    if (pairs == 0) return;
    double period = 0.0;
    for (int32_t i = 0; i < dashes.count; ++i) period += dashes.values[i];
    const double k = info->sizeRatio * info->scale;
    const double estimate = pairs * symbolize::PolylineLength(work.data(), work.size()) / (period * k);
    if (!(estimate <= kMaxSeparateDashes)) {
        DrawSolid(line, info, work, false);
        return;
    }

    const Pictor::Pen pen = MakePen(line, info);
    const double offset = ValueOr(line->GetOffset(), 0.0);
    const bool onCentre = std::abs(offset) < kZeroOffset;
    // Here the distance is negated on a y-up output: with the sides chosen below, a positive
    // offset again lies to the left of travel as seen.
    const double distance = info->yUp ? -std::abs(offset) * k : std::abs(offset) * k;
    const int side = offset > kDashedLeftOffset ? 1 : 0;

    std::vector<PointD> copy, plus, minus;
    double start = 0.0;  // millimetres along the line where the pair's first dash begins
    for (int32_t j = 0; j < pairs; ++j) {
        copy = work;
        // A pair starting beyond the line's end ends the drawing; the pairs before stay drawn.
        if (!TrimLineStart(info, start, &copy)) return;
        const double dash = dashes.values[2 * j];
        start += dash + dashes.values[2 * j + 1];

        // One dash per template period: the gap is the rest of the period.
        DashRun run;
        run.graphics = info->graphics;
        run.pen = &pen;
        run.dash = dash * info->sizeRatio * info->scale;
        run.gap = (period * info->sizeRatio - dash * info->sizeRatio) * info->scale;
        if (onCentre) {
            for (size_t i = 0; i + 1 < copy.size(); ++i) DashSegment(copy[i], copy[i + 1], &run);
            continue;
        }
        BuildOffsetLines(copy, distance, &plus, &minus);
        const std::vector<PointD>& onto = side == 1 ? minus : plus;
        for (size_t i = 0; i + 1 < copy.size(); ++i) {
            DashOffsetSegment(copy[i], copy[i + 1], onto[i], onto[i + 1], &run, distance, side);
        }
    }
}

void CGIS_CartographicLineSymbolize::DashSegment(Pictor::PointD p, const Pictor::PointD& q,
                                                 DashRun* run) const {
    const double period = run->dash + run->gap;
    const double length = Distance(p, q);
    // A segment this short against the period is skipped without using up any of it.
    if (std::abs(length / period) < kLineTolerance) return;
    const double theta = symbolize::Direction(p, q);

    if (run->remainder > 0.0) {
        // Still to draw of the dash the previous segment began (when not in its gap).
        const double dashLeft = run->remainder - run->gap;
        if (length > run->remainder) {
            if (!run->inGap) DrawDash(*run, p, Advance(p, theta, dashLeft));
            p = Advance(p, theta, run->remainder);
            run->remainder = 0.0;
            run->inGap = false;
        } else {
            if (!run->inGap) {
                if (dashLeft >= length) {
                    DrawDash(*run, p, q);
                } else {
                    DrawDash(*run, p, Advance(p, theta, dashLeft));
                    run->inGap = true;
                }
            }
            run->remainder -= length;
            return;
        }
    }
    if (p == q) return;

    // Whole periods; their number is bounded by the estimate checked before walking.
    const double periods = std::trunc(Distance(p, q) / period);
    for (double i = 0; i < periods; ++i) {
        const PointD from = Advance(p, theta, i * period);
        DrawDash(*run, from, Advance(from, theta, run->dash));
    }
    const PointD cursor = Advance(p, theta, periods * period);
    if (symbolize::NearlyEqual(cursor, q, symbolize::kOnVertexTolerance)) return;

    // The period the segment ends in carries over to the next one.
    const double rest = Distance(cursor, q);
    run->remainder = period - rest;
    if (rest < run->dash) {
        DrawDash(*run, cursor, q);
        run->inGap = false;
    } else {
        DrawDash(*run, cursor, Advance(cursor, theta, run->dash));
        run->inGap = true;
    }
}

void CGIS_CartographicLineSymbolize::DashOffsetSegment(Pictor::PointD c0, const Pictor::PointD& c1,
                                                       const Pictor::PointD& o0, const Pictor::PointD& o1,
                                                       DashRun* run, double d, int side) const {
    const double period = run->dash + run->gap;
    const double theta = symbolize::Direction(c0, c1);
    const double length = Distance(c0, c1);
    const double phi = side == 1 ? theta - std::numbers::pi / 2 : theta + std::numbers::pi / 2;
    const PointD shift(d * std::cos(phi), d * std::sin(phi));
    OffsetCursor cursor{o0, o0, o1, false};

    // Moves the cursor over a stretch that ends at `end` (on the offset line), drawing it when
    // `draw`: up to `end` when that lies ahead within the segment, to the segment's end (and
    // finished) when `end` lies beyond it, not at all when `end` lies behind the cursor.
    auto runTo = [&](const PointD& end, bool draw) {
        if (IsBetween(end, cursor.at, o1)) {
            if (draw) DrawDash(*run, cursor.at, end);
            cursor.at = end;
        } else if (!IsNearerFirst(end, cursor.at, o1)) {
            if (draw) DrawDash(*run, cursor.at, o1);
            cursor.at = o1;
            cursor.finished = true;
        }
    };

    // The period the previous segment ended in.
    if (run->remainder > kLineTolerance) {
        const double remainder = run->remainder;
        if (remainder - length > kLineTolerance) {  // it runs past this segment's end
            if (!run->inGap) {
                if (remainder - run->gap - length > kLineTolerance) {
                    DrawDash(*run, cursor.at, o1);  // the dash covers the whole segment
                } else {
                    runTo(Shifted(Advance(c0, theta, remainder - run->gap), shift), true);
                    run->inGap = true;
                }
            }
            run->remainder = remainder - length;
            return;
        }
        if (!run->inGap) {
            runTo(Shifted(Advance(c0, theta, remainder - run->gap), shift), true);
            c0 = Advance(c0, theta, remainder - run->gap);
            run->remainder = run->gap;
        }
        // The gap only moves the cursor.
        if (!cursor.finished) runTo(Shifted(Advance(c0, theta, run->remainder), shift), false);
        c0 = Advance(c0, theta, run->remainder);
        run->remainder = 0.0;
        run->inGap = false;
    }
    if (symbolize::NearlyEqual(c0, c1, kLineTolerance)) return;

    // Whole periods; their number is bounded by the estimate checked before walking.
    const double periods = std::trunc(Distance(c0, c1) / period);
    for (double i = 0; i < periods && !cursor.finished; ++i) {
        const PointD from = Advance(c0, theta, i * period);
        ClipDash(Shifted(from, shift), Shifted(Advance(from, theta, run->dash), shift), theta, true, &cursor,
                 *run);
    }
    c0 = Advance(c0, theta, periods * period);

    // The period the segment ends in carries over to the next one.
    const double rest = Distance(c0, c1);
    if (rest <= kPeriodEndTolerance) return;
    run->remainder = period - rest;
    if (run->dash - rest > kLineTolerance) {  // the dash runs past the segment's end
        if (!cursor.finished) {
            const PointD s = Shifted(c0, shift);
            if (IsBetween(s, cursor.at, o1)) {
                DrawDash(*run, s, o1);
            } else if (IsNearerFirst(s, cursor.at, o1)) {
                // It starts behind the cursor (cut off by the inner side of the bend before).
                DrawDash(*run, cursor.at, o1);
            }  // a start beyond the segment's end leaves nothing here
        }
        run->inGap = false;
        return;
    }
    if (Distance(cursor.at, o1) >= kPeriodEndTolerance) {
        ClipDash(Shifted(c0, shift), Shifted(Advance(c0, theta, run->dash), shift), theta, false, &cursor,
                 *run);
    }
    run->inGap = true;
}

void CGIS_CartographicLineSymbolize::ClipDash(const Pictor::PointD& s, const Pictor::PointD& e, double theta,
                                              bool fromStart, OffsetCursor* cursor,
                                              const DashRun& run) const {
    // "Inside" the offset segment: from its first point for whole periods, from the cursor for the
    // pieces that a segment's start or end cuts from a period.
    auto inside = [&](const PointD& p) {
        return IsBetween(p, fromStart ? cursor->start : cursor->at, cursor->end);
    };
    // After a dash drawn up to `end` the cursor skips the gap that follows, when it still lies in
    // the segment.
    auto drawnTo = [&](const PointD& end) {
        const PointD gapEnd = symbolize::Advance(end, theta, run.gap);
        cursor->at = end;
        if (inside(gapEnd)) {
            cursor->at = gapEnd;
        } else {
            cursor->at = cursor->end;
            cursor->finished = true;
        }
    };
    auto snapToEnd = [&](const PointD& p) {
        return Distance(p, cursor->end) < kLineTolerance ? cursor->end : p;
    };

    if (inside(s)) {
        if (inside(e)) {
            const PointD from = Distance(s, cursor->at) < kLineTolerance ? cursor->at : s;
            const PointD to = snapToEnd(e);
            DrawDash(run, from, to);
            drawnTo(to);
        } else if (!IsNearerFirst(e, cursor->start, cursor->end)) {
            DrawDash(run, s, cursor->end);
            cursor->at = cursor->end;
            cursor->finished = true;
        }  // an end behind the segment's start draws nothing
        return;
    }
    if (!IsNearerFirst(s, cursor->at, cursor->end)) return;  // it starts beyond the segment's end
    // It starts behind the cursor: what lies ahead of the cursor is drawn.
    if (inside(e)) {
        const PointD to = snapToEnd(e);
        DrawDash(run, cursor->at, to);
        drawnTo(to);
    } else if (!IsNearerFirst(e, cursor->at, cursor->end)) {
        DrawDash(run, cursor->at, cursor->end);
        cursor->at = cursor->end;
        cursor->finished = true;
    }  // a dash wholly behind the cursor draws nothing
}

void CGIS_CartographicLineSymbolize::DrawDash(const DashRun& run, const Pictor::PointD& from,
                                              const Pictor::PointD& to) const {
    if (Distance(from, to) < kMinDashPiece) return;
    run.graphics->DrawLine(run.pen, from, to, 0);
}

bool CGIS_CartographicLineSymbolize::IsBetween(const Pictor::PointD& a, const Pictor::PointD& b,
                                               const Pictor::PointD& c) {
    if (symbolize::NearlyEqual(b, c, kLineTolerance)) return false;
    if (symbolize::NearlyEqual(a, b, kLineTolerance) || symbolize::NearlyEqual(a, c, kLineTolerance))
        return true;
    // On one line, a lies between b and c exactly when it sees them in opposite directions. The
    // sign of the dot product says so without the jump of the angle at +-180 degrees.
    return (a.x - b.x) * (a.x - c.x) + (a.y - b.y) * (a.y - c.y) < 0.0;
}

bool CGIS_CartographicLineSymbolize::IsNearerFirst(const Pictor::PointD& a, const Pictor::PointD& b,
                                                   const Pictor::PointD& c) {
    return Distance(a, b) - Distance(a, c) <= kLineTolerance;
}
