// Draws the picture fill (type 11): a picture of the host's fill-image store tiled over the
// polygon, or drawn once over its bounds, clipped to the polygon, then the outline.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/cgis_filloutline.h"
#include "symbolize/symbolize.h"

class CGIS_PictureFillSymbolize {
public:
    CGIS_PictureFillSymbolize() = default;
    virtual ~CGIS_PictureFillSymbolize() = default;

    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;

    // The rectangle one picture of width x height pixels fills to keep its proportions: the
    // bounds' height for a wide (or square) picture, their width for a tall one, centred on them.
    static Pictor::RectD KeepAspectRectangle(Pictor::RectD bounds, int width, int height);

private:
    CGIS_FillOutline outline_;
};
