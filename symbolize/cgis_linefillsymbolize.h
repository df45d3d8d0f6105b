// Draws the line fill (type 9): parallel straight lines across the polygon, each handed back to
// the service as a two-point line so any line symbol can hatch, clipped to the polygon, then the
// outline.
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/pictor/types.h"
#include "symbolize/cgis_filloutline.h"
#include "symbolize/symbolize.h"

class IGIS_LineFillSymbol;

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_LineFillSymbolize {
public:
    // Most hatch lines laid out over one polygon. A map hatch has tens to a few hundred; beyond
    // this the separation is far too small for the polygon and no hatch is drawn (each line is a
    // call through the service, so the cap bounds the work of one polygon).
    static constexpr int32_t kMaxHatchLines = 100000;

    struct HatchLine {
        Pictor::PointD start;
        Pictor::PointD end;
    };

    CGIS_LineFillSymbolize() = default;
    virtual ~CGIS_LineFillSymbolize() = default;

    // Hatches the polygon of *count points (at least 3) and outlines it with any line kind.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // Hatches a ready-made path; its outline is drawn only when it is a simple line.
    void SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                       const Pictor::GraphicsPath* path) noexcept;

    // The hatch lines covering `polygon`: rotated about its centre, spaced `separation` drawing
    // units apart. The points form (`grow`) lays them over a rectangle three times as large, which
    // keeps the polygon covered whatever its shape. Empty when the separation or angle cannot lay
    // out lines, or there would be more than kMaxHatchLines (reported).
    std::vector<HatchLine> LayOutLines(const Pictor::GraphicsPath& polygon, double separation, double angle,
                                       bool grow) const;

private:
    // Draws every line of the layout through the service, clipped to `clip`.
    void DrawHatch(IGIS_LineFillSymbol* fill, const SymbolizeInfo* info, const Pictor::GraphicsPath& clip,
                   bool grow) const;

    CGIS_FillOutline outline_;
};
