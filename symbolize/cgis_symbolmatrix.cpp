#include "symbolize/cgis_symbolmatrix.h"

#include <cmath>

#include "contracts/pictor/matrix.h"

namespace {

// Marker libraries were drawn with angles turned into radians through this value of pi; keeping
// it places rotated markers exactly where they were designed (a 90-degree turn leaves about 2.7e-8
// of the original axis).
constexpr double kSymbolPi = 3.1415926;
constexpr double kRadiansPerDegree = kSymbolPi * (1.0 / 180.0);

}  // namespace

void CGIS_SymbolMatrix::Reset() { *this = CGIS_SymbolMatrix(); }

bool CGIS_SymbolMatrix::TransformPoint(double x, double y, double* outX, double* outY) const {
    const double nx = a * x + b * y + e;
    const double ny = c * x + d * y + f;
    *outX = nx;
    *outY = ny;
    return true;
}

void CGIS_SymbolMatrix::Translate(double dx, double dy, bool append) {
    if (append) {
        e += dx;
        f += dy;
    } else {
        e += a * dx + b * dy;
        f += c * dx + d * dy;
    }
}

void CGIS_SymbolMatrix::Rotate(double angle, bool append) {
    const double theta = angle * kRadiansPerDegree;
    const double s = std::sin(theta);
    const double k = std::cos(theta);
    const CGIS_SymbolMatrix old = *this;
    if (append) {
        a = old.a * k - old.c * s;
        b = old.b * k - old.d * s;
        c = old.a * s + old.c * k;
        d = old.b * s + old.d * k;
        e = old.e * k - old.f * s;
        f = old.e * s + old.f * k;
    } else {
        a = old.a * k + old.b * s;
        b = old.b * k - old.a * s;
        c = old.c * k + old.d * s;
        d = old.d * k - old.c * s;
    }
}

void CGIS_SymbolMatrix::RotateAt(double angle, double x, double y, bool append) {
    if (append) {
        Translate(-x, -y, true);
        Rotate(angle, true);
        Translate(x, y, true);
    } else {
        Translate(x, y, false);
        Rotate(angle, false);
        Translate(-x, -y, false);
    }
}

void CGIS_SymbolMatrix::Scale(double sx, double sy, bool append) {
    // Written so that NaN factors fail too.
    if (!(sx >= 0.0 && sy >= 0.0)) return;
    if (append) {
        a *= sx;
        b *= sx;
        e *= sx;
        c *= sy;
        d *= sy;
        f *= sy;
    } else {
        a *= sx;
        c *= sx;
        b *= sy;
        d *= sy;
    }
}

void CGIS_SymbolMatrix::ScaleAt(double sx, double sy, double x, double y, bool append) {
    if (!(sx >= 0.0 && sy >= 0.0)) return;
    if (append) {
        Translate(-x, -y, true);
        Scale(sx, sy, true);
        Translate(x, y, true);
    } else {
        Translate(x, y, false);
        Scale(sx, sy, false);
        Translate(-x, -y, false);
    }
}

void CGIS_SymbolMatrix::FlipX(double v) {
    Translate(-v, 0.0, true);
    a = -a;
    b = -b;
    e = -e;
    Translate(v, 0.0, true);
}

void CGIS_SymbolMatrix::FlipY() {
    c = -c;
    d = -d;
    f = -f;
}

void CGIS_SymbolMatrix::FlipYAt(double v) {
    Translate(0.0, -v, true);
    FlipY();
    Translate(0.0, v, true);
}

bool CGIS_SymbolMatrix::ToPictor(Pictor::Matrix* matrix) const {
    return matrix->SetElements(a, c, b, d, e, f) == Pictor::Ok;
}
