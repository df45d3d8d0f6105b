// GraphicsPath geometry. Text outlines are added in text.cpp.
#include <algorithm>
#include <cmath>

#include "contracts/pictor/path.h"
#include "contracts/pictor/pen.h"

namespace Pictor {
namespace {

// Control-point distance of a quarter-circle cubic Bezier: 4/3 * (sqrt(2) - 1).
constexpr double kKappa = 0.5522847498307936;

bool Finite(const PointD& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool AllFinite(const PointD* points, int count) {
    for (int i = 0; i < count; ++i) {
        if (!Finite(points[i])) return false;
    }
    return true;
}

struct Extent {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    void Add(const PointD& p) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
};

double CubicAt(double p0, double p1, double p2, double p3, double t) {
    const double u = 1.0 - t;
    return u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
}

// Parameters in (0, 1) where one coordinate of the cubic has a turning point.
int CubicExtremaParameters(double p0, double p1, double p2, double p3, double out[2]) {
    // Derivative / 3 = a t^2 + b t + c.
    const double a = p3 - 3.0 * p2 + 3.0 * p1 - p0;
    const double b = 2.0 * (p2 - 2.0 * p1 + p0);
    const double c = p1 - p0;
    // Below this the quadratic term is numerical noise and the derivative is linear.
    constexpr double kLinearEpsilon = 1e-12;
    int n = 0;
    auto keep = [&](double t) {
        if (t > 0.0 && t < 1.0) out[n++] = t;
    };
    if (std::fabs(a) < kLinearEpsilon * (std::fabs(b) + std::fabs(c) + 1.0)) {
        if (b != 0.0) keep(-c / b);
        return n;
    }
    const double disc = b * b - 4.0 * a * c;
    if (disc < 0.0) return 0;
    const double root = std::sqrt(disc);
    keep((-b + root) / (2.0 * a));
    keep((-b - root) / (2.0 * a));
    return n;
}

void AddCubicExtent(Extent& e, const PointD& p0, const PointD& p1, const PointD& p2, const PointD& p3) {
    e.Add(p3);
    double ts[2];
    int n = CubicExtremaParameters(p0.x, p1.x, p2.x, p3.x, ts);
    for (int i = 0; i < n; ++i) e.Add({CubicAt(p0.x, p1.x, p2.x, p3.x, ts[i]), CubicAt(p0.y, p1.y, p2.y, p3.y, ts[i])});
    n = CubicExtremaParameters(p0.y, p1.y, p2.y, p3.y, ts);
    for (int i = 0; i < n; ++i) e.Add({CubicAt(p0.x, p1.x, p2.x, p3.x, ts[i]), CubicAt(p0.y, p1.y, p2.y, p3.y, ts[i])});
}

}  // namespace

GraphicsPath::GraphicsPath(int fillMode) { SetFillMode(fillMode); }

void GraphicsPath::Reset() {
    points_.clear();
    types_.clear();
    fillMode_ = FillModeAlternate;
    figureOpen_ = false;
}

void GraphicsPath::StartFigure() { figureOpen_ = false; }

Status GraphicsPath::CloseFigure() {
    if (figureOpen_ && !types_.empty()) types_.back() |= PathPointClose;
    figureOpen_ = false;
    return Ok;
}

Status GraphicsPath::SetFillMode(int mode) {
    if (mode < FillModeAlternate || mode > 2) return InvalidParameter;
    fillMode_ = mode == FillModeAlternate ? FillModeAlternate : FillModeWinding;
    return Ok;
}

bool GraphicsPath::CanAdd(int count) const {
    return count >= 0 && points_.size() + static_cast<size_t>(count) <= static_cast<size_t>(kMaxPathPoints);
}

void GraphicsPath::ContinueFigure(const PointD& first) {
    if (figureOpen_ && !points_.empty()) {
        // The joining point is dropped when it repeats the figure's end, so no zero-length
        // segment appears at the seam.
        if (!(points_.back() == first)) AppendRaw(first, PathPointLine);
        return;
    }
    AppendRaw(first, PathPointStart);
}

void GraphicsPath::Reserve(size_t points) {
    // Grows geometrically: paths built from many small additions stay linear in cost.
    if (points > points_.capacity()) {
        const size_t grown = std::max(points, 2 * points_.capacity());
        points_.reserve(grown);
        types_.reserve(grown);
    }
}

void GraphicsPath::AppendRaw(const PointD& p, uint8_t type) {
    points_.push_back(p);
    types_.push_back(type);
    figureOpen_ = (type & PathPointClose) == 0;
}

Status GraphicsPath::AddLine(const PointD& a, const PointD& b) {
    const PointD pts[2] = {a, b};
    return AddLines(pts, 2);
}

Status GraphicsPath::AddLine(double x1, double y1, double x2, double y2) { return AddLine({x1, y1}, {x2, y2}); }

Status GraphicsPath::AddLines(const PointD* points, int count) {
    if (points == nullptr || count < 1 || !AllFinite(points, count)) return InvalidParameter;
    if (!CanAdd(count)) return ValueOverflow;
    Reserve(points_.size() + count);
    ContinueFigure(points[0]);
    for (int i = 1; i < count; ++i) AppendRaw(points[i], PathPointLine);
    return Ok;
}

Status GraphicsPath::AddBeziers(const PointD* points, int count) {
    if (points == nullptr || count < 4 || (count - 1) % 3 != 0 || !AllFinite(points, count)) return InvalidParameter;
    if (!CanAdd(count)) return ValueOverflow;
    Reserve(points_.size() + count);
    ContinueFigure(points[0]);
    for (int i = 1; i < count; ++i) AppendRaw(points[i], PathPointBezier);
    return Ok;
}

Status GraphicsPath::AddPolygon(const PointD* points, int count) {
    if (points == nullptr || count < 1 || !AllFinite(points, count)) return InvalidParameter;
    if (!CanAdd(count)) return ValueOverflow;
    Reserve(points_.size() + count);
    AppendRaw(points[0], PathPointStart);
    for (int i = 1; i < count; ++i) AppendRaw(points[i], PathPointLine);
    return CloseFigure();
}

Status GraphicsPath::AddRectangle(const RectD& r) { return AddRectangle(r.x, r.y, r.width, r.height); }

Status GraphicsPath::AddRectangle(double x, double y, double width, double height) {
    const PointD pts[4] = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
    return AddPolygon(pts, 4);
}

Status GraphicsPath::AddEllipse(const RectD& r) { return AddEllipse(r.x, r.y, r.width, r.height); }

Status GraphicsPath::AddEllipse(double x, double y, double width, double height) {
    const double rx = width / 2, ry = height / 2, cx = x + rx, cy = y + ry;
    const double kx = rx * kKappa, ky = ry * kKappa;
    // Starts at the right-most point and runs towards +y, one quarter per Bezier.
    const PointD pts[13] = {{cx + rx, cy},      {cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry},
                            {cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy},      {cx - rx, cy - ky},
                            {cx - kx, cy - ry}, {cx, cy - ry},      {cx + kx, cy - ry}, {cx + rx, cy - ky},
                            {cx + rx, cy}};
    if (!AllFinite(pts, 13)) return InvalidParameter;
    if (!CanAdd(13)) return ValueOverflow;
    AppendRaw(pts[0], PathPointStart);
    for (int i = 1; i < 13; ++i) AppendRaw(pts[i], PathPointBezier);
    return CloseFigure();
}

Status GraphicsPath::AddPath(const GraphicsPath* other, bool connect) {
    if (other == nullptr) return InvalidParameter;
    if (other->points_.empty()) return Ok;
    if (!CanAdd(other->GetPointCount())) return ValueOverflow;
    // Copies first, so a path may be appended to itself.
    const std::vector<PointD> pts = other->points_;
    const std::vector<uint8_t> types = other->types_;
    Reserve(points_.size() + pts.size());
    size_t i = 0;
    const bool firstFigureOpen = [&] {
        for (size_t k = 0; k < types.size(); ++k) {
            if (k > 0 && (types[k] & PathPointTypeMask) == PathPointStart) return true;
            if (types[k] & PathPointClose) return false;
        }
        return true;
    }();
    if (connect && figureOpen_ && !points_.empty() && firstFigureOpen) {
        ContinueFigure(pts[0]);
        i = 1;
    }
    for (; i < pts.size(); ++i) AppendRaw(pts[i], types[i]);
    return Ok;
}

Status GraphicsPath::Transform(const Matrix* matrix) {
    if (matrix == nullptr) return InvalidParameter;
    for (PointD& p : points_) p = matrix->TransformPoint(p);
    return Ok;
}

Status GraphicsPath::GetBounds(RectD* bounds, const Matrix* matrix, const Pen* pen) const {
    if (bounds == nullptr) return InvalidParameter;
    if (points_.empty()) {
        *bounds = RectD(0, 0, -1, -1);
        return Ok;
    }
    auto at = [&](size_t i) { return matrix ? matrix->TransformPoint(points_[i]) : points_[i]; };
    Extent e;
    for (size_t i = 0; i < points_.size(); ++i) {
        const uint8_t type = types_[i] & PathPointTypeMask;
        if (type == PathPointBezier && i >= 1 && i + 2 < points_.size()) {
            AddCubicExtent(e, at(i - 1), at(i), at(i + 1), at(i + 2));
            i += 2;
            continue;
        }
        e.Add(at(i));
    }
    double grow = 0.0;
    if (pen != nullptr) {
        grow = pen->GetWidth() / 2.0;
        if (matrix != nullptr) {
            // The pen widens in drawing units; after the matrix its reach is the matrix's largest
            // stretch (its largest singular value).
            const double a = matrix->M11(), b = matrix->M12(), c = matrix->M21(), d = matrix->M22();
            const double s1 = a * a + b * b, s2 = c * c + d * d, cross = a * c + b * d;
            const double half = (s1 - s2) / 2.0;
            grow *= std::sqrt((s1 + s2) / 2.0 + std::sqrt(half * half + cross * cross));
        }
    }
    *bounds = RectD(e.minX - grow, e.minY - grow, (e.maxX - e.minX) + 2 * grow, (e.maxY - e.minY) + 2 * grow);
    if (!std::isfinite(bounds->x) || !std::isfinite(bounds->y) || !std::isfinite(bounds->width) ||
        !std::isfinite(bounds->height)) {
        return ValueOverflow;
    }
    return Ok;
}

}  // namespace Pictor
