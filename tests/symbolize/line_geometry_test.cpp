// The line geometry stages on their own: trimming, offset lines, the dash walkers and placement
// along a line, on tiny hand-made polylines.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "symbolize/line_geometry.h"

namespace {

using Pictor::PointD;
using symbolize::DashWalker;
using symbolize::LinePiece;

// Coordinates computed through sines and cosines agree with hand values to this much.
constexpr double kNear = 1e-9;
// The offset walker turns by a quarter turn given to eight digits: off by d x 2.7e-8.
constexpr double kQuarterTurnNear = 1e-7;

void ExpectPoint(const PointD& actual, const PointD& expected, double tolerance, const char* what, size_t i) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what << " " << i;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what << " " << i;
}

void ExpectPoints(const std::vector<PointD>& actual, const std::vector<PointD>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) ExpectPoint(actual[i], expected[i], kNear, "point", i);
}

void ExpectPieces(const std::vector<LinePiece>& actual, const std::vector<LinePiece>& expected,
                  double tolerance = kNear) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        ExpectPoint(actual[i].from, expected[i].from, tolerance, "from", i);
        ExpectPoint(actual[i].to, expected[i].to, tolerance, "to", i);
    }
}

// One dash of `dash` per period of dash + gap along the centre of `line`.
std::vector<LinePiece> CentreDashes(const std::vector<PointD>& line, double dash, double gap) {
    symbolize::PieceList list;
    DashWalker walker(dash, gap, &list);
    for (size_t i = 0; i + 1 < line.size(); ++i) walker.CentreSegment(line[i], line[i + 1]);
    return list.pieces;
}

// The same on the offset line at distance d (the plus line for side 0, the minus line for 1).
std::vector<LinePiece> OffsetDashes(const std::vector<PointD>& line, double dash, double gap, double d,
                                    int side) {
    std::vector<PointD> plus, minus;
    symbolize::BuildOffsetLines(line, d, &plus, &minus);
    const std::vector<PointD>& onto = side == 1 ? minus : plus;
    symbolize::PieceList list;
    DashWalker walker(dash, gap, &list);
    for (size_t i = 0; i + 1 < line.size(); ++i) walker.OffsetSegment(line[i], line[i + 1], onto[i], onto[i + 1], d, side);
    return list.pieces;
}

struct Placed {
    PointD at;
    double theta;
};

std::vector<Placed> AtInterval(const std::vector<PointD>& line, double step) {
    std::vector<Placed> placed;
    symbolize::PlaceAtInterval(line, step, [&](const PointD& c, double theta) { placed.push_back({c, theta}); });
    return placed;
}

std::vector<PointD> Positions(const std::vector<Placed>& placed) {
    std::vector<PointD> points;
    for (const Placed& p : placed) points.push_back(p.at);
    return points;
}

TEST(LineGeometryTest, TrimLineStartWalksAcrossVerticesAndRefusesTheWholeLine) {
    const std::vector<PointD> bent = {{0, 0}, {2, 0}, {2, 5}, {6, 5}};
    const struct {
        double length;
        std::vector<PointD> expected;
    } cases[] = {{3.0, {{2, 1}, {2, 5}, {6, 5}}},  // uses up the 2-unit segment and 1 of the next
                 {7.5, {{2.5, 5}, {6, 5}}},        // lands 0.5 into the third segment
                 {2.0, {{2, 0}, {2, 5}, {6, 5}}}};  // exactly on a vertex: the start moves to it
    for (const auto& c : cases) {
        std::vector<PointD> line = bent;
        ASSERT_TRUE(symbolize::TrimLineStart(c.length, &line)) << c.length;
        ExpectPoints(line, c.expected);
    }
    for (double whole : {11.0 - 0.00005, 11.0, 50.0}) {
        std::vector<PointD> line = bent;
        EXPECT_FALSE(symbolize::TrimLineStart(whole, &line)) << whole;
    }
}

TEST(LineGeometryTest, OffsetLinesAreMitredAndAReversalRepeatsThePreviousPoint) {
    std::vector<PointD> plus, minus;
    symbolize::BuildOffsetLines({{0, 0}, {10, 0}, {10, 10}}, 1.0, &plus, &minus);
    ExpectPoints(plus, {{0, 1}, {9, 1}, {9, 10}});  // the left-hand normal of +x is +y
    ExpectPoints(minus, {{0, -1}, {11, -1}, {11, 10}});

    symbolize::BuildOffsetLines({{0, 0}, {10, 0}, {4, 0}, {4, 6}}, 1.0, &plus, &minus);
    ASSERT_EQ(plus.size(), 4u);
    ExpectPoint(plus[1], plus[0], kNear, "repeated", 1);  // turns straight back at (10, 0)
    ExpectPoint(minus[1], minus[0], kNear, "repeated", 1);
    for (const PointD& p : plus) EXPECT_LT(std::abs(p.x) + std::abs(p.y), 20.0);
}

