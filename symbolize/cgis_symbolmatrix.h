// The 2x3 affine transform that places markers and texts: scale by size, mirror, rotate, offset,
// move to the anchor. Composed step by step here and handed to the graphics layer at the end.
#pragma once

namespace Pictor {
class Matrix;
}

// (x, y) maps to (a*x + b*y + e, c*x + d*y + f). Appending a step makes it act on the result of
// the transform so far; prepending makes it act on the input first.
class CGIS_SymbolMatrix {
public:
    CGIS_SymbolMatrix() = default;  // identity

    void Reset();
    bool TransformPoint(double x, double y, double* outX, double* outY) const;
    void Translate(double dx, double dy, bool append);
    // Degrees; positive turns +x toward +y.
    void Rotate(double angle, bool append);
    void RotateAt(double angle, double x, double y, bool append);
    // Negative factors change nothing: mirroring goes through the flips.
    void Scale(double sx, double sy, bool append);
    void ScaleAt(double sx, double sy, double x, double y, bool append);
    // Mirrors across the vertical line x = v, appended.
    void FlipX(double v);
    // Mirrors across the x axis, appended.
    void FlipY();
    // Mirrors across the horizontal line y = v, appended.
    void FlipYAt(double v);

    // The same mapping as a graphics-layer matrix; false (matrix unchanged) when an element is
    // not finite, so that a caller never draws through a transform it did not ask for.
    bool ToPictor(Pictor::Matrix* matrix) const;

    double a = 1.0;
    double b = 0.0;
    double c = 0.0;
    double d = 1.0;
    double e = 0.0;
    double f = 0.0;
};
