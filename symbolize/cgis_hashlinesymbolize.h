// Draws the hash line (type 14): short strokes across the line at a fixed interval, optionally
// moved to one side, all stroked at once as separate figures of one path.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_HashLineSymbolize {
public:
    CGIS_HashLineSymbolize() = default;
    virtual ~CGIS_HashLineSymbolize() = default;

    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;

private:
    // Where and how long the strokes are, in drawing units.
    struct Strokes {
        double interval = 0.0;  // between stroke centres along the line
        double length = 0.0;    // of each stroke, across the line
        double offset = 0.0;    // of the stroke centres, along (sin, -cos) of the direction of travel
    };
    // Adds the strokes of segment p-q to `path`; `carry` is the distance still to go to the next
    // stroke, taken over from the segment before and handed on to the next.
    void AddSegmentStrokes(Pictor::PointD p, const Pictor::PointD& q, const Strokes& strokes, double* carry,
                           Pictor::GraphicsPath* path) const;
};
