#include "symbolize/marker_fill_placement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "contracts/symbol/fill.h"

namespace symbolize {
namespace {

using Pictor::PointD;

// Two ring points closer than this in x and in y are the same point.
constexpr double kSamePointTolerance = 0.0001;
// Half a unit and a little more, so that values a hair below .5 after arithmetic still round up.
constexpr double kRoundingHalf = 0.500001;
// Jitter moves a coordinate by at most 0.191 of a cell: 0.382 of a cell over the generator's range.
constexpr double kJitterMiddle = 16383.5;
constexpr double kJitterPerStep = 1.1658070619830927e-05;
// Integer bounds whose area is at most this many square units are too small to fill.
constexpr int64_t kMinRingArea = 256;

// Truncation toward zero into 32 bits, saturating instead of overflowing.
int32_t TruncToInt32(double v) {
    if (std::isnan(v)) return 0;
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(std::trunc(v), lo, hi));
}

// How many whole numbers 0, 1, 2, ... lie strictly below `limit`.
double CountBelow(double limit) { return limit > 0.0 ? std::ceil(limit) : 0.0; }

}  // namespace

int32_t RoundHalfAway(double v) { return TruncToInt32(v >= 0.0 ? v + kRoundingHalf : v - kRoundingHalf); }

// The linear congruential generator that the C standard gives as its portable example.
int32_t JitterRandom::Next() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int32_t>((state_ / 65536u) % 32768u);
}

std::vector<PointD> CloseRing(const PointD* points, size_t count) {
    std::vector<PointD> ring(points, points + count);
    if (count > 0) {
        const PointD& first = ring.front();
        const PointD& last = ring.back();
        if (std::fabs(first.x - last.x) >= kSamePointTolerance ||
            std::fabs(first.y - last.y) >= kSamePointTolerance)
            ring.push_back(first);
    }
    return ring;
}

double GridOffset(double offset, double cell) {
    const double remainder = offset - std::trunc(offset / cell) * cell;
    return cell - remainder;
}

IntegerBounds GetIntegerBounds(const std::vector<PointD>& ring) {
    IntegerBounds b;
    if (ring.empty()) return b;
    b.minX = b.maxX = RoundHalfAway(ring[0].x);
    b.minY = b.maxY = RoundHalfAway(ring[0].y);
    for (size_t i = 1; i < ring.size(); ++i) {
        const PointD& p = ring[i];
        if (b.minX > p.x) b.minX = RoundHalfAway(p.x);
        if (b.maxX < p.x) b.maxX = RoundHalfAway(p.x);
        if (b.minY > p.y) b.minY = RoundHalfAway(p.y);
        if (b.maxY < p.y) b.maxY = RoundHalfAway(p.y);
    }
    return b;
}

PlacementResult GenerateMarkerGrid(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   std::vector<PointD>* positions, PointD cell, int mode, double offX,
                                   double offY, uint32_t seed) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (!(cell.x > 0.0 && cell.y > 0.0 && std::isfinite(cell.x) && std::isfinite(cell.y) &&
          std::isfinite(offX) && std::isfinite(offY))) {
        return PlacementResult::NoCell;
    }
    const int32_t startX = TruncToInt32(left - offX);
    const int32_t startY = TruncToInt32(top - offY);
    const double rowLimit = (static_cast<double>(bottom) - startY) / cell.y + 1.0;
    const double columnLimit = (static_cast<double>(right) - startX) / cell.x + 2.0;
    // Both loops are bounded by the marker cap, checked before anything is placed; a grid without
    // rows or columns places nothing (and must not walk its other axis).
    const double rows = CountBelow(rowLimit);
    const double columns = CountBelow(columnLimit);
    if (rows == 0.0 || columns == 0.0) return PlacementResult::Placed;
    const double total = rows * columns;
    if (!(total <= static_cast<double>(kMaxMarkerPositions))) return PlacementResult::TooMany;
    positions->reserve(positions->size() + static_cast<size_t>(total));

    JitterRandom random(seed);
    double shift = 0.0;
    for (int32_t j = 0; j < rowLimit; ++j) {
        if (mode == 1) shift = j % 2 == 0 ? 0.0 : -0.5 * cell.x;
        for (int32_t i = 0; i < columnLimit; ++i) {
            double x = (i + 0.5) * cell.x + startX + shift;
            double y = (j + 0.5) * cell.y + startY;
            if (mode == 2) {
                x += (random.Next() - kJitterMiddle) * cell.x * kJitterPerStep;
                y += (random.Next() - kJitterMiddle) * cell.y * kJitterPerStep;
            }
            positions->push_back({x, y});
        }
    }
    return PlacementResult::Placed;
}

