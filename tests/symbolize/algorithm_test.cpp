// CGIS_Symbolization alone: the anchor-point thinning, the perpendicular foot it measures with,
// and the smoothing spline.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/host.h"
#include "symbolize/cgis_symbolizealgorithm.h"

namespace {

using Points = std::vector<SymbolPoint3>;

Points Make(std::initializer_list<std::pair<double, double>> xy) {
    Points points;
    for (const auto& [x, y] : xy) points.push_back(SymbolPoint3{x, y, 0.0});
    return points;
}

bool SameRecord(const SymbolPoint3& a, const SymbolPoint3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

Points Simplify(const Points& points, double tolerance) {
    Points output(points.size());
    int32_t count = 0;
    CGIS_Symbolization().Simplify(points.data(), static_cast<int32_t>(points.size()), tolerance,
                                  output.data(), &count);
    output.resize(static_cast<size_t>(count));
    return output;
}

// The thinning written as the plain recursion it is defined by; the real one must agree with it.
// *depth receives the deepest nesting of calls.
void ReferenceSimplify(const SymbolPoint3* points, int32_t count, double tolerance, Points* output,
                       int* depth = nullptr, int level = 1) {
    constexpr double kEps = 1e-15;
    if (depth) *depth = std::max(*depth, level);
    if (output->empty()) output->push_back(points[0]);
    while (count >= 2) {
        if (count == 2) {
            output->push_back(points[1]);
            return;
        }
        double farthest = tolerance;
        int32_t best = -1;
        for (int32_t i = 1; i < count - 1; ++i) {
            SymbolPoint3 foot;
            CGIS_Symbolization().PerpendicularFoot(points[i], points[0], points[count - 1], &foot);
            const double d = std::sqrt((points[i].x - foot.x) * (points[i].x - foot.x) +
                                       (points[i].y - foot.y) * (points[i].y - foot.y));
            if (d - farthest > std::fabs(kEps * d)) {
                farthest = d;
                best = i;
            }
        }
        if (best < 0) {
            output->push_back(points[count - 1]);
            return;
        }
        ReferenceSimplify(points, best + 1, tolerance, output, depth, level + 1);
        points += best;
        count -= best;
    }
}

// A zig-zag whose amplitude grows with each vertex: every stretch 0..m splits at m - 1, so the
// left parts nest as deep as the line is long.
Points NestingZigZag(int32_t n) {
    Points points;
    for (int32_t i = 0; i < n; ++i) points.push_back(SymbolPoint3{double(i), (i % 2 ? -1.0 : 1.0) * i, 0.0});
    return points;
}

struct ThreadJob {
    const Points* input;
    Points output;
};

// Runs the thinning on a thread with a stack far too small for one call frame per kept point.
Points SimplifyOnSmallStack(const Points& input) {
    constexpr size_t kSmallStack = 64 * 1024;
    ThreadJob job{&input, {}};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kSmallStack);
    pthread_t thread;
    const int started = pthread_create(
        &thread, &attr,
        [](void* arg) -> void* {
            auto* j = static_cast<ThreadJob*>(arg);
            j->output = Simplify(*j->input, 1.0);
            return nullptr;
        },
        &job);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(started, 0);
    if (started == 0) pthread_join(thread, nullptr);
    return job.output;
}

}  // namespace

class SimplifyTest : public ::testing::Test {};

TEST_F(SimplifyTest, DropsPointsWithinToleranceOfTheChord) {
    const Points flat = Make({{0, 0}, {5, 0.5}, {10, 0}});
    const Points kept = Simplify(flat, 1.0);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_TRUE(SameRecord(kept[0], flat[0]));
    EXPECT_TRUE(SameRecord(kept[1], flat[2]));

    const Points peak = Make({{0, 0}, {5, 2}, {10, 0}});
    EXPECT_EQ(Simplify(peak, 1.0).size(), 3u);
}

TEST_F(SimplifyTest, ShortListsPassThrough) {
    const Points two = Make({{1, 2}, {3, 4}});
    const Points keptTwo = Simplify(two, 1.0);
    ASSERT_EQ(keptTwo.size(), 2u);
    EXPECT_TRUE(SameRecord(keptTwo[1], two[1]));

    // One point: exactly that point, written into room for one.
    const Points one = Make({{7, 8}});
    const Points keptOne = Simplify(one, 1.0);
    ASSERT_EQ(keptOne.size(), 1u);
    EXPECT_TRUE(SameRecord(keptOne[0], one[0]));

    int32_t count = 5;
    CGIS_Symbolization().Simplify(one.data(), 0, 1.0, nullptr, &count);
    EXPECT_EQ(count, 0);
}

