// Draws the picture marker (type 1): a picture from the host's image store, scaled to the
// marker's width and height, centred on the anchor point, mirrored, rotated and offset.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_PictureMarkerSymbol;

namespace Pictor {
class Matrix;
}

class CGIS_PictureMarkerSymbolize {
public:
    CGIS_PictureMarkerSymbolize() = default;
    virtual ~CGIS_PictureMarkerSymbolize() = default;

    // Draws the marker at points[0]; *count must be 1. The caller's transform on the graphics is
    // in force again when the call returns.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // The world transform that mirrors, turns and offsets the picture about `point`; false when it
    // is not finite.
    bool GetPictureTransform(Pictor::Matrix* matrix, const IGIS_PictureMarkerSymbol* marker,
                             const SymbolizeInfo* info, const Pictor::PointD& point) const;
};
