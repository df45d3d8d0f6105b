// Checks that every raster canvas makes alike before drawing, so that they refuse the same input
// and agree on what is too far away or too large to draw directly.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "contracts/pictor/matrix.h"
#include "contracts/pictor/path.h"
#include "contracts/pictor/pen.h"
#include "contracts/pictor/types.h"

namespace Pictor::device {

// Rasterizers keep device coordinates in 24.8 fixed point, about +-8.4 million pixels, and
// silently wrap beyond that. Geometry within this distance of the device origin is drawn as it
// is; geometry beyond it is first flattened and clipped to the canvas. A pen may reach this much
// further (half its width, or its miter), so that the two together stay in range; a wider pen is
// refused with InvalidParameter.
inline constexpr double kMaxCoordinate = 4.0e6;
inline constexpr double kMaxStrokeReach = 4.0e6;

// Whether a matrix can map drawing to the device: finite, with a finite non-zero determinant.
// A world transform that fails this flattens everything and leaves nothing to see.
inline bool Invertible(double xx, double yx, double xy, double yy, double x0, double y0) {
    for (double v : {xx, yx, xy, yy, x0, y0}) {
        if (!std::isfinite(v)) return false;
    }
    const double det = xx * yy - yx * xy;
    return det != 0.0 && std::isfinite(det);
}

inline bool Invertible(const Matrix& m) {
    return Invertible(m.M11(), m.M12(), m.M21(), m.M22(), m.OffsetX(), m.OffsetY());
}

// An upper bound of how much the matrix can stretch a length.
inline double MaxStretch(const Matrix& m) {
    return std::sqrt(m.M11() * m.M11() + m.M12() * m.M12() + m.M21() * m.M21() + m.M22() * m.M22());
}

inline bool WithinRange(const Matrix& world, const PointD* points, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const PointD d = world.TransformPoint(points[i]);
        if (!(std::fabs(d.x) <= kMaxCoordinate && std::fabs(d.y) <= kMaxCoordinate)) return false;
    }
    return true;
}

inline bool WithinRange(const Matrix& world, const GraphicsPath& path) {
    return WithinRange(world, path.Points().data(), path.Points().size());
}

// How far a stroke with this pen (width `width` in the stroke's space, mapped by `strokeToDevice`)
// reaches beyond its centre line, miters included, in device pixels.
inline double StrokeReach(const Pen& pen, double width, const Matrix& strokeToDevice) {
    const bool mitered = pen.GetLineJoin() == LineJoinMiter || pen.GetLineJoin() == LineJoinMiterClipped;
    const double spike = mitered ? std::max(pen.GetMiterLimit(), std::sqrt(2.0)) : std::sqrt(2.0);
    return width * MaxStretch(strokeToDevice) * spike / 2;
}

// Figures and length of a path's control polygon (an upper bound of its true length) after the
// matrix.
inline double ControlPolygonLength(const GraphicsPath& path, const Matrix& m, int* figures) {
    const std::vector<PointD>& pts = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    double length = 0.0;
    *figures = 0;
    PointD prev{}, start{};
    for (size_t i = 0; i < pts.size() && i < types.size(); ++i) {
        const PointD p = m.TransformPoint(pts[i]);
        if ((types[i] & PathPointTypeMask) == PathPointStart) {
            ++*figures;
            start = p;
        } else {
            length += std::hypot(p.x - prev.x, p.y - prev.y);
        }
        if (types[i] & PathPointClose) length += std::hypot(p.x - start.x, p.y - start.y);
        prev = p;
    }
    return length;
}

}  // namespace Pictor::device
