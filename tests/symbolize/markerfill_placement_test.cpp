// Where a marker fill puts its markers, computed alone on small rings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "contracts/symbol/fill.h"
#include "symbolize/marker_fill_placement.h"

namespace {

using Pictor::PointD;
using symbolize::PlacementResult;

constexpr uint32_t kSeed = 7;
const PointD kCell{20, 20};

std::vector<PointD> Grid(int mode, double offX, double offY, uint32_t seed = kSeed) {
    std::vector<PointD> positions;
    EXPECT_EQ(symbolize::GenerateMarkerGrid(0, 0, 100, 50, &positions, kCell, mode, offX, offY, seed),
              PlacementResult::Placed);
    return positions;
}

TEST(MarkerFillPlacementTest, PlainGridStartsACellBeforeTheBoundsAndFollowsTheOffset) {
    const std::vector<PointD> grid = Grid(0, symbolize::GridOffset(0, 20), symbolize::GridOffset(0, 20));
    ASSERT_EQ(grid.size(), 40u);  // 5 rows (j < 4.5) of 8 columns (i < 8.0)
    EXPECT_EQ(grid.front(), PointD(-10, -10));
    EXPECT_EQ(grid[7], PointD(130, -10));
    EXPECT_EQ(grid.back(), PointD(130, 70));

    // An offset moves the grid by its remainder modulo the cell, either way.
    EXPECT_EQ(Grid(0, symbolize::GridOffset(5, 20), 20).front(), PointD(-5, -10));
    EXPECT_EQ(Grid(0, symbolize::GridOffset(-5, 20), 20).front(), PointD(-15, -10));
    EXPECT_EQ(Grid(0, symbolize::GridOffset(25, 20), 20), Grid(0, symbolize::GridOffset(5, 20), 20));
}

TEST(MarkerFillPlacementTest, StaggeredRowsAlternateByHalfACell) {
    const std::vector<PointD> plain = Grid(0, 20, 20);
    const std::vector<PointD> staggered = Grid(1, 20, 20);
    ASSERT_EQ(staggered.size(), plain.size());
    for (size_t k = 0; k < plain.size(); ++k) {
        const bool oddRow = (k / 8) % 2 == 1;
        EXPECT_EQ(staggered[k].x, plain[k].x - (oddRow ? 10 : 0)) << k;
        EXPECT_EQ(staggered[k].y, plain[k].y);
    }
}

TEST(MarkerFillPlacementTest, JitterStaysWithinAFifthOfACellAndRepeatsWithItsSeed) {
    const std::vector<PointD> plain = Grid(0, 20, 20);
    const std::vector<PointD> jittered = Grid(2, 20, 20);
    ASSERT_EQ(jittered.size(), plain.size());
    bool moved = false;
    for (size_t k = 0; k < plain.size(); ++k) {
        EXPECT_LE(std::fabs(jittered[k].x - plain[k].x), 0.191 * kCell.x);
        EXPECT_LE(std::fabs(jittered[k].y - plain[k].y), 0.191 * kCell.y);
        moved = moved || jittered[k] != plain[k];
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(Grid(2, 20, 20), jittered);
    EXPECT_NE(Grid(2, 20, 20, kSeed + 1), jittered);

    symbolize::JitterRandom random(kSeed);
    for (int k = 0; k < 1000; ++k) {
        const int32_t v = random.Next();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, symbolize::JitterRandom::kMax);
    }
}

TEST(MarkerFillPlacementTest, UnusableOrOversizedGridsPlaceNothing) {
    std::vector<PointD> positions;
    EXPECT_EQ(symbolize::GenerateMarkerGrid(0, 0, 100, 50, &positions, {0, 20}, 0, 0, 20, kSeed),
              PlacementResult::NoCell);
    EXPECT_EQ(symbolize::GenerateMarkerGrid(0, 0, 100, 50, &positions, {NAN, 20}, 0, NAN, 20, kSeed),
              PlacementResult::NoCell);
    // A tiny cell over a continent would be billions of markers.
    EXPECT_EQ(symbolize::GenerateMarkerGrid(-2000000000, -2000000000, 2000000000, 2000000000, &positions,
                                            {0.01, 0.01}, 0, 0.01, 0.01, kSeed),
              PlacementResult::TooMany);
    // An offset that puts every column past the bounds leaves no grid, however many rows.
    EXPECT_EQ(
        symbolize::GenerateMarkerGrid(0, -2000000000, 100, 2000000000, &positions, kCell, 0, -1e9, 20, kSeed),
        PlacementResult::Placed);
    EXPECT_TRUE(positions.empty());
}

TEST(MarkerFillPlacementTest, VerticesInteriorAndUnknownCodes) {
    const std::vector<PointD> triangle =
        symbolize::CloseRing(std::vector<PointD>{{0, 0}, {10, 0}, {0, 10}}.data(), 3);
    std::vector<PointD> positions;
    symbolize::ComputeMarkerPositions(triangle, &positions, MarkerFillVertices, kCell, 20, 20, kSeed);
    EXPECT_EQ(positions, (std::vector<PointD>{{0, 0}, {10, 0}, {0, 10}, {0, 0}}));

    positions.clear();
    symbolize::ComputeMarkerPositions(triangle, &positions, 7, kCell, 20, 20, kSeed);
    EXPECT_TRUE(positions.empty());

    const std::vector<PointD> rectangle = {{0, 0}, {100, 0}, {100, 50}, {0, 50}, {0, 0}};
    EXPECT_EQ(symbolize::FindInteriorPoint(rectangle), PointD(50, 25));
    // A U whose notch holds the bounds' centre: its centre line y = 20 crosses the ring at x 100,
    // 70, 30 and 0 in ring order, and the point is the middle of the third and fourth, in the
    // left arm.
    const std::vector<PointD> u = {{0, 0},    {100, 0}, {100, 40}, {60, 40}, {80, 0.5},
                                   {20, 0.5}, {40, 40}, {0, 40},   {0, 0}};
    EXPECT_EQ(symbolize::FindInteriorPoint(u), PointD(15, 20));
}

TEST(MarkerFillPlacementTest, RingsOfAtMost256SquareUnitsAreTooSmall) {
    const auto square = [](double w, double h) {
        return std::vector<PointD>{{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}};
    };
    EXPECT_FALSE(symbolize::IsRingLargeEnough(square(16, 16)));
    EXPECT_TRUE(symbolize::IsRingLargeEnough(square(17, 16)));
    // Far-off coordinates saturate instead of overflowing.
    EXPECT_EQ(symbolize::RoundHalfAway(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(symbolize::RoundHalfAway(-2.5), -3);
    EXPECT_EQ(symbolize::RoundHalfAway(2.4999995), 3);
}

}  // namespace
