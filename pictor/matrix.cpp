#include "contracts/pictor/matrix.h"

#include <cmath>
#include <numbers>

namespace Pictor {
namespace {

bool Finite(double v) { return std::isfinite(v); }

// Row-vector product: a acts first, then b.
Matrix Product(const Matrix& a, const Matrix& b) {
    return Matrix(a.M11() * b.M11() + a.M12() * b.M21(), a.M11() * b.M12() + a.M12() * b.M22(),
                  a.M21() * b.M11() + a.M22() * b.M21(), a.M21() * b.M12() + a.M22() * b.M22(),
                  a.OffsetX() * b.M11() + a.OffsetY() * b.M21() + b.OffsetX(),
                  a.OffsetX() * b.M12() + a.OffsetY() * b.M22() + b.OffsetY());
}

bool AllFinite(const Matrix& m) {
    double e[6];
    m.GetElements(e);
    for (double v : e) {
        if (!Finite(v)) return false;
    }
    return true;
}

// A determinant this small cannot be inverted without losing every digit.
constexpr double kSingularDeterminant = 1e-300;

}  // namespace

Status Matrix::SetElements(double m11, double m12, double m21, double m22, double dx, double dy) {
    if (!Finite(m11) || !Finite(m12) || !Finite(m21) || !Finite(m22) || !Finite(dx) || !Finite(dy)) {
        return InvalidParameter;
    }
    m_[0] = m11;
    m_[1] = m12;
    m_[2] = m21;
    m_[3] = m22;
    m_[4] = dx;
    m_[5] = dy;
    return Ok;
}

void Matrix::GetElements(double out[6]) const {
    for (int i = 0; i < 6; ++i) out[i] = m_[i];
}

void Matrix::Reset() { *this = Matrix(); }

bool Matrix::IsIdentity() const { return *this == Matrix(); }

bool Matrix::IsInvertible() const {
    const double det = m_[0] * m_[3] - m_[1] * m_[2];
    return Finite(det) && std::fabs(det) > kSingularDeterminant;
}

Status Matrix::Invert() {
    if (!IsInvertible()) return InvalidParameter;
    const double det = m_[0] * m_[3] - m_[1] * m_[2];
    const double a = m_[3] / det, b = -m_[1] / det, c = -m_[2] / det, d = m_[0] / det;
    const double e = -(m_[4] * a + m_[5] * c);
    const double f = -(m_[4] * b + m_[5] * d);
    const Matrix inverse(a, b, c, d, e, f);
    if (!AllFinite(inverse)) return InvalidParameter;
    *this = inverse;
    return Ok;
}

Status Matrix::Multiply(const Matrix* other, int order) {
    if (other == nullptr || (order != MatrixOrderPrepend && order != MatrixOrderAppend)) return InvalidParameter;
    const Matrix result = order == MatrixOrderPrepend ? Product(*other, *this) : Product(*this, *other);
    if (!AllFinite(result)) return InvalidParameter;
    *this = result;
    return Ok;
}

Status Matrix::Translate(double dx, double dy, int order) {
    if (!Finite(dx) || !Finite(dy)) return InvalidParameter;
    const Matrix op(1, 0, 0, 1, dx, dy);
    return Multiply(&op, order);
}

Status Matrix::Scale(double sx, double sy, int order) {
    if (!Finite(sx) || !Finite(sy)) return InvalidParameter;
    const Matrix op(sx, 0, 0, sy, 0, 0);
    return Multiply(&op, order);
}

Status Matrix::Rotate(double degrees, int order) {
    if (!Finite(degrees)) return InvalidParameter;
    const double r = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(r), s = std::sin(r);
    const Matrix op(c, s, -s, c, 0, 0);
    return Multiply(&op, order);
}

Status Matrix::RotateAt(double degrees, const PointD& centre, int order) {
    if (!Finite(degrees) || !Finite(centre.x) || !Finite(centre.y)) return InvalidParameter;
    Matrix op(1, 0, 0, 1, -centre.x, -centre.y);
    op.Rotate(degrees, MatrixOrderAppend);
    op.Translate(centre.x, centre.y, MatrixOrderAppend);
    return Multiply(&op, order);
}

Status Matrix::ScaleAt(double sx, double sy, const PointD& centre, int order) {
    if (!Finite(sx) || !Finite(sy) || !Finite(centre.x) || !Finite(centre.y)) return InvalidParameter;
    const Matrix op(sx, 0, 0, sy, centre.x - sx * centre.x, centre.y - sy * centre.y);
    return Multiply(&op, order);
}

Status Matrix::Shear(double shx, double shy, int order) {
    if (!Finite(shx) || !Finite(shy)) return InvalidParameter;
    const Matrix op(1, shy, shx, 1, 0, 0);
    return Multiply(&op, order);
}

Status Matrix::TransformPoints(PointD* points, int count) const {
    if (count < 0 || (points == nullptr && count > 0)) return InvalidParameter;
    for (int i = 0; i < count; ++i) points[i] = TransformPoint(points[i]);
    return Ok;
}

Status Matrix::TransformVectors(PointD* vectors, int count) const {
    if (count < 0 || (vectors == nullptr && count > 0)) return InvalidParameter;
    for (int i = 0; i < count; ++i) {
        const PointD v = vectors[i];
        vectors[i] = {m_[0] * v.x + m_[2] * v.y, m_[1] * v.x + m_[3] * v.y};
    }
    return Ok;
}

}  // namespace Pictor
