#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "contracts/pictor/matrix.h"

using namespace Pictor;

namespace {

void ExpectPoint(const PointD& p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.y, y, 1e-12);
}

}  // namespace

TEST(Matrix, ElementsMapAsDocumented) {
    Matrix m;
    ASSERT_EQ(m.SetElements(2, 3, 5, 7, 11, 13), Ok);
    ExpectPoint(m.TransformPoint({1, 0}), 13, 16);
    ExpectPoint(m.TransformPoint({0, 1}), 16, 20);
}

TEST(Matrix, PrependActsFirstAppendActsLast) {
    Matrix prepend;
    prepend.Translate(10, 0);
    prepend.Scale(2, 2, MatrixOrderPrepend);  // scale, then translate
    ExpectPoint(prepend.TransformPoint({1, 1}), 12, 2);

    Matrix append;
    append.Translate(10, 0);
    append.Scale(2, 2, MatrixOrderAppend);  // translate, then scale
    ExpectPoint(append.TransformPoint({1, 1}), 22, 2);
}

TEST(Matrix, RotationTurnsXTowardsY) {
    Matrix m;
    m.Rotate(90);
    ExpectPoint(m.TransformPoint({1, 0}), 0, 1);
    Matrix about;
    about.RotateAt(180, {5, 5});
    ExpectPoint(about.TransformPoint({6, 5}), 4, 5);
}

TEST(Matrix, ScaleAtKeepsCentreAndMultiplyMatchesSteps) {
    Matrix m;
    m.ScaleAt(3, 2, {10, 20});
    ExpectPoint(m.TransformPoint({10, 20}), 10, 20);
    ExpectPoint(m.TransformPoint({11, 21}), 13, 22);

    // Composing by Multiply gives the same as applying the matrices one after the other.
    Matrix a(1, 2, 3, 4, 5, 6), b(0.5, -1, 2, 0.25, -3, 7);
    Matrix ab = a;
    ab.Multiply(&b, MatrixOrderAppend);
    ExpectPoint(ab.TransformPoint({2, -1}), b.TransformPoint(a.TransformPoint({2, -1})).x,
                b.TransformPoint(a.TransformPoint({2, -1})).y);
    Matrix ba = a;
    ba.Multiply(&b, MatrixOrderPrepend);
    ExpectPoint(ba.TransformPoint({2, -1}), a.TransformPoint(b.TransformPoint({2, -1})).x,
                a.TransformPoint(b.TransformPoint({2, -1})).y);
}

TEST(Matrix, InvertRoundTripsAndRefusesSingular) {
    Matrix m(2, 1, -1, 3, 4, 5);
    Matrix inv = m;
    ASSERT_EQ(inv.Invert(), Ok);
    const PointD p = inv.TransformPoint(m.TransformPoint({7, -2}));
    EXPECT_NEAR(p.x, 7, 1e-12);
    EXPECT_NEAR(p.y, -2, 1e-12);

    Matrix singular(1, 2, 2, 4, 0, 0);
    EXPECT_EQ(singular.Invert(), InvalidParameter);
    EXPECT_EQ(singular, Matrix(1, 2, 2, 4, 0, 0));
}

TEST(Matrix, BadInputLeavesMatrixUnchanged) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Matrix m(1, 0, 0, 1, 3, 4);
    EXPECT_EQ(m.SetElements(nan, 0, 0, 1, 0, 0), InvalidParameter);
    EXPECT_EQ(m.Rotate(std::numeric_limits<double>::infinity()), InvalidParameter);
    EXPECT_EQ(m.Multiply(nullptr), InvalidParameter);
    EXPECT_EQ(m.Translate(1, 1, 7), InvalidParameter);
    Matrix huge(1e300, 0, 0, 1e300, 0, 0);
    EXPECT_EQ(m.Multiply(&huge), Ok);
    EXPECT_EQ(m.Multiply(&huge), InvalidParameter);  // would overflow to infinity
    EXPECT_EQ(m.TransformPoints(nullptr, 3), InvalidParameter);

    PointD pts[2] = {{1, 2}, {3, 4}};
    Matrix t(1, 0, 0, 1, 10, 20);
    ASSERT_EQ(t.TransformPoints(pts, 2), Ok);
    ExpectPoint(pts[1], 13, 24);
}
