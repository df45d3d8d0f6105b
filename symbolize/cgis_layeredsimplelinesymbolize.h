// Draws the layered simple line (type 19): simple-line layers stroked along one path, bottom
// first, over a halo that surrounds the whole line.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_LayeredSimpleLineSymbol;
struct SimpleLineLayer;
struct SymbolHalo;

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_LayeredSimpleLineSymbolize {
public:
    CGIS_LayeredSimpleLineSymbolize() = default;
    virtual ~CGIS_LayeredSimpleLineSymbolize() = default;

    // Strokes *count points as an open polyline, or as a closed polygon when *closed.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count, const bool* closed) noexcept;
    // Strokes the halo: opaque, as wide as the whole line plus the halo on each side.
    void DrawHalo(const IGIS_LayeredSimpleLineSymbol* line, const SymbolizeInfo* info,
                  const Pictor::GraphicsPath* path, const SymbolHalo* halo) noexcept;

private:
    void DrawLayer(const SimpleLineLayer* layer, const SymbolizeInfo* info,
                   const Pictor::GraphicsPath* path) const;
};
