// Draws the gradient fill (type 10): the polygon filled with a linear gradient between two
// colours, shaped by a blend table and turned by an angle, then the outline.
#pragma once

#include <cstdint>
#include <memory>

#include "contracts/pictor/types.h"
#include "symbolize/cgis_filloutline.h"
#include "symbolize/symbolize.h"

class IGIS_GradientFillSymbol;

namespace Pictor {
class GraphicsPath;
class LinearGradientBrush;
}  // namespace Pictor

class CGIS_GradientFillSymbolize {
public:
    CGIS_GradientFillSymbolize() = default;
    virtual ~CGIS_GradientFillSymbolize() = default;

    // Fills the polygon of *count points (at least 3) and outlines it.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;

    // The brush across the path's bounds, or null when the fill is invisible (transparency 100)
    // or its blend table is missing or refused.
    std::unique_ptr<Pictor::LinearGradientBrush> CreateGradientBrush(const IGIS_GradientFillSymbol* fill,
                                                                     const Pictor::GraphicsPath& path) const;
    // How much wider the bounds are across the gradient turned by `angle` than along x: the
    // brush is stretched by this so its colours span the whole polygon at any angle.
    double GetGradientScale(double angle, const Pictor::RectD& bounds) const;

private:
    // Paints the inside of `path`; false when nothing was painted.
    bool FillGradient(const IGIS_GradientFillSymbol* fill, const SymbolizeInfo* info,
                      const Pictor::GraphicsPath& path) const;

    CGIS_FillOutline outline_;
};
