// Draws the marker fill (type 8): a polygon covered with copies of a marker symbol, placed on a
// grid, on the ring's corners or at one inside point, clipped to the polygon, then its outline.
// On targets whose y axis points up every marker is drawn in place; on screen targets one tile of
// six by six cells is drawn off-screen and repeated as a texture (points), or one marker is drawn
// off-screen and stamped at every position (paths).
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/pictor/types.h"
#include "symbolize/cgis_filloutline.h"
#include "symbolize/symbolize.h"

class IGIS_MarkerFillSymbol;

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_MarkerFillSymbolize {
public:
    CGIS_MarkerFillSymbolize() = default;
    virtual ~CGIS_MarkerFillSymbolize() = default;

    // Covers the polygon of *count points (at least 3) with markers and outlines it.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // Covers a ready-made path with markers placed over its bounds, and outlines it when the
    // outline is a simple line.
    void SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                       const Pictor::GraphicsPath* path) noexcept;

private:
    // Every marker through the service onto the target, clipped to the ring.
    void DrawMarkersDirect(IGIS_MarkerFillSymbol* fill, const SymbolizeInfo* info,
                           const Pictor::PointD* points, int32_t count, uint32_t seed) const;
    // One six-by-six-cell tile off-screen, then the polygon filled with it from the surface origin.
    void DrawMarkersTiled(IGIS_MarkerFillSymbol* fill, const SymbolizeInfo* info,
                          const Pictor::PointD* points, int32_t count, uint32_t seed) const;
    void DrawMarkersOnPath(IGIS_Symbol* marker, const SymbolizeInfo* info,
                           const std::vector<Pictor::PointD>& positions,
                           const Pictor::GraphicsPath* path) const;
    // Stamp mode of the path form: the marker drawn once off-screen, then placed at each position.
    void StampMarkers(IGIS_Symbol* marker, const SymbolizeInfo* info,
                      const std::vector<Pictor::PointD>& positions, const Pictor::GraphicsPath* path) const;

    CGIS_FillOutline outline_;
};