TEST_F(SimplifyTest, RingMeasuresHorizontalOffsetFromItsFirstPoint) {
    // First and last point coincide: the chord is the vertical line through them, so points far
    // above or below but within one unit sideways all go.
    const Points ring = Make({{0, 0}, {0.6, 50}, {0.8, -50}, {0, 0}});
    const Points kept = Simplify(ring, 1.0);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_TRUE(SameRecord(kept[1], ring[3]));

    const Points wider = Make({{0, 0}, {0.6, 50}, {1.5, -50}, {0, 0}});
    const Points keptWider = Simplify(wider, 1.0);
    ASSERT_GE(keptWider.size(), 3u);
    EXPECT_TRUE(SameRecord(keptWider[keptWider.size() - 2], wider[2]));
}

TEST_F(SimplifyTest, EqualDistancesSplitAtTheEarlierPoint) {
    // (2,3) and (4,3) lie 3 from the chord; splitting at (2,3) leaves (4,3) within 2.5 of the
    // new chord to (6,0).
    const Points points = Make({{0, 0}, {2, 3}, {4, 3}, {6, 0}});
    const Points kept = Simplify(points, 2.5);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_TRUE(SameRecord(kept[1], points[1]));
}

TEST_F(SimplifyTest, AgreesWithThePlainRecursion) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> step(-3.0, 3.0);
    for (int round = 0; round < 200; ++round) {
        Points points;
        double x = 0, y = 0;
        const int n = 2 + round % 60;
        for (int i = 0; i < n; ++i) {
            points.push_back(SymbolPoint3{x, y, double(i)});
            x += step(random);
            y += step(random);
        }
        if (round % 7 == 0) points.back() = points.front();  // rings too
        Points expected;
        ReferenceSimplify(points.data(), n, 1.0, &expected);
        const Points kept = Simplify(points, 1.0);
        ASSERT_EQ(kept.size(), expected.size()) << "round " << round;
        for (size_t i = 0; i < kept.size(); ++i)
            EXPECT_TRUE(SameRecord(kept[i], expected[i])) << round << ":" << i;
    }
}

TEST_F(SimplifyTest, DeepNestingNeedsNoCallStack) {
    const Points points = NestingZigZag(4096);
    Points expected;
    int depth = 0;
    ReferenceSimplify(points.data(), static_cast<int32_t>(points.size()), 1.0, &expected, &depth);
    ASSERT_GT(depth, 4000);
    ASSERT_EQ(expected.size(), points.size()) << "every vertex of the zig-zag is kept";

    const Points kept = SimplifyOnSmallStack(points);
    ASSERT_EQ(kept.size(), points.size());
    for (size_t i = 0; i < kept.size(); ++i) ASSERT_TRUE(SameRecord(kept[i], points[i])) << i;
}

TEST_F(SimplifyTest, MillionPointZigZagFinishesWithEveryVertex) {
    // Every vertex is kept one split at a time, which would take n^2 / 2 distance tests; the
    // budget keeps the rest of the line whole instead.
    Points points;
    constexpr int32_t kCount = 1000000;
    for (int32_t i = 0; i < kCount; ++i) points.push_back(SymbolPoint3{double(i), i % 2 ? 10.0 : 0.0, 0.0});
    const Points kept = SimplifyOnSmallStack(points);
    ASSERT_EQ(kept.size(), points.size());
    for (size_t i = 0; i < kept.size(); ++i) ASSERT_TRUE(SameRecord(kept[i], points[i])) << i;
}

class PerpendicularFootTest : public ::testing::Test {
protected:
    int32_t Foot(SymbolPoint3 p, SymbolPoint3 a, SymbolPoint3 b) {
        return algorithm.PerpendicularFoot(p, a, b, &foot);
    }
    CGIS_Symbolization algorithm;
    SymbolPoint3 foot;
};

TEST_F(PerpendicularFootTest, SlantedSegmentIsStrictlyInsideInX) {
    EXPECT_EQ(Foot({0, 10, 0}, {0, 0, 0}, {10, 10, 0}), 0);
    EXPECT_DOUBLE_EQ(foot.x, 5.0);
    EXPECT_DOUBLE_EQ(foot.y, 5.0);
    EXPECT_EQ(Foot({20, 20, 0}, {0, 0, 0}, {10, 10, 0}), -1);
    EXPECT_DOUBLE_EQ(foot.x, 20.0);
    EXPECT_EQ(Foot({10, 10, 0}, {0, 0, 0}, {10, 10, 0}), -1) << "an end point is not inside";
}

