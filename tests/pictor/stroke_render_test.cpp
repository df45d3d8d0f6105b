// Pens on the raster canvas: dashes, caps, joins and widths, probed pixel by pixel with
// antialiasing off so that a pixel is either inside the stroke (its centre is) or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "pictor/stroke_geometry.h"
#include "tests/pictor/pixel_probe.h"

namespace Pictor::test {
namespace {

class StrokeRender : public ::testing::Test {
protected:
    StrokeRender() : canvas_(120, 80), g_(&canvas_) { g_.SetSmoothingMode(SmoothingOff); }

    GraphicsPath Polyline(std::vector<PointD> points) {
        GraphicsPath path;
        path.AddLines(points.data(), static_cast<int>(points.size()));
        return path;
    }

    RasterCanvas canvas_;
    Graphics g_;
};

TEST_F(StrokeRender, EveryDashStyleRepeatsItsPatternInPenWidths) {
    const double custom[] = {2, 1, 1, 3};
    for (int style = DashStyleDash; style <= DashStyleCustom; ++style) {
        SCOPED_TRACE("dash style " + std::to_string(style));
        RasterCanvas canvas(100, 10);
        Graphics g(&canvas);
        g.SetSmoothingMode(SmoothingOff);
        Pen pen(kRed, 2);
        if (style == DashStyleCustom) {
            ASSERT_EQ(pen.SetDashPattern(custom, 4), Ok);
        } else {
            ASSERT_EQ(pen.SetDashStyle(style), Ok);
        }
        ASSERT_EQ(g.DrawLine(&pen, PointD{0, 5}, PointD{100, 5}), Ok);

        const std::vector<double> pattern = pen.GetEffectiveDashPattern();
        double period = 0;
        for (double d : pattern) period += d * 2;
        for (int x = 0; x < 100; ++x) {
            // Which entry of the pattern the pixel centre falls in: even entries are drawn.
            double along = std::fmod(x + 0.5, period);
            size_t entry = 0;
            while (along >= pattern[entry] * 2) along -= pattern[entry++] * 2;
            EXPECT_TRUE(PixelIs(canvas, x, 5, entry % 2 == 0 ? kRed : kClear));
        }
        EXPECT_TRUE(PixelIs(canvas, 1, 3, kClear)) << "the line is two pixels wide";
    }
}

TEST_F(StrokeRender, CapsExtendTheEndsByTheirShape) {
    // A 7-wide line on the row centres y = 20.5 ending at x = 30; probes are pixel centres.
    struct Case {
        int cap;
        bool justPast;    // (30.5, 20.5): half a unit past the end
        bool onAxis;      // (32.5, 20.5): inside every cap but the flat one
        bool offAxis;     // (32.5, 18.5): outside a triangle's slope, inside a circle
        bool nearCorner;  // (32.5, 17.5): only a square cap reaches it
    };
    const Case cases[] = {
        {LineCapFlat, false, false, false, false},
        {LineCapSquare, true, true, true, true},
        {LineCapRound, true, true, true, false},
        {LineCapTriangle, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("cap " + std::to_string(c.cap));
        RasterCanvas canvas(50, 40);
        Graphics g(&canvas);
        g.SetSmoothingMode(SmoothingOff);
        Pen pen(kBlue, 7);
        ASSERT_EQ(pen.SetLineCap(c.cap), Ok);
        ASSERT_EQ(g.DrawLine(&pen, PointD{10, 20.5}, PointD{30, 20.5}), Ok);
        EXPECT_TRUE(PixelIs(canvas, 29, 20, kBlue));
        EXPECT_TRUE(PixelIs(canvas, 30, 20, c.justPast ? kBlue : kClear));
        EXPECT_TRUE(PixelIs(canvas, 32, 20, c.onAxis ? kBlue : kClear));
        EXPECT_TRUE(PixelIs(canvas, 32, 18, c.offAxis ? kBlue : kClear));
        EXPECT_TRUE(PixelIs(canvas, 32, 17, c.nearCorner ? kBlue : kClear));
        // The start gets the same cap, mirrored.
        EXPECT_TRUE(PixelIs(canvas, 7, 20, c.onAxis ? kBlue : kClear));
        EXPECT_TRUE(PixelIs(canvas, 7, 18, c.offAxis ? kBlue : kClear));
    }
}

TEST_F(StrokeRender, TriangleCapsPointEveryDash) {
    Pen pen(kRed, 8);
    const double pattern[] = {2, 2};  // dashes and gaps of 16 units: dashes at 0-16, 32-48, ...
    ASSERT_EQ(pen.SetDashPattern(pattern, 2), Ok);
    ASSERT_EQ(pen.SetLineCap(LineCapTriangle), Ok);
    ASSERT_EQ(g_.DrawLine(&pen, PointD{0, 50}, PointD{120, 50}), Ok);
    EXPECT_TRUE(PixelIs(canvas_, 49, 50, kRed)) << "tip after the second dash";
    EXPECT_TRUE(PixelIs(canvas_, 30, 50, kRed)) << "tip before the second dash";
    EXPECT_TRUE(PixelIs(canvas_, 49, 46, kClear)) << "a tip narrows";
    EXPECT_TRUE(PixelIs(canvas_, 27, 50, kClear));
    EXPECT_TRUE(PixelIs(canvas_, 56, 50, kClear)) << "middle of a gap";
}

TEST_F(StrokeRender, TranslucentTriangleCapsBlendOnce) {
    Pen pen(Color(128, 255, 0, 0), 8);
    ASSERT_EQ(pen.SetLineCap(LineCapTriangle), Ok);
    ASSERT_EQ(g_.DrawLine(&pen, PointD{10, 20}, PointD{30, 20}), Ok);
    const Color middle = canvas_.GetPixel(20, 20);
    EXPECT_EQ(middle.GetA(), 128);
    EXPECT_TRUE(PixelIs(canvas_, 29, 20, middle)) << "where cap and line overlap";
    EXPECT_TRUE(PixelIs(canvas_, 32, 20, middle)) << "inside the cap";
}

TEST_F(StrokeRender, JoinsShapeTheOuterCorner) {
    // A right angle with its outer corner at (45, 45); bevel cuts along x + y = 85.
    const GraphicsPath corner = Polyline({{10, 40}, {40, 40}, {40, 10}});
    struct Case {
        int join;
        bool corner;  // (44, 44)
        bool round;   // (42, 43): inside a round join, outside the bevel
    };
    for (const Case& c : {Case{LineJoinMiter, true, true}, Case{LineJoinBevel, false, false},
                          Case{LineJoinRound, false, true}, Case{LineJoinMiterClipped, true, true}}) {
        SCOPED_TRACE("join " + std::to_string(c.join));
        RasterCanvas canvas(60, 60);
        Graphics g(&canvas);
        g.SetSmoothingMode(SmoothingOff);
        Pen pen(kGreen, 10);
        ASSERT_EQ(pen.SetLineJoin(c.join), Ok);
        ASSERT_EQ(g.DrawPath(&pen, &corner), Ok);
        EXPECT_TRUE(PixelIs(canvas, 41, 42, kGreen));
        EXPECT_TRUE(PixelIs(canvas, 44, 44, c.corner ? kGreen : kClear));
        EXPECT_TRUE(PixelIs(canvas, 42, 43, c.round ? kGreen : kClear));
    }
}

TEST_F(StrokeRender, SharpMitersBevelOrClipAtTheLimit) {
    // Turning back at (60, 30): the miter would reach x = 73.4 (2.69 half widths beyond the
    // vertex); with limit 2 a miter becomes a bevel (to x = 61.9) and a clipped miter stops at 70.
    const GraphicsPath spike = Polyline({{10, 10}, {60, 30}, {10, 50}});
    struct Case {
        int join;
        double limit;
        bool at66;
        bool at71;
    };
    for (const Case& c :
         {Case{LineJoinMiter, 10, true, true}, Case{LineJoinMiter, 2, false, false},
          Case{LineJoinMiterClipped, 2, true, false}, Case{LineJoinMiterClipped, 10, true, true}}) {
        SCOPED_TRACE("join " + std::to_string(c.join) + " limit " + std::to_string(c.limit));
        RasterCanvas canvas(80, 60);
        Graphics g(&canvas);
        g.SetSmoothingMode(SmoothingOff);
        Pen pen(kGreen, 10);
        ASSERT_EQ(pen.SetLineJoin(c.join), Ok);
        ASSERT_EQ(pen.SetMiterLimit(c.limit), Ok);
        ASSERT_EQ(g.DrawPath(&pen, &spike), Ok);
        EXPECT_TRUE(PixelIs(canvas, 60, 30, kGreen));
        EXPECT_TRUE(PixelIs(canvas, 66, 30, c.at66 ? kGreen : kClear));
        EXPECT_TRUE(PixelIs(canvas, 71, 30, c.at71 ? kGreen : kClear));
    }
}

TEST_F(StrokeRender, WidthScalesWithTheWorldButZeroIsOneDevicePixel) {
    Matrix scale(10, 0, 0, 10, 0, 0);
    ASSERT_EQ(g_.SetTransform(&scale), Ok);
    Pen hairline(kRed, 0);
    ASSERT_EQ(g_.DrawLine(&hairline, PointD{0, 2.05}, PointD{10, 2.05}), Ok);  // device row 20
    Pen wide(kBlue, 1);
    ASSERT_EQ(g_.DrawLine(&wide, PointD{0, 5}, PointD{10, 5}), Ok);  // device rows 45 to 54
    EXPECT_TRUE(PixelIs(canvas_, 50, 20, kRed));
    EXPECT_TRUE(PixelIs(canvas_, 50, 19, kClear));
    EXPECT_TRUE(PixelIs(canvas_, 50, 21, kClear));
    EXPECT_TRUE(PixelIs(canvas_, 50, 45, kBlue));
    EXPECT_TRUE(PixelIs(canvas_, 50, 54, kBlue));
    EXPECT_TRUE(PixelIs(canvas_, 50, 55, kClear));
}

TEST_F(StrokeRender, HairlineDashesAreCountedInDevicePixels) {
    Matrix scale(10, 0, 0, 10, 0, 0);
    ASSERT_EQ(g_.SetTransform(&scale), Ok);
    Pen pen(kRed, 0);
    ASSERT_EQ(pen.SetDashStyle(DashStyleDot), Ok);
    ASSERT_EQ(g_.DrawLine(&pen, PointD{0, 1.05}, PointD{10, 1.05}), Ok);
    for (int x = 0; x < 10; ++x) EXPECT_TRUE(PixelIs(canvas_, x, 10, x % 2 == 0 ? kRed : kClear));
    // At 288 ppi the device scale is 3: the hairline is three pixels wide (rows 9 to 11) and so
    // are its dots.
    RasterCanvas print(30, 20, kClear, 288);
    Graphics p(&print);
    ASSERT_EQ(p.DrawLine(&pen, PointD{0, 10.5}, PointD{30, 10.5}), Ok);
    for (int x = 0; x < 30; ++x) EXPECT_TRUE(PixelIs(print, x, 10, x / 3 % 2 == 0 ? kRed : kClear));
    EXPECT_TRUE(PixelIs(print, 1, 9, kRed) && PixelIs(print, 1, 11, kRed) && PixelIs(print, 1, 12, kClear));
}

TEST_F(StrokeRender, TooManyDashesDrawASolidLine) {
    // Two million one-pixel dashes along a line two million pixels long: over the cap.
    Matrix scale(1000, 0, 0, 1000, 0, 0);
    ASSERT_EQ(g_.SetTransform(&scale), Ok);
    Pen pen(kRed, 0.001);
    ASSERT_EQ(pen.SetDashStyle(DashStyleDot), Ok);
    ASSERT_EQ(g_.DrawLine(&pen, PointD{0, 0.0105}, PointD{2000, 0.0105}), Ok);
    for (int x = 0; x < 20; ++x) EXPECT_TRUE(PixelIs(canvas_, x, 10, kRed));
}

// The geometry stage alone.
TEST(StrokeGeometry, DashesOfAClosedFigureJoinAcrossTheStart) {
    stroke::Polyline square{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true};
    const std::vector<stroke::Polyline> dashes = stroke::ApplyDashes({square}, {6, 4});
    // Perimeter 40: dashes at 0-6, 10-16, 20-26, 30-36; the pattern ends "off", nothing to join.
    ASSERT_EQ(dashes.size(), 4u);
    const std::vector<stroke::Polyline> joined = stroke::ApplyDashes({square}, {6, 3});
    // Dashes at 0-6, 9-15, 18-24, 27-33, 36-40 joined with 0-6 into one dash from 36 to 6,
    // which comes last.
    ASSERT_EQ(joined.size(), 4u);
    const stroke::Polyline& across = joined.back();
    const std::vector<PointD> expected = {{0, 4}, {0, 0}, {6, 0}};
    ASSERT_EQ(across.points.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(across.points[i].x, expected[i].x, 1e-9);
        EXPECT_NEAR(across.points[i].y, expected[i].y, 1e-9);
    }
    EXPECT_FALSE(across.closed);
}

TEST(StrokeGeometry, ALongDashKeepsAFigureClosed) {
    stroke::Polyline square{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true};
    const std::vector<stroke::Polyline> dashes = stroke::ApplyDashes({square}, {100, 1});
    ASSERT_EQ(dashes.size(), 1u);
    EXPECT_TRUE(dashes[0].closed);
}

TEST(StrokeGeometry, ClippedMitersOnlyWhereTheMiterIsTooLong) {
    std::vector<stroke::Polygon> extras;
    stroke::AddClippedMiters({{{0, 0}, {10, 0}, {10, 10}}, false}, 1, 10, true, &extras);
    EXPECT_TRUE(extras.empty()) << "a right angle is a true miter at limit 10";
    // A spike symmetric about the x axis: the cut is the line x = 12, twice the half width out.
    stroke::AddClippedMiters({{{0, -1}, {10, 0}, {0, 1}}, false}, 1, 2, true, &extras);
    ASSERT_EQ(extras.size(), 1u);
    double reach = 0;
    for (const PointD& p : extras[0]) reach = std::max(reach, p.x);
    EXPECT_NEAR(reach, 12, 1e-9);
}

TEST(StrokeGeometry, ClippedPolylinesRejoinAcrossTheStartOfAClosedFigure) {
    // A closed square whose right side leaves the box: one open piece from the cut at the top,
    // round through the start point, to the cut at the bottom.
    const stroke::Polyline square{{{0, 0}, {20, 0}, {20, 10}, {0, 10}}, true};
    const RectD box{-5, -5, 15, 20};
    const std::vector<stroke::Polyline> pieces = stroke::ClipPolylines({square}, Matrix(), box);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_FALSE(pieces[0].closed);
    const std::vector<PointD> expected = {{10, 10}, {0, 10}, {0, 0}, {10, 0}};
    EXPECT_EQ(pieces[0].points, expected);
    EXPECT_TRUE(stroke::ClipPolylines({square}, Matrix(), RectD{-1, -1, 30, 30})[0].closed)
        << "wholly inside";
}

TEST(StrokeGeometry, ClippedPolygonsKeepWindingInsideTheBox) {
    // Twice round a square much larger than the box, in device space under a scale of 2.
    const stroke::Polyline twice{{{-100, -100},
                                  {100, -100},
                                  {100, 100},
                                  {-100, 100},
                                  {-100, -100},
                                  {100, -100},
                                  {100, 100},
                                  {-100, 100}},
                                 true};
    const Matrix scale(2, 0, 0, 2, 0, 0);
    const std::vector<stroke::Polyline> clipped = stroke::ClipPolygons({twice}, scale, RectD{0, 0, 10, 10});
    ASSERT_EQ(clipped.size(), 1u);
    // Every point lies on the box (in drawing units, 0..5), and the ring goes round it twice.
    double area2 = 0;
    const auto& p = clipped[0].points;
    for (size_t i = 0; i < p.size(); ++i) {
        EXPECT_GE(p[i].x, -1e-9);
        EXPECT_LE(p[i].x, 5 + 1e-9);
        area2 += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    }
    EXPECT_NEAR(area2 / 2, 2 * 25, 1e-9);
}

TEST(StrokeGeometry, FlatteningMeetsTheToleranceOnTheDevice) {
    GraphicsPath circle;
    circle.AddEllipse(-1, -1, 2, 2);
    const Matrix scale(100, 0, 0, 100, 0, 0);  // a circle of radius 100 device pixels
    std::vector<stroke::Polyline> figures;
    ASSERT_TRUE(stroke::FlattenFigures(circle, scale, 0.1, &figures));
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_TRUE(figures[0].closed);
    const auto& pts = figures[0].points;
    EXPECT_GT(pts.size(), 40u) << "enough chords for 0.1 px on a radius of 100 px";
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        const PointD mid{(pts[i].x + pts[i + 1].x) / 2, (pts[i].y + pts[i + 1].y) / 2};
        EXPECT_LE(100 * (1 - std::hypot(mid.x, mid.y)), 0.1 + 0.03)
            << "chord " << i;  // plus the Bezier's own error
    }
}

TEST(StrokeGeometry, DashCountEstimateErrsHigh) {
    EXPECT_GE(stroke::EstimateDashCount(100, {3, 1}, 1), 50);
    EXPECT_TRUE(std::isinf(stroke::EstimateDashCount(100, {}, 1)));
}

}  // namespace
}  // namespace Pictor::test