TEST(LineGeometryTest, IsBetweenHoldsForEveryDirectionAndNeverForAnEmptySegment) {
    // Segments running toward -x are where an angle-based test would fail.
    for (const auto& [b, c] : std::vector<std::pair<PointD, PointD>>{
             {{0, 0}, {4, 0}}, {{4, 0}, {0, 0}}, {{0, 4}, {0, 0}}, {{3, 3}, {-1, -1}}}) {
        const PointD mid((b.x + c.x) / 2, (b.y + c.y) / 2);
        const PointD beyond(c.x + (c.x - b.x), c.y + (c.y - b.y));
        EXPECT_TRUE(symbolize::IsBetween(mid, b, c));
        EXPECT_TRUE(symbolize::IsBetween(b, b, c));
        EXPECT_TRUE(symbolize::IsBetween(c, b, c));
        EXPECT_FALSE(symbolize::IsBetween(beyond, b, c));
        EXPECT_TRUE(symbolize::IsNearerFirst(beyond, c, b));
        EXPECT_FALSE(symbolize::IsNearerFirst(beyond, b, c));
    }
    EXPECT_FALSE(symbolize::IsBetween(PointD(1, 1), PointD(1, 1), PointD(1, 1)));
}

TEST(LineGeometryTest, CentreDashesCarryTheirPeriodAcrossVertices) {
    ExpectPieces(CentreDashes({{0, 0}, {10, 0}}, 2, 1),
                 {{{0, 0}, {2, 0}}, {{3, 0}, {5, 0}}, {{6, 0}, {8, 0}}, {{9, 0}, {10, 0}}});
    // 0-2, then 3-5 across the vertex at 4 as one piece per segment, then 6-8.
    ExpectPieces(CentreDashes({{0, 0}, {4, 0}, {4, 5}}, 2, 1),
                 {{{0, 0}, {2, 0}}, {{3, 0}, {4, 0}}, {{4, 0}, {4, 1}}, {{4, 2}, {4, 4}}});
    // A segment ending in a gap that runs on into the next one.
    ExpectPieces(CentreDashes({{0, 0}, {2.5, 0}, {2.5, 5}}, 2, 1),
                 {{{0, 0}, {2, 0}}, {{2.5, 0.5}, {2.5, 2.5}}, {{2.5, 3.5}, {2.5, 5}}});
    // A segment tiny against the period uses up none of it.
    const std::vector<LinePiece> tiny = CentreDashes({{0, 0}, {1, 0}, {1.0000001, 0}, {4, 0}}, 2, 1);
    ASSERT_EQ(tiny.size(), 3u);
    EXPECT_NEAR(tiny[1].to.x, 2.0, 1e-6);
    EXPECT_NEAR(tiny[2].from.x, 3.0, 1e-6);
}

TEST(LineGeometryTest, OffsetDashesRunThroughTheOuterMitreAndLoseTheCutOffInnerCorner) {
    // Left of travel as seen on a y-down output: the minus line, side 1.
    ExpectPieces(OffsetDashes({{0, 0}, {4, 0}, {4, 10}}, 2, 1, 1.0, 1),
                 {{{0, -1}, {2, -1}},
                  {{3, -1}, {5, -1}},  // up to the mitre point...
                  {{5, -1}, {5, 1}},   // ...and on from it
                  {{5, 2}, {5, 4}},
                  {{5, 5}, {5, 7}},
                  {{5, 8}, {5, 10}}},
                 kQuarterTurnNear);
    // Inside the turn the dash from 3 to 5 falls on the cut-off corner at (3, 1): nothing of it
    // is drawn, not even a point.
    ExpectPieces(OffsetDashes({{0, 0}, {4, 0}, {4, 10}}, 2, 1, 1.0, 0),
                 {{{0, 1}, {2, 1}}, {{3, 2}, {3, 4}}, {{3, 5}, {3, 7}}, {{3, 8}, {3, 10}}}, kQuarterTurnNear);
}

