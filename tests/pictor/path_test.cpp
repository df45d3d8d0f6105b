#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "contracts/pictor/path.h"
#include "contracts/pictor/pen.h"

using namespace Pictor;

namespace {

// Figures of a path as (point count, closed) pairs.
std::vector<std::pair<int, bool>> Figures(const GraphicsPath& path) {
    std::vector<std::pair<int, bool>> out;
    const auto& types = path.Types();
    for (size_t i = 0; i < types.size(); ++i) {
        if ((types[i] & PathPointTypeMask) == PathPointStart) out.push_back({0, false});
        ++out.back().first;
        if (types[i] & PathPointClose) out.back().second = true;
    }
    return out;
}

void ExpectRect(const RectD& r, double x, double y, double w, double h, double tol = 1e-9) {
    EXPECT_NEAR(r.x, x, tol);
    EXPECT_NEAR(r.y, y, tol);
    EXPECT_NEAR(r.width, w, tol);
    EXPECT_NEAR(r.height, h, tol);
}

}  // namespace

TEST(PathFigures, LinesContinueOpenFigureUntilStartedOrClosed) {
    GraphicsPath path;
    const PointD a[] = {{0, 0}, {10, 0}};
    const PointD b[] = {{10, 0}, {10, 10}};  // starts where the figure ends: no duplicate point
    const PointD c[] = {{20, 20}, {30, 20}};
    path.AddLines(a, 2);
    path.AddLines(b, 2);
    path.AddLines(c, 2);  // joins with a line from (10, 10)
    path.StartFigure();
    path.AddLine(0, 50, 5, 50);
    path.CloseFigure();
    path.AddLine(0, 60, 5, 60);  // after a close, a new figure
    EXPECT_EQ(Figures(path), (std::vector<std::pair<int, bool>>{{5, false}, {2, true}, {2, false}}));
}

TEST(PathFigures, ShapesAreClosedFiguresOfTheirOwn) {
    GraphicsPath path;
    path.AddLine(0, 0, 1, 1);
    path.AddRectangle(0, 0, 4, 2);
    path.AddEllipse(0, 0, 10, 10);
    const PointD tri[] = {{0, 0}, {1, 0}, {0, 1}};
    path.AddPolygon(tri, 3);
    EXPECT_EQ(Figures(path), (std::vector<std::pair<int, bool>>{{2, false}, {4, true}, {13, true}, {3, true}}));
    EXPECT_EQ(path.Types()[7] & PathPointTypeMask, PathPointBezier);
}

TEST(PathFigures, AddPathConnectsOnlyOpenFigures) {
    GraphicsPath open;
    open.AddLine(5, 0, 6, 0);
    GraphicsPath target;
    target.AddLine(0, 0, 1, 0);
    target.AddPath(&open, true);
    EXPECT_EQ(Figures(target), (std::vector<std::pair<int, bool>>{{4, false}}));

    GraphicsPath separate;
    separate.AddLine(0, 0, 1, 0);
    separate.AddPath(&open, false);
    EXPECT_EQ(Figures(separate), (std::vector<std::pair<int, bool>>{{2, false}, {2, false}}));

    GraphicsPath closed;
    closed.AddRectangle(0, 0, 1, 1);
    GraphicsPath joined;
    joined.AddLine(0, 0, 1, 0);
    joined.AddPath(&closed, true);
    EXPECT_EQ(Figures(joined), (std::vector<std::pair<int, bool>>{{2, false}, {4, true}}));

    joined.AddPath(&joined, false);  // appending a path to itself copies it first
    EXPECT_EQ(joined.GetPointCount(), 12);
}

TEST(PathFigures, BadInputAddsNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    GraphicsPath path;
    const PointD bad[] = {{0, 0}, {nan, 1}};
    EXPECT_EQ(path.AddLines(bad, 2), InvalidParameter);
    EXPECT_EQ(path.AddLines(nullptr, 2), InvalidParameter);
    EXPECT_EQ(path.AddPolygon(bad, 0), InvalidParameter);
    const PointD three[] = {{0, 0}, {1, 1}, {2, 2}};
    EXPECT_EQ(path.AddBeziers(three, 3), InvalidParameter);
    EXPECT_EQ(path.SetFillMode(3), InvalidParameter);
    EXPECT_EQ(path.AddPath(nullptr, true), InvalidParameter);
    EXPECT_TRUE(path.IsEmpty());
}

TEST(PathBounds, EmptyPathGivesMinusOne) {
    GraphicsPath path;
    RectD r;
    ASSERT_EQ(path.GetBounds(&r), Ok);
    ExpectRect(r, 0, 0, -1, -1);
    EXPECT_EQ(path.GetBounds(nullptr), InvalidParameter);
}

TEST(PathBounds, CurvesCountByTrueExtentNotControlPoints) {
    GraphicsPath circle;
    circle.AddEllipse(10, 20, 40, 40);
    RectD r;
    circle.GetBounds(&r);
    ExpectRect(r, 10, 20, 40, 40, 1e-9);

    // A cubic whose control points overshoot: the curve's peak is at 3/4 of the control height.
    GraphicsPath bump;
    const PointD pts[] = {{0, 0}, {0, 100}, {100, 100}, {100, 0}};
    bump.AddBeziers(pts, 4);
    bump.GetBounds(&r);
    ExpectRect(r, 0, 0, 100, 75, 1e-9);
}

TEST(PathBounds, MatrixAndPenWidenAfterMapping) {
    GraphicsPath path;
    path.AddRectangle(0, 0, 10, 20);
    Matrix m;
    m.Rotate(90);
    RectD r;
    path.GetBounds(&r, &m);
    ExpectRect(r, -20, 0, 20, 10);

    Pen pen(Color(0xFF000000), 4);
    path.GetBounds(&r, nullptr, &pen);
    ExpectRect(r, -2, -2, 14, 24);

    Matrix scale;
    scale.Scale(3, 1);
    path.GetBounds(&r, &scale, &pen);  // the pen reaches as far as the largest stretch
    ExpectRect(r, -6, -6, 42, 32);

    // Transform maps every point for good.
    path.Transform(&m);
    path.GetBounds(&r);
    ExpectRect(r, -20, 0, 20, 10);
}
