#include "symbolize/marker_natural_size.h"

#include <cmath>

#include "contracts/host.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/symbolize_support.h"

namespace symbolize {

VectorSymbolResource* FindLibMarkerResource(IGIS_Symbol* symbol, const IGIS_LibMarkerSymbol* marker) {
    const Symbol2FactoryId resolverId{Symbol2FactoryResolver};
    IGIS_Symbol2Factory* factory = GIS_GetSymbol2FactoryObject();
    IGIS_SymbolResourceResolver* resolver = factory ? factory->QueryResolver(&resolverId) : nullptr;
    if (VectorSymbolResource* embedded = resolver ? resolver->GetEmbeddedResource(symbol) : nullptr) {
        return embedded;
    }
    const uint32_t* code = marker->GetResourceCode();
    IGIS_VectorResourceBase* store = GIS_GetVectorResourceBaseObject();
    return code && store ? store->GetResource(code) : nullptr;
}

NaturalSize NaturalMarkerSize(const IGIS_LibMarkerSymbol* marker, const VectorSymbolResource& resource) {
    if (ValueOr<int32_t>(marker->GetBoundsMode(), LibMarkerBoundsExtent) == LibMarkerBoundsExtent) {
        return {std::abs(resource.extentX1 - resource.extentX2), std::abs(resource.extentY1 - resource.extentY2)};
    }
    // A store that cannot answer leaves the resource's own extent in the box.
    double box[4] = {resource.extentX1, resource.extentX2, resource.extentY1, resource.extentY2};
    const uint32_t code = ValueOr<uint32_t>(marker->GetResourceCode(), 0);
    double place[3] = {0.0, 0.0, 0.0};
    double hintWidth = -1.0;
    double hintHeight = -1.0;
    bool flags[4] = {false, false, false, false};
    if (IGIS_VectorResourceBase* store = GIS_GetVectorResourceBaseObject()) {
        store->GetResourceBounds(box, &code, &place[0], &place[1], &place[2], &hintWidth, &hintHeight, &flags[0],
                                 &flags[1], &flags[2], &flags[3]);
    }
    return {std::abs(box[1] - box[0]), std::abs(box[2] - box[3])};
}

}  // namespace symbolize