TEST(LineGeometryTest, OffsetDashesTurnByTheEightDigitQuarterTurn) {
    const std::vector<LinePiece> pieces = OffsetDashes({{0, 0}, {10, 0}}, 2, 1, 1000.0, 0);
    ASSERT_FALSE(pieces.empty());
    // Moved by 1000 (cos, sin) of pi/2 - 1.5707963 past the quarter turn: 2.68e-5 along x.
    EXPECT_NEAR(pieces[1].from.x - 3.0, 1000.0 * std::cos(1.5707963), 1e-9);
}

TEST(LineGeometryTest, PlacementAtIntervalCarriesAcrossVertices) {
    // 0, 2, 4 on the first segment; the carry of 1 puts the next 1 into the second.
    const std::vector<Placed> bent = AtInterval({{0, 0}, {5, 0}, {5, 5}}, 2.0);
    ExpectPoints(Positions(bent), {{0, 0}, {2, 0}, {4, 0}, {5, 1}, {5, 3}, {5, 5}});
    EXPECT_NEAR(bent[3].theta, std::atan2(1.0, 0.0), kNear);
    // A segment ending on a position starts the next one with another on the same point.
    ExpectPoints(Positions(AtInterval({{0, 0}, {4, 0}, {4, 2}}, 2.0)), {{0, 0}, {2, 0}, {4, 0}, {4, 0}, {4, 2}});
    // A segment shorter than the carry only shortens it; a repeated vertex ends only its segment.
    ExpectPoints(Positions(AtInterval({{0, 0}, {3, 0}, {3.5, 0}, {6, 0}, {6, 0}, {8, 0}}, 2.0)),
                 {{0, 0}, {2, 0}, {4, 0}, {6, 0}, {6, 0}, {8, 0}});
}

TEST(LineGeometryTest, PlacementAtDistanceStopsAtTheEndFacingAlongTheLastSegment) {
    const std::vector<PointD> bent = {{0, 0}, {4, 0}, {4, 6}};
    const symbolize::LinePlacement inside = symbolize::PlaceAtDistance(bent.data(), bent.size(), 5.0);
    ExpectPoint(inside.at, PointD(4, 1), kNear, "inside", 0);
    EXPECT_NEAR(inside.theta, std::atan2(1.0, 0.0), kNear);
    for (double pastEnd : {10.0, 10.00005, 1e9}) {
        const symbolize::LinePlacement end = symbolize::PlaceAtDistance(bent.data(), bent.size(), pastEnd);
        ExpectPoint(end.at, PointD(4, 6), kNear, "end", 0);
        EXPECT_NEAR(end.theta, std::atan2(1.0, 0.0), kNear);
    }
    ExpectPoint(symbolize::PlaceAtDistance(bent.data(), bent.size(), 0.0).at, PointD(0, 0), kNear, "start", 0);
}

TEST(LineGeometryTest, HashStrokesLieAcrossTheLineInSinglePrecision) {
    // Left of travel as seen on a y-down output: toward smaller y for a line running in +x.
    const LinePiece offset = symbolize::HashStroke(PointD(1, 10), 0.0, 2.0, 1.0);
    ExpectPoint(offset.from, PointD(1, 8.5), 0.0, "from", 0);
    ExpectPoint(offset.to, PointD(1, 7.5), 0.0, "to", 0);
    // Centred on the line, the stroke runs the other way round; a zero length is a point.
    const LinePiece centred = symbolize::HashStroke(PointD(1, 10), 0.0, 0.0, 1.0);
    EXPECT_EQ(centred.from, PointD(1, 9.5));
    EXPECT_EQ(centred.to, PointD(1, 10.5));
    const LinePiece dot = symbolize::HashStroke(PointD(3, 3), 0.5, 0.0, 0.0);
    EXPECT_EQ(dot.from, dot.to);
    // Ends are rounded to the nearest float.
    const LinePiece far = symbolize::HashStroke(PointD(0.1, 1e6 + 0.1), 0.0, 0.0, 0.0);
    EXPECT_EQ(far.from.x, static_cast<double>(0.1f));
    EXPECT_EQ(far.from.y, static_cast<double>(static_cast<float>(1e6 + 0.1)));
}

TEST(LineGeometryTest, DegreesUseTheReciprocalOfTheMarkersPi) {
    EXPECT_EQ(symbolize::ToDegrees(1.0), 180.0 * 0.31830989161357204);
    EXPECT_NEAR(symbolize::ToDegrees(1.0), 180.0 / 3.1415926, 1e-12);
}

}  // namespace
