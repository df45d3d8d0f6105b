// Where a marker fill puts its markers: grids over the polygon's integer bounds (plain,
// staggered or jittered), the ring's own corners, or one point inside. Pure computation on
// drawing-unit coordinates; the marker fill draws the positions in the order given here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "contracts/pictor/types.h"

namespace symbolize {

// A grid of more markers than this is not drawn. 100,000 markers fill a 316 x 316 grid, far more
// than a map reader can tell apart on one polygon; each marker in direct drawing is a full
// symbolizer call, so beyond this one polygon would take seconds (a tiny marker over a continent).
inline constexpr size_t kMaxMarkerPositions = 100000;

// Rounds half away from zero, with the small bias the placement rules use, into 32 bits
// (saturating, so a far-off coordinate cannot overflow).
int32_t RoundHalfAway(double v);

struct IntegerBounds {
    int32_t minX = 0;
    int32_t minY = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
};

// The generator that jitters grid positions: values 0 to 32767, its state local to one grid so
// that fills drawn at the same time on different threads never disturb each other, and the same
// seed gives the same jitter.
class JitterRandom {
public:
    static constexpr int32_t kMax = 32767;
    explicit JitterRandom(uint32_t seed) : state_(seed) {}
    int32_t Next();

private:
    uint32_t state_;
};

// What a placement produced.
enum class PlacementResult {
    Placed,   // positions appended (possibly none, for an unknown placement code)
    NoCell,   // the cell is not a positive finite size: no grid can be laid
    TooMany,  // the grid would hold more than kMaxMarkerPositions markers: none placed
};

// The ring closed: the first point appended when the last differs from it by the tolerance.
std::vector<Pictor::PointD> CloseRing(const Pictor::PointD* points, size_t count);

// Grid offset along one axis, in drawing units, from an offset already scaled to drawing units:
// the cell minus the offset's remainder modulo the cell (an offset of 0 gives the whole cell).
double GridOffset(double offset, double cell);

IntegerBounds GetIntegerBounds(const std::vector<Pictor::PointD>& ring);

// Grid modes: 0 plain, 1 staggered, 2 jittered with `seed`.
PlacementResult GenerateMarkerGrid(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   std::vector<Pictor::PointD>* positions, Pictor::PointD cell, int mode,
                                   double offX, double offY, uint32_t seed);

// One point inside the polygon: the middle of a chord along the bounds' centre line.
Pictor::PointD FindInteriorPoint(const std::vector<Pictor::PointD>& ring);

// Whether the ring's integer bounds cover more than 256 square drawing units.
bool IsRingLargeEnough(const std::vector<Pictor::PointD>& ring);

// Appends the positions of placement `code` (a MarkerFillPlacement) for the closed ring.
PlacementResult ComputeMarkerPositions(const std::vector<Pictor::PointD>& ring,
                                       std::vector<Pictor::PointD>* positions, int32_t code,
                                       Pictor::PointD cell, double offX, double offY, uint32_t seed);

}  // namespace symbolize