PointD FindInteriorPoint(const std::vector<PointD>& ring) {
    if (ring.empty()) return {};
    // Bounds of their own: rounded at the first point, truncated where a later point moves them.
    int32_t minX = RoundHalfAway(ring[0].x), maxX = minX;
    int32_t minY = RoundHalfAway(ring[0].y), maxY = minY;
    for (size_t i = 1; i < ring.size(); ++i) {
        const PointD& p = ring[i];
        if (minX > p.x) minX = TruncToInt32(p.x);
        if (maxX < p.x) maxX = TruncToInt32(p.x);
        if (minY > p.y) minY = TruncToInt32(p.y);
        if (maxY < p.y) maxY = TruncToInt32(p.y);
    }
    const auto cx = static_cast<int32_t>((int64_t{minX} + maxX) / 2);
    const auto cy = static_cast<int32_t>((int64_t{minY} + maxY) / 2);

    std::vector<PointD> off;  // the points not on the centre line, in ring order
    for (const PointD& p : ring) {
        if (p.y != cy) off.push_back(p);
    }
    std::vector<int32_t> crossings;
    for (size_t k = 1; k < off.size(); ++k) {
        const PointD& p = off[k - 1];
        const PointD& q = off[k];
        if ((cy - q.y) * (p.y - cy) > 0.0)
            crossings.push_back(RoundHalfAway((q.x - p.x) * (cy - p.y) / (q.y - p.y) + p.x));
    }
    int64_t x = cx;
    if (crossings.size() >= 2) {
        const size_t half = crossings.size() / 2;
        x = crossings.size() % 4 == 0 ? (int64_t{crossings[half]} + crossings[half + 1]) / 2
                                      : (int64_t{crossings[half - 1]} + crossings[half]) / 2;
    }
    return {static_cast<double>(x), static_cast<double>(cy)};
}

bool IsRingLargeEnough(const std::vector<PointD>& ring) {
    const IntegerBounds b = GetIntegerBounds(ring);
    return (int64_t{b.maxX} - b.minX) * (int64_t{b.maxY} - b.minY) > kMinRingArea;
}

PlacementResult ComputeMarkerPositions(const std::vector<PointD>& ring, std::vector<PointD>* positions,
                                       int32_t code, PointD cell, double offX, double offY, uint32_t seed) {
    int mode = 0;
    switch (code) {
        case MarkerFillStaggered:
            mode = 1;
            break;
        case MarkerFillGrid:
            mode = 0;
            break;
        case MarkerFillJittered:
            mode = 2;
            break;
        case MarkerFillVertices:
            *positions = ring;
            return PlacementResult::Placed;
        case MarkerFillInterior:
            if (!ring.empty()) positions->push_back(FindInteriorPoint(ring));
            return PlacementResult::Placed;
        default:  // the code comes from the symbol: one we do not know places nothing
            return PlacementResult::Placed;
    }
    const IntegerBounds b = GetIntegerBounds(ring);
    return GenerateMarkerGrid(b.minX, b.minY, b.maxX, b.maxY, positions, cell, mode, offX, offY, seed);
}

}  // namespace symbolize
