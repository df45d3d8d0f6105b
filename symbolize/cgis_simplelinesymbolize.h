// Draws the simple line (type 5): one stroke of a width, colour, transparency, dash style, join
// and cap, optionally over a halo and optionally smoothed into a spline.
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_SimpleLineSymbol;
struct SymbolHalo;

namespace Pictor {
class GraphicsPath;
class Pen;
}  // namespace Pictor

class CGIS_SimpleLineSymbolize {
public:
    CGIS_SimpleLineSymbolize() = default;
    virtual ~CGIS_SimpleLineSymbolize() = default;

    // Point entry: strokes *count points as an open polyline, or as a closed polygon when *closed.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count, const bool* closed) noexcept;
    // Path entry: strokes a ready-made path, the halo first.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::GraphicsPath* path) noexcept;
    // Strokes the halo of `line` along `path`: opaque, as wide as the line plus the halo on each side.
    void DrawHalo(const IGIS_SimpleLineSymbol* line, const SymbolizeInfo* info,
                  const Pictor::GraphicsPath* path, const SymbolHalo* halo) noexcept;

private:
    // The spline through the points; false when it cannot be computed.
    bool SmoothPoints(const Pictor::PointD* points, int32_t count,
                      std::vector<Pictor::PointD>* smoothed) const;
    // The stroke colour: the symbol's (or the override), through the colour table, with the
    // line's own alpha.
    uint32_t PenColour(const IGIS_SimpleLineSymbol* line, const SymbolizeInfo* info) const;
    void ApplyDashes(const IGIS_SimpleLineSymbol* line, int32_t style, Pictor::Pen* pen) const;
    void ApplyJoinAndCap(const IGIS_SimpleLineSymbol* line, Pictor::Pen* pen) const;
};