TEST_F(PerpendicularFootTest, VerticalAndHorizontalSegmentsIncludeTheirEnds) {
    EXPECT_EQ(Foot({5, 3, 0}, {2, 0, 0}, {2, 10, 0}), 0);
    EXPECT_EQ(foot.x, 2.0);
    EXPECT_EQ(foot.y, 3.0);
    EXPECT_EQ(Foot({5, 10, 0}, {2, 0, 0}, {2, 10, 0}), 0);
    EXPECT_EQ(Foot({5, 11, 0}, {2, 0, 0}, {2, 10, 0}), -1);

    EXPECT_EQ(Foot({4, 9, 0}, {0, 1, 0}, {8, 1, 0}), 0);
    EXPECT_EQ(foot.x, 4.0);
    EXPECT_EQ(foot.y, 1.0);
    EXPECT_EQ(Foot({-1, 9, 0}, {0, 1, 0}, {8, 1, 0}), -1);

    // A degenerate segment counts as vertical.
    EXPECT_EQ(Foot({3, 4, 0}, {1, 1, 0}, {1, 1, 0}), -1);
    EXPECT_EQ(foot.x, 1.0);
    EXPECT_EQ(foot.y, 4.0);
}

class BSplineTest : public ::testing::Test {
protected:
    bool Spline(const Points& points, int32_t size, Points* out) {
        SymbolPoint3* raw = nullptr;
        int32_t count = -1;
        const bool ok =
            algorithm.BSpline(points.data(), static_cast<int32_t>(points.size()), 2, 0.5, size, &raw, &count);
        const std::unique_ptr<SymbolPoint3[]> owner(raw);
        out->assign(raw, raw + (raw ? count : 0));
        if (!ok) {
            EXPECT_EQ(raw, nullptr);
            EXPECT_EQ(count, 0);
        }
        return ok;
    }
    CGIS_Symbolization algorithm;
};

TEST_F(BSplineTest, SamplesFivePointsPerSegmentRoundedHalfAwayFromZero) {
    Points points = Make({{0.5, -2.5}, {10.2, 4.5}, {20.7, -3.49}, {30.3, 7.7}});
    points[3].z = 42.0;
    Points out;
    ASSERT_TRUE(Spline(points, 5, &out));
    ASSERT_EQ(out.size(), 19u);
    for (size_t i = 0; i < 18; ++i) {
        EXPECT_EQ(out[i].x, std::trunc(out[i].x)) << i;
        EXPECT_EQ(out[i].y, std::trunc(out[i].y)) << i;
        EXPECT_EQ(out[i].z, 0.0) << i;
    }
    // Each segment begins at its input point, rounded.
    EXPECT_EQ(out[0].x, 1.0);
    EXPECT_EQ(out[0].y, -3.0);
    EXPECT_EQ(out[6].x, 10.0);
    EXPECT_EQ(out[6].y, 5.0);
    EXPECT_EQ(out[12].x, 21.0);
    EXPECT_EQ(out[12].y, -3.0);
    EXPECT_TRUE(SameRecord(out[18], points[3])) << "the last point is kept exactly";
}

TEST_F(BSplineTest, ShortListsAndSizeZeroAreCopied) {
    const Points three = Make({{0.25, 0.75}, {5.5, 1.5}, {9.9, 0.1}});
    Points out;
    ASSERT_TRUE(Spline(three, 5, &out));
    ASSERT_EQ(out.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(SameRecord(out[i], three[i]));

    const Points four = Make({{0.25, 0}, {5, 1}, {9, 0}, {14, 2}});
    ASSERT_TRUE(Spline(four, 0, &out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_TRUE(SameRecord(out[0], four[0]));

    EXPECT_FALSE(Spline(Make({{1, 1}}), 5, &out));
    EXPECT_FALSE(Spline(four, -1, &out));
}

TEST_F(BSplineTest, CoincidentPointsUseAMinimumSegmentLength) {
    const Points points = Make({{0, 0}, {10, 0}, {10, 0}, {20, 10}});
    Points out;
    ASSERT_TRUE(Spline(points, 5, &out));
    ASSERT_EQ(out.size(), 19u);
    for (const SymbolPoint3& p : out) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    // The samples between the coincident points stay on them.
    for (size_t i = 6; i < 12; ++i) {
        EXPECT_EQ(out[i].x, 10.0) << i;
        EXPECT_EQ(out[i].y, 0.0) << i;
    }
}

TEST_F(BSplineTest, RefusesAnOutputAboveTheCapAndLogsThePoints) {
    symbolhost::ScopedCaptureLog capture;
    const Points points = Make({{0, 0}, {10.7, -3.2}, {20, 0}, {30, 5}});
    Points out;
    EXPECT_FALSE(Spline(points, 2000000, &out));
    ASSERT_EQ(capture.log().Entries().size(), 1u);
    const symbolhost::LogEntry& entry = capture.log().Entries()[0];
    EXPECT_EQ(entry.level, 0);
    EXPECT_EQ(entry.function, "CGIS_Symbolization::BSpline");
    EXPECT_EQ(entry.file, "cgis_symbolizealgorithm");
    EXPECT_EQ(entry.message,
              "平滑处理出现异常。iVICount:4，type:2，coef:0.500000，size:2000000\n"
              "0, 0\n10, -3\n20, 0\n30, 5\n");
}
