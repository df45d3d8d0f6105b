// Draws the simple fill (type 7): a polygon filled solid or with one of six hatches, then its
// outline.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/cgis_filloutline.h"
#include "symbolize/symbolize.h"

class IGIS_SimpleFillSymbol;

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_SimpleFillSymbolize {
public:
    CGIS_SimpleFillSymbolize() = default;
    virtual ~CGIS_SimpleFillSymbolize() = default;

    // Fills the polygon of *count points (at least 3) and outlines it.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // Fills a ready-made path and outlines it when the outline is a simple line.
    void SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                       const Pictor::GraphicsPath* path) noexcept;

private:
    // Paints the inside of `path` by the fill style: solid, hatched or not at all.
    void FillInterior(const IGIS_SimpleFillSymbol* fill, const SymbolizeInfo* info,
                      const Pictor::GraphicsPath* path) const;

    CGIS_FillOutline outline_;
};
