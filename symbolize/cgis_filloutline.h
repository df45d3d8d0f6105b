// Draws the outline line symbol of a fill along the polygon's edge. The fills own one each and
// call it after painting the interior.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_FillOutline {
public:
    CGIS_FillOutline() = default;
    virtual ~CGIS_FillOutline() = default;

    // Outlines the polygon of *count (> 2) points with the fill's outline symbol, through the
    // service so any line type can draw it. The ring runs clockwise as seen on the output when
    // *clockwise, and starts and ends in the middle of the closing edge so every corner is a join.
    void DrawOutline(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                     const int32_t* count, const bool* clockwise) noexcept;
    // Outlines a ready-made path; only simple-line outlines can follow a path.
    void DrawOutlinePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                         const Pictor::GraphicsPath* path) noexcept;

    // Copies `count` points of `source` into `target` so that the ring runs clockwise as seen
    // (or anticlockwise when !clockwise) on a surface whose y axis points up when yUp. A ring
    // without orientation is copied as it is.
    void OrientRing(const Pictor::PointD* source, Pictor::PointD* target, int32_t count, bool clockwise,
                    bool yUp) const noexcept;
    // 0 when the signed area is positive, 1 when negative, -1 when zero or fewer than 3 points.
    int32_t GetOrientation(const Pictor::PointD* points, int32_t count) const noexcept;
};
