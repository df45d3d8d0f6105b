// CGIS_SymbolMatrix on its own: the composition steps, their order and the approximate pi that
// marker libraries were drawn with.
#include <gtest/gtest.h>

#include <cmath>

#include "contracts/pictor/matrix.h"
#include "symbolize/cgis_symbolmatrix.h"

namespace {

constexpr double kExact = 1e-12;

struct Point {
    double x;
    double y;
};

Point Map(const CGIS_SymbolMatrix& m, double x, double y) {
    Point p{};
    EXPECT_TRUE(m.TransformPoint(x, y, &p.x, &p.y));
    return p;
}

void ExpectPoint(const Point& actual, double x, double y, double tolerance = kExact) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
}

TEST(SymbolMatrixTest, NewMatrixIsTheIdentity) {
    const CGIS_SymbolMatrix m;
    ExpectPoint(Map(m, 3.5, -2), 3.5, -2);
}

TEST(SymbolMatrixTest, QuarterTurnKeepsTheApproximatePi) {
    CGIS_SymbolMatrix m;
    m.Rotate(90, true);
    // cos(3.1415926 / 2) is not 0: the drawings were designed with this residue.
    const double residue = std::cos(3.1415926 / 2);
    EXPECT_GT(residue, 2.6e-8);
    EXPECT_DOUBLE_EQ(m.a, residue);
    EXPECT_DOUBLE_EQ(m.d, residue);
    EXPECT_NEAR(m.b, -1, kExact);
    EXPECT_NEAR(m.c, 1, kExact);
    ExpectPoint(Map(m, 1, 0), residue, 1);
}

TEST(SymbolMatrixTest, AppendActsOnTheResultPrependOnTheInput) {
    CGIS_SymbolMatrix appended;
    appended.Scale(2, 2, true);
    appended.Translate(1, 2, true);
    ExpectPoint(Map(appended, 0, 0), 1, 2);

    CGIS_SymbolMatrix prepended;
    prepended.Scale(2, 2, true);
    prepended.Translate(1, 2, false);
    ExpectPoint(Map(prepended, 0, 0), 2, 4);

    // A prepended turn acts before the translation already there.
    CGIS_SymbolMatrix turned;
    turned.Translate(10, 0, true);
    turned.Rotate(90, false);
    ExpectPoint(Map(turned, 1, 0), 10, 1, 1e-7);
}

TEST(SymbolMatrixTest, NegativeScaleFactorsChangeNothing) {
    CGIS_SymbolMatrix m;
    m.Translate(3, 4, true);
    const CGIS_SymbolMatrix before = m;
    m.Scale(-1, 1, true);
    m.ScaleAt(2, -0.5, 1, 1, false);
    m.Scale(std::nan(""), 1, true);
    EXPECT_TRUE(m.a == before.a && m.b == before.b && m.c == before.c && m.d == before.d && m.e == before.e &&
                m.f == before.f);

    m.Scale(2, 0, true);  // zero is a factor like any other
    EXPECT_EQ(m.c, 0);
    EXPECT_EQ(m.d, 0);
    EXPECT_EQ(m.f, 0);
    EXPECT_EQ(m.e, 6);
}

TEST(SymbolMatrixTest, ScaleAndRotateAboutACentreKeepTheCentre) {
    CGIS_SymbolMatrix appended;
    appended.ScaleAt(3, 2, 5, 5, true);
    ExpectPoint(Map(appended, 5, 5), 5, 5);
    ExpectPoint(Map(appended, 6, 6), 8, 7);
    appended.RotateAt(90, 5, 5, true);  // turns the scaled point
    ExpectPoint(Map(appended, 5, 5), 5, 5, 1e-7);
    ExpectPoint(Map(appended, 6, 5), 5, 8, 1e-7);

    CGIS_SymbolMatrix prepended;
    prepended.ScaleAt(3, 2, 5, 5, false);
    prepended.RotateAt(90, 5, 5, false);  // turns the input point before it is scaled
    ExpectPoint(Map(prepended, 5, 5), 5, 5, 1e-7);
    ExpectPoint(Map(prepended, 6, 5), 5, 7, 1e-7);
}

TEST(SymbolMatrixTest, FlipsMirrorAcrossTheirLines) {
    CGIS_SymbolMatrix x;
    x.FlipX(5);
    ExpectPoint(Map(x, 1, 0), 9, 0);

    CGIS_SymbolMatrix yAt;
    yAt.FlipYAt(5);
    ExpectPoint(Map(yAt, 0, 1), 0, 9);

    CGIS_SymbolMatrix y;
    y.Translate(0, 3, true);
    y.FlipY();  // after what is there: the translation is mirrored too
    ExpectPoint(Map(y, 0, 1), 0, -4);
}

TEST(SymbolMatrixTest, GraphicsMatrixMapsPointsTheSameWay) {
    CGIS_SymbolMatrix m;
    m.ScaleAt(2, 3, 1, 1, true);
    m.FlipX(1);
    m.RotateAt(30, 1, 1, true);
    m.Translate(7, -4, true);
    Pictor::Matrix g;
    ASSERT_TRUE(m.ToPictor(&g));
    for (const Point& p : {Point{0, 0}, Point{2, 5}, Point{-3, 1}}) {
        const Pictor::PointD mapped = g.TransformPoint({p.x, p.y});
        ExpectPoint({mapped.x, mapped.y}, Map(m, p.x, p.y).x, Map(m, p.x, p.y).y);
    }

    const Pictor::Matrix before = g;
    m.Translate(INFINITY, 0, true);
    EXPECT_FALSE(m.ToPictor(&g));
    EXPECT_EQ(g, before);  // left as it was
}

TEST(SymbolMatrixTest, ResetGivesTheIdentityBack) {
    CGIS_SymbolMatrix m;
    m.Rotate(33, true);
    m.Translate(1, 1, true);
    m.Reset();
    ExpectPoint(Map(m, 2, 3), 2, 3);
}

}  // namespace
