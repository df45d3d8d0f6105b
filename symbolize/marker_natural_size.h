// The natural size of a library marker's drawing, shared by every symbolizer that sizes library
// markers: the marker itself, the marker line that spaces them, and the compound marker that
// stretches its members.
#pragma once

#include <cmath>

#include "contracts/symbol/resource.h"
#include "symbolize/symbolize.h"

class IGIS_LibMarkerSymbol;

namespace symbolize {

// Width and height in resource units, which the library marker draws one to the millimetre.
struct NaturalSize {
    double width = 0.0;
    double height = 0.0;
};

// The drawing a library marker shows: the resource embedded in the symbol, else the store's
// resource for its code; null when there is none.
VectorSymbolResource* FindLibMarkerResource(IGIS_Symbol* symbol, const IGIS_LibMarkerSymbol* marker);

// The size of the drawing by the marker's bounds mode: the resource's own extent, or the bounds
// the resource store gives (its own extent when the store cannot answer).
NaturalSize NaturalMarkerSize(const IGIS_LibMarkerSymbol* marker, const VectorSymbolResource& resource);

// Both directions of the drawing are (nearly) empty: there is nothing to scale or to show.
inline bool IsDegenerate(const VectorSymbolResource& resource) {
    constexpr double kEmpty = 0.0001;
    return std::abs(resource.extentY1 - resource.extentY2) < kEmpty &&
           std::abs(resource.extentX1 - resource.extentX2) < kEmpty;
}

}  // namespace symbolize
