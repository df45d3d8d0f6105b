// 2x3 affine matrix: (x, y) -> (m11*x + m21*y + dx, m12*x + m22*y + dy).
#pragma once

#include "contracts/pictor/types.h"

namespace Pictor {

class Matrix {
public:
    constexpr Matrix() = default;  // identity
    constexpr Matrix(double m11, double m12, double m21, double m22, double dx, double dy)
        : m_{m11, m12, m21, m22, dx, dy} {}

    Status SetElements(double m11, double m12, double m21, double m22, double dx, double dy);
    // Writes m11, m12, m21, m22, dx, dy.
    void GetElements(double out[6]) const;
    double M11() const { return m_[0]; }
    double M12() const { return m_[1]; }
    double M21() const { return m_[2]; }
    double M22() const { return m_[3]; }
    double OffsetX() const { return m_[4]; }
    double OffsetY() const { return m_[5]; }

    void Reset();
    bool IsIdentity() const;
    bool IsInvertible() const;
    Status Invert();

    // Order 0 (prepend): the new operation acts first; order 1 (append): it acts on the result.
    Status Multiply(const Matrix* other, int order = MatrixOrderPrepend);
    Status Translate(double dx, double dy, int order = MatrixOrderPrepend);
    Status Scale(double sx, double sy, int order = MatrixOrderPrepend);
    Status Rotate(double degrees, int order = MatrixOrderPrepend);
    Status RotateAt(double degrees, const PointD& centre, int order = MatrixOrderPrepend);
    Status ScaleAt(double sx, double sy, const PointD& centre, int order = MatrixOrderPrepend);
    Status Shear(double shx, double shy, int order = MatrixOrderPrepend);

    PointD TransformPoint(const PointD& p) const {
        return {m_[0] * p.x + m_[2] * p.y + m_[4], m_[1] * p.x + m_[3] * p.y + m_[5]};
    }
    // Maps every point in place.
    Status TransformPoints(PointD* points, int count) const;
    // Maps directions: the offset is ignored.
    Status TransformVectors(PointD* vectors, int count) const;

    friend bool operator==(const Matrix&, const Matrix&) = default;

private:
    double m_[6] = {1, 0, 0, 1, 0, 0};
};

}  // namespace Pictor
